#include "data/Cp1252.h"
#include "data/EquipCsv.h"
#include "data/Equipment.h"
#include "data/UnitCodes.h"
#include "data/UnitFields.h"
#include "data/FileError.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <iconv.h>

#include <algorithm>
#include <bit>
#include <random>
#include <set>

namespace {

// A catalogue of count units with random record bytes and random names as
// the names file can hold them (up to 28 bytes of anything but CR and Ctrl-Z).
std::unique_ptr<TEquipTable> RandomTable(std::mt19937& random, std::uint16_t count)
{
    auto table = std::make_unique<TEquipTable>();
    table->UnitCount = count;
    std::uniform_int_distribution<int> byte(0, 255), length(0, MaxUnitNameLength);
    for (std::size_t k = 0; k < count; ++k) {
        for (std::uint8_t& b : table->Records[k])
            b = static_cast<std::uint8_t>(byte(random));
        for (int n = length(random); n > 0; --n) {
            const char c = static_cast<char>(byte(random));
            table->UnitNames[k] += c == '\r' || c == '\x1A' ? ',' : c == 'x' ? '"' : c;
        }
    }
    return table;
}

void ExpectSameUnits(const TEquipTable& a, const TEquipTable& b)
{
    ASSERT_EQ(a.UnitCount, b.UnitCount);
    for (std::size_t k = 0; k < a.UnitCount; ++k) {
        ASSERT_EQ(a.Records[k], b.Records[k]) << "unit " << k;
        ASSERT_EQ(a.UnitNames[k], b.UnitNames[k]) << "unit " << k;
    }
}

std::string Replaced(std::string text, std::string_view from, std::string_view to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

TEST(EquipCsvTest, RandomCataloguesRoundTripByteForByte)
{
    std::mt19937 random(15);
    for (std::uint16_t count : {2, 3, 17, 300, 1023, 1024}) {
        const auto table = RandomTable(random, count);
        // The current table differs in every record, so each must come from raw.
        auto current = RandomTable(random, count);
        current->UnitNames = table->UnitNames;
        const std::string csv = ExportEquipCsv(*table);
        ASSERT_TRUE(csv.starts_with("code,name,type,country,month,year,cost,movement,fuel,ammo,range,"
                                    "initiative,spotting,hard_attack,soft_attack,air_attack,naval_attack,"
                                    "ground_defense,air_defense,close_defense,range_defense_mod,raw\r\n"));
        for (const std::string& text : {csv, "\xEF\xBB\xBF" + Replaced(csv, "\r\n", "\n")}) {
            const EquipCsvImport imported = ImportEquipCsv(text, "units.csv", *current);
            ASSERT_EQ(imported.Errors, std::vector<std::string>{}) << count;
            ExpectSameUnits(*imported.Table, *table);
            EXPECT_EQ(ExportEquipCsv(*imported.Table), csv);
        }
        if (count == 1024) {  // one row more than a catalogue holds
            const std::string last = csv.substr(csv.rfind("\r\n1023,") + 6);
            const EquipCsvImport over = ImportEquipCsv(csv + "1024" + last, "units.csv", *current);
            ASSERT_EQ(over.Errors.size(), 1u);
            EXPECT_TRUE(over.Errors[0].ends_with(":1: 1025 units, but a catalogue holds 2 to 1024")) << over.Errors[0];
        }
        // Without the raw column every record comes from the current table.
        std::string noRaw;
        for (std::size_t at = 0; at < csv.size();) {
            const std::size_t lineEnd = csv.find("\r\n", at);
            const std::size_t comma = csv.rfind(',', lineEnd);
            noRaw += csv.substr(at, comma - at) + "\r\n";
            at = lineEnd + 2;
        }
        const EquipCsvImport imported = ImportEquipCsv(noRaw, "units.csv", *table);
        ASSERT_EQ(imported.Errors, std::vector<std::string>{});
        ExpectSameUnits(*imported.Table, *table);
    }
}

TEST(EquipCsvTest, OneEditedCellChangesExactlyTheBytesOfItsField)
{
    // The bytes of each column's field, and a value that is sure to change it.
    const struct {
        std::string_view column;
        std::vector<std::size_t> bytes;
        std::string text;
        std::vector<std::uint8_t> stored;
    } edits[] = {
        {"type", {Field::UnitClass}, "Battle Cruiser", {19}},
        {"type", {Field::UnitClass}, "200", {200}},
        {"country", {30, 31, 32, 33}, "germany", {0x00, 0x80, 0x00, 0x00}},
        {"country", {30, 31, 32, 33}, "", {0, 0, 0, 0}},
        {"cost", {Field::Cost}, "3059", {254}},
        {"month", {Field::MonthAvailable}, "0", {0}},
        {"year", {Field::YearAvailable}, "255", {255}},
        {"movement", {Field::Movement}, "201", {201}},
        {"fuel", {Field::Fuel}, "202", {202}},
        {"ammo", {Field::Ammo}, "203", {203}},
        {"range", {Field::Range}, "204", {204}},
        {"initiative", {Field::Initiative}, "205", {205}},
        {"spotting", {Field::Spotting}, "206", {206}},
        {"hard_attack", {Field::HardAttack}, "207", {207}},
        {"soft_attack", {Field::SoftAttack}, "208", {208}},
        {"air_attack", {Field::AirAttack}, "209", {209}},
        {"naval_attack", {Field::NavalAttack}, "210", {210}},
        {"ground_defense", {Field::GroundDefense}, "211", {211}},
        {"air_defense", {Field::AirDefense}, "212", {212}},
        {"close_defense", {Field::CloseDefense}, "213", {213}},
        {"range_defense_mod", {Field::RangeDefenseMod}, "214", {214}},
        {"name", {}, "Stra\xC3\x9F" "enpanzer \xE2\x82\xAC, \"1\"", {}},
    };
    std::mt19937 random(1503);
    for (const auto& edit : edits) {
        const auto table = RandomTable(random, 50);
        const std::uint16_t code = std::uniform_int_distribution<std::uint16_t>(0, 49)(random);
        table->Records[code][Field::UnitClass] = 1;  // not any class the edits set
        table->Records[code][Field::Countries] = 0x40;  // Austria, whatever follows
        const std::size_t column = static_cast<std::size_t>(
            std::ranges::find(CsvColumns, edit.column, &CsvColumn::Title) - CsvColumns.begin());

        // The cell as a spreadsheet writes it back: quoted where needed.
        std::string csv = ExportEquipCsv(*table);
        std::string oldRow, newRow;
        std::vector<std::string> cells;
        for (std::size_t c = 0; c < CsvColumnCount; ++c)
            cells.push_back(CsvCell(*table, code, c));
        AppendCsvLine(oldRow, cells);
        cells[column] = edit.text;
        AppendCsvLine(newRow, cells);
        csv.replace(csv.find(oldRow), oldRow.size(), newRow);

        const EquipCsvImport imported = ImportEquipCsv(csv, "edit.csv", *table);
        ASSERT_EQ(imported.Errors, std::vector<std::string>{}) << edit.column;
        TEquipTable& result = *imported.Table;
        for (std::size_t k = 0; k < 50; ++k) {
            for (std::size_t i = 0; i < EquipRecordSize; ++i) {
                const auto field = std::ranges::find(edit.bytes, i);
                const bool inField = k == code && field != edit.bytes.end();
                EXPECT_EQ(result.Records[k][i], inField ? edit.stored[field - edit.bytes.begin()] : table->Records[k][i])
                    << edit.column << " unit " << k << " byte " << i;
            }
            EXPECT_EQ(result.UnitNames[k], k == code && edit.column == "name" ? "Stra\xDF" "enpanzer \x80, \"1\"" : table->UnitNames[k]);
        }
    }
}

// Names are converted as the C library converts Windows-1252; its five
// undefined bytes become the C1 controls of the same number. Text that is
// not UTF-8 converts to nothing.
TEST(EquipCsvTest, NamesAreWindows1252AsTheCLibraryHasIt)
{
    const iconv_t toUtf8 = iconv_open("UTF-8", "CP1252");
    ASSERT_NE(toUtf8, reinterpret_cast<iconv_t>(-1));
    for (int b = 1; b < 256; ++b) {
        char in = static_cast<char>(b), out[4] = {};
        char *from = &in, *to = out;
        std::size_t left = 1, room = sizeof out;
        const bool defined = iconv(toUtf8, &from, &left, &to, &room) != std::size_t(-1);
        const std::string utf8 = defined ? std::string(out, to) : std::string{'\xC2', in};
        EXPECT_EQ(Cp1252ToUtf8(std::string(1, in)), utf8) << b;
        EXPECT_EQ(Utf8ToCp1252(utf8), std::string(1, in)) << b;
    }
    iconv_close(toUtf8);
    for (const char* bad : {"\xC3(", "\xE0\x81\x81", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xC3"})
        EXPECT_EQ(Utf8ToCp1252(bad), std::nullopt) << bad;
}

TEST(EquipCsvTest, EveryErrorIsReportedWithItsPlaceAndNothingIsImported)
{
    auto current = std::make_unique<TEquipTable>();
    current->UnitCount = 3;
    current->UnitNames = {"Zero", "One", "Two"};
    const std::string header = "code,name,type,country,cost,movement,raw\r\n";
    const struct {
        std::string csv;
        std::vector<std::string> errors;
    } cases[] = {
        {"", {"f.csv:1:1: no header row"}},
        {"code,nom,name,name\r\n0\r\n1\r\n",
         {"f.csv:1:2: unknown column \"nom\"", "f.csv:1:4: column \"name\" appears twice"}},
        {"name\r\nA\r\nB\r\n", {"f.csv:1:1: the header has no \"code\" column"}},
        {header + std::string(4 * 1024 * 1024, ' '), {"f.csv:1:1: the file is larger than"}},
        {header + "0,\"Zero\r\n\r\nstill\",Tank,x\"y\r\n", {"f.csv:2:4: malformed CSV"}},
        {header + "0,\"unclosed\r\n1,One\r\n", {"f.csv:2:2: malformed CSV"}},
        {header + "0,Zero,Tank,,12,1,\r\n", {"f.csv:2:1: 1 units, but a catalogue holds 2 to 1024"}},
        {header + "0,Zero,Tank,,12,1,\r\n"
             + "2,One,Tnak,Germny,3061,256,\r\n"
             + "1,Two,Tank,,12,1,AB\r\n"
             + "3,Three,Tank,,12,1,\r\n"
             + "4,Four\r\n",
         {"f.csv:3:1: code \"2\" where 1 comes next", "f.csv:3:3: \"Tnak\" is neither a unit class",
          "f.csv:3:4: \"Germny\" is no country", "f.csv:3:5: cost \"3061\" is not a number from 0 to 3060",
          "f.csv:3:6: movement \"256\" is not a number from 0 to 255", "f.csv:4:7: raw is not \"x\" and 146 hexadecimal digits",
          "f.csv:4:1: code \"1\" where 3 comes next", "f.csv:5:1: unit code 3 is beyond the current catalogue",
          "f.csv:6:3: 2 fields, but the header has 7"}},
        {header + "0,\"Twenty-nine characters long!!\",Tank,,12,1,\r\n"
             + "1,\"tab\there\r\n\",Tank,,12,1,\r\n" + "2,\xE2\x82\xAC \xE2\x84\xA2 \xC5\x81,Tank,,12,1,\r\n",
         {"f.csv:2:2: the name is longer than 28 characters", "f.csv:3:2: the name holds a control character",
          "f.csv:5:2: the name holds a character that Windows-1252 cannot hold"}},
    };
    for (const auto& c : cases) {
        const EquipCsvImport imported = ImportEquipCsv(c.csv, "f.csv", *current);
        EXPECT_EQ(imported.Table, nullptr) << c.csv;
        ASSERT_EQ(imported.Errors.size(), c.errors.size()) << c.csv << testing::PrintToString(imported.Errors);
        for (std::size_t i = 0; i < c.errors.size(); ++i)
            EXPECT_TRUE(imported.Errors[i].starts_with(c.errors[i])) << imported.Errors[i] << "\nexpected " << c.errors[i];
    }
}

// Campaign saves end in .csv as well: an export replaces only an earlier
// export (quoted by a spreadsheet or not) or an empty file.
TEST(EquipCsvTest, ExportReplacesOnlyAnEarlierExport)
{
    std::mt19937 random(11);
    const auto table = RandomTable(random, 3);
    TempDir dir;
    const std::string campaign(12000, '\x41');
    const std::string quoted = "\xEF\xBB\xBF\"code\",\"name\"\r\n0,x\r\n";
    for (const std::string& before : {std::string(), quoted, campaign}) {
        WriteBytes(dir / "GAME1.CSV", before);
        if (before == campaign) {
            EXPECT_THROW(WriteEquipCsvFile(dir / "GAME1.CSV", *table), FileRefused);
            EXPECT_EQ(ReadBytes(dir / "GAME1.CSV"), campaign);
        } else {
            WriteEquipCsvFile(dir / "GAME1.CSV", *table);
            EXPECT_EQ(ReadBytes(dir / "GAME1.CSV"), ExportEquipCsv(*table));
        }
    }
}

TEST(EquipCsvTest, CompareListsChangedFieldsOtherBytesAndAddedOrRemovedCodes)
{
    std::mt19937 random(7);
    const auto a = RandomTable(random, 4);
    auto b = std::make_unique<TEquipTable>(*a);
    b->UnitCount = 5;
    b->UnitNames[1] = "New";
    b->Records[2][Field::Cost] = static_cast<std::uint8_t>(a->Records[2][Field::Cost] + 1);
    b->Records[3][60] ^= 1;  // a byte of no named field, in a unit of its own
    const auto changes = CompareEquipment(*a, *b);
    ASSERT_EQ(changes.size(), 4u);
    EXPECT_EQ(changes[0].What, "name");
    EXPECT_EQ(changes[0].New, "New");
    EXPECT_EQ(changes[1].What, "cost");
    EXPECT_EQ(changes[1].New, std::to_string(b->Records[2][Field::Cost] * 12));
    EXPECT_EQ(changes[2].Code, 3);
    EXPECT_EQ(changes[2].What, "raw");
    EXPECT_EQ(changes[3].Code, 4);
    EXPECT_EQ(changes[3].What, "added");
    EXPECT_EQ(CompareEquipment(*b, *a).back().What, "removed");
}

// Two catalogues that differ in random fields of random units, the country
// bytes often among them: the export of the second, imported over the
// first, gives the second back byte for byte, and the comparison lists
// exactly the cells that differ, and raw wherever those cells cannot give
// the bytes back.
TEST(EquipCsvTest, RandomDifferencesAreCarriedAndListedExactly)
{
    std::mt19937 random(22);
    std::uniform_int_distribution<int> byte(0, 255), offset(0, EquipRecordSize - 1), edits(0, 3);
    std::uniform_int_distribution<int> length(0, MaxUnitNameLength), country(0, 25);
    const auto randomName = [&] {
        std::string name;
        for (const auto size = static_cast<std::size_t>(length(random)); name.size() < size;) {
            const auto b = static_cast<unsigned char>(byte(random));
            if (IsValidUnitName(std::string(1, static_cast<char>(b))))  // an import checks the names that differ
                name += b == 'x' ? '"' : static_cast<char>(b);
        }
        return name;
    };
    for (std::uint16_t count : {2, 5, 40, 333, 1024}) {
        const auto a = RandomTable(random, count);
        for (std::size_t k = 0; k < count; ++k)
            a->UnitNames[k] = randomName();
        auto b = std::make_unique<TEquipTable>(*a);
        for (std::size_t k = 0; k < count; ++k) {
            TEquipRecord& r = b->Records[k];
            for (int n = edits(random); n > 0; --n) {
                switch (byte(random) % 4) {
                case 0: b->UnitNames[k] = randomName(); break;
                case 1: r[offset(random)] = static_cast<std::uint8_t>(byte(random)); break;
                case 2: r[30 + byte(random) % 4] ^= static_cast<std::uint8_t>(1 << byte(random) % 8); break;
                default: {  // exactly one country, as the editor stores it
                    const int index = country(random);
                    std::fill_n(r.begin() + 30, 4, 0);
                    r[30 + (index + 1) / 8] = static_cast<std::uint8_t>(128 >> (index + 1) % 8);
                }
                }
            }
        }
        const EquipCsvImport imported = ImportEquipCsv(ExportEquipCsv(*b), "b.csv", *a);
        ASSERT_EQ(imported.Errors, std::vector<std::string>{});
        ExpectSameUnits(*imported.Table, *b);

        std::set<std::pair<std::uint16_t, std::string_view>> expected;
        for (std::uint16_t k = 0; k < count; ++k) {
            const TEquipRecord &before = a->Records[k], &after = b->Records[k];
            if (a->UnitNames[k] != b->UnitNames[k])
                expected.insert({k, "name"});
            std::array<bool, EquipRecordSize> named{};
            for (const CsvColumn& column : CsvColumns) {
                std::fill_n(named.begin() + column.Offset, column.Size, true);
                if (column.Size == 1 && before[column.Offset] != after[column.Offset])
                    expected.insert({k, column.Title});
            }
            bool raw = false;
            for (std::size_t i = 0; i < EquipRecordSize; ++i)
                raw = raw || (!named[i] && before[i] != after[i]);
            if (!std::equal(before.begin() + 30, before.begin() + 34, after.begin() + 30)) {
                const int bits = std::popcount(after[30]) + std::popcount(after[31]) + std::popcount(after[32])
                               + std::popcount(after[33]);
                const bool oneCountry = bits == 0 || (bits == 1 && CountryName(after));
                if (CountryName(before) != CountryName(after))
                    expected.insert({k, "country"});
                raw = raw || CountryName(before) == CountryName(after) || !oneCountry;
            }
            if (raw)
                expected.insert({k, "raw"});
        }
        std::set<std::pair<std::uint16_t, std::string_view>> listed;
        for (const EquipChange& change : CompareEquipment(*a, *b)) {
            listed.insert({change.Code, change.What});
            const std::size_t column = static_cast<std::size_t>(
                std::ranges::find(CsvColumns, change.What, &CsvColumn::Title) - CsvColumns.begin());
            EXPECT_EQ(change.Old, CsvCell(*a, change.Code, column));
            EXPECT_EQ(change.New, CsvCell(*b, change.Code, column));
        }
        EXPECT_EQ(listed, expected) << count;
    }
}

// What spreadsheets make of the file: what can be read is read, and each
// error names its likely cause once, on the right line, with what it
// quotes made harmless for a terminal.
TEST(EquipCsvTest, SpreadsheetDamageIsReadOrNamedByItsCause)
{
    std::mt19937 random(31);
    const auto table = RandomTable(random, 30);
    for (std::size_t k = 0; k < 30; ++k)
        table->UnitNames[k] = "Unit \"" + std::to_string(k) + "\"";
    table->UnitNames[1] = "007";
    table->UnitNames[2] = "1E5";
    table->UnitNames[3] = "=1+1";
    for (std::size_t i = 0; i < EquipRecordSize; ++i)
        table->Records[5][i] = static_cast<std::uint8_t>(i % 16 * 0x11);  // hexadecimal 00, 11, 22, ..., FF, 00, ...
    const auto current = RandomTable(random, 30);
    current->UnitNames = table->UnitNames;
    const std::string csv = ExportEquipCsv(*table);
    // raw starts with a letter, so that even a record of decimal digits reads as text.
    std::string raw5 = ",x";
    for (std::size_t i = 0; i < EquipRecordSize; ++i)
        raw5 += std::string(2, "0123456789ABCDEF"[i % 16]);
    EXPECT_NE(csv.find(raw5 + "\r\n"), std::string::npos);
    const auto row = [&](int code) {
        const std::size_t start = csv.find("\r\n" + std::to_string(code) + ",") + 2;
        return std::pair(start, csv.find("\r\n", start) + 2);
    };
    const std::string emptyRow = std::string(CsvColumnCount - 1, ',') + "\r\n";
    for (const std::string& text : {Replaced(csv, ",", ";"), Replaced(csv, ",", "\t"), Replaced(csv, "\r\n", "\r"),
                                    csv + emptyRow + emptyRow, Replaced(csv, ",x", ",")}) {
        const EquipCsvImport imported = ImportEquipCsv(text, "f.csv", *current);
        ASSERT_EQ(imported.Errors, std::vector<std::string>{}) << text.substr(0, 400);
        ExpectSameUnits(*imported.Table, *table);
    }

    // The text with one cell of unit code's row replaced.
    const auto withCell = [&](const std::string& text, int code, std::string_view title, const std::string& cell) {
        std::vector<std::string> cells;
        for (std::size_t c = 0; c < CsvColumnCount; ++c)
            cells.push_back(CsvCell(*table, static_cast<std::uint16_t>(code), c));
        std::string oldRow, newRow;
        AppendCsvLine(oldRow, cells);
        cells[std::ranges::find(CsvColumns, title, &CsvColumn::Title) - CsvColumns.begin()] = cell;
        AppendCsvLine(newRow, cells);
        return Replaced(text, "\r\n" + oldRow, "\r\n" + newRow);
    };
    const auto [row10, row11] = row(10);
    const struct {
        std::string text;
        std::string error;  // the only one
    } cases[] = {
        {Replaced(withCell(csv, 3, "cost", "99999"), "\r\n", "\r"), "f.csv:5:7: cost \"99999\" is not a number"},
        {withCell(csv, 4, "name", "Caf\xE9"), "f.csv:6:2: the text is not UTF-8 (saved as Windows-1252?)"},
        {withCell(csv, 4, "raw", "1.8000808070004E+145"), "f.csv:6:22: raw \"1.8000808070004E+145\" was made a number"},
        {csv.substr(0, row10) + csv.substr(row11), "f.csv:12:1: code \"11\" where 10 comes next"},
        {withCell(csv, 4, "country", "\x1B[2J\"\xC2\x9B"), "f.csv:6:4: \"\\x1B[2J\\\"\\u009B\" is no country"},
    };
    for (const auto& c : cases) {
        const EquipCsvImport imported = ImportEquipCsv(c.text, "f.csv", *current);
        ASSERT_EQ(imported.Errors.size(), 1u) << c.error << testing::PrintToString(imported.Errors);
        EXPECT_TRUE(imported.Errors[0].starts_with(c.error)) << imported.Errors[0] << "\nexpected " << c.error;
    }
    // A line end within a quoted cell counts as the file's other ones do.
    const std::string twoLines = withCell(withCell(csv, 2, "name", "two\rlines"), 3, "cost", "99999");
    const EquipCsvImport crOnly = ImportEquipCsv(Replaced(twoLines, "\r\n", "\r"), "f.csv", *current);
    ASSERT_EQ(crOnly.Errors.size(), 2u);
    EXPECT_TRUE(crOnly.Errors[0].starts_with("f.csv:4:2: the name holds a control")) << crOnly.Errors[0];
    EXPECT_TRUE(crOnly.Errors[1].starts_with("f.csv:6:7: cost")) << crOnly.Errors[1];

    std::string everyCost = csv;
    for (int code = 0; code < 30; ++code)
        everyCost = withCell(everyCost, code, "cost", "x");
    const EquipCsvImport many = ImportEquipCsv(everyCost, "f.csv", *current);
    ASSERT_EQ(many.Errors.size(), 30u);
    const std::string listed = ListedErrors(many.Errors);
    EXPECT_EQ(std::ranges::count(listed, '\n'), 21);
    EXPECT_TRUE(listed.ends_with("\nand 10 more\n")) << listed;
}

}  // namespace
