// The unit attribute editor driven as a user drives it.
#include <QAbstractItemView>
#include <QClipboard>
#include <QComboBox>
#include <QRadioButton>
#include <set>
#include <sys/stat.h>

#include "tests/support/GameFormat.h"
#include "tests/uieditor/EditorFixture.h"

namespace {

namespace Eqp = GameFormat::Eqp;

// A loaded unit of another class than Infantry that moves more than 6.
std::uint16_t FastNonInfantry()
{
    for (std::uint16_t code = 1; code < Equipment.UnitCount; ++code)
        if (Equipment.Records[code][Eqp::UnitClass] != 1
            && Equipment.Records[code][Eqp::Movement] > 6)
            return code;
    return 0;
}

}  // namespace

using EditorTest = EditorFixture;

TEST_F(EditorTest, FirstLoadWithoutSettingsAsksForTheGame)
{
    // Cancelled: the working directory, which holds no game; no settings.
    AnswerFileDialog({});
    EXPECT_EQ(BoxText([&] { editor->btnLoadClick(); }), "File not found.");
    EXPECT_FALSE(SettingsExist());

    // Settings that cannot be written end the load.
    chmod(work.path().c_str(), 0555);
    for (const char* file : {EquipFileName, NameFileName})
        chmod((game + file).c_str(), 0666);
    {
        AsNobody nobody;
        AnswerFileDialog(QString::fromStdString(game + "EQUIP97.EQP"));
        EXPECT_EQ(BoxText([&] { editor->btnLoadClick(); }), "File access denied.");
    }
    chmod(work.path().c_str(), 0777);
    EXPECT_FALSE(SettingsExist());
    EXPECT_EQ(Equipment.UnitCount, 0);

    // A pick where the game is not: the settings name that directory anyway.
    const std::string empty = work / "empty/";
    std::filesystem::create_directory(empty);
    WriteBytes(empty + "readme.txt", "not the game");
    AnswerFileDialog(QString::fromStdString(empty + "readme.txt"));
    EXPECT_EQ(BoxText([&] { editor->btnLoadClick(); }), "File not found.");
    EXPECT_TRUE(SettingsExist());
    EXPECT_FALSE(editor->gbEditorOptions->isEnabled());
    EXPECT_EQ(Status(), "");
    GameDir.clear();
    EXPECT_EQ(BoxText([&] { editor->btnLoadClick(); }), "File not found.");  // no dialog now
    EXPECT_EQ(GameDir, empty);

    std::filesystem::remove(SettingsPath());
    AnswerFileDialog(QString::fromStdString(game + "EQUIP97.EQP"));
    editor->btnLoad->click();
    EXPECT_TRUE(SettingsExist());
    EXPECT_EQ(GameDir, game);
    EXPECT_EQ(Status(), "Files loaded");
    EXPECT_EQ(editor->edtUnitName->text(), Name(1));
    EXPECT_EQ(editor->edtHexCode->text(), "0100");
    EXPECT_TRUE(editor->gbEditorOptions->isEnabled() && editor->gbUnitAttributes->isEnabled());
}

