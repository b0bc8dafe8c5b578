#include "data/Backups.h"
#include "data/Equipment.h"
#include "data/Settings.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// The runs' directories below backups, by name.
std::vector<std::string> Runs(const std::string& backups)
{
    std::vector<std::string> runs;
    for (const auto& entry : fs::directory_iterator(backups))
        runs.push_back(entry.path().filename().string());
    std::sort(runs.begin(), runs.end());
    return runs;
}

// A run's first save keeps each file as it was, below the game directory's
// layout, and makes room by removing the oldest runs only; later saves in
// the run copy nothing. A copy that cannot be made stops the save before it
// writes anything, until the file is let go without one.
TEST(BackupsTest, FirstSaveOfARunKeepsTheOldFiles)
{
    const TempDir game, data;
    CopyDemo(game.path());
    SetGameDir(game.path());
    const std::string backups = data / "backups", eqp = game / "EQUIP97.EQP", txt = game / "EQUIP97.TXT";
    fs::create_directories(backups + "/1999 notes");  // not runs: kept, though older
    WriteBytes(backups + "/2000-01-01_00-00-00", "");
    for (int k = 0; k < 25; ++k)
        fs::create_directory(backups + "/2000-01-01_00-00-" + std::to_string(10 + k));
    const std::string oldEqp = ReadBytes(eqp), oldTxt = ReadBytes(txt);

    SetBackupDir(backups);
    LoadEquipment(eqp, txt);
    Equipment.UnitNames[1] = "First";
    SaveEquipment(eqp, txt);
    std::vector<std::string> runs = Runs(backups);
    ASSERT_EQ(runs.size(), 22u);  // the notes, the file, 19 old runs and this run
    EXPECT_EQ(runs[0], "1999 notes");
    EXPECT_EQ(runs[2], "2000-01-01_00-00-16");
    const std::string run = backups + "/" + runs.back() + "/";
    EXPECT_EQ(ReadBytes(run + "EQUIP97.EQP"), oldEqp);
    EXPECT_EQ(ReadBytes(run + "EQUIP97.TXT"), oldTxt);

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

}  // namespace
