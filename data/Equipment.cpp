#include "data/Equipment.h"

#include "data/Backups.h"
#include "data/FileError.h"
#include "data/FileIO.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <optional>

TEquipTable Equipment;

namespace {

static_assert(sizeof(TEquipRecord) == EquipRecordSize, "records are read and written as one block");

constexpr char CtrlZ = 26;

void CheckSavable(const TEquipTable& table)
{
    if (table.UnitCount == 0 || table.UnitCount > EquipCapacity)
        throw FileRefused("No equipment files have been loaded, so there is nothing to save.");
}

// A name as the names file can hold it: a CR or Ctrl-Z would end it on
// reading and shift every later name, and only 28 characters are read back.
std::string_view StorableName(const std::string& name)
{
    const std::string_view text(name);
    return text.substr(0, std::min(text.find_first_of("\r\x1A"), MaxUnitNameLength));
}

// The count and records of an equipment file, read by one read into a
// buffer kept from one load to the next.
struct EquipRecords {
    std::size_t count = 0;
    std::array<std::uint8_t, 2 + EquipCapacity * EquipRecordSize> bytes;
};

const EquipRecords& ReadEquipRecords(const std::string& path, bool forWriting)
{
    static EquipRecords records;
    File file = File::OpenExisting(path, forWriting);
    const std::size_t got = file.ReadUpTo(records.bytes.data(), records.bytes.size());
    if (got < 2)
        throw FileError(ErrorCode::ReadBeyondEnd);
    const std::size_t count = records.bytes[0] + 256u * records.bytes[1];
    if (count < 2 || count > EquipCapacity)
        throw FileRefused("The file " + path + " holds " + std::to_string(count)
                          + (count == 1 ? " unit type" : " unit types") + ", but only 2 to "
                          + std::to_string(EquipCapacity) + " can be loaded.");
    if (got < 2 + count * EquipRecordSize)
        throw FileError(ErrorCode::ReadBeyondEnd);
    file.Close();
    records.count = count;
    return records;
}

void StoreRecords(const EquipRecords& records, TEquipTable& table)
{
    table.UnitCount = static_cast<std::uint16_t>(records.count);
    std::memcpy(table.Records.data(), records.bytes.data() + 2, records.count * EquipRecordSize);
}

// The names file a block at a time, so that a file of any size costs at
// most the names it holds: past the 28 characters of a name, the rest of its
// line is skipped, and so are the holes of a sparse file, unread (they hold
// zero bytes, so no line end).
class NameReader {
public:
    explicit NameReader(const File& file) : file_(file) {}

    // Reads the next line: appends up to MaxUnitNameLength of its
    // characters to name, skips the CR (and an LF right after it) that ends
    // it, and returns its whole length; none when the text has ended.
    std::optional<std::uint64_t> NextLine(std::string& name)
    {
        const std::uint64_t begin = Offset();
        const int stop = ReadLine(name);
        const std::uint64_t end = Offset() - (stop == '\r' ? 1 : 0);
        if (stop != '\r')
            return end == begin ? std::nullopt : std::optional(end - begin);
        if (Peek() == '\n')
            ++pos_;
        return end - begin;
    }

private:
    static constexpr int End = -1;  // Ctrl-Z or the end of the file: the end of the text

    // Appends the line up to MaxUnitNameLength characters to name; returns
    // what ended it: CR or End.
    int ReadLine(std::string& name)
    {
        for (;;) {
            if (pos_ == size_ && !Refill(name.size() >= MaxUnitNameLength))
                return End;
            const char* first = buffer_.data() + pos_;
            const std::size_t left = size_ - pos_;
            const auto* cr = static_cast<const char*>(std::memchr(first, '\r', left));
            const std::size_t length = cr == nullptr ? left : static_cast<std::size_t>(cr - first);
            name.append(first, std::min(length, MaxUnitNameLength - name.size()));
            pos_ += length;
            if (pos_ < size_)
                return buffer_[pos_++];
        }
    }

    int Peek()
    {
        if (pos_ == size_ && !Refill(false))
            return End;
        return buffer_[pos_];
    }

    // Where in the file the next byte lies.
    std::uint64_t Offset() const { return offset_ + pos_; }

    // The text ends at the first Ctrl-Z or where the data ends, and nothing
    // after that is read.
    bool Refill(bool skipHoles)
    {
        if (ended_)
            return false;
        offset_ += size_;
        size_ = pos_ = 0;
        if (skipHoles) {
            const auto data = file_.SkipHoles();
            offset_ = data ? *data : file_.Size();
            ended_ = !data;
        }
        if (!ended_)
            size_ = file_.ReadUpTo(buffer_.data(), buffer_.size());
        if (const void* ctrlZ = std::memchr(buffer_.data(), CtrlZ, size_)) {
            size_ = static_cast<std::size_t>(static_cast<const char*>(ctrlZ) - buffer_.data());
            ended_ = true;
        }
        ended_ = ended_ || size_ == 0;
        return size_ > 0;
    }

