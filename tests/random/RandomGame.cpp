#include "tests/random/RandomGame.h"

#include <filesystem>
#include <initializer_list>

#include "data/Equipment.h"
#include "sgeditor/SaveGame.h"
#include "tests/support/TestSupport.h"

namespace {

int Uniform(std::mt19937& rng, int low, int high)
{
    return std::uniform_int_distribution<int>(low, high)(rng);
}

// Half the time one of the values at the edges, otherwise any within low..high.
int Edgy(std::mt19937& rng, std::initializer_list<int> edges, int low, int high)
{
    if (Uniform(rng, 0, 1) == 0)
        return *(edges.begin() + Uniform(rng, 0, static_cast<int>(edges.size()) - 1));
    return Uniform(rng, low, high);
}

char Byte(int value)
{
    return static_cast<char>(value & 0xFF);
}

std::string EquipFile(std::mt19937& rng, int count)
{
    std::string eqp{Byte(count), Byte(count >> 8)};
    for (int code = 0; code < count; ++code) {
        std::string record(EquipRecordSize, '\0');
        for (char& byte : record)
            byte = Byte(Uniform(rng, 0, 255));
        record[Field::UnitClass] = Byte(Edgy(rng, {1, 1, 2, 0, 255}, 0, 30));  // 1: Infantry
        record[Field::Movement] = Byte(Edgy(rng, {0, 6, 7, 9, 255}, 0, 255));
        record[Field::Fuel] = Byte(Edgy(rng, {0, 255}, 0, 255));
        record[Field::Cost] = Byte(Edgy(rng, {0, 1, 255}, 0, 255));
        record[Field::MonthAvailable] = Byte(Edgy(rng, {0, 1, 12, 13, 255}, 0, 255));
        record[Field::YearAvailable] = Byte(Edgy(rng, {0, 15, 16, 45, 46, 255}, 0, 255));
        for (std::size_t i = 0; i < 4; ++i)  // no country, one, or several
            record[Field::Countries + i] = Byte(Edgy(rng, {0, 0, 0x80, 1}, 0, 255));
        eqp += record;
    }
    for (int i = Uniform(rng, 0, 20); i > 0; --i)  // bytes after the last record stay
        eqp += Byte(Uniform(rng, 0, 255));
    return eqp;
}

std::string NameFile(std::mt19937& rng, int count)
{
    std::string txt;
    for (int code = 0; code < count; ++code) {
        for (int i = Edgy(rng, {0, 28}, 0, 28); i > 0; --i)
            txt += Byte(Edgy(rng, {' ', 'A', 'z', 0xE9, 0xFF, 0x80, 0x81}, 32, 255));
        txt += "\r\n";
    }
    return txt;
}

// A code as a unit list holds it: its low byte is never 0.
int ListCode(std::mt19937& rng, int unitCount)
{
    const int code = Edgy(rng, {1, unitCount - 1, unitCount, 999, 1000, 1005, 1023, 65535}, 1,
                          std::max(1, unitCount - 1));
    return code % 256 == 0 ? code + 1 : code;
}

std::string SaveGameFile(std::mt19937& rng, int unitCount, int units)
{
    const std::size_t listAt = static_cast<std::size_t>(Uniform(rng, 11700, 13000));
    const std::size_t size = listAt + UnitRecordSize * static_cast<std::size_t>(units) + 36
                             + static_cast<std::size_t>(Uniform(rng, 0, 3000));
    std::string bytes(size, '\0');
    if (units == 0) {  // no list: nothing passes the record test
        for (std::size_t i = 0; i < UnitSearchStart; ++i)
            bytes[i] = Byte(Uniform(rng, 0, 255));
    } else {
        for (char& byte : bytes)
            byte = Byte(Uniform(rng, 0, 255));
        bytes[listAt - UnitRecordSize] = 0;
        bytes[listAt + UnitRecordSize * static_cast<std::size_t>(units)] = 0;
    }
    auto put16 = [&bytes](std::size_t at, int value) {
        bytes[at] = Byte(value);
        bytes[at + 1] = Byte(value >> 8);
    };
    for (int k = 0; k < units; ++k) {
        const std::size_t at = listAt + UnitRecordSize * static_cast<std::size_t>(k);
        const int type = ListCode(rng, unitCount);
        put16(at + UnitField::TypeCode, type);
        put16(at + UnitField::TypeCodeCopy, type);
        put16(at + UnitField::TransportCode, Uniform(rng, 0, 1) ? 0 : ListCode(rng, unitCount));
        put16(at + UnitField::Experience, Edgy(rng, {0, 65000, 65001, 65535}, 0, 65535));
        bytes[at + UnitField::CurrentStrength] = Byte(Edgy(rng, {0, 15, 200, 255}, 0, 20));
        bytes[at + UnitField::UnitFuel] = Byte(Edgy(rng, {0, 255}, 0, 255));
        bytes[at + UnitField::TotalStrength] = Byte(Edgy(rng, {0, 0, 15, 16, 20, 255}, 0, 15));
    }
    put16(PrestigeOffset, Edgy(rng, {0, 55000, 55001, 60000, 65535}, 0, 65535));
    return bytes;
}

}  // namespace

RandomGame WriteRandomGame(const std::string& dir, std::mt19937& rng)
{
    RandomGame game;
    game.dir = dir;
    game.unitCount = Edgy(rng, {2, 3, 586, 1000, 1006, 1023, 1024}, 2, 1024);
    std::filesystem::create_directories(dir + "SAVE");
    WriteBytes(dir + EquipFileName, EquipFile(rng, game.unitCount));
    WriteBytes(dir + NameFileName, NameFile(rng, game.unitCount));
    const char* names[] = {"GAME1.CSV", "game2.csv", "SCEN1.SAV", "scen2.sav"};
    for (const char* name : names) {
        if (Uniform(rng, 0, 2) == 0 && !game.saves.empty())
            continue;
        const int units = Uniform(rng, 0, 5) == 0 ? 0 : Edgy(rng, {5, 6, 255}, 5, 255);
        game.saves.push_back(dir + "SAVE/" + name);
        WriteBytes(game.saves.back(), SaveGameFile(rng, game.unitCount, units));
    }
    return game;
}
