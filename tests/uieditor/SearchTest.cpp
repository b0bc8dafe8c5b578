// The search dialog: code and name searches, and what OK hands the editor.
#include <QCheckBox>
#include <QRadioButton>
#include <optional>

#include "tests/support/GameFormat.h"
#include "tests/uieditor/EditorFixture.h"

class SearchTest : public EditorFixture {
protected:
    void Find(const QString& text, bool byName = false, bool fromStart = false)
    {
        (byName ? search->rbUnitName : search->rbUnitCode)->setChecked(true);
        search->cbSearch->setChecked(fromStart);
        search->edtSearch->setText(text);
        search->btnFind->click();
    }
    QString Found() const { return search->edtUnitCode->text(); }
};

TEST(SearchGrammar, BlanksThenSignedDecimalOrDollarHexOnly)
{
    const std::pair<const char*, std::optional<int>> cases[] = {
        {"  31", 31}, {"+31", 31}, {" $1f", 31}, {"0000000000031", 31}, {"-2147483648", INT32_MIN},
        {"$7FFFFFFF", INT32_MAX}, {"", {}}, {" ", {}}, {"3a", {}}, {"$", {}}, {"-$1F", {}},
        {"0x1F", {}}, {"+", {}}, {"2147483648", {}}, {"$80000000", {}}, {"\t31", {}},
        {"\xef\xbc\x93", {}}};
    for (const auto& [text, value] : cases)
        EXPECT_EQ(TfrmSearch::ParseInteger(QString::fromUtf8(text)), value) << text;
}

TEST_F(SearchTest, CodeSearchShowsTheUnitRefusesNonNumbersAndOkHandsItOver)
{
    Load();
    editor->seUnitCode->setValue(9);
    Find("$1F");
    EXPECT_EQ(Found(), "31");
    EXPECT_EQ(search->edtUnitName->text(), Name(31));
    EXPECT_EQ(search->edtCountry->text(), GameFormat::CountryOf(Equipment.Records[31].data()));
    EXPECT_EQ(BoxText([&] { Find("31 "); }), "'31 ' is not a valid integer value.");
    EXPECT_EQ(Found(), "31");
    for (const QString text : {"0", "586"}) {
        SCOPED_TRACE(text.toStdString());
        Find(text);
        EXPECT_EQ(Found() + search->edtUnitName->text(), "");
        search->btnOKClick();
        EXPECT_EQ(search->ChosenUnit(), std::nullopt);
    }

    // From the editor: OK shows the found unit, Cancel the one before; both drop an edit.
    Type(editor->edtUnitName, "Dropped");
    OnNextModal([this](QWidget*) {
        Find("40");
        search->btnOK->click();
    });
    editor->btnSearch->click();
    EXPECT_EQ(editor->edtUnitName->text(), Name(40));
    EXPECT_NE(Name(9), "Dropped");
    Type(editor->edtUnitName, "Dropped too");
    OnNextModal([this](QWidget*) {
        Find("7");
        search->btnCancel->click();
    });
    editor->btnSearch->click();
    EXPECT_EQ(editor->CurrentUnit, 40);
    EXPECT_EQ(editor->edtUnitName->text(), Name(40));
    EXPECT_FALSE(editor->UnitChanged);
}

TEST_F(SearchTest, NameSearchGoesOnFromTheLastFindUnlessTickedAndNeverWraps)
{
    Find("assault pioneers", true);  // before any load: nothing
    EXPECT_EQ(Found(), "");
    Load();
    Find("6");
    for (const char* expected : {"9", "12", "12"}) {  // after the code search; none past the end
        Find("assault pioneers", true);
        EXPECT_EQ(Found(), expected);
    }
    search->btnOKClick();
    EXPECT_EQ(search->ChosenUnit(), 13);  // the position past the last find

    // Whole names, a trailing blank included, folding only A to Z.
    const std::pair<const char*, const char*> fromStart[] = {
        {"ASSAULT PIONEERS", "5"}, {"ASSAULT PIONEERS", "5"}, {"Mountain Rifles", "5"},
        {"mountain rifles ", "40"}, {"Assault", "40"}, {"ger sch\u00fctzen 62", "61"},
        {"GER SCH\u00dcTZEN 62", "61"}};
    for (const auto& [text, expected] : fromStart) {
        Find(QString::fromUtf8(text), true, true);
        EXPECT_EQ(Found(), expected) << text;
    }
    Find("last reserve militia", true);
    EXPECT_EQ(Found(), "585");
}

TEST_F(SearchTest, NeitherEscapeNorEnterClosesTheDialog)
{
    Load();
    search->show();
    search->edtSearch->setText("31");
    QTest::keyClick(search->edtSearch, Qt::Key_Return);
    QTest::keyClick(search->edtSearch, Qt::Key_Escape);
    EXPECT_TRUE(search->isVisible());
    EXPECT_EQ(Found(), "");
    // Enter on a focused button presses that button only.
    search->btnFind->setFocus();
    QTest::keyClick(search->btnFind, Qt::Key_Return);
    EXPECT_EQ(Found(), "31");
    EXPECT_TRUE(search->isVisible());
}
