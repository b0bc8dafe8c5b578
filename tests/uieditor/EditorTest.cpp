// The unit attribute editor driven as a user drives it.
#include <QAbstractItemView>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <sys/stat.h>

#include "tests/uieditor/EditorFixture.h"
#include "tools/makedemo/DemoUnits.h"
#include "widgets/MessageBoxes.h"

namespace {

const QString ChangedQuestion =
    "You have made changes to this unit.\nDo you wish to update this information?";

bool Exists(const std::string& path)
{
    return std::filesystem::exists(path);
}

// A loaded unit of another class than Infantry that moves more than 6.
std::uint16_t FastNonInfantry()
{
    for (std::uint16_t code = 1; code < Equipment.UnitCount; ++code) {
        const TEquipRecord& record = Equipment.Records[code];
        if (record[Field::UnitClass] != 1 && record[Field::Movement] > 6)
            return code;
    }
    return 0;
}

}  // namespace

using EditorLoad = EditorFixture;
using EditorSteps = EditorFixture;
using EditorUpdate = EditorFixture;
using EditorCommands = EditorFixture;

TEST_F(EditorLoad, FirstLoadWithoutSettingsAsksForTheGameAndWritesSettings)
{
    QString offered;
    QString startDir;
    OnNextModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        offered = QFileInfo(dialog->selectedFiles().value(0)).fileName();
        startDir = dialog->directory().absolutePath();
    });
    AnswerFileDialog(QString::fromStdString(game + "EQUIP97.EQP"));
    editor->btnLoad->click();

    EXPECT_EQ(offered, "Equip97.eqp");
    EXPECT_EQ(startDir, QDir::currentPath());
    ASSERT_TRUE(SettingsExist());
    EXPECT_EQ(GameDir, game);
    EXPECT_EQ(Status(), "Files loaded");
    EXPECT_EQ(editor->CurrentUnit, 1);
    EXPECT_EQ(editor->seUnitCode->maximum(), 585);
    EXPECT_EQ(editor->edtUnitName->text(), Name(1));
    EXPECT_EQ(editor->edtHexCode->text(), "0100");
    EXPECT_FALSE(editor->UnitChanged);
    EXPECT_TRUE(editor->gbEditorOptions->isEnabled());
    EXPECT_TRUE(editor->gbUnitAttributes->isEnabled());
}

TEST_F(EditorLoad, PickInADirectoryWithoutTheFilesStillWritesSettings)
{
    const std::string empty = work / "empty/";
    std::filesystem::create_directory(empty);
    WriteBytes(empty + "readme.txt", "not the game");
    AnswerFileDialog(QString::fromStdString(empty + "readme.txt"));
    SeenMessage seen;
    AnswerMessageBox(QMessageBox::Ok, &seen);
    editor->btnLoadClick();

    EXPECT_EQ(seen.text, "File not found.");
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    ASSERT_TRUE(SettingsExist());
    EXPECT_EQ(Equipment.UnitCount, 0);
    EXPECT_FALSE(editor->gbEditorOptions->isEnabled());
    EXPECT_EQ(Status(), "");

    // The next load takes the directory from the settings file.
    AnswerMessageBox(QMessageBox::Ok, &seen);
    editor->btnLoadClick();
    EXPECT_EQ(seen.text, "File not found.");
    EXPECT_EQ(GameDir, empty);
}

TEST_F(EditorLoad, CancelledPickLoadsFromTheWorkingDirectoryAndWritesNoSettings)
{
    AnswerFileDialog({});
    SeenMessage seen;
    AnswerMessageBox(QMessageBox::Ok, &seen);  // the test's directory has no game
    editor->btnLoadClick();
    EXPECT_EQ(seen.text, "File not found.");
    EXPECT_FALSE(SettingsExist());
    EXPECT_EQ(GameDir, "");
}

