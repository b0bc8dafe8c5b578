#include "sgeditor/SaveGame.h"

#include "data/FileError.h"
#include "tests/support/TestSupport.h"
#include "tools/makedemo/DemoSaves.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace {

// Filler in which no offset passes the record test: a byte never equals the
// byte ten places further on.
std::string Image(std::size_t size)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(1 + i % 9);
    return bytes;
}

// Bytes beyond the end of the image are left out, as a file that ends
// inside a record.
void Put8(std::string& bytes, std::size_t at, std::uint8_t value)
{
    if (at < bytes.size())
        bytes[at] = static_cast<char>(value);
}

void Put16(std::string& bytes, std::size_t at, std::uint16_t value)
{
    Put8(bytes, at, static_cast<std::uint8_t>(value % 256));
    Put8(bytes, at + 1, static_cast<std::uint8_t>(value / 256));
}

// Unit records with codes first, first + 1, ... (skipping multiples of 256),
// no transport, experience, fuel or current strength, and total strength 9.
void PutRecords(std::string& bytes, std::size_t at, int count, std::uint16_t first = 1)
{
    for (int k = 0; k < count; ++k, ++first) {
        if (first % 256 == 0)
            ++first;
        const std::size_t p = at + UnitRecordSize * static_cast<std::size_t>(k);
        Put16(bytes, p + UnitField::TypeCode, first);
        Put16(bytes, p + UnitField::TypeCodeCopy, first);
        Put16(bytes, p + UnitField::TransportCode, 0);
        Put16(bytes, p + UnitField::Experience, 0);
        Put8(bytes, p + UnitField::CurrentStrength, 0);
        Put8(bytes, p + UnitField::UnitFuel, 0);
        Put8(bytes, p + UnitField::TotalStrength, 9);
    }
}

std::string ImageWithList(std::size_t size, std::size_t at, int count, std::uint16_t first = 1)
{
    std::string bytes = Image(size);
    PutRecords(bytes, at, count, first);
    return bytes;
}

class SaveGameTest : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& bytes)
    {
        WriteBytes(dir / name, bytes);
        return dir / name;
    }
    bool Load(const std::string& bytes) { return game.LoadFromFile(Write("game.sav", bytes)); }
    std::string Saved()
    {
        game.SaveToFile(dir / "saved.sav");
        return ReadBytes(dir / "saved.sav");
    }

    TempDir dir;
    TSaveGame game;
};

TEST_F(SaveGameTest, SavingWithoutEditsWritesTheLoadedBytes)
{
    const std::string bytes = ImageWithList(20000, 12000, 8);
    const std::string path = Write("GAME.CSV", bytes);
    ASSERT_TRUE(game.LoadFromFile(path));
    game.SaveToFile(path);
    EXPECT_EQ(ReadBytes(path), bytes);
}

TEST_F(SaveGameTest, ListIsTheLowestRunOfFiveRecords)
{
    std::string bytes = Image(20000);
    PutRecords(bytes, 12500, 9, 100);
    PutRecords(bytes, 11900, 6, 40);
    ASSERT_TRUE(Load(bytes));
    EXPECT_EQ(game.UnitListCount(), 6);
    EXPECT_EQ(game.ReadUnit(0).TypeCode, 40);

    // Records before the search start are never units.
    ASSERT_TRUE(Load(ImageWithList(20000, UnitSearchStart - 2 * UnitRecordSize, 10, 1)));
    EXPECT_EQ(game.UnitListCount(), 8);
    EXPECT_EQ(game.ReadUnit(0).TypeCode, 3);
}

TEST_F(SaveGameTest, ListEndsBeforeTheFirstRecordThatFailsTheTest)
{
    std::string bytes = ImageWithList(20000, 12000, 10);
    Put16(bytes, 12000 + 6 * UnitRecordSize, 256);
    Put16(bytes, 12000 + 6 * UnitRecordSize + UnitField::TypeCodeCopy, 256);
    ASSERT_TRUE(Load(bytes));
    EXPECT_EQ(game.UnitListCount(), 6);

    // The copy of the code must match both bytes.
    bytes = ImageWithList(20000, 12000, 10);
    bytes[12000 + 7 * UnitRecordSize + UnitField::TypeCodeCopy + 1] = 1;
    ASSERT_TRUE(Load(bytes));
    EXPECT_EQ(game.UnitListCount(), 7);
}

TEST_F(SaveGameTest, FilesWithoutFiveRecordsInARowHaveNoList)
{
    std::string fourAndFour = ImageWithList(20000, 12000, 9);
    fourAndFour[12000 + 4 * UnitRecordSize] = 0;
    for (const std::string& bytes : {fourAndFour, std::string(), Image(10), ImageWithList(20000, UnitSearchStart, 5).substr(0, UnitSearchStart + UnitSearchTail)}) {
        EXPECT_FALSE(game.LoadFromFile(Write("nolist.sav", bytes)));
        EXPECT_FALSE(game.IsLoaded());
        EXPECT_EQ(game.UnitListCount(), 0);
    }
    EXPECT_FALSE(game.LocateUnits());
}

