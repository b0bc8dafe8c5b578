#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <optional>
#include <random>

#include "sgeditor/SaveUnits.h"
#include "sgeditor/SaveUnitsModel.h"
#include "tests/support/GameFormat.h"
#include "widgets/BulkEditDialog.h"
#include "tests/sgeditor/SGWindowsFixture.h"

namespace {

// Columns of the unit table, as the window shows them.
enum Column { No, UnitCode, UnitName, Country, TransportCode, TransportName, Experience, Fuel,
              TotalStrength, CurrentStrength };
// The columns of the six values a user can edit.
constexpr int FieldColumns[] = {UnitCode, TransportCode, Experience, Fuel, TotalStrength,
                                CurrentStrength};

class SaveUnitsWindowTest : public SGWindowsTest {
protected:
    // Opens the unit table from the editor and runs act in it; the table
    // is then closed with "&Close" unless act closed it. With answer, the
    // question about unstored changes must come first and gets it.
    void InTable(const std::function<void(TfrmSaveUnits&)>& act,
                 std::optional<QMessageBox::StandardButton> answer = {})
    {
        const auto inTable = [act](QWidget* modal) {
            auto* table = qobject_cast<TfrmSaveUnits*>(modal);
            if (table == nullptr) {
                ADD_FAILURE() << "no unit table";
                modal->close();
                return;
            }
            // Active at once: an activation arriving later moves the focus,
            // which would end a cell's edit.
            QApplication::setActiveWindow(table);
            act(*table);
            if (table->isVisible())
                table->btnClose->click();
        };
        if (!answer) {
            OnNextModal(inTable);
        } else {
            OnNextModal([inTable, answer](QWidget* modal) {
                auto* box = qobject_cast<QMessageBox*>(modal);
                if (box == nullptr) {
                    ADD_FAILURE() << "no question";
                    modal->close();
                    return;
                }
                OnNextModal(inTable);
                box->button(*answer)->click();
            });
        }
        editor->mnuSaveUnits->trigger();
    }
    static QModelIndex Cell(TfrmSaveUnits& table, int row, int column)
    {
        return table.tvSaveUnits->model()->index(row, column);
    }
    // Picks unit k in the table with Enter, which shows it in the editor.
    void ShowUnit(int k)
    {
        InTable([k](TfrmSaveUnits& table) {
            table.tvSaveUnits->setCurrentIndex(Cell(table, k, No));
            QTest::keyClick(table.tvSaveUnits, Qt::Key_Return);
        });
    }
    std::string SavedBytes()
    {
        editor->btnSave->click();
        return ReadBytes(Campaign());
    }
    // Where the saved file first differs from expected, -1 where nowhere.
    long SavedDifference(const std::string& expected)
    {
        const std::string saved = SavedBytes();
        if (saved.size() != expected.size())
            return static_cast<long>(std::min(saved.size(), expected.size()));
        const auto differs = std::mismatch(saved.begin(), saved.end(), expected.begin());
        return differs.first == saved.end() ? -1 : differs.first - saved.begin();
    }
    QAction* EditorUndo() const { return editor->findChild<QAction*>("mnuUndo"); }
    void Undo() { EditorUndo()->trigger(); }

    // Changes every unit in the table through "Change Selected...".
    static void BulkEditAll(TfrmSaveUnits& table, const QString& column, const QString& operation,
                            int value = 0)
    {
        table.tvSaveUnits->selectAll();
        OnNextModal([=](QWidget* modal) {
            auto* dialog = qobject_cast<BulkEditDialog*>(modal);
            if (dialog == nullptr)
                return ADD_FAILURE() << "no bulk edit dialog", modal->close(), void();
            dialog->cbBulkField->setCurrentText(column);
            dialog->cbBulkOp->setCurrentText(operation);
            dialog->seBulkValue->setValue(value);
            dialog->accept();
        });
        table.btnBulkEdit->click();
    }

