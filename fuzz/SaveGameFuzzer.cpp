// The save game image. Input: the bytes of a save game.
//
// A file without a unit list, or one too large, leaves the previous image
// as it was. A loaded file holds exactly the unit list a plain reading of
// the record test finds, every unit within the loaded bytes and at most
// 255 of them; reading and writing back every unit changes nothing, a
// save without edits writes the file's own bytes, and a save after edits
// writes them only when a load would find the same unit list in them.
#include "fuzz/FuzzSupport.h"

#include "data/FileError.h"
#include "data/FileIO.h"
#include "sgeditor/SaveGame.h"

#include <cstring>
#include <vector>

namespace {

struct Image {
    std::string bytes;
    std::vector<TSaveGameUnit> units;
};

bool operator==(const Image& a, const Image& b)
{
    return a.bytes == b.bytes && a.units == b.units;
}

Image ImageOf(const TSaveGame& game)
{
    Image image{std::string(reinterpret_cast<const char*>(game.Data()), game.Length()), {}};
    for (int k = 0; k < game.UnitListCount(); ++k)
        image.units.push_back(game.ReadUnit(k));
    return image;
}

// A small save game with a list of six units, loaded before every input.
const std::string& PreviousPath()
{
    static const std::string path = [] {
        std::string bytes(11648 + 7 * 65, '\x11');
        for (std::size_t k = 0; k < 6; ++k) {
            const std::size_t p = 11648 + k * 65;
            bytes[p] = bytes[p + 10] = static_cast<char>(k + 1);
            bytes[p + 1] = bytes[p + 11] = 0;
        }
        const std::string file = ScratchDir() + "previous.sav";
        WriteInput(file, bytes);
        return file;
    }();
    return path;
}

// The unit list by the plain rule, in the format's own numbers: the lowest
// start offset from 11648 on, staying 35 bytes before the end, with five
// 65-byte records in a row, extended while records follow, up to 255, each
// record wholly within the bytes.
std::vector<std::size_t> ExpectedUnitOffsets(std::string_view bytes)
{
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(bytes[i]); };
    const auto isRecord = [&](std::size_t p) {
        return p + 65 <= bytes.size() && byte(p) != 0 && byte(p) == byte(p + 10) && byte(p + 1) == byte(p + 11);
    };
    for (std::size_t i = 11648; i + 35 < bytes.size(); ++i) {
        bool run = true;
        for (int r = 0; r < 5 && run; ++r)
            run = isRecord(i + r * 65);
        if (!run)
            continue;
        std::vector<std::size_t> offsets;
        for (std::size_t p = i; offsets.size() < 255 && isRecord(p); p += 65)
            offsets.push_back(p);
        return offsets;
    }
    return {};
}

TSaveGameUnit UnitAt(std::string_view bytes, std::size_t p)
{
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(bytes[p + i]); };
    return {static_cast<std::uint16_t>(byte(0) | byte(1) << 8), static_cast<std::uint16_t>(byte(2) | byte(3) << 8),
            static_cast<std::uint16_t>(byte(8) | byte(9) << 8), byte(22), byte(35), byte(20)};
}

void CheckLoaded(TSaveGame& game, std::string_view input, const std::string& path)
{
    FUZZ_CHECK(game.Length() == input.size());
    FUZZ_CHECK(std::memcmp(game.Data(), input.data(), input.size()) == 0);
    const std::vector<std::size_t> offsets = ExpectedUnitOffsets(input);
    FUZZ_CHECK(game.UnitListCount() == static_cast<int>(offsets.size()));
    FUZZ_CHECK(game.LocateUnits() && game.UnitListCount() == static_cast<int>(offsets.size()));
    for (std::size_t k = 0; k < offsets.size(); ++k)
        FUZZ_CHECK(game.ReadUnit(static_cast<int>(k)) == UnitAt(input, offsets[k]));

    for (int k = 0; k < game.UnitListCount(); ++k)
        game.WriteUnit(k, game.ReadUnit(k));
    game.SaveToFile(path);
    FUZZ_CHECK(ReadWholeFile(path) == input);

    // An edit of the last unit touches only its own fields.
    const int last = game.UnitListCount() - 1;
    TSaveGameUnit edited = game.ReadUnit(last);
    edited.TypeCode ^= 0x0101;
    edited.TransportCode ^= 0x8001;
    edited.Experience ^= 0x4002;
    edited.UnitFuel ^= 3;
    edited.TotalStrength ^= 4;
    edited.CurrentStrength ^= 5;
    game.WriteUnit(last, edited);
    FUZZ_CHECK(game.ReadUnit(last) == edited);
    // The fields and the prestige at the format's offsets, little-endian.
    std::string expected(input);
    const auto put = [&](std::size_t at, unsigned value, std::size_t width) {
        for (std::size_t i = 0; i < width; ++i, value /= 256)
            expected[at + i] = static_cast<char>(value % 256);
    };
    const std::size_t p = offsets[static_cast<std::size_t>(last)];
    put(p, edited.TypeCode, 2);
    put(p + 10, edited.TypeCode, 2);
    put(p + 2, edited.TransportCode, 2);
    put(p + 8, edited.Experience, 2);
    put(p + 20, edited.CurrentStrength, 1);
    put(p + 22, edited.UnitFuel, 1);
    put(p + 35, edited.TotalStrength, 1);
    const auto prestige = static_cast<std::uint16_t>(game.Prestige() + 12345);
    game.SetPrestige(prestige);
    put(11660, prestige, 2);
    // Written only when a load finds the same list in what is written.
    const bool readsBack = ExpectedUnitOffsets(expected) == offsets;
    bool refused = false;
    try {
        game.SaveToFile(path);
    } catch (const FileRefused&) {
        refused = true;
    }
    FUZZ_CHECK(refused != readsBack);
    FUZZ_CHECK(ReadWholeFile(path) == (readsBack ? expected : std::string(input)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static TSaveGame game;
    FUZZ_CHECK(game.LoadFromFile(PreviousPath()));
    const Image previous = ImageOf(game);

    const std::string_view input = AsBytes(data, size);
    const std::string path = ScratchDir() + "input.sav";
    WriteInput(path, input);
    bool found = false;
    try {
        found = game.LoadFromFile(path);
    } catch (const FileRefused&) {
        FUZZ_CHECK(size > SaveGameCapacity);
    }
    if (found) {
        CheckLoaded(game, input, path);
        return 0;
    }
    FUZZ_CHECK(ImageOf(game) == previous);
    FUZZ_CHECK(game.LocateUnits() && ImageOf(game) == previous);
    FUZZ_CHECK(ExpectedUnitOffsets(input).empty() || size > SaveGameCapacity);
    game.SaveToFile(path);
    FUZZ_CHECK(ReadWholeFile(path) == previous.bytes);
    return 0;
}
