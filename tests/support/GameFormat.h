#pragma once

#include <cstddef>
#include <cstdint>

// The game's file formats in their own numbers, written out once for the
// tests. Test files are built, and shown values checked, from these and
// never from the program's constants, so that a wrong offset or name in the
// program cannot also be the value a test expects.
namespace GameFormat {

// EQUIP97.EQP: a 2-byte count, then 73-byte records. Offsets within a record.
namespace Eqp {
constexpr std::size_t RecordSize = 73;
constexpr std::size_t UnitCode = 0, UnitClass = 2, SoftAttack = 3, HardAttack = 4, AirAttack = 5,
                      NavalAttack = 6, GroundDefense = 7, AirDefense = 8, CloseDefense = 9, Initiative = 11,
                      Range = 12, Spotting = 13, RangeDefenseMod = 14, Movement = 17, Fuel = 18, Ammo = 19,
                      Cost = 21, MonthAvailable = 26, YearAvailable = 27, Countries = 30;
}  // namespace Eqp

// Save games: the prestige, the bounds of the unit search (start offsets
// from SearchStart, staying SearchTail bytes before the end) and the 65-byte
// unit record's offsets.
namespace Sav {
constexpr std::size_t Prestige = 11660, SearchStart = 11648, SearchTail = 35, RecordSize = 65;
constexpr std::size_t TypeCode = 0, TransportCode = 2, Experience = 8, TypeCodeCopy = 10, CurrentStrength = 20,
                      UnitFuel = 22, TotalStrength = 35;
}  // namespace Sav

// The countries in list order, each with its bit: a mask in one of the
// record bytes 30 to 33.
struct Country {
    const char* name;
    std::size_t byte;
    std::uint8_t mask;
};
constexpr Country Countries[26] = {
    {"Austria", 30, 64},      {"Belgium", 30, 32},     {"Bulgaria", 30, 16},       {"Czechoslovakia", 30, 8},
    {"Denmark", 30, 4},       {"Finland", 30, 2},      {"France", 30, 1},          {"Germany", 31, 128},
    {"Greece", 31, 64},       {"USA", 31, 32},         {"Hungary", 31, 16},        {"Turkey", 31, 8},
    {"Italy", 31, 4},         {"Netherlands", 31, 2},  {"Norway", 31, 1},          {"Poland", 32, 128},
    {"Portugal", 32, 64},     {"Romania", 32, 32},     {"Spain", 32, 16},          {"USSR", 32, 8},
    {"Sweden", 32, 4},        {"Switzerland", 32, 2},  {"United Kingdom", 32, 1},  {"Yugoslavia", 33, 128},
    {"Nationalist", 33, 64},  {"Republican", 33, 32},
};

// The name of the country whose bit is the only one set in a record's
// country bytes; empty when no bit or more than one is set.
inline const char* CountryOf(const std::uint8_t* record)
{
    for (const Country& country : Countries) {
        bool only = true;
        for (std::size_t at = 30; at < 34; ++at)
            only = only && record[at] == (at == country.byte ? country.mask : 0);
        if (only)
            return country.name;
    }
    return "";
}

// The unit class codes that have a name; every other code has none.
struct UnitClass {
    std::uint8_t code;
    const char* name;
};
constexpr UnitClass UnitClasses[18] = {
    {1, "Infantry"},       {2, "Tank"},           {3, "Recon"},          {4, "Anti-Tank"},
    {6, "Fortification"},  {7, "Ground Transport"}, {8, "Artillery"},    {9, "Air Defense"},
    {10, "Fighter"},       {11, "Tactical Bomber"}, {13, "Air Transport"}, {15, "Destroyer"},
    {16, "Battleship"},    {17, "Carrier"},       {18, "Sea Transport"}, {19, "Battle Cruiser"},
    {20, "Cruiser"},       {21, "Light Cruiser"},
};

}  // namespace GameFormat
