#pragma once

#include <string>

// The commands of dv2tool. Each returns the exit status: 0 done (or equal,
// or nothing found), 1 different, found or refused input; failures to read
// or write a file throw FileError or FileRefused, which main reports with
// status 2.

int ExportCommand(const std::string& gameDir, const std::string& outputPath);
int ImportCommand(const std::string& gameDir, const std::string& csvPath, bool dryRun, bool noBackup);
int DiffCommand(const std::string& gameDirA, const std::string& gameDirB, bool asCsv);
int CheckCommand(const std::string& gameDir);
int UnitsCommand(const std::string& saveGamePath, const std::string& gameDir);
