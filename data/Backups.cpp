#include "data/Backups.h"

#include "data/FileError.h"
#include "data/FileIO.h"
#include "data/Settings.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <ctime>
#include <filesystem>
#include <set>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string BackupDir;
std::string RunDir;             // made at the run's first copy
std::set<std::string> Settled;  // files copied or let go in this run

constexpr std::size_t RunNameLength = 19;  // "2026-12-08_05-30-12", then maybe "_2"

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

bool IsRunName(const std::string& name)
{
    static const char pattern[] = "dddd-dd-dd_dd-dd-dd";
    if (name.size() < RunNameLength)
        return false;
    for (std::size_t k = 0; k < RunNameLength; ++k)
        if (pattern[k] == 'd' ? !std::isdigit(static_cast<unsigned char>(name[k])) : name[k] != pattern[k])
            return false;
    return true;
}

// Removes the oldest runs' directories beyond KeptBackupRuns, this run's
// among the kept; nothing else in the backups directory is touched.
void RemoveOldRuns()
{
    std::error_code failed;
    std::vector<std::string> runs;
    for (const auto& entry : fs::directory_iterator(BackupDir, failed)) {
        const std::string name = entry.path().filename().string();
        if (IsRunName(name) && entry.is_directory(failed) && name != fs::path(RunDir).filename())
            runs.push_back(name);
    }
    std::sort(runs.begin(), runs.end());
    const std::size_t others = KeptBackupRuns - 1;
    for (std::size_t k = 0; k + others < runs.size(); ++k)
        fs::remove_all(fs::path(BackupDir) / runs[k], failed);
}

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
    // Two runs may start within a second.
    for (int k = 1; k < 100; ++k) {
        std::string dir = BackupDir + "/" + stamp;
        if (k > 1)
            dir.append(1, '_').append(std::to_string(k));
        if (fs::create_directory(dir, failed)) {
            RunDir = dir;
            RemoveOldRuns();
            return;
        }
        Check(failed);
    }
    throw FileError::FromErrno(EEXIST);
}

// Where the copy of the file goes below the run's directory.
std::string PlaceInRun(const std::string& key)
{
    std::error_code failed;
    const fs::path gameDir = fs::canonical(GameDir.empty() ? "." : GameDir, failed);
    const std::string prefix = gameDir.string() + (gameDir.string().back() == '/' ? "" : "/");
    if (!failed && key.starts_with(prefix))
        return key.substr(prefix.size());
    return key.substr(key.find_first_not_of('/'));
}

}  // namespace

void SetBackupDir(const std::string& dir)
{
    BackupDir = dir;
    RunDir.clear();
    Settled.clear();
}

void KeepFirstCopy(const std::string& path)
{
    const std::string key = FileKey(path);
    std::error_code failed;
    // What is not a regular file is not saved either, but refused.
    if (BackupDir.empty() || Settled.contains(key) || !fs::is_regular_file(path, failed))
        return;
    try {
        if (RunDir.empty())
            MakeRunDir();
        const fs::path copy = fs::path(RunDir) / PlaceInRun(key);
        fs::create_directories(copy.parent_path(), failed);
        Check(failed);
        CopyFile(key, copy.string());
    } catch (const FileError& error) {
        throw CopyFailed(path, error.what());
    }
    Settled.insert(key);
}

void SaveWithoutCopy(const std::string& path)
{
    Settled.insert(FileKey(path));
}
