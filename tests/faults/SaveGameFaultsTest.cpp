#include "sgeditor/SaveGame.h"

#include "tests/faults/Faults.h"
#include "tests/support/GameFormat.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <tuple>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

bool renameFails = false;

}  // namespace

// Every rename of the program comes here, so that one can fail after all
// that came before it succeeded, as on a file system that refuses it.
extern "C" int rename(const char* from, const char* to) noexcept
{
    if (renameFails) {
        errno = EIO;
        return -1;
    }
    return renameat(AT_FDCWD, from, AT_FDCWD, to);
}

namespace {

namespace Sav = GameFormat::Sav;

constexpr std::size_t ListAt = 12000;

// Bytes in which no offset passes the record test but the count unit
// records from ListAt on (codes 1, 2, ...).
std::string SaveGameBytes(int count, std::size_t size = 20000)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(1 + i % 9);
    for (int k = 0; k < count; ++k) {
        const std::size_t p = ListAt + Sav::RecordSize * static_cast<std::size_t>(k);
        bytes[p] = bytes[p + 10] = static_cast<char>(1 + k);
        bytes[p + 1] = bytes[p + 11] = 0;
    }
    return bytes;
}

// The bytes with the edits the test makes: prestige 9999, and unit 0 of
// type 2, no transport, experience 500, fuel 30 and both strengths 10.
std::string Edited(std::string bytes)
{
    const auto put = [&](std::size_t at, unsigned value, std::size_t width) {
        for (std::size_t i = 0; i < width; ++i, value /= 256)
            bytes[at + i] = static_cast<char>(value % 256);
    };
    put(Sav::Prestige, 9999, 2);
    const std::tuple<std::size_t, unsigned, std::size_t> fields[] = {
        {Sav::TypeCode, 2, 2}, {Sav::TypeCodeCopy, 2, 2}, {Sav::TransportCode, 0, 2}, {Sav::Experience, 500, 2},
        {Sav::UnitFuel, 30, 1}, {Sav::TotalStrength, 10, 1}, {Sav::CurrentStrength, 10, 1}};
    for (const auto& [at, value, width] : fields)
        put(ListAt + at, value, width);
    return bytes;
}

// The loaded bytes and the units read from them.
std::string ImageOf(const TSaveGame& game)
{
    std::string image(reinterpret_cast<const char*>(game.Data()), game.Length());
    for (int k = 0; k < game.UnitListCount(); ++k) {
        // Field by field: the record's padding byte has no value to compare.
        const TSaveGameUnit unit = game.ReadUnit(k);
        for (const int field : {int(unit.TypeCode), int(unit.TransportCode), int(unit.Experience), int(unit.UnitFuel),
                                int(unit.TotalStrength), int(unit.CurrentStrength)})
            image += std::to_string(field) + ' ';
    }
    return image;
}

// Every failed save or load, and every file without a unit list, leaves
// the save game directory and the image as they were, and the image can
// still be saved elsewhere. The image was loaded twice, so that both of the
// game's buffers hold it and a load that mixed in stale bytes would find a
// list, then edited as a user would.
TEST(SaveGameFaultsTest, FailedSavesAndLoadsLeaveTheFileAndTheImage)
{
    const TempDir dir;
    const std::string saveDir = dir / "SAVE/", path = saveDir + "GAME1.CSV", damaged = saveDir + "DAMAGED.SAV";
    const std::string original = SaveGameBytes(7), edited = Edited(original);
    TSaveGame game;
    const auto save = [&] { game.SaveToFile(path); };
    const auto load = [&] { EXPECT_FALSE(game.LoadFromFile(damaged)); };
    const auto damage = [&](const std::string& bytes, mode_t mode = 0666) {
        return [=] {
            WriteBytes(damaged, bytes);
            chmod(damaged.c_str(), mode);
        };
    };
    const StepFault faults[] = {
        {"save: file read-only", [&] { chmod(path.c_str(), 0444); }, save, "File access denied"},
        // Owned by another user, who alone may write it: it is neither written nor replaced.
        {"save: file only its owner may write", [&] { chmod(path.c_str(), 0644); }, save, "File access denied"},
        {"save: file a directory",
         [&] {
             fs::remove(path);
             fs::create_directory(path);
         },
         save, "File access denied"},
        {"save: disk full half way", [] {}, save, "Disk full", 15000},
        {"save: file a pipe", [&] { MakePipe(path); }, save, path + " is not an ordinary file"},
        // Run as the file's owner (in a child with room enough), who replaces it rather than writing in place.
        {"save: rename fails", [] { renameFails = true; }, save, "I/O error " + std::to_string(EIO), 1L << 30},
        {"load: empty", damage(""), load, "no error"},
        {"load: four records, then the end", damage(original.substr(0, ListAt + 4 * Sav::RecordSize + 10)), load,
         "no error"},
        {"load: 1 MiB + 1", damage(SaveGameBytes(10, SaveGameCapacity + 1)), load,
         damaged + " is 1048577 bytes long"},
        {"load: read-only", damage(original, 0444), load, "File access denied"},
        {"load: only its owner may write", damage(original, 0644), load, "File access denied"},
        {"load: a directory", [&] { fs::create_directory(damaged); }, load, "File access denied"},
        {"load: missing", [] {}, load, "File not found"},
        {"load: a pipe", [&] { MakePipe(damaged); }, load, damaged + " is not an ordinary file"},
    };
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault.what);
        fs::remove_all(saveDir);
        fs::create_directory(saveDir);
        WriteBytes(path, original);
        OpenToOthers(dir.path());
        ASSERT_TRUE(game.LoadFromFile(path));
        ASSERT_TRUE(game.LoadFromFile(path));
        game.SetPrestige(9999);
        game.WriteUnit(0, {2, 0, 500, 30, 10, 10});
        const std::string image = ImageOf(game);
        ExpectStepFails(fault, saveDir);
        renameFails = false;
        EXPECT_EQ(ImageOf(game), image);

        const TempDir other;
        game.SaveToFile(other / "saved.sav");
        EXPECT_EQ(ReadBytes(other / "saved.sav"), edited);
        chmod(saveDir.c_str(), 0777);
    }

    // A directory that takes no new file has the file written in place.
    chmod(saveDir.c_str(), 0555);
    EXPECT_EQ(FaultText(0, "", [&] { game.SaveToFile(path); }), "no error");
    EXPECT_EQ(ReadBytes(path), edited);
    chmod(saveDir.c_str(), 0777);

    // A file gone since the load is written anew.
    fs::remove(path);
    game.SaveToFile(path);
    EXPECT_EQ(ReadBytes(path), edited);
}

}  // namespace
