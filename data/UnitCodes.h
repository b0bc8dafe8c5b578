#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "data/Equipment.h"

// Names of the codes in an equipment record: the unit class (byte 2) and
// the country bit set (bytes 30 to 33).

constexpr std::size_t CountryCount = 26;

// The limits within which the unit attribute editor shows and edits a
// unit; stored values outside them are shown at the nearest limit.
constexpr std::uint8_t InfantryClass = 1;
constexpr int InfantryMaxMovement = 6;
constexpr int FirstMonth = 1, LastMonth = 12;
constexpr int FirstYear = 16, LastYear = 45;  // 1916 to 1945

// The highest prestige cost a cost byte holds.
constexpr int MaxPrestigeCost = 255 * PrestigePerCostUnit;

// The country names in bit order: entry k is bit 30 - k of bytes 30..33
// read big-endian. This is also the order of the editor's country list.
extern const std::array<std::string_view, CountryCount> CountryNames;

// The class name of a code, or none for codes without one.
std::optional<std::string_view> UnitClassName(std::uint8_t unitClass);

// The country of a loaded unit: the first nonzero byte of 30..33 decides,
// and must hold exactly one of its countries' masks. None otherwise, and
// for a code that is not a loaded unit.
std::optional<std::string_view> CountryName(std::uint16_t code);

// Clears the four country bytes of a loaded unit and sets the bit of the
// named country (whole name, ASCII case ignored). Returns false, with all
// four bytes left zero, when no country has that name; the caller warns.
bool SetCountryByName(std::uint16_t code, std::string_view name);

// The same two on a record of any table.
std::optional<std::string_view> CountryName(const TEquipRecord& record);
bool SetCountryByName(TEquipRecord& record, std::string_view name);
