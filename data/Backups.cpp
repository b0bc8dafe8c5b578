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
#include <sys/stat.h>
#include <tuple>

namespace fs = std::filesystem;

namespace {

std::string BackupDir;
bool NoBackupDirFound = false;  // copies are wanted, but there is nowhere to keep them
std::string RunDir;             // made at the run's first copy
bool RunHasSaved = false;       // and so counts among the kept runs
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
    std::string name;  // as found: "_1" may stand in it
    auto operator<=>(const RunName&) const = default;
};

// Only a whole match is a run: "2020-01-01_00-00-00 my notes" is not.
std::optional<RunName> ParseRunName(const std::string& name)
{
    static const std::regex pattern(R"((\d{4}-\d{2}-\d{2}_\d{2}-\d{2}-\d{2})(?:_([1-9]\d{0,8}))?)");
    std::smatch match;
    if (!std::regex_match(name, match, pattern))
        return std::nullopt;
    return RunName {match[1], match[2].matched ? std::stoul(match[2]) : 1, name};
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

// Removes the oldest runs' directories beyond KeptBackupRuns, never this
// run's, even where others are dated later (by a clock set wrong, or in the
// hour a time change repeats).
void RemoveOldRuns()
{
    std::vector<RunName> runs = ExistingRuns();
    std::erase_if(runs, [](const RunName& run) { return BackupDir + "/" + run.name == RunDir; });
    std::error_code failed;
    for (std::size_t k = 0; k + KeptBackupRuns - 1 < runs.size(); ++k)
        fs::remove_all(fs::path(BackupDir) / runs[k].name, failed);
}

// What tells whether a save changed a file: its inode, size and time of
// last change (not of its status, which keeping it by a second name sets).
using FileVersion = std::optional<std::tuple<ino_t, off_t, time_t, long>>;
FileVersion VersionOf(const std::string& path)
{
    struct stat st {};
    if (stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return std::tuple(st.st_ino, st.st_size, st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
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
    unsigned long number = 1;
    for (const RunName& existing : ExistingRuns())
        if (existing.stamp == stamp)
            number = existing.number + 1;
    // Another process may take the name first.
    for (;; ++number) {
        const std::string dir = BackupDir + "/" + stamp + (number == 1 ? "" : "_" + std::to_string(number));
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
    // An absolute path, but not the root directory, which is nobody's data directory.
    const auto usable = [](const char* dir) {
        return dir != nullptr && dir[0] == '/' && fs::path(dir).lexically_normal() != "/";
    };
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    fs::path dir;
    if (usable(dataHome))
        dir = dataHome;
    else if (usable(home))
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
    RunHasSaved = false;
    Settled.clear();
}

void SaveWithFirstCopies(const std::vector<std::string>& paths, const std::function<void()>& save)
{
    std::vector<std::pair<std::string, std::string>> toCopy;  // path, key
    std::error_code failed;
    for (const std::string& path : paths)
        // What is not a regular file is not saved either, but refused.
        if (std::string key = FileKey(path); !Settled.contains(key) && fs::is_regular_file(path, failed))
            toCopy.emplace_back(path, std::move(key));
    if (toCopy.empty() || (BackupDir.empty() && !NoBackupDirFound))
        return save();
    const bool newRun = RunDir.empty();
    struct Copy {
        std::string key;
        FileVersion version;  // of the file copied
        fs::path copy;
    };
    std::vector<Copy> made;
    // After a failure, the copies of files left as they were go, and with
    // the last of them the run's directory this call made: a run counts
    // only once it has saved.
    const auto takeBack = [&] {
        bool kept = false;
        for (const Copy& c : made) {
            if (VersionOf(c.key) == c.version) {
                fs::remove(c.copy, failed);
            } else {
                Settled.insert(c.key);
                kept = true;
            }
        }
        if (newRun && !kept && !RunDir.empty()) {
            fs::remove_all(RunDir, failed);
            RunDir.clear();
        }
    };
    for (const auto& [path, key] : toCopy) {
        try {
            if (NoBackupDirFound)
                throw FileRefused("neither XDG_DATA_HOME nor HOME names a directory to keep copies in");
            if (RunDir.empty())
                MakeRunDir();
            const FileVersion version = VersionOf(key);
            made.push_back({key, version, CopyIntoRun(key, PlaceInRun(key))});
        } catch (const std::runtime_error& error) {
            takeBack();
            throw CopyFailed(path, error.what());
        }
    }
    try {
        save();
    } catch (...) {
        takeBack();
        throw;
    }
    for (const auto& [path, key] : toCopy)
        Settled.insert(key);
    if (!RunHasSaved) {
        RunHasSaved = true;
        RemoveOldRuns();
    }
}

void SaveWithoutCopy(const std::string& path)
{
    Settled.insert(FileKey(path));
}
