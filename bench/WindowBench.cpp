// The windows' commands on the largest inputs, each timed until the window
// has laid itself out and painted what the command changed.
#include "bench/Inputs.h"

#include "data/Equipment.h"
#include "sgeditor/FindUnit.h"
#include "sgeditor/SGEditor.h"
#include "uieditor/UIEditor.h"
#include "uieditor/UISearch.h"
#include "widgets/Cp1252.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>
#include <benchmark/benchmark.h>

namespace {

// Delivers what a command posted: layout requests, then the repaints they cause.
void Settle()
{
    for (int round = 0; round < 2; ++round) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

void Show(QWidget* window)
{
    Inputs();
    window->show();
    Settle();
}

void Hide(QWidget* window)
{
    window->hide();
    Settle();
}

void LoadEditor()
{
    Show(frmDV2Edit);
    frmDV2Edit->btnLoadClick();
    Settle();
}

// Each load starts from another unit, so that showing unit 1 repaints.
void BM_EditorLoad(benchmark::State& state)
{
    LoadEditor();
    for (auto _ : state) {
        state.PauseTiming();
        frmDV2Edit->ShowUnit(static_cast<std::uint16_t>(Equipment.UnitCount - 1));
        Settle();
        state.ResumeTiming();
        frmDV2Edit->btnLoadClick();
        Settle();
    }
    Hide(frmDV2Edit);
}
BENCHMARK(BM_EditorLoad)->UseRealTime();

void BM_EditorShowUnit(benchmark::State& state)
{
    LoadEditor();
    int code = 1;
    for (auto _ : state) {
        code = code % (Equipment.UnitCount - 1) + 1;
        frmDV2Edit->ShowUnit(static_cast<std::uint16_t>(code));
        Settle();
    }
    Hide(frmDV2Edit);
}
BENCHMARK(BM_EditorShowUnit)->UseRealTime();

void BM_EditorNext(benchmark::State& state)
{
    LoadEditor();
    for (auto _ : state) {
        frmDV2Edit->btnNextClick();
        Settle();
    }
    Hide(frmDV2Edit);
}
BENCHMARK(BM_EditorNext)->UseRealTime();

// Each update follows an edit, as the user's does.
void BM_EditorUpdate(benchmark::State& state)
{
    LoadEditor();
    for (auto _ : state) {
        state.PauseTiming();
        frmDV2Edit->edtUnitNameChange();
        Settle();
        state.ResumeTiming();
        frmDV2Edit->btnUpdateClick();
        Settle();
    }
    Hide(frmDV2Edit);
}
BENCHMARK(BM_EditorUpdate)->UseRealTime();

// The name of the last unit, searched from the first: the whole table.
void BM_SearchByName(benchmark::State& state)
{
    LoadEditor();
    Show(frmSearch);
    frmSearch->rbUnitName->setChecked(true);
    frmSearch->cbSearch->setChecked(true);
    const int last = Equipment.UnitCount - 1;
    frmSearch->edtSearch->setText(FromCp1252(UnitName(last)));
    for (auto _ : state) {
        frmSearch->btnFindClick();
        Settle();
    }
    if (frmSearch->SearchPosition != last)
        state.SkipWithError("the search did not find the last unit");
    Hide(frmSearch);
    Hide(frmDV2Edit);
}
BENCHMARK(BM_SearchByName)->UseRealTime();

// The save game editor's load in its two waits: from the click to the open
// dialog shown, and from the pick to the first unit shown.
struct LoadTimes {
    double toDialog = 0;
    double afterPick = 0;
};

LoadTimes LoadSaveGame()
{
    const QString path = QString::fromStdString(SaveGamePath());
    LoadTimes times;
    QElapsedTimer clock;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr)
            return;
        timer.stop();
        dialog->repaint();
        times.toDialog = clock.nsecsElapsed() * 1e-9;
        clock.start();
        dialog->selectFile(path);
        static_cast<QDialog*>(dialog)->accept();
    });
    timer.start(0);
    clock.start();
    frmDV2SGEdit->btnLoadClick();
    Settle();
    times.afterPick = clock.nsecsElapsed() * 1e-9;
    return times;
}

void LoadSaveGameEditor()
{
    Show(frmDV2SGEdit);
    LoadSaveGame();
}

void TimeSaveGameLoads(benchmark::State& state, double LoadTimes::*part)
{
    LoadSaveGameEditor();
    for (auto _ : state)
        state.SetIterationTime(LoadSaveGame().*part);
    if (frmDV2SGEdit->edtTotalUnit->text() != QStringLiteral("255"))
        state.SkipWithError("the save game was not loaded");
    Hide(frmDV2SGEdit);
}

void BM_SGEditorLoadToDialog(benchmark::State& state)
{
    TimeSaveGameLoads(state, &LoadTimes::toDialog);
}
BENCHMARK(BM_SGEditorLoadToDialog)->UseManualTime();

void BM_SGEditorLoadAfterPick(benchmark::State& state)
{
    TimeSaveGameLoads(state, &LoadTimes::afterPick);
}
BENCHMARK(BM_SGEditorLoadAfterPick)->UseManualTime();

void BM_SGEditorNext(benchmark::State& state)
{
    LoadSaveGameEditor();
    for (auto _ : state) {
        frmDV2SGEdit->btnNextClick();
        Settle();
    }
    Hide(frmDV2SGEdit);
}
BENCHMARK(BM_SGEditorNext)->UseRealTime();

void BM_FillUnitList(benchmark::State& state)
{
    LoadEditor();
    Hide(frmDV2Edit);
    Show(frmFindUnit);
    for (auto _ : state) {
        frmFindUnit->FillUnitList();
        Settle();
    }
    Hide(frmFindUnit);
}
BENCHMARK(BM_FillUnitList)->UseRealTime();

}  // namespace
