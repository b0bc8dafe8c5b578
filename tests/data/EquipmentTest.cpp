#include "data/Equipment.h"
#include "data/FileError.h"
#include "data/Settings.h"
#include "data/UnitCodes.h"
#include "tests/support/TestSupport.h"
#include "tools/makedemo/DemoUnits.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <set>
#include <sys/stat.h>
#include <vector>

namespace {

std::string CountBytes(std::uint16_t count)
{
    return {static_cast<char>(count % 256), static_cast<char>(count / 256)};
}

std::string Record(std::uint8_t fill)
{
    return std::string(EquipRecordSize, static_cast<char>(fill));
}

template <typename Fn>
std::string ErrorText(Fn fn)
{
    try {
        fn();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "no error";
}

// The names of the files (not directories) in dir, sorted.
std::vector<std::string> FilesIn(const std::string& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        if (entry.is_regular_file())
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool SameTable(const TEquipTable& a, const TEquipTable& b)
{
    return a.UnitCount == b.UnitCount && a.Records == b.Records && a.UnitNames == b.UnitNames;
}

// Runs a load that must fail with the given text and checks that it left
// the loaded demo table exactly as it was.
template <typename Error>
void ExpectLoadFails(const std::string& eqp, const std::string& txt, const std::string& text)
{
    const auto before = std::make_unique<TEquipTable>(Equipment);
    try {
        LoadEquipment(eqp, txt);
        ADD_FAILURE() << "loaded " << eqp;
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find(text), std::string::npos) << e.what();
    }
    EXPECT_TRUE(SameTable(Equipment, *before));
}

class EquipmentTest : public testing::Test {
protected:
    void SetUp() override
    {
        CopyDemo(dir.path());
        LoadEquipment(eqp, txt);
    }

    TempDir dir;
    const std::string eqp = dir / EquipFileName;
    const std::string txt = dir / NameFileName;
};

TEST_F(EquipmentTest, LoadAndSaveKeepTheDemoFilesAsTheyAre)
{
    ASSERT_EQ(Equipment.UnitCount, DemoUnit::Count);
    EXPECT_EQ(Equipment.UnitNames[DemoUnit::TrailingBlank].back(), ' ');
    EXPECT_EQ(Equipment.UnitNames[DemoUnit::Accented[2]], "GER Stra\xDF" "enpanzer 63");
    const std::string oldEqp = ReadBytes(eqp);
    SaveEquipment(eqp, txt);

    EXPECT_EQ(ReadBytes(eqp), oldEqp);
    EXPECT_TRUE(oldEqp.ends_with(DemoUnit::TrailingBytes));
    std::string expected;
    for (std::size_t k = 0; k < DemoUnit::Count; ++k)
        expected += Equipment.UnitNames[k] + "\r\n";
    EXPECT_EQ(ReadBytes(txt), expected);
}

TEST_F(EquipmentTest, DemoHoldsTheUnitsTheTestsNeed)
{
    std::set<std::string_view> classes, countries;
    for (std::uint16_t code = 0; code < Equipment.UnitCount; ++code) {
        const TEquipRecord& r = Equipment.Records[code];
        EXPECT_EQ(r[0] + 256 * r[1], code);
        classes.insert(UnitClassName(r[Field::UnitClass]).value_or("none"));
        countries.insert(CountryName(code).value_or("none"));
    }
    EXPECT_EQ(classes.size(), 18u);
    EXPECT_EQ(countries.size(), CountryCount);

    const auto& records = Equipment.Records;
    const auto& names = Equipment.UnitNames;
    EXPECT_EQ(records[DemoUnit::FastInfantry][Field::UnitClass], 1);
    EXPECT_EQ(records[DemoUnit::FastInfantry][Field::Movement], 9);
    EXPECT_EQ(records[DemoUnit::NoMovement][Field::Movement], 0);
    EXPECT_EQ(records[DemoUnit::NoFuel][Field::Fuel], 0);
    EXPECT_EQ(records[DemoUnit::Cost20][Field::Cost], 20);
    EXPECT_EQ(records[DemoUnit::FreeUndated][Field::Cost], 0);
    EXPECT_EQ(records[DemoUnit::FreeUndated][Field::MonthAvailable], 0);
    EXPECT_NE(names[DemoUnit::SameName[0]], names[DemoUnit::SameName[1]]);
    EXPECT_EQ(std::count(names.begin(), names.begin() + DemoUnit::Count, names[DemoUnit::LastCode]), 1);
}

TEST(NameFileTest, ReadsLinesByTheGameRules)
{
    const TempDir dir;
    TEquipTable table;
    table.UnitCount = 6;
    const std::string forty(40, 'x');
    WriteBytes(dir / "names", forty + "\r\n" + "lf\nin name\r" + "cr only\r\r\n" + "tail\x1A" + "after\r\n");
    LoadNameFile(dir / "names", table);
    EXPECT_EQ(table.UnitNames[0], forty.substr(0, 28));
    EXPECT_EQ(table.UnitNames[1], "lf\nin name");
    EXPECT_EQ(table.UnitNames[2], "cr only");
    EXPECT_EQ(table.UnitNames[3], "");
    EXPECT_EQ(table.UnitNames[4], "tail");
    EXPECT_EQ(table.UnitNames[5], "");

    SaveNameFile(dir / "names", table);
    EXPECT_EQ(ReadBytes(dir / "names"), forty.substr(0, 28) + "\r\nlf\nin name\r\ncr only\r\n\r\ntail\r\n\r\n");
}

TEST(NameFileTest, LineFeedsAloneEndNoLine)
{
    const TempDir dir;
    TEquipTable table;
    table.UnitCount = 3;
    WriteBytes(dir / "names", "one\ntwo\nthree\n");
    LoadNameFile(dir / "names", table);
    EXPECT_EQ(table.UnitNames[0], "one\ntwo\nthree\n");
    EXPECT_EQ(table.UnitNames[1], "");
}

TEST_F(EquipmentTest, ExtraNameLinesAreDroppedBySave)
{
    WriteBytes(txt, ReadBytes(txt) + "surplus\r\n");
    LoadEquipment(eqp, txt);
    SaveEquipment(eqp, txt);
    EXPECT_FALSE(ReadBytes(txt).ends_with("surplus\r\n"));
}

TEST_F(EquipmentTest, CountsTheTableCannotHoldAreRefused)
{
    for (std::uint16_t count : {0, 1, 1025, 65535}) {
        WriteBytes(dir / "bad.eqp", CountBytes(count) + Record(1) + Record(2));
        ExpectLoadFails<FileRefused>(dir / "bad.eqp", txt, dir / "bad.eqp holds " + std::to_string(count));
    }
}

TEST_F(EquipmentTest, FailedLoadsLeaveTheTable)
{
    WriteBytes(dir / "short.eqp", CountBytes(3) + Record(1) + Record(2));
    ExpectLoadFails<FileError>(dir / "short.eqp", txt, "Read beyond end of file");
    WriteBytes(dir / "two.eqp", CountBytes(2) + Record(1) + Record(2));
    ExpectLoadFails<FileError>(dir / "two.eqp", dir / "missing.txt", "File not found");
    ExpectLoadFails<FileError>(dir / "missing.eqp", txt, "File not found");

    chmod(eqp.c_str(), 0444);
    AsNobody nobody;
    ExpectLoadFails<FileError>(eqp, txt, "File access denied");
}

TEST_F(EquipmentTest, SaveWithNothingLoadedWritesNothing)
{
    const std::string oldEqp = ReadBytes(eqp);
    Equipment = TEquipTable{};
    EXPECT_THROW(SaveEquipment(eqp, txt), FileRefused);
    EXPECT_EQ(ReadBytes(eqp), oldEqp);
}

TEST_F(EquipmentTest, SaveNeedsTheRecordFile)
{
    std::filesystem::remove(eqp);
    const std::string oldTxt = ReadBytes(txt);
    EXPECT_EQ(ErrorText([&] { SaveEquipment(eqp, txt); }), "File not found");
    EXPECT_FALSE(std::filesystem::exists(eqp));
    EXPECT_EQ(ReadBytes(txt), oldTxt);
}

TEST_F(EquipmentTest, ReadOnlyFilesAreNotWrittenAtAll)
{
    const std::string oldEqp = ReadBytes(eqp);
    const std::string oldTxt = ReadBytes(txt);
    Equipment.UnitNames[1] = "Renamed";
    Equipment.Records[1][Field::Cost] ^= 1;
    chmod(eqp.c_str(), 0666);
    chmod(txt.c_str(), 0444);
    {
        AsNobody nobody;
        EXPECT_EQ(ErrorText([&] { SaveEquipment(eqp, txt); }), "File access denied");
    }
    chmod(eqp.c_str(), 0444);
    chmod(txt.c_str(), 0666);
    {
        AsNobody nobody;
        EXPECT_EQ(ErrorText([&] { SaveEquipment(eqp, txt); }), "File access denied");
    }
    EXPECT_EQ(ReadBytes(eqp), oldEqp);
    EXPECT_EQ(ReadBytes(txt), oldTxt);
}

TEST_F(EquipmentTest, FailedNameFileSaveLeavesTheOldFileWhole)
{
    const std::string oldTxt = ReadBytes(txt);
    Equipment.UnitNames[1] = "Renamed";
    const int status = RunWithFileSizeLimit(1000, [&] {
        try {
            SaveNameFile(txt, Equipment);
        } catch (const FileError& e) {
            return std::string(e.what()) == "Disk full" ? 0 : 1;
        }
        return 2;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadBytes(txt), oldTxt);
    EXPECT_EQ(FilesIn(dir.path()), (std::vector<std::string>{EquipFileName, NameFileName}));
}

TEST_F(EquipmentTest, AddedUnitIsSavedAfterTheLastRecord)
{
    const int code = AddUnit(DemoUnit::SameName[2]);
    ASSERT_EQ(code, 586);
    SaveEquipment(eqp, txt);

    const std::string bytes = ReadBytes(eqp);
    EXPECT_EQ(bytes.substr(0, 2), "\x4B\x02");
    const std::string added = bytes.substr(2 + EquipRecordSize * 586, EquipRecordSize);
    const std::string original = bytes.substr(2 + EquipRecordSize * DemoUnit::SameName[2], EquipRecordSize);
    EXPECT_EQ(added.substr(0, 2), "\x4A\x02");
    EXPECT_EQ(added.substr(2), original.substr(2));
    EXPECT_TRUE(ReadBytes(txt).ends_with("\r\nassault pioneers\r\n"));
}

TEST(AddUnitTest, StopsAt1023Units)
{
    Equipment = TEquipTable{};
    Equipment.UnitCount = 1022;
    Equipment.Records[5].fill(7);
    EXPECT_EQ(AddUnit(5), 1022);
    EXPECT_EQ(Equipment.Records[1022][0], 0xFE);
    EXPECT_EQ(Equipment.Records[1022][1], 0x03);
    EXPECT_EQ(Equipment.Records[1022][2], 7);
    EXPECT_EQ(AddUnit(5), -1);
    EXPECT_EQ(Equipment.UnitCount, 1023);

    Equipment.UnitCount = 10;
    EXPECT_EQ(AddUnit(10), -1);
    EXPECT_EQ(Equipment.UnitCount, 10);
}

TEST(HexCodeTest, ShowsTheLowByteFirst)
{
    EXPECT_EQ(HexCode(1), "0100");
    EXPECT_EQ(HexCode(255), "FF00");
    EXPECT_EQ(HexCode(256), "0001");
    EXPECT_EQ(HexCode(300), "2C01");
}

TEST(LetterCaseTest, FilesInAnotherCaseAreFoundAndWrittenOver)
{
    const TempDir dir;
    CopyDemo(dir.path());
    std::filesystem::rename(dir / EquipFileName, dir / "equip97.eqp");
    std::filesystem::rename(dir / NameFileName, dir / "Equip97.Txt");
    SetGameDir(dir.path());
    LoadEquipment(EquipFilePath(), NameFilePath());
    Equipment.UnitNames[1] = "Renamed";
    SaveEquipment(EquipFilePath(), NameFilePath());

    EXPECT_FALSE(std::filesystem::exists(dir / NameFileName));
    EXPECT_TRUE(ReadBytes(dir / "Equip97.Txt").starts_with(Equipment.UnitNames[0] + "\r\nRenamed\r\n"));
    EXPECT_EQ(FilesIn(dir.path()), (std::vector<std::string>{"Equip97.Txt", "equip97.eqp"}));
}

}  // namespace
