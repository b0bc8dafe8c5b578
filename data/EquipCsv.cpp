#include "data/EquipCsv.h"
#include "data/FileError.h"
#include "data/FileIO.h"

#include "data/Cp1252.h"
#include "data/UnitCodes.h"
#include "data/UnitFields.h"

#include <csv.h>

#include <algorithm>
#include <filesystem>
#include <charconv>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <optional>
#include <span>

// NumberFields is constant-initialized, so it is ready before this is built.
const std::array<CsvColumn, CsvColumnCount> CsvColumns = [] {
    std::array<CsvColumn, CsvColumnCount> columns{{
        {"code", 0, 0},
        {"name", 0, 0},
        {"type", Field::UnitClass, 1},
        {"country", Field::Countries, 4},
    }};
    std::ranges::transform(NumberFields, columns.begin() + 4, [](const NumberField& field) {
        return CsvColumn{field.csvColumn, field.offset, 1, field.multiple};
    });
    columns.back() = {"raw", 0, 0};
    return columns;
}();

namespace {

enum Column : std::size_t { Code = 0, Name = 1, Type = 2, Country = 3, Raw = CsvColumnCount - 1 };

constexpr char HexDigits[] = "0123456789ABCDEF";
constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

void AppendHex(std::string& text, const TEquipRecord& record)
{
    const std::size_t start = text.size();
    text.resize(start + 2 * record.size());
    char* digit = text.data() + start;
    for (std::uint8_t byte : record) {
        *digit++ = HexDigits[byte >> 4];
        *digit++ = HexDigits[byte & 15];
    }
}

// The value of each byte as a hexadecimal digit, -1 for a byte that is none.
// A table, not comparisons: in a column of random digits, every branch on
// digit or letter would be mispredicted half of the time.
constexpr std::array<std::int8_t, 256> HexDigitValues = [] {
    std::array<std::int8_t, 256> values{};
    values.fill(-1);
    for (int i = 0; i < 16; ++i) {
        values[static_cast<unsigned char>(HexDigits[i])] = static_cast<std::int8_t>(i);
        values[static_cast<unsigned char>("0123456789abcdef"[i])] = static_cast<std::int8_t>(i);
    }
    return values;
}();

// The record of a raw cell, with or without its prefix.
std::optional<TEquipRecord> FromRaw(std::string_view text)
{
    if (text.size() == 2 * EquipRecordSize + 1 && std::tolower(static_cast<unsigned char>(text[0])) == RawPrefix)
        text.remove_prefix(1);
    if (text.size() != 2 * EquipRecordSize)
        return std::nullopt;
    TEquipRecord record;
    for (std::size_t i = 0; i < EquipRecordSize; ++i) {
        const int high = HexDigitValues[static_cast<unsigned char>(text[2 * i])];
        const int low = HexDigitValues[static_cast<unsigned char>(text[2 * i + 1])];
        if ((high | low) < 0)
            return std::nullopt;
        record[i] = static_cast<std::uint8_t>(high << 4 | low);
    }
    return record;
}

// A cell's text as an error message quotes it: on one line, and short.
std::string Quoted(std::string_view text)
{
    constexpr std::size_t Shown = 40;
    std::size_t end = std::min(text.size(), Shown);
    while (end > 0 && end < text.size() && (text[end] & 0xC0) == 0x80)  // not within a character
        --end;
    std::string quoted = "\"";
    quoted += Escaped(text.substr(0, end));
    quoted += end < text.size() ? "...\"" : "\"";
    return quoted;
}

// Whether a spreadsheet has made a number of the text: digits with a
// decimal point, a thousands separator or an exponent.
bool LooksLikeNumber(std::string_view text)
{
    return !text.empty() && std::ranges::any_of(text, [](char c) { return c >= '0' && c <= '9'; })
        && std::ranges::all_of(text, [](char c) { return (c >= '0' && c <= '9') || std::strchr(".,+-Ee ", c); });
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

// Appends the text export shows in a column. Callers keep the string's room
// from cell to cell: a catalogue has 22,000 of them.
void AppendCell(std::string& cell, const TEquipRecord& record, std::string_view name, std::uint16_t code,
                std::size_t column)
{
    const auto number = [&cell](int value) {
        char digits[12];
        cell.append(digits, std::to_chars(digits, std::end(digits), value).ptr);
    };
    switch (column) {
    case Code: return number(code);
    case Name: return AppendCp1252AsUtf8(cell, name);
    case Type:
        if (const auto className = UnitClassName(record[Field::UnitClass]))
            cell += *className;
        else
            number(record[Field::UnitClass]);
        return;
    case Country: cell += CountryName(record).value_or(""); return;
    case Raw:
        cell += RawPrefix;
        return AppendHex(cell, record);
    default: return number(record[CsvColumns[column].Offset] * CsvColumns[column].Multiple);
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
        if (!IsValidUnitName(*bytes))
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
    default: {
        // The stored value as it is, never brought within the editor's
        // limits: the cost in twelves, the remainder dropped.
        const CsvColumn& field = CsvColumns[column];
        const auto value = Number(text, 255 * field.Multiple);
        if (!value)
            return std::string(field.Title) + " " + Quoted(text) + " is not a number from 0 to "
                   + std::to_string(255 * field.Multiple);
        record[field.Offset] = static_cast<std::uint8_t>(*value / field.Multiple);
        return {};
    }
    }
}

// The line ends in text: CR LF, a lone LF or a lone CR (as old Mac
// programs write them), each one line end.
std::size_t LineEnds(std::string_view text)
{
    std::size_t ends = 0;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')))
            ++ends;
    return ends;
}

// Where the next line after pos starts.
std::size_t NextLine(std::string_view text, std::size_t pos)
{
    const std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos)
        return text.size();
    return end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
}

// The field separator: a comma, or the semicolon or tab a spreadsheet
// writes in a locale where the comma is the decimal point, as the header
// shows (no title holds any of them).
unsigned char Separator(std::string_view csv)
{
    const std::string_view header = csv.substr(0, csv.find_first_of("\r\n"));
    for (char c : {',', ';', '\t'})
        if (header.find(c) != std::string_view::npos)
            return static_cast<unsigned char>(c);
    return ',';
}

// Where an error is: "FILE:LINE:COLUMN: ", the column counted from 1.
std::string Where(const std::string& fileName, std::size_t line, std::size_t column)
{
    return fileName + ":" + std::to_string(line) + ":" + std::to_string(column + 1) + ": ";
}

// Builds the imported table from the rows as they are read: the header
// first, then one unit per row.
class Importer {
public:
    Importer(const std::string& fileName, const TEquipTable& current, std::vector<std::string>& errors)
        : fileName_(fileName), current_(current), errors_(errors)
    {
    }

