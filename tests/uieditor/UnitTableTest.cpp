// The unit table and the undo history, against the attribute editor and the
// files it saves.
#include <QAbstractItemView>
#include <QComboBox>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QUndoStack>
#include <random>

#include "tests/uieditor/EditorFixture.h"
#include "equipment/EquipmentDocument.h"
#include "uieditor/UnitTable.h"
#include "widgets/BulkEditDialog.h"

namespace {

// Columns as the table shows them, by their headers' names.
constexpr int HexColumn = 1;
constexpr int NameColumn = 2;
constexpr int CountryColumn = 4;
constexpr int FirstNumberColumn = 5;  // Month, then as the editor lays them out
constexpr int CostColumn = 7;
constexpr int MovementColumn = 8;
constexpr int HardAttackColumn = 14;

// The record bytes of each numeric column, from the file format.
constexpr std::size_t NumberOffsets[] = {26, 27, 21, 17, 18, 19, 12, 11, 13,
                                         4,  3,  5,  6,  7,  8,  9,  14};

// Values typed for one unit: name, country, then the numbers as typed.
struct Typed {
    QString name;
    QString country;
    QStringList numbers;
};

std::uint16_t CodeAt(QTableView* view, int row)
{
    return static_cast<std::uint16_t>(view->model()->index(row, 0).data().toInt());
}

QModelIndex CellOf(QTableView* view, std::uint16_t code, int column)
{
    for (int row = 0; row < view->model()->rowCount(); ++row)
        if (CodeAt(view, row) == code)
            return view->model()->index(row, column);
    return {};
}

}  // namespace

class UnitTableTest : public EditorFixture {
protected:
    std::string eqp0, txt0;
    void LoadKeepingOriginals()
    {
        Load();
        eqp0 = ReadBytes(game + "EQUIP97.EQP");
        txt0 = ReadBytes(game + "EQUIP97.TXT");
    }
    std::pair<std::string, std::string> SaveAndRead()
    {
        editor->btnSave->click();
        return {ReadBytes(game + "EQUIP97.EQP"), ReadBytes(game + "EQUIP97.TXT")};
    }
    void RestoreAndLoad()
    {
        WriteBytes(game + "EQUIP97.EQP", eqp0);
        WriteBytes(game + "EQUIP97.TXT", txt0);
        editor->btnLoadClick();
    }
};

// Random values, in and out of the limits, typed into the editor and
// "Update"d, or typed into the table's cells, give the same saved files.
TEST_F(UnitTableTest, CellEditsStoreExactlyWhatUpdateStores)
{
    LoadKeepingOriginals();
    std::mt19937 random(13);
    const auto below = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const QString letters = QString::fromUtf8("abcXYZ 09-.()\u00e9\u00fc\u00df\u20ac");
    std::vector<std::uint16_t> codes{DemoUnit::FastInfantry, DemoUnit::NoMovement,
                                     DemoUnit::NoFuel, DemoUnit::Cost20, DemoUnit::FreeUndated};
    for (int i = 0; i < 15; ++i)
        codes.push_back(static_cast<std::uint16_t>(1 + below(DemoUnit::LastCode)));
    std::vector<Typed> typed;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        Typed unit;
        for (int n = i == 0 ? 30 : below(29); n > 0; --n)  // the first longer than a name holds
            unit.name += letters[below(static_cast<int>(letters.size()))];
        const std::string_view country = CountryNames[static_cast<std::size_t>(below(26))];
        unit.country = QString::fromLatin1(country.data(), country.size());
        // Two digits for the date, four for the cost, three for the rest.
        for (int column = 0; column < 17; ++column)
            unit.numbers << QString::number(below(column < 2 ? 100 : column == 2 ? 10000 : 1000));
        typed.push_back(unit);
    }

    const auto& spins = editor->seNumbers;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        editor->seUnitCode->setValue(codes[i]);
        Type(editor->edtUnitName, typed[i].name);
        Type(editor->cbCountry, typed[i].country);
        for (int column = 0; column < 17; ++column)
            Type(spins[column], typed[i].numbers[column]);
        editor->btnUpdate->click();
    }
    const auto byEditor = SaveAndRead();

    RestoreAndLoad();
    TfrmUnitTable table;
    QAbstractItemModel* model = table.tvUnits->model();
    for (std::size_t i = 0; i < codes.size(); ++i) {
        model->setData(CellOf(table.tvUnits, codes[i], NameColumn), typed[i].name);
        model->setData(CellOf(table.tvUnits, codes[i], CountryColumn), typed[i].country);
        for (int column = 0; column < 17; ++column)
            model->setData(CellOf(table.tvUnits, codes[i], FirstNumberColumn + column),
                           typed[i].numbers[column]);
    }
    for (const char* control : {"a\tb", "a\x7F" "b"})
        EXPECT_FALSE(model->setData(CellOf(table.tvUnits, codes[1], NameColumn), QString::fromLatin1(control)));
    // Compared whole, not printed: the files run to 40 kB.
    EXPECT_TRUE(SaveAndRead() == byEditor);
    EXPECT_TRUE(byEditor.first != eqp0);
}

