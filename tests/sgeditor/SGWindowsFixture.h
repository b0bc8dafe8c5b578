#pragma once

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <gtest/gtest.h>
#include <memory>
#include <string>

#include "data/Equipment.h"
#include "data/Settings.h"
#include "data/UnitCodes.h"
#include "sgeditor/FindUnit.h"
#include "sgeditor/SGEditor.h"
#include "tests/support/QtTestSupport.h"
#include "tests/support/TestSupport.h"
#include "tools/makedemo/DemoSaves.h"
#include "tools/makedemo/DemoUnits.h"
#include "widgets/MessageBoxes.h"
#include "widgets/SpinField.h"

// A copy of the demo game in a fresh directory that also holds the settings
// file, with the save game editor and the unit list as the program's windows.
class SGWindowsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CopyDemo(game.path());
        SettingsDir = game.path().substr(0, game.path().size() - 1);
        GameDir.clear();
        SaveGameDir.clear();
        frmDV2SGEdit = editor.get();
        frmFindUnit = list.get();
    }
    void TearDown() override
    {
        frmDV2SGEdit = nullptr;
        frmFindUnit = nullptr;
        SettingsDir.clear();
        Equipment = TEquipTable{};
    }

    std::string Save(const std::string& name) const { return game / ("SAVE/" + name); }
    std::string Campaign() const { return Save(DemoSaves::CampaignFile); }

    void WriteSettingsForGame()
    {
        SetGameDir(game.path());
        WriteSettings();
    }
    // Picks path (or cancels, when empty) in the editor's open dialog.
    void Load(const std::string& path)
    {
        AnswerFileDialog(QString::fromStdString(path));
        editor->btnLoad->click();
    }
    // Picks path in the open dialog, then presses OK in the message box
    // that follows.
    void LoadAnswering(const std::string& path, SeenMessage* seen)
    {
        OnNextModal([path, seen](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            if (dialog == nullptr) {
                ADD_FAILURE() << "expected the open dialog";
                modal->close();
                return;
            }
            // selectFile leaves the name box alone while it has the focus.
            if (QWidget* focused = dialog->focusWidget())
                focused->clearFocus();
            dialog->selectFile(QString::fromStdString(path));
            AnswerMessageBox(QMessageBox::Ok, seen);
            static_cast<QDialog*>(dialog)->accept();
        });
        editor->btnLoad->click();
    }
    void LoadCampaign()
    {
        WriteSettingsForGame();
        Load(Campaign());
    }
    QString Status() const { return editor->sbStatus->findChild<QLabel*>()->text(); }

    TempDir game;
    std::unique_ptr<TfrmDV2SGEdit> editor = std::make_unique<TfrmDV2SGEdit>();
    std::unique_ptr<TfrmFindUnit> list = std::make_unique<TfrmFindUnit>();
};
