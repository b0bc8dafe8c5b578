#include "data/Equipment.h"

#include "data/FileError.h"
#include "data/FileIO.h"

#include <algorithm>
#include <cstdio>
#include <vector>

TEquipTable Equipment;

namespace {

static_assert(sizeof(TEquipRecord) == EquipRecordSize, "records are read and written as one block");

constexpr char CtrlZ = 26;

void CheckSavable(const TEquipTable& table)
{
    if (table.UnitCount == 0 || table.UnitCount > EquipCapacity)
        throw FileRefused("No equipment files have been loaded, so there is nothing to save.");
}

// A name as the names file can hold it: a CR or Ctrl-Z would end it on
// reading and shift every later name, and only 28 characters are read back.
std::string_view StorableName(const std::string& name)
{
    const std::string_view text(name);
    return text.substr(0, std::min(text.find_first_of("\r\x1A"), MaxUnitNameLength));
}

}  // namespace

namespace {

// The count and records of an equipment file, read whole.
std::vector<TEquipRecord> ReadEquipRecords(const std::string& path)
{
    File file = File::OpenExisting(path, true);
    std::uint8_t countBytes[2];
    file.ReadExact(countBytes, sizeof countBytes);
    const std::size_t count = countBytes[0] + 256u * countBytes[1];
    if (count < 2 || count > EquipCapacity)
        throw FileRefused("The file " + path + " holds " + std::to_string(count)
                          + (count == 1 ? " unit type" : " unit types") + ", but only 2 to "
                          + std::to_string(EquipCapacity)
                          + " can be loaded.");
    std::vector<TEquipRecord> records(count);
    file.ReadExact(records.data(), count * EquipRecordSize);
    file.Close();
    return records;
}

void StoreRecords(const std::vector<TEquipRecord>& records, TEquipTable& table)
{
    table.UnitCount = static_cast<std::uint16_t>(records.size());
    std::copy(records.begin(), records.end(), table.Records.begin());
}

// Names by the reading rules of the names file. Each name is assigned in
// place, so that loading again reuses the strings of the last load.
void StoreNames(const std::string& text, TEquipTable& table)
{
    const std::size_t end = std::min(text.find(CtrlZ), text.size());
    std::size_t pos = 0;
    for (std::size_t k = 0; k < table.UnitCount; ++k) {
        const std::size_t lineEnd = std::min(text.find('\r', pos), end);
        table.UnitNames[k].assign(text, pos, std::min(lineEnd - pos, MaxUnitNameLength));
        pos = lineEnd;
        if (pos < end)
            ++pos;
        if (pos < end && text[pos] == '\n')
            ++pos;
    }
}

}  // namespace

void LoadEquipFile(const std::string& path, TEquipTable& table)
{
    StoreRecords(ReadEquipRecords(path), table);
}

void LoadNameFile(const std::string& path, TEquipTable& table)
{
    StoreNames(ReadWholeFile(path), table);
}

void LoadEquipment(const std::string& eqpPath, const std::string& txtPath)
{
    // Both files are read before the table changes, so that a failure
    // leaves it as it was.
    const std::vector<TEquipRecord> records = ReadEquipRecords(eqpPath);
    const std::string text = ReadWholeFile(txtPath);
    StoreRecords(records, Equipment);
    StoreNames(text, Equipment);
}

namespace {

// The record file as it is to be written: the count and the records over
// the first bytes of the existing file (never created), whatever follows
// them kept.
std::string EquipFileBytes(const std::string& path, const TEquipTable& table)
{
    std::string records{static_cast<char>(table.UnitCount % 256), static_cast<char>(table.UnitCount / 256)};
    for (std::size_t k = 0; k < table.UnitCount; ++k)
        records.append(reinterpret_cast<const char*>(table.Records[k].data()), EquipRecordSize);
    std::string bytes = ReadWholeFile(path);
    return bytes.replace(0, std::min(records.size(), bytes.size()), records);
}

std::string NameFileBytes(const TEquipTable& table)
{
    std::string text;
    for (std::size_t k = 0; k < table.UnitCount; ++k) {
        text += StorableName(table.UnitNames[k]);
        text += "\r\n";
    }
    return text;
}

}  // namespace

void SaveEquipFile(const std::string& path, const TEquipTable& table)
{
    CheckSavable(table);
    ReplaceFile(path, EquipFileBytes(path, table));
}

void SaveNameFile(const std::string& path, const TEquipTable& table)
{
    CheckSavable(table);
    ReplaceFile(path, NameFileBytes(table));
}

void SaveEquipment(const std::string& eqpPath, const std::string& txtPath)
{
    CheckSavable(Equipment);
    // Both new files are written whole before either takes its old one's
    // place, so that no failure leaves new records beside old names.
    ReplaceFiles({{eqpPath, EquipFileBytes(eqpPath, Equipment)}, {txtPath, NameFileBytes(Equipment)}});
}

int AddUnit(std::uint16_t templateCode)
{
    const std::uint16_t n = Equipment.UnitCount;
    if (n >= MaxAddedUnitCount || templateCode >= n)
        return -1;
    Equipment.Records[n] = Equipment.Records[templateCode];
    Equipment.UnitNames[n] = Equipment.UnitNames[templateCode];
    Equipment.Records[n][Field::UnitCode] = static_cast<std::uint8_t>(n % 256);
    Equipment.Records[n][Field::UnitCode + 1] = static_cast<std::uint8_t>(n / 256);
    Equipment.UnitCount = n + 1;
    return n;
}

std::string HexCode(std::uint16_t code)
{
    char text[5];
    std::snprintf(text, sizeof text, "%02X%02X", code % 256, code / 256);
    return text;
}