TEST_F(EditorLoad, FailedLoadLeavesTableControlsGroupsAndStatusAsBefore)
{
    Load();
    editor->seUnitCode->setValue(7);
    Type(editor->edtUnitName, "Pending");
    ASSERT_EQ(Status(), "Unit Information has been changed");
    const std::string eqp = ReadBytes(game + "EQUIP97.EQP");
    WriteBytes(game + "EQUIP97.EQP", eqp.substr(0, 1000));  // cut short

    SeenMessage seen;
    AnswerMessageBox(QMessageBox::Ok, &seen);
    editor->btnLoadClick();

    EXPECT_EQ(seen.text, "Read beyond end of file.");
    EXPECT_EQ(Equipment.UnitCount, 586);
    EXPECT_EQ(editor->CurrentUnit, 7);
    EXPECT_EQ(editor->seUnitCode->value(), 7);
    EXPECT_EQ(editor->edtUnitName->text(), "Pending");
    EXPECT_TRUE(editor->UnitChanged);
    EXPECT_EQ(Status(), "Unit Information has been changed");
    EXPECT_TRUE(editor->gbEditorOptions->isEnabled());
}

TEST_F(EditorLoad, FailedSettingsWriteEndsTheLoad)
{
    // Loadable as nobody, but the settings directory is not writable.
    chmod((game + "EQUIP97.EQP").c_str(), 0666);
    chmod((game + "EQUIP97.TXT").c_str(), 0666);
    chmod(work.path().c_str(), 0555);
    SeenMessage seen;
    {
        AsNobody nobody;
        AnswerFileDialog(QString::fromStdString(game + "EQUIP97.EQP"));
        AnswerMessageBox(QMessageBox::Ok, &seen);
        editor->btnLoadClick();
    }
    EXPECT_EQ(seen.text, "File access denied.");
    EXPECT_FALSE(SettingsExist());
    EXPECT_EQ(Equipment.UnitCount, 0);
    EXPECT_FALSE(editor->gbUnitAttributes->isEnabled());
    EXPECT_EQ(Status(), "");
}

TEST_F(EditorSteps, PreviousOnTheFirstAndNextOnTheLastWrapAround)
{
    Load();
    editor->btnPrevious->click();
    EXPECT_EQ(editor->CurrentUnit, 585);
    EXPECT_EQ(editor->seUnitCode->value(), 585);
    EXPECT_EQ(editor->edtUnitName->text(), Name(585));
    EXPECT_EQ(Status(), "");
    editor->btnNext->click();
    EXPECT_EQ(editor->CurrentUnit, 1);
    EXPECT_EQ(editor->edtUnitName->text(), Name(1));
    editor->btnNext->click();
    EXPECT_EQ(editor->CurrentUnit, 2);
}

TEST_F(EditorSteps, ChangeThenNextAsksAndNoDropsTheChange)
{
    Load();
    const QString before = Name(1);
    Type(editor->edtUnitName, "Renamed");
    EXPECT_TRUE(editor->UnitChanged);
    EXPECT_EQ(Status(), "Unit Information has been changed");

    SeenMessage seen;
    AnswerMessageBox(QMessageBox::No, &seen);
    editor->btnNext->click();
    EXPECT_EQ(seen.text, ChangedQuestion);
    EXPECT_EQ(seen.icon, QMessageBox::Information);
    EXPECT_EQ(editor->CurrentUnit, 2);
    EXPECT_EQ(Name(1), before);
    EXPECT_FALSE(editor->UnitChanged);
}

TEST_F(EditorSteps, ChangeThenPreviousAndYesStoresTheChangeFirst)
{
    Load();
    editor->seUnitCode->setValue(3);
    Type(editor->seAmmo, "77");
    AnswerMessageBox(QMessageBox::Yes);
    editor->btnPrevious->click();
    EXPECT_EQ(Equipment.Records[3][Field::Ammo], 77);
    EXPECT_EQ(editor->CurrentUnit, 2);
    EXPECT_EQ(Status(), "");
}

TEST_F(EditorSteps, PickingAnotherCodeDropsChangesWithoutAsking)
{
    Load();
    Type(editor->edtUnitName, "Dropped");
    Type(editor->seUnitCode, "4");
    EXPECT_EQ(editor->CurrentUnit, 4);
    EXPECT_EQ(editor->edtUnitName->text(), Name(4));
    EXPECT_FALSE(editor->UnitChanged);
    EXPECT_NE(Name(1), "Dropped");
}

