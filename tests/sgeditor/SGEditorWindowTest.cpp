#include <QApplication>
#include <QAction>
#include <filesystem>
#include <QTest>
#include <sys/stat.h>

#include "tests/sgeditor/SGWindowsFixture.h"
#include "tests/support/GameFormat.h"

namespace {

namespace Sav = GameFormat::Sav;

std::uint16_t Word(const std::string& bytes, std::size_t at)
{
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(bytes.at(i)); };
    return static_cast<std::uint16_t>(byte(at) + 256 * byte(at + 1));
}

// Unit k's fields as bytes hold them at the format's offsets from start.
TSaveGameUnit UnitAt(const std::string& bytes, std::size_t start, int k)
{
    const std::size_t p = start + Sav::RecordSize * k;
    const auto byte = [&](std::size_t at) { return static_cast<std::uint8_t>(bytes.at(p + at)); };
    return {Word(bytes, p + Sav::TypeCode), Word(bytes, p + Sav::TransportCode), Word(bytes, p + Sav::Experience),
            byte(Sav::UnitFuel), byte(Sav::TotalStrength), byte(Sav::CurrentStrength)};
}

// Where the demo campaign's list lies: where its special units stand.
std::size_t CampaignListStart()
{
    const std::string bytes = ReadBytes(DemoDir() + "SAVE/" + CampaignFile);
    const int special = static_cast<int>(std::size(CampaignSpecialUnits));
    for (std::size_t start = Sav::SearchStart; start + special * Sav::RecordSize <= bytes.size(); ++start) {
        int k = 0;
        while (k < special && UnitAt(bytes, start, k) == CampaignSpecialUnits[k])
            ++k;
        if (k == special)
            return start;
    }
    ADD_FAILURE() << "no list of the special units";
    return 0;
}

class SGEditorWindowTest : public SGWindowsTest {
protected:
    // The campaign file as the format defines it.
    TSaveGameUnit UnitOnDisk(int k) const
    {
        const std::string bytes = ReadBytes(Campaign());
        const std::size_t start = CampaignListStart(), p = start + Sav::RecordSize * k;
        EXPECT_EQ(Word(bytes, p + Sav::TypeCodeCopy), Word(bytes, p + Sav::TypeCode)) << "unit " << k;
        return UnitAt(bytes, start, k);
    }
    int PrestigeOnDisk() const { return Word(ReadBytes(Campaign()), Sav::Prestige); }
    // Shown and active, so that keys reach the focused field.
    void ShowActive()
    {
        editor->show();
        editor->activateWindow();
        if (!QTest::qWaitForWindowActive(editor.get(), 1000))
            QApplication::setActiveWindow(editor.get());
    }
    void ShowUnit(int k)
    {
        while (editor->edtUnitNo->text() != QString::number(k + 1))
            editor->btnNext->click();
    }
    // Moves on with Next, answering the question that must come.
    QString NextAnswering(QMessageBox::StandardButton answer)
    {
        return BoxText([this] { editor->btnNext->click(); }, answer);
    }
};

TEST_F(SGEditorWindowTest, LoadWithAndWithoutSettings)
{
    EXPECT_EQ(editor->seUnitCode->maximum(), 585);  // before any equipment table
    // Without: the game is the directory above the save game's.
    Load(Save(ScenarioFile));
    GameDir.clear();
    ReadSettings();
    EXPECT_EQ(GameDir, game);
    EXPECT_EQ(SaveGameDir, game + "SAVE/");
    EXPECT_EQ(Status(), "scen1.sav save game data loaded");
    // The stored prestige 60000 shows as 55000 and is written back as
    // stored, until the user types one: then the limit applies.
    EXPECT_EQ(editor->sePrestige->value(), 55000);
    editor->btnNext->click();
    editor->btnSave->click();
    EXPECT_EQ(Word(ReadBytes(Save(ScenarioFile)), Sav::Prestige), 60000);
    ShowActive();
    editor->sePrestige->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), "60001");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    editor->hide();
    editor->btnSave->click();
    EXPECT_EQ(Word(ReadBytes(Save(ScenarioFile)), Sav::Prestige), 55000);

    LoadCampaign();
    EXPECT_EQ(Status(), "GAME1.CSV save game data loaded");
    EXPECT_EQ(editor->edtUnitNo->text() + "/" + editor->edtTotalUnit->text(),
              QString("1/%1").arg(CampaignUnitCount));
    EXPECT_EQ(editor->sePrestige->value(), PrestigeOnDisk());
    EXPECT_EQ(editor->edtUnitName->text(), Name(1));
    EXPECT_EQ(editor->seUnitCode->maximum(), DemoUnit::Count - 1);
    ShowUnit(Code300Unit);
    const TSaveGameUnit shown{std::uint16_t(editor->seUnitCode->value()),
                              std::uint16_t(editor->seTransportCode->value()),
                              std::uint16_t(editor->seExperience->value()), std::uint8_t(editor->seFuel1->value()),
                              std::uint8_t(editor->seTotalStr->value()), std::uint8_t(editor->seCurrentStr->value())};
    EXPECT_EQ(shown, UnitOnDisk(Code300Unit));

    // The table is read again even when the pick is cancelled.
    Equipment.UnitNames[1] = "Unsaved edit";
    Load("");
    EXPECT_NE(Equipment.UnitNames[1], "Unsaved edit");
    // A status too long for the panel never widens the window.
    const std::string deep = game + std::string(200, 'd') + "/";
    std::filesystem::create_directories(deep);
    std::filesystem::copy_file(Campaign(), deep + "copy.csv");
    const int width = editor->minimumSizeHint().width();
    Load(deep + "copy.csv");
    EXPECT_EQ(Status(), QString::fromStdString(deep + "copy.csv") + " save game data loaded");
    EXPECT_EQ(editor->minimumSizeHint().width(), width);
}

