#include <QAction>
#include <QGroupBox>
#include <QTest>
#include <filesystem>
#include <sys/stat.h>

#include "tests/sgeditor/SGWindowsFixture.h"

namespace {

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
    // Moves on with Next, answering the question that must come.
    QString NextAnswering(QMessageBox::StandardButton answer)
    {
        SeenMessage seen;
        AnswerMessageBox(answer, &seen);
        editor->btnNext->click();
        return seen.text;
    }
};

TEST_F(SGEditorWindowTest, LoadWithSettingsShowsTheFirstUnit)
{
    LoadCampaign();
    EXPECT_EQ(Status(), "GAME1.CSV save game data loaded");
    EXPECT_TRUE(editor->GroupBox1->isEnabled() && editor->GroupBox2->isEnabled());
    EXPECT_EQ(editor->edtUnitNo->text() + "/" + editor->edtTotalUnit->text(),
              QString("1/%1").arg(CampaignUnitCount));
    EXPECT_EQ(editor->sePrestige->value(), CampaignPrestige);
    EXPECT_EQ(editor->edtUnitName->text(), QString::fromStdString(Equipment.UnitNames[1]));
    EXPECT_EQ(editor->seTransportCode->maximum(), DemoUnit::LastCode);
}

TEST_F(SGEditorWindowTest, LoadWithoutSettingsWritesThemAndBoundsThePrestige)
{
    Load(Save(ScenarioFile));
    GameDir.clear();
    ReadSettings();
    EXPECT_EQ(GameDir, game.path());
    EXPECT_EQ(SaveGameDir, game / "SAVE/");
    EXPECT_EQ(Status(), "scen1.sav save game data loaded");

    // The stored 60000 shows as 55000, which the image takes at once.
    editor->btnSave->click();
    TSaveGame saved;
    ASSERT_TRUE(saved.LoadFromFile(Save(ScenarioFile)));
    EXPECT_EQ(saved.Prestige(), 55000);
}

TEST_F(SGEditorWindowTest, LoadReloadsTheEquipmentEvenWhenCancelledAndNamesOtherFilesWhole)
{
    LoadCampaign();
    Equipment.UnitNames[1] = "Unsaved edit";
    Load("");
    EXPECT_NE(Equipment.UnitNames[1], "Unsaved edit");
    EXPECT_EQ(Status(), "GAME1.CSV save game data loaded");

    std::filesystem::copy_file(Campaign(), game / "copy.csv");
    Load(game / "copy.csv");
    EXPECT_EQ(Status(), QString::fromStdString(game / "copy.csv") + " save game data loaded");
}

TEST_F(SGEditorWindowTest, AFileWithoutUnitListIsRefusedAndChangesNothing)
{
    LoadCampaign();
    editor->btnNext->click();
    SeenMessage seen;
    LoadAnswering(Save(NoListFile), &seen);
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    EXPECT_TRUE(seen.text.contains(QString::fromStdString(Save(NoListFile))));
    EXPECT_EQ(editor->edtUnitNo->text(), "2");
    EXPECT_EQ(Status(), "");

    const std::string noList = ReadBytes(Save(NoListFile));
    editor->btnSave->click();
    EXPECT_EQ(ReadBytes(Save(NoListFile)), noList);
}

TEST_F(SGEditorWindowTest, FileFailuresEndTheCommandAtTheFailingStep)
{
    SetGameDir(game.path());
    WriteSettings();
    chmod((game / "EQUIP97.EQP").c_str(), 0666);
    chmod(Campaign().c_str(), 0444);
    SeenMessage seen;
    {
        AsNobody nobody;
        LoadAnswering(Campaign(), &seen);
    }
    EXPECT_EQ(seen.text, "File access denied.");
    EXPECT_EQ(seen.title, AppTitle);
    EXPECT_EQ(Equipment.UnitCount, DemoUnit::Count);  // the step before stays done
    EXPECT_FALSE(editor->GroupBox2->isEnabled());

    std::filesystem::remove(game / "EQUIP97.EQP");
    AnswerMessageBox(QMessageBox::Ok, &seen);  // and no open dialog before it
    editor->btnLoad->click();
    EXPECT_EQ(seen.text, "File not found.");
}

TEST_F(SGEditorWindowTest, BeforeALoadTheCommandsDoNothingAndSaveRefuses)
{
    for (QAction* action : editor->findChildren<QAction*>())
        if (action->text() != "Sa&ve File" && action->text() != "&Load File")
            action->trigger();
    SeenMessage seen;
    AnswerMessageBox(QMessageBox::Ok, &seen);
    editor->btnSave->click();
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    EXPECT_EQ(editor->edtUnitNo->text(), "");
}