TEST_F(SaveGameTest, RunsLongerThanTheLimitEndAt255Units)
{
    const std::string bytes = ImageWithList(UnitSearchStart + 300 * UnitRecordSize + 100, UnitSearchStart, 300);
    ASSERT_TRUE(Load(bytes));
    EXPECT_EQ(game.UnitListCount(), MaxSaveGameUnits);
    EXPECT_EQ(game.ReadUnit(254).TypeCode, 255);

    // Indices outside the list touch nothing.
    EXPECT_EQ(game.ReadUnit(255), TSaveGameUnit{});
    EXPECT_EQ(game.ReadUnit(-1), TSaveGameUnit{});
    const TSaveGameUnit unit{7, 7, 7, 7, 7, 7};
    game.WriteUnit(255, unit);
    game.WriteUnit(-1, unit);
    EXPECT_EQ(Saved(), bytes);
}

TEST_F(SaveGameTest, UnitFieldsAreReadAndWrittenInTheirStoredForm)
{
    std::string bytes = ImageWithList(20000, 12000, 6);
    const std::size_t p = 12000 + UnitRecordSize;
    Put16(bytes, p + UnitField::TransportCode, 512);
    Put16(bytes, p + UnitField::Experience, 65535);
    bytes[p + UnitField::CurrentStrength] = 20;
    bytes[p + UnitField::UnitFuel] = static_cast<char>(200);
    bytes[p + UnitField::TotalStrength] = 0;
    ASSERT_TRUE(Load(bytes));
    const TSaveGameUnit read = game.ReadUnit(1);
    EXPECT_EQ(read, (TSaveGameUnit{2, 512, 65535, 200, 0, 20}));

    game.WriteUnit(1, read);
    EXPECT_EQ(Saved(), bytes);

    game.WriteUnit(1, {300, 0, 65000, 255, 15, 7});
    std::string expected = bytes;
    for (std::size_t at : {p + UnitField::TypeCode, p + UnitField::TypeCodeCopy})
        Put16(expected, at, 300);  // 2C 01
    Put16(expected, p + UnitField::TransportCode, 0);
    Put16(expected, p + UnitField::Experience, 65000);
    expected[p + UnitField::CurrentStrength] = 7;
    expected[p + UnitField::UnitFuel] = static_cast<char>(255);
    expected[p + UnitField::TotalStrength] = 15;
    EXPECT_EQ(Saved(), expected);
    EXPECT_EQ(expected.substr(p, 2), "\x2C\x01");
}

TEST_F(SaveGameTest, PrestigeIsLittleEndianAtItsOffset)
{
    std::string bytes = ImageWithList(20000, 12000, 5);
    bytes[PrestigeOffset] = 0x10;
    bytes[PrestigeOffset + 1] = 0x27;
    ASSERT_TRUE(Load(bytes));
    EXPECT_EQ(game.Prestige(), 10000);
    game.SetPrestige(55000);
    bytes[PrestigeOffset] = static_cast<char>(0xD8);
    bytes[PrestigeOffset + 1] = static_cast<char>(0xD6);
    EXPECT_EQ(Saved(), bytes);
}

TEST_F(SaveGameTest, ShorterFileAfterALongerOneUsesNoneOfItsBytes)
{
    // Loaded twice, so that whichever buffer the next load uses holds it.
    const std::string longer = ImageWithList(20000, 12000, 10);
    ASSERT_TRUE(Load(longer));
    ASSERT_TRUE(Load(longer));

    // The sixth record keeps its code and copy, but loses everything after.
    const std::size_t sixth = 12000 + 5 * UnitRecordSize;
    const std::string shorter = longer.substr(0, sixth + UnitField::TypeCodeCopy + 2);
    ASSERT_TRUE(Load(shorter));
    EXPECT_EQ(game.Length(), shorter.size());
    EXPECT_EQ(game.UnitListCount(), 6);
    EXPECT_EQ(game.ReadUnit(5), (TSaveGameUnit{6, 0, 0, 0, 0, 0}));
    game.WriteUnit(5, {6, 0, 0, 50, 9, 9});
    EXPECT_EQ(game.ReadUnit(5).TotalStrength, 0);
    EXPECT_EQ(Saved(), shorter);
}

