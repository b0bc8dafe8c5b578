#include "sgeditor/SaveGame.h"

#include "data/Backups.h"
#include "data/FileError.h"
#include "data/FileIO.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>
#include <utility>

namespace {

// Bytes at and beyond the loaded length count as zero, so that nothing of an
// earlier, longer file and nothing outside the buffer is ever looked at.
std::uint8_t ByteAt(const std::uint8_t* data, std::size_t length, std::size_t pos)
{
    return pos < length ? data[pos] : 0;
}

std::uint16_t WordAt(const std::uint8_t* data, std::size_t length, std::size_t pos)
{
    return static_cast<std::uint16_t>(ByteAt(data, length, pos) + 256 * ByteAt(data, length, pos + 1));
}

// A record starts with a unit code whose low byte is not zero, repeated ten
// bytes further on: the test on a record known to lie within the file, by
// plain byte comparisons the compiler can run many at a time.
std::uint8_t PassesInside(const std::uint8_t* record)
{
    return static_cast<std::uint8_t>((record[UnitField::TypeCode] != 0)
                                     & (record[UnitField::TypeCode] == record[UnitField::TypeCodeCopy])
                                     & (record[UnitField::TypeCode + 1] == record[UnitField::TypeCodeCopy + 1]));
}

// A record must lie wholly within the file: fields beyond its end could be
// edited but never saved.
bool IsUnitRecord(const std::uint8_t* data, std::size_t length, std::size_t p)
{
    return p + UnitRecordSize <= length && PassesInside(data + p) != 0;
}

// Whether the record tests a record apart, from pass on, make a run.
std::uint8_t StartsRun(const std::uint8_t* pass)
{
    static_assert(UnitRunLength == 5);
    return pass[0] & pass[UnitRecordSize] & pass[2 * UnitRecordSize] & pass[3 * UnitRecordSize]
         & pass[4 * UnitRecordSize];
}

// The unit list is the lowest run of UnitRunLength records from
// UnitSearchStart on, continued while records follow, up to
// MaxSaveGameUnits. Returns the number of units, 0 when there is no list.
//
// The record test runs once per offset, a block of offsets at a time, rather
// than up to five times per start offset; a run then is five passes that
// lie a record apart.
int FindUnitList(const std::uint8_t* data, std::size_t length, std::size_t& start)
{
    constexpr std::size_t RunSpan = (UnitRunLength - 1) * UnitRecordSize;
    constexpr std::size_t Block = 4096;
    std::array<std::uint8_t, Block + RunSpan> pass;
    for (std::size_t first = UnitSearchStart; first + UnitSearchTail < length; first += Block) {
        const std::size_t starts = std::min(Block, length - UnitSearchTail - first);
        const std::size_t tested = starts + RunSpan;
        // Offsets whose whole record lies within the file.
        const std::size_t inside = std::min(tested, length + 1 - std::min(length + 1, first + UnitRecordSize));
        for (std::size_t j = 0; j < inside; ++j)
            pass[j] = PassesInside(data + first + j);
        for (std::size_t j = inside; j < tested; ++j)
            pass[j] = IsUnitRecord(data, length, first + j);

        std::uint8_t any = 0;
        for (std::size_t j = 0; j < starts; ++j)
            any |= StartsRun(&pass[j]);
        if (any == 0)
            continue;
        std::size_t j = 0;
        while (!StartsRun(&pass[j]))
            ++j;
        start = first + j;
        int count = UnitRunLength;
        while (count < MaxSaveGameUnits && IsUnitRecord(data, length, start + count * UnitRecordSize))
            ++count;
        return count;
    }
    return 0;
}

}  // namespace

std::string UnitCodeProblem(std::uint16_t code)
{
    if (code % 256 != 0)
        return {};
    return "The unit code " + std::to_string(code)
         + " would break the unit list: a load takes a record for a unit only when the low byte of its code is not 0,"
           " and it is 0 for every multiple of 256 (256, 512, 768 ...).";
}

TSaveGame::TSaveGame()
    // Not cleared: no byte is read before a load has written it, and the
    // pages are not touched before then, which keeps start-up short.
    : data_(std::make_unique_for_overwrite<std::uint8_t[]>(SaveGameCapacity)),
      spare_(std::make_unique_for_overwrite<std::uint8_t[]>(SaveGameCapacity))
{
}

bool TSaveGame::LoadFromFile(const std::string& path, bool forEditing)
{
    recovered_ = RecoverFiles({path});
    File file = File::OpenExisting(path, forEditing);
    const std::size_t size = file.Size();
    if (size > SaveGameCapacity)
        throw FileRefused(path + " is " + std::to_string(size) + " bytes long, more than the "
                          + std::to_string(SaveGameCapacity) + " bytes a save game can have. Nothing was loaded.");
    file.ReadExact(spare_.get(), size);
    file.Close();

    std::size_t start = 0;
    const int count = FindUnitList(spare_.get(), size, start);
    if (count == 0)
        return false;
    std::swap(data_, spare_);
    length_ = size;
    listStart_ = start;
    unitCount_ = count;
    return true;
}