TEST_F(EditorSteps, TypedCodeAndShownUnitAgreeOutsideTheLimits)
{
    Load();
    for (const QString typed : {"0", "9999", "586"}) {
        Type(editor->seUnitCode, typed);
        const int code = editor->seUnitCode->value();
        EXPECT_GE(code, 1) << typed.toStdString();
        EXPECT_LE(code, 585) << typed.toStdString();
        EXPECT_EQ(editor->CurrentUnit, code) << typed.toStdString();
        EXPECT_EQ(editor->edtUnitName->text(), Name(editor->CurrentUnit)) << typed.toStdString();
    }
}

TEST_F(EditorSteps, ShowingAUnitIsNoEdit)
{
    Load();
    ASSERT_NE(FastNonInfantry(), 0);
    // Infantry's lower movement limit comes after more movement was shown.
    editor->seUnitCode->setValue(FastNonInfantry());
    editor->seUnitCode->setValue(DemoUnit::FastInfantry);
    editor->seUnitCode->setValue(DemoUnit::FreeUndated);
    EXPECT_FALSE(editor->UnitChanged);
    EXPECT_EQ(Status(), "Files loaded");
}

TEST_F(EditorUpdate, InfantryMovementIsShownAndStoredAsSix)
{
    Load();
    editor->seUnitCode->setValue(DemoUnit::FastInfantry);
    EXPECT_EQ(editor->edtUnitType->text(), "Infantry");
    EXPECT_EQ(editor->seMove->value(), 6);
    EXPECT_EQ(editor->seMove->maximum(), 6);
    EXPECT_FALSE(editor->UnitChanged);
    editor->btnUpdate->click();
    EXPECT_EQ(Equipment.Records[DemoUnit::FastInfantry][Field::Movement], 6);
    EXPECT_EQ(Status(), "Unit Information has been updated");

    const std::uint16_t fast = FastNonInfantry();
    ASSERT_NE(fast, 0);
    editor->seUnitCode->setValue(fast);
    EXPECT_EQ(editor->seMove->value(), Equipment.Records[fast][Field::Movement]);
}

TEST_F(EditorUpdate, NoMovementOrFuelStaysZeroInADisabledField)
{
    Load();
    editor->seUnitCode->setValue(DemoUnit::NoMovement);
    EXPECT_FALSE(editor->seMove->isEnabled());
    EXPECT_EQ(editor->seMove->value(), 0);
    EXPECT_TRUE(editor->seFuel->isEnabled());
    editor->btnUpdate->click();
    EXPECT_EQ(Equipment.Records[DemoUnit::NoMovement][Field::Movement], 0);

    editor->seUnitCode->setValue(DemoUnit::NoFuel);
    EXPECT_FALSE(editor->seFuel->isEnabled());
    EXPECT_TRUE(editor->seMove->isEnabled());
}

TEST_F(EditorUpdate, CostIsShownTimesTwelveAndStoredDividedByTwelve)
{
    Load();
    editor->seUnitCode->setValue(DemoUnit::Cost20);
    EXPECT_EQ(editor->seCost->value(), 240);
    Type(editor->seCost, "250");
    editor->btnUpdate->click();
    EXPECT_EQ(Equipment.Records[DemoUnit::Cost20][Field::Cost], 20);
    EXPECT_EQ(editor->seCost->value(), 250);
    editor->btnNext->click();
    editor->btnPrevious->click();
    EXPECT_EQ(editor->seCost->value(), 240);
}

TEST_F(EditorUpdate, UnknownCountryWarnsAndStoresNoCountryButEverythingElse)
{
    Load();
    for (const QString country : {"Germny", ""}) {
        editor->seUnitCode->setValue(10);
        Type(editor->cbCountry, country);
        Type(editor->seAmmo, "42");
        Type(editor->edtUnitName, "Stored " + country);
        SeenMessage seen;
        AnswerMessageBox(QMessageBox::Ok, &seen);
        editor->btnUpdate->click();

        EXPECT_EQ(seen.title, "Warning");
        EXPECT_EQ(seen.icon, QMessageBox::Warning);
        EXPECT_EQ(seen.text, "The country you have entered does not exist.\nPlease enter a valid "
                             "country and update this unit again");
        const TEquipRecord& record = Equipment.Records[10];
        EXPECT_EQ(record[30] | record[31] | record[32] | record[33], 0);
        EXPECT_EQ(record[Field::Ammo], 42);
        EXPECT_EQ(Name(10), "Stored " + country);
        EXPECT_EQ(Status(), "Unit Information has been updated");

        editor->btnNext->click();
        editor->btnPrevious->click();
        EXPECT_EQ(editor->cbCountry->currentText(), "");
    }
}

