#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

// The attributes of a unit type that a user edits, and the rules every
// editing path applies to them: the attribute editor, the unit table, its
// bulk edit and imports all store through these, so that one value typed
// anywhere is stored the same way.

struct NumberField {
    std::string_view label;  // the attribute editor's label or hint
    std::size_t offset;      // record field
    int minimum;
    int maximum;
    int multiple;  // the value shown is the stored byte times this
};

constexpr std::size_t NumberFieldCount = 17;

// Month, Year, Prestige Cost, then the fourteen combat and supply values
// in the attribute editor's order.
extern const std::array<NumberField, NumberFieldCount> NumberFields;

// The field's upper limit for a loaded unit: an Infantry unit moves at
// most 6.
int FieldMaximum(std::uint16_t code, const NumberField& field);

// The value the attribute editor shows for a loaded unit: the stored byte
// times the field's multiple, brought within the limits.
int ShownValue(std::uint16_t code, const NumberField& field);

// A stored movement or fuel of 0 means the unit type has none; it cannot
// be given any.
bool IsEditable(std::uint16_t code, const NumberField& field);

// Stores a typed value into a loaded unit: brought within the limits, then
// divided by the multiple (the prestige cost is kept in twelves). A field
// that is not editable keeps its byte.
void StoreValue(std::uint16_t code, const NumberField& field, int value);

// Whether a name (Windows-1252 bytes) may be stored: no control characters.
bool IsValidUnitName(std::string_view name);
// Stores the first 28 characters of a valid name into a loaded unit.
void StoreUnitName(std::uint16_t code, std::string_view name);