TEST_F(UnitTableTest, BulkEditsAndCreateUnitUndoToTheSavedBytes)
{
    LoadKeepingOriginals();
    TfrmUnitTable table;
    table.show();
    table.tvUnits->selectAll();
    // Stored 9, shown within the Infantry limit.
    EXPECT_EQ(CellOf(table.tvUnits, DemoUnit::FastInfantry, MovementColumn).data().toInt(), 6);
    const auto bulk = [&](int column, int operation, int value) {
        OnNextModal([=](QWidget* modal) {
            auto* dialog = qobject_cast<BulkEditDialog*>(modal);
            ASSERT_NE(dialog, nullptr);
            ASSERT_EQ(dialog->objectName(), "dlgBulkEdit");
            dialog->cbBulkField->setCurrentIndex(column - FirstNumberColumn);
            dialog->cbBulkOp->setCurrentIndex(operation);
            dialog->seBulkValue->setValue(value);
            dialog->accept();
        });
        table.btnBulkEdit->click();
    };
    const TEquipTable loaded = Equipment;
    bulk(CostColumn, BulkEditDialog::MultiplyByPercent, 110);
    // 240 * 110% = 264 = 22 * 12; a cost of 0 shows 12, and 13.2 rounds to 12.
    EXPECT_EQ(Equipment.Records[DemoUnit::Cost20][21], 22);
    EXPECT_EQ(Equipment.Records[DemoUnit::FreeUndated][21], 1);
    // The step counts the units it changed, not those selected.
    int changed = 0;
    for (std::uint16_t code = 1; code < Equipment.UnitCount; ++code)
        changed += Equipment.Records[code] != loaded.Records[code];
    EXPECT_LT(changed, 585);
    EXPECT_EQ(table.mnuUndo->text(),
              QStringLiteral("Und&o Change of Prestige Cost of %1 unit types").arg(changed));
    EXPECT_TRUE(table.isWindowModified() && editor->isWindowModified());
    bulk(MovementColumn, BulkEditDialog::Add, 3);
    EXPECT_EQ(Equipment.Records[DemoUnit::FastInfantry][17], 6);  // Infantry: at most 6
    EXPECT_EQ(Equipment.Records[DemoUnit::NoMovement][17], 0);    // none stays none
    const TEquipTable edited = Equipment;

    table.mnuUndo->trigger();
    table.mnuUndo->trigger();
    EXPECT_FALSE(table.isWindowModified() || editor->isWindowModified());
    EXPECT_TRUE(SaveAndRead() == std::make_pair(eqp0, txt0));
    table.mnuRedo->trigger();
    table.mnuRedo->trigger();
    EXPECT_TRUE(Equipment.Records == edited.Records);
    table.mnuUndo->trigger();
    table.mnuUndo->trigger();
    table.close();

    // Create Unit, saved, then undone: the count and the shown unit go back.
    editor->seUnitCode->setValue(12);
    AnswerMessageBox(QMessageBox::Yes);
    editor->btnCreate->click();
    ASSERT_EQ(Equipment.UnitCount, 587);
    // Undone from the table, the new unit leaves the editor with its status.
    EXPECT_EQ(Status(), "Unit created");
    table.mnuUndo->trigger();
    EXPECT_EQ(editor->CurrentUnit, 585);
    EXPECT_EQ(Status(), "");
    table.mnuRedo->trigger();
    ASSERT_EQ(Equipment.UnitCount, 587);
    editor->btnSave->click();
    EXPECT_FALSE(editor->isWindowModified());
    EXPECT_EQ(editor->mnuUndo->text(), "Und&o Creation of unit 586");
    // Ctrl+Z from a field with nothing typed in it undoes the step.
    Spin("seHAtt")->setFocus();
    PressKey(editor.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Equipment.UnitCount, 586);
    EXPECT_EQ(editor->CurrentUnit, 12);
    EXPECT_TRUE(editor->seUnitCode->isEnabled() && editor->isWindowModified());
    const auto [eqp, txt] = SaveAndRead();
    EXPECT_TRUE(txt == txt0);
    // The record file is never shortened: the old last record stays behind.
    const std::size_t records = 2 + 586 * 73;
    EXPECT_TRUE(eqp.substr(0, records) == eqp0.substr(0, records));
    editor->mnuRedo->trigger();
    EXPECT_EQ(editor->CurrentUnit, 586);
    EXPECT_EQ(Name(586), Name(12));
    EXPECT_EQ(editor->edtHexCode->text(), "4A02");

    // A refused creation is no step.
    Equipment.UnitCount = 1023;
    AnswerMessageBox(QMessageBox::Yes);
    EXPECT_EQ(BoxText([&] { editor->btnCreate->click(); }), "Too many units");
    EXPECT_EQ(Equipment.UnitCount, 1023);
    EXPECT_EQ(editor->mnuUndo->text(), "Und&o Creation of unit 586");

    // A whole table replaced (an import) is one step too.
    const TEquipTable before = Equipment;
    TEquipTable imported = Equipment;
    imported.UnitCount = 3;
    imported.UnitNames[2] = "Imported";
    EquipmentDoc().Import(QStringLiteral("Import"), imported);
    EXPECT_EQ(Equipment.UnitCount, 3);
    editor->mnuUndo->trigger();
    EXPECT_TRUE(Equipment.Records == before.Records && Equipment.UnitNames == before.UnitNames);
    EXPECT_EQ(Equipment.UnitCount, 1023);
    editor->mnuRedo->trigger();
    EXPECT_EQ(editor->CurrentUnit, 1);
    EXPECT_EQ(Name(2), "Imported");

    editor->btnLoadClick();  // a load replaces the table and forgets its steps
    EXPECT_FALSE(editor->mnuUndo->isEnabled() || editor->isWindowModified());
}

