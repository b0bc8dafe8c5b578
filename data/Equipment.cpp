#include "data/Equipment.h"

#include "data/FileError.h"
#include "data/FileIO.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
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

void LoadEquipFile(const std::string& path, TEquipTable& table)
{
    File file = File::OpenExisting(path, true);
    std::uint8_t countBytes[2];
    file.ReadExact(countBytes, sizeof countBytes);
    const std::size_t count = countBytes[0] + 256u * countBytes[1];
    if (count < 2 || count > EquipCapacity)
        throw FileRefused("The file " + path + " holds " + std::to_string(count)
                          + " unit types, but only 2 to " + std::to_string(EquipCapacity)
                          + " can be loaded.");
    std::vector<TEquipRecord> records(count);
    file.ReadExact(records.data(), count * EquipRecordSize);
    file.Close();
    table.UnitCount = static_cast<std::uint16_t>(count);
    std::copy(records.begin(), records.end(), table.Records.begin());
}

void LoadNameFile(const std::string& path, TEquipTable& table)
{
    const std::string text = ReadWholeFile(path);
    const std::size_t end = std::min(text.find(CtrlZ), text.size());
    std::size_t pos = 0;
    for (std::size_t k = 0; k < table.UnitCount; ++k) {
        const std::size_t lineEnd = std::min(text.find('\r', pos), end);
        table.UnitNames[k] = text.substr(pos, std::min(lineEnd - pos, MaxUnitNameLength));
        pos = lineEnd;
        if (pos < end)
            ++pos;
        if (pos < end && text[pos] == '\n')
            ++pos;
    }
}

void LoadEquipment(const std::string& eqpPath, const std::string& txtPath)
{
    auto loaded = std::make_unique<TEquipTable>(Equipment);
    LoadEquipFile(eqpPath, *loaded);
    LoadNameFile(txtPath, *loaded);
    Equipment = std::move(*loaded);
}

void SaveEquipFile(const std::string& path, const TEquipTable& table)
{
    CheckSavable(table);
    std::vector<std::uint8_t> bytes{static_cast<std::uint8_t>(table.UnitCount % 256),
                                    static_cast<std::uint8_t>(table.UnitCount / 256)};
    for (std::size_t k = 0; k < table.UnitCount; ++k)
        bytes.insert(bytes.end(), table.Records[k].begin(), table.Records[k].end());
    File file = File::OpenExisting(path, true);
    file.WriteAll(bytes.data(), bytes.size());
    file.Close();
}

void SaveNameFile(const std::string& path, const TEquipTable& table)
{
    CheckSavable(table);
    std::string text;
    for (std::size_t k = 0; k < table.UnitCount; ++k) {
        text += StorableName(table.UnitNames[k]);
        text += "\r\n";
    }
    ReplaceFile(path, text);
}

void SaveEquipment(const std::string& eqpPath, const std::string& txtPath)
{
    CheckSavable(Equipment);
    // Both files must be writable before the records change, so that a
    // read-only names file cannot leave new records beside old names.
    File::OpenExisting(eqpPath, true).Close();
    std::error_code ignored;
    if (std::filesystem::exists(txtPath, ignored))
        File::OpenExisting(txtPath, true).Close();
    SaveEquipFile(eqpPath, Equipment);
    SaveNameFile(txtPath, Equipment);
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
