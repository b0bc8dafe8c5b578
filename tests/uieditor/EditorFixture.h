#pragma once

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

#include "data/Equipment.h"
#include "data/Settings.h"
#include "data/UnitCodes.h"
#include "tests/support/QtTestSupport.h"
#include "tests/support/TestSupport.h"
#include "tools/makedemo/DemoUnits.h"
#include "uieditor/UIEditor.h"
#include "uieditor/UISearch.h"
#include "widgets/Cp1252.h"
#include "widgets/MessageBoxes.h"
#include "widgets/SpinField.h"

// The editor and its search dialog over a copy of the demo game in game,
// with the settings file kept in the temporary directory above it.
class EditorFixture : public testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directory(game);
        CopyDemo(game);
        Equipment = TEquipTable{};
        GameDir.clear();
        SaveGameDir.clear();
        SettingsDir = work.path().substr(0, work.path().size() - 1);
        frmDV2Edit = editor.get();
        frmSearch = search.get();
        editor->show();
        // A window nobody answers would block the test for good.
        QObject::connect(&watchdog, &QTimer::timeout, [] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                ADD_FAILURE() << "unanswered window: " << modal->windowTitle().toStdString();
                modal->close();
            }
        });
        watchdog.start(3000);
    }
    void TearDown() override
    {
        frmDV2Edit = nullptr;
        frmSearch = nullptr;
    }

    // Loads the game through a settings file that names it.
    void Load()
    {
        SetGameDir(game);
        WriteSettings();
        editor->btnLoadClick();
        ASSERT_EQ(Equipment.UnitCount, 586);
    }

    // What a user types: replaces the control's text key by key.
    static void Type(QWidget* control, const QString& text)
    {
        QTest::keyClick(control, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(control, Qt::Key_Delete);
        for (QChar c : text)
            QTest::sendKeyEvent(QTest::Click, control, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }

    // The text of the box command shows, answered with answer.
    static QString BoxText(const std::function<void()>& command,
                           QMessageBox::StandardButton answer = QMessageBox::Ok)
    {
        SeenMessage seen;
        AnswerMessageBox(answer, &seen);
        command();
        return seen.text;
    }

    QString Status() const { return editor->lblStatus->text(); }
    QString Name(std::uint16_t code) const { return FromCp1252(Equipment.UnitNames[code]); }

    TempDir work;
    const std::string game = work / "game/";
    std::unique_ptr<TfrmDV2Edit> editor = std::make_unique<TfrmDV2Edit>();
    std::unique_ptr<TfrmSearch> search = std::make_unique<TfrmSearch>();
    QTimer watchdog;
};
