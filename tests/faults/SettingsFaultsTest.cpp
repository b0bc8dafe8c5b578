#include "data/Settings.h"
#include "tests/faults/Faults.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

// A failed write or read leaves the file and the directories in memory.
TEST(SettingsFaultsTest, FailuresLeaveTheFileAndTheDirectories)
{
    const TempDir dir;
    SettingsDir = dir.path();
    const auto byDirectory = [] {
        fs::remove(SettingsPath());
        fs::create_directory(SettingsPath());
    };
    const auto pipe = [] { MakePipe(SettingsPath()); };
    const StepFault faults[] = {
        {"file read-only", [] { chmod(SettingsPath().c_str(), 0444); }, WriteSettings, "File access denied"},
        {"disk full", [] {}, WriteSettings, "Disk full", 50},
        {"write over a directory", byDirectory, WriteSettings, "File access denied"},
        {"read a directory", byDirectory, ReadSettings, "File access denied"},
        {"read a pipe", pipe, ReadSettings, SettingsPath() + " is not an ordinary file"},
        {"write over a pipe", pipe, WriteSettings, SettingsPath() + " is not an ordinary file"},
    };
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault.what);
        fs::remove_all(SettingsPath());
        GameDir = "/games/war/";
        SaveGameDir = "/games/war/SAVE/";
        WriteSettings();
        OpenToOthers(dir.path());
        GameDir = "/elsewhere/";
        SaveGameDir = "/elsewhere/SAVE/";
        ExpectStepFails(fault, dir.path());
        EXPECT_EQ(GameDir, "/elsewhere/");
        EXPECT_EQ(SaveGameDir, "/elsewhere/SAVE/");
        chmod(dir.path().c_str(), 0777);
    }

    // Of a settings file of 200 GB, only the five lines at its start are read.
    fs::remove_all(SettingsPath());
    GameDir = "/games/war/";
    SaveGameDir = "/games/war/SAVE/";
    WriteSettings();
    GameDir = SaveGameDir = "";
    fs::resize_file(SettingsPath(), 200'000'000'000);
    ReadSettings();
    EXPECT_EQ(GameDir, "/games/war/");
    EXPECT_EQ(SaveGameDir, "/games/war/SAVE/");
}

}  // namespace
