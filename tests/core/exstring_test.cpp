#include <gtest/gtest.h>

#include "testtext.h"
#include "text/exstring.h"

namespace {

TEST(ExstringConstruction, NullAndLengthRules) {
    EXPECT_TRUE(exstring(static_cast<const exchar*>(nullptr)).empty());
    EXPECT_TRUE(exstring(static_cast<const exchar*>(nullptr), 5).empty());
    EXPECT_EQ(exstring(EXT("abc\0def"), 0), exstring(EXT("abc")));
    const exchar withNul[] = {'a', 0, 'b'};
    EXPECT_EQ(exstring(withNul, 3).size(), 3u);
}

TEST(ExstringToUInt64, DecimalHexSignsAndOverflow) {
    struct Case {
        const exchar* text;
        uint64_t expected;
    };
    const Case cases[] = {  // stored colours, times and limits
        {EXT(""), 0},          {EXT("0x1F"), 31},    {EXT("0X1f"), 31},
        {EXT("1F"), 1},        {EXT("-1"), UINT64_MAX}, {EXT("x"), 0},
        {EXT("0x"), 0},        {EXT("  \t42abc"), 42}, {EXT("+7"), 7},
        {EXT("18446744073709551615"), UINT64_MAX}, {EXT("18446744073709551616"), UINT64_MAX},
        {EXT("-0x10"), 0},  // the prefix is only recognised at the very start
        {EXT("0x-10"), static_cast<uint64_t>(-16)},
        {EXT("132500000000000000"), 132500000000000000ull},
    };
    for (const Case& c : cases) EXPECT_EQ(exstring(c.text).ToUInt64(), c.expected) << exstring(c.text).ToUtf8();
}

TEST(ExstringToBool, TrueWordOrNonZeroNumber) {
    struct Case {
        const exchar* text;
        bool expected;
    };
    const Case cases[] = {
        {EXT(""), false},     {EXT("TRUE"), true},  {EXT("true"), true},  {EXT("tRuE"), true},
        {EXT("true "), false}, {EXT("0x10"), true}, {EXT("1"), true},     {EXT("0x1"), true},
        {EXT("-5"), true},    {EXT("yes"), false},  {EXT("false"), false}, {EXT("0"), false},
    };
    for (const Case& c : cases) EXPECT_EQ(exstring(c.text).ToBool(), c.expected) << exstring(c.text).ToUtf8();
}

TEST(ExstringNoCase, OrdinalAfterUpperCasing) {
    EXPECT_TRUE(exstring(EXT("Global")).EqualsNoCase(EXT("gLOBAL")));
    EXPECT_FALSE(exstring(EXT("Global")).EqualsNoCase(EXT("Globa")));
    EXPECT_TRUE(exstring(EXT("\u00E4")).EqualsNoCase(EXT("\u00C4")));     // a-umlaut folds
    EXPECT_TRUE(exstring(EXT("\u0436")).EqualsNoCase(EXT("\u0416")));     // Cyrillic folds
    EXPECT_FALSE(exstring(EXT("\u00DF")).EqualsNoCase(EXT("SS")));        // no expansion
    EXPECT_TRUE(exstring().EqualsNoCase(exstring()));
    EXPECT_FALSE(exstring(EXT("a")).EqualsNoCase(nullptr));

    EXPECT_EQ(exstring(EXT("abc")).CompareNoCase(EXT("ABD")), -1);
    EXPECT_EQ(exstring(EXT("ABD")).CompareNoCase(EXT("abc")), 1);
    EXPECT_EQ(exstring(EXT("ab")).CompareNoCase(EXT("ABC")), -1);
    EXPECT_EQ(exstring(EXT("Ab")).CompareNoCase(EXT("aB")), 0);
    // Unsigned code-unit order after upper-casing: '_' (0x5F) sorts after 'Z'.
    EXPECT_EQ(exstring(EXT("a_")).CompareNoCase(EXT("AZ")), 1);
    EXPECT_EQ(CompareNoCase(nullptr, 0, EXT("x"), 1), 0);
}

TEST(ExstringFormat, NumbersAsStored) {
    EXPECT_EQ(exstring::Format(EXT("%u"), 4278190080u), exstring(EXT("4278190080")));
    EXPECT_EQ(exstring::Format(EXT("%I64d"), static_cast<long long>(-132500000000000000ll)),
              exstring(EXT("-132500000000000000")));
}

} // namespace
