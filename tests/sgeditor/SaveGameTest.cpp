#include "sgeditor/SaveGame.h"

#include "data/FileError.h"
#include "tests/support/GameFormat.h"
#include "tests/support/TestSupport.h"
#include "tools/makedemo/DemoSaves.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

namespace Sav = GameFormat::Sav;

// Little-endian, clipped where a file ends inside a record.
void Put(std::string& bytes, std::size_t at, unsigned value, std::size_t width = 2)
{
    for (std::size_t i = at; i < at + width; ++i, value /= 256)
        if (i < bytes.size())
            bytes[i] = static_cast<char>(value % 256);
}

// size bytes of filler in which no offset passes the record test, with count
// records from at on: codes first, first + 1, ... (multiples of 256 skipped).
std::string Image(std::size_t size, std::size_t at = 0, int count = 0, unsigned first = 1)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(1 + i % 9);
    for (std::size_t p = at; count-- > 0; p += Sav::RecordSize, ++first) {
        first += first % 256 == 0;
        Put(bytes, p + Sav::TypeCode, first);
        Put(bytes, p + Sav::TypeCodeCopy, first);
    }
    return bytes;
}

class SaveGameTest : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& bytes)
    {
        WriteBytes(dir / name, bytes);
        return dir / name;
    }
    bool Load(const std::string& bytes) { return game.LoadFromFile(Write("game.sav", bytes)); }
    std::string Saved()
    {
        game.SaveToFile(dir / "saved.sav");
        return ReadBytes(dir / "saved.sav");
    }

    TempDir dir;
    TSaveGame game;
};

TEST_F(SaveGameTest, ListIsTheLowestRunOfFiveRecordsAndEndsAtTheFirstNonRecord)
{
    std::string bytes = Image(20000, 12500, 9, 100);
    const std::string lower = Image(20000, 11900, 6, 40);
    bytes.replace(11900, 6 * Sav::RecordSize, lower, 11900, 6 * Sav::RecordSize);
    ASSERT_TRUE(Load(bytes));
    EXPECT_EQ(game.UnitListCount(), 6);
    EXPECT_EQ(game.ReadUnit(0).TypeCode, 40);

    // A list may start at any offset, also where the search's blocks of
    // offsets meet.
    for (std::size_t at = Sav::SearchStart + 4094; at <= Sav::SearchStart + 4097; ++at) {
        ASSERT_TRUE(Load(Image(20000, at, 5))) << at;
        EXPECT_EQ(game.ReadUnit(0).TypeCode, 1) << at;
    }

    // Records before the search start are never units.
    ASSERT_TRUE(Load(Image(20000, Sav::SearchStart - 2 * Sav::RecordSize, 10)));
    EXPECT_EQ(game.UnitListCount(), 8);
    EXPECT_EQ(game.ReadUnit(0).TypeCode, 3);

    // Code 256 fails the record test, as does a copy that differs in its high byte.
    bytes = Image(20000, 12000, 10);
    Put(bytes, 12000 + 7 * Sav::RecordSize + Sav::TypeCodeCopy, 8 + 256);
    ASSERT_TRUE(Load(bytes));
    EXPECT_EQ(game.UnitListCount(), 7);
    Put(bytes, 12000 + 6 * Sav::RecordSize, 256);
    Put(bytes, 12000 + 6 * Sav::RecordSize + Sav::TypeCodeCopy, 256);
    ASSERT_TRUE(Load(bytes));
    EXPECT_EQ(game.UnitListCount(), 6);

    const std::string bigRun = Image(Sav::SearchStart + 300 * Sav::RecordSize + 100, Sav::SearchStart, 300);
    ASSERT_TRUE(Load(bigRun));
    EXPECT_EQ(game.UnitListCount(), MaxSaveGameUnits);
    EXPECT_EQ(game.ReadUnit(254).TypeCode, 255);
    // Indices outside the list touch nothing.
    EXPECT_EQ(game.ReadUnit(255), TSaveGameUnit{});
    game.WriteUnit(255, {7, 7, 7, 7, 7, 7});
    game.WriteUnit(-1, {7, 7, 7, 7, 7, 7});
    EXPECT_EQ(Saved(), bigRun);
}

