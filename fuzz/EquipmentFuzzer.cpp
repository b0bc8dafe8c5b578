// The equipment pair. Input: a 4-byte little-endian length n, then n bytes
// of EQUIP97.EQP (fewer when the input ends first), then the rest as
// EQUIP97.TXT.
//
// A refused pair leaves the table as it was; a loaded pair holds the
// records and names a plain reading of the formats finds, and saves back to
// the same EQP bytes and to names that load again unchanged.
#include "fuzz/FuzzSupport.h"

#include "data/Equipment.h"
#include "data/FileError.h"
#include "data/FileIO.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// What the table held before the load under test.
const TEquipTable& Previous()
{
    static const std::unique_ptr<TEquipTable> table = [] {
        auto t = std::make_unique<TEquipTable>();
        t->UnitCount = 3;
        for (std::size_t k = 0; k < EquipCapacity; ++k) {
            t->Records[k].fill(static_cast<std::uint8_t>(k));
            t->UnitNames[k] = "Previous " + std::to_string(k);
        }
        return t;
    }();
    return *table;
}

bool SameUnits(const TEquipTable& a, const TEquipTable& b, std::size_t count)
{
    return std::equal(a.Records.begin(), a.Records.begin() + count, b.Records.begin())
        && std::equal(a.UnitNames.begin(), a.UnitNames.begin() + count, b.UnitNames.begin());
}

std::string NamesFileOf(const TEquipTable& table)
{
    std::string text;
    for (std::size_t k = 0; k < table.UnitCount; ++k)
        text += table.UnitNames[k] + "\r\n";
    return text;
}

// The first count names of a names file, read as the format describes
// it, a character at a time: a CR ends a line and an LF right after it is
// skipped, only 28 characters of a line count, and Ctrl-Z or the end of the
// file ends the text.
std::vector<std::string> NamesByTheFormat(std::string_view text, std::size_t count)
{
    std::vector<std::string> names(count);
    std::size_t i = 0;
    for (std::string& name : names) {
        while (i < text.size() && text[i] != '\r' && text[i] != 26) {
            if (name.size() < 28)
                name += text[i];
            ++i;
        }
        if (i < text.size() && text[i] == '\r' && ++i < text.size() && text[i] == '\n')
            ++i;
    }
    return names;
}

// The lengths of those lines, uncut; fewer when the text ends first.
std::vector<std::uint64_t> LineLengthsByTheFormat(std::string_view text, std::size_t count)
{
    text = text.substr(0, text.find('\x1A'));
    std::vector<std::uint64_t> lengths;
    while (lengths.size() < count && !text.empty()) {
        const std::size_t end = std::min(text.find('\r'), text.size());
        lengths.push_back(end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (text.starts_with('\n'))
            text.remove_prefix(1);
    }
    return lengths;
}

void CheckLoaded(std::string_view eqp, std::string_view txt, const std::string& eqpPath, const std::string& txtPath)
{
    // A count of 2 to 1024, then 73-byte records.
    const std::size_t count = Equipment.UnitCount;
    FUZZ_CHECK(count >= 2 && count <= 1024);
    FUZZ_CHECK(static_cast<std::uint8_t>(eqp[0]) + 256u * static_cast<std::uint8_t>(eqp[1]) == count);
    FUZZ_CHECK(eqp.size() >= 2 + 73 * count);
    const std::vector<std::string> names = NamesByTheFormat(txt, count);
    FUZZ_CHECK(NameLineLengths(txtPath, count) == LineLengthsByTheFormat(txt, count));
    for (std::size_t k = 0; k < count; ++k) {
        FUZZ_CHECK(std::memcmp(Equipment.Records[k].data(), eqp.data() + 2 + 73 * k, 73) == 0);
        FUZZ_CHECK(Equipment.UnitNames[k] == names[k]);
    }

    SaveEquipment(eqpPath, txtPath);
    FUZZ_CHECK(ReadWholeFile(eqpPath) == eqp);
    FUZZ_CHECK(ReadWholeFile(txtPath) == NamesFileOf(Equipment));

    auto reloaded = std::make_unique<TEquipTable>();
    LoadEquipFile(eqpPath, *reloaded);
    LoadNameFile(txtPath, *reloaded);
    FUZZ_CHECK(reloaded->UnitCount == count);
    FUZZ_CHECK(SameUnits(*reloaded, Equipment, count));

    // A unit added to the loaded table is saved after the others.
    const int added = AddUnit(static_cast<std::uint16_t>(count - 1));
    if (count >= MaxAddedUnitCount) {
        FUZZ_CHECK(added == -1 && Equipment.UnitCount == count);
        return;
    }
    FUZZ_CHECK(added == static_cast<int>(count));
    SaveEquipment(eqpPath, txtPath);
    LoadEquipFile(eqpPath, *reloaded);
    LoadNameFile(txtPath, *reloaded);
    FUZZ_CHECK(reloaded->UnitCount == count + 1);
    FUZZ_CHECK(SameUnits(*reloaded, Equipment, count + 1));
    FUZZ_CHECK(reloaded->Records[count][0] == count % 256 && reloaded->Records[count][1] == count / 256);
    FUZZ_CHECK(std::equal(reloaded->Records[count].begin() + 2, reloaded->Records[count].end(),
                          reloaded->Records[count - 1].begin() + 2));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4)
        return -1;
    const std::size_t eqpSize = std::min<std::size_t>(size - 4, data[0] | data[1] << 8 | data[2] << 16
                                                                    | static_cast<std::size_t>(data[3]) << 24);
    const std::string_view eqp = AsBytes(data + 4, eqpSize);
    const std::string_view txt = AsBytes(data + 4 + eqpSize, size - 4 - eqpSize);
    const std::string eqpPath = ScratchDir() + EquipFileName;
    const std::string txtPath = ScratchDir() + NameFileName;
    WriteInput(eqpPath, eqp);
    WriteInput(txtPath, txt);

    Equipment = Previous();
    bool loaded = false;
    try {
        LoadEquipment(eqpPath, txtPath);
        loaded = true;
    } catch (const FileError& e) {
        FUZZ_CHECK(e.code() == ErrorCode::ReadBeyondEnd);
    } catch (const FileRefused&) {
    }
    if (loaded) {
        CheckLoaded(eqp, txt, eqpPath, txtPath);
    } else {
        FUZZ_CHECK(Equipment.UnitCount == Previous().UnitCount);
        FUZZ_CHECK(SameUnits(Equipment, Previous(), EquipCapacity));
    }
    return 0;
}
