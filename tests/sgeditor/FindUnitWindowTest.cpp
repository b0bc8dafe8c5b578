#include <QTableWidget>

#include "tests/sgeditor/SGWindowsFixture.h"

namespace {

class FindUnitWindowTest : public SGWindowsTest {
protected:
    void SetUp() override
    {
        SGWindowsTest::SetUp();
        LoadCampaign();
    }
    // Opens the list from button, puts the current cell in row and presses
    // "Select Unit" (or "Cancel").
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

TEST_F(FindUnitWindowTest, ListsEveryUnitCodeInItsOwnRowBelowTheTitles)
{
    Equipment.UnitNames[10].clear();
    Pick(editor->btnFindUnit, 0, false);

    ASSERT_EQ(list->sgUnit->rowCount(), DemoUnit::Count);
    EXPECT_EQ(Cell(0, 0), QString(38, ' ') + "Unit Name");
    EXPECT_EQ(Cell(0, 1), QString(17, ' ') + "Country");
    EXPECT_EQ(Cell(10, 0), "");
    EXPECT_EQ(Cell(11, 0), QString::fromStdString(Equipment.UnitNames[11]));
    EXPECT_EQ(Cell(DemoUnit::LastCode, 0),
              QString::fromStdString(Equipment.UnitNames[DemoUnit::LastCode]));
    EXPECT_EQ(Cell(DemoUnit::Accented[0], 0).size(), Equipment.UnitNames[60].size());
    EXPECT_EQ(Cell(37, 1), QString::fromStdString(std::string(*CountryName(37))));
    EXPECT_EQ(list->sgUnit->columnWidth(0), 315);
    EXPECT_EQ(list->sgUnit->columnWidth(1), 130);
}

TEST_F(FindUnitWindowTest, EveryOpeningRebuildsTheListWithTheTitleRowSelected)
{
    Pick(editor->btnFindUnit, 37, false);
    Equipment.UnitCount = 100;
    Equipment.UnitNames[5] = "Renamed";
    OnNextModal([this](QWidget*) {
        EXPECT_EQ(list->sgUnit->currentRow(), 0);
        EXPECT_EQ(list->sgUnit->rowCount(), 100);
        EXPECT_EQ(Cell(5, 0), "Renamed");
        list->btnSelect->click();
    });
    editor->btnFindTransport->click();
    EXPECT_EQ(editor->seTransportCode->value(), 0);
}

TEST_F(FindUnitWindowTest, SelectingATransportSetsTheTransportCodeAsIfTyped)
{
    Pick(editor->btnFindTransport, 37);

    EXPECT_EQ(editor->seTransportCode->value(), 37);
    EXPECT_EQ(editor->edtTransportName->text(), QString::fromStdString(Equipment.UnitNames[37]));
    EXPECT_EQ(editor->edtTransportHexCode->text(), "2500");
    EXPECT_EQ(editor->seUnitCode->value(), DemoSaves::CampaignSpecialUnits[0].TypeCode);
    EXPECT_EQ(Status(), "Unit Information has been changed");

    Pick(editor->btnFindTransport, 0);
    EXPECT_EQ(editor->seTransportCode->value(), 0);
    EXPECT_EQ(editor->edtTransportName->text(), "");
}

TEST_F(FindUnitWindowTest, SelectingAUnitSetsTheUnitCode)
{
    Pick(editor->btnFindUnit, 37);
    EXPECT_EQ(editor->seUnitCode->value(), 37);
    EXPECT_EQ(editor->edtUnitName->text(), QString::fromStdString(Equipment.UnitNames[37]));

    Pick(editor->btnFindUnit, 0);  // the title row: the lowest unit code
    EXPECT_EQ(editor->seUnitCode->value(), 1);
}

TEST_F(FindUnitWindowTest, CancelOrTheSameCodeChangesNothing)
{
    Pick(editor->btnFindUnit, 37, false);
    Pick(editor->btnFindUnit, DemoSaves::CampaignSpecialUnits[0].TypeCode);

    EXPECT_EQ(editor->seUnitCode->value(), DemoSaves::CampaignSpecialUnits[0].TypeCode);
    EXPECT_EQ(Status(), "GAME1.CSV save game data loaded");
}

}  // namespace