    void OnRow(std::size_t line, std::span<const std::string> fields)
    {
        // Rows of empty fields: a spreadsheet writes them for rows below
        // the table that were once touched.
        if (notUtf8_ || std::ranges::all_of(fields, &std::string::empty))
            return;
        // Read as UTF-8, a Windows-1252 text fails mostly in the name, with
        // a message that hides the cause.
        if (const auto bad = std::ranges::find_if_not(fields, IsUtf8); bad != fields.end()) {
            errors_ = {Where(fileName_, line, static_cast<std::size_t>(bad - fields.begin()))
                       + "the text is not UTF-8 (saved as Windows-1252?): save it as CSV in UTF-8"};
            notUtf8_ = true;
            return;
        }
        if (!headerRead_) {
            ReadHeader(line, fields);
            headerRead_ = true;
            headerOk_ = errors_.empty();
            lastLine_ = line;
            return;
        }
        if (!headerOk_)  // its errors are the only ones reported
            return;
        if (units_ < EquipCapacity)
            ReadUnit(line, fields, static_cast<std::uint16_t>(units_));
        lastLine_ = line;
        ++units_;
    }

    // The table, or none when there are errors.
    std::unique_ptr<TEquipTable> Finish()
    {
        if (notUtf8_)
            return nullptr;
        if (!headerRead_)
            Error(1, 0, "no header row");
        else if (headerOk_ && (units_ < 2 || units_ > EquipCapacity))
            // Reported before the errors of the rows, as the count is what is seen first.
            errors_.insert(errors_.begin(), Where(fileName_, lastLine_, 0) + std::to_string(units_)
                                                + " units, but a catalogue holds 2 to "
                                                + std::to_string(EquipCapacity));
        if (!errors_.empty())
            return nullptr;
        table_->UnitCount = static_cast<std::uint16_t>(units_);
        return std::move(table_);
    }

private:
    void Error(std::size_t line, std::size_t column, const std::string& message)
    {
        errors_.push_back(Where(fileName_, line, column) + message);
    }

