// CSV import of the equipment table. Input: the CSV text, imported over a
// loaded catalogue of three units.
//
// Either the import lists errors and gives no table, or the table it gives
// exports to a CSV that imports back to the same table, is saved and loads
// again to the same CSV.
#include "fuzz/FuzzSupport.h"

#include "data/EquipCsv.h"
#include "data/Equipment.h"

#include <algorithm>

namespace {

const TEquipTable& Current()
{
    static const std::unique_ptr<TEquipTable> table = [] {
        auto t = std::make_unique<TEquipTable>();
        t->UnitCount = 3;
        for (std::size_t k = 0; k < 3; ++k) {
            t->Records[k].fill(static_cast<std::uint8_t>(k));
            t->UnitNames[k] = "Current " + std::to_string(k);
        }
        return t;
    }();
    return *table;
}

bool SameUnits(const TEquipTable& a, const TEquipTable& b)
{
    return a.UnitCount == b.UnitCount
        && std::equal(a.Records.begin(), a.Records.begin() + a.UnitCount, b.Records.begin())
        && std::equal(a.UnitNames.begin(), a.UnitNames.begin() + a.UnitCount, b.UnitNames.begin());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const EquipCsvImport imported = ImportEquipCsv(AsBytes(data, size), "fuzz.csv", Current());
    if (!imported.Table) {
        FUZZ_CHECK(!imported.Errors.empty());
        FUZZ_CHECK(std::ranges::all_of(imported.Errors, [](const std::string& e) { return e.starts_with("fuzz.csv:"); }));
        return 0;
    }
    FUZZ_CHECK(imported.Errors.empty());
    const TEquipTable& table = *imported.Table;
    FUZZ_CHECK(table.UnitCount >= 2 && table.UnitCount <= EquipCapacity);

    const std::string csv = ExportEquipCsv(table);
    const EquipCsvImport again = ImportEquipCsv(csv, "again.csv", Current());
    FUZZ_CHECK(again.Table && SameUnits(*again.Table, table));

    const std::string eqpPath = ScratchDir() + EquipFileName;
    const std::string txtPath = ScratchDir() + NameFileName;
    WriteInput(eqpPath, "");
    Equipment = table;
    SaveEquipment(eqpPath, txtPath);
    Equipment = Current();
    LoadEquipment(eqpPath, txtPath);
    FUZZ_CHECK(ExportEquipCsv(Equipment) == csv);
    return 0;
}