TEST_F(EditorUpdate, CountryPickedFromTheListIsStored)
{
    Load();
    editor->cbCountry->setFocus();
    editor->cbCountry->showPopup();
    QTest::keyClick(editor->cbCountry->view(), Qt::Key_End);
    QTest::keyClick(editor->cbCountry->view(), Qt::Key_Return);
    EXPECT_EQ(editor->cbCountry->currentText(), "Republican");
    EXPECT_TRUE(editor->UnitChanged);
    editor->btnUpdate->click();
    EXPECT_EQ(CountryName(1).value_or(""), "Republican");
}

TEST_F(EditorUpdate, UnitNameTakesOnlyWhatTheNamesFileCanHold)
{
    Load();
    // The omega is refused, the digits beyond 28 characters too.
    Type(editor->edtUnitName, QString::fromUtf8("Caf\u00e9 \u03a9 \u20ac 1234567890123456789012"));
    EXPECT_EQ(editor->edtUnitName->text(),
              QString::fromUtf8("Caf\u00e9  \u20ac 12345678901234567890"));
    editor->btnUpdate->click();
    EXPECT_EQ(Equipment.UnitNames[1], "Caf\xE9  \x80 12345678901234567890");
}

TEST_F(EditorCommands, CreateUnitCopiesTheStoredTemplate)
{
    Load();
    editor->seUnitCode->setValue(12);
    Type(editor->edtUnitName, "Not copied");
    SeenMessage seen;
    AnswerMessageBox(QMessageBox::Yes, &seen);
    editor->btnCreate->click();

    EXPECT_EQ(seen.text, "Do you wish to use this use as the template for your new unit?");
    EXPECT_EQ(Equipment.UnitCount, 587);
    EXPECT_EQ(editor->CurrentUnit, 586);
    EXPECT_EQ(editor->seUnitCode->value(), 586);
    EXPECT_EQ(editor->seUnitCode->maximum(), 586);
    EXPECT_FALSE(editor->seUnitCode->isEnabled());
    EXPECT_EQ(editor->edtHexCode->text(), "4A02");
    EXPECT_EQ(editor->edtUnitName->text(), Name(12));
    EXPECT_EQ(Name(586), Name(12));
    EXPECT_TRUE(std::equal(Equipment.Records[586].begin() + 2, Equipment.Records[586].end(),
                           Equipment.Records[12].begin() + 2));
    EXPECT_EQ(Status(), "Unit created");
    EXPECT_FALSE(editor->UnitChanged);

    editor->btnNext->click();  // wraps past the new unit, and frees the code again
    EXPECT_EQ(editor->CurrentUnit, 1);
    EXPECT_TRUE(editor->seUnitCode->isEnabled());
}

TEST_F(EditorCommands, CreateUnitAnsweredNoChangesNothing)
{
    Load();
    AnswerMessageBox(QMessageBox::No);
    editor->btnCreate->click();
    EXPECT_EQ(Equipment.UnitCount, 586);
    EXPECT_EQ(editor->CurrentUnit, 1);
    EXPECT_TRUE(editor->seUnitCode->isEnabled());
}

TEST_F(EditorCommands, SaveWritesTheTableWithoutPendingChanges)
{
    Load();
    Type(editor->edtUnitName, "Updated");
    editor->btnUpdate->click();
    Type(editor->edtUnitName, "Pending");
    editor->btnSave->click();
    EXPECT_EQ(Status(), "EQUIP97.EQP and EQUIP97.TXT has been saved");

    TEquipTable saved;
    LoadEquipFile(game + "EQUIP97.EQP", saved);
    LoadNameFile(game + "EQUIP97.TXT", saved);
    EXPECT_EQ(saved.UnitCount, 586);
    EXPECT_EQ(saved.UnitNames[1], "Updated");
}

