#include "data/Backups.h"
#include "data/Equipment.h"
#include "data/FileError.h"
#include "data/Settings.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The entries below backups, by name, with a final '/' for a directory.
std::vector<std::string> Runs(const std::string& backups)
{
    std::vector<std::string> runs;
    for (const auto& entry : fs::directory_iterator(backups))
        runs.push_back(entry.path().filename().string() + (entry.is_directory() ? "/" : ""));
    std::sort(runs.begin(), runs.end());
    return runs;
}

// Everything below dir, each file with its bytes.
std::vector<std::string> Tree(const std::string& dir)
{
    std::vector<std::string> tree;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        tree.push_back(entry.path().string() + (entry.is_directory() ? "/" : "=" + ReadBytes(entry.path())));
    std::sort(tree.begin(), tree.end());
    return tree;
}

// Twenty-five runs of one second (whose names sort as text otherwise than
// by time), a file and directories whose names only begin like a run.
void MakeOldRuns(const std::string& backups)
{
    fs::create_directories(backups + "/1999 notes");
    fs::create_directories(backups + "/2000-01-01_00-00-00 my notes");
    fs::create_directories(backups + "/2000-01-01_00-00-00_02");
    WriteBytes(backups + "/2000-01-01_00-00-01", "");
    fs::create_directory(backups + "/2000-01-01_00-00-00");
    WriteBytes(backups + "/2000-01-01_00-00-00/EQUIP97.EQP", "old run");
    for (int k = 2; k <= 25; ++k)
        fs::create_directory(backups + "/2000-01-01_00-00-00_" + std::to_string(k));
}

// A run's first save keeps each file as it was, below the game directory's
// layout, and then makes room by removing the oldest runs only, in the
// order of time; later saves in the run copy nothing. A copy that cannot be
// made stops the save before it writes anything, until the file is let go
// without one.
TEST(BackupsTest, FirstSaveOfARunKeepsTheOldFiles)
{
    const TempDir game, data;
    CopyDemo(game.path());
    SetGameDir(game.path());
    const std::string backups = data / "backups", eqp = game / "EQUIP97.EQP", txt = game / "EQUIP97.TXT";
    MakeOldRuns(backups);
    const std::string oldEqp = ReadBytes(eqp), oldTxt = ReadBytes(txt);

    SetBackupDir(backups);
    LoadEquipment(eqp, txt);
    Equipment.UnitNames[1] = "First";
    SaveEquipment(eqp, txt);
    std::vector<std::string> runs = Runs(backups);
    std::vector<std::string> expected {"1999 notes/", "2000-01-01_00-00-00 my notes/", "2000-01-01_00-00-00_02/",
                                       "2000-01-01_00-00-01"};
    for (int k = 7; k <= 25; ++k)
        expected.push_back("2000-01-01_00-00-00_" + std::to_string(k) + "/");
    std::sort(expected.begin(), expected.end());
    expected.push_back(runs.back());
    EXPECT_EQ(runs, expected);
    const std::string run = backups + "/" + runs.back();
    EXPECT_EQ(Tree(run), (std::vector<std::string> {run + "EQUIP97.EQP=" + oldEqp, run + "EQUIP97.TXT=" + oldTxt}));

    Equipment.UnitNames[1] = "Second";
    SaveEquipment(eqp, txt);
    EXPECT_EQ(ReadBytes(run + "EQUIP97.TXT"), oldTxt);
    EXPECT_EQ(Runs(backups), runs);

    // A new run, with the backups directory under a file.
    const std::string newTxt = ReadBytes(txt);
    SetBackupDir(eqp + "/backups");
    Equipment.UnitNames[1] = "Third";
    try {
        SaveEquipment(eqp, txt);
        ADD_FAILURE() << "saved without a copy";
    } catch (const CopyFailed& failed) {
        EXPECT_EQ(failed.path(), eqp);
        EXPECT_STREQ(failed.what(), "Invalid filename");
    }
    EXPECT_EQ(ReadBytes(txt), newTxt);
    SaveWithoutCopy(eqp);
    SaveWithoutCopy(txt);
    SaveEquipment(eqp, txt);
    EXPECT_NE(ReadBytes(txt), newTxt);
    SetBackupDir("");
}

