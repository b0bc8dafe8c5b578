#pragma once

#include <random>
#include <string>
#include <vector>

// A game directory drawn at random across what the file formats allow: 2 to
// 1024 unit types, names of 0 to 28 Windows-1252 characters, stored values
// at and beyond every field's limits, and save games whose unit lists of 5
// to 255 units carry codes beyond the table and of four digits, beside a
// save game with no unit list at all.
struct RandomGame {
    std::string dir;  // ends with '/'
    int unitCount = 0;
    std::vector<std::string> saves;  // paths of the save games in dir + "SAVE/"
};

RandomGame WriteRandomGame(const std::string& dir, std::mt19937& rng);
