#include "data/Equipment.h"
#include "data/FileError.h"
#include "data/Settings.h"
#include "tests/support/GameFormat.h"
#include "tests/support/TestSupport.h"
#include "tools/makedemo/DemoUnits.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace Eqp = GameFormat::Eqp;

// A record file of count records, every record byte 7.
std::string EqpBytes(std::uint16_t count)
{
    return std::string{static_cast<char>(count % 256), static_cast<char>(count / 256)}
           + std::string(count * Eqp::RecordSize, '\x07');
}

TEST(EquipmentTest, DemoFilesSurviveLoadAndSaveAndAnAddedUnitFollowsTheLastRecord)
{
    const TempDir dir;
    CopyDemo(dir.path());
    const std::string eqp = dir / EquipFileName, txt = dir / NameFileName;
    const std::string oldEqp = ReadBytes(eqp);
    WriteBytes(txt, ReadBytes(txt) + "surplus\r\n");  // lines beyond the count are dropped
    LoadEquipment(eqp, txt);
    ASSERT_EQ(Equipment.UnitCount, DemoUnit::Count);
    EXPECT_EQ(Equipment.UnitNames[DemoUnit::TrailingBlank].back(), ' ');
    EXPECT_EQ(Equipment.UnitNames[DemoUnit::Accented[2]], "GER Stra\xDF" "enpanzer 63");

    SaveEquipment(eqp, txt);
    EXPECT_EQ(ReadBytes(eqp), oldEqp);
    EXPECT_TRUE(oldEqp.ends_with(DemoUnit::TrailingBytes));
    std::string names;
    for (std::size_t k = 0; k < DemoUnit::Count; ++k)
        names += Equipment.UnitNames[k] + "\r\n";
    EXPECT_EQ(ReadBytes(txt), names);

    ASSERT_EQ(AddUnit(DemoUnit::SameName[2]), 586);
    SaveEquipment(eqp, txt);
    const std::string bytes = ReadBytes(eqp);
    const auto record = [&](std::size_t k) { return bytes.substr(2 + Eqp::RecordSize * k, Eqp::RecordSize); };
    EXPECT_EQ(bytes.substr(0, 2), "\x4B\x02");
    EXPECT_EQ(record(586).substr(0, 2), "\x4A\x02");
    EXPECT_EQ(record(586).substr(2), record(DemoUnit::SameName[2]).substr(2));
    EXPECT_EQ(ReadBytes(txt), names + "assault pioneers\r\n");
}

TEST(EquipmentTest, NamesAreReadAndWrittenByTheGameRules)
{
    const TempDir dir;
    TEquipTable table;
    table.UnitCount = 7;
    const std::string forty(40, 'x');
    const struct {
        std::string file;
        std::array<std::string, 7> names;
        std::vector<std::uint64_t> lengths;  // of the lines, uncut
    } files[] = {
        {"fewer\r\nlines\r\n", {"fewer", "lines", "", "", "", "", ""}, {5, 5}},
        // A CR LF split where the reader's blocks of 64 KiB meet.
        {std::string(65535, 'x') + "\r\nnext\r\n", {std::string(28, 'x'), "next", "", "", "", "", ""}, {65535, 4}},
        {forty + "\r\n" + "lf\nin name\r" + "cr only\r\r\n" + "tail\x1A" + "after\r\n",
         {forty.substr(0, 28), "lf\nin name", "cr only", "", "tail", "", ""}, {40, 10, 7, 0, 4}},
    };
    for (const auto& [file, names, lengths] : files) {
        WriteBytes(dir / "names", file);
        LoadNameFile(dir / "names", table);
        for (std::size_t k = 0; k < names.size(); ++k)
            EXPECT_EQ(table.UnitNames[k], names[k]) << "name " << k;
        EXPECT_EQ(NameLineLengths(dir / "names", names.size()), lengths);
        EXPECT_EQ(NameLineLengths(dir / "names", 1), std::vector(lengths.begin(), lengths.begin() + 1));
    }

    // Written as they would read back: a CR or Ctrl-Z would shift every later name.
    table.UnitNames[0] = forty;
    table.UnitNames[2] = "cut\rhere";
    table.UnitNames[3] = "cut\x1A" "here";
    SaveNameFile(dir / "names", table);
    EXPECT_EQ(ReadBytes(dir / "names"), forty.substr(0, 28) + "\r\nlf\nin name\r\ncut\r\ncut\r\ntail\r\n\r\n\r\n");
}

TEST(EquipmentTest, CountsFrom2To1024LoadAndAddUnitStopsAt1023)
{
    const TempDir dir;
    const std::string eqp = dir / "eqp", txt = dir / "txt";
    WriteBytes(txt, "");
    for (std::uint16_t count : {1024, 2, 1022}) {
        WriteBytes(eqp, EqpBytes(count));
        LoadEquipment(eqp, txt);
        EXPECT_EQ(Equipment.UnitCount, count);
        EXPECT_EQ(AddUnit(count), -1);  // not a loaded unit, though its record is still in memory
        EXPECT_EQ(AddUnit(1), count == 1024 ? -1 : count);
    }
    const TEquipRecord& added = Equipment.Records[1022];
    EXPECT_EQ(added[0], 0xFE);
    EXPECT_EQ(added[1], 0x03);
    EXPECT_EQ(added[2], 7);
    EXPECT_EQ(AddUnit(1), -1);
    EXPECT_EQ(Equipment.UnitCount, 1023);
    EXPECT_EQ(HexCode(1) + HexCode(255) + HexCode(256) + HexCode(300), "0100FF0000012C01");

    Equipment = TEquipTable{};
    EXPECT_THROW(SaveEquipment(eqp, txt), FileRefused);
    EXPECT_EQ(ReadBytes(eqp), EqpBytes(1022));
}

TEST(EquipmentTest, FilesInAnotherLetterCaseAreFoundAndWrittenOver)
{
    const TempDir dir;
    CopyDemo(dir.path());
    std::filesystem::rename(dir / EquipFileName, dir / "equip97.eqp");
    std::filesystem::rename(dir / NameFileName, dir / "Equip97.Txt");
    SetGameDir(dir.path());
    LoadEquipment(EquipFilePath(), NameFilePath());
    Equipment.UnitNames[1] = "Renamed";
    SaveEquipment(EquipFilePath(), NameFilePath());

    EXPECT_TRUE(ReadBytes(dir / "Equip97.Txt").starts_with(Equipment.UnitNames[0] + "\r\nRenamed\r\n"));
    EXPECT_FALSE(std::filesystem::exists(dir / NameFileName));
    EXPECT_FALSE(std::filesystem::exists(dir / EquipFileName));
}

}  // namespace