TEST_F(SaveGameTest, FilesWithoutFiveRecordsInARowHaveNoList)
{
    std::string fourAndFour = Image(20000, 12000, 9);
    fourAndFour[12000 + 4 * Sav::RecordSize] = 0;
    const std::string cutShort = Image(20000, Sav::SearchStart, 5).substr(0, Sav::SearchStart + Sav::SearchTail);
    for (const std::string& bytes : {fourAndFour, cutShort, std::string(), Image(10)}) {
        EXPECT_FALSE(Load(bytes));
        EXPECT_EQ(game.UnitListCount(), 0);
    }
    // Nothing loaded, so no file is emptied.
    EXPECT_THROW(game.SaveToFile(Write("keep.sav", "keep")), FileRefused);
    EXPECT_EQ(ReadBytes(dir / "keep.sav"), "keep");
}

// The list as the rules define it, one start offset after another: the
// oracle for the search, which works a block of offsets at a time.
int ListByTheRules(const std::string& bytes, std::size_t& start)
{
    const auto at = [&](std::size_t p) { return p < bytes.size() ? bytes[p] : '\0'; };
    const auto isRecord = [&](std::size_t p) {
        return p + Sav::RecordSize <= bytes.size() && at(p) != 0 && at(p) == at(p + 10)
            && at(p + 1) == at(p + 11);
    };
    for (std::size_t i = Sav::SearchStart; i + Sav::SearchTail < bytes.size(); ++i) {
        int count = 0;
        while (count < MaxSaveGameUnits && isRecord(i + count * Sav::RecordSize))
            ++count;
        if (count >= UnitRunLength) {
            start = i;
            return count;
        }
    }
    return 0;
}

TEST_F(SaveGameTest, ListSearchAgreesWithTheRulesOnImagesFullOfAlmostRuns)
{
    std::uint32_t state = 2024;
    const auto random = [&](std::uint32_t below) {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) % below;
    };
    for (int round = 0; round < 120; ++round) {
        // Stretches of records that pass, with a gap about a record long, so
        // that most offsets pass four tests of five; then maybe a real list,
        // often across a block of the search or at the very end.
        const std::size_t size = Sav::SearchStart + 200 + random(12000);
        const std::size_t period = 260 + random(140);
        const std::size_t pass = 200 + random(80);
        std::string bytes(size, '\0');
        for (std::size_t p = 0; p < size; ++p)
            bytes[p] = static_cast<char>(p % period < pass ? 1 + (p / period) % 3 : 0);
        if (random(4) != 0) {
            const std::size_t listAt = random(2) == 0 ? size - Sav::SearchTail - 1 - random(400)
                                                      : Sav::SearchStart + 4096 - random(400);
            const std::string list = Image(size, listAt, 5 + random(4));
            for (std::size_t p = listAt; p < std::min(size, listAt + 9 * Sav::RecordSize); ++p)
                bytes[p] = list[p];
        }

        std::size_t start = 0;
        const int count = ListByTheRules(bytes, start);
        TSaveGame image;
        ASSERT_EQ(image.LoadFromFile(Write("round.sav", bytes)), count > 0) << "round " << round;
        ASSERT_EQ(image.UnitListCount(), count) << "round " << round;
        for (int k = 0; k < count; ++k) {
            const std::size_t p = start + k * Sav::RecordSize;
            const auto byte = [&](std::size_t q) { return q < size ? static_cast<std::uint8_t>(bytes[q]) : 0; };
            ASSERT_EQ(image.ReadUnit(k).TypeCode, byte(p) + 256 * byte(p + 1)) << "round " << round;
            ASSERT_EQ(image.ReadUnit(k).TotalStrength, byte(p + Sav::TotalStrength)) << "round " << round;
        }
    }
}