TEST_F(SaveGameTest, RefusedOrListlessFilesLeaveThePreviousImage)
{
    std::string bytes = ImageWithList(20000, 12000, 7);
    bytes[PrestigeOffset] = 5;
    ASSERT_TRUE(Load(bytes));
    ASSERT_TRUE(Load(bytes));  // now both buffers hold it
    game.SetPrestige(777);
    bytes[PrestigeOffset] = static_cast<char>(777 % 256);
    bytes[PrestigeOffset + 1] = static_cast<char>(777 / 256);

    const std::string oversize = Write("BIG.SAV", ImageWithList(SaveGameCapacity + 1, 12000, 9));
    try {
        game.LoadFromFile(oversize);
        ADD_FAILURE() << "an oversize file loaded";
    } catch (const FileRefused& e) {
        EXPECT_NE(std::string(e.what()).find(oversize), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("1048577"), std::string::npos) << e.what();
    }
    // Stale bytes of the long file must not make up a list for the short one.
    EXPECT_FALSE(game.LoadFromFile(Write("short.sav", bytes.substr(0, 12000 + 4 * UnitRecordSize + 10))));
    EXPECT_FALSE(game.LoadFromFile(Write("plain.sav", Image(30000))));
    EXPECT_THROW(game.LoadFromFile(dir / "missing.sav"), FileError);

    EXPECT_EQ(game.UnitListCount(), 7);
    EXPECT_EQ(game.Length(), bytes.size());
    EXPECT_EQ(game.Prestige(), 777);
    EXPECT_EQ(Saved(), bytes);
}

TEST_F(SaveGameTest, FileOfFullCapacityLoads)
{
    // The last unit runs past the end of the buffer; its missing bytes read as zero.
    const std::size_t last = SaveGameCapacity - UnitField::TypeCodeCopy - 2;
    ASSERT_TRUE(Load(ImageWithList(SaveGameCapacity, last - 5 * UnitRecordSize, 6)));
    EXPECT_EQ(game.UnitListCount(), 6);
    EXPECT_EQ(game.ReadUnit(5).TotalStrength, 0);
}

TEST_F(SaveGameTest, ReadOnlyFileFailsToLoad)
{
    const std::string path = Write("ro.sav", ImageWithList(20000, 12000, 5));
    chmod(path.c_str(), 0444);
    AsNobody nobody;
    try {
        game.LoadFromFile(path);
        ADD_FAILURE() << "a read-only file loaded";
    } catch (const FileError& e) {
        EXPECT_STREQ(e.what(), "File access denied");
    }
    EXPECT_FALSE(game.IsLoaded());
}

class FailedSaveTest : public SaveGameTest {
protected:
    void SetUp() override { ASSERT_TRUE(Load(ImageWithList(20000, 12000, 5))); }
    // An old file that the failed save must leave whole.
    std::string OldFile(const std::string& path)
    {
        WriteBytes(path, old);
        chmod(path.c_str(), 0666);
        return path;
    }
    void ExpectAccessDenied(const std::string& path)
    {
        AsNobody nobody;
        try {
            game.SaveToFile(path);
            ADD_FAILURE() << "saved over " << path;
        } catch (const FileError& e) {
            EXPECT_STREQ(e.what(), "File access denied");
        }
    }

    const std::string old = "the old save game";
};

TEST_F(FailedSaveTest, DiskFullLeavesTheOldFile)
{
    const std::string path = OldFile(dir / "full.sav");
    const int status = RunWithFileSizeLimit(1000, [&] {
        try {
            game.SaveToFile(path);
        } catch (const FileError& e) {
            return e.code() == ErrorCode::DiskFull ? 0 : 2;
        }
        return 1;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);  // game.sav, full.sav
}

TEST_F(FailedSaveTest, ReadOnlyTargetOrDirectoryLeavesTheOldFile)
{
    const std::string readOnly = OldFile(dir / "ro.sav");
    chmod(readOnly.c_str(), 0444);
    ExpectAccessDenied(readOnly);
    EXPECT_EQ(ReadBytes(readOnly), old);

    std::filesystem::create_directory(dir / "SAVE");
    const std::string inLockedDir = OldFile(dir / "SAVE/game.sav");
    chmod((dir / "SAVE").c_str(), 0555);
    ExpectAccessDenied(inLockedDir);
    EXPECT_EQ(ReadBytes(inLockedDir), old);
}

TEST_F(SaveGameTest, NothingIsSavedBeforeALoad)
{
    const std::string path = Write("keep.sav", "keep");
    EXPECT_THROW(game.SaveToFile(path), FileRefused);
    EXPECT_EQ(ReadBytes(path), "keep");
}

TEST_F(SaveGameTest, DemoSaveGamesHoldTheirLists)
{
    ASSERT_TRUE(game.LoadFromFile(DemoDir() + "SAVE/" + DemoSaves::CampaignFile));
    EXPECT_EQ(game.UnitListCount(), DemoSaves::CampaignUnitCount);
    EXPECT_EQ(game.Prestige(), DemoSaves::CampaignPrestige);
    for (int k = 0; k < static_cast<int>(std::size(DemoSaves::CampaignSpecialUnits)); ++k)
        EXPECT_EQ(game.ReadUnit(k), DemoSaves::CampaignSpecialUnits[k]) << "unit " << k;

    ASSERT_TRUE(game.LoadFromFile(DemoDir() + "SAVE/" + DemoSaves::ScenarioFile));
    EXPECT_EQ(game.UnitListCount(), DemoSaves::ScenarioUnitCount);
    EXPECT_EQ(game.Prestige(), DemoSaves::ScenarioPrestige);

    EXPECT_FALSE(game.LoadFromFile(DemoDir() + "SAVE/" + DemoSaves::NoListFile));
}

}  // namespace
