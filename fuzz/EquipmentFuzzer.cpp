// The equipment pair. Input: a 4-byte little-endian length n, then n bytes
// of EQUIP97.EQP (fewer when the input ends first), then the rest as
// EQUIP97.TXT.
//
// A refused pair leaves the table as it was; a loaded pair saves back to
// the same EQP bytes and to names that load again unchanged.
#include "fuzz/FuzzSupport.h"

#include "data/Equipment.h"
#include "data/FileError.h"
#include "data/FileIO.h"

#include <algorithm>
#include <cstring>
#include <memory>

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

void CheckLoaded(std::string_view eqp, const std::string& eqpPath, const std::string& txtPath)
{
    const std::size_t count = Equipment.UnitCount;
    FUZZ_CHECK(count >= 2 && count <= EquipCapacity);
    FUZZ_CHECK(static_cast<std::uint8_t>(eqp[0]) + 256u * static_cast<std::uint8_t>(eqp[1]) == count);
    FUZZ_CHECK(eqp.size() >= 2 + EquipRecordSize * count);
    for (std::size_t k = 0; k < count; ++k) {
        FUZZ_CHECK(std::memcmp(Equipment.Records[k].data(), eqp.data() + 2 + EquipRecordSize * k,
                               EquipRecordSize) == 0);
        const std::string& name = Equipment.UnitNames[k];
        FUZZ_CHECK(name.size() <= MaxUnitNameLength);
        FUZZ_CHECK(name.find_first_of("\r\x1A") == std::string::npos);
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
        CheckLoaded(eqp, eqpPath, txtPath);
    } else {
        FUZZ_CHECK(Equipment.UnitCount == Previous().UnitCount);
        FUZZ_CHECK(SameUnits(Equipment, Previous(), EquipCapacity));
    }
    return 0;
}
