#include "widgets/Cp1252.h"

#include <gtest/gtest.h>

TEST(Cp1252Test, EveryByteSurvivesARoundTrip)
{
    std::string all;
    for (int b = 1; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    EXPECT_EQ(ToCp1252(FromCp1252(all)), all);
}

TEST(Cp1252Test, LettersOfTheCodePageAreShownAsThemselves)
{
    EXPECT_EQ(FromCp1252("Pz\xFC" "ge \x80 \x9A"), QStringLiteral(u"Pzüge € š"));
    EXPECT_TRUE(IsCp1252(QChar(u'ß')));
    EXPECT_FALSE(IsCp1252(QChar(u'Ж')));
    EXPECT_EQ(ToCp1252(QStringLiteral(u"Ж")), "?");
}
