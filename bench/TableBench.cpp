// The unit table on the largest equipment table (1023 rows), each case
// timed until the window has laid itself out and repainted.
#include "bench/Inputs.h"

#include "data/Equipment.h"
#include "equipment/EquipmentDocument.h"
#include "uieditor/EquipmentModel.h"
#include "uieditor/UIEditor.h"
#include "uieditor/UnitTable.h"
#include "widgets/BulkEditDialog.h"

#include <QApplication>
#include <QLineEdit>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QUndoStack>
#include <benchmark/benchmark.h>
#include <memory>
#include <vector>

namespace {

void Settle()
{
    for (int round = 0; round < 2; ++round) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

// The editor loaded, as the table is only opened from it.
void LoadEditor()
{
    Inputs();
    frmDV2Edit->btnLoadClick();
    Settle();
}

std::unique_ptr<TfrmUnitTable> OpenTable()
{
    auto table = std::make_unique<TfrmUnitTable>(frmDV2Edit);
    table->show();
    Settle();
    return table;
}

EquipmentModel* ModelOf(TfrmUnitTable& table)
{
    auto* filter = static_cast<QSortFilterProxyModel*>(table.tvUnits->model());
    return static_cast<EquipmentModel*>(filter->sourceModel());
}

std::vector<std::uint16_t> AllCodes()
{
    std::vector<std::uint16_t> codes;
    for (int code = 1; code < Equipment.UnitCount; ++code)
        codes.push_back(static_cast<std::uint16_t>(code));
    return codes;
}

// The window is made at its first opening and kept; both are timed.
void BM_UnitTableFirstOpen(benchmark::State& state)
{
    LoadEditor();
    for (auto _ : state) {
        auto table = OpenTable();
        state.PauseTiming();
        table.reset();
        Settle();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_UnitTableFirstOpen)->UseRealTime();

void BM_UnitTableOpen(benchmark::State& state)
{
    LoadEditor();
    auto table = OpenTable();
    for (auto _ : state) {
        state.PauseTiming();
        table->hide();
        Settle();
        state.ResumeTiming();
        table->Reload();
        table->show();
        Settle();
    }
}
BENCHMARK(BM_UnitTableOpen)->UseRealTime();

// One keystroke: a digit typed (a third of the names hold one), then taken
// back, in turn; either way the rows shown change.
void BM_UnitTableFilterKeystroke(benchmark::State& state)
{
    LoadEditor();
    auto table = OpenTable();
    bool typed = false;
    for (auto _ : state) {
        table->edtFilter->setText(typed ? QString() : QStringLiteral("1"));
        typed = !typed;
        Settle();
    }
}
BENCHMARK(BM_UnitTableFilterKeystroke)->UseRealTime();

// Every column in turn, each in the other order than last time.
void BM_UnitTableSort(benchmark::State& state)
{
    LoadEditor();
    auto table = OpenTable();
    const int columns = table->tvUnits->model()->columnCount();
    int step = 0;
    for (auto _ : state) {
        table->tvUnits->sortByColumn(step % columns,
                                     (step / columns) % 2 == 0 ? Qt::DescendingOrder
                                                               : Qt::AscendingOrder);
        ++step;
        Settle();
    }
}
BENCHMARK(BM_UnitTableSort)->UseRealTime();

// Prestige cost of all 1023 rows times 110 %, then its undo; one of the
// two is timed.
void TimeBulkEdit(benchmark::State& state, bool timeUndo)
{
    LoadEditor();
    auto table = OpenTable();
    const std::vector<std::uint16_t> codes = AllCodes();
    for (auto _ : state) {
        if (timeUndo)
            state.PauseTiming();
        ModelOf(*table)->BulkEdit(codes, EquipmentModel::FirstNumber + 2,
                                  BulkEditDialog::MultiplyByPercent, 110);
        Settle();
        if (timeUndo)
            state.ResumeTiming();
        else
            state.PauseTiming();
        EquipmentDoc().History()->undo();
        Settle();
        if (!timeUndo)
            state.ResumeTiming();
    }
}

void BM_UnitTableBulkEdit(benchmark::State& state)
{
    TimeBulkEdit(state, false);
}
BENCHMARK(BM_UnitTableBulkEdit)->UseRealTime();

void BM_UnitTableBulkUndo(benchmark::State& state)
{
    TimeBulkEdit(state, true);
}
BENCHMARK(BM_UnitTableBulkUndo)->UseRealTime();

}  // namespace