// A run that begins in the same second as others comes after the newest of
// them, even where an older one's name is free. The test takes the seconds
// around now, so that the run begins in one of them.
TEST(BackupsTest, RunOfABusySecondComesAfterItsNewest)
{
    const TempDir data;
    const std::string backups = data / "backups", file = data / "file";
    WriteBytes(file, "bytes");
    const std::time_t now = std::time(nullptr);
    for (std::time_t second = now - 1; second <= now + 15; ++second) {
        std::tm local {};
        localtime_r(&second, &local);
        char stamp[32];
        std::strftime(stamp, sizeof stamp, "%Y-%m-%d_%H-%M-%S", &local);
        fs::create_directories(backups + "/" + stamp + "_3");
    }
    SetBackupDir(backups);
    SaveWithFirstCopies({file}, [] {});
    SetBackupDir("");
    int newRuns = 0;
    for (const std::string& run : Runs(backups))
        if (fs::exists(backups + "/" + run + "/" + file)) {
            EXPECT_TRUE(run.ends_with("_4/")) << run;
            ++newRuns;
        }
    EXPECT_EQ(newRuns, 1);
}

// On a full disk, a copy that fails leaves the backups directory as it was:
// no run directory, no part of a copy, and no old run removed. In a run
// already under way, the copies made before stay.
TEST(BackupsTest, FailedCopiesOnAFullDiskLeaveTheBackupsAsTheyWere)
{
    const TempDir data;
    const std::string backups = data / "backups", small = data / "small", big = data / "big";
    WriteBytes(small, std::string(10, 's'));
    WriteBytes(big, std::string(1000, 'b'));
    MakeOldRuns(backups);
    struct Fault {
        const char* what;
        std::vector<std::string> before, failing;  // copied without a limit, then on a full disk
    };
    const Fault faults[] = {
        {"the first copy of a run", {}, {big, small}},
        {"the second copy of a run", {}, {small, big}},
        {"a copy in a run under way", {small}, {big}},
    };
    for (const Fault& fault : faults) {
        SetBackupDir(backups);
        SaveWithFirstCopies(fault.before, [] {});
        const std::vector<std::string> before = Tree(backups);
        const int status = RunWithFileSizeLimit(100, [&] {
            try {
                SaveWithFirstCopies(fault.failing, [] {});
            } catch (const CopyFailed& failed) {
                return failed.path() == big && std::string(failed.what()) == "Disk full" ? 0 : 2;
            }
            return 1;
        });
        EXPECT_EQ(status, 0) << fault.what;
        EXPECT_EQ(Tree(backups), before) << fault.what;
        fs::remove_all(backups);
        MakeOldRuns(backups);
    }
    SetBackupDir("");
}

// Only a run that saved counts: a save that fails takes back the copies of
// the files it left as they were, and no run is removed for it. A run that
// saved is kept, even beside runs dated later by a clock set wrong.
TEST(BackupsTest, OnlyRunsThatSavedCountAndTheirOwnIsKept)
{
    const TempDir data;
    const std::string backups = data / "backups", left = data / "left", changed = data / "changed";
    WriteBytes(left, "left");
    WriteBytes(changed, "changed");
    for (int k = 1; k <= KeptBackupRuns; ++k)
        fs::create_directories(backups + "/2999-01-01_00-00-00_" + std::to_string(k));
    const std::vector<std::string> before = Tree(backups);
    SetBackupDir(backups);
    EXPECT_THROW(SaveWithFirstCopies({left}, [] { throw FileError(ErrorCode::DiskFull); }), FileError);
    EXPECT_EQ(Tree(backups), before);
    // The copy of a file the failed save changed stays, as the only old one.
    const auto changeAndFail = [&] {
        WriteBytes(changed, "half");
        throw FileError(ErrorCode::DiskFull);
    };
    EXPECT_THROW(SaveWithFirstCopies({left, changed}, changeAndFail), FileError);
    std::vector<std::string> runs = Runs(backups);
    ASSERT_EQ(runs.size(), KeptBackupRuns + 1u);
    const std::string run = backups + "/" + runs.front();
    EXPECT_EQ(ReadBytes(run + changed), "changed");
    EXPECT_FALSE(fs::exists(run + left));

    SaveWithFirstCopies({left}, [] {});
    SetBackupDir("");
    runs = Runs(backups);
    EXPECT_EQ(runs.size(), static_cast<std::size_t>(KeptBackupRuns));
    EXPECT_EQ(ReadBytes(run + left), "left");
    EXPECT_FALSE(fs::exists(backups + "/2999-01-01_00-00-00_1"));
}

