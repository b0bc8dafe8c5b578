#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

// Copies of the game's files as they were before this run first replaced
// them, so that any edit can be taken back outside the program. A run that
// saves gets a directory of its own below the backups directory, named by
// its date and time ("2026-12-08_05-30-12", and "_2", "_3" ... for later
// runs of the same second); each copy keeps its name and its path below the
// game directory (a file outside it: its whole path). Only the most recent
// KeptBackupRuns runs are kept; nothing else below the backups directory is
// ever removed.

constexpr int KeptBackupRuns = 20;

// The program's name: its title, and the name of its data directory
// (~/.local/share/NAME), which holds the backups directory.
constexpr const char* ProgramTitle = "Duvari 2 Unit Editor Version 1.5";

// The backups directory below the program's per-user data directory, by the
// XDG base directory rules: $XDG_DATA_HOME/NAME/backups where XDG_DATA_HOME
// is an absolute path, otherwise $HOME/.local/share/NAME/backups where HOME
// is one. Empty when neither is: a relative path would depend on the
// working directory, and the root directory is nobody's data directory.
std::string FindBackupDir();

// Begins a run that keeps its copies in FindBackupDir(). Without one, every
// copy fails (CopyFailed), so that the user decides whether to save anyway.
void SetUpBackups();

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

// Saves game files by save, which replaces the files of paths, after the
// first copies of them: the first time in a run, each file as it is on
// disk is copied into the run's directory, under a temporary name renamed
// when the copy is whole and flushed to the disk. Skips a file copied (or
// let go without a copy) earlier in the run, a file that does not exist,
// and everything without a backups directory. Throws CopyFailed, without
// saving, when a copy cannot be made. When either fails, this call's
// copies of files left unchanged go again (and the run's directory, when
// this call made it). The oldest runs are removed only once the save is
// done.
void SaveWithFirstCopies(const std::vector<std::string>& paths, const std::function<void()>& save);

// Lets path be replaced without a copy for the rest of the run.
void SaveWithoutCopy(const std::string& path);
