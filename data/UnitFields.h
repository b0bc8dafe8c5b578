#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

// The attributes of a unit type that a user edits, and the rules every
// editing path applies to them: the attribute editor, the unit table, its
// bulk edit and imports all store through these, so that one value typed
// anywhere is stored the same way.

// The picture the attribute editor shows beside a field; the windows draw it.
enum class AttributeIcon {
    None, Cost, Movement, Fuel, Ammo, Range, Initiative, Spotting, HardAttack, SoftAttack,
    AirAttack, NavalAttack, GroundDefense, AirDefense, CloseDefense, RangeDefense,
};

struct NumberField {
    std::string_view label;      // the attribute editor's label or hint
    std::string_view control;    // the attribute editor's field
    std::string_view csvColumn;  // its column in the CSV of the table
    std::size_t offset;          // record field
    int minimum;
    int maximum;
    int multiple;         // the value shown is the stored byte times this
    bool zeroMeansNone;   // a stored 0: the unit type has none and gets none
    AttributeIcon icon;
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

// Whether a loaded unit's field may be changed: not where a stored 0 means
// the unit type has none.
bool IsEditable(std::uint16_t code, const NumberField& field);

// Stores a typed value into a loaded unit: brought within the limits, then
// divided by the multiple (the prestige cost is kept in twelves). A field
// that is not editable keeps its byte.
void StoreValue(std::uint16_t code, const NumberField& field, int value);

// Whether a name (Windows-1252 bytes) may be stored: no byte a control
// character (C0, DEL, nor the C1 controls that the five bytes the code page
// leaves undefined stand for), so that a name shows and types the same in
// every window and in a spreadsheet.
bool IsValidUnitName(std::string_view name);
// Stores the first 28 characters of a valid name into a loaded unit.
void StoreUnitName(std::uint16_t code, std::string_view name);