TEST_F(SGEditorWindowTest, FailedLoadsEndAtTheFailingStep)
{
    WriteGameSettings();
    chmod((game + "EQUIP97.EQP").c_str(), 0666);
    chmod(Campaign().c_str(), 0444);
    SeenMessage seen;
    {
        AsNobody nobody;
        Load(Campaign(), &seen);
    }
    EXPECT_EQ(seen.text, "File access denied.");
    EXPECT_EQ(Equipment.UnitCount, DemoUnit::Count);  // the step before stays done
    EXPECT_FALSE(editor->GroupBox2->isEnabled());

    std::filesystem::remove(game + "EQUIP97.EQP");
    EXPECT_EQ(BoxText([&] { editor->btnLoad->click(); }), "File not found.");  // no dialog first

    // Before a load the commands do nothing, Save refuses, and only
    // "Return to Main Menu" closes the window.
    for (QAction* action : editor->findChildren<QAction*>())
        if (action->text() != "Sa&ve File" && action->text() != "&Load File")
            action->trigger();
    EXPECT_FALSE(BoxText([&] { editor->btnSave->click(); }).isEmpty());
    EXPECT_EQ(editor->edtUnitNo->text(), "");
    editor->show();
    QTest::keyClick(editor.get(), Qt::Key_Escape);
    EXPECT_TRUE(editor->isVisible());
    editor->btnExit->click();
    EXPECT_FALSE(editor->isVisible());
}

TEST_F(SGEditorWindowTest, StepsWrapAndAskAboutUnstoredChanges)
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
    EXPECT_EQ(NextAnswering(QMessageBox::No),
              "You have made changes to this unit.\nDo you wish to update this changes?");
    EXPECT_EQ(editor->edtUnitNo->text(), "1");
    editor->btnSave->click();
    EXPECT_EQ(ReadBytes(Campaign()), before);

    // A unit code the next load would not take for a unit is refused where
    // it is stored, and the unit stays as it was.
    ShowActive();
    editor->seUnitCode->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), "256");
    EXPECT_EQ(editor->seUnitCode->value(), 256);
    EXPECT_EQ(BoxText([this] { editor->btnUpdate->click(); }),
              "The unit code 256 would break the unit list: a load takes a record for a unit only when the low byte "
              "of its code is not 0, and it is 0 for every multiple of 256 (256, 512, 768 ...).");
    // Yes to the question on moving on stores nothing either: the unit and
    // its edits stay, to be mended.
    SeenMessage warning;
    OnNextModal([&](QWidget* question) {
        AnswerMessageBox(QMessageBox::Ok, &warning);
        qobject_cast<QMessageBox*>(question)->button(QMessageBox::Yes)->click();
    });
    editor->btnNext->click();
    EXPECT_TRUE(warning.text.startsWith("The unit code 256 would break")) << warning.text.toStdString();
    EXPECT_EQ(editor->edtUnitNo->text(), "1");
    EXPECT_EQ(editor->seUnitCode->value(), 256);
    editor->hide();
    EXPECT_EQ(NextAnswering(QMessageBox::No).isEmpty(), false);
    editor->btnSave->click();
    EXPECT_EQ(ReadBytes(Campaign()), before);

    editor->sePrestige->setValue(9999);  // in the image at once, yet it asks
    EXPECT_FALSE(BoxText([this] { editor->btnPrev->click(); }, QMessageBox::No).isEmpty());
    editor->btnSave->click();
    EXPECT_EQ(PrestigeOnDisk(), 9999);

    // Yes stores all six values within the limits: total strength 20 and
    // current strength 18 go back as 15 and 15.
    ShowUnit(OverStrengthUnit);
    EXPECT_EQ(editor->seTotalStr->value(), 15);
    editor->seFuel1->setValue(77);
    NextAnswering(QMessageBox::Yes);
    EXPECT_EQ(Status(), "");
    editor->btnSave->click();
    const TSaveGameUnit stored = CampaignSpecialUnits[OverStrengthUnit];
    EXPECT_EQ(UnitOnDisk(OverStrengthUnit),
              (TSaveGameUnit{stored.TypeCode, stored.TransportCode, stored.Experience, 77, 15, 15}));
}

