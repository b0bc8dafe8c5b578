#pragma once

#include <memory>

struct TEquipTable;
class QWidget;

// The unit attribute editor's "Tools" menu: the equipment table to and
// from a CSV file the user picks (docs/csv-format.md).

// Writes the table in memory, as "Save File" would write it, to a CSV file;
// false when the user cancels or the file cannot be written.
bool ExportTableToCsv(QWidget* parent);

// Reads a CSV file over the table in memory and returns the table it gives;
// none when the user cancels, the file cannot be read, or it has errors,
// which are all shown in one dialog. Changes neither the table nor a file.
std::unique_ptr<TEquipTable> ImportTableFromCsv(QWidget* parent);
