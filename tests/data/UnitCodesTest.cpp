#include "data/Equipment.h"
#include "data/UnitCodes.h"
#include "tests/support/GameFormat.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

namespace {

using Bytes = std::array<std::uint8_t, 4>;

// The country bytes of unit 1 in a fresh table of three units.
std::uint8_t* FreshCountryBytes(const Bytes& bytes)
{
    Equipment = TEquipTable{};
    Equipment.UnitCount = 3;
    std::uint8_t* at = &Equipment.Records[1][GameFormat::Eqp::Countries];
    std::ranges::copy(bytes, at);
    return at;
}

Bytes BytesAt(const std::uint8_t* at)
{
    Bytes bytes;
    std::memcpy(bytes.data(), at, 4);
    return bytes;
}

TEST(UnitCodesTest, EighteenClassCodesHaveTheirNames)
{
    int named = 0;
    for (int code = 0; code < 256; ++code)
        named += UnitClassName(static_cast<std::uint8_t>(code)).has_value();
    EXPECT_EQ(named, 18);
    for (const auto& [code, name] : GameFormat::UnitClasses)
        EXPECT_EQ(UnitClassName(code), name) << int(code);
}

TEST(UnitCodesTest, EveryCountryRoundTripsThroughItsBitAndTheFirstNonzeroByteDecides)
{
    // The list order is the editor's too.
    for (std::size_t k = 0; k < CountryCount; ++k) {
        const auto& [name, byte, mask] = GameFormat::Countries[k];
        EXPECT_EQ(CountryNames[k], name);
        const std::uint8_t* c = FreshCountryBytes({0xFF, 0xFF, 0xFF, 0xFF});
        std::string capitals = name;  // letter case is ignored
        std::ranges::transform(capitals, capitals.begin(), [](char c) { return std::toupper(c); });
        ASSERT_TRUE(SetCountryByName(1, capitals));
        Bytes expected{};
        expected[byte - GameFormat::Eqp::Countries] = mask;
        EXPECT_EQ(BytesAt(c), expected) << name;
        FreshCountryBytes(expected);
        EXPECT_EQ(CountryName(1), name);
    }
    const struct {
        Bytes bytes;
        std::optional<std::string_view> name;
    } cases[] = {
        {{0x00, 0x00, 0x00, 0x00}, std::nullopt}, {{0x40, 0x00, 0x00, 0x00}, "Austria"},
        {{0x00, 0x00, 0x00, 0x20}, "Republican"}, {{0x00, 0x00, 0x08, 0x00}, "USSR"},
        {{0x01, 0x80, 0x00, 0x00}, "France"},     {{0x41, 0x00, 0x00, 0x00}, std::nullopt},
        {{0x80, 0x00, 0x00, 0x00}, std::nullopt}, {{0x00, 0x00, 0x00, 0x10}, std::nullopt},
        {{0x00, 0x80, 0x00, 0x00}, "Germany"},    {{0x00, 0x00, 0x00, 0x80}, "Yugoslavia"},
    };
    for (const auto& c : cases) {
        FreshCountryBytes(c.bytes);
        EXPECT_EQ(CountryName(1), c.name) << testing::PrintToString(c.bytes);
    }
}

TEST(UnitCodesTest, CountryNamesMatchWholeIgnoringCase)
{
    const std::pair<const char*, bool> names[] = {{"germany", true}, {"GERMANY", true}, {" Germany", false},
                                                  {"Germ", false},   {"", false},       {"Germany ", false}};
    for (const auto& [name, matches] : names) {
        const std::uint8_t* bytes = FreshCountryBytes({0x40, 0, 0x08, 0});
        EXPECT_EQ(SetCountryByName(1, name), matches) << name;
        EXPECT_EQ(BytesAt(bytes), (matches ? Bytes{0, 0x80, 0, 0} : Bytes{})) << name;
    }
    // A code beyond the table is left alone.
    const std::uint8_t* beyond = &Equipment.Records[3][GameFormat::Eqp::Countries];
    Equipment.Records[3][GameFormat::Eqp::Countries] = 0x40;
    EXPECT_FALSE(CountryName(3));
    EXPECT_FALSE(SetCountryByName(3, "Italy"));
    EXPECT_EQ(BytesAt(beyond), (Bytes{0x40, 0, 0, 0}));
}

}  // namespace
