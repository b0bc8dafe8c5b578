#include "bench/Inputs.h"

#include "data/Equipment.h"
#include "data/Settings.h"
#include "data/UnitCodes.h"
#include "sgeditor/SaveGame.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Class codes that have names, so that every unit shows a unit type.
constexpr std::uint8_t NamedClasses[] = {1, 2, 3, 4, 6, 7, 8, 9, 10, 11, 13, 15, 16, 17, 18, 19, 20, 21};

void Put16(std::string& bytes, std::size_t at, std::uint16_t value)
{
    bytes[at] = static_cast<char>(value % 256);
    bytes[at + 1] = static_cast<char>(value / 256);
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::string EquipBytes()
{
    std::string bytes(2 + EquipCapacity * EquipRecordSize, '\0');
    Put16(bytes, 0, static_cast<std::uint16_t>(EquipCapacity));
    for (std::size_t k = 0; k < EquipCapacity; ++k) {
        const std::size_t at = 2 + k * EquipRecordSize;
        for (std::size_t i = 0; i < EquipRecordSize; ++i)
            bytes[at + i] = static_cast<char>(1 + (k * 7 + i * 13) % 90);
        Put16(bytes, at + Field::UnitCode, static_cast<std::uint16_t>(k));
        bytes[at + Field::UnitClass] = static_cast<char>(NamedClasses[k % std::size(NamedClasses)]);
        bytes[at + Field::MonthAvailable] = static_cast<char>(1 + k % 12);
        bytes[at + Field::YearAvailable] = static_cast<char>(16 + k % 30);
        // Exactly one country: bit 30 - c of bytes 30..33 read big-endian.
        const std::uint32_t bits = 1u << (30 - k % CountryCount);
        for (std::size_t i = 0; i < 4; ++i)
            bytes[at + Field::Countries + i] = static_cast<char>(bits >> (24 - 8 * i));
    }
    return bytes;
}

std::string NameBytes()
{
    std::string text;
    for (std::size_t k = 0; k < EquipCapacity; ++k)
        text += UnitName(static_cast<int>(k)) + "\r\n";
    return text;
}

// A list code whose low byte is not zero, as every code in a unit list has.
std::uint16_t ListCode(int n)
{
    const int code = 1 + n % static_cast<int>(EquipCapacity - 1);
    return static_cast<std::uint16_t>(code % 256 == 0 ? code + 1 : code);
}

void PutUnit(std::string& bytes, std::size_t at, int k)
{
    Put16(bytes, at + UnitField::TypeCode, ListCode(k * 97));
    Put16(bytes, at + UnitField::TypeCodeCopy, ListCode(k * 97));
    Put16(bytes, at + UnitField::TransportCode, k % 3 == 0 ? ListCode(k * 41 + 7) : 0);
    Put16(bytes, at + UnitField::Experience, static_cast<std::uint16_t>(k * 37 % 500));
    bytes[at + UnitField::CurrentStrength] = static_cast<char>(1 + k % 10);
    bytes[at + UnitField::UnitFuel] = static_cast<char>(k * 11 % 256);
    bytes[at + UnitField::TotalStrength] = static_cast<char>(10);
}

BenchDir* made = nullptr;

void MakeInputs(const std::string& dir)
{
    WriteFile(dir + EquipFileName, EquipBytes());
    WriteFile(dir + NameFileName, NameBytes());
    fs::create_directory(dir + SaveDirName);
    WriteFile(SaveGamePath(), SaveGameBytes());
    SettingsDir = dir.substr(0, dir.size() - 1);
    GameDir = dir;
    SaveGameDir = dir + SaveDirName + "/";
    WriteSettings();
}

}  // namespace

BenchDir::BenchDir()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/dv2bench.XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed in " + pattern);
    path_ = pattern + "/";
}

BenchDir::~BenchDir()
{
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

const BenchDir& Inputs()
{
    if (made == nullptr) {
        made = new BenchDir;
        MakeInputs(made->path());
    }
    return *made;
}

std::string EquipPath()
{
    return Inputs().path() + EquipFileName;
}

std::string NamePath()
{
    return Inputs().path() + NameFileName;
}

std::string SaveGamePath()
{
    return Inputs().path() + SaveDirName + "/BIG.CSV";
}

std::string UnitName(int k)
{
    // 28 characters, one of them outside ASCII, distinct for every code.
    char digits[8];
    std::snprintf(digits, sizeof digits, "%04d", k);
    return std::string("Panzerkampfwagen \xC4 Ausf ") + digits;
}

std::string SaveGameBytes()
{
    std::string bytes(SaveGameCapacity, '\0');
    std::uint32_t state = 12345;
    for (char& byte : bytes) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<char>(state >> 24);
    }
    // Nothing before the list may pass the record test.
    for (std::size_t p = 0; p < UnitSearchStart; ++p)
        bytes[p] = 0;
    Put16(bytes, PrestigeOffset, 12000);
    for (int k = 0; k < MaxSaveGameUnits; ++k)
        PutUnit(bytes, UnitSearchStart + k * UnitRecordSize, k);
    // The list ends here: code 256 fails the record test.
    Put16(bytes, UnitSearchStart + MaxSaveGameUnits * UnitRecordSize, 256);
    return bytes;
}

std::string AdversarialImage()
{
    // In each stretch of five records, the test passes at the first 249
    // offsets and fails at the last 76 (zero bytes). Every start offset
    // then meets a failing offset among its five, but mostly only one.
    constexpr std::size_t Period = UnitRunLength * UnitRecordSize;
    std::string bytes(SaveGameCapacity, '\0');
    for (std::size_t p = 0; p < bytes.size(); ++p)
        bytes[p] = static_cast<char>(p % Period < 260 ? 1 : 0);
    // A list of five units, alone at the end, with nothing before it that
    // could join it.
    const std::size_t listStart = bytes.size() - UnitRunLength * UnitRecordSize - 20;
    for (std::size_t p = listStart - 2 * Period; p < bytes.size(); ++p)
        bytes[p] = 0;
    for (int k = 0; k < UnitRunLength; ++k) {
        const std::size_t at = listStart + k * UnitRecordSize;
        bytes[at + UnitField::TypeCode] = 7;
        bytes[at + UnitField::TypeCodeCopy] = 7;
    }
    return bytes;
}

void RawRead(const std::string& path, std::string& buffer)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || read(fd, buffer.data(), buffer.size()) != static_cast<ssize_t>(buffer.size()))
        throw std::runtime_error("cannot read " + path);
    close(fd);
}

void RawWrite(const std::string& path, const std::string& bytes, bool truncate, bool sync)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC | (truncate ? O_TRUNC : 0));
    if (fd < 0 || write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())
        || (sync && fsync(fd) != 0) || close(fd) != 0)
        throw std::runtime_error("cannot write " + path);
}