    void ReadHeader(std::size_t line, std::span<const std::string> titles)
    {
        for (std::size_t i = 0; i < titles.size(); ++i) {
            const std::string& title = titles[i];
            const auto column = static_cast<std::size_t>(
                std::ranges::find(CsvColumns, title, &CsvColumn::Title) - CsvColumns.begin());
            if (column == CsvColumnCount)
                Error(line, i, "unknown column " + Quoted(title));
            else if (std::ranges::count(columns_, column) > 0)
                Error(line, i, "column " + Quoted(title) + " appears twice");
            columns_.push_back(column);
        }
        if (std::ranges::count(columns_, Code) == 0)
            Error(line, 0, "the header has no \"code\" column");
    }

    void ReadUnit(std::size_t line, std::span<const std::string> fields, std::uint16_t code)
    {
        if (fields.size() != columns_.size()) {
            Error(line, std::min(fields.size(), columns_.size()),
                  std::to_string(fields.size()) + " fields, but the header has " + std::to_string(columns_.size()));
            return;
        }
        TEquipRecord& record = table_->Records[code];
        std::string& name = table_->UnitNames[code];
        const bool known = code < current_.UnitCount;
        if (known) {
            record = current_.Records[code];
            name = current_.UnitNames[code];
        }
        const auto rawField = static_cast<std::size_t>(std::ranges::find(columns_, Raw) - columns_.begin());
        if (rawField < fields.size() && !fields[rawField].empty()) {
            const std::string& text = fields[rawField];
            if (const auto raw = FromRaw(text))
                record = *raw;
            else if (LooksLikeNumber(text))
                Error(line, rawField, "raw " + Quoted(text) + " was made a number, as a spreadsheet does when it "
                                      "reads the column as numbers: open the file with raw as text");
            else
                Error(line, rawField, "raw is not \"" + std::string(1, RawPrefix) + "\" and "
                                          + std::to_string(2 * EquipRecordSize) + " hexadecimal digits");
        } else if (!known) {
            Error(line, 0, "unit code " + std::to_string(code)
                               + " is beyond the current catalogue, so its raw record is needed");
        }
        const TEquipRecord stored = record;
        storedName_ = name;
        for (std::size_t i = 0; i < columns_.size(); ++i) {
            const std::string& text = fields[i];
            if (columns_[i] == Code) {
                CheckCode(line, i, text);
                continue;
            }
            if (columns_[i] == Raw)
                continue;
            shown_.clear();
            AppendCell(shown_, stored, storedName_, code, columns_[i]);
            if (text == shown_)
                continue;
            if (std::string problem = SetField(columns_[i], text, record, name); !problem.empty())
                Error(line, i, problem);
        }
    }

    // Rows run from code 0 in order. After a row that is missing, the count
    // goes on from the code found, and a repeated or moved row does not set
    // it back, so that the fault is reported once and not for every row
    // after it.
    void CheckCode(std::size_t line, std::size_t field, const std::string& text)
    {
        if (text != std::to_string(nextCode_))
            Error(line, field, "code " + Quoted(text) + " where " + std::to_string(nextCode_)
                                   + " comes next: rows run from code 0 in order (a row missing or repeated?)");
        const auto found = static_cast<std::size_t>(Number(text, 65535).value_or(static_cast<int>(nextCode_)));
        nextCode_ = std::max(nextCode_, found + 1);
    }

