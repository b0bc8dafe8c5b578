// Start-up and the main menu, in-process: the windows CreateWindows makes,
// the fonts, the picture, and editors that keep their state between openings.
#include "app/Splash.h"
#include "app/Windows.h"
#include "sgeditor/FindUnit.h"
#include "sgeditor/SGEditor.h"
#include "tests/support/QtTestSupport.h"
#include "tests/support/TestSupport.h"
#include "tools/makedemo/DemoSaves.h"
#include "uieditor/UIEditor.h"
#include "uieditor/UISearch.h"
#include "widgets/MessageBoxes.h"
#include "widgets/SpinField.h"

#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
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

std::string DemoCampaign()
{
    return std::filesystem::current_path().string() + "/game/SAVE/" + DemoSaves::CampaignFile;
}

// Presses an accelerator in the main menu and runs act inside the modal
// window it opens; act must close that window.
void OpenFromMainMenu(Qt::Key key, const std::function<void(QWidget*)>& act)
{
    // The main menu takes the keyboard again once an editor has closed.
    ASSERT_TRUE(WaitUntil([] { return QApplication::activeWindow() == frmSplash; }));
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

TEST(AppTest, CreatesFiveWindowsAndShowsOnlyTheMainMenu)
{
    StartProgram();
    EXPECT_EQ(QApplication::applicationName(), AppTitle);
    const std::pair<QWidget*, const char*> windows[] = {
        {frmSplash, "frmSplash"}, {frmDV2SGEdit, "frmDV2SGEdit"}, {frmDV2Edit, "frmDV2Edit"},
        {frmSearch, "frmSearch"}, {frmFindUnit, "frmFindUnit"}};
    for (const auto& [window, name] : windows) {
        ASSERT_NE(window, nullptr) << name;
        EXPECT_EQ(window->objectName(), name);
        EXPECT_TRUE(window->isWindow()) << name;
        EXPECT_EQ(window->isVisible(), window == frmSplash) << name;
        // Every window takes the program's default font.
        EXPECT_FALSE(window->testAttribute(Qt::WA_SetFont)) << name;
    }
}

TEST(AppTest, FreeFontsStandInForMissingWindowsFonts)
{
    StartProgram();
    const QStringList installed = QFontDatabase::families();
    const QFontInfo menuFont(QApplication::font());
    EXPECT_EQ(menuFont.pixelSize(), 11);
    if (!installed.contains("MS Sans Serif")) {
        EXPECT_EQ(menuFont.family(), "Liberation Sans");
    }
    const QFontInfo titleFont(frmSplash->lblTitle->font());
    EXPECT_TRUE(titleFont.bold());
    if (!installed.contains("Times New Roman")) {
        EXPECT_EQ(titleFont.family(), "Liberation Serif");
    }
    // The title is not clipped.
    EXPECT_LE(QFontMetrics(frmSplash->lblTitle->font()).horizontalAdvance(frmSplash->lblTitle->text()),
              frmSplash->lblTitle->width());
}

TEST(AppTest, PictureIsAnUncompressed24BitBitmapOfATankOnBlack)
{
    StartProgram();
    QFile file(":/app/tank.bmp");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bmp = file.readAll();
    auto number = [&bmp](int offset, int size) {
        qint64 value = 0;
        for (int i = size - 1; i >= 0; --i)
            value = value * 256 + static_cast<unsigned char>(bmp[offset + i]);
        return value;
    };
    ASSERT_EQ(bmp.size(), 54 + 500 * 294 * 3);
    EXPECT_EQ(bmp.left(2), "BM");
    EXPECT_EQ(number(18, 4), 500);  // width
    EXPECT_EQ(number(22, 4), 294);  // height
    EXPECT_EQ(number(28, 2), 24);   // bits per pixel
    EXPECT_EQ(number(30, 4), 0);    // BI_RGB: no compression

    const QImage shown = frmSplash->JPEGImage1->pixmap().toImage();
    EXPECT_EQ(frmSplash->JPEGImage1->geometry(), QRect(0, 48, 500, 294));
    ASSERT_EQ(shown.size(), QSize(500, 294));
    EXPECT_EQ(shown.pixelColor(0, 0), QColor(Qt::black));
    EXPECT_NE(shown.pixelColor(250, 170), QColor(Qt::black));
}

TEST(AppTest, SaveGameEditorOpensModallyAndKeepsItsStateWhenReopened)
{
    StartProgram();
    QString unitNo;
    int prestige = 0;
    OpenFromMainMenu(Qt::Key_S, [&](QWidget* modal) {
        ASSERT_EQ(modal, frmDV2SGEdit);
        EXPECT_EQ(modal->windowModality(), Qt::ApplicationModal);
        AnswerFileDialog(QString::fromStdString(DemoCampaign()));
        frmDV2SGEdit->btnLoad->click();
        frmDV2SGEdit->btnNext->click();
        unitNo = frmDV2SGEdit->edtUnitNo->text();
        // An edit that is never saved: leaving asks nothing about it.
        frmDV2SGEdit->sePrestige->setValue(frmDV2SGEdit->sePrestige->value() + 1);
        prestige = frmDV2SGEdit->sePrestige->value();
        frmDV2SGEdit->btnExit->click();
    });
    EXPECT_EQ(unitNo, "2");

    OpenFromMainMenu(Qt::Key_S, [&](QWidget* modal) {
        ASSERT_EQ(modal, frmDV2SGEdit);
        EXPECT_TRUE(frmDV2SGEdit->GroupBox1->isEnabled());
        EXPECT_EQ(frmDV2SGEdit->edtUnitNo->text(), unitNo);
        EXPECT_EQ(frmDV2SGEdit->sePrestige->value(), prestige);
        frmDV2SGEdit->btnExit->click();
    });
}

TEST(AppTest, UnitAttributeEditorOpensModallyAndKeepsItsStateWhenReopened)
{
    StartProgram();
    OpenFromMainMenu(Qt::Key_A, [&](QWidget* modal) {
        ASSERT_EQ(modal, frmDV2Edit);
        EXPECT_EQ(modal->windowModality(), Qt::ApplicationModal);
        frmDV2Edit->btnLoad->click();
        frmDV2Edit->btnNext->click();
        EXPECT_EQ(frmDV2Edit->seUnitCode->value(), 2);
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
