#include "data/Settings.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace {

TEST(SettingsTest, FiveCrLfLinesAreWrittenAndLinesAreReadByPosition)
{
    const TempDir dir;
    SettingsDir = dir.path().substr(0, dir.path().size() - 1);
    const std::string ini = dir / SettingsFileName;
    EXPECT_EQ(SettingsPath(), ini);
    EXPECT_FALSE(SettingsExist());
    GameDir = "/games/war/";
    SaveGameDir = "/games/war/SAVE/";
    WriteSettings();
    EXPECT_TRUE(SettingsExist());

    const struct {
        std::string text, gameDir, saveGameDir;
    } files[] = {
        {ReadBytes(ini), "/games/war/", "/games/war/SAVE/"},
        {"anything\r\n/a/\r\n", "/a/", ""},
        {"x\n /b \n\nx\n/b/save/", " /b ", "/b/save/"},
        {"x\r/c/\r\rx\r/c/S/\r", "/c/", "/c/S/"},
    };
    EXPECT_EQ(files[0].text, "[Duvari 2 Directory]\r\n/games/war/\r\n\r\n"
                             "[Duvari 2 Save Game Directory]\r\n/games/war/SAVE/\r\n");
    for (const auto& file : files) {
        WriteBytes(ini, file.text);
        ReadSettings();
        EXPECT_EQ(GameDir, file.gameDir) << file.text;
        EXPECT_EQ(SaveGameDir, file.saveGameDir) << file.text;
    }
}

// A file cut after each of its first five lines, with each line ending and
// with or without the last one: lines that are missing read as empty. Run
// in the sanitizer build, where reading a line past the end aborts.
TEST(SettingsTest, FileCutAfterEachLineReadsTheLinesItHas)
{
    const TempDir dir;
    SettingsDir = dir.path().substr(0, dir.path().size() - 1);
    const std::string lines[] = {"[Duvari 2 Directory]", "/g/", "", "[Duvari 2 Save Game Directory]", "/g/SAVE/"};
    for (const std::string ending : {"\r\n", "\n", "\r"})
        for (int kept = 1; kept <= 5; ++kept)
            for (const bool lastEnded : {true, false}) {
                std::string text;
                for (int k = 0; k < kept; ++k)
                    text += lines[k] + (k + 1 < kept || lastEnded ? ending : "");
                WriteBytes(dir / SettingsFileName, text);
                GameDir = SaveGameDir = "before";
                ReadSettings();
                EXPECT_EQ(GameDir, kept >= 2 ? "/g/" : "") << kept << " lines";
                EXPECT_EQ(SaveGameDir, kept >= 5 ? "/g/SAVE/" : "") << kept << " lines";
            }
    SettingsDir.clear();
    GameDir = SaveGameDir = "";
}

TEST(SettingsTest, SettingsDirIsCapturedOnceAndTheRootKeepsItsSeparator)
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

    SettingsDir = "/";
    EXPECT_EQ(SettingsPath(), "/DV2Edit.ini");
}

TEST(SettingsTest, GameDirRules)
{
    const struct {
        std::string picked, ruleA, ruleB;
    } cases[] = {
        {"/games/war/SAVE/GAME1.SAV", "/games/war/SAVE/", "/games/war/"},
        {"/games/war/other/x.csv", "/games/war/other/", "/games/war/"},
        {"/SAVE/GAME1.SAV", "/SAVE/", "/"},
        {"/GAME1.SAV", "/", "/"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GameDirOfEquipFile(c.picked), c.ruleA) << c.picked;
        EXPECT_EQ(GameDirOfSaveGame(c.picked), c.ruleB) << c.picked;
    }

    // SAVE in any letter case, "SAVE/" when there is none.
    const TempDir dir;
    SetGameDir(dir.path());
    EXPECT_EQ(SaveGameDir, dir / "SAVE/");
    std::filesystem::create_directory(dir / "Save");
    SetGameDir(dir.path());
    EXPECT_EQ(GameDir, dir.path());
    EXPECT_EQ(SaveGameDir, dir / "Save/");
    std::filesystem::create_directory(dir / "save");  // two such: neither is taken
    SetGameDir(dir.path());
    EXPECT_EQ(SaveGameDir, dir / "SAVE/");

    // A hand-edited directory without its final '/' is joined as it stands,
    // letter case and all.
    WriteBytes(dir / "equip97.eqp", "");
    GameDir = dir.path().substr(0, dir.path().size() - 1);
    EXPECT_EQ(EquipFilePath(), GameDir + "EQUIP97.EQP");
    EXPECT_EQ(NameFilePath(), GameDir + "EQUIP97.TXT");
}

}  // namespace
