// The table windows, driven by the keyboard: each key goes to the widget
// that has the focus, through whatever cell editor opens. One test suite,
// run against the unit table and the save game's unit list alike.
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QScrollBar>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <QUndoStack>
#include <gtest/gtest.h>

#include "data/Equipment.h"
#include "sgeditor/SaveGame.h"
#include "sgeditor/SaveUnits.h"
#include "tests/support/GameFormat.h"
#include "tests/support/QtTestSupport.h"
#include "tests/support/TestSupport.h"
#include "tools/makedemo/DemoSaves.h"
#include "equipment/EquipmentDocument.h"
#include "uieditor/UnitTable.h"
#include "widgets/BulkEditDialog.h"
#include "widgets/SpinField.h"

namespace {

// The unit table over the demo catalogue.
struct UnitTableWindow {
    UnitTableWindow()
    {
        CopyDemo(dir.path());
        LoadEquipment(dir / "EQUIP97.EQP", dir / "EQUIP97.TXT");
        EquipmentDoc().History()->clear();
        window.Reload();
    }
    QTableView* View() const { return window.tvUnits; }
    // Hard Attack: 0 to 255 for every unit.
    static constexpr int NumberColumn = 14;
    static constexpr const char* BulkColumn = "Hard Attack";
    int Stored(int row) const
    {
        return Equipment.Records[View()->model()->index(row, 0).data().toInt()]
                                [GameFormat::Eqp::HardAttack];
    }
    int Steps() const { return EquipmentDoc().History()->count(); }
    // What a pick of the row gives: its unit code, in column 0.
    static int PickOf(int column0) { return column0; }
    int Chosen() const { return window.ChosenUnit(); }

    TempDir dir;
    TfrmUnitTable window;
};

// The demo campaign, loaded before its window opens.
struct LoadedCampaign {
    LoadedCampaign()
    {
        CopyDemo(dir.path());
        LoadEquipment(dir / "EQUIP97.EQP", dir / "EQUIP97.TXT");
        image.LoadFromFile(dir / "SAVE/" + DemoSaves::CampaignFile);
    }
    TempDir dir;
    TSaveGame image;
};

// The unit list of the demo campaign.
struct SaveUnitsWindow : LoadedCampaign {
    QTableView* View() const { return window.tvSaveUnits; }
    // Fuel: 0 to 255.
    static constexpr int NumberColumn = 7;
    // Experience: 0 to 65000, so that an "Add" of -65000 reaches 0 from anywhere.
    static constexpr const char* BulkColumn = "Experience";
    int Stored(int row) const
    {
        const int unit = View()->model()->index(row, 0).data().toInt() - 1;
        return image.Data()[image.UnitOffset(unit) + GameFormat::Sav::UnitFuel];
    }
    int Steps() const { return stack.count(); }
    // What a pick of the row gives: its unit's index, one below its No.
    static int PickOf(int column0) { return column0 - 1; }
    int Chosen() const { return window.ChosenUnit(); }

    QUndoStack stack;
    TfrmSaveUnits window{image, &stack};
};

QWidget* Focused()
{
    QWidget* focused = QApplication::focusWidget();
    EXPECT_NE(focused, nullptr);
    return focused;
}

// A key to the widget that has the focus; the events it starts are
// processed before the next key, as between two keystrokes of a user.
void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    if (QWidget* focused = Focused())
        QTest::keyClick(focused, static_cast<Qt::Key>(key), modifiers);
    QCoreApplication::processEvents();
}

