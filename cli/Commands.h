#pragma once

#include <string>

// The commands of dv2tool. Each returns the exit status: 0 done (or equal,
// or nothing found), 1 different, found or refused input; failures to read
// or write a file throw FileError or FileRefused, which main reports with
// status 2.

int ExportCommand(const std::string& gameDir, const std::string& outputPath);
struct ImportOptions {
    bool DryRun = false;  // read the game only, write nothing
    bool AsCsv = false;   // the change list as CSV
    bool NoBackup = false;  // write without keeping a copy first
};
// Reads the CSV file at csvPath, or standard input for "-".
int ImportCommand(const std::string& gameDir, const std::string& csvPath, const ImportOptions& options);
int DiffCommand(const std::string& gameDirA, const std::string& gameDirB, bool asCsv);
int CheckCommand(const std::string& gameDir);
int UnitsCommand(const std::string& saveGamePath, const std::string& gameDir);
