#include "tools/makedemo/Demo.h"
#include "tools/makedemo/DemoSaves.h"

#include "data/FileIO.h"
#include "sgeditor/SaveGame.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace {

using namespace DemoSaves;

// Deterministic noise standing in for the game's own data.
class Noise {
public:
    explicit Noise(std::uint32_t seed) : state_(seed) {}
    char Next()
    {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<char>(state_ >> 24);
    }

private:
    std::uint32_t state_;
};

void Put16(std::string& bytes, std::size_t at, std::uint16_t value)
{
    bytes[at] = static_cast<char>(value % 256);
    bytes[at + 1] = static_cast<char>(value / 256);
}

void PutUnit(std::string& bytes, std::size_t at, const TSaveGameUnit& unit)
{
    Put16(bytes, at + UnitField::TypeCode, unit.TypeCode);
    Put16(bytes, at + UnitField::TypeCodeCopy, unit.TypeCode);
    Put16(bytes, at + UnitField::TransportCode, unit.TransportCode);
    Put16(bytes, at + UnitField::Experience, unit.Experience);
    bytes[at + UnitField::CurrentStrength] = static_cast<char>(unit.CurrentStrength);
    bytes[at + UnitField::UnitFuel] = static_cast<char>(unit.UnitFuel);
    bytes[at + UnitField::TotalStrength] = static_cast<char>(unit.TotalStrength);
}

// A code of the demo catalogue whose low byte is not zero, as every code in
// a unit list has.
std::uint16_t ListCode(int n, int highestCode)
{
    const int code = 1 + n % highestCode;
    return static_cast<std::uint16_t>(code % 256 == 0 ? code + 1 : code);
}

TSaveGameUnit OrdinaryUnit(int k, int highestCode)
{
    const bool carried = k % 3 == 0;
    return {ListCode(k * 97, highestCode),
            carried ? ListCode(k * 41 + 7, highestCode) : std::uint16_t{0},
            static_cast<std::uint16_t>(k * 263 % 1000),
            static_cast<std::uint8_t>(20 + k * 37 % 200),
            10,
            static_cast<std::uint8_t>(1 + k % 10)};
}

// A save game of size noisy bytes with the prestige set and count units
// from listAt on, the special ones first. The record places just before and
// just after the list get a zero first byte, so that the list is exactly
// these units.
std::string SaveGame(std::uint32_t seed, std::size_t size, std::uint16_t prestige, std::size_t listAt,
                     int count, int highestCode, std::span<const TSaveGameUnit> special = {})
{
    Noise noise(seed);
    std::string bytes(size, '\0');
    for (char& byte : bytes)
        byte = noise.Next();
    bytes[listAt - UnitRecordSize] = 0;
    for (int k = 0; k < count; ++k) {
        const std::size_t at = listAt + UnitRecordSize * static_cast<std::size_t>(k);
        PutUnit(bytes, at, static_cast<std::size_t>(k) < special.size() ? special[k] : OrdinaryUnit(static_cast<int>(seed) * 100 + k, highestCode));
    }
    bytes[listAt + UnitRecordSize * static_cast<std::size_t>(count)] = 0;
    Put16(bytes, PrestigeOffset, prestige);
    return bytes;
}

}  // namespace

void WriteDemoSaveGames(const std::string& dir, std::uint16_t highestCode)
{
    const std::string saveDir = dir + "SAVE/";
    std::filesystem::create_directories(saveDir);
    ReplaceFile(saveDir + CampaignFile, SaveGame(1, 45000, CampaignPrestige, CampaignListAt,
                                                 CampaignUnitCount, highestCode, CampaignSpecialUnits));
    ReplaceFile(saveDir + ScenarioFile,
                SaveGame(2, 30000, ScenarioPrestige, 11777, ScenarioUnitCount, highestCode));
    ReplaceFile(saveDir + NoListFile,
                SaveGame(3, 20000, NoListPrestige, 12500, NoListRecords, highestCode));
}