    const std::string& fileName_;
    const TEquipTable& current_;
    std::vector<std::string>& errors_;
    std::unique_ptr<TEquipTable> table_ = std::make_unique<TEquipTable>();
    std::vector<std::size_t> columns_;  // which column each field of a row is
    bool headerRead_ = false, headerOk_ = false, notUtf8_ = false;
    std::size_t nextCode_ = 0;  // the code the next row should have
    std::size_t units_ = 0;  // the rows after the header
    std::size_t lastLine_ = 1;  // of the last row read
    std::string storedName_, shown_;  // kept from row to row
};

// Rows as libcsv reads them, each handed on as it ends with the line it
// starts on. The text is fed a line at a time, so the line a row ends on is
// known; the line ends inside its quoted fields lead back to its first
// line. The field strings are kept from row to row, so that reading
// allocates nothing once the longest row has been read.
struct CsvReader {
    Importer* Rows = nullptr;
    std::vector<std::string> Fields;  // the row's are the first FieldCount
    std::size_t FieldCount = 0;
    std::size_t Line = 1;
    std::size_t BreaksInRow = 0;
    std::size_t NextRowLine = 1;  // roughly: blank lines between rows are skipped

    static void OnField(void* data, std::size_t size, void* self)
    {
        auto& reader = *static_cast<CsvReader*>(self);
        const std::string_view field(static_cast<const char*>(data), data ? size : 0);
        reader.BreaksInRow += LineEnds(field);
        if (reader.FieldCount == reader.Fields.size())
            reader.Fields.emplace_back();
        reader.Fields[reader.FieldCount++].assign(field);
    }
    static void OnRowEnd(int, void* self)
    {
        auto& reader = *static_cast<CsvReader*>(self);
        reader.Rows->OnRow(reader.Line - reader.BreaksInRow, {reader.Fields.data(), reader.FieldCount});
        reader.FieldCount = 0;
        reader.BreaksInRow = 0;
        reader.NextRowLine = reader.Line + 1;
    }
};

// Never trims: spaces are part of a name.
int NoSpace(unsigned char) { return 0; }

// Hands each row of the text to rows; returns the error that stopped the
// reading, if any.
std::optional<std::string> ReadRows(std::string_view csv, const std::string& fileName, Importer& rows)
{
    if (csv.starts_with(ByteOrderMark))
        csv.remove_prefix(ByteOrderMark.size());
    csv_parser parser;
    csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI);
    csv_set_space_func(&parser, NoSpace);
    csv_set_delim(&parser, Separator(csv));
    CsvReader reader;
    reader.Rows = &rows;
    bool malformed = false;
    for (std::size_t pos = 0; pos < csv.size();) {
        const std::size_t end = NextLine(csv, pos);
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
    if (!malformed)
        return std::nullopt;
    return Where(fileName, reader.NextRowLine, reader.FieldCount)
           + "malformed CSV: a quote may only open a field, and a quoted field must be closed "
             "before the next comma or line end";
}

// A field as RFC 4180 writes it: quoted when it holds a comma, quote or line break.
void AppendCsvField(std::string& out, std::string_view field)
{
    const auto special = [](char c) { return c == ',' || c == '"' || c == '\r' || c == '\n'; };
    if (std::ranges::none_of(field, special)) {
        out += field;
        return;
    }
    out += '"';
    for (char c : field) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

}  // namespace

std::string CsvCell(const TEquipTable& table, std::uint16_t code, std::size_t column)
{
    std::string cell;
    AppendCell(cell, table.Records[code], table.UnitNames[code], code, column);
    return cell;
}

void AppendCsvLine(std::string& out, const std::vector<std::string>& fields)
{
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += ',';
        AppendCsvField(out, fields[i]);
    }
    out += "\r\n";
}

