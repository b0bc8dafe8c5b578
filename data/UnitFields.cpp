#include "data/UnitFields.h"

#include <algorithm>

#include "data/Cp1252.h"
#include "data/Equipment.h"
#include "data/UnitCodes.h"

namespace {

constexpr int ByteMaximum = 255;

// A combat or supply value: the byte as it is stored, 0 to 255.
constexpr NumberField Byte(std::string_view label, std::string_view control, std::string_view csvColumn,
                           std::size_t offset, AttributeIcon icon, bool zeroMeansNone = false)
{
    return {label, control, csvColumn, offset, 0, ByteMaximum, 1, zeroMeansNone, icon};
}

}  // namespace

const std::array<NumberField, NumberFieldCount> NumberFields{{
    {"Month", "seMonth", "month", Field::MonthAvailable, FirstMonth, LastMonth, 1, false, AttributeIcon::None},
    {"Year", "seYear", "year", Field::YearAvailable, FirstYear, LastYear, 1, false, AttributeIcon::None},
    {"Prestige Cost", "seCost", "cost", Field::Cost, PrestigePerCostUnit, MaxPrestigeCost,
     PrestigePerCostUnit, false, AttributeIcon::Cost},
    Byte("Movement", "seMove", "movement", Field::Movement, AttributeIcon::Movement, true),
    Byte("Fuel", "seFuel", "fuel", Field::Fuel, AttributeIcon::Fuel, true),
    Byte("Ammo", "seAmmo", "ammo", Field::Ammo, AttributeIcon::Ammo),
    Byte("Range", "seRange", "range", Field::Range, AttributeIcon::Range),
    Byte("Initiative", "seInit", "initiative", Field::Initiative, AttributeIcon::Initiative),
    Byte("Spotting Range", "seSpot", "spotting", Field::Spotting, AttributeIcon::Spotting),
    Byte("Hard Attack", "seHAtt", "hard_attack", Field::HardAttack, AttributeIcon::HardAttack),
    Byte("Soft Attack", "seSAtt", "soft_attack", Field::SoftAttack, AttributeIcon::SoftAttack),
    Byte("Air Attack", "seAAtt", "air_attack", Field::AirAttack, AttributeIcon::AirAttack),
    Byte("Naval Attack", "seNAtt", "naval_attack", Field::NavalAttack, AttributeIcon::NavalAttack),
    Byte("Ground Defense", "seGDef", "ground_defense", Field::GroundDefense, AttributeIcon::GroundDefense),
    Byte("Air Defense", "seADef", "air_defense", Field::AirDefense, AttributeIcon::AirDefense),
    Byte("Close Defense", "seCDef", "close_defense", Field::CloseDefense, AttributeIcon::CloseDefense),
    Byte("Range Defense Modifier", "seRDM", "range_defense_mod", Field::RangeDefenseMod,
         AttributeIcon::RangeDefense),
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

bool IsValidUnitName(std::string_view name)
{
    return std::ranges::none_of(name, [](char byte) {
        const char32_t c = CodePointOfCp1252(static_cast<unsigned char>(byte));
        return c < 0x20 || (c >= 0x7F && c <= 0x9F);
    });
}

void StoreUnitName(std::uint16_t code, std::string_view name)
{
    Equipment.UnitNames[code] = std::string(name.substr(0, MaxUnitNameLength));
}
