#pragma once

#include <cstdint>
#include <string>

// Writes EQUIP97.EQP and EQUIP97.TXT of the invented demo catalogue of count
// unit types (codes 0 to count - 1) into dir.
void WriteDemoEquipment(const std::string& dir, std::uint16_t count);
// Writes the demo save games into dir + "SAVE/"; their ordinary units have
// type and transport codes up to highestCode.
void WriteDemoSaveGames(const std::string& dir, std::uint16_t highestCode);
