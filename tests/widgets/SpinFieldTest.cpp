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
    void typeText(const QString& keys)
    {
        field.setFocus();
        field.findChild<QLineEdit*>()->selectAll();
        QTest::keyClicks(&field, keys);
    }
    void leave()
    {
        other.setFocus();
        QApplication::processEvents();
    }

    SpinField field;
    QLineEdit other;
};

TEST_F(SpinFieldTest, KeepsValuesWithinTheLimitsUnlessTheyAreEqual)
{
    field.setValue(300);
    EXPECT_EQ(field.text(), "255");
    field.setValue(-4);
    EXPECT_EQ(field.property("value").toInt(), 0);

    typeText("12345");
    EXPECT_EQ(field.text(), "123") << "no more than its characters";
    typeText("999");
    EXPECT_EQ(field.value(), 255) << "values taken while typing stay within the limits";
    leave();
    EXPECT_EQ(field.text(), "255");
    field.setRange(12, 3060);
    field.findChild<QLineEdit*>()->clear();
    EXPECT_EQ(field.value(), 12) << "no number counts as the minimum";
    typeText("ab");
    EXPECT_EQ(field.text(), "") << "letters are not taken";

    field.setRange(0, 0);
    field.setValue(7);
    EXPECT_EQ(field.value(), 7);
    typeText("42");
    leave();
    EXPECT_EQ(field.value(), 42);
}

TEST_F(SpinFieldTest, TypingRoomLimitsOnlyTypingAndStrictLimitsHoldWhenEqual)
{
    field.setRange(0, 1023);
    field.setValue(1005);
    EXPECT_EQ(field.text(), "1005") << "a value the program sets is shown whole";
    field.setFocus();
    QTest::keyClick(&field, Qt::Key_End);
    QTest::keyClicks(&field, "7");
    EXPECT_EQ(field.text(), "1005") << "yet typing makes it no longer";
    QTest::keyClick(&field, Qt::Key_Backspace);
    EXPECT_EQ(field.value(), 100);

    // A code field of a two-unit table: 1 is its only value.
    field.setStrictLimits(true);
    field.setRange(1, 1);
    field.setValue(7);
    EXPECT_EQ(field.value(), 1);
    typeText("5");
    EXPECT_EQ(field.text(), "1") << "a number outside strict limits is not taken";
}

TEST_F(SpinFieldTest, SignalsExactlyWhenTheValueChanges)
{
    field.setValue(10);
    QSignalSpy spy(&field, &SpinField::valueChanged);
    field.setValue(10);
    EXPECT_EQ(spy.count(), 0);
    field.setValue(12);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.takeFirst().at(0).toInt(), 12);
    field.setMaximum(8);
    EXPECT_EQ(field.text(), "8") << "lowering the maximum lowers the value";
    EXPECT_EQ(spy.count(), 1);
    field.setMaximum(15);
    EXPECT_EQ(field.value(), 8) << "raising it keeps the value";
    field.setValueSilently(14);
    EXPECT_EQ(field.value(), 14);
    EXPECT_EQ(spy.count(), 1);
    typeText("11");
    EXPECT_EQ(spy.count(), 3) << "'1' then '11'";
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

}  // namespace