TEST_F(EditorTest, StepsWrapAndAskAboutChangesWhileShowingIsNoChange)
{
    Load();
    editor->btnPrevious->click();
    EXPECT_EQ(editor->CurrentUnit, 585);
    EXPECT_EQ(editor->edtUnitName->text(), Name(585));
    editor->btnNext->click();
    EXPECT_EQ(editor->CurrentUnit, 1);

    const QString before = Name(1);
    Type(editor->edtUnitName, "Renamed");
    EXPECT_EQ(Status(), "Unit Information has been changed");
    EXPECT_EQ(BoxText([&] { editor->btnNext->click(); }, QMessageBox::No),
              "You have made changes to this unit.\nDo you wish to update this information?");
    EXPECT_EQ(editor->CurrentUnit, 2);
    EXPECT_EQ(Name(1), before);
    EXPECT_FALSE(editor->UnitChanged);

    Type(Spin("seAmmo"), "77");
    AnswerMessageBox(QMessageBox::Yes);
    editor->btnPrevious->click();
    EXPECT_EQ(Equipment.Records[2][Eqp::Ammo], 77);
    EXPECT_EQ(editor->CurrentUnit, 1);
    EXPECT_EQ(Status(), "");

    // Another code drops the edit without asking (the watchdog fails a question).
    Type(editor->edtUnitName, "Dropped");
    Type(editor->seUnitCode, "4");
    EXPECT_EQ(editor->edtUnitName->text(), Name(4));
    EXPECT_EQ(Name(1), before);
    for (const QString typed : {"0", "586"}) {
        SCOPED_TRACE(typed.toStdString());
        Type(editor->seUnitCode, typed);
        EXPECT_GE(editor->CurrentUnit, 1);
        EXPECT_LE(editor->CurrentUnit, 585);
        EXPECT_EQ(editor->seUnitCode->value(), editor->CurrentUnit);
        EXPECT_EQ(editor->edtUnitName->text(), Name(editor->CurrentUnit));
    }
    // Passing through the country box is no edit, and its list opens on
    // the country shown; control characters never get into a name.
    editor->cbCountry->setFocus();
    QTest::keyClick(editor->cbCountry, Qt::Key_Return);
    editor->edtUnitName->setFocus();
    EXPECT_FALSE(editor->UnitChanged);
    EXPECT_EQ(editor->cbCountry->currentText(),
              editor->cbCountry->itemText(editor->cbCountry->currentIndex()));
    editor->edtUnitName->insert("Line1\r\nLine2");
    EXPECT_FALSE(editor->edtUnitName->text().contains('\r'));
    // Infantry's lower movement limit comes after more movement was shown.
    editor->btnUpdate->click();
    ASSERT_NE(FastNonInfantry(), 0);
    for (std::uint16_t code : {FastNonInfantry(), DemoUnit::FastInfantry, DemoUnit::FreeUndated})
        editor->seUnitCode->setValue(code);
    EXPECT_FALSE(editor->UnitChanged);
    EXPECT_EQ(Status(), "Unit Information has been updated");
}