std::string ExportEquipCsv(const TEquipTable& table)
{
    std::string csv;
    csv.reserve(300 * (table.UnitCount + 1u));
    std::vector<std::string> titles;
    for (const CsvColumn& column : CsvColumns)
        titles.emplace_back(column.Title);
    AppendCsvLine(csv, titles);
    std::string text;
    for (std::uint16_t code = 0; code < table.UnitCount; ++code) {
        const TEquipRecord& record = table.Records[code];
        for (std::size_t column = 0; column < CsvColumnCount; ++column) {
            if (column > 0)
                csv += ',';
            if (column != Name && column != Type && column != Country) {
                AppendCell(csv, record, table.UnitNames[code], code, column);  // digits only
                continue;
            }
            text.clear();
            AppendCell(text, record, table.UnitNames[code], code, column);
            AppendCsvField(csv, text);
        }
        csv += "\r\n";
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
    if (csv.size() > MaxEquipCsvSize) {
        result.Errors.push_back(Where(fileName, 1, 0)
                                + "the file is larger than a CSV file of 1024 unit types can be");
        return result;
    }
    Importer importer(fileName, current, result.Errors);
    if (auto malformed = ReadRows(csv, fileName, importer)) {
        result.Errors = {*malformed};
        return result;
    }
    result.Table = importer.Finish();
    return result;
}

std::vector<EquipChange> CompareEquipment(const TEquipTable& a, const TEquipTable& b)
{
    std::vector<EquipChange> changes;
    const std::uint16_t common = std::min(a.UnitCount, b.UnitCount);
    for (std::uint16_t code = 0; code < common; ++code) {
        const TEquipRecord &before = a.Records[code], &after = b.Records[code];
        if (before == after && a.UnitNames[code] == b.UnitNames[code])
            continue;
        const std::string name = Cp1252ToUtf8(a.UnitNames[code]);
        const auto change = [&](std::size_t column) {
            changes.push_back({code, name, CsvColumns[column].Title, CsvCell(a, code, column), CsvCell(b, code, column)});
        };
        if (a.UnitNames[code] != b.UnitNames[code])
            change(Name);
        // The bytes the changed cells give back when the second catalogue is imported.
        TEquipRecord given = before;
        for (std::size_t column = Type; column < Raw; ++column) {
            const CsvColumn& field = CsvColumns[column];
            const auto bytes = [&](const TEquipRecord& r) { return std::span(r).subspan(field.Offset, field.Size); };
            if (std::ranges::equal(bytes(before), bytes(after)))
                continue;
            const std::string text = CsvCell(b, code, column);
            if (text == CsvCell(a, code, column))
                continue;
            change(column);
            std::string unused;
            SetField(column, text, given, unused);
        }
        if (given != after)
            change(Raw);
    }
    for (std::uint16_t code = common; code < a.UnitCount; ++code)
        changes.push_back({code, Cp1252ToUtf8(a.UnitNames[code]), "removed", {}, {}});
    for (std::uint16_t code = common; code < b.UnitCount; ++code)
        changes.push_back({code, Cp1252ToUtf8(b.UnitNames[code]), "added", {}, {}});
    return changes;
}

std::string ListedErrors(const std::vector<std::string>& errors)
{
    std::string text;
    for (std::size_t i = 0; i < std::min(errors.size(), MaxListedErrors); ++i)
        text += errors[i] + "\n";
    if (errors.size() > MaxListedErrors)
        text += "and " + std::to_string(errors.size() - MaxListedErrors) + " more\n";
    return text;
}

std::string CountOfErrors(std::size_t count)
{
    return std::to_string(count) + (count == 1 ? " error" : " errors");
}

std::string Escaped(std::string_view text)
{
    // What is written as a backslash and a letter, and that letter.
    constexpr std::string_view Lettered = "\"\\\n\r\t", Letters = "\"\\nrt";
    std::string escaped;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        // The C1 controls, U+0080 to U+009F, are two bytes in UTF-8.
        const bool c1 = byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) <= 0x9F;
        char hex[8];
        if (const std::size_t letter = Lettered.find(text[i]); letter != std::string_view::npos) {
            escaped += '\\';
            escaped += Letters[letter];
        } else if (byte < 0x20 || byte == 0x7F) {
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            escaped += hex;
        } else if (c1) {
            std::snprintf(hex, sizeof hex, "\\u%04X", static_cast<unsigned char>(text[++i]));
            escaped += hex;
        } else {
            escaped += text[i];
        }
    }
    return escaped;
}
