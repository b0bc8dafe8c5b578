#include "data/Equipment.h"
#include "data/UnitCodes.h"

#include <gtest/gtest.h>

namespace {

class UnitCodesTest : public testing::Test {
protected:
    void SetUp() override
    {
        Equipment = TEquipTable{};
        Equipment.UnitCount = 3;
    }

    void SetCountries(std::uint8_t b30, std::uint8_t b31, std::uint8_t b32, std::uint8_t b33)
    {
        auto* bytes = &Equipment.Records[1][Field::Countries];
        bytes[0] = b30;
        bytes[1] = b31;
        bytes[2] = b32;
        bytes[3] = b33;
    }

    std::array<std::uint8_t, 4> Countries() const
    {
        const auto* bytes = &Equipment.Records[1][Field::Countries];
        return {bytes[0], bytes[1], bytes[2], bytes[3]};
    }
};

TEST(UnitClassNameTest, NamesEighteenCodes)
{
    int named = 0;
    for (int code = 0; code < 256; ++code)
        named += UnitClassName(static_cast<std::uint8_t>(code)).has_value();
    EXPECT_EQ(named, 18);
    for (int code : {0, 5, 12, 14, 22, 255})
        EXPECT_FALSE(UnitClassName(static_cast<std::uint8_t>(code)));
    EXPECT_EQ(UnitClassName(1), "Infantry");
    EXPECT_EQ(UnitClassName(13), "Air Transport");
    EXPECT_EQ(UnitClassName(21), "Light Cruiser");
}

TEST_F(UnitCodesTest, EveryCountryRoundTripsThroughItsBit)
{
    for (std::size_t k = 0; k < CountryCount; ++k) {
        SetCountries(0xFF, 0xFF, 0xFF, 0xFF);
        ASSERT_TRUE(SetCountryByName(1, CountryNames[k]));
        const std::uint32_t bits = (std::uint32_t{Countries()[0]} << 24) | (Countries()[1] << 16)
                                   | (Countries()[2] << 8) | Countries()[3];
        EXPECT_EQ(bits, 1u << (30 - k)) << CountryNames[k];
        EXPECT_EQ(CountryName(1), CountryNames[k]);
    }
    EXPECT_EQ(CountryNames[9], "USA");
    EXPECT_EQ(CountryNames[25], "Republican");
}

TEST_F(UnitCodesTest, FirstNonzeroByteDecides)
{
    const struct {
        std::array<std::uint8_t, 4> bytes;
        std::optional<std::string_view> name;
    } cases[] = {
        {{0x00, 0x00, 0x00, 0x00}, std::nullopt}, {{0x40, 0x00, 0x00, 0x00}, "Austria"},
        {{0x00, 0x00, 0x00, 0x20}, "Republican"}, {{0x00, 0x00, 0x08, 0x00}, "USSR"},
        {{0x01, 0x80, 0x00, 0x00}, "France"},     {{0x41, 0x00, 0x00, 0x00}, std::nullopt},
        {{0x80, 0x00, 0x00, 0x00}, std::nullopt}, {{0x00, 0x00, 0x00, 0x10}, std::nullopt},
        {{0x00, 0x80, 0x00, 0x00}, "Germany"},    {{0x00, 0x00, 0x00, 0x80}, "Yugoslavia"},
    };
    for (const auto& c : cases) {
        SetCountries(c.bytes[0], c.bytes[1], c.bytes[2], c.bytes[3]);
        EXPECT_EQ(CountryName(1), c.name) << int(c.bytes[0]) << ' ' << int(c.bytes[1]) << ' '
                                          << int(c.bytes[2]) << ' ' << int(c.bytes[3]);
    }
}

TEST_F(UnitCodesTest, NamesMatchWholeIgnoringCase)
{
    for (const char* name : {"germany", "GERMANY"}) {
        SetCountries(0x40, 0, 0x08, 0);
        EXPECT_TRUE(SetCountryByName(1, name));
        EXPECT_EQ(Countries(), (std::array<std::uint8_t, 4>{0, 0x80, 0, 0}));
    }
    for (const char* name : {" Germany", "Germ", "", "Germany "}) {
        SetCountries(0, 0x80, 0, 0);
        EXPECT_FALSE(SetCountryByName(1, name)) << name;
        EXPECT_EQ(Countries(), (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
    }
}

TEST_F(UnitCodesTest, CodesBeyondTheTableAreLeftAlone)
{
    Equipment.Records[3][Field::Countries] = 0x40;
    EXPECT_FALSE(CountryName(3));
    EXPECT_FALSE(SetCountryByName(3, "Italy"));
    EXPECT_EQ(Equipment.Records[3][Field::Countries], 0x40);
}

}  // namespace