TEST_F(EditorCommands, MenuBeforeTheFirstLoadChangesNothing)
{
    const std::string eqp = ReadBytes(game + "EQUIP97.EQP");
    editor->mnuUpdate->trigger();
    editor->mnuCreate->trigger();  // asks nothing: the watchdog would fail it
    SeenMessage seen;
    AnswerMessageBox(QMessageBox::Ok, &seen);
    editor->mnuSave->trigger();
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    EXPECT_TRUE(seen.text.contains("nothing to save")) << seen.text.toStdString();

    OnNextModal([this](QWidget*) {
        search->edtSearch->setText("$1F");
        search->btnFindClick();
        search->btnOKClick();
    });
    editor->mnuSearch->trigger();

    EXPECT_EQ(Equipment.UnitCount, 0);
    EXPECT_EQ(editor->CurrentUnit, 0);
    EXPECT_EQ(editor->edtUnitName->text(), "");
    EXPECT_EQ(Status(), "");
    EXPECT_EQ(ReadBytes(game + "EQUIP97.EQP"), eqp);
    EXPECT_FALSE(Exists("EQUIP97.TXT"));
}

TEST_F(EditorCommands, SearchShowsTheFoundUnitAndCancelTheOneBefore)
{
    Load();
    Type(editor->edtUnitName, "Dropped");
    OnNextModal([this](QWidget*) {
        search->edtSearch->setText("40");
        search->btnFind->click();
        search->btnOK->click();
    });
    editor->btnSearch->click();
    EXPECT_EQ(editor->CurrentUnit, 40);
    EXPECT_EQ(editor->edtUnitName->text(), Name(40));
    EXPECT_NE(Name(1), "Dropped");

    Type(editor->edtUnitName, "Dropped too");
    OnNextModal([this](QWidget*) {
        search->edtSearch->setText("7");
        search->btnFind->click();
        search->btnCancel->click();
    });
    editor->btnSearch->click();
    EXPECT_EQ(editor->CurrentUnit, 40);
    EXPECT_EQ(editor->edtUnitName->text(), Name(40));
    EXPECT_FALSE(editor->UnitChanged);
}

TEST_F(EditorCommands, BackupIsNotReady)
{
    SeenMessage seen;
    AnswerMessageBox(QMessageBox::Ok, &seen);
    editor->mnuBackup->trigger();
    EXPECT_EQ(seen.title, AppTitle);
    EXPECT_EQ(seen.text, "Not Ready Yet");
    EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
    EXPECT_FALSE(editor->btnBackup->isVisible());
}

TEST_F(EditorCommands, OnlyReturnToMainMenuClosesTheWindow)
{
    EXPECT_FALSE(editor->windowFlags() & Qt::WindowCloseButtonHint);
    QTest::keyClick(editor.get(), Qt::Key_Escape);
    EXPECT_TRUE(editor->isVisible());
    editor->close();
    EXPECT_TRUE(editor->isVisible());
    editor->btnReturn->click();
    EXPECT_FALSE(editor->isVisible());
}

TEST_F(EditorCommands, ReopeningAfterTheTableShrankShowsAUnitOfIt)
{
    Load();
    editor->seUnitCode->setValue(585);
    editor->hide();
    // The save game editor loads the shared table from a smaller game.
    std::string eqp = ReadBytes(game + "EQUIP97.EQP");
    eqp[0] = static_cast<char>(300 % 256);
    eqp[1] = static_cast<char>(300 / 256);
    WriteBytes(game + "EQUIP97.EQP", eqp);
    LoadEquipment(game + "EQUIP97.EQP", game + "EQUIP97.TXT");
    editor->show();
    EXPECT_EQ(editor->CurrentUnit, 1);
    EXPECT_EQ(editor->seUnitCode->value(), 1);
    EXPECT_EQ(editor->seUnitCode->maximum(), 299);
}
