// The data layer on the largest files, and the raw file steps on the same bytes.
#include "bench/Inputs.h"

#include "data/Equipment.h"
#include "data/FileIO.h"
#include "sgeditor/SaveGame.h"

#include <benchmark/benchmark.h>
#include <cstddef>
#include <filesystem>

namespace {

void BM_EquipLoad(benchmark::State& state)
{
    Inputs();
    for (auto _ : state)
        LoadEquipment(EquipPath(), NamePath());
}
BENCHMARK(BM_EquipLoad);

void BM_FloorReadEquipPair(benchmark::State& state)
{
    Inputs();
    std::string eqp(std::filesystem::file_size(EquipPath()), '\0');
    std::string txt(std::filesystem::file_size(NamePath()), '\0');
    for (auto _ : state) {
        RawRead(EquipPath(), eqp);
        RawRead(NamePath(), txt);
        benchmark::DoNotOptimize(eqp.data());
        benchmark::DoNotOptimize(txt.data());
    }
}
BENCHMARK(BM_FloorReadEquipPair);

// Both files are replaced through temporary files that are synced before
// the renames; the floor writes each whole (emptied, then written) and
// syncs it too.
void BM_EquipSave(benchmark::State& state)
{
    Inputs();
    LoadEquipment(EquipPath(), NamePath());
    for (auto _ : state)
        SaveEquipment(EquipPath(), NamePath());
}
BENCHMARK(BM_EquipSave)->UseRealTime();

void BM_FloorWriteEquipPair(benchmark::State& state)
{
    Inputs();
    const std::string eqp = ReadWholeFile(EquipPath());
    const std::string txt = ReadWholeFile(NamePath());
    for (auto _ : state) {
        RawWrite(EquipPath(), eqp, true, true);
        RawWrite(NamePath(), txt, true, true);
    }
}
BENCHMARK(BM_FloorWriteEquipPair)->UseRealTime();

void BM_SaveGameLoad(benchmark::State& state)
{
    Inputs();
    TSaveGame image;
    for (auto _ : state)
        benchmark::DoNotOptimize(image.LoadFromFile(SaveGamePath()));
}
BENCHMARK(BM_SaveGameLoad);

void BM_FloorReadSaveGame(benchmark::State& state)
{
    Inputs();
    std::string bytes(SaveGameCapacity, '\0');
    for (auto _ : state) {
        RawRead(SaveGamePath(), bytes);
        benchmark::DoNotOptimize(bytes.data());
    }
}
BENCHMARK(BM_FloorReadSaveGame);

void BM_SaveGameSave(benchmark::State& state)
{
    Inputs();
    TSaveGame image;
    image.LoadFromFile(SaveGamePath());
    for (auto _ : state)
        image.SaveToFile(SaveGamePath());
}
BENCHMARK(BM_SaveGameSave)->UseRealTime();

// Written whole and synced, as the save does through its temporary file.
void BM_FloorWriteSaveGame(benchmark::State& state)
{
    Inputs();
    const std::string bytes = SaveGameBytes();
    for (auto _ : state)
        RawWrite(SaveGamePath(), bytes, true, true);
}
BENCHMARK(BM_FloorWriteSaveGame)->UseRealTime();

void BM_LocateUnits(benchmark::State& state)
{
    const std::string path = Inputs().path() + "ADVERSARIAL.SAV";
    ReplaceFile(path, AdversarialImage());
    TSaveGame image;
    if (!image.LoadFromFile(path) || image.UnitListCount() != 5) {
        state.SkipWithError("the adversarial image must hold one list of five units");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(image.LocateUnits());
}
BENCHMARK(BM_LocateUnits);

// One pass comparing each byte with the one a record's code copy lies from.
void BM_FloorPassImage(benchmark::State& state)
{
    const std::string image = AdversarialImage();
    const auto* bytes = reinterpret_cast<const unsigned char*>(image.data());
    for (auto _ : state) {
        std::size_t equal = 0;
        for (std::size_t p = 0; p + 10 < image.size(); ++p)
            equal += bytes[p] == bytes[p + 10];
        benchmark::DoNotOptimize(equal);
    }
}
BENCHMARK(BM_FloorPassImage);

}  // namespace
