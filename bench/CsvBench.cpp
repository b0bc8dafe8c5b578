// The CSV commands on the largest catalogue, each against reading and
// writing the same bytes without them.
#include "bench/Inputs.h"

#include "data/EquipCsv.h"
#include "data/Equipment.h"
#include "data/FileIO.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <memory>

namespace {

// A second game beside the inputs, as a mod of it: every 16th unit has
// another cost, another byte no named field covers and another name. With
// the CSV of each game.
struct CsvInputs {
    BenchDir dir;
    std::string otherEqp = dir.path() + EquipFileName;
    std::string otherTxt = dir.path() + NameFileName;
    std::string csvPath = dir.path() + "units.csv";
    std::string csv, otherCsv;

    CsvInputs()
    {
        Inputs();
        auto table = std::make_unique<TEquipTable>();
        LoadEquipFile(EquipPath(), *table);
        LoadNameFile(NamePath(), *table);
        csv = ExportEquipCsv(*table);
        for (std::size_t k = 0; k < table->UnitCount; k += 16) {
            ++table->Records[k][Field::Cost];
            ++table->Records[k][60];
            table->UnitNames[k][0] = 'X';
        }
        otherCsv = ExportEquipCsv(*table);
        std::filesystem::copy_file(EquipPath(), otherEqp);
        SaveEquipFile(otherEqp, *table);
        SaveNameFile(otherTxt, *table);
    }
};

const CsvInputs& Csv()
{
    static const CsvInputs inputs;
    return inputs;
}

// dv2tool export: load the pair, write the CSV file.
void BM_CsvExport(benchmark::State& state)
{
    for (auto _ : state) {
        LoadEquipment(EquipPath(), NamePath());
        ReplaceFile(Csv().csvPath, ExportEquipCsv(Equipment));
    }
}
BENCHMARK(BM_CsvExport)->UseRealTime();

void BM_FloorCsvExport(benchmark::State& state)
{
    std::string eqp(std::filesystem::file_size(EquipPath()), '\0');
    std::string txt(std::filesystem::file_size(NamePath()), '\0');
    ReplaceFile(Csv().csvPath, Csv().csv);
    for (auto _ : state) {
        RawRead(EquipPath(), eqp);
        RawRead(NamePath(), txt);
        RawWrite(Csv().csvPath, Csv().csv, true, true);
    }
}
BENCHMARK(BM_FloorCsvExport)->UseRealTime();

// dv2tool import: load the pair, read and check the CSV, save the pair.
// The two CSVs take turns, so that every import changes 64 units.
void BM_CsvImport(benchmark::State& state)
{
    const std::string paths[] = {Csv().dir.path() + "a.csv", Csv().dir.path() + "b.csv"};
    ReplaceFile(paths[0], Csv().otherCsv);
    ReplaceFile(paths[1], Csv().csv);
    const std::string eqp = ReadWholeFile(EquipPath()), txt = ReadWholeFile(NamePath());
    int turn = 0;
    for (auto _ : state) {
        LoadEquipment(EquipPath(), NamePath());
        const std::string& path = paths[turn++ % 2];
        Equipment = *ImportEquipCsv(ReadEquipCsvFile(path), path, Equipment).Table;
        SaveEquipment(EquipPath(), NamePath());
    }
    // The other cases read the inputs as they were made.
    ReplaceFile(EquipPath(), eqp);
    ReplaceFile(NamePath(), txt);
}
BENCHMARK(BM_CsvImport)->UseRealTime();

void BM_FloorCsvImport(benchmark::State& state)
{
    const std::string eqpBytes = ReadWholeFile(EquipPath()), txtBytes = ReadWholeFile(NamePath());
    std::string eqp(eqpBytes.size(), '\0'), txt(txtBytes.size(), '\0'), csv(Csv().csv.size(), '\0');
    ReplaceFile(Csv().csvPath, Csv().csv);
    for (auto _ : state) {
        RawRead(EquipPath(), eqp);
        RawRead(NamePath(), txt);
        RawRead(Csv().csvPath, csv);
        RawWrite(EquipPath(), eqpBytes, true, true);
        RawWrite(NamePath(), txtBytes, true, true);
    }
}
BENCHMARK(BM_FloorCsvImport)->UseRealTime();

// dv2tool diff: both pairs read, every unit compared.
void BM_CsvDiff(benchmark::State& state)
{
    auto a = std::make_unique<TEquipTable>(), b = std::make_unique<TEquipTable>();
    for (auto _ : state) {
        LoadEquipFile(EquipPath(), *a);
        LoadNameFile(NamePath(), *a);
        LoadEquipFile(Csv().otherEqp, *b);
        LoadNameFile(Csv().otherTxt, *b);
        benchmark::DoNotOptimize(CompareEquipment(*a, *b));
    }
}
BENCHMARK(BM_CsvDiff);

void BM_FloorCsvDiff(benchmark::State& state)
{
    std::string bytes[4];
    const std::string paths[] = {EquipPath(), NamePath(), Csv().otherEqp, Csv().otherTxt};
    for (int i = 0; i < 4; ++i)
        bytes[i].resize(std::filesystem::file_size(paths[i]));
    for (auto _ : state)
        for (int i = 0; i < 4; ++i)
            RawRead(paths[i], bytes[i]);
}
BENCHMARK(BM_FloorCsvDiff);

}  // namespace
