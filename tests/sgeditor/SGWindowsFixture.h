#pragma once

#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <memory>

#include "data/UnitCodes.h"
#include "sgeditor/FindUnit.h"
#include "sgeditor/SGEditor.h"
#include "tests/support/WindowFixture.h"
#include "tools/makedemo/DemoSaves.h"
#include "tools/makedemo/DemoUnits.h"
#include "widgets/MessageBoxes.h"
#include "widgets/SpinField.h"

using namespace DemoSaves;

// The save game editor and the unit list over a copy of the demo game.
class SGWindowsTest : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        frmDV2SGEdit = editor.get();
        frmFindUnit = list.get();
    }
    void TearDown() override
    {
        frmDV2SGEdit = nullptr;
        frmFindUnit = nullptr;
        WindowFixture::TearDown();
    }

    std::string Save(const std::string& name) const { return game + "SAVE/" + name; }
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
        WriteGameSettings();
        Load(Campaign());
    }

    std::unique_ptr<TfrmDV2SGEdit> editor = std::make_unique<TfrmDV2SGEdit>();
    std::unique_ptr<TfrmFindUnit> list = std::make_unique<TfrmFindUnit>();
};
