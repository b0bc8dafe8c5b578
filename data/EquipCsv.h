#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/Equipment.h"
#include "data/UnitFields.h"

// The equipment table as CSV text, one row per unit code, so that modders
// can keep and compare it with their own tools (docs/csv-format.md). Export
// then import without edits gives back the same bytes; an edited cell
// changes exactly the bytes of its field.

// A column: its title and the record bytes it shows (none for code, name
// and raw; raw holds all of them), a one-byte field shown as the byte
// times Multiple.
struct CsvColumn {
    std::string_view Title;
    std::size_t Offset, Size;
    int Multiple = 1;
};
constexpr std::size_t CsvColumnCount = 4 + NumberFieldCount + 1;
// The header, in column order: code, name, type, country, the attributes
// of NumberFields, raw.
extern const std::array<CsvColumn, CsvColumnCount> CsvColumns;

// What starts the raw cell, so that no spreadsheet takes it for a number.
// Files written before it came in have none; import takes both.
constexpr char RawPrefix = 'x';

// The text export writes in the column for unit code k of the table.
std::string CsvCell(const TEquipTable& table, std::uint16_t code, std::size_t column);

// One CSV line (RFC 4180, CR LF): fields with a comma, quote or line break quoted.
void AppendCsvLine(std::string& out, const std::vector<std::string>& fields);

// The header and one row per unit code from 0 to UnitCount - 1.
std::string ExportEquipCsv(const TEquipTable& table);

struct EquipCsvImport {
    std::unique_ptr<TEquipTable> Table;  // the imported catalogue; none when there are errors
    std::vector<std::string> Errors;     // every error, as "FILE:LINE:COLUMN: message"
};

// The errors as a user sees them: the first MaxListedErrors, then
// "and N more", one per line.
constexpr std::size_t MaxListedErrors = 20;
std::string ListedErrors(const std::vector<std::string>& errors);
// "1 error", "2 errors".
std::string CountOfErrors(std::size_t count);

// Text from a file on one terminal line: control characters, quotes and
// backslashes written as C escapes, so that a cell cannot move the cursor
// or end the quotes it is shown in.
std::string Escaped(std::string_view text);

// Writes the export of table to path. Campaign saves end in .csv too, so
// an existing file is replaced only when it is empty or an earlier export
// (its header names the code column first); anything else is refused with
// FileRefused and left as it was.
void WriteEquipCsvFile(const std::string& path, const TEquipTable& table);

// The most a CSV file of a whole catalogue can hold: 1024 rows of well
// under 4 KiB each. A longer file is refused without being read whole.
constexpr std::size_t MaxEquipCsvSize = 4 * 1024 * 1024;
// The text of a CSV file for ImportEquipCsv: at most one byte more than
// MaxEquipCsvSize, so that the import can report a larger file.
std::string ReadEquipCsvFile(const std::string& path);

// Reads CSV text into a new table: each row starts from its raw record (or
// the current table's record of its code), then every cell whose text
// differs from what export writes for those bytes sets its field. Every
// cell is checked; fileName only names the text in the errors. Fields may
// be separated by commas, or by semicolons or tabs where the header has no
// comma; rows of empty fields are skipped.
EquipCsvImport ImportEquipCsv(std::string_view csv, const std::string& fileName,
                              const TEquipTable& current);

// A difference between two catalogues: a field (a column's name) of a unit
// code in both, or a code only one has ("added", "removed"). Name is the
// unit's name in the first catalogue, in the second for an added code.
struct EquipChange {
    std::uint16_t Code;
    std::string Name;  // UTF-8, as in the CSV
    std::string_view What;
    std::string Old, New;
};
// Every byte and name is compared. A difference is listed in the named
// columns whose text shows it, and under "raw" as well wherever the named
// cells of the second catalogue do not give its bytes back: bytes no named
// column shows, or country bytes that name no country or several.
std::vector<EquipChange> CompareEquipment(const TEquipTable& a, const TEquipTable& b);
