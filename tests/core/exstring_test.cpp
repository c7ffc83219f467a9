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

// Ordinal after upper-casing, without expansions: '_' (0x5F) sorts after 'Z'.
TEST(ExstringNoCase, OrdinalAfterUpperCasing) {
    const struct {
        const exchar *a, *b;
        int order;
    } cases[] = {
        {EXT("Global"), EXT("gLOBAL"), 0}, {EXT("Global"), EXT("Globa"), 1}, {EXT("\u00E4"), EXT("\u00C4"), 0},
        {EXT("\u0436"), EXT("\u0416"), 0}, {EXT("\u00DF"), EXT("SS"), 1},  {EXT(""), EXT(""), 0},
        {EXT("abc"), EXT("ABD"), -1},     {EXT("ab"), EXT("ABC"), -1},     {EXT("a_"), EXT("AZ"), 1},
    };
    for (const auto& c : cases) {
        const exstring a(c.a), b(c.b);
        EXPECT_EQ(a.CompareNoCase(b), c.order) << a.ToUtf8() << " " << b.ToUtf8();
        EXPECT_EQ(b.CompareNoCase(a), -c.order) << a.ToUtf8() << " " << b.ToUtf8();
        EXPECT_EQ(a.EqualsNoCase(b), c.order == 0) << a.ToUtf8() << " " << b.ToUtf8();
    }
}

} // namespace
