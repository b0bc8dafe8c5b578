#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The game's catalogue of unit types: EQUIP97.EQP (a 2-byte little-endian
// count, then one 73-byte record per unit type) and EQUIP97.TXT (one name
// per line, CR LF). Record k and line k belong to unit code k.

constexpr std::size_t EquipRecordSize = 73;
constexpr std::size_t EquipCapacity = 1024;   // record and name slots
constexpr std::size_t MaxUnitNameLength = 28;
constexpr std::uint16_t MaxAddedUnitCount = 1023;  // AddUnit refuses from here on

constexpr const char* EquipFileName = "EQUIP97.EQP";
constexpr const char* NameFileName = "EQUIP97.TXT";

// Offsets of the record fields the editors interpret; every other byte is
// carried through untouched.
namespace Field {
constexpr std::size_t UnitCode = 0;  // 2 bytes, little-endian
constexpr std::size_t UnitClass = 2;
constexpr std::size_t SoftAttack = 3;
constexpr std::size_t HardAttack = 4;
constexpr std::size_t AirAttack = 5;
constexpr std::size_t NavalAttack = 6;
constexpr std::size_t GroundDefense = 7;
constexpr std::size_t AirDefense = 8;
constexpr std::size_t CloseDefense = 9;
constexpr std::size_t Initiative = 11;
constexpr std::size_t Range = 12;
constexpr std::size_t Spotting = 13;
constexpr std::size_t RangeDefenseMod = 14;
constexpr std::size_t Movement = 17;
constexpr std::size_t Fuel = 18;
constexpr std::size_t Ammo = 19;
constexpr std::size_t Cost = 21;  // prestige cost divided by 12
constexpr std::size_t MonthAvailable = 26;
constexpr std::size_t YearAvailable = 27;
constexpr std::size_t Countries = 30;  // 4 bytes, one bit per country
}  // namespace Field

constexpr int PrestigePerCostUnit = 12;

using TEquipRecord = std::array<std::uint8_t, EquipRecordSize>;

struct TEquipTable {
    std::uint16_t UnitCount = 0;
    std::array<TEquipRecord, EquipCapacity> Records{};
    std::array<std::string, EquipCapacity> UnitNames{};  // bytes in Windows-1252
};

// The one process-wide table; empty (count 0) until the first load.
extern TEquipTable Equipment;

// Reads both files into the table, after completing or undoing a save of
// them that was interrupted (RecoverFiles); returns what was done then, for
// the user, empty when nothing was. Only when both were read completely
// does the table change; after any failure (FileError, or FileRefused for a
// count below 2 or above 1024, naming the file and the count) it is exactly
// as before. The EQP file must be writable ("File access denied" otherwise).
std::string LoadEquipment(const std::string& eqpPath, const std::string& txtPath);

// The two steps of LoadEquipment, on a table of the caller's: the count and
// records, then UnitCount names by the reading rules of the names file (CR
// ends a line and a following LF is skipped, an LF alone is no line end,
// Ctrl-Z or the end of the file ends the text, 28 characters are kept).
// Such a table is only read, so a read-only EQP file loads.
void LoadEquipFile(const std::string& path, TEquipTable& table);
void LoadNameFile(const std::string& path, TEquipTable& table);
// The length of each of the first count lines of a names file as it stands,
// uncut, by the same rules; fewer when the text ends first. Holes in a
// sparse file count as the zero bytes they read as, unread.
std::vector<std::uint64_t> NameLineLengths(const std::string& path, std::size_t count);

// Writes the table back: the count and records over the start of the
// existing EQP file (never created, never shortened: bytes after the last
// record stay), then the names as a TXT file of exactly UnitCount CR LF
// lines. Each name is written as it would read back: cut before any CR or
// Ctrl-Z, at most 28 characters. Every file is replaced whole, and
// SaveEquipment replaces both as one transaction (ReplaceFiles): a failure
// or a kill at any step leaves both old files or both new ones. A table with no
// units loaded is refused (FileRefused) and nothing is written.
// SaveEquipment first keeps a copy of each file (SaveWithFirstCopies) and throws
// CopyFailed, writing nothing, when one cannot be made.
void SaveEquipment(const std::string& eqpPath, const std::string& txtPath);
void SaveEquipFile(const std::string& path, const TEquipTable& table);
void SaveNameFile(const std::string& path, const TEquipTable& table);

// Appends a copy of the template's record and name as a new unit type and
// returns its code, with UnitCode set to it; returns -1 and changes nothing
// when the table already holds MaxAddedUnitCount records or the template is
// not a loaded unit.
int AddUnit(std::uint16_t templateCode);

// Low byte then high byte, two upper-case hex digits each: 300 is "2C01".
std::string HexCode(std::uint16_t code);