    // The editor's field for a column of the table, and the numbers a user
    // can type into it: as many digits as it has room for.
    static int TypedBelow(int column)
    {
        return column == Experience ? 100000 : column >= TotalStrength ? 100 : 1000;
    }
    SpinField* FieldOf(int column) const
    {
        switch (column) {
        case UnitCode: return editor->seUnitCode;
        case TransportCode: return editor->seTransportCode;
        case Experience: return editor->seExperience;
        case Fuel: return editor->seFuel1;
        case TotalStrength: return editor->seTotalStr;
        default: return editor->seCurrentStr;
        }
    }
};

// The record bytes of a column's value, as offsets in the unit's record:
// the codes at both places.
std::vector<std::size_t> BytesOf(int column)
{
    namespace Sav = GameFormat::Sav;
    switch (column) {
    case UnitCode: return {Sav::TypeCode, Sav::TypeCode + 1, Sav::TypeCodeCopy, Sav::TypeCodeCopy + 1};
    case TransportCode: return {Sav::TransportCode, Sav::TransportCode + 1};
    case Experience: return {Sav::Experience, Sav::Experience + 1};
    case Fuel: return {Sav::UnitFuel};
    case TotalStrength: return {Sav::TotalStrength};
    default: return {Sav::CurrentStrength};
    }
}

// A cell stores its value as "&Update" stores it, and no other value of the
// unit: those stay as stored, even where shown at a limit.
TEST_F(SaveUnitsWindowTest, CellEditStoresItsValueAsUpdateDoes)
{
    LoadCampaign();
    const std::string loaded = ReadBytes(Campaign());
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    std::mt19937 random(seed);
    for (int round = 0; round < 30; ++round) {
        // The special units first, then any; each field below its minimum
        // first, then any value a user can type.
        const int unit = round < 9 ? round : static_cast<int>(random() % CampaignUnitCount);
        const int column = FieldColumns[round < 6 ? round : random() % 6];
        const int typed = round < 6 ? -1 : static_cast<int>(random() % (TypedBelow(column) + 9)) - 9;
        SCOPED_TRACE(testing::Message() << "unit " << unit << " column " << column << " value " << typed);

        ShowUnit(unit);
        ASSERT_EQ(editor->edtUnitNo->text(), QString::number(unit + 1));
        const int shown = FieldOf(column)->value();
        FieldOf(column)->setValue(typed);
        const bool changes = FieldOf(column)->value() != shown;
        editor->btnUpdate->click();
        const std::string updated = SavedBytes();
        Undo();

        InTable([&](TfrmSaveUnits& table) {
            table.tvSaveUnits->model()->setData(Cell(table, unit, column), typed);
        });
        // A value that leaves the shown one writes nothing; a total
        // strength lowers a higher current strength to it.
        std::string expected = loaded;
        const std::size_t record = CampaignListAt + GameFormat::Sav::RecordSize * unit;
        for (std::size_t at : BytesOf(column))
            if (changes)
                expected[record + at] = updated[record + at];
        if (changes && column == TotalStrength) {
            const unsigned char total = expected[record + GameFormat::Sav::TotalStrength];
            char& current = expected[record + GameFormat::Sav::CurrentStrength];
            current = static_cast<char>(std::min<unsigned char>(current, total));
        }
        EXPECT_EQ(SavedDifference(expected), -1);
        Undo();
        ASSERT_EQ(SavedDifference(loaded), -1);
    }
}

// Opened again, the table keeps its filter and sort order, and shows the
// save game loaded since.
TEST_F(SaveUnitsWindowTest, ReopenedTableKeepsItsFilterAndShowsTheNewLoad)
{
    LoadCampaign();
    InTable([](TfrmSaveUnits& table) {
        table.edtFilter->setFocus();
        QTest::keyClicks(QApplication::focusWidget(), "e");
        table.tvSaveUnits->sortByColumn(Experience, Qt::DescendingOrder);
    });
    Load(Save(ScenarioFile));
    InTable([](TfrmSaveUnits& table) {
        EXPECT_EQ(table.edtFilter->text(), "e");
        EXPECT_EQ(table.tvSaveUnits->horizontalHeader()->sortIndicatorSection(), Experience);
        EXPECT_TRUE(table.lblStatus->text().endsWith(QStringLiteral(" of %1 units").arg(ScenarioUnitCount)))
            << table.lblStatus->text().toStdString();
        QAbstractItemModel* rows = table.tvSaveUnits->model();
        for (int row = 1; row < rows->rowCount(); ++row)
            EXPECT_GE(rows->index(row - 1, Experience).data().toInt(), rows->index(row, Experience).data().toInt());
    });
}

TEST_F(SaveUnitsWindowTest, EditorChangesAreStepsThatUndoShows)
{
    LoadCampaign();
    const std::string loaded = ReadBytes(Campaign());
    QAction* redo = editor->findChild<QAction*>("mnuRedo");
    EXPECT_FALSE(EditorUndo()->isEnabled());
    EXPECT_EQ(editor->windowTitle(), "Duvari 2 Save Game Editor");

    // Typing a prestige is one step; a Yes to the question before the
    // table is another, which the table shows.
    editor->sePrestige->clear();
    QTest::keyClicks(editor->sePrestige, "9876");
    editor->seFuel1->setValue(12);
    InTable([](TfrmSaveUnits& table) {
        EXPECT_EQ(Cell(table, 0, Fuel).data().toInt(), 12);
        // A double-click picks the unit, even on a cell that can be edited.
        const QRect cell = table.tvSaveUnits->visualRect(Cell(table, 3, Fuel));
        QTest::mouseClick(table.tvSaveUnits->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(table.tvSaveUnits->viewport(), Qt::LeftButton, {}, cell.center());
    }, QMessageBox::Yes);
    EXPECT_EQ(editor->edtUnitNo->text(), "4");
    EXPECT_EQ(EditorUndo()->text(), "Und&o Update of unit 1");
    EXPECT_TRUE(editor->isWindowModified());

    Undo();  // shows the unit the step changed
    EXPECT_EQ(editor->edtUnitNo->text(), "1");
    EXPECT_EQ(editor->seFuel1->value(), CampaignSpecialUnits[0].UnitFuel);
    EXPECT_EQ(redo->text(), "&Redo Update of unit 1");
    Undo();
    EXPECT_EQ(editor->sePrestige->value(), CampaignPrestige);
    EXPECT_EQ(SavedDifference(loaded), -1);
    EXPECT_FALSE(editor->isWindowModified());

    redo->trigger();
    EXPECT_EQ(editor->sePrestige->value(), 9876);
    EXPECT_TRUE(editor->isWindowModified());
    Load(Campaign());  // a load forgets every step
    EXPECT_FALSE(EditorUndo()->isEnabled());
    EXPECT_FALSE(redo->isEnabled());
    EXPECT_FALSE(editor->isWindowModified());
}

TEST_F(SaveUnitsWindowTest, BulkEditOfAllUnitsIsOneStepAndItsUndoRestoresTheFile)
{
    LoadCampaign();
    const std::string loaded = ReadBytes(Campaign());
    InTable([&](TfrmSaveUnits& table) {
        BulkEditAll(table, "Fuel", "Multiply by %", 150);
        EXPECT_TRUE(table.isWindowModified());
        table.findChild<QAction*>("mnuUndo")->trigger();
        BulkEditAll(table, "Current Strength", "Set to total strength");
    });
    EXPECT_TRUE(editor->isWindowModified());

    // The current strength (record byte 20) of each unit is its total
    // strength (byte 35). Units with a total of 0 or above the limit 15, and
    // units shown at full strength, are not written at all.
    std::string expected = loaded;
    int changed = 0;
    for (int unit = 0; unit < CampaignUnitCount; ++unit) {
        const std::size_t at = CampaignListAt + 65 * static_cast<std::size_t>(unit);
        const int current = static_cast<std::uint8_t>(loaded[at + 20]);
        const int total = static_cast<std::uint8_t>(loaded[at + 35]);
        if (total != 0 && total <= 15 && current < total) {
            expected[at + 20] = static_cast<char>(total);
            ++changed;
        }
    }
    EXPECT_EQ(EditorUndo()->text(),
              QString("Und&o Change of Current Strength of %1 units").arg(changed));
    EXPECT_EQ(SavedDifference(expected), -1);
    EXPECT_FALSE(editor->isWindowModified());

    Undo();
    EXPECT_TRUE(editor->isWindowModified());
    EXPECT_EQ(SavedDifference(loaded), -1);
    EXPECT_FALSE(EditorUndo()->isEnabled());
}

TEST_F(SaveUnitsWindowTest, RandomEditsUndoneAndRedoneGiveBackTheSameFiles)
{
    LoadCampaign();
    const std::string loaded = ReadBytes(Campaign());
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    std::mt19937 random(seed);
    const QStringList bulkColumns = {"Experience", "Fuel", "Total Strength", "Current Strength"};
    const QStringList operations = {"Set to", "Add", "Multiply by %", "Set to total strength"};
    InTable([&](TfrmSaveUnits& table) {
        QAbstractItemModel* rows = table.tvSaveUnits->model();
        QAction* undo = table.findChild<QAction*>("mnuUndo");
        for (int step = 0; step < 40; ++step) {
            table.tvSaveUnits->sortByColumn(static_cast<int>(random() % 10),
                                            random() % 2 ? Qt::AscendingOrder : Qt::DescendingOrder);
            const int value = static_cast<int>(random() % 1200) - 100;
            switch (random() % 4) {
            case 0:
                rows->setData(rows->index(static_cast<int>(random() % CampaignUnitCount),
                                          FieldColumns[random() % 6]),
                              value);
                break;
            case 1:
                BulkEditAll(table, bulkColumns[random() % 4], operations[random() % 4], value);
                break;
            default:
                if (undo->isEnabled())
                    undo->trigger();
            }
            // Every row keeps to the limits of its field, each row to its own.
            for (int row = 0; row < CampaignUnitCount; ++row)
                for (int column : FieldColumns) {
                    const QModelIndex cell = rows->index(row, column);
                    ASSERT_GE(cell.data().toInt(), cell.data(MinimumRole).toInt());
                    ASSERT_LE(cell.data().toInt(), cell.data(MaximumRole).toInt());
                }
        }
    });
    // Every step redone, then all undone, then all redone again.
    QAction* redo = editor->findChild<QAction*>("mnuRedo");
    while (redo->isEnabled())
        redo->trigger();
    const std::string edited = SavedBytes();
    while (EditorUndo()->isEnabled())
        Undo();
    EXPECT_EQ(SavedDifference(loaded), -1);
    while (redo->isEnabled())
        redo->trigger();
    EXPECT_EQ(SavedDifference(edited), -1);
}

TEST_F(SaveUnitsWindowTest, RowsShowWhatTheEditorShowsAndStoredValuesSurvive)
{
    // A table of 1024 unit types, and a unit of type 1005 with transport
    // 1023, experience 65535, total strength 0 and current strength 200.
    LoadEquipment(game + "EQUIP97.EQP", game + "EQUIP97.TXT");
    for (int code = Equipment.UnitCount; code < 1024; ++code)
        Equipment.UnitNames[code] = "Big " + std::to_string(code);
    Equipment.UnitCount = 1024;
    SaveEquipment(game + "EQUIP97.EQP", game + "EQUIP97.TXT");
    constexpr int BigUnit = 9;
    const std::size_t at = CampaignListAt + 65 * BigUnit;
    std::string bytes = ReadBytes(Campaign());
    bytes.replace(at, 12, std::string("\xED\x03\xFF\x03\0\0\0\0\xFF\xFF\xED\x03", 12));
    bytes[at + 20] = '\xC8';
    bytes[at + 22] = 33;
    bytes[at + 35] = 0;
    WriteBytes(Campaign(), bytes);
    LoadCampaign();

    // Every row as the editor shows its unit, the 4-digit codes in full.
    std::vector<QStringList> rows;
    InTable([&](TfrmSaveUnits& table) {
        for (int row = 0; row < CampaignUnitCount; ++row) {
            rows.emplace_back();
            for (int column = No; column <= CurrentStrength; ++column)
                rows.back() << Cell(table, row, column).data().toString();
        }
    });
    ASSERT_EQ(rows.size(), std::size_t{CampaignUnitCount});
    EXPECT_EQ(rows[BigUnit].join('|'), "10|1005|Big 1005||1023|Big 1023|65000|33|0|200");
    for (int unit = 0; unit < CampaignUnitCount; ++unit, editor->btnNext->click()) {
        if (unit == BigUnit)
            continue;  // the editor's code fields have room for 3 digits
        const QStringList shown = {
            editor->edtUnitNo->text(), editor->seUnitCode->text(), editor->edtUnitName->text(),
            editor->edtUnitCountry->text(), editor->seTransportCode->text(),
            editor->edtTransportName->text(), editor->seExperience->text(),
            editor->seFuel1->text(), editor->seTotalStr->text(), editor->seCurrentStr->text()};
        EXPECT_EQ(rows[unit].join('|'), shown.join('|'));
    }

    // Sorting, filtering and a value typed as shown write nothing; an edit
    // writes that unit only.
    const std::string loaded = ReadBytes(Campaign());
    InTable([&](TfrmSaveUnits& table) {
        QTableView* view = table.tvSaveUnits;
        for (int column = CurrentStrength; column >= No; --column)
            view->sortByColumn(column, Qt::DescendingOrder);
        view->sortByColumn(No, Qt::AscendingOrder);
        QTest::keyClicks(table.edtFilter, "BIG 10");
        ASSERT_EQ(view->model()->rowCount(), 1);
        EXPECT_EQ(Cell(table, 0, No).data().toInt(), BigUnit + 1);
        for (int column : FieldColumns)
            view->model()->setData(Cell(table, 0, column), Cell(table, 0, column).data());
        table.edtFilter->clear();
        // Typed into the cell's editor.
        view->setCurrentIndex(Cell(table, BigUnit + 1, Fuel));
        QTest::keyClick(view, Qt::Key_F2);
        auto* field = view->findChild<SpinField*>();
        ASSERT_NE(field, nullptr);
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(field, "44");
        QTest::keyClick(field, Qt::Key_Return);
    });
    std::string edited = loaded;
    edited[at + 65 + 22] = 44;
    EXPECT_EQ(SavedDifference(edited), -1);

    // A change of the unit itself writes only its value: experience 65535,
    // shown as 65000, stays as stored.
    InTable([&](TfrmSaveUnits& table) {
        table.tvSaveUnits->model()->setData(Cell(table, BigUnit, Fuel), 34);
    });
    std::string record = loaded.substr(at, 36);
    record[22] = 34;
    EXPECT_EQ(SavedBytes().substr(at, 36), record);

    // Four-digit codes can be typed into the editor too.
    editor->show();
    QApplication::setActiveWindow(editor.get());
    editor->seTransportCode->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), "1020");
    EXPECT_EQ(editor->seTransportCode->value(), 1020);
    editor->hide();
}

}  // namespace

