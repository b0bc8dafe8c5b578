#pragma once

#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <gtest/gtest.h>
#include <memory>

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

using namespace DemoSaves;

// A copy of the demo game in a fresh directory that also holds the settings
// file, with the save game editor and the unit list as the program's windows.
class SGWindowsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CopyDemo(game.path());
        SettingsDir = game.path().substr(0, game.path().size() - 1);
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
    std::string Campaign() const { return Save(CampaignFile); }
    QString Status() const { return editor->sbStatus->findChild<QLabel*>()->text(); }
    QString Name(int code) const { return QString::fromStdString(Equipment.UnitNames[code]); }

    // Picks path (or cancels, when empty) in the open dialog; with seen, then
    // presses OK in the message box that follows.
    void Load(const std::string& path, SeenMessage* seen = nullptr)
    {
        OnNextModal([path, seen](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            if (dialog == nullptr || path.empty())
                return modal->close(), void();
            // selectFile leaves the name box alone while it has the focus.
            if (QWidget* focused = dialog->focusWidget())
                focused->clearFocus();
            dialog->selectFile(QString::fromStdString(path));
            if (seen != nullptr)
                AnswerMessageBox(QMessageBox::Ok, seen);
            static_cast<QDialog*>(dialog)->accept();  // QFileDialog::accept checks the pick
        });
        editor->btnLoad->click();
    }
    void LoadCampaign()
    {
        SetGameDir(game.path());
        WriteSettings();
        Load(Campaign());
    }

    TempDir game;
    std::unique_ptr<TfrmDV2SGEdit> editor = std::make_unique<TfrmDV2SGEdit>();
    std::unique_ptr<TfrmFindUnit> list = std::make_unique<TfrmFindUnit>();
};