// Filtering, sorting, an edit through the cell's own control, and picking a
// unit back into the editor, in the modal window opened from the menu.
TEST_F(UnitTableTest, TableFiltersSortsEditsAndPicksAUnit)
{
    EXPECT_FALSE(editor->mnuUnitTable->isEnabled());
    Load();
    std::uint16_t picked = 0;
    OnNextModal([&](QWidget* modal) {
        auto* table = qobject_cast<TfrmUnitTable*>(modal);
        ASSERT_NE(table, nullptr);
        QApplication::setActiveWindow(table);  // the keyboard's, as on a desktop
        QTableView* view = table->tvUnits;
        EXPECT_EQ(table->lblStatus->text(), "585 of 585 unit types");

        table->cbFilterCountry->setCurrentText("Germany");
        Type(table->edtFilter, "RI");
        int expected = 0;
        for (std::uint16_t code = 1; code < Equipment.UnitCount; ++code)
            expected += CountryName(code) == "Germany" &&
                        Name(code).contains("ri", Qt::CaseInsensitive);
        ASSERT_GT(expected, 0);
        EXPECT_EQ(table->lblStatus->text(), QStringLiteral("%1 of 585 unit types").arg(expected));
        table->edtFilter->clear();
        table->cbFilterCountry->setCurrentIndex(0);
        EXPECT_EQ(view->model()->rowCount(), 585);

        view->sortByColumn(HardAttackColumn, Qt::DescendingOrder);
        int highest = 0;
        for (std::uint16_t code = 1; code < Equipment.UnitCount; ++code)
            highest = std::max<int>(highest, Equipment.Records[code][4]);
        EXPECT_EQ(view->model()->index(0, HardAttackColumn).data().toInt(), highest);
        // The hex code is the stored code, low byte first: sorted by the code.
        view->sortByColumn(HexColumn, Qt::AscendingOrder);
        const auto storedCode = [&](int row) {
            const TEquipRecord& record = Equipment.Records[CodeAt(view, row)];
            return record[0] | record[1] << 8;
        };
        for (int row = 1; row < view->model()->rowCount(); ++row)
            ASSERT_LE(storedCode(row - 1), storedCode(row));
        view->sortByColumn(NameColumn, Qt::AscendingOrder);
        for (int row = 1; row < view->model()->rowCount(); ++row)
            ASSERT_LE(view->model()->index(row - 1, NameColumn).data().toString().compare(
                          view->model()->index(row, NameColumn).data().toString(),
                          Qt::CaseInsensitive),
                      0);

        // Typed into the cell: brought to the limit, as the editor's field does.
        const QModelIndex cell = CellOf(view, DemoUnit::Cost20, HardAttackColumn);
        view->setCurrentIndex(cell);
        QTest::keyClick(view, Qt::Key_F2);
        QWidget* field = view->indexWidget(cell);
        ASSERT_NE(field, nullptr);
        Type(field, "300");
        QTest::keyClick(field, Qt::Key_Return);  // commits once the event loop runs
        EXPECT_TRUE(WaitUntil([&] { return Equipment.Records[DemoUnit::Cost20][4] == 255; }));
        EXPECT_TRUE(table->isWindowModified());

        view->setCurrentIndex(view->model()->index(3, NameColumn));
        picked = CodeAt(view, 3);
        QTest::keyClick(view, Qt::Key_Return);
    });
    editor->mnuUnitTable->trigger();
    EXPECT_EQ(editor->CurrentUnit, picked);
    EXPECT_EQ(editor->edtUnitName->text(), Name(picked));
    EXPECT_EQ(Spin("seHAtt")->value(), Equipment.Records[picked][4]);
    EXPECT_FALSE(editor->UnitChanged);
    EXPECT_EQ(editor->mnuUndo->text(), "Und&o Change of Hard Attack of unit 30");

    // Escape: back to the editor, which shows CurrentUnit again.
    OnNextModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    editor->mnuUnitTable->trigger();
    EXPECT_EQ(editor->edtUnitName->text(), Name(picked));
}

