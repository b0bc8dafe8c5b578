#pragma once

#include <array>
#include <cstdint>
#include <string_view>

// The unit types of the demo catalogue that the tests rely on. Every other
// unit has a name of its own, Movement and Fuel above 0, a Cost of 1 or
// more, a month of 1 to 12 and exactly one country bit.
namespace DemoUnit {
constexpr std::uint16_t Count = 586;
constexpr std::uint16_t LastCode = Count - 1;       // a name of its own
constexpr std::array<std::uint16_t, 3> SameName{5, 9, 12};  // one name, three letter cases
constexpr std::uint16_t FastInfantry = 7;   // Infantry with Movement 9
constexpr std::uint16_t NoMovement = 20;    // Movement 0
constexpr std::uint16_t NoFuel = 21;        // Fuel 0
constexpr std::uint16_t Cost20 = 30;        // 240 prestige
constexpr std::uint16_t TrailingBlank = 40;  // name ends with a blank
constexpr std::uint16_t FreeUndated = 50;   // Cost 0 and MonthAvailable 0
constexpr std::array<std::uint16_t, 3> Accented{60, 61, 62};  // é, ü, ß in Windows-1252

// What follows the last record in EQUIP97.EQP.
constexpr std::string_view TrailingBytes{"\x1A" "DEMO\x00\xFF", 7};
}  // namespace DemoUnit
