#pragma once

#include "sgeditor/SaveGame.h"

// The ranges in which the save game editor shows and stores values. The
// image holds whatever the file holds; a stored value outside its range is
// shown as the nearest limit, and that limit is what a store writes. The
// editor's fields, the unit table and its bulk edits all follow these rules.

constexpr int MaxPrestige = 55000;
constexpr int MaxExperience = 65000;
constexpr int MaxFuel = 255;
constexpr int MaxStrength = 15;
// The highest unit code before an equipment table is loaded.
constexpr int DefaultHighestCode = 585;

// The highest unit code the loaded equipment table holds.
int HighestUnitCode();

enum class SaveUnitField { TypeCode, TransportCode, Experience, UnitFuel, TotalStrength, CurrentStrength };

int FieldValue(const TSaveGameUnit& unit, SaveUnitField field);

struct FieldLimits {
    int minimum = 0;
    int maximum = 0;
};

// The limits of a field of a shown unit. The current strength may not
// exceed the total strength; with a total strength of 0 the editor applies
// no limits, so it then may be any byte.
FieldLimits LimitsOf(const TSaveGameUnit& shown, SaveUnitField field);

// A stored unit as the editor shows it, and so as a store of the shown
// values writes it back. A current strength with a total strength of 0 is
// shown as stored.
TSaveGameUnit ShownUnit(const TSaveGameUnit& stored);

// The shown unit with one field set to value, brought within that field's
// limits. A total strength below the current strength lowers it too, as in
// the editor.
TSaveGameUnit WithField(TSaveGameUnit shown, SaveUnitField field, int value);

// The stored unit with one field set as WithField sets it on the shown
// unit, and every other value as stored: a change of one value writes no
// other (but the current strength a lower total strength lowers).
TSaveGameUnit StoredWithField(const TSaveGameUnit& stored, SaveUnitField field, int value);
