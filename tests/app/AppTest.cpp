// The main menu in-process: fonts, the picture, and modal editors that keep
// their state between openings. ProgramTest checks the windows at start-up.
#include "app/Splash.h"
#include "app/Windows.h"
#include "data/Equipment.h"
#include "sgeditor/SGEditor.h"
#include "tests/support/QtTestSupport.h"
#include "tests/support/TestSupport.h"
#include "tools/makedemo/DemoSaves.h"
#include "uieditor/UIEditor.h"
#include "widgets/MessageBoxes.h"
#include "widgets/SpinField.h"

#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

// Starts the program once for all tests, from a working directory whose
// settings file points at a copy of the demo game, as run.sh sets it up.
void StartProgram()
{
    static TempDir work;
    static bool started = false;
    if (started)
        return;
    started = true;
    CopyDemo(work / "game/");
    WriteBytes(work / "DV2Edit.ini", "[Duvari 2 Directory]\r\n" + work / "game/" +
                                         "\r\n\r\n[Duvari 2 Save Game Directory]\r\n" +
                                         work / "game/SAVE/" + "\r\n");
    std::filesystem::current_path(work.path());
    SetUpApplication();
    CreateWindows();
    frmSplash->show();
    frmSplash->activateWindow();
    ASSERT_TRUE(WaitUntil([] { return QApplication::activeWindow() == frmSplash; }));
}

// Presses an accelerator in the main menu and runs act inside the modal
// window it opens; act must close that window.
void OpenFromMainMenu(Qt::Key key, const std::function<void(QWidget*)>& act)
{
    // The main menu takes the keyboard again once an editor has closed.
    ASSERT_TRUE(WaitUntil([] { return QApplication::activeWindow() == frmSplash; }));
    // No question may come up: it would block for good.
    QTimer guard;
    QObject::connect(&guard, &QTimer::timeout, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            ADD_FAILURE() << "unexpected question: " << box->text().toStdString();
            box->close();
        }
    });
    guard.start(50);
    bool closed = false;
    OnNextModal([&](QWidget* modal) {
        EXPECT_TRUE(frmSplash->isVisible());
        act(modal);
        closed = true;
    });
    QTest::keyClick(frmSplash, key, Qt::AltModifier);
    ASSERT_TRUE(WaitUntil([&] { return closed && QApplication::activeModalWidget() == nullptr; }));
}

}  // namespace

TEST(AppTest, FontsAndPictureShowAsDesigned)
{
    StartProgram();
    // Free fonts stand in for missing Windows fonts, and every window takes
    // the program's.
    const QStringList installed = QFontDatabase::families();
    const QFontInfo menuFont(QApplication::font());
    EXPECT_EQ(menuFont.pixelSize(), 11);
    EXPECT_TRUE(installed.contains("MS Sans Serif") || menuFont.family() == "Liberation Sans");
    const QFontInfo titleFont(frmSplash->lblTitle->font());
    EXPECT_TRUE(titleFont.bold());
    EXPECT_TRUE(installed.contains("Times New Roman") || titleFont.family() == "Liberation Serif");
    EXPECT_LE(QFontMetrics(frmSplash->lblTitle->font()).horizontalAdvance(frmSplash->lblTitle->text()),
              frmSplash->lblTitle->width());
    for (QWidget* window : QApplication::topLevelWidgets())
        EXPECT_FALSE(window->testAttribute(Qt::WA_SetFont)) << window->objectName().toStdString();

    // The picture: a tank on black, exactly as an image reader decodes the
    // bitmap the menu takes its pixels from.
    const QImage shown = frmSplash->JPEGImage1->pixmap().toImage();
    ASSERT_EQ(shown.size(), QSize(500, 294));
    EXPECT_EQ(shown.pixelColor(0, 0), QColor(Qt::black));
    EXPECT_NE(shown.pixelColor(250, 170), QColor(Qt::black));
    EXPECT_EQ(shown, QImage(":/app/tank.bmp").convertToFormat(shown.format()));
    EXPECT_FALSE(frmSplash->windowIcon().isNull());
}

