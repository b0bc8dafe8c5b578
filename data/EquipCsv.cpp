#include "data/EquipCsv.h"
#include "data/FileError.h"
#include "data/FileIO.h"

#include "data/Cp1252.h"
#include "data/UnitCodes.h"

#include <csv.h>

#include <algorithm>
#include <filesystem>
#include <cctype>
#include <charconv>
#include <optional>

const std::array<std::string_view, CsvColumnCount> CsvColumns{
    "code",           "name",        "type",         "country",       "month",
    "year",           "cost",        "movement",     "fuel",          "ammo",
    "range",          "initiative",  "spotting",     "hard_attack",   "soft_attack",
    "air_attack",     "naval_attack", "ground_defense", "air_defense", "close_defense",
    "range_defense_mod", "raw"};

namespace {

enum Column : std::size_t { Code = 0, Name = 1, Type = 2, Country = 3, Cost = 6, Raw = 21 };

// The record bytes each column shows: the first and how many (none for
// code, name and raw).
struct Span {
    std::size_t offset, size;
};
constexpr std::array<Span, CsvColumnCount> Spans{{
    {0, 0}, {0, 0}, {Field::UnitClass, 1}, {Field::Countries, 4}, {Field::MonthAvailable, 1},
    {Field::YearAvailable, 1}, {Field::Cost, 1}, {Field::Movement, 1}, {Field::Fuel, 1},
    {Field::Ammo, 1}, {Field::Range, 1}, {Field::Initiative, 1}, {Field::Spotting, 1},
    {Field::HardAttack, 1}, {Field::SoftAttack, 1}, {Field::AirAttack, 1}, {Field::NavalAttack, 1},
    {Field::GroundDefense, 1}, {Field::AirDefense, 1}, {Field::CloseDefense, 1},
    {Field::RangeDefenseMod, 1}, {0, 0}}};

constexpr char HexDigits[] = "0123456789ABCDEF";
constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

std::string Hex(const TEquipRecord& record)
{
    std::string text(2 * EquipRecordSize, '0');
    for (std::size_t i = 0; i < EquipRecordSize; ++i) {
        text[2 * i] = HexDigits[record[i] >> 4];
        text[2 * i + 1] = HexDigits[record[i] & 15];
    }
    return text;
}

std::optional<TEquipRecord> FromHex(std::string_view text)
{
    if (text.size() != 2 * EquipRecordSize)
        return std::nullopt;
    TEquipRecord record;
    for (std::size_t i = 0; i < EquipRecordSize; ++i) {
        const char* begin = text.data() + 2 * i;
        if (!std::isxdigit(static_cast<unsigned char>(begin[0]))
            || std::from_chars(begin, begin + 2, record[i], 16).ptr != begin + 2)
            return std::nullopt;
    }
    return record;
}

// A cell's text as an error message quotes it: on one line, and short.
std::string Quoted(std::string_view text)
{
    constexpr std::size_t Shown = 40;
    const std::size_t end = std::min(text.find_first_of("\r\n"), Shown);
    return "\"" + std::string(text.substr(0, end)) + (end < text.size() ? "...\"" : "\"");
}

// A decimal number of at most maximum, digits only.
std::optional<int> Number(std::string_view text, int maximum)
{
    int value = 0;
    if (text.empty() || text.size() > 9 || !std::ranges::all_of(text, [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value <= maximum ? std::optional(value) : std::nullopt;
}

std::string CellOf(const TEquipRecord& record, const std::string& name, std::uint16_t code,
                   std::size_t column)
{
    switch (column) {
    case Code: return std::to_string(code);
    case Name: return Cp1252ToUtf8(name);
    case Type: {
        const auto className = UnitClassName(record[Field::UnitClass]);
        return className ? std::string(*className) : std::to_string(record[Field::UnitClass]);
    }
    case Country: return std::string(CountryName(record).value_or(""));
    case Cost: return std::to_string(PrestigeCost(record[Field::Cost]));
    case Raw: return Hex(record);
    default: return std::to_string(record[Spans[column].offset]);
    }
}

// Sets the field of a column from its cell as "Update" does; returns the
// error, or an empty text.
std::string SetField(std::size_t column, const std::string& text, TEquipRecord& record,
                     std::string& name)
{
    switch (column) {
    case Name: {
        const auto bytes = Utf8ToCp1252(text);
        if (!bytes)
            return "the name holds a character that Windows-1252 cannot hold";
        if (bytes->size() > MaxUnitNameLength)
            return "the name is longer than " + std::to_string(MaxUnitNameLength) + " characters";
        const auto isControl = [](char b) {
            const char32_t c = CodePointOfCp1252(static_cast<unsigned char>(b));
            return c < 0x20 || (c >= 0x7F && c <= 0x9F);
        };
        if (std::ranges::any_of(*bytes, isControl))
            return "the name holds a control character";
        name = *bytes;
        return {};
    }
    case Type: {
        std::optional<int> unitClass = Number(text, 255);
        for (int c = 0; c <= 255 && !unitClass; ++c)
            if (UnitClassName(static_cast<std::uint8_t>(c)) == text)
                unitClass = c;
        if (!unitClass)
            return Quoted(text) + " is neither a unit class nor a number from 0 to 255";
        record[Field::UnitClass] = static_cast<std::uint8_t>(*unitClass);
        return {};
    }
    case Country:
        if (!SetCountryByName(record, text) && !text.empty())
            return Quoted(text) + " is no country";
        return {};
    case Cost: {
        const auto cost = Number(text, MaxPrestigeCost);
        if (!cost)
            return "cost " + Quoted(text) + " is not a number from 0 to " + std::to_string(MaxPrestigeCost);
        record[Field::Cost] = StoredCost(*cost);
        return {};
    }
    default: {
        const auto value = Number(text, 255);
        if (!value)
            return std::string(CsvColumns[column]) + " " + Quoted(text) + " is not a number from 0 to 255";
        record[Spans[column].offset] = static_cast<std::uint8_t>(*value);
        return {};
    }
    }
}

struct CsvRow {
    std::size_t Line;  // where the row starts, from 1
    std::vector<std::string> Fields;
};

// Rows as libcsv reads them, each with the line it starts on. The text is
// fed a line at a time, so the line a row ends on is known; the line
// breaks inside its quoted fields lead back to its first line.
struct CsvReader {
    std::vector<CsvRow> Rows;
    std::vector<std::string> Fields;
    std::size_t Line = 1;
    std::size_t BreaksInRow = 0;
    std::size_t NextRowLine = 1;  // roughly: blank lines between rows are skipped

    static void OnField(void* data, std::size_t size, void* self)
    {
        auto& reader = *static_cast<CsvReader*>(self);
        const std::string_view field(static_cast<const char*>(data), data ? size : 0);
        reader.BreaksInRow += static_cast<std::size_t>(std::ranges::count(field, '\n'));
        reader.Fields.emplace_back(field);
    }
    static void OnRowEnd(int, void* self)
    {
        auto& reader = *static_cast<CsvReader*>(self);
        reader.Rows.push_back({reader.Line - reader.BreaksInRow, std::move(reader.Fields)});
        reader.Fields.clear();
        reader.BreaksInRow = 0;
        reader.NextRowLine = reader.Line + 1;
    }
};

// Never trims: spaces are part of a name.
int NoSpace(unsigned char) { return 0; }

// The rows of the text, or the error that stopped the reading.
std::vector<CsvRow> ReadRows(std::string_view csv, const std::string& fileName,
                             std::vector<std::string>& errors)
{
    if (csv.starts_with(ByteOrderMark))
        csv.remove_prefix(ByteOrderMark.size());
    csv_parser parser;
    csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI);
    csv_set_space_func(&parser, NoSpace);
    CsvReader reader;
    bool malformed = false;
    for (std::size_t pos = 0; pos < csv.size();) {
        const std::size_t end = std::min(csv.find('\n', pos), csv.size() - 1) + 1;
        malformed = csv_parse(&parser, csv.data() + pos, end - pos, CsvReader::OnField,
                              CsvReader::OnRowEnd, &reader) != end - pos;
        if (malformed)
            break;
        pos = end;
        if (pos < csv.size())
            ++reader.Line;
    }
    if (!malformed)
        malformed = csv_fini(&parser, CsvReader::OnField, CsvReader::OnRowEnd, &reader) != 0;
    csv_free(&parser);
    if (malformed)
        errors.push_back(fileName + ":" + std::to_string(reader.NextRowLine) + ":"
                         + std::to_string(reader.Fields.size() + 1)
                         + ": malformed CSV: a quote may only open a field, and a quoted field "
                           "must be closed before the next comma or line end");
    return reader.Rows;
}

}  // namespace

std::string CsvCell(const TEquipTable& table, std::uint16_t code, std::size_t column)
{
    return CellOf(table.Records[code], table.UnitNames[code], code, column);
}

void AppendCsvLine(std::string& out, const std::vector<std::string>& fields)
{
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += ',';
        const std::string& field = fields[i];
        if (field.find_first_of(",\"\r\n") == std::string::npos) {
            out += field;
            continue;
        }
        out += '"';
        for (char c : field) {
            if (c == '"')
                out += '"';
            out += c;
        }
        out += '"';
    }
    out += "\r\n";
}

std::string ExportEquipCsv(const TEquipTable& table)
{
    std::string csv;
    csv.reserve(300 * (table.UnitCount + 1u));
    AppendCsvLine(csv, {CsvColumns.begin(), CsvColumns.end()});
    std::vector<std::string> fields(CsvColumnCount);
    for (std::uint16_t code = 0; code < table.UnitCount; ++code) {
        for (std::size_t column = 0; column < CsvColumnCount; ++column)
            fields[column] = CsvCell(table, code, column);
        AppendCsvLine(csv, fields);
    }
    return csv;
}

void WriteEquipCsvFile(const std::string& path, const TEquipTable& table)
{
    if (std::error_code ignored; std::filesystem::exists(path, ignored)) {
        const std::string bytes = ReadFileStart(path, 64);
        std::string_view start = bytes;
        if (start.starts_with(ByteOrderMark))
            start.remove_prefix(ByteOrderMark.size());
        std::string title(start.substr(0, start.find_first_of("\r\n")));
        std::erase(title, '"');  // a spreadsheet may quote every title
        if (!start.empty() && !title.starts_with("code,"))
            throw FileRefused(path + " is not a CSV file of the equipment table, so it was not replaced.");
    }
    ReplaceFile(path, ExportEquipCsv(table));
}

std::string ReadEquipCsvFile(const std::string& path)
{
    return ReadFileStart(path, MaxEquipCsvSize + 1);
}

EquipCsvImport ImportEquipCsv(std::string_view csv, const std::string& fileName,
                              const TEquipTable& current)
{
    EquipCsvImport result;
    std::vector<std::string>& errors = result.Errors;
    const auto error = [&](std::size_t line, std::size_t column, const std::string& message) {
        errors.push_back(fileName + ":" + std::to_string(line) + ":" + std::to_string(column + 1)
                         + ": " + message);
    };
    if (csv.size() > MaxEquipCsvSize) {
        error(1, 0, "the file is larger than a CSV file of 1024 unit types can be");
        return result;
    }
    const std::vector<CsvRow> rows = ReadRows(csv, fileName, errors);
    if (!errors.empty())
        return result;
    if (rows.empty()) {
        error(1, 0, "no header row");
        return result;
    }

    // Which column each field of a row is.
    std::vector<std::size_t> columns;
    for (std::size_t i = 0; i < rows[0].Fields.size(); ++i) {
        const std::string& title = rows[0].Fields[i];
        const auto found = std::ranges::find(CsvColumns, title);
        if (found == CsvColumns.end())
            error(rows[0].Line, i, "unknown column " + Quoted(title));
        else if (std::ranges::count(columns, static_cast<std::size_t>(found - CsvColumns.begin())) > 0)
            error(rows[0].Line, i, "column " + Quoted(title) + " appears twice");
        columns.push_back(static_cast<std::size_t>(found - CsvColumns.begin()));
    }
    if (std::ranges::count(columns, Code) == 0)
        error(rows[0].Line, 0, "the header has no \"code\" column");
    if (!errors.empty())
        return result;
    const std::size_t count = rows.size() - 1;
    if (count < 2 || count > EquipCapacity)
        error(rows.back().Line, 0, std::to_string(count) + " units, but a catalogue holds 2 to "
                                       + std::to_string(EquipCapacity));

    auto table = std::make_unique<TEquipTable>();
    table->UnitCount = static_cast<std::uint16_t>(std::min(count, EquipCapacity));
    for (std::uint16_t code = 0; code < table->UnitCount; ++code) {
        const CsvRow& row = rows[code + 1u];
        if (row.Fields.size() != columns.size()) {
            error(row.Line, std::min(row.Fields.size(), columns.size()),
                  std::to_string(row.Fields.size()) + " fields, but the header has "
                      + std::to_string(columns.size()));
            continue;
        }
        TEquipRecord& record = table->Records[code];
        std::string& name = table->UnitNames[code];
        const bool known = code < current.UnitCount;
        if (known) {
            record = current.Records[code];
            name = current.UnitNames[code];
        }
        std::optional<std::size_t> rawField;
        for (std::size_t i = 0; i < columns.size(); ++i)
            if (columns[i] == Raw && !row.Fields[i].empty())
                rawField = i;
        if (rawField) {
            if (const auto raw = FromHex(row.Fields[*rawField]))
                record = *raw;
            else
                error(row.Line, *rawField, "raw is not " + std::to_string(2 * EquipRecordSize)
                                               + " hexadecimal digits");
        } else if (!known) {
            error(row.Line, 0, "unit code " + std::to_string(code)
                                   + " is beyond the current catalogue, so its raw record is needed");
        }
        const TEquipRecord stored = record;
        const std::string storedName = name;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const std::string& text = row.Fields[i];
            if (columns[i] == Code) {
                if (text != std::to_string(code))
                    error(row.Line, i, "code " + Quoted(text) + " where " + std::to_string(code)
                                           + " comes next: rows run from code 0 in order");
            } else if (columns[i] != Raw && text != CellOf(stored, storedName, code, columns[i])) {
                if (std::string problem = SetField(columns[i], text, record, name); !problem.empty())
                    error(row.Line, i, problem);
            }
        }
    }
    if (errors.empty())
        result.Table = std::move(table);
    return result;
}

