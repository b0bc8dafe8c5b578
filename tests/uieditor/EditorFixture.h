#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <memory>

#include "data/UnitCodes.h"
#include "tests/support/WindowFixture.h"
#include "tools/makedemo/DemoUnits.h"
#include "uieditor/UIEditor.h"
#include "uieditor/UISearch.h"
#include "widgets/Cp1252.h"
#include "widgets/MessageBoxes.h"
#include "widgets/SpinField.h"

// The editor and its search dialog over a copy of the demo game.
class EditorFixture : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        frmDV2Edit = editor.get();
        frmSearch = search.get();
        editor->show();
    }
    void TearDown() override
    {
        frmDV2Edit = nullptr;
        frmSearch = nullptr;
        WindowFixture::TearDown();
    }

    // Loads the game through a settings file that names it.
    void Load()
    {
        WriteGameSettings();
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

    // An attribute field by its name.
    SpinField* Spin(const char* name) const { return editor->findChild<SpinField*>(name); }

    QString Status() const { return editor->lblStatus->text(); }
    QString Name(std::uint16_t code) const { return FromCp1252(Equipment.UnitNames[code]); }

    std::unique_ptr<TfrmDV2Edit> editor = std::make_unique<TfrmDV2Edit>();
    std::unique_ptr<TfrmSearch> search = std::make_unique<TfrmSearch>();
};