TEST(AppTest, EditorsOpenModallyAndKeepTheirStateWhenReopened)
{
    StartProgram();
    // Edits that are never saved: leaving asks nothing about them.
    int prestige = 0;
    OpenFromMainMenu(Qt::Key_S, [&](QWidget* modal) {
        ASSERT_EQ(modal, frmDV2SGEdit);
        EXPECT_EQ(modal->windowModality(), Qt::ApplicationModal);
        AnswerFileDialog(QDir::currentPath() + "/game/SAVE/" + DemoSaves::CampaignFile);
        frmDV2SGEdit->btnLoad->click();
        frmDV2SGEdit->btnNext->click();
        frmDV2SGEdit->sePrestige->setValue(frmDV2SGEdit->sePrestige->value() + 1);
        prestige = frmDV2SGEdit->sePrestige->value();
        frmDV2SGEdit->btnExit->click();
    });
    OpenFromMainMenu(Qt::Key_S, [&](QWidget* modal) {
        ASSERT_EQ(modal, frmDV2SGEdit);
        EXPECT_EQ(frmDV2SGEdit->edtUnitNo->text(), "2");
        EXPECT_EQ(frmDV2SGEdit->sePrestige->value(), prestige);
        frmDV2SGEdit->btnExit->click();
    });

    OpenFromMainMenu(Qt::Key_A, [&](QWidget* modal) {
        ASSERT_EQ(modal, frmDV2Edit);
        EXPECT_EQ(modal->windowModality(), Qt::ApplicationModal);
        frmDV2Edit->btnLoad->click();
        frmDV2Edit->btnNext->click();
        frmDV2Edit->edtUnitName->setText("Renamed, not updated");
        frmDV2Edit->btnReturn->click();
    });
    OpenFromMainMenu(Qt::Key_A, [&](QWidget* modal) {
        ASSERT_EQ(modal, frmDV2Edit);
        EXPECT_EQ(frmDV2Edit->seUnitCode->value(), 2);
        EXPECT_EQ(frmDV2Edit->edtUnitName->text(), "Renamed, not updated");
        frmDV2Edit->btnReturn->click();
    });
}

// A save game load reads the equipment table from disk again, discarding
// the unit editor's unsaved changes: the editor then shows what was read.
TEST(AppTest, UnitEditorShowsTheTableAsASaveGameLoadReadIt)
{
    StartProgram();
    std::string stored;
    OpenFromMainMenu(Qt::Key_A, [&](QWidget*) {
        if (frmDV2Edit->CurrentUnit == 0)  // run on its own
            frmDV2Edit->btnLoad->click();
        stored = Equipment.UnitNames[frmDV2Edit->CurrentUnit];
        frmDV2Edit->edtUnitName->setText("Updated, not saved");
        frmDV2Edit->btnUpdate->click();
        frmDV2Edit->btnReturn->click();
    });
    OpenFromMainMenu(Qt::Key_S, [&](QWidget*) {
        AnswerFileDialog(QDir::currentPath() + "/game/SAVE/" + DemoSaves::CampaignFile);
        frmDV2SGEdit->btnLoad->click();
        frmDV2SGEdit->btnExit->click();
    });
    OpenFromMainMenu(Qt::Key_A, [&](QWidget*) {
        EXPECT_EQ(Equipment.UnitNames[frmDV2Edit->CurrentUnit], stored);
        EXPECT_EQ(frmDV2Edit->edtUnitName->text().toStdString(), stored);
        frmDV2Edit->btnReturn->click();
    });
}

// Last: it ends the event loop. The editors hold unsaved edits from the
// tests above, and no question may stop the program from ending.
TEST(AppTest, ExitEndsTheProgramWithoutAsking)
{
    StartProgram();
    ASSERT_TRUE(WaitUntil([] { return QApplication::activeWindow() == frmSplash; }));
    bool asked = false;
    QTimer::singleShot(0, [] { QTest::keyClick(frmSplash, Qt::Key_X, Qt::AltModifier); });
    QTimer guard;
    QObject::connect(&guard, &QTimer::timeout, [&asked] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            asked = true;
            modal->close();
        }
    });
    guard.start(50);
    QTimer::singleShot(5000, [] { QApplication::exit(1); });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(asked);
    EXPECT_FALSE(frmSplash->isVisible());
}