// A working directory too long to be named makes relative paths stay
// relative; their copies still land inside the run's directory.
TEST(BackupsTest, CopyFromAVeryLongWorkingDirectoryStaysInItsRun)
{
    const TempDir top;
    const std::string backups = top / "backups";
    const std::string start = fs::current_path();
    ASSERT_EQ(chdir(top.path().c_str()), 0);
    const std::string level(200, 'd');
    int depth = 0;
    for (; depth < 25; ++depth) {
        fs::create_directory(level);
        ASSERT_EQ(chdir(level.c_str()), 0);
    }
    fs::create_directories("game/here");
    WriteBytes("game/EQUIP97.EQP", "records");
    ASSERT_EQ(chdir("game/here"), 0);
    SetGameDir("../");
    SetBackupDir(backups);
    SaveWithFirstCopies({"../EQUIP97.EQP"}, [] {});
    SetBackupDir("");
    SetGameDir("");
    ASSERT_EQ(chdir(".."), 0);
    fs::remove_all("here");
    fs::remove("EQUIP97.EQP");
    ASSERT_EQ(chdir(".."), 0);
    fs::remove("game");
    for (; depth > 0; --depth) {
        ASSERT_EQ(chdir(".."), 0);
        fs::remove(level);
    }
    ASSERT_EQ(chdir(start.c_str()), 0);

    const std::vector<std::string> runs = Runs(backups);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(Tree(backups + "/" + runs[0]), std::vector<std::string> {backups + "/" + runs[0] + "EQUIP97.EQP=records"});
}

// The backups directory by the XDG base directory rules; none where
// neither variable gives an absolute path, and then every copy fails with
// the reason, so that the user decides.
TEST(BackupsTest, BackupDirFollowsTheXdgRules)
{
    struct Case {
        const char *dataHome, *home, *expected;
    };
    const Case cases[] = {
        {nullptr, "/home/u", "/home/u/.local/share/NAME/backups"},
        {"", "/home/u/", "/home/u/.local/share/NAME/backups"},
        {"/data/", "/home/u", "/data/NAME/backups"},
        {"relative", "/home/u", "/home/u/.local/share/NAME/backups"},
        {"relative", nullptr, ""},
        {nullptr, "relative", ""},
        {nullptr, "", ""},
        {nullptr, nullptr, ""},
        {"/", "//", ""},
        {"/data", nullptr, "/data/NAME/backups"},
    };
    const auto set = [](const char* name, const char* value) {
        if (value == nullptr)
            unsetenv(name);
        else
            setenv(name, value, 1);
    };
    const auto saved = [](const char* name) -> std::optional<std::string> {
        const char* value = std::getenv(name);
        return value == nullptr ? std::nullopt : std::optional<std::string>(value);
    };
    const std::optional<std::string> dataHome = saved("XDG_DATA_HOME"), home = saved("HOME");
    for (const Case& c : cases) {
        set("XDG_DATA_HOME", c.dataHome);
        set("HOME", c.home);
        std::string expected = c.expected;
        if (const std::size_t name = expected.find("NAME"); name != std::string::npos)
            expected.replace(name, 4, ProgramTitle);
        EXPECT_EQ(FindBackupDir(), expected) << (c.dataHome ? c.dataHome : "unset") << ", " << (c.home ? c.home : "unset");
    }

    const TempDir data;
    WriteBytes(data / "file", "bytes");
    set("XDG_DATA_HOME", nullptr);
    set("HOME", nullptr);
    SetUpBackups();
    try {
        SaveWithFirstCopies({data / "file"}, [] {});
        ADD_FAILURE() << "no copy and no failure";
    } catch (const CopyFailed& failed) {
        EXPECT_STREQ(failed.what(), "neither XDG_DATA_HOME nor HOME names a directory to keep copies in");
    }
    SaveWithoutCopy(data / "file");
    SaveWithFirstCopies({data / "file"}, [] {});
    SetBackupDir("");
    set("XDG_DATA_HOME", dataHome ? dataHome->c_str() : nullptr);
    set("HOME", home ? home->c_str() : nullptr);
}

}  // namespace