// The country cell offers "(none)", and an untouched cell stores nothing,
// even when the unit has no country that the list could show.
TEST_F(UnitTableTest, CountryCellStoresOnlyWhatIsChosen)
{
    Load();
    constexpr std::uint16_t NoCountry = 3, Chosen = 4;
    for (std::size_t at = 30; at < 34; ++at)
        Equipment.Records[NoCountry][at] = 0;
    const TEquipTable before = Equipment;
    TfrmUnitTable table;
    table.Reload();
    table.show();
    QCoreApplication::processEvents();  // the editor's activation, before the table's
    QApplication::setActiveWindow(&table);
    QTableView* view = table.tvUnits;
    view->setFocus();
    const auto key = [](int key) {
        QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key));
        QCoreApplication::processEvents();  // the edit ends after the key
    };

    for (int leave : {Qt::Key_Return, Qt::Key_Tab}) {
        view->setCurrentIndex(CellOf(view, NoCountry, CountryColumn));
        key(Qt::Key_F2);
        ASSERT_NE(QApplication::focusWidget(), view);
        key(leave);
        EXPECT_TRUE(Equipment.Records == before.Records);
        EXPECT_EQ(EquipmentDoc().History()->count(), 0);
        EXPECT_TRUE(table.isVisible());
    }

    view->setCurrentIndex(CellOf(view, Chosen, CountryColumn));
    key(Qt::Key_F2);
    // The list shows every country whole, however narrow the column.
    auto* list = qobject_cast<QComboBox*>(QApplication::focusWidget());
    ASSERT_NE(list, nullptr);
    EXPECT_GE(list->width(), list->sizeHint().width());
    key(Qt::Key_Home);  // the first entry
    key(Qt::Key_Return);
    EXPECT_EQ(CellOf(view, Chosen, CountryColumn).data().toString(), "");
    for (std::size_t at = 30; at < 34; ++at)
        EXPECT_EQ(Equipment.Records[Chosen][at], 0);
    EXPECT_TRUE(table.isVisible());
}

// Scrolled right, a unit's name is still there to be typed over, and the
// table stays where it was scrolled.
TEST_F(UnitTableTest, NameTypedWhileScrolledRight)
{
    Load();
    TfrmUnitTable table;
    table.Reload();
    table.resize(500, 300);
    table.show();
    QCoreApplication::processEvents();  // the editor's activation, before the table's
    QApplication::setActiveWindow(&table);
    QTableView* view = table.tvUnits;
    view->setFocus();
    QScrollBar* across = view->horizontalScrollBar();
    across->setValue(across->maximum());
    const int scrolled = across->value();
    ASSERT_GT(scrolled, 0);

    view->setCurrentIndex(CellOf(view, 8, NameColumn));
    for (QChar c : QStringLiteral("Panzer"))
        QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_unknown, QString(c),
                            Qt::NoModifier);
    QWidget* editor = QApplication::focusWidget();
    ASSERT_NE(editor, view);
    EXPECT_TRUE(editor->isVisible());
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();  // the edit ends after the key
    EXPECT_EQ(Name(8), "Panzer");
    EXPECT_EQ(across->value(), scrolled);
    EXPECT_TRUE(table.isVisible());
    // The keyboard is back with the table, for the next key.
    ASSERT_EQ(QApplication::focusWidget(), view);

    // Tab from the name moves on along the row, not within the columns kept in view.
    QTest::keyClick(view, Qt::Key_F2);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCoreApplication::processEvents();
    EXPECT_EQ(view->currentIndex(), CellOf(view, 8, NameColumn + 1));
}
