#include "data/UnitCodes.h"

#include "data/Equipment.h"

#include <algorithm>
#include <bit>

const std::array<std::string_view, CountryCount> CountryNames{
    "Austria", "Belgium",  "Bulgaria", "Czechoslovakia", "Denmark",        "Finland",
    "France",  "Germany",  "Greece",   "USA",            "Hungary",        "Turkey",
    "Italy",   "Netherlands", "Norway", "Poland",        "Portugal",       "Romania",
    "Spain",   "USSR",     "Sweden",   "Switzerland",    "United Kingdom", "Yugoslavia",
    "Nationalist", "Republican"};

std::optional<std::string_view> UnitClassName(std::uint8_t unitClass)
{
    // By code; an empty entry is a code without a class.
    constexpr std::string_view Names[] = {
        "", "Infantry", "Tank", "Recon", "Anti-Tank", "", "Fortification", "Ground Transport", "Artillery",
        "Air Defense", "Fighter", "Tactical Bomber", "", "Air Transport", "", "Destroyer", "Battleship",
        "Carrier", "Sea Transport", "Battle Cruiser", "Cruiser", "Light Cruiser"};
    if (unitClass >= std::size(Names) || Names[unitClass].empty())
        return std::nullopt;
    return Names[unitClass];
}

std::optional<std::string_view> CountryName(std::uint16_t code)
{
    if (code >= Equipment.UnitCount)
        return std::nullopt;
    return CountryName(Equipment.Records[code]);
}

std::optional<std::string_view> CountryName(const TEquipRecord& record)
{
    for (std::size_t i = 0; i < 4; ++i) {
        const std::uint8_t bits = record[Field::Countries + i];
        if (bits == 0)
            continue;
        // Country k is bit 30 - k of the four bytes read big-endian.
        const int k = static_cast<int>(8 * i) + std::countl_zero(bits) - 1;
        if (!std::has_single_bit(bits) || k < 0 || k >= static_cast<int>(CountryCount))
            return std::nullopt;
        return CountryNames[k];
    }
    return std::nullopt;
}

bool SetCountryByName(std::uint16_t code, std::string_view name)
{
    return code < Equipment.UnitCount && SetCountryByName(Equipment.Records[code], name);
}

bool SetCountryByName(TEquipRecord& record, std::string_view name)
{
    std::fill_n(record.begin() + Field::Countries, 4, 0);
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    const auto found = std::ranges::find_if(CountryNames, [&](std::string_view country) {
        return std::ranges::equal(country, name, {}, lower, lower);
    });
    if (found == CountryNames.end())
        return false;
    const std::size_t bit = static_cast<std::size_t>(found - CountryNames.begin()) + 1;
    record[Field::Countries + bit / 8] = static_cast<std::uint8_t>(0x80 >> (bit % 8));
    return true;
}