TEST_F(EditorTest, UpdateStoresMovementCostAndOtherFieldsAsShown)
{
    Load();
    // Each field shows its own byte of the record and is stored there; the
    // other bytes are kept.
    const std::pair<SpinField*, std::size_t> fields[] = {
        {Spin("seSAtt"), Eqp::SoftAttack},    {Spin("seHAtt"), Eqp::HardAttack},
        {Spin("seAAtt"), Eqp::AirAttack},     {Spin("seNAtt"), Eqp::NavalAttack},
        {Spin("seGDef"), Eqp::GroundDefense}, {Spin("seADef"), Eqp::AirDefense},
        {Spin("seCDef"), Eqp::CloseDefense},  {Spin("seInit"), Eqp::Initiative},
        {Spin("seRange"), Eqp::Range},        {Spin("seSpot"), Eqp::Spotting},
        {Spin("seRDM"), Eqp::RangeDefenseMod}, {Spin("seMove"), Eqp::Movement},
        {Spin("seFuel"), Eqp::Fuel},          {Spin("seAmmo"), Eqp::Ammo},
        {Spin("seMonth"), Eqp::MonthAvailable}, {Spin("seYear"), Eqp::YearAvailable}};
    TEquipRecord& record = Equipment.Records[3];
    for (std::size_t at = Eqp::UnitClass; at < Eqp::RecordSize; ++at)
        record[at] = static_cast<std::uint8_t>(50 + at);
    record[Eqp::UnitClass] = 2;
    record[Eqp::MonthAvailable] = 10;
    record[Eqp::YearAvailable] = 44;
    std::fill_n(&record[Eqp::Countries], 4, 0);
    record[GameFormat::Countries[9].byte] = GameFormat::Countries[9].mask;
    editor->seUnitCode->setValue(3);
    for (const auto& [field, at] : fields)
        EXPECT_EQ(field->value(), record[at]) << at;
    EXPECT_EQ(Spin("seCost")->value(), 12 * record[Eqp::Cost]);
    EXPECT_EQ(editor->edtUnitType->text(), "Tank");
    EXPECT_EQ(editor->cbCountry->currentText(), GameFormat::Countries[9].name);
    TEquipRecord expected = record;
    for (const auto& [field, at] : fields) {
        const std::size_t value = at == Eqp::MonthAvailable ? 3 : at == Eqp::YearAvailable ? 20 : 200 - at;
        expected[at] = static_cast<std::uint8_t>(value);
        field->setValue(expected[at]);
    }
    editor->btnUpdate->click();
    EXPECT_EQ(record, expected);

    editor->seUnitCode->setValue(DemoUnit::FastInfantry);
    EXPECT_EQ(editor->edtUnitType->text(), "Infantry");
    EXPECT_EQ(Spin("seMove")->value(), 6);
    editor->btnUpdate->click();
    EXPECT_EQ(Equipment.Records[DemoUnit::FastInfantry][Eqp::Movement], 6);
    editor->seUnitCode->setValue(FastNonInfantry());
    EXPECT_EQ(Spin("seMove")->value(), Equipment.Records[FastNonInfantry()][Eqp::Movement]);

    // A stored 0 stays 0 in a field that cannot be changed.
    for (const auto& [code, name, at] : {std::tuple{DemoUnit::NoMovement, "seMove", Eqp::Movement},
                                         std::tuple{DemoUnit::NoFuel, "seFuel", Eqp::Fuel}}) {
        editor->seUnitCode->setValue(code);
        EXPECT_FALSE(Spin(name)->isEnabled()) << name;
        editor->btnUpdate->click();
        EXPECT_EQ(Equipment.Records[code][at], 0) << name;
    }

    editor->seUnitCode->setValue(DemoUnit::Cost20);
    EXPECT_EQ(Spin("seCost")->value(), 240);
    Type(Spin("seCost"), "250");
    editor->btnUpdate->click();
    EXPECT_EQ(Equipment.Records[DemoUnit::Cost20][Eqp::Cost], 20);
    EXPECT_EQ(Spin("seCost")->value(), 250);
    editor->btnNext->click();
    editor->btnPrevious->click();
    EXPECT_EQ(Spin("seCost")->value(), 240);

    // Only what the names file can hold: no omega, no more than 28 characters.
    Type(editor->edtUnitName, QString::fromUtf8("Caf\u00e9 \u03a9 \u20ac 1234567890123456789012"));
    editor->btnUpdate->click();
    EXPECT_EQ(Equipment.UnitNames[DemoUnit::Cost20], "Caf\xE9  \x80 12345678901234567890");
}

// The limits of the game's values, as the window lists them.
TEST_F(EditorTest, FieldsTakeTheGamesRanges)
{
    Load();
    editor->seUnitCode->setValue(FastNonInfantry());
    const std::tuple<const char*, int, int> limits[] = {
        {"seMonth", 1, 12}, {"seYear", 16, 45}, {"seCost", 12, 3060}, {"seMove", 0, 255}, {"seFuel", 0, 255},
        {"seAmmo", 0, 255}, {"seRange", 0, 255}, {"seInit", 0, 255},  {"seSpot", 0, 255}, {"seHAtt", 0, 255},
        {"seSAtt", 0, 255}, {"seAAtt", 0, 255}, {"seNAtt", 0, 255},   {"seGDef", 0, 255}, {"seADef", 0, 255},
        {"seCDef", 0, 255}, {"seRDM", 0, 255}};
    for (const auto& [name, lowest, highest] : limits) {
        EXPECT_EQ(Spin(name)->minimum(), lowest) << name;
        EXPECT_EQ(Spin(name)->maximum(), highest) << name;
    }
}

