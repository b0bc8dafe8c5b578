#include "data/Backups.h"

#include "data/FileError.h"
#include "data/FileIO.h"
#include "data/Settings.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <iterator>
#include <optional>
#include <regex>
#include <set>

namespace fs = std::filesystem;

namespace {

std::string BackupDir;
bool NoBackupDirFound = false;  // copies are wanted, but there is nowhere to keep them
std::string RunDir;             // made at the run's first copy
std::set<std::string> Settled;  // files copied or let go in this run

// The same file under any of its names.
std::string FileKey(const std::string& path)
{
    std::error_code failed;
    const fs::path canonical = fs::canonical(path, failed);
    return failed ? path : canonical.string();
}

void Check(const std::error_code& failed)
{
    if (failed)
        throw FileError::FromErrno(failed.value());
}

// A run's directory name: its date and time, then "_N" for the Nth run
// that began within the same second. Runs sort by this, oldest first.
struct RunName {
    std::string stamp;
    unsigned long number = 1;
    auto operator<=>(const RunName&) const = default;
};

// Only a whole match is a run: "2020-01-01_00-00-00 my notes" is not.
std::optional<RunName> ParseRunName(const std::string& name)
{
    static const std::regex pattern(R"((\d{4}-\d{2}-\d{2}_\d{2}-\d{2}-\d{2})(?:_([1-9]\d{0,8}))?)");
    std::smatch match;
    if (!std::regex_match(name, match, pattern))
        return std::nullopt;
    return RunName {match[1], match[2].matched ? std::stoul(match[2]) : 1};
}

std::string RunDirName(const RunName& run)
{
    return run.number == 1 ? run.stamp : run.stamp + "_" + std::to_string(run.number);
}

std::vector<RunName> ExistingRuns()
{
    std::error_code failed;
    std::vector<RunName> runs;
    for (const auto& entry : fs::directory_iterator(BackupDir, failed))
        if (const auto run = ParseRunName(entry.path().filename().string()); run && entry.is_directory(failed))
            runs.push_back(*run);
    std::sort(runs.begin(), runs.end());
    return runs;
}

// Removes the oldest runs' directories beyond KeptBackupRuns; this run is
// the newest.
void RemoveOldRuns()
{
    const std::vector<RunName> runs = ExistingRuns();
    std::error_code failed;
    for (std::size_t k = 0; k + KeptBackupRuns < runs.size(); ++k)
        fs::remove_all(fs::path(BackupDir) / RunDirName(runs[k]), failed);
}

// A run of the same second as an existing one comes after the newest of
// them, even where an older one's name has been freed.
void MakeRunDir()
{
    char stamp[32];
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d_%H-%M-%S", &local);
    std::error_code failed;
    fs::create_directories(BackupDir, failed);
    Check(failed);
    RunName run {stamp};
    for (const RunName& existing : ExistingRuns())
        if (existing.stamp == run.stamp)
            run.number = existing.number + 1;
    // Another process may take the name first.
    for (;; ++run.number) {
        const std::string dir = BackupDir + "/" + RunDirName(run);
        if (fs::create_directory(dir, failed)) {
            RunDir = dir;
            return;
        }
        if (failed.value() != EEXIST)
            Check(failed);
    }
}

// Where the copy of the file goes below the run's directory: its path below
// the game directory, or its whole path. Only plain names are taken from
// it, so that no path (one not made absolute, as under a working directory
// too long to be named) leads out of the run's directory.
fs::path PlaceInRun(const std::string& key)
{
    std::error_code failed;
    const fs::path gameDir = fs::canonical(GameDir.empty() ? "." : GameDir, failed);
    const std::string prefix = failed ? std::string() : (gameDir / "").string();
    const std::string below = !failed && key.starts_with(prefix) ? key.substr(prefix.size()) : key;
    fs::path place;
    for (const fs::path& name : fs::path(below).relative_path())
        if (!name.empty() && name != "." && name != "..")
            place /= name;
    return place;
}

// Copies a file to its place in the run: whole under a temporary name, then
// renamed, so that a copy under its own name is always complete. The copy
// and its name are on the disk before the game's file is replaced.
fs::path CopyIntoRun(const std::string& key, const fs::path& place)
{
    const fs::path copy = fs::path(RunDir) / place;
    std::error_code failed;
    fs::create_directories(copy.parent_path(), failed);
    Check(failed);
    const fs::path partial = copy.parent_path() / ("." + copy.filename().string() + ".partial");
    try {
        CopyFile(key, partial.string());
        fs::rename(partial, copy, failed);
        Check(failed);
        // The directory of the new name and each one made for it, up to
        // the backups directory, which holds the run's.
        fs::path dir = copy.parent_path();
        for (auto levels = std::distance(place.begin(), place.end()); levels >= 0; --levels, dir = dir.parent_path())
            SyncDirectory(dir.string());
    } catch (...) {
        fs::remove(partial, failed);
        throw;
    }
    return copy;
}

}  // namespace

std::string FindBackupDir()
{
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    fs::path dir;
    if (dataHome != nullptr && dataHome[0] == '/')
        dir = dataHome;
    else if (home != nullptr && home[0] == '/')
        dir = fs::path(home) / ".local/share";
    else
        return {};
    return (dir / ProgramTitle / "backups").string();
}

void SetUpBackups()
{
    SetBackupDir(FindBackupDir());
    NoBackupDirFound = BackupDir.empty();
}

void SetBackupDir(const std::string& dir)
{
    BackupDir = dir;
    NoBackupDirFound = false;
    RunDir.clear();
    Settled.clear();
}

void KeepFirstCopies(const std::vector<std::string>& paths)
{
    std::vector<std::pair<std::string, std::string>> toCopy;  // path, key
    std::error_code failed;
    for (const std::string& path : paths)
        // What is not a regular file is not saved either, but refused.
        if (std::string key = FileKey(path); !Settled.contains(key) && fs::is_regular_file(path, failed))
            toCopy.emplace_back(path, std::move(key));
    if (toCopy.empty() || (BackupDir.empty() && !NoBackupDirFound))
        return;
    const bool newRun = RunDir.empty();
    std::vector<fs::path> made;
    for (const auto& [path, key] : toCopy) {
        try {
            if (NoBackupDirFound)
                throw FileRefused("neither XDG_DATA_HOME nor HOME names a directory to keep copies in");
            if (RunDir.empty())
                MakeRunDir();
            made.push_back(CopyIntoRun(key, PlaceInRun(key)));
        } catch (const std::runtime_error& error) {
            if (newRun && !RunDir.empty()) {
                fs::remove_all(RunDir, failed);
                RunDir.clear();
            }
            for (const fs::path& copy : made)
                fs::remove(copy, failed);
            throw CopyFailed(path, error.what());
        }
    }
    for (const auto& [path, key] : toCopy)
        Settled.insert(key);
    if (newRun)
        RemoveOldRuns();
}

void SaveWithoutCopy(const std::string& path)
{
    Settled.insert(FileKey(path));
}
