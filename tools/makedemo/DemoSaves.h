#pragma once

#include "sgeditor/SaveGame.h"

#include <cstddef>
#include <cstdint>

// The synthetic save games that makedemo writes into SAVE/, with what the
// tests need to know about them.
namespace DemoSaves {

constexpr const char* CampaignFile = "GAME1.CSV";  // upper case, as copied from a disc
constexpr const char* ScenarioFile = "scen1.sav";
constexpr const char* NoListFile = "NOLIST.SAV";   // holds no unit list

constexpr int CampaignUnitCount = 40;
constexpr std::size_t CampaignListAt = 12000;  // file offset of the campaign's first unit
constexpr int ScenarioUnitCount = 24;
constexpr int NoListRecords = 4;  // one record short of a list

constexpr std::uint16_t CampaignPrestige = 3450;
constexpr std::uint16_t ScenarioPrestige = 60000;  // above what the editor accepts
constexpr std::uint16_t NoListPrestige = 1200;

// The campaign's first units, in list order, each with something the editor
// has to show or bound specially; the units after them are ordinary.
constexpr int NoTransportUnit = 0;
constexpr int Code300Unit = 1;            // hex code 2C01, transport the highest code
constexpr int OverStrengthUnit = 2;       // total strength 20
constexpr int VeteranUnit = 3;            // experience above 65000
constexpr int CurrentAboveTotalUnit = 4;  // current strength 12 of total 10
constexpr int ZeroTotalUnit = 5;          // total strength 0, current strength 7
constexpr int FullFuelUnit = 6;           // fuel 255
constexpr int EmptyFuelUnit = 7;          // fuel 0
constexpr int HighByteTransportUnit = 8;  // transport 512: only its high byte is set

constexpr std::uint16_t HighestUnitCode = 585;

// Fields in the order of TSaveGameUnit: type, transport, experience, fuel,
// total strength, current strength.
constexpr TSaveGameUnit CampaignSpecialUnits[] = {
    {1, 0, 120, 40, 10, 10},
    {300, HighestUnitCode, 950, 60, 12, 9},
    {45, 0, 300, 50, 20, 18},
    {77, 3, 65535, 80, 10, 10},
    {128, 0, 64999, 30, 10, 12},
    {200, 0, 65001, 25, 0, 7},
    {333, 0, 0, 255, 15, 15},
    {257, 410, 42, 0, 15, 1},
    {511, 512, 500, 99, 8, 8},
};

}  // namespace DemoSaves