// A name holds any Windows-1252 character but the controls: C0, DEL and
// the five bytes the code page leaves undefined (C1 controls in Unicode).
TEST_F(EditorTest, NameFieldTakesEveryCharacterButControls)
{
    Load();
    const std::set<int> controls{0x7F, 0x81, 0x8D, 0x8F, 0x90, 0x9D};
    editor->edtUnitName->setFocus();
    for (int byte = 0; byte < 256; ++byte) {
        const QString pasted = "A" + FromCp1252(std::string(1, static_cast<char>(byte))) + "B";
        QApplication::clipboard()->setText(pasted);
        PressKey(editor.get(), Qt::Key_A, Qt::ControlModifier);
        PressKey(editor.get(), Qt::Key_V, Qt::ControlModifier);
        const bool taken = editor->edtUnitName->text() == pasted;
        EXPECT_EQ(taken, byte >= 0x20 && !controls.contains(byte)) << "byte " << byte;
    }
}

// Every Alt letter answers: "Sa&ve File" keeps V, the menus take others.
TEST_F(EditorTest, AltVSaves)
{
    Load();
    EXPECT_EQ(ClashingAltLetters(editor.get()), QStringList());
    PressKey(editor.get(), Qt::Key_V, Qt::AltModifier);
    // A button's letter presses it as a click would, the press shown a moment.
    EXPECT_TRUE(WaitUntil([this] { return Status() == "EQUIP97.EQP and EQUIP97.TXT has been saved"; }));
}

// Ctrl+T asks about typed edits, as Previous and Next do, before the
// table shows the unit as stored.
TEST_F(EditorTest, UnitTableAsksToStoreTypedEdits)
{
    Load();
    Type(editor->edtUnitName, "Typed");
    QString asked;
    OnNextModal([&asked](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (box == nullptr)
            return modal->close(), void();
        asked = box->text();
        OnNextModal([](QWidget* table) { table->close(); });
        box->button(QMessageBox::Yes)->click();
    });
    PressKey(editor.get(), Qt::Key_T, Qt::ControlModifier);
    EXPECT_EQ(asked, "You have made changes to this unit.\nDo you wish to update this information?");
    EXPECT_EQ(Name(1), "Typed");
    EXPECT_EQ(editor->edtUnitName->text(), "Typed");
}

TEST_F(EditorTest, UnknownCountryWarnsAndStoresEverythingElse)
{
    Load();
    editor->seUnitCode->setValue(10);
    Type(editor->cbCountry, "Germny");
    Type(Spin("seAmmo"), "42");
    Type(editor->edtUnitName, "Stored");
    EXPECT_EQ(BoxText([&] { editor->btnUpdate->click(); }),
              "The country you have entered does not exist.\nPlease enter a valid "
              "country and update this unit again");
    const TEquipRecord& record = Equipment.Records[10];
    EXPECT_EQ(record[30] | record[31] | record[32] | record[33], 0);
    EXPECT_EQ(record[Eqp::Ammo], 42);
    EXPECT_EQ(Name(10), "Stored");
    // Picked from the list it is stored.
    editor->cbCountry->setFocus();
    editor->cbCountry->showPopup();
    QTest::keyClick(editor->cbCountry->view(), Qt::Key_End);
    QTest::keyClick(editor->cbCountry->view(), Qt::Key_Return);
    EXPECT_TRUE(editor->UnitChanged);
    editor->btnUpdate->click();
    EXPECT_EQ(CountryName(10).value_or(""), "Republican");
}

