// Every user command and the start-up, timed against floors measured in the
// same run; prints a table of medians and ratios after Google Benchmark's own.
#include "app/Windows.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <string>

namespace {

// A case passes when its median is at most limit times its floor's median,
// or, without a floor, at most limit milliseconds.
struct Target {
    const char* name;
    const char* floor;
    double limit;
};

constexpr Target Targets[] = {
    {"BM_EquipLoad", "BM_FloorReadEquipPair", 3},
    {"BM_EquipSave", "BM_FloorWriteEquipPair", 3},
    {"BM_SaveGameLoad", "BM_FloorReadSaveGame", 3},
    {"BM_SaveGameSave", "BM_FloorWriteSaveGame", 3},
    {"BM_LocateUnits", "BM_FloorPassImage", 5},
    {"BM_EditorLoad", nullptr, 16},
    {"BM_EditorShowUnit", nullptr, 16},
    {"BM_EditorNext", nullptr, 16},
    {"BM_EditorUpdate", nullptr, 16},
    {"BM_SearchByName", nullptr, 16},
    {"BM_SGEditorLoadToDialog", nullptr, 16},
    {"BM_SGEditorLoadAfterPick", nullptr, 16},
    {"BM_SGEditorNext", nullptr, 16},
    {"BM_FillUnitList", nullptr, 16},
    {"BM_StartMainMenu", "BM_StartEmptyWindow", 1.5},
    {"BM_StartMainMenu", "BM_StartTextWindow", 1.2},
};

// Keeps the median of every case (or its only figure without repetitions),
// in milliseconds of wall time.
class MedianReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            const bool only = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            if (median || only)
                medians_[run.run_name.function_name] =
                    run.GetAdjustedRealTime() * 1e3 / benchmark::GetTimeUnitMultiplier(run.time_unit);
        }
    }

    void PrintTable() const
    {
        std::printf("\n%-24s %10s  %-24s %10s %8s %8s\n", "case", "median ms", "floor", "floor ms",
                    "ratio", "target");
        for (const Target& target : Targets) {
            const auto found = medians_.find(target.name);
            if (found == medians_.end())
                continue;
            const double ms = found->second;
            if (target.floor == nullptr) {
                std::printf("%-24s %10.4f  %-24s %10s %8s %6.0f ms %s\n", target.name, ms, "-", "-",
                            "-", target.limit, ms <= target.limit ? "ok" : "SLOW");
                continue;
            }
            const auto floor = medians_.find(target.floor);
            if (floor == medians_.end())
                continue;
            const double ratio = ms / floor->second;
            std::printf("%-24s %10.4f  %-24s %10.4f %8.2f %7.1fx %s\n", target.name, ms, target.floor,
                        floor->second, ratio, target.limit, ratio <= target.limit ? "ok" : "SLOW");
        }
    }

private:
    std::map<std::string, double> medians_;
};

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgCount = 1;
    QApplication app(qtArgCount, argv);
    // The program's own fonts and windows, made as at its start.
    SetUpApplication();
    CreateWindows();

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintTable();
    benchmark::Shutdown();
    return 0;
}