// Every Alt letter answers: "Sa&ve File" keeps V, the menus take others.
TEST_F(SGEditorWindowTest, AltVSaves)
{
    LoadCampaign();
    EXPECT_EQ(ClashingAltLetters(editor.get()), QStringList());
    PressKey(editor.get(), Qt::Key_V, Qt::AltModifier);
    // A button's letter presses it as a click would, the press shown a moment.
    EXPECT_TRUE(WaitUntil([this] { return Status() == "Save Game Data Saved"; }));
}

TEST_F(SGEditorWindowTest, StrengthsAreBoundedAndCodesDescribed)
{
    LoadCampaign();
    ShowUnit(CurrentAboveTotalUnit);  // current strength 12 of total 10
    EXPECT_EQ(editor->seCurrentStr->value(), 10);
    editor->seTotalStr->setValue(6);
    EXPECT_EQ(editor->seCurrentStr->value(), 6);
    editor->seTotalStr->setValue(0);
    EXPECT_EQ(editor->seCurrentStr->value(), 0);
    editor->seTotalStr->setValue(12);
    EXPECT_EQ(editor->seCurrentStr->maximum(), 12);
    // The current strength follows the total as far as the strength last
    // shown allows: typing 12 passes through 1 without losing it.
    editor->seTotalStr->setFocus();
    QTest::keyClick(editor->seTotalStr, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor->seTotalStr, "1");
    EXPECT_EQ(editor->seCurrentStr->value(), 1);
    QTest::keyClicks(editor->seTotalStr, "2");
    EXPECT_EQ(editor->seCurrentStr->value(), 10);
    editor->seExperience->setValue(4321);
    editor->seFuel1->setValue(33);
    editor->seTransportCode->setValue(5);
    editor->btnUpdate->click();
    EXPECT_EQ(Status(), "Unit Information Updated");

    ShowUnit(ZeroTotalUnit);  // current strength 7 of total 0
    EXPECT_EQ(editor->seCurrentStr->value(), 7);
    editor->btnUpdate->click();
    editor->btnSave->click();
    EXPECT_EQ(UnitOnDisk(ZeroTotalUnit).CurrentStrength, 7);
    EXPECT_EQ(UnitOnDisk(CurrentAboveTotalUnit), (TSaveGameUnit{128, 5, 4321, 33, 12, 10}));

    // Codes show name, country and hex code only for units of the table.
    ShowUnit(Code300Unit);
    EXPECT_EQ(editor->edtHexCode->text(), "2C01");
    EXPECT_EQ(editor->edtTransportName->text(), Name(HighestUnitCode));
    EXPECT_EQ(editor->edtTransportCountry->text(),
              GameFormat::CountryOf(Equipment.Records[HighestUnitCode].data()));
    editor->seTransportCode->setValue(0);
    EXPECT_EQ(editor->edtTransportName->text() + editor->edtTransportCountry->text()
                  + editor->edtTransportHexCode->text(), "");

    Equipment.UnitCount = 200;  // a smaller table loaded meanwhile
    editor->seUnitCode->setValue(250);
    EXPECT_EQ(editor->edtUnitName->text() + editor->edtHexCode->text(), "");

    // A refused file after the table shrank on disk: the code limits follow
    // the reloaded table all the same, so no code beyond it can be stored.
    auto shrunk = std::make_unique<TEquipTable>();
    LoadEquipFile(game + "EQUIP97.EQP", *shrunk);
    shrunk->UnitCount = 200;
    SaveEquipFile(game + "EQUIP97.EQP", *shrunk);
    SeenMessage refused;
    Load(Save(NoListFile), &refused);
    EXPECT_EQ(editor->seUnitCode->value(), 199);
    EXPECT_EQ(editor->edtUnitName->text(), Name(199));

    // The same when the unit attribute editor shrank the table (an undone
    // "&Create Unit", an import) while this editor was closed.
    editor->hide();
    shrunk->UnitCount = 150;
    EquipmentDoc().Import("Import", *shrunk);
    editor->show();
    EXPECT_EQ(editor->seUnitCode->maximum(), 149);
    EXPECT_EQ(editor->seTransportCode->maximum(), 149);
    EXPECT_EQ(editor->seUnitCode->value(), 149);
    EXPECT_EQ(editor->edtUnitName->text(), Name(149));
}

}  // namespace
