#include <QTableWidget>

#include "tests/sgeditor/SGWindowsFixture.h"
#include "tests/support/GameFormat.h"

namespace {

class FindUnitWindowTest : public SGWindowsTest {
protected:
    void SetUp() override
    {
        SGWindowsTest::SetUp();
        LoadCampaign();
    }
    // Opens the list from button, makes row current and selects it or exits.
    void Pick(QPushButton* button, int row, bool select = true)
    {
        OnNextModal([this, row, select](QWidget*) {
            list->sgUnit->setCurrentCell(row, 0);
            (select ? list->btnSelect : list->btnExit)->click();
        });
        button->click();
    }
    QString Cell(int row, int column) const { return list->sgUnit->item(row, column)->text(); }
};

TEST_F(FindUnitWindowTest, EveryOpeningListsEachUnitCodeInItsOwnRow)
{
    Pick(editor->btnFindUnit, 37, false);
    ASSERT_EQ(list->sgUnit->rowCount(), DemoUnit::Count);
    EXPECT_EQ(Cell(0, 0), QString(38, ' ') + "Unit Name");
    EXPECT_EQ(Cell(DemoUnit::LastCode, 0), Name(DemoUnit::LastCode));
    EXPECT_EQ(Cell(37, 1), GameFormat::CountryOf(Equipment.Records[37].data()));
    // Cancelled, it changed nothing.
    EXPECT_EQ(editor->seUnitCode->value(), CampaignSpecialUnits[0].TypeCode);
    EXPECT_EQ(Status(), "GAME1.CSV save game data loaded");

    Equipment.UnitCount = 100;
    Equipment.UnitNames[10].clear();
    OnNextModal([this](QWidget*) {
        EXPECT_EQ(list->sgUnit->currentRow(), 0);
        EXPECT_EQ(list->sgUnit->rowCount(), 100);
        EXPECT_EQ(Cell(10, 0), "");
        EXPECT_EQ(Cell(11, 0), Name(11));
        list->btnExit->click();
    });
    editor->btnFindUnit->click();
}

TEST_F(FindUnitWindowTest, SelectingSetsTheTargetCodeAsIfTyped)
{
    Pick(editor->btnFindUnit, CampaignSpecialUnits[0].TypeCode);  // the code already shown
    EXPECT_EQ(Status(), "GAME1.CSV save game data loaded");

    Pick(editor->btnFindTransport, 37);
    EXPECT_EQ(editor->seTransportCode->value(), 37);
    EXPECT_EQ(editor->edtTransportName->text(), Name(37));
    EXPECT_EQ(editor->seUnitCode->value(), CampaignSpecialUnits[0].TypeCode);
    EXPECT_EQ(Status(), "Unit Information has been changed");
    Pick(editor->btnFindTransport, 0);
    EXPECT_EQ(editor->edtTransportName->text(), "");

    Pick(editor->btnFindUnit, 37);
    EXPECT_EQ(editor->seUnitCode->value(), 37);
    EXPECT_EQ(editor->edtUnitName->text(), Name(37));
    Pick(editor->btnFindUnit, 0);  // the title row: the lowest unit code
    EXPECT_EQ(editor->seUnitCode->value(), 1);
}

}  // namespace
