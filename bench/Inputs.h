#pragma once

#include <cstdint>
#include <string>

// The largest inputs the game's formats allow, written into a fresh
// directory under TMPDIR (or /tmp) that is removed afterwards.

class BenchDir {
public:
    BenchDir();
    ~BenchDir();
    BenchDir(const BenchDir&) = delete;
    BenchDir& operator=(const BenchDir&) = delete;
    // Ends with '/'.
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// The directory holding every input: EQUIP97.EQP and EQUIP97.TXT with 1024
// unit types named with 28 characters each, SAVE/BIG.CSV (a save game of
// 1 MiB with a unit list of 255 units), and DV2Edit.ini naming both
// directories, so that no window asks for a file.
const BenchDir& Inputs();

std::string EquipPath();
std::string NamePath();
std::string SaveGamePath();

// The name of unit code k as written into the names file.
std::string UnitName(int k);

// The bytes of SaveGamePath().
std::string SaveGameBytes();

// A 1 MiB image on which the unit list search does the most work: almost
// every offset passes four of the five record tests, and the only list
// lies at the very end.
std::string AdversarialImage();

// Reads the whole file with one read into buffer (sized by the caller).
void RawRead(const std::string& path, std::string& buffer);
// Writes bytes over the existing file with one write, emptying it first
// when asked, as a file written whole is; then fsync when asked.
void RawWrite(const std::string& path, const std::string& bytes, bool truncate, bool sync);
