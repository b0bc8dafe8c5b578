#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// A campaign (*.csv) or scenario (*.sav) save game held whole in memory.
// The editor knows two things inside it: the global prestige at a fixed
// offset, and the player's unit list, found by a pattern search. Every
// other byte is carried through unchanged.

constexpr std::size_t SaveGameCapacity = 1048576;
constexpr std::size_t PrestigeOffset = 11660;
constexpr std::size_t UnitRecordSize = 65;
constexpr std::size_t UnitSearchStart = 11648;
constexpr std::size_t UnitSearchTail = 35;
constexpr int UnitRunLength = 5;
constexpr int MaxSaveGameUnits = 255;

struct TSaveGameUnit {
    std::uint16_t TypeCode = 0;
    std::uint16_t TransportCode = 0;  // 0: no transport
    std::uint16_t Experience = 0;
    std::uint8_t UnitFuel = 0;
    std::uint8_t TotalStrength = 0;
    std::uint8_t CurrentStrength = 0;
};

class TSaveGame {
public:
    TSaveGame();

    // Reads the whole file (opened for reading and writing, so a read-only
    // file fails with "File access denied") and locates its unit list. The
    // image changes only when both succeed: on a FileError, on a file larger
    // than SaveGameCapacity (FileRefused naming the file and its size), and
    // on a file without a unit list (returns false) the previous image, its
    // unit list and its saving are exactly as before.
    bool LoadFromFile(const std::string& path);

    // Finds the unit list of the loaded bytes; false, changing nothing, when
    // there is none.
    bool LocateUnits();

    bool IsLoaded() const { return unitCount_ > 0; }
    int UnitListCount() const { return unitCount_; }
    std::size_t Length() const { return length_; }
    const std::uint8_t* Data() const { return data_.get(); }

    // Unit k of the list, 0 <= k < UnitListCount().
    TSaveGameUnit ReadUnit(int k) const;
    // Writes the six fields of unit k, the type code at both of its places.
    void WriteUnit(int k, const TSaveGameUnit& unit);

    std::uint16_t Prestige() const;
    void SetPrestige(std::uint16_t value);

    // Writes exactly the loaded bytes over the file, replacing it whole so
    // that a failure leaves the old file as it was.
    void SaveToFile(const std::string& path) const;

private:
    std::unique_ptr<std::uint8_t[]> data_;
    std::unique_ptr<std::uint8_t[]> spare_;  // the next load goes here first
    std::size_t length_ = 0;
    int unitCount_ = 0;
    std::array<std::int32_t, MaxSaveGameUnits + 1> unitOffsets_{};
};
