#pragma once

#include <stdexcept>
#include <string>

// Copies of the game's files as they were before this run first replaced
// them, so that any edit can be taken back outside the program. A run that
// saves gets a directory of its own below the backups directory, named by
// its date and time ("2026-12-08_05-30-12"); each copy keeps its name and
// its path below the game directory (a file outside it: its whole path).
// Only the most recent KeptBackupRuns runs are kept.

constexpr int KeptBackupRuns = 20;

// Sets the directory that holds the runs and begins a run: no file has been
// copied in it yet. Empty, as at start, keeps no copies.
void SetBackupDir(const std::string& dir);

// The copy of a file could not be made; nothing was written to the file.
// what() is the reason, as a file error's text.
class CopyFailed : public std::runtime_error {
public:
    CopyFailed(const std::string& path, const std::string& reason) : std::runtime_error(reason), path_(path) {}
    const std::string& path() const noexcept { return path_; }

private:
    std::string path_;
};

// To be called before a game file is replaced: the first time in a run,
// copies the file as it is on disk into the run's directory and flushes the
// copy to the disk. Does nothing for a file copied (or let go without a
// copy) earlier in the run, for a file that does not exist, and without a
// backups directory. Throws CopyFailed when the copy cannot be made.
void KeepFirstCopy(const std::string& path);

// Lets path be replaced without a copy for the rest of the run.
void SaveWithoutCopy(const std::string& path);
