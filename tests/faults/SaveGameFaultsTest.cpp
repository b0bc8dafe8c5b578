#include "sgeditor/SaveGame.h"

#include "data/FileError.h"
#include "tests/faults/Faults.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// size bytes in which no offset passes the record test, with count unit
// records from at on (codes 1, 2, ...).
std::string SaveGameBytes(std::size_t size, std::size_t at = 0, int count = 0)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(1 + i % 9);
    for (int k = 0; k < count; ++k) {
        const std::size_t p = at + UnitRecordSize * static_cast<std::size_t>(k);
        bytes[p] = bytes[p + 10] = static_cast<char>(1 + k % 255);
        bytes[p + 1] = bytes[p + 11] = 0;
    }
    return bytes;
}

struct Image {
    std::string bytes;
    std::vector<TSaveGameUnit> units;
    bool operator==(const Image&) const = default;
};

Image ImageOf(const TSaveGame& game)
{
    Image image{std::string(reinterpret_cast<const char*>(game.Data()), game.Length()), {}};
    for (int k = 0; k < game.UnitListCount(); ++k)
        image.units.push_back(game.ReadUnit(k));
    return image;
}

// A save game loaded and edited as a user would before saving.
class SaveGameFaultsTest : public testing::Test {
protected:
    void SetUp() override
    {
        CopyDemo(dir.path());
        OpenToOthers(dir.path());
        ASSERT_TRUE(game.LoadFromFile(path));
        game.SetPrestige(9999);
        game.WriteUnit(0, {2, 0, 500, 30, 10, 10});
    }

    // After a failure the image is still there: saving it elsewhere works.
    void ExpectNextSaveWorks()
    {
        TempDir other;
        game.SaveToFile(other / "saved.sav");
        EXPECT_EQ(ReadBytes(other / "saved.sav"), ImageOf(game).bytes);
    }

    TempDir dir;
    const std::string saveDir = dir / "SAVE/";
    const std::string path = saveDir + "GAME1.CSV";
    TSaveGame game;
};

TEST_F(SaveGameFaultsTest, FailedSavesLeaveTheFileAndTheImage)
{
    struct Fault {
        const char* what;
        std::function<void()> apply;
        std::string text;
        long sizeLimit = 0;
    };
    const Fault faults[] = {
        {"directory read-only", [&] { chmod(saveDir.c_str(), 0555); }, "File access denied", 0},
        {"file read-only", [&] { chmod(path.c_str(), 0444); }, "File access denied", 0},
        {"file replaced by a directory",
         [&] {
             fs::remove(path);
             fs::create_directory(path);
         },
         "File access denied", 0},
        {"disk full half way", [] {}, "Disk full", 20000},
    };
    const Image image = ImageOf(game);
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.what);
        fault.apply();
        const DirContents before = ContentsOf(saveDir);
        EXPECT_EQ(FaultText(fault.sizeLimit, fault.text, [&] { game.SaveToFile(path); }), fault.text);
        EXPECT_EQ(ChangedPaths(before, ContentsOf(saveDir)), "");
        EXPECT_EQ(ImageOf(game), image);
        ExpectNextSaveWorks();
        chmod(saveDir.c_str(), 0777);
        fs::remove_all(path);
        fs::copy(DemoDir() + "SAVE/GAME1.CSV", path);
        OpenToOthers(dir.path());
    }
}

TEST_F(SaveGameFaultsTest, FileGoneSinceTheLoadIsWrittenAnew)
{
    fs::remove(path);
    game.SaveToFile(path);
    EXPECT_EQ(ReadBytes(path), ImageOf(game).bytes);
}

TEST_F(SaveGameFaultsTest, FilesWithoutAListOrTooLargeLeaveTheImage)
{
    const std::size_t limit = UnitSearchStart + UnitSearchTail;
    struct Damage {
        const char* what;
        std::function<void(const std::string&)> make;
        std::string text;  // empty: loads without a unit list
    };
    const Damage damages[] = {
        {"empty", [](const std::string& p) { WriteBytes(p, ""); }, ""},
        {"exactly the search limit, full of records",
         [&](const std::string& p) { WriteBytes(p, SaveGameBytes(limit, UnitSearchStart, 1).substr(0, limit)); }, ""},
        {"records of code 256",
         [](const std::string& p) {
             std::string bytes = SaveGameBytes(20000, 12000, 6);
             for (int k = 0; k < 6; ++k) {
                 const std::size_t at = 12000 + UnitRecordSize * static_cast<std::size_t>(k);
                 bytes[at] = bytes[at + 10] = 0;
                 bytes[at + 1] = bytes[at + 11] = 1;
             }
             WriteBytes(p, bytes);
         },
         ""},
        {"1 MiB + 1",
         [](const std::string& p) { WriteBytes(p, SaveGameBytes(SaveGameCapacity + 1, 12000, 10)); },
         " is 1048577 bytes long"},
        {"a directory", [](const std::string& p) { fs::create_directory(p); }, "File access denied"},
    };
    const Image image = ImageOf(game);
    const std::string damaged = saveDir + "DAMAGED.SAV";
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.what);
        fs::remove_all(damaged);
        damage.make(damaged);
        const DirContents before = ContentsOf(saveDir);
        bool found = false;
        const std::string text = ErrorText([&] { found = game.LoadFromFile(damaged); });
        if (damage.text.empty())
            EXPECT_EQ(text, "no error");
        else
            EXPECT_NE(text.find(damage.text), std::string::npos) << text;
        EXPECT_FALSE(found);
        EXPECT_EQ(ChangedPaths(before, ContentsOf(saveDir)), "");
        EXPECT_EQ(ImageOf(game), image);
    }
    ExpectNextSaveWorks();
}

TEST_F(SaveGameFaultsTest, LargestFilesAndLongestRunsSaveWhole)
{
    // A file of the whole capacity, its list at the very end.
    const std::string full = SaveGameBytes(SaveGameCapacity, SaveGameCapacity - 6 * UnitRecordSize, 6);
    WriteBytes(path, full);
    ASSERT_TRUE(game.LoadFromFile(path));
    EXPECT_EQ(game.UnitListCount(), 6);
    game.SaveToFile(path);
    EXPECT_EQ(ReadBytes(path), full);

    // A run of 300 records: the list holds 255, and the records after it
    // stay as they are whatever is written to the units.
    const std::string run = SaveGameBytes(40000, 12000, 300);
    WriteBytes(path, run);
    ASSERT_TRUE(game.LoadFromFile(path));
    ASSERT_EQ(game.UnitListCount(), MaxSaveGameUnits);
    EXPECT_EQ(game.ReadUnit(254).TypeCode, 255);
    for (int k = 0; k < MaxSaveGameUnits; ++k)
        game.WriteUnit(k, game.ReadUnit(k));
    game.SaveToFile(path);
    EXPECT_EQ(ReadBytes(path), run);
    game.WriteUnit(254, {300, 300, 65000, 255, 15, 15});
    game.SaveToFile(path);
    const std::size_t after = 12000 + UnitRecordSize * MaxSaveGameUnits;
    EXPECT_EQ(ReadBytes(path).substr(after), run.substr(after));
}

}  // namespace
