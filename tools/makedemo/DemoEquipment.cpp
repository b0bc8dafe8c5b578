// The demo catalogue: 586 invented unit types, codes 0 to 585 (or all 1024
// slots for a large game), cycling
// through the 18 named unit classes and the 26 countries, with values
// drawn from a fixed seed so that every run writes the same bytes. The
// units the tests need (named in DemoUnits.h):
//   5, 9, 12  one name in three letter cases, for the name search;
//   7         Infantry with Movement 9, above what the editor allows;
//   20, 21    Movement 0 and Fuel 0, which the editor shows disabled;
//   30        Cost 20 (240 prestige);
//   40        a name ending with a blank;
//   50        Cost 0 and MonthAvailable 0, below the editor's limits;
//   60-62     names with Windows-1252 letters (é, ü, ß);
//   585       the last unit, with a name of its own (1023 in a large game).
// EQUIP97.EQP ends with a few bytes after the last record, which a save
// has to keep.
#include "tools/makedemo/Demo.h"
#include "tools/makedemo/DemoUnits.h"

#include "data/Equipment.h"
#include "data/FileIO.h"
#include "data/UnitCodes.h"

#include <filesystem>
#include <string>

namespace {

// The fields drawn around a class's value, in the order they are drawn, and
// how far above it they may go.
constexpr std::pair<std::size_t, int> Drawn[] = {
    {Field::SoftAttack, 3}, {Field::HardAttack, 3}, {Field::AirAttack, 2}, {Field::NavalAttack, 3},
    {Field::GroundDefense, 3}, {Field::AirDefense, 3}, {Field::CloseDefense, 2}, {Field::Initiative, 4},
    {Field::Range, 1}, {Field::Spotting, 1}, {Field::RangeDefenseMod, 3}, {Field::Movement, 2},
    {Field::Fuel, 20}, {Field::Ammo, 4}};

struct ClassProfile {
    std::uint8_t code;
    const char* noun;
    std::uint8_t values[std::size(Drawn)];  // of the fields of Drawn
    std::uint8_t cost;
};

constexpr ClassProfile Profiles[] = {
    {1, "Rifles", 6, 1, 0, 0, 3, 4, 4, 6, 0, 2, 0, 3, 20, 6, 10},
    {2, "Tank", 6, 6, 0, 1, 8, 5, 2, 6, 0, 1, 0, 5, 45, 7, 22},
    {3, "Scout Car", 4, 2, 0, 0, 3, 3, 2, 8, 0, 3, 0, 7, 40, 6, 14},
    {4, "AT Gun", 3, 7, 0, 0, 4, 5, 2, 4, 0, 1, 0, 3, 30, 6, 15},
    {6, "Bunker", 8, 8, 0, 3, 14, 10, 10, 3, 1, 2, 0, 1, 1, 10, 30},
    {7, "Truck", 0, 0, 0, 0, 2, 1, 0, 1, 0, 1, 0, 6, 50, 1, 3},
    {8, "Howitzer", 8, 4, 0, 2, 3, 4, 2, 3, 2, 1, 0, 3, 30, 6, 18},
    {9, "Flak", 3, 2, 8, 0, 4, 6, 2, 4, 2, 2, 0, 3, 30, 7, 16},
    {10, "Fighter", 3, 2, 9, 1, 5, 7, 0, 8, 1, 4, 0, 9, 50, 6, 28},
    {11, "Bomber", 9, 6, 1, 6, 4, 6, 0, 5, 1, 3, 0, 8, 55, 5, 30},
    {13, "Air Transport", 0, 0, 0, 0, 2, 3, 0, 1, 0, 2, 0, 10, 60, 1, 20},
    {15, "Destroyer", 4, 4, 6, 9, 8, 8, 0, 5, 2, 3, 0, 6, 60, 8, 40},
    {16, "Battleship", 14, 12, 8, 20, 15, 12, 0, 6, 5, 3, 0, 4, 80, 8, 120},
    {17, "Carrier", 0, 0, 10, 0, 12, 14, 0, 3, 0, 5, 0, 4, 80, 6, 130},
    {18, "Transport Ship", 0, 0, 1, 0, 5, 3, 0, 1, 0, 2, 0, 5, 70, 1, 15},
    {19, "Battle Cruiser", 12, 10, 7, 16, 11, 9, 0, 6, 4, 3, 0, 6, 75, 8, 95},
    {20, "Cruiser", 9, 8, 7, 12, 9, 9, 0, 6, 3, 3, 0, 6, 70, 8, 70},
    {21, "Light Cruiser", 7, 6, 7, 10, 7, 8, 0, 6, 3, 3, 0, 7, 65, 8, 50},
};

constexpr const char* CountryTags[CountryCount] = {
    "AUT", "BEL", "BUL", "CZE", "DEN", "FIN", "FRA", "GER", "GRE", "USA", "HUN", "TUR", "ITA",
    "NET", "NOR", "POL", "POR", "ROM", "SPA", "USR", "SWE", "SWI", "UK",  "YUG", "NAT", "REP"};

// A fixed-seed generator, so that the demo files are the same on every run.
class Dice {
public:
    std::uint8_t Byte() { return static_cast<std::uint8_t>(Next() >> 24); }
    // value plus a spread of 0 to spread, kept within one byte.
    std::uint8_t Around(int value, int spread)
    {
        return static_cast<std::uint8_t>(std::min(255, value + static_cast<int>(Next() % (spread + 1))));
    }

private:
    std::uint32_t Next()
    {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<std::uint32_t>(state_ >> 32);
    }
    std::uint64_t state_ = 0x44565632;
};

TEquipRecord MakeRecord(std::uint16_t code, const ClassProfile& p, std::size_t country, Dice& dice)
{
    TEquipRecord r;
    for (auto& byte : r)
        byte = dice.Byte();  // the bytes the editor leaves alone are noise it must keep
    r[Field::UnitCode] = static_cast<std::uint8_t>(code % 256);
    r[Field::UnitCode + 1] = static_cast<std::uint8_t>(code / 256);
    r[Field::UnitClass] = p.code;
    for (std::size_t i = 0; i < std::size(Drawn); ++i)
        r[Drawn[i].first] = dice.Around(p.values[i], Drawn[i].second);
    r[Field::Cost] = dice.Around(p.cost, p.cost / 2);
    r[Field::MonthAvailable] = dice.Around(1, 11);
    r[Field::YearAvailable] = dice.Around(36, 9);
    SetCountryByName(r, CountryNames[country]);
    return r;
}

std::string MakeName(std::uint16_t code, const ClassProfile& p, std::size_t country)
{
    return std::string(CountryTags[country]) + " " + p.noun + " " + static_cast<char>('A' + code % 26)
           + "-" + std::to_string(100 + code);
}

// The units the tests rely on, changed from their drawn values.
void MakeSpecial(TEquipTable& table)
{
    const char* const sameName[] = {"Assault Pioneers", "ASSAULT PIONEERS", "assault pioneers"};
    for (std::size_t i = 0; i < DemoUnit::SameName.size(); ++i)
        table.UnitNames[DemoUnit::SameName[i]] = sameName[i];

    TEquipRecord& fast = table.Records[DemoUnit::FastInfantry];
    fast[Field::UnitClass] = 1;
    fast[Field::Movement] = 9;
    table.UnitNames[DemoUnit::FastInfantry] = "GER Bicycle Rifles";

    table.Records[DemoUnit::NoMovement][Field::Movement] = 0;
    table.Records[DemoUnit::NoFuel][Field::Fuel] = 0;
    table.Records[DemoUnit::Cost20][Field::Cost] = 20;
    table.UnitNames[DemoUnit::TrailingBlank] = "Mountain Rifles ";
    table.Records[DemoUnit::FreeUndated][Field::Cost] = 0;
    table.Records[DemoUnit::FreeUndated][Field::MonthAvailable] = 0;

    const char* const accented[] = {"FRA Chasseur L\xE9ger 61", "GER Sch\xFCtzen 62",
                                    ("GER Stra\xDF" "enpanzer 63")};  // \xDF ends before the e
    for (std::size_t i = 0; i < DemoUnit::Accented.size(); ++i) {
        table.UnitNames[DemoUnit::Accented[i]] = accented[i];
        SetCountryByName(table.Records[DemoUnit::Accented[i]], i == 0 ? "France" : "Germany");
    }
    table.UnitNames[table.UnitCount - 1] = "Last Reserve Militia";
}

}  // namespace

void WriteDemoEquipment(const std::string& dir, std::uint16_t count)
{
    std::filesystem::create_directories(dir);
    auto table = std::make_unique<TEquipTable>();
    table->UnitCount = count;
    Dice dice;
    for (std::uint16_t code = 0; code < count; ++code) {
        const ClassProfile& profile = Profiles[code % std::size(Profiles)];
        const std::size_t country = code % CountryCount;
        table->Records[code] = MakeRecord(code, profile, country, dice);
        table->UnitNames[code] = MakeName(code, profile, country);
    }
    MakeSpecial(*table);

    std::string eqp(2 + EquipRecordSize * count, '\0');
    eqp[0] = static_cast<char>(count % 256);
    eqp[1] = static_cast<char>(count / 256);
    for (std::size_t code = 0; code < count; ++code)
        std::copy(table->Records[code].begin(), table->Records[code].end(),
                  eqp.begin() + 2 + static_cast<std::ptrdiff_t>(code * EquipRecordSize));
    eqp += DemoUnit::TrailingBytes;
    ReplaceFile(dir + EquipFileName, eqp);
    SaveNameFile(dir + NameFileName, *table);
}
