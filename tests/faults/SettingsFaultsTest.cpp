#include "data/Settings.h"
#include "tests/faults/Faults.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

TEST(SettingsFaultsTest, FailuresLeaveTheFileAndTheDirectories)
{
    TempDir dir;
    SettingsDir = dir.path();
    GameDir = "/games/war/";
    SaveGameDir = "/games/war/SAVE/";
    WriteSettings();
    OpenToOthers(dir.path());
    GameDir = "/elsewhere/";
    SaveGameDir = "/elsewhere/SAVE/";

    const auto expectUnchanged = [&](const DirContents& before) {
        EXPECT_EQ(ChangedPaths(before, ContentsOf(dir.path())), "");
        EXPECT_EQ(GameDir, "/elsewhere/");
        EXPECT_EQ(SaveGameDir, "/elsewhere/SAVE/");
    };
    struct Fault {
        const char* what;
        std::function<void()> apply;
        long sizeLimit = 0;
    };
    const Fault faults[] = {
        {"directory read-only", [&] { chmod(dir.path().c_str(), 0555); }, 0},
        {"file read-only", [&] { chmod(SettingsPath().c_str(), 0444); }, 0},
        {"disk full", [] {}, 50},
    };
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.what);
        fault.apply();
        const DirContents before = ContentsOf(dir.path());
        const std::string text = fault.sizeLimit > 0 ? "Disk full" : "File access denied";
        EXPECT_EQ(FaultText(fault.sizeLimit, text, WriteSettings), text);
        expectUnchanged(before);
        OpenToOthers(dir.path());
    }

    fs::rename(SettingsPath(), dir / "old.ini");
    fs::create_directory(SettingsPath());
    const DirContents before = ContentsOf(dir.path());
    EXPECT_EQ(ErrorText(ReadSettings), "File access denied");
    EXPECT_EQ(ErrorText(WriteSettings), "File access denied");
    expectUnchanged(before);

    // The next load reads the settings again.
    fs::remove(SettingsPath());
    fs::rename(dir / "old.ini", SettingsPath());
    ReadSettings();
    EXPECT_EQ(GameDir, "/games/war/");
}

}  // namespace
