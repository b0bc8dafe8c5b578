#pragma once

#include <string>

// Writes EQUIP97.EQP and EQUIP97.TXT of the invented demo catalogue into dir.
void WriteDemoEquipment(const std::string& dir);
// Writes the demo save games into dir + "SAVE/".
void WriteDemoSaveGames(const std::string& dir);