void Keys(const QString& text)
{
    for (QChar c : text) {
        if (QWidget* focused = Focused())
            QTest::sendKeyEvent(QTest::Click, focused, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QCoreApplication::processEvents();
    }
}

template <class Table>
class TableKitTest : public testing::Test {
protected:
    void SetUp() override
    {
        table.window.show();
        // Active at once: an activation arriving later moves the focus,
        // which would end a cell's edit.
        QApplication::setActiveWindow(&table.window);
        table.View()->setFocus();
    }
    QModelIndex Cell(int row, int column) const { return table.View()->model()->index(row, column); }
    int Shown(int row, int column) const { return Cell(row, column).data().toInt(); }

    Table table;
};

using Tables = testing::Types<UnitTableWindow, SaveUnitsWindow>;
TYPED_TEST_SUITE(TableKitTest, Tables);

// Digits typed into a cell replace its value; Enter and Tab end the edit
// and keep the window open; Escape leaves a cell as it was; Enter without
// an edit picks the row.
TYPED_TEST(TableKitTest, TypingEditsTheCellAndEnterPicksOnlyOutsideAnEdit)
{
    auto& table = this->table;
    const int column = table.NumberColumn;
    table.View()->setCurrentIndex(this->Cell(2, column));
    const int typed = this->Shown(2, column) == 5 ? 6 : 5;
    Keys(QString::number(typed));
    ASSERT_NE(Focused(), table.View());  // the cell's editor
    Key(Qt::Key_Return);
    EXPECT_EQ(this->Shown(2, column), typed);
    EXPECT_EQ(table.Stored(2), typed);
    EXPECT_TRUE(table.window.isVisible());

    table.View()->setCurrentIndex(this->Cell(3, column));
    Keys("17");
    Key(Qt::Key_Tab);
    EXPECT_EQ(this->Shown(3, column), 17);
    EXPECT_EQ(table.Stored(3), 17);
    EXPECT_TRUE(table.window.isVisible());

    const int steps = table.Steps();
    table.View()->setCurrentIndex(this->Cell(4, column));
    const int before = this->Shown(4, column);
    Keys("9");
    Key(Qt::Key_Escape);
    EXPECT_EQ(this->Shown(4, column), before);
    EXPECT_EQ(table.Steps(), steps);
    EXPECT_TRUE(table.window.isVisible());
    EXPECT_EQ(Focused(), table.View());

    Key(Qt::Key_Return);
    EXPECT_FALSE(table.window.isVisible());
    EXPECT_EQ(table.Chosen(), table.PickOf(this->Shown(4, 0)));
}

// Ctrl+E works from the filter box, where the focus starts; the bulk
// dialog takes a change as wide as its column's range.
TYPED_TEST(TableKitTest, ChangeSelectedFromTheFilterBoxTakesAnyChange)
{
    auto& table = this->table;
    QAbstractItemModel* rows = table.View()->model();
    int column = 0;
    while (rows->headerData(column, Qt::Horizontal).toString() != table.BulkColumn)
        ++column;
    int nonZero = 0;
    for (int row = 0; row < rows->rowCount(); ++row)
        nonZero += this->Shown(row, column) != 0;
    table.View()->selectAll();
    table.window.template findChild<QWidget*>("edtFilter")->setFocus();
    bool opened = false;
    OnNextModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<BulkEditDialog*>(modal);
        if (dialog == nullptr)
            return ADD_FAILURE() << "no bulk edit dialog", modal->close(), void();
        opened = true;
        QApplication::setActiveWindow(dialog);
        dialog->cbBulkField->setCurrentText(table.BulkColumn);
        dialog->cbBulkOp->setCurrentIndex(BulkEditDialog::Add);
        dialog->seBulkValue->setFocus();
        Key(Qt::Key_A, Qt::ControlModifier);
        Keys("-65000");
        EXPECT_EQ(dialog->lblBulkCount->text(), QStringLiteral("Changes %1 of the %2 selected rows")
                                                    .arg(nonZero)
                                                    .arg(rows->rowCount()));
        Key(Qt::Key_Return);
    });
    Key(Qt::Key_E, Qt::ControlModifier);
    ASSERT_TRUE(opened);
    for (int row = 0; row < rows->rowCount(); ++row)
        ASSERT_EQ(this->Shown(row, column), 0) << "row " << row;
}

// Undo and redo answer their keys from the filter box too, once it has no
// typing of its own to take back; every Alt letter of the window answers.
TYPED_TEST(TableKitTest, UndoKeysReachTheTableFromTheFilterBox)
{
    auto& table = this->table;
    EXPECT_EQ(ClashingAltLetters(&table.window), QStringList());
    const int column = table.NumberColumn;
    const int before = this->Shown(2, column), after = before == 5 ? 6 : 5;
    table.View()->setCurrentIndex(this->Cell(2, column));
    Keys(QString::number(after));
    Key(Qt::Key_Return);
    auto* filter = table.window.template findChild<QLineEdit*>("edtFilter");
    filter->setFocus();
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(this->Shown(2, column), before);
    Key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(this->Shown(2, column), after);
    Key(Qt::Key_Z, Qt::ControlModifier);
    Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(this->Shown(2, column), after);

    Keys("x");
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(filter->text(), "");
    EXPECT_EQ(this->Shown(2, column), after);
}

// Scrolled right as far as it goes, the table still shows the first
// columns, up to the unit name, where they were; the rest fit their texts.
TYPED_TEST(TableKitTest, FirstColumnsStayInViewWhileScrollingRight)
{
    auto& table = this->table;
    QTableView* view = table.View();
    for (int column = 0; column < view->model()->columnCount(); ++column)
        for (int row = 0; row < 20; ++row) {
            const QString text = this->Cell(row, column).data().toString();
            ASSERT_GE(view->columnWidth(column), view->fontMetrics().horizontalAdvance(text))
                << "column " << column << " row " << row;
        }

    table.window.resize(400, 300);
    QCoreApplication::processEvents();
    const auto headerAt = [&](int x) {
        const QPoint at = view->horizontalHeader()->mapTo(&table.window, QPoint(x, 2));
        auto* header = qobject_cast<QHeaderView*>(table.window.childAt(at)->parentWidget());
        EXPECT_NE(header, nullptr);
        return header == nullptr ? -1 : header->logicalIndexAt(header->mapFrom(&table.window, at));
    };
    const int nameColumn = 2;
    const int nameAt = view->columnViewportPosition(nameColumn) + 2;
    EXPECT_EQ(headerAt(nameAt), nameColumn);
    view->horizontalScrollBar()->setValue(view->horizontalScrollBar()->maximum());
    ASSERT_GT(view->horizontalScrollBar()->value(), 0);
    EXPECT_EQ(headerAt(nameAt), nameColumn);
    EXPECT_EQ(headerAt(2), 0);
}

}  // namespace
