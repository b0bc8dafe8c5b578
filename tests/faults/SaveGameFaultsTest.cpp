#include "sgeditor/SaveGame.h"

#include "data/FileError.h"
#include "tests/faults/Faults.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t ListAt = 12000;

// 20000 bytes in which no offset passes the record test but the count unit
// records from ListAt on (codes 1, 2, ...).
std::string SaveGameBytes(int count, std::size_t size = 20000)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(1 + i % 9);
    for (int k = 0; k < count; ++k) {
        const std::size_t p = ListAt + UnitRecordSize * static_cast<std::size_t>(k);
        bytes[p] = bytes[p + 10] = static_cast<char>(1 + k);
        bytes[p + 1] = bytes[p + 11] = 0;
    }
    return bytes;
}

struct Image {
    std::string bytes;
    std::vector<TSaveGameUnit> units;
    bool operator==(const Image&) const = default;
};

Image ImageOf(const TSaveGame& game)
{
    Image image{std::string(reinterpret_cast<const char*>(game.Data()), game.Length()), {}};
    for (int k = 0; k < game.UnitListCount(); ++k)
        image.units.push_back(game.ReadUnit(k));
    return image;
}

// A save game loaded and edited as a user would before saving. Loaded twice,
// so that both of the game's buffers hold it and a load that mixed in stale
// bytes would find a list.
class SaveGameFaultsTest : public testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directory(saveDir);
        WriteBytes(path, original);
        OpenToOthers(dir.path());
        ASSERT_TRUE(game.LoadFromFile(path));
        ASSERT_TRUE(game.LoadFromFile(path));
        game.SetPrestige(9999);
        game.WriteUnit(0, {2, 0, 500, 30, 10, 10});
    }

    // After a failure the image is still there: saving it elsewhere works.
    void ExpectNextSaveWorks()
    {
        TempDir other;
        game.SaveToFile(other / "saved.sav");
        EXPECT_EQ(ReadBytes(other / "saved.sav"), ImageOf(game).bytes);
    }

    TempDir dir;
    const std::string saveDir = dir / "SAVE/";
    const std::string path = saveDir + "GAME1.CSV";
    const std::string original = SaveGameBytes(7);
    TSaveGame game;
};

TEST_F(SaveGameFaultsTest, FailedSavesLeaveTheFileAndTheImage)
{
    struct Fault {
        const char* what;
        std::function<void()> apply;
        std::string text;
        long sizeLimit = 0;
    };
    const Fault faults[] = {
        {"directory read-only", [&] { chmod(saveDir.c_str(), 0555); }, "File access denied"},
        {"file read-only", [&] { chmod(path.c_str(), 0444); }, "File access denied"},
        {"file replaced by a directory",
         [&] {
             fs::remove(path);
             fs::create_directory(path);
         },
         "File access denied"},
        {"disk full half way", [] {}, "Disk full", 15000},
    };
    const Image image = ImageOf(game);
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.what);
        fault.apply();
        const DirContents before = ContentsOf(saveDir);
        EXPECT_EQ(FaultText(fault.sizeLimit, fault.text, [&] { game.SaveToFile(path); }), fault.text);
        EXPECT_EQ(ChangedPaths(before, ContentsOf(saveDir)), "");
        EXPECT_EQ(ImageOf(game), image);
        ExpectNextSaveWorks();
        chmod(saveDir.c_str(), 0777);
        fs::remove_all(path);
        WriteBytes(path, original);
        OpenToOthers(dir.path());
    }

    // A file gone since the load is written anew.
    fs::remove(path);
    game.SaveToFile(path);
    EXPECT_EQ(ReadBytes(path), image.bytes);
}

TEST_F(SaveGameFaultsTest, FailedLoadsAndFilesWithoutAListLeaveTheImage)
{
    const std::string damaged = saveDir + "DAMAGED.SAV";
    const auto file = [](const std::string& bytes, mode_t mode) {
        return [=](const std::string& p) {
            WriteBytes(p, bytes);
            chmod(p.c_str(), mode);
        };
    };
    const struct {
        const char* what;
        std::function<void(const std::string&)> make;
        std::string text;
    } damages[] = {
        {"empty", file("", 0666), "no error"},
        {"four records, then the end", file(original.substr(0, ListAt + 4 * UnitRecordSize + 10), 0666), "no error"},
        {"1 MiB + 1", file(SaveGameBytes(10, SaveGameCapacity + 1), 0666), damaged + " is 1048577 bytes long"},
        {"read-only", file(original, 0444), "File access denied"},
        {"a directory", [](const std::string& p) { fs::create_directory(p); }, "File access denied"},
        {"missing", [](const std::string&) {}, "File not found"},
    };
    const Image image = ImageOf(game);
    for (const auto& damage : damages) {
        SCOPED_TRACE(damage.what);
        fs::remove_all(damaged);
        damage.make(damaged);
        const DirContents before = ContentsOf(saveDir);
        bool found = false;
        {
            AsNobody nobody;
            const std::string text = ErrorText([&] { found = game.LoadFromFile(damaged); });
            EXPECT_TRUE(text.starts_with(damage.text)) << text;
        }
        EXPECT_FALSE(found);
        EXPECT_EQ(ChangedPaths(before, ContentsOf(saveDir)), "");
        EXPECT_EQ(ImageOf(game), image);
    }
    ExpectNextSaveWorks();
}

}  // namespace