// A unit code that the next load would not take for a unit is refused
// where it is typed, with its reason, and nothing is stored.
TEST_F(SaveUnitsWindowTest, UnitCodeThatWouldBreakTheListIsRefusedInACell)
{
    LoadCampaign();
    const std::string loaded = ReadBytes(Campaign());
    InTable([](TfrmSaveUnits& table) {
        QString text;
        QTimer answer;  // the box opens over the table, itself modal
        QObject::connect(&answer, &QTimer::timeout, [&text] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                text = box->text();
                box->button(QMessageBox::Ok)->click();
            }
        });
        answer.start(10);
        table.tvSaveUnits->setFocus();
        table.tvSaveUnits->setCurrentIndex(Cell(table, 0, UnitCode));
        for (QChar c : QStringLiteral("256")) {
            QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_unknown, QString(c),
                                Qt::NoModifier);
            QCoreApplication::processEvents();
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_TRUE(QTest::qWaitFor([&text] { return !text.isEmpty(); }));
        EXPECT_TRUE(text.startsWith("The unit code 256 would break the unit list")) << text.toStdString();
        EXPECT_TRUE(table.isVisible());
        QCoreApplication::processEvents();
        // The keyboard is back with the table once the box is answered.
        EXPECT_EQ(QApplication::focusWidget(), table.tvSaveUnits)
            << (QApplication::focusWidget() ? QApplication::focusWidget()->metaObject()->className() : "none");
    });
    EXPECT_EQ(SavedDifference(loaded), -1);
}
