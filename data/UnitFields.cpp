#include "data/UnitFields.h"

#include <algorithm>

#include "data/Equipment.h"
#include "data/UnitCodes.h"

namespace {

constexpr int ByteMaximum = 255;

}  // namespace

const std::array<NumberField, NumberFieldCount> NumberFields{{
    {"Month", Field::MonthAvailable, FirstMonth, LastMonth, 1},
    {"Year", Field::YearAvailable, FirstYear, LastYear, 1},
    {"Prestige Cost", Field::Cost, PrestigePerCostUnit, MaxPrestigeCost, PrestigePerCostUnit},
    {"Movement", Field::Movement, 0, ByteMaximum, 1},
    {"Fuel", Field::Fuel, 0, ByteMaximum, 1},
    {"Ammo", Field::Ammo, 0, ByteMaximum, 1},
    {"Range", Field::Range, 0, ByteMaximum, 1},
    {"Initiative", Field::Initiative, 0, ByteMaximum, 1},
    {"Spotting Range", Field::Spotting, 0, ByteMaximum, 1},
    {"Hard Attack", Field::HardAttack, 0, ByteMaximum, 1},
    {"Soft Attack", Field::SoftAttack, 0, ByteMaximum, 1},
    {"Air Attack", Field::AirAttack, 0, ByteMaximum, 1},
    {"Naval Attack", Field::NavalAttack, 0, ByteMaximum, 1},
    {"Ground Defense", Field::GroundDefense, 0, ByteMaximum, 1},
    {"Air Defense", Field::AirDefense, 0, ByteMaximum, 1},
    {"Close Defense", Field::CloseDefense, 0, ByteMaximum, 1},
    {"Range Defense Modifier", Field::RangeDefenseMod, 0, ByteMaximum, 1},
}};

int FieldMaximum(std::uint16_t code, const NumberField& field)
{
    if (field.offset == Field::Movement &&
        Equipment.Records[code][Field::UnitClass] == InfantryClass)
        return InfantryMaxMovement;
    return field.maximum;
}

int ShownValue(std::uint16_t code, const NumberField& field)
{
    return std::clamp(Equipment.Records[code][field.offset] * field.multiple, field.minimum,
                      FieldMaximum(code, field));
}

bool IsEditable(std::uint16_t code, const NumberField& field)
{
    const bool mayBeNone = field.offset == Field::Movement || field.offset == Field::Fuel;
    return !mayBeNone || Equipment.Records[code][field.offset] != 0;
}

void StoreValue(std::uint16_t code, const NumberField& field, int value)
{
    if (!IsEditable(code, field))
        return;
    const int bounded = std::clamp(value, field.minimum, FieldMaximum(code, field));
    Equipment.Records[code][field.offset] = static_cast<std::uint8_t>(bounded / field.multiple);
}

bool IsValidUnitName(std::string_view name)
{
    return std::ranges::none_of(name, [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

void StoreUnitName(std::uint16_t code, std::string_view name)
{
    Equipment.UnitNames[code] = std::string(name.substr(0, MaxUnitNameLength));
}
