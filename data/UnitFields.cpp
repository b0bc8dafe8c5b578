#include "data/UnitFields.h"

#include <algorithm>

#include "data/Cp1252.h"
#include "data/Equipment.h"
#include "data/UnitCodes.h"

namespace {

constexpr int ByteMaximum = 255;

}  // namespace

const std::array<NumberField, NumberFieldCount> NumberFields{{
    {"Month", "seMonth", "month", Field::MonthAvailable, FirstMonth, LastMonth, 1, false, AttributeIcon::None},
    {"Year", "seYear", "year", Field::YearAvailable, FirstYear, LastYear, 1, false, AttributeIcon::None},
    {"Prestige Cost", "seCost", "cost", Field::Cost, PrestigePerCostUnit, MaxPrestigeCost,
     PrestigePerCostUnit, false, AttributeIcon::Cost},
    {"Movement", "seMove", "movement", Field::Movement, 0, ByteMaximum, 1, true, AttributeIcon::Movement},
    {"Fuel", "seFuel", "fuel", Field::Fuel, 0, ByteMaximum, 1, true, AttributeIcon::Fuel},
    {"Ammo", "seAmmo", "ammo", Field::Ammo, 0, ByteMaximum, 1, false, AttributeIcon::Ammo},
    {"Range", "seRange", "range", Field::Range, 0, ByteMaximum, 1, false, AttributeIcon::Range},
    {"Initiative", "seInit", "initiative", Field::Initiative, 0, ByteMaximum, 1, false,
     AttributeIcon::Initiative},
    {"Spotting Range", "seSpot", "spotting", Field::Spotting, 0, ByteMaximum, 1, false,
     AttributeIcon::Spotting},
    {"Hard Attack", "seHAtt", "hard_attack", Field::HardAttack, 0, ByteMaximum, 1, false,
     AttributeIcon::HardAttack},
    {"Soft Attack", "seSAtt", "soft_attack", Field::SoftAttack, 0, ByteMaximum, 1, false,
     AttributeIcon::SoftAttack},
    {"Air Attack", "seAAtt", "air_attack", Field::AirAttack, 0, ByteMaximum, 1, false,
     AttributeIcon::AirAttack},
    {"Naval Attack", "seNAtt", "naval_attack", Field::NavalAttack, 0, ByteMaximum, 1, false,
     AttributeIcon::NavalAttack},
    {"Ground Defense", "seGDef", "ground_defense", Field::GroundDefense, 0, ByteMaximum, 1, false,
     AttributeIcon::GroundDefense},
    {"Air Defense", "seADef", "air_defense", Field::AirDefense, 0, ByteMaximum, 1, false,
     AttributeIcon::AirDefense},
    {"Close Defense", "seCDef", "close_defense", Field::CloseDefense, 0, ByteMaximum, 1, false,
     AttributeIcon::CloseDefense},
    {"Range Defense Modifier", "seRDM", "range_defense_mod", Field::RangeDefenseMod, 0, ByteMaximum,
     1, false, AttributeIcon::RangeDefense},
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
    return !field.zeroMeansNone || Equipment.Records[code][field.offset] != 0;
}

void StoreValue(std::uint16_t code, const NumberField& field, int value)
{
    if (!IsEditable(code, field))
        return;
    const int bounded = std::clamp(value, field.minimum, FieldMaximum(code, field));
    Equipment.Records[code][field.offset] = static_cast<std::uint8_t>(bounded / field.multiple);
}

bool IsUnitNameByte(unsigned char byte)
{
    const char32_t c = CodePointOfCp1252(byte);
    return c >= 0x20 && !(c >= 0x7F && c <= 0x9F);
}

bool IsValidUnitName(std::string_view name)
{
    return std::ranges::all_of(name, [](char c) { return IsUnitNameByte(static_cast<unsigned char>(c)); });
}

void StoreUnitName(std::uint16_t code, std::string_view name)
{
    Equipment.UnitNames[code] = std::string(name.substr(0, MaxUnitNameLength));
}