TEST_F(SGEditorWindowTest, NextAndPreviousWrapAndAskAboutChanges)
{
    LoadCampaign();
    const std::string before = ReadBytes(Campaign());
    editor->btnPrev->click();
    EXPECT_EQ(editor->edtUnitNo->text(), QString::number(CampaignUnitCount));
    EXPECT_EQ(Status(), "");

    editor->seExperience->setValue(4321);
    EXPECT_EQ(Status(), "Unit Information has been changed");
    editor->btnSave->click();  // the unstored edit stays out, and stays pending
    EXPECT_EQ(ReadBytes(Campaign()), before);
    EXPECT_EQ(NextAnswering(QMessageBox::No), StoreQuestion);
    EXPECT_EQ(editor->edtUnitNo->text(), "1");
    editor->btnSave->click();
    EXPECT_EQ(ReadBytes(Campaign()), before);

    editor->sePrestige->setValue(9999);  // in the image at once, yet it asks
    EXPECT_EQ(NextAnswering(QMessageBox::No), StoreQuestion);
    editor->btnSave->click();
    TSaveGame saved;
    ASSERT_TRUE(saved.LoadFromFile(Campaign()));
    EXPECT_EQ(saved.Prestige(), 9999);
}

TEST_F(SGEditorWindowTest, YesStoresAllSixValuesWithinTheLimits)
{
    LoadCampaign();
    ShowUnit(OverStrengthUnit);
    editor->seFuel1->setValue(77);
    NextAnswering(QMessageBox::Yes);
    EXPECT_EQ(Status(), "");
    editor->btnSave->click();
    // Total strength 20 and current strength 18 go back as 15 and 15.
    const TSaveGameUnit stored = CampaignSpecialUnits[OverStrengthUnit];
    EXPECT_EQ(SavedUnit(OverStrengthUnit),
              (TSaveGameUnit{stored.TypeCode, stored.TransportCode, stored.Experience, 77, 15, 15}));
}

TEST_F(SGEditorWindowTest, TotalStrengthBoundsCurrentStrengthUnlessZero)
{
    LoadCampaign();
    ShowUnit(CurrentAboveTotalUnit);  // current strength 12 of total 10
    EXPECT_EQ(editor->seCurrentStr->value(), 10);
    editor->seTotalStr->setValue(6);
    EXPECT_EQ(editor->seCurrentStr->value(), 6);
    editor->seTotalStr->setValue(12);
    EXPECT_EQ(editor->seCurrentStr->value(), 6);
    EXPECT_EQ(editor->seCurrentStr->maximum(), 12);
    editor->btnUpdate->click();
    EXPECT_EQ(Status(), "Unit Information Updated");

    ShowUnit(ZeroTotalUnit);  // current strength 7 of total 0
    EXPECT_EQ(editor->seCurrentStr->value(), 7);
    editor->btnUpdate->click();
    editor->btnSave->click();
    EXPECT_EQ(SavedUnit(ZeroTotalUnit).CurrentStrength, 7);
}

TEST_F(SGEditorWindowTest, CodesShowNameCountryAndHexCodeOnlyForLoadedUnits)
{
    LoadCampaign();
    EXPECT_EQ(editor->edtTransportHexCode->text(), "");
    ShowUnit(Code300Unit);
    EXPECT_EQ(editor->edtHexCode->text(), "2C01");
    EXPECT_EQ(editor->edtTransportName->text(),
              QString::fromStdString(Equipment.UnitNames[HighestUnitCode]));
    EXPECT_FALSE(editor->edtTransportCountry->text().isEmpty());
    editor->seTransportCode->setValue(0);
    EXPECT_EQ(editor->edtTransportName->text() + editor->edtTransportCountry->text()
                  + editor->edtTransportHexCode->text(), "");

    Equipment.UnitCount = 200;  // a smaller table loaded meanwhile
    editor->seUnitCode->setValue(250);
    EXPECT_EQ(editor->edtUnitName->text() + editor->edtHexCode->text(), "");
}

TEST_F(SGEditorWindowTest, OnlyReturnToMainMenuClosesTheWindow)
{
    EXPECT_FALSE(editor->windowFlags() & Qt::WindowCloseButtonHint);
    editor->show();
    QTest::keyClick(editor.get(), Qt::Key_Escape);
    EXPECT_TRUE(editor->isVisible());
    editor->btnExit->click();
    EXPECT_FALSE(editor->isVisible());
}

}  // namespace