bool TSaveGame::LocateUnits()
{
    std::size_t start = 0;
    const int count = FindUnitList(data_.get(), length_, start);
    if (count == 0)
        return false;
    listStart_ = start;
    unitCount_ = count;
    return true;
}

std::size_t TSaveGame::UnitOffset(int k) const
{
    return listStart_ + UnitRecordSize * static_cast<std::size_t>(k);
}

TSaveGameUnit TSaveGame::ReadUnit(int k) const
{
    if (!HoldsUnit(k))
        return {};
    const std::uint8_t* data = data_.get();
    const std::size_t p = UnitOffset(k);
    TSaveGameUnit unit;
    unit.TypeCode = WordAt(data, length_, p + UnitField::TypeCode);
    unit.TransportCode = WordAt(data, length_, p + UnitField::TransportCode);
    unit.Experience = WordAt(data, length_, p + UnitField::Experience);
    unit.CurrentStrength = ByteAt(data, length_, p + UnitField::CurrentStrength);
    unit.UnitFuel = ByteAt(data, length_, p + UnitField::UnitFuel);
    unit.TotalStrength = ByteAt(data, length_, p + UnitField::TotalStrength);
    return unit;
}

void TSaveGame::WriteUnit(int k, const TSaveGameUnit& unit)
{
    if (!HoldsUnit(k))
        return;
    const std::size_t p = UnitOffset(k);
    Put16(p + UnitField::TypeCode, unit.TypeCode);
    Put16(p + UnitField::TypeCodeCopy, unit.TypeCode);
    Put16(p + UnitField::TransportCode, unit.TransportCode);
    Put16(p + UnitField::Experience, unit.Experience);
    Put8(p + UnitField::CurrentStrength, unit.CurrentStrength);
    Put8(p + UnitField::UnitFuel, unit.UnitFuel);
    Put8(p + UnitField::TotalStrength, unit.TotalStrength);
}

std::uint16_t TSaveGame::Prestige() const
{
    return WordAt(data_.get(), length_, PrestigeOffset);
}

void TSaveGame::SetPrestige(std::uint16_t value)
{
    Put16(PrestigeOffset, value);
}

std::string TSaveGame::SaveProblem() const
{
    std::size_t start = 0;
    const int count = FindUnitList(data_.get(), length_, start);
    if (count == unitCount_ && start == listStart_)
        return {};
    for (int k = 0; k < unitCount_; ++k)
        if (const std::string problem = UnitCodeProblem(ReadUnit(k).TypeCode); !problem.empty())
            return "Unit No. " + std::to_string(k + 1) + " cannot be saved. " + problem + " Nothing was written.";
    // Every unit passes the record test, so the list is found before its
    // place: name the first unit holding a byte that the earlier find tests.
    std::size_t tested = SIZE_MAX;
    for (int j = 0; j < UnitRunLength; ++j)
        for (const std::size_t field : {UnitField::TypeCode, UnitField::TypeCode + 1, UnitField::TypeCodeCopy,
                                        UnitField::TypeCodeCopy + 1})
            if (const std::size_t byte = start + j * UnitRecordSize + field; byte >= listStart_)
                tested = std::min(tested, byte);
    const int k = tested == SIZE_MAX ? 0 : static_cast<int>((tested - listStart_) / UnitRecordSize);
    return "Unit No. " + std::to_string(k + 1) + ", with the unit code " + std::to_string(ReadUnit(k).TypeCode)
         + ", would make a load find the unit list at another place in the file. Nothing was written.";
}

void TSaveGame::SaveToFile(const std::string& path) const
{
    if (!IsLoaded())
        throw FileRefused("No save game is loaded, so there is nothing to save.");
    if (const std::string problem = SaveProblem(); !problem.empty())
        throw FileRefused(problem);
    SaveWithFirstCopies({path}, [&] {
        ReplaceFile(path, std::string_view(reinterpret_cast<const char*>(data_.get()), length_));
    });
}

// A record that runs past the end of the file keeps its missing bytes out of
// the file, so they stay zero.
void TSaveGame::Put8(std::size_t pos, std::uint8_t value)
{
    if (pos < length_)
        data_[pos] = value;
}

void TSaveGame::Put16(std::size_t pos, std::uint16_t value)
{
    Put8(pos, static_cast<std::uint8_t>(value % 256));
    Put8(pos + 1, static_cast<std::uint8_t>(value / 256));
}
