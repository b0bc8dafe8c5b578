#include "data/FileError.h"
#include "data/Settings.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class SettingsTest : public testing::Test {
protected:
    void SetUp() override
    {
        SettingsDir = dir.path().substr(0, dir.path().size() - 1);
        GameDir.clear();
        SaveGameDir.clear();
    }

    TempDir dir;
    const std::string ini = dir / SettingsFileName;
};

TEST_F(SettingsTest, WritesFiveLinesAndReadsThemBack)
{
    EXPECT_EQ(SettingsPath(), ini);
    EXPECT_FALSE(SettingsExist());
    GameDir = "/games/war/";
    SaveGameDir = "/games/war/SAVE/";
    WriteSettings();
    EXPECT_TRUE(SettingsExist());
    EXPECT_EQ(ReadBytes(ini), "[Duvari 2 Directory]\r\n/games/war/\r\n\r\n"
                              "[Duvari 2 Save Game Directory]\r\n/games/war/SAVE/\r\n");
    GameDir.clear();
    SaveGameDir.clear();
    ReadSettings();
    EXPECT_EQ(GameDir, "/games/war/");
    EXPECT_EQ(SaveGameDir, "/games/war/SAVE/");
}

TEST_F(SettingsTest, ReadsLinesByPositionWhateverTheyEndWith)
{
    WriteBytes(ini, "anything\r\n/a/\r\n");
    ReadSettings();
    EXPECT_EQ(GameDir, "/a/");
    EXPECT_EQ(SaveGameDir, "");

    WriteBytes(ini, "x\n /b \n\nx\n/b/save/");
    ReadSettings();
    EXPECT_EQ(GameDir, " /b ");
    EXPECT_EQ(SaveGameDir, "/b/save/");

    WriteBytes(ini, "x\r/c/\r\rx\r/c/S/\r");
    ReadSettings();
    EXPECT_EQ(GameDir, "/c/");
    EXPECT_EQ(SaveGameDir, "/c/S/");
}

TEST_F(SettingsTest, FailedWriteLeavesTheOldFile)
{
    WriteBytes(ini, "old");
    chmod(ini.c_str(), 0444);
    GameDir = "/new/";
    AsNobody nobody;
    EXPECT_THROW(WriteSettings(), FileError);
    EXPECT_EQ(ReadBytes(ini), "old");
}

TEST(SettingsPathTest, RootHoldsItsOwnSeparator)
{
    SettingsDir = "/";
    EXPECT_EQ(SettingsPath(), "/DV2Edit.ini");
}

TEST(SettingsPathTest, CapturedOnceAndKept)
{
    const TempDir other;
    SettingsDir.clear();
    CaptureSettingsDir();
    const std::string first = SettingsDir;
    EXPECT_EQ(first, std::filesystem::current_path().string());
    ASSERT_EQ(chdir(other.path().c_str()), 0);
    CaptureSettingsDir();
    EXPECT_EQ(SettingsDir, first);
    ASSERT_EQ(chdir(first.c_str()), 0);
}

TEST(GameDirRuleTest, RuleATakesTheDirectoryOfThePickedFile)
{
    EXPECT_EQ(GameDirOfEquipFile("/games/war/Equip97.eqp"), "/games/war/");
    EXPECT_EQ(GameDirOfEquipFile("/EQUIP97.EQP"), "/");
}

TEST(GameDirRuleTest, RuleBTakesTheParentOfTheSaveGamesDirectory)
{
    EXPECT_EQ(GameDirOfSaveGame("/games/war/SAVE/GAME1.SAV"), "/games/war/");
    EXPECT_EQ(GameDirOfSaveGame("/games/war/other/x.csv"), "/games/war/");
    EXPECT_EQ(GameDirOfSaveGame("/SAVE/GAME1.SAV"), "/");
    EXPECT_EQ(GameDirOfSaveGame("/GAME1.SAV"), "/");
}

TEST(GameDirRuleTest, SaveDirectoryIsFoundInAnyLetterCase)
{
    const TempDir dir;
    SetGameDir(dir.path());
    EXPECT_EQ(SaveGameDir, dir / "SAVE/");
    std::filesystem::create_directory(dir / "Save");
    SetGameDir(dir.path());
    EXPECT_EQ(GameDir, dir.path());
    EXPECT_EQ(SaveGameDir, dir / "Save/");
}

TEST(GameDirRuleTest, GameDirWithoutFinalSeparatorIsJoinedAsItStands)
{
    const TempDir dir;
    WriteBytes(dir / "EQUIP97.EQP", "");
    GameDir = dir.path().substr(0, dir.path().size() - 1);
    EXPECT_EQ(EquipFilePath(), GameDir + "EQUIP97.EQP");
    EXPECT_EQ(NameFilePath(), GameDir + "EQUIP97.TXT");
}

}  // namespace