    const File& file_;
    std::array<char, 65536> buffer_;
    std::size_t pos_ = 0, size_ = 0;
    std::uint64_t offset_ = 0;  // of the buffer's first byte
    bool ended_ = false;
};

// UnitCount names by the reading rules of the names file. Each name is
// assigned in place, so that loading again reuses the strings of the last load.
void ReadNames(const std::string& path, std::size_t count, std::array<std::string, EquipCapacity>& names)
{
    File file = File::OpenExisting(path, false);
    NameReader reader(file);
    // Once the text has ended, every further line reads empty, unread.
    for (std::size_t k = 0; k < count; ++k) {
        names[k].clear();
        reader.NextLine(names[k]);
    }
    file.Close();
}

}  // namespace

void LoadEquipFile(const std::string& path, TEquipTable& table)
{
    StoreRecords(ReadEquipRecords(path, false), table);
}

void LoadNameFile(const std::string& path, TEquipTable& table)
{
    ReadNames(path, table.UnitCount, table.UnitNames);
}

std::vector<std::uint64_t> NameLineLengths(const std::string& path, std::size_t count)
{
    File file = File::OpenExisting(path, false);
    NameReader reader(file);
    std::vector<std::uint64_t> lengths;
    std::string kept;  // the part of a line loading keeps, not needed here
    while (lengths.size() < count) {
        kept.clear();
        const auto length = reader.NextLine(kept);
        if (!length)
            break;
        lengths.push_back(*length);
    }
    file.Close();
    return lengths;
}

std::string LoadEquipment(const std::string& eqpPath, const std::string& txtPath)
{
    const std::string recovered = RecoverFiles({eqpPath, txtPath});
    // Both files are read before the table changes, so that a failure
    // leaves it as it was. The names are swapped in, keeping the strings
    // of the last load for the next one.
    static std::array<std::string, EquipCapacity> names;
    const EquipRecords& records = ReadEquipRecords(eqpPath, true);
    ReadNames(txtPath, records.count, names);
    StoreRecords(records, Equipment);
    for (std::size_t k = 0; k < records.count; ++k)
        std::swap(Equipment.UnitNames[k], names[k]);
    return recovered;
}

namespace {

// The count and the records, written over the first bytes of the existing
// record file (never created): whatever follows them is kept.
std::string EquipFileBytes(const TEquipTable& table)
{
    std::string records{static_cast<char>(table.UnitCount % 256), static_cast<char>(table.UnitCount / 256)};
    for (std::size_t k = 0; k < table.UnitCount; ++k)
        records.append(reinterpret_cast<const char*>(table.Records[k].data()), EquipRecordSize);
    return records;
}

std::string NameFileBytes(const TEquipTable& table)
{
    std::string text;
    for (std::size_t k = 0; k < table.UnitCount; ++k) {
        text += StorableName(table.UnitNames[k]);
        text += "\r\n";
    }
    return text;
}

}  // namespace

void SaveEquipFile(const std::string& path, const TEquipTable& table)
{
    CheckSavable(table);
    const std::string records = EquipFileBytes(table);
    ReplaceFiles({{path, records, true}});
}

void SaveNameFile(const std::string& path, const TEquipTable& table)
{
    CheckSavable(table);
    ReplaceFile(path, NameFileBytes(table));
}

void SaveEquipment(const std::string& eqpPath, const std::string& txtPath)
{
    CheckSavable(Equipment);
    // One transaction, so that nothing leaves new records beside old names.
    const std::string records = EquipFileBytes(Equipment), names = NameFileBytes(Equipment);
    SaveWithFirstCopies({eqpPath, txtPath}, [&] { ReplaceFiles({{eqpPath, records, true}, {txtPath, names}}); });
}

int AddUnit(std::uint16_t templateCode)
{
    const std::uint16_t n = Equipment.UnitCount;
    if (n >= MaxAddedUnitCount || templateCode >= n)
        return -1;
    Equipment.Records[n] = Equipment.Records[templateCode];
    Equipment.UnitNames[n] = Equipment.UnitNames[templateCode];
    Equipment.Records[n][Field::UnitCode] = static_cast<std::uint8_t>(n % 256);
    Equipment.Records[n][Field::UnitCode + 1] = static_cast<std::uint8_t>(n / 256);
    Equipment.UnitCount = n + 1;
    return n;
}

std::string HexCode(std::uint16_t code)
{
    char text[5];
    std::snprintf(text, sizeof text, "%02X%02X", code % 256, code / 256);
    return text;
}
