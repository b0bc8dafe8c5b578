#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// A campaign (*.csv) or scenario (*.sav) save game held whole in memory.
// The editor knows two things inside it: the global prestige at a fixed
// offset, and the player's unit list, found by a pattern search. Every
// other byte is carried through unchanged.

constexpr std::size_t SaveGameCapacity = 1048576;
constexpr std::size_t PrestigeOffset = 11660;  // 2 bytes, little-endian
constexpr std::size_t UnitRecordSize = 65;
constexpr std::size_t UnitSearchStart = 11648;  // the first offset a list may start at
constexpr std::size_t UnitSearchTail = 35;      // start offsets stay this far before the end
constexpr int UnitRunLength = 5;                // records in a row that make a list
constexpr int MaxSaveGameUnits = 255;

// Offsets of the interpreted fields inside a unit record; every other byte
// is kept. 16-bit values are little-endian.
namespace UnitField {
constexpr std::size_t TypeCode = 0;
constexpr std::size_t TransportCode = 2;
constexpr std::size_t Experience = 8;
constexpr std::size_t TypeCodeCopy = 10;  // always equal to TypeCode
constexpr std::size_t CurrentStrength = 20;
constexpr std::size_t UnitFuel = 22;
constexpr std::size_t TotalStrength = 35;
}  // namespace UnitField

// Why a unit of a save game cannot have code as its type, as a sentence for
// the user; empty when it can. A load takes a record for a unit only when
// the low byte of its code is not 0, so a code such as 256 would cut the
// unit list short or make a load find it further on.
std::string UnitCodeProblem(std::uint16_t code);

struct TSaveGameUnit {
    std::uint16_t TypeCode = 0;
    std::uint16_t TransportCode = 0;  // 0: no transport
    std::uint16_t Experience = 0;
    std::uint8_t UnitFuel = 0;
    std::uint8_t TotalStrength = 0;
    std::uint8_t CurrentStrength = 0;

    bool operator==(const TSaveGameUnit&) const = default;
};

class TSaveGame {
public:
    TSaveGame();

    // Reads the whole file (for editing, opened for reading and writing, so
    // a read-only file fails with "File access denied") and locates its
    // unit list. The image changes only when both succeed: on a FileError,
    // on a file larger than SaveGameCapacity (FileRefused naming the file
    // and its size), and on a file without a unit list (returns false) the
    // previous image, its unit list and its saving are exactly as before. A save of the file
    // that was cut short is completed or undone first (RecoverFiles), and
    // what was done with it is kept in Recovered, or nothing.
    bool LoadFromFile(const std::string& path, bool forEditing = true);
    const std::string& Recovered() const { return recovered_; }

    // Searches the loaded bytes for the unit list again; false, changing
    // nothing, when there is none. Every unit of a list lies wholly within
    // the loaded bytes, and a list holds at most MaxSaveGameUnits.
    bool LocateUnits();

    // Whether a save game with a unit list has been loaded.
    bool IsLoaded() const { return unitCount_ > 0; }
    // Units in the list, 0 before the first load.
    int UnitListCount() const { return unitCount_; }
    // The loaded file's size; bytes from here on count as zero and are never saved.
    std::size_t Length() const { return length_; }
    const std::uint8_t* Data() const { return data_.get(); }

    // Unit k of the list; an index outside 0 .. UnitListCount() - 1 reads
    // an all-zero unit.
    TSaveGameUnit ReadUnit(int k) const;
    // Where unit k of the list starts in the file.
    std::size_t UnitOffset(int k) const;
    // Writes the six fields of unit k, the type code at both of its places;
    // an index outside the list is ignored. Bytes at or beyond Length() are
    // not written.
    void WriteUnit(int k, const TSaveGameUnit& unit);

    // The global prestige.
    std::uint16_t Prestige() const;
    // Sets the global prestige in the image only.
    void SetPrestige(std::uint16_t value);

    // Why the image cannot be saved as it is: a load of the saved bytes
    // would not find the same unit list at the same place. Names the unit
    // and the code that would break the list; empty when it can be saved.
    std::string SaveProblem() const;

    // Writes exactly the loaded bytes over the file, replacing it whole so
    // that a failure leaves the old file as it was. Refused (FileRefused)
    // before the first load, so that no file is ever emptied, and when
    // SaveProblem() gives a reason, so that no file is written that would
    // not load back as it is. Keeps a copy of the file first
    // (SaveWithFirstCopies), throwing CopyFailed when it cannot.
    void SaveToFile(const std::string& path) const;

private:
    std::string recovered_;
    bool HoldsUnit(int k) const { return k >= 0 && k < unitCount_; }
    void Put16(std::size_t pos, std::uint16_t value);
    void Put8(std::size_t pos, std::uint8_t value);

    std::unique_ptr<std::uint8_t[]> data_;
    std::unique_ptr<std::uint8_t[]> spare_;  // the next load goes here first
    std::size_t length_ = 0;
    int unitCount_ = 0;
    std::size_t listStart_ = 0;  // unit k lies at listStart_ + k * UnitRecordSize
};
