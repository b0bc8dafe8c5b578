#include "widgets/SpinField.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct SpinFieldTest : testing::Test {
    SpinFieldTest()
    {
        field.setRange(0, 255);
        field.setMaxLength(3);
        field.show();
        other.show();
    }
    QLineEdit* text() { return field.findChild<QLineEdit*>(); }
    void typeText(const QString& keys)
    {
        field.setFocus();
        text()->selectAll();
        QTest::keyClicks(&field, keys);
    }
    void leave() { other.setFocus(); QApplication::processEvents(); }

    SpinField field;
    QLineEdit other;
};

TEST_F(SpinFieldTest, ProgramValuesAreShownWithinTheLimits)
{
    field.setValue(300);
    EXPECT_EQ(field.text(), "255");
    field.setValue(-4);
    EXPECT_EQ(field.text(), "0");
    EXPECT_EQ(field.property("value").toInt(), 0);
    EXPECT_EQ(field.property("maximum").toInt(), 255);
}

TEST_F(SpinFieldTest, TypedValueOutsideTheLimitsIsBroughtInWhenLeft)
{
    typeText("999");
    EXPECT_EQ(field.text(), "999");
    EXPECT_EQ(field.value(), 255) << "values taken while typing stay within the limits";
    leave();
    EXPECT_EQ(field.text(), "255");
}

TEST_F(SpinFieldTest, TextThatIsNoNumberCountsAsTheMinimum)
{
    field.setRange(12, 3060);
    field.setValue(240);
    field.setFocus();
    text()->clear();
    EXPECT_EQ(field.value(), 12);
    typeText("ab");
    EXPECT_EQ(field.text(), "") << "letters are not taken";
}

TEST_F(SpinFieldTest, EqualLimitsApplyNoLimits)
{
    field.setRange(0, 0);
    field.setValue(7);
    EXPECT_EQ(field.value(), 7);
    typeText("42");
    leave();
    EXPECT_EQ(field.value(), 42);
}

TEST_F(SpinFieldTest, SignalsExactlyWhenTheValueChanges)
{
    field.setValue(10);
    QSignalSpy spy(&field, &SpinField::valueChanged);
    field.setValue(10);
    EXPECT_EQ(spy.count(), 0);
    field.setValue(11);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.takeFirst().at(0).toInt(), 11);
    field.setValueSilently(20);
    EXPECT_EQ(spy.count(), 0);
    EXPECT_EQ(field.value(), 20);
    typeText("21");
    EXPECT_EQ(spy.count(), 2) << "'2' then '21'";
}

TEST_F(SpinFieldTest, LoweringTheMaximumLowersTheValue)
{
    field.setValue(12);
    QSignalSpy spy(&field, &SpinField::valueChanged);
    field.setMaximum(8);
    EXPECT_EQ(field.text(), "8");
    EXPECT_EQ(spy.count(), 1);
    field.setMaximum(15);
    EXPECT_EQ(field.value(), 8) << "raising the limit keeps the value";
}

TEST_F(SpinFieldTest, ArrowsStepByTheIncrementWithinTheLimits)
{
    field.setRange(12, 3060);
    field.setMaxLength(4);
    field.setIncrement(12);
    field.setValue(3050);
    field.setFocus();
    QTest::keyClick(&field, Qt::Key_Down);
    EXPECT_EQ(field.value(), 3038);
    field.setValue(3050);
    QTest::keyClick(&field, Qt::Key_Up);
    EXPECT_EQ(field.value(), 3060);
}

TEST_F(SpinFieldTest, TakesNoMoreThanItsCharacters)
{
    typeText("12345");
    EXPECT_EQ(field.text(), "123");
}

}  // namespace
