// The search dialog: code and name searches, and what OK hands the editor.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "tests/uieditor/EditorFixture.h"
#include "tools/makedemo/DemoUnits.h"
#include "widgets/MessageBoxes.h"

class SearchDialog : public EditorFixture {
protected:
    void FindCode(const QString& text)
    {
        search->rbUnitCode->setChecked(true);
        search->edtSearch->setText(text);
        search->btnFind->click();
    }

    void FindName(const QString& text, bool fromStart = false)
    {
        search->rbUnitName->setChecked(true);
        search->cbSearch->setChecked(fromStart);
        search->edtSearch->setText(text);
        search->btnFind->click();
    }

    QString Found() const { return search->edtUnitCode->text(); }
};

TEST(SearchGrammar, AcceptsBlanksThenSignedDecimalOrDollarHex)
{
    for (const QString text : {"31", "  31", "+31", " $1f", "$1F", "0000000000031"})
        EXPECT_EQ(TfrmSearch::ParseInteger(text), 31) << text.toStdString();
    EXPECT_EQ(TfrmSearch::ParseInteger("-1"), -1);
    EXPECT_EQ(TfrmSearch::ParseInteger("-2147483648"), INT32_MIN);
    EXPECT_EQ(TfrmSearch::ParseInteger("$7FFFFFFF"), INT32_MAX);
}

TEST(SearchGrammar, RefusesEverythingElse)
{
    for (const QString text : {"", " ", "31 ", "abc", "3a", "$", "-$1F", "$-1", "0x1F", "- 5", "+",
                               "2147483648", "-2147483649", "$80000000", "99999999999999999999",
                               "\t31", "3 1", "\xef\xbc\x93"})
        EXPECT_FALSE(TfrmSearch::ParseInteger(text).has_value()) << text.toStdString();
}

TEST_F(SearchDialog, CodeSearchShowsTheUnit)
{
    Load();
    FindCode("$1F");
    EXPECT_EQ(search->SearchPosition, 31);
    EXPECT_EQ(Found(), "31");
    EXPECT_EQ(search->edtUnitName->text(), Name(31));
    EXPECT_EQ(search->edtCountry->text().toStdString(), CountryName(31).value_or(""));
}

TEST_F(SearchDialog, InvalidCodeIsReportedAndChangesNothing)
{
    Load();
    FindCode("40");
    for (const QString text : {"31 ", "abc", ""}) {
        SeenMessage seen;
        AnswerMessageBox(QMessageBox::Ok, &seen);
        FindCode(text);
        EXPECT_EQ(seen.text, "'" + text + "' is not a valid integer value.");
        EXPECT_EQ(seen.title, AppTitle);
        EXPECT_EQ(seen.icon, QMessageBox::Critical);
        EXPECT_EQ(search->SearchPosition, 40);
        EXPECT_EQ(Found(), "40");
    }
}

TEST_F(SearchDialog, CodeOutsideTheTableShowsNothingAndOkKeepsTheEditorsUnit)
{
    Load();
    editor->seUnitCode->setValue(9);
    for (const QString text : {"0", "586", "-1", "70000"}) {
        FindCode(text);
        EXPECT_EQ(Found(), "") << text.toStdString();
        EXPECT_EQ(search->edtUnitName->text(), "") << text.toStdString();
        search->btnOKClick();
        EXPECT_EQ(editor->CurrentUnit, 9) << text.toStdString();
    }
    EXPECT_EQ(search->SearchPosition, static_cast<std::uint16_t>(70000));
}

TEST_F(SearchDialog, NameSearchGoesOnFromTheLastFindWithoutWrapping)
{
    Load();
    for (std::uint16_t code : DemoUnit::SameName) {
        FindName("assault pioneers");
        EXPECT_EQ(Found(), QString::number(code));
    }
    FindName("assault pioneers");
    EXPECT_EQ(Found(), "12");
    EXPECT_EQ(search->SearchPosition, 13);
    search->btnOKClick();
    EXPECT_EQ(editor->CurrentUnit, 13);
}

TEST_F(SearchDialog, NameSearchFromTheBeginningFindsTheFirstEveryTime)
{
    Load();
    for (int press = 0; press < 3; ++press) {
        FindName("ASSAULT PIONEERS", true);
        EXPECT_EQ(Found(), "5");
    }
}

TEST_F(SearchDialog, NameSearchAfterACodeSearchStartsAfterIt)
{
    Load();
    FindCode("6");
    FindName("Assault Pioneers");
    EXPECT_EQ(Found(), "9");
}

TEST_F(SearchDialog, NameSearchMatchesWholeNamesFoldingOnlyAToZ)
{
    Load();
    FindName("last reserve militia");
    EXPECT_EQ(Found(), "585");

    FindName("Mountain Rifles", true);
    EXPECT_EQ(Found(), "585");  // a trailing blank is part of the name
    FindName("mountain rifles ", true);
    EXPECT_EQ(Found(), "40");
    FindName("Assault", true);
    EXPECT_EQ(Found(), "40");  // no prefix matching

    FindName(QString::fromUtf8("ger sch\u00fctzen 62"), true);
    EXPECT_EQ(Found(), "61");
    FindName(QString::fromUtf8("GER SCH\u00dcTZEN 62"), true);
    EXPECT_EQ(Found(), "61");  // accented letters keep their case
}

TEST_F(SearchDialog, NameSearchBeforeAnyLoadFindsNothing)
{
    FindName("assault pioneers");
    EXPECT_EQ(Found(), "");
    EXPECT_EQ(search->SearchPosition, 1);
}

TEST_F(SearchDialog, NeitherEscapeNorEnterClosesTheDialog)
{
    Load();
    search->show();
    search->edtSearch->setText("31");
    QTest::keyClick(search->edtSearch, Qt::Key_Return);
    QTest::keyClick(search->edtSearch, Qt::Key_Escape);
    EXPECT_TRUE(search->isVisible());
    EXPECT_EQ(Found(), "");
    search->btnCancel->click();
    EXPECT_FALSE(search->isVisible());
}

namespace {

// The named controls in the order Tab visits them, starting at first.
QStringList TabOrder(QWidget* first, int count)
{
    QStringList names;
    for (QWidget* w = first; names.size() < count; w = w->nextInFocusChain())
        if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && !w->objectName().isEmpty()
            && !w->objectName().startsWith("qt_"))
            names << w->objectName();
    return names;
}

}  // namespace

TEST_F(SearchDialog, TabOrderFollowsTheDesign)
{
    Load();
    EXPECT_EQ(TabOrder(search->rbUnitCode, 7),
              QStringList({"rbUnitCode", "rbUnitName", "btnFind", "btnCancel", "edtSearch",
                           "cbSearch", "btnOK"}));
    EXPECT_EQ(TabOrder(editor->edtUnitName, 8),
              QStringList({"edtUnitName", "seUnitCode", "edtHexCode", "edtUnitType", "cbCountry",
                           "seMonth", "seYear", "seCost"}));
}
