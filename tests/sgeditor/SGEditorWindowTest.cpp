#include <QAction>
#include <QGroupBox>
#include <QTest>
#include <filesystem>
#include <sys/stat.h>

#include "tests/sgeditor/SGWindowsFixture.h"

namespace {

using namespace DemoSaves;

const QString StoreQuestion =
    QStringLiteral("You have made changes to this unit.\nDo you wish to update this changes?");

class SGEditorWindowTest : public SGWindowsTest {
protected:
    TSaveGameUnit SavedUnit(int k) const
    {
        TSaveGame saved;
        EXPECT_TRUE(saved.LoadFromFile(Campaign()));
        return saved.ReadUnit(k);
    }
    void ShowUnit(int k)
    {
        while (editor->edtUnitNo->text() != QString::number(k + 1))
            editor->btnNext->click();
    }
    QAction* MenuItem(const QString& text) const
    {
        for (QAction* action : editor->findChildren<QAction*>())
            if (action->text() == text)
                return action;
        return nullptr;
    }
};

TEST_F(SGEditorWindowTest, LoadWithSettingsShowsTheFirstUnit)
{
    EXPECT_FALSE(editor->GroupBox2->isEnabled());
    LoadCampaign();

    EXPECT_EQ(Status(), "GAME1.CSV save game data loaded");
    EXPECT_TRUE(editor->GroupBox1->isEnabled());
    EXPECT_TRUE(editor->GroupBox2->isEnabled());
    EXPECT_EQ(editor->edtUnitNo->text(), "1");
    EXPECT_EQ(editor->edtTotalUnit->text(), QString::number(CampaignUnitCount));
    EXPECT_EQ(editor->sePrestige->value(), CampaignPrestige);
    EXPECT_EQ(editor->seUnitCode->value(), CampaignSpecialUnits[NoTransportUnit].TypeCode);
    EXPECT_EQ(editor->edtUnitName->text(), QString::fromStdString(Equipment.UnitNames[1]));
    EXPECT_EQ(editor->edtHexCode->text(), "0100");
    EXPECT_EQ(editor->seUnitCode->maximum(), DemoUnit::Count - 1);
    EXPECT_EQ(editor->seTransportCode->maximum(), DemoUnit::Count - 1);
}

TEST_F(SGEditorWindowTest, LoadWithoutSettingsTakesTheGameDirFromTheChosenFile)
{
    Load(Save(ScenarioFile));

    ASSERT_TRUE(SettingsExist());
    GameDir.clear();
    ReadSettings();
    EXPECT_EQ(GameDir, game.path());
    EXPECT_EQ(SaveGameDir, game / "SAVE/");
    EXPECT_EQ(Status(), "scen1.sav save game data loaded");
    EXPECT_EQ(Equipment.UnitCount, DemoUnit::Count);
}

TEST_F(SGEditorWindowTest, StoredPrestigeAboveTheLimitGoesIntoTheImageAsTheLimit)
{
    WriteSettingsForGame();
    Load(Save(ScenarioFile));
    editor->btnSave->click();

    TSaveGame saved;
    ASSERT_TRUE(saved.LoadFromFile(Save(ScenarioFile)));
    EXPECT_EQ(editor->sePrestige->value(), 55000);
    EXPECT_EQ(saved.Prestige(), 55000);
}

TEST_F(SGEditorWindowTest, LoadReloadsTheEquipmentTableEvenWhenCancelled)
{
    LoadCampaign();
    Equipment.UnitNames[1] = "Unsaved edit";
    Load("");

    EXPECT_NE(Equipment.UnitNames[1], "Unsaved edit");
    EXPECT_EQ(Status(), "GAME1.CSV save game data loaded");
}

TEST_F(SGEditorWindowTest, AFileOutsideTheSaveDirectoryIsNamedWhole)
{
    WriteSettingsForGame();
    std::filesystem::copy_file(Campaign(), game / "copy.csv");
    Load(game / "copy.csv");

    EXPECT_EQ(Status(), QString::fromStdString(game / "copy.csv") + " save game data loaded");
}

TEST_F(SGEditorWindowTest, AFileWithoutUnitListChangesNothing)
{
    LoadCampaign();
    editor->btnNext->click();
    const std::string noList = ReadBytes(Save(NoListFile));
    SeenMessage seen;
    LoadAnswering(Save(NoListFile), &seen);

    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    EXPECT_TRUE(seen.text.contains(QString::fromStdString(Save(NoListFile))));
    EXPECT_EQ(editor->edtUnitNo->text(), "2");
    EXPECT_EQ(editor->sePrestige->value(), CampaignPrestige);
    EXPECT_EQ(Status(), "");
    editor->btnSave->click();
    EXPECT_EQ(ReadBytes(Save(NoListFile)), noList);
    EXPECT_EQ(Status(), "Save Game Data Saved");
}

TEST_F(SGEditorWindowTest, FileFailuresAreShownAndEndTheCommand)
{
    WriteSettingsForGame();
    std::filesystem::remove(game / "EQUIP97.EQP");
    SeenMessage seen;
    AnswerMessageBox(QMessageBox::Ok, &seen);  // no open dialog comes first
    editor->btnLoad->click();
    EXPECT_EQ(seen.text, "File not found.");
    EXPECT_EQ(seen.title, AppTitle);
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
}

TEST_F(SGEditorWindowTest, AReadOnlySaveGameIsNotLoaded)
{
    WriteSettingsForGame();
    chmod((game / "EQUIP97.EQP").c_str(), 0666);
    chmod(Campaign().c_str(), 0444);
    SeenMessage seen;
    {
        AsNobody nobody;
        LoadAnswering(Campaign(), &seen);
    }
    EXPECT_EQ(seen.text, "File access denied.");
    EXPECT_EQ(Equipment.UnitCount, DemoUnit::Count);  // the step before stays done
    EXPECT_FALSE(editor->GroupBox2->isEnabled());
    EXPECT_EQ(Status(), "");
}

TEST_F(SGEditorWindowTest, BeforeALoadTheEditorCommandsDoNothing)
{
    MenuItem("&Next")->trigger();
    MenuItem("&Previous")->trigger();
    MenuItem("&Update")->trigger();
    SeenMessage seen;
    AnswerMessageBox(QMessageBox::Ok, &seen);
    editor->btnSave->click();

    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    EXPECT_EQ(editor->edtUnitNo->text(), "");
    EXPECT_EQ(Status(), "");
}

TEST_F(SGEditorWindowTest, NextAndPreviousWrapAround)
{
    LoadCampaign();
    MenuItem("&Previous")->trigger();
    EXPECT_EQ(editor->edtUnitNo->text(), QString::number(CampaignUnitCount));
    EXPECT_EQ(Status(), "");
    editor->btnNext->click();
    EXPECT_EQ(editor->edtUnitNo->text(), "1");
}

TEST_F(SGEditorWindowTest, MovingOnAfterAChangeAsksAndNoWritesNothing)
{
    LoadCampaign();
    const std::string before = ReadBytes(Campaign());
    editor->seExperience->setValue(4321);
    EXPECT_EQ(Status(), "Unit Information has been changed");
    SeenMessage seen;
    AnswerMessageBox(QMessageBox::No, &seen);
    editor->btnNext->click();
    editor->btnSave->click();

    EXPECT_EQ(seen.text, StoreQuestion);
    EXPECT_EQ(seen.icon, QMessageBox::Information);
    EXPECT_EQ(ReadBytes(Campaign()), before);
}

TEST_F(SGEditorWindowTest, YesStoresAllSixValuesBoundedByTheLimits)
{
    LoadCampaign();
    ShowUnit(OverStrengthUnit);
    EXPECT_EQ(editor->seTotalStr->value(), 15);
    editor->seFuel1->setValue(77);
    AnswerMessageBox(QMessageBox::Yes);
    editor->btnPrev->click();
    EXPECT_EQ(Status(), "");
    editor->btnSave->click();

    // Total strength 20 and current strength 18 are stored as 15 and 15.
    const TSaveGameUnit stored = CampaignSpecialUnits[OverStrengthUnit];
    EXPECT_EQ(SavedUnit(OverStrengthUnit),
              (TSaveGameUnit{stored.TypeCode, stored.TransportCode, stored.Experience, 77, 15, 15}));
}

TEST_F(SGEditorWindowTest, APrestigeChangeAloneAsksAndIsSavedWhateverTheAnswer)
{
    LoadCampaign();
    editor->sePrestige->setValue(9999);
    AnswerMessageBox(QMessageBox::No);
    editor->btnNext->click();
    editor->btnSave->click();

    TSaveGame saved;
    ASSERT_TRUE(saved.LoadFromFile(Campaign()));
    EXPECT_EQ(saved.Prestige(), 9999);
}

TEST_F(SGEditorWindowTest, TotalStrengthBoundsCurrentStrength)
{
    LoadCampaign();
    ShowUnit(CurrentAboveTotalUnit);  // current strength 12 of total 10
    EXPECT_EQ(editor->seCurrentStr->value(), 10);

    editor->seTotalStr->setValue(6);
    EXPECT_EQ(editor->seCurrentStr->value(), 6);
    editor->seTotalStr->setValue(12);
    EXPECT_EQ(editor->seCurrentStr->value(), 6);
    EXPECT_EQ(editor->seCurrentStr->maximum(), 12);
}

TEST_F(SGEditorWindowTest, ATotalStrengthOfZeroLeavesCurrentStrengthAsStored)
{
    LoadCampaign();
    ShowUnit(ZeroTotalUnit);
    EXPECT_EQ(editor->seCurrentStr->value(), 7);
    EXPECT_EQ(editor->seCurrentStr->maximum(), 0);
    editor->btnUpdate->click();
    EXPECT_EQ(Status(), "Unit Information Updated");
    editor->btnSave->click();
    EXPECT_EQ(SavedUnit(ZeroTotalUnit).CurrentStrength, 7);
}

TEST_F(SGEditorWindowTest, CodesShowNameCountryAndHexCode)
{
    LoadCampaign();
    EXPECT_EQ(editor->seTransportCode->value(), 0);
    EXPECT_EQ(editor->edtTransportHexCode->text(), "");
    editor->btnNext->click();
    EXPECT_EQ(editor->edtHexCode->text(), "2C01");
    EXPECT_EQ(editor->edtTransportName->text(),
              QString::fromStdString(Equipment.UnitNames[HighestUnitCode]));
    EXPECT_FALSE(editor->edtTransportCountry->text().isEmpty());

    editor->seTransportCode->setValue(0);
    EXPECT_EQ(editor->edtTransportName->text(), "");
    EXPECT_EQ(editor->edtTransportCountry->text(), "");
    EXPECT_EQ(editor->edtTransportHexCode->text(), "");

    Equipment.UnitCount = 200;  // a smaller table loaded meanwhile
    editor->seUnitCode->setValue(250);
    EXPECT_EQ(editor->edtUnitName->text(), "");
    EXPECT_EQ(editor->edtHexCode->text(), "");
}

TEST_F(SGEditorWindowTest, SaveKeepsUnstoredEditsOutAndTheChangeFlagSet)
{
    LoadCampaign();
    const std::string before = ReadBytes(Campaign());
    editor->btnSave->click();
    EXPECT_EQ(ReadBytes(Campaign()), before);

    editor->seExperience->setValue(4321);
    editor->btnSave->click();
    EXPECT_EQ(SavedUnit(0).Experience, CampaignSpecialUnits[0].Experience);
    SeenMessage seen;
    AnswerMessageBox(QMessageBox::No, &seen);
    editor->btnNext->click();
    EXPECT_EQ(seen.text, StoreQuestion);
}

TEST_F(SGEditorWindowTest, EscapeDoesNotCloseTheWindow)
{
    EXPECT_FALSE(editor->windowFlags() & Qt::WindowCloseButtonHint);
    editor->show();
    QTest::keyClick(editor.get(), Qt::Key_Escape);
    EXPECT_TRUE(editor->isVisible());
    editor->btnExit->click();
    EXPECT_FALSE(editor->isVisible());
}

}  // namespace