TEST_F(SaveGameTest, FieldsAndPrestigeAreReadAndWrittenInTheirStoredForm)
{
    std::string bytes = Image(20000, 12000, 6);
    const std::size_t p = 12000 + Sav::RecordSize;
    Put(bytes, p + Sav::TransportCode, 512);
    Put(bytes, p + Sav::Experience, 65535);
    Put(bytes, p + Sav::CurrentStrength, 20, 1);
    Put(bytes, p + Sav::UnitFuel, 200, 1);
    Put(bytes, p + Sav::TotalStrength, 9, 1);
    bytes.replace(Sav::Prestige, 2, "\x10\x27");
    const std::string path = Write("GAME.CSV", bytes);
    ASSERT_TRUE(game.LoadFromFile(path));
    game.SaveToFile(path);
    EXPECT_EQ(ReadBytes(path), bytes);

    const TSaveGameUnit read = game.ReadUnit(1);
    EXPECT_EQ(read, (TSaveGameUnit{2, 512, 65535, 200, 9, 20}));
    EXPECT_EQ(game.Prestige(), 10000);
    game.WriteUnit(1, read);
    EXPECT_EQ(Saved(), bytes);

    game.WriteUnit(1, {300, 0, 65000, 255, 15, 7});
    game.SetPrestige(55000);
    for (std::size_t at : {p + Sav::TypeCode, p + Sav::TypeCodeCopy})
        bytes.replace(at, 2, "\x2C\x01");
    bytes.replace(p + Sav::TransportCode, 2, 2, '\0');
    Put(bytes, p + Sav::Experience, 65000);
    Put(bytes, p + Sav::CurrentStrength, 7, 1);
    Put(bytes, p + Sav::UnitFuel, 255, 1);
    bytes[p + Sav::TotalStrength] = 15;
    bytes.replace(Sav::Prestige, 2, "\xD8\xD6");
    EXPECT_EQ(Saved(), bytes);

    // Code 256 fails the record test: no list to find again, and the old one stays.
    game.WriteUnit(1, {256, 0, 0, 0, 0, 0});
    EXPECT_FALSE(game.LocateUnits());
    EXPECT_EQ(game.UnitListCount(), 6);
}

TEST_F(SaveGameTest, RecordsRunningPastTheEndAreNoUnits)
{
    // Loaded twice, so that whichever buffer the next load uses holds it.
    const std::string longer = Image(20000, 12000, 10);
    ASSERT_TRUE(Load(longer));
    ASSERT_TRUE(Load(longer));
    // The sixth record keeps its code and copy but not its strengths and
    // fuel, whose edits could never be saved: the list ends before it.
    const std::string shorter = longer.substr(0, 12000 + 5 * Sav::RecordSize + Sav::TypeCodeCopy + 2);
    ASSERT_TRUE(Load(shorter));
    EXPECT_EQ(game.UnitListCount(), 5);
    EXPECT_EQ(Saved(), shorter);
    ASSERT_TRUE(Load(longer.substr(0, 12000 + 6 * Sav::RecordSize)));
    EXPECT_EQ(game.UnitListCount(), 6);

    // The same at the end of a file that fills the whole image.
    const std::size_t last = SaveGameCapacity - Sav::TypeCodeCopy - 2;
    const std::string full = Image(SaveGameCapacity, last - 5 * Sav::RecordSize, 6);
    ASSERT_TRUE(Load(full));
    EXPECT_EQ(game.UnitListCount(), 5);
    EXPECT_EQ(Saved(), full);
}