TEST_F(EditorTest, CreateUnitCopiesTheStoredTemplateAndSaveWritesIt)
{
    Load();
    editor->seUnitCode->setValue(12);
    EXPECT_EQ(BoxText([&] { editor->btnCreate->click(); }, QMessageBox::No),
              "Do you wish to use this use as the template for your new unit?");
    EXPECT_EQ(Equipment.UnitCount, 586);

    Type(editor->edtUnitName, "Not copied");
    AnswerMessageBox(QMessageBox::Yes);
    editor->btnCreate->click();
    EXPECT_EQ(Equipment.UnitCount, 587);
    EXPECT_EQ(editor->seUnitCode->value(), 586);
    EXPECT_EQ(editor->seUnitCode->maximum(), 586);
    EXPECT_FALSE(editor->seUnitCode->isEnabled());
    EXPECT_EQ(editor->edtHexCode->text(), "4A02");
    EXPECT_EQ(Name(586), Name(12));
    EXPECT_TRUE(std::equal(Equipment.Records[586].begin() + 2, Equipment.Records[586].end(),
                           Equipment.Records[12].begin() + 2));
    EXPECT_EQ(Status(), "Unit created");
    EXPECT_FALSE(editor->UnitChanged);

    // Save writes the table without a pending edit.
    Type(editor->edtUnitName, "Pending");
    editor->btnSave->click();
    EXPECT_EQ(Status(), "EQUIP97.EQP and EQUIP97.TXT has been saved");
    TEquipTable saved;
    LoadEquipFile(game + "EQUIP97.EQP", saved);
    LoadNameFile(game + "EQUIP97.TXT", saved);
    EXPECT_EQ(saved.UnitCount, 587);
    EXPECT_EQ(saved.UnitNames[586], Equipment.UnitNames[12]);

    AnswerMessageBox(QMessageBox::No);  // about the pending edit
    editor->btnNext->click();  // wraps past the new unit, and frees the code again
    EXPECT_EQ(editor->CurrentUnit, 1);
    EXPECT_TRUE(editor->seUnitCode->isEnabled());
}

TEST_F(EditorTest, BeforeTheFirstLoadCommandsChangeNothing)
{
    const std::string eqp = ReadBytes(game + "EQUIP97.EQP");
    editor->mnuUpdate->trigger();
    editor->mnuCreate->trigger();  // asks nothing: the watchdog would fail it
    EXPECT_FALSE(BoxText([&] { editor->mnuSave->trigger(); }).isEmpty());
    OnNextModal([this](QWidget*) {
        search->edtSearch->setText("$1F");
        search->btnFindClick();
        search->btnOKClick();
    });
    editor->mnuSearch->trigger();
    EXPECT_EQ(Equipment.UnitCount, 0);
    EXPECT_EQ(editor->edtUnitName->text(), "");
    EXPECT_EQ(Status(), "");
    EXPECT_EQ(ReadBytes(game + "EQUIP97.EQP"), eqp);
    EXPECT_FALSE(std::filesystem::exists("EQUIP97.TXT"));

    EXPECT_EQ(BoxText([&] { editor->mnuBackup->trigger(); }), "Not Ready Yet");
    // Only "Return to Main Menu" closes the window.
    QTest::keyClick(editor.get(), Qt::Key_Escape);
    editor->close();
    EXPECT_TRUE(editor->isVisible());
    editor->btnReturn->click();
    EXPECT_FALSE(editor->isVisible());
}

TEST_F(EditorTest, ReopeningAfterTheTableShrankShowsAUnitOfIt)
{
    Load();
    editor->seUnitCode->setValue(585);
    editor->hide();
    // The save game editor loads the shared table from a smaller game.
    std::string eqp = ReadBytes(game + "EQUIP97.EQP");
    eqp[0] = static_cast<char>(300 % 256);
    eqp[1] = static_cast<char>(300 / 256);
    WriteBytes(game + "EQUIP97.EQP", eqp);
    EquipmentDoc().Load(game + "EQUIP97.EQP", game + "EQUIP97.TXT");
    editor->show();
    EXPECT_EQ(editor->seUnitCode->value(), 299);
    EXPECT_EQ(editor->seUnitCode->maximum(), 299);

    // Before any load here, the other editor loaded a larger table: a unit
    // found by the search is shown with its own code.
    auto fresh = std::make_unique<TfrmDV2Edit>();
    frmDV2Edit = fresh.get();
    Equipment.UnitCount = 1000;
    search->rbUnitCode->setChecked(true);
    search->edtSearch->setText("900");
    OnNextModal([this](QWidget*) {
        search->btnFind->click();
        search->btnOK->click();
    });
    fresh->btnSearchClick();
    EXPECT_EQ(fresh->seUnitCode->value(), 900);
    frmDV2Edit = editor.get();
}
