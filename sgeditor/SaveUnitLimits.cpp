#include "sgeditor/SaveUnitLimits.h"

#include <algorithm>

#include "data/Equipment.h"

int HighestUnitCode()
{
    return Equipment.UnitCount > 0 ? Equipment.UnitCount - 1 : DefaultHighestCode;
}

int FieldValue(const TSaveGameUnit& unit, SaveUnitField field)
{
    switch (field) {
    case SaveUnitField::TypeCode: return unit.TypeCode;
    case SaveUnitField::TransportCode: return unit.TransportCode;
    case SaveUnitField::Experience: return unit.Experience;
    case SaveUnitField::UnitFuel: return unit.UnitFuel;
    case SaveUnitField::TotalStrength: return unit.TotalStrength;
    case SaveUnitField::CurrentStrength: return unit.CurrentStrength;
    }
    return 0;
}

FieldLimits LimitsOf(const TSaveGameUnit& shown, SaveUnitField field)
{
    switch (field) {
    case SaveUnitField::TypeCode: return {1, HighestUnitCode()};
    case SaveUnitField::TransportCode: return {0, HighestUnitCode()};
    case SaveUnitField::Experience: return {0, MaxExperience};
    case SaveUnitField::UnitFuel: return {0, MaxFuel};
    case SaveUnitField::TotalStrength: return {0, MaxStrength};
    case SaveUnitField::CurrentStrength:
        // Unbounded with a total strength of 0, but for its byte.
        return {0, shown.TotalStrength == 0 ? 255 : shown.TotalStrength};
    }
    return {};
}

TSaveGameUnit ShownUnit(const TSaveGameUnit& stored)
{
    TSaveGameUnit shown = stored;
    for (SaveUnitField field : {SaveUnitField::TypeCode, SaveUnitField::TransportCode,
                                SaveUnitField::Experience})
        shown = WithField(shown, field, FieldValue(stored, field));
    // A total strength of 0 leaves the current strength as stored.
    if (stored.TotalStrength != 0)
        shown = WithField(shown, SaveUnitField::TotalStrength, stored.TotalStrength);
    return shown;
}

TSaveGameUnit WithField(TSaveGameUnit shown, SaveUnitField field, int value)
{
    const FieldLimits limits = LimitsOf(shown, field);
    value = std::clamp(value, limits.minimum, limits.maximum);
    switch (field) {
    case SaveUnitField::TypeCode: shown.TypeCode = static_cast<std::uint16_t>(value); break;
    case SaveUnitField::TransportCode: shown.TransportCode = static_cast<std::uint16_t>(value); break;
    case SaveUnitField::Experience: shown.Experience = static_cast<std::uint16_t>(value); break;
    case SaveUnitField::UnitFuel: shown.UnitFuel = static_cast<std::uint8_t>(value); break;
    case SaveUnitField::TotalStrength:
        shown.TotalStrength = static_cast<std::uint8_t>(value);
        shown.CurrentStrength = std::min(shown.CurrentStrength, shown.TotalStrength);
        break;
    case SaveUnitField::CurrentStrength: shown.CurrentStrength = static_cast<std::uint8_t>(value); break;
    }
    return shown;
}

TSaveGameUnit StoredWithField(const TSaveGameUnit& stored, SaveUnitField field, int value)
{
    return WithField(stored, field, FieldValue(WithField(ShownUnit(stored), field, value), field));
}