std::vector<EquipChange> CompareEquipment(const TEquipTable& a, const TEquipTable& b)
{
    // The record bytes a named column covers.
    static const std::array<bool, EquipRecordSize> named = [] {
        std::array<bool, EquipRecordSize> bytes{};
        for (const Span& span : Spans)
            std::fill_n(bytes.begin() + span.offset, span.size, true);
        return bytes;
    }();
    std::vector<EquipChange> changes;
    const std::uint16_t common = std::min(a.UnitCount, b.UnitCount);
    for (std::uint16_t code = 0; code < common; ++code) {
        if (a.Records[code] == b.Records[code] && a.UnitNames[code] == b.UnitNames[code])
            continue;
        const std::string name = Cp1252ToUtf8(a.UnitNames[code]);
        for (std::size_t column = Name; column < Raw; ++column) {
            const Span span = Spans[column];
            const bool same = column == Name ? a.UnitNames[code] == b.UnitNames[code]
                                             : std::equal(a.Records[code].begin() + span.offset,
                                                          a.Records[code].begin() + span.offset + span.size,
                                                          b.Records[code].begin() + span.offset);
            if (same)
                continue;
            std::string before = CsvCell(a, code, column);
            std::string after = CsvCell(b, code, column);
            if (before != after)
                changes.push_back({code, name, CsvColumns[column], std::move(before), std::move(after)});
        }
        for (std::size_t i = 0; i < EquipRecordSize; ++i)
            if (!named[i] && a.Records[code][i] != b.Records[code][i]) {
                changes.push_back({code, name, CsvColumns[Raw], Hex(a.Records[code]), Hex(b.Records[code])});
                break;
            }
    }
    for (std::uint16_t code = common; code < a.UnitCount; ++code)
        changes.push_back({code, Cp1252ToUtf8(a.UnitNames[code]), "removed", {}, {}});
    for (std::uint16_t code = common; code < b.UnitCount; ++code)
        changes.push_back({code, Cp1252ToUtf8(b.UnitNames[code]), "added", {}, {}});
    return changes;
}