// After any sequence of edits, a save writes a file that loads to the same
// list of units, or it is refused, naming the unit, and writes nothing; it
// is refused only where a load of the image's bytes would find another list.
TEST_F(SaveGameTest, SavedGamesLoadToTheSameUnits)
{
    const std::string campaign = ReadBytes(DemoDir() + "SAVE/" + DemoSaves::CampaignFile);
    const std::string saved = dir / "saved.sav";
    const auto save = [&] {
        WriteBytes(saved, "before");
        try {
            game.SaveToFile(saved);
            return std::string();
        } catch (const FileRefused& refused) {
            EXPECT_EQ(ReadBytes(saved), "before");
            return std::string(refused.what());
        }
    };

    // A code whose low byte is 0 fails the record test; so do experiences
    // that make the two bytes before each of five units pass it.
    ASSERT_TRUE(Load(Image(20000, 12500, 9, 100)));
    TSaveGameUnit unit = game.ReadUnit(2);
    unit.TypeCode = 512;
    game.WriteUnit(2, unit);
    EXPECT_EQ(save(), "Unit No. 3 cannot be saved. The unit code 512 would break the unit list: a load takes a record "
                      "for a unit only when the low byte of its code is not 0, and it is 0 for every multiple of 256 "
                      "(256, 512, 768 ...). Nothing was written.");
    ASSERT_TRUE(Load(Image(20000, 12500, 9, 100)));
    for (int k = 0; k < 5; ++k) {
        unit = game.ReadUnit(k);
        const std::uint8_t* before = game.Data() + 12500 + k * Sav::RecordSize - 2;
        unit.Experience = static_cast<std::uint16_t>(before[0] + 256 * before[1]);
        game.WriteUnit(k, unit);
    }
    EXPECT_EQ(save(), "Unit No. 1, with the unit code 100, would make a load find the unit list at another place in "
                      "the file. Nothing was written.");

    std::mt19937 random(21);
    const auto any = [&](std::vector<unsigned> edgy, unsigned limit) {
        return random() % 2 ? edgy[random() % edgy.size()] : static_cast<unsigned>(random() % (limit + 1));
    };
    for (int round = 0; round < 120; ++round) {
        ASSERT_TRUE(Load(campaign));
        for (int edits = random() % 8; edits > 0; --edits) {
            const int k = static_cast<int>(random() % game.UnitListCount());
            unit = game.ReadUnit(k);
            unit.TypeCode = static_cast<std::uint16_t>(any({1, 255, 256, 257, 512, 768, 1023, 65280}, 65535));
            unit.TransportCode = static_cast<std::uint16_t>(any({0, 256, 512}, 65535));
            unit.Experience = static_cast<std::uint16_t>(any({0, 65000, 65535}, 65535));
            unit.UnitFuel = static_cast<std::uint8_t>(random());
            unit.TotalStrength = static_cast<std::uint8_t>(random());
            unit.CurrentStrength = static_cast<std::uint8_t>(random());
            game.WriteUnit(k, unit);
            game.SetPrestige(static_cast<std::uint16_t>(random()));
        }
        TSaveGame asImage;
        const bool sameList = asImage.LoadFromFile(Write("image.sav", std::string(reinterpret_cast<const char*>(game.Data()), game.Length())))
                           && asImage.UnitListCount() == game.UnitListCount() && asImage.UnitOffset(0) == game.UnitOffset(0);
        const std::string refusal = save();
        EXPECT_EQ(refusal.empty(), sameList) << refusal;
        if (!refusal.empty()) {
            EXPECT_TRUE(refusal.starts_with("Unit No. ")) << refusal;
            continue;
        }
        TSaveGame reloaded;
        ASSERT_TRUE(reloaded.LoadFromFile(saved));
        ASSERT_EQ(reloaded.UnitListCount(), game.UnitListCount());
        for (int k = 0; k < game.UnitListCount(); ++k)
            EXPECT_EQ(reloaded.ReadUnit(k), game.ReadUnit(k)) << "round " << round << ", unit " << k;
    }
}

TEST_F(SaveGameTest, DemoSaveGamesHoldTheirLists)
{
    ASSERT_TRUE(game.LoadFromFile(DemoDir() + "SAVE/" + DemoSaves::CampaignFile));
    EXPECT_EQ(game.UnitListCount(), DemoSaves::CampaignUnitCount);
    EXPECT_EQ(game.Prestige(), DemoSaves::CampaignPrestige);
    for (int k = 0; k < static_cast<int>(std::size(DemoSaves::CampaignSpecialUnits)); ++k)
        EXPECT_EQ(game.ReadUnit(k), DemoSaves::CampaignSpecialUnits[k]) << "unit " << k;

    ASSERT_TRUE(game.LoadFromFile(DemoDir() + "SAVE/" + DemoSaves::ScenarioFile));
    EXPECT_EQ(game.UnitListCount(), DemoSaves::ScenarioUnitCount);
    EXPECT_EQ(game.Prestige(), DemoSaves::ScenarioPrestige);
    EXPECT_FALSE(game.LoadFromFile(DemoDir() + "SAVE/" + DemoSaves::NoListFile));
}

}  // namespace
