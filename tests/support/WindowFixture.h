#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <gtest/gtest.h>

#include "data/Equipment.h"
#include "data/Settings.h"
#include "tests/support/QtTestSupport.h"
#include "tests/support/TestSupport.h"
#include "equipment/EquipmentDocument.h"

// A copy of the demo game in game, with the settings file kept in the
// temporary directory above it and no table (nor its history) loaded. A window still open a
// watchdog tick after it was first seen fails the test and is closed, so
// that nothing blocks for good.
class WindowFixture : public testing::Test {
protected:
    void SetUp() override
    {
        CopyDemo(game);
        Equipment = TEquipTable{};
        EquipmentDoc().History()->clear();
        GameDir.clear();
        SaveGameDir.clear();
        SettingsDir = work.path().substr(0, work.path().size() - 1);
        QObject::connect(&watchdog, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal != nullptr && modal == seen) {
                ADD_FAILURE() << "unanswered window: " << modal->windowTitle().toStdString();
                modal->close();
            }
            seen = modal;
            // A window kept between uses is a new sighting each time it opens.
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                QObject::connect(dialog, &QDialog::finished, &watchdog, [this] { seen = nullptr; },
                                 Qt::SingleShotConnection);
        });
        // Long enough that a loaded machine never trips it.
        watchdog.start(10000);
    }
    void TearDown() override { SettingsDir.clear(); }

    // Settings that name the game.
    void WriteGameSettings() const
    {
        SetGameDir(game);
        WriteSettings();
    }

    TempDir work;
    const std::string game = work / "game/";
    QTimer watchdog;
    QWidget* seen = nullptr;
};
