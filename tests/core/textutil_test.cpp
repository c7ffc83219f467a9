#include <gtest/gtest.h>

#include "testtext.h"
#include "text/textutil.h"

namespace {

exstring Trimmed(const exchar* text, const exchar* set, unsigned mode) {
    exstring copy(text);
    return Trim(copy, set, mode);
}

TEST(TextTrim, ModesAndSets) {
    EXPECT_EQ(Trimmed(EXT("\\Software\\Quarnwick\\Marrowgate\\\\"), EXT("\\"), kTrimBoth),
              exstring(EXT("Software\\Quarnwick\\Marrowgate")));
    EXPECT_EQ(Trimmed(EXT("  a b  "), EXT(" "), kTrimLeading), exstring(EXT("a b  ")));
    EXPECT_EQ(Trimmed(EXT("  a b  "), EXT(" "), kTrimTrailing), exstring(EXT("  a b")));
    EXPECT_EQ(Trimmed(EXT(" \t\r\n"), EXT(" \t\r\n"), kTrimBoth), exstring());
    EXPECT_EQ(Trimmed(EXT(" a "), EXT(""), kTrimBoth), exstring(EXT(" a ")));
    EXPECT_EQ(Trimmed(EXT(" a "), nullptr, kTrimBoth), exstring(EXT(" a ")));
    EXPECT_EQ(Trimmed(EXT(" a "), EXT(" "), 0), exstring(EXT(" a ")));
}

exstring Replaced(const exchar* text, const exchar* search, const exchar* replacement) {
    exstring copy(text);
    return ReplaceAll(copy, search, replacement);
}

TEST(TextReplaceAll, InsertedTextIsNotSearchedAgain) {
    EXPECT_EQ(Replaced(EXT("aaa"), EXT("a"), EXT("aa")), exstring(EXT("aaaaaa")));
    EXPECT_EQ(Replaced(EXT("a.b.c"), EXT("."), nullptr), exstring(EXT("abc")));
    // After a removal the search goes on at the same place, in what follows.
    EXPECT_EQ(Replaced(EXT("00xx"), EXT("0x"), nullptr), exstring(EXT("0x")));
    EXPECT_EQ(Replaced(EXT("Abc"), EXT("a"), EXT("z")), exstring(EXT("Abc")));
    EXPECT_EQ(Replaced(EXT("abc"), EXT(""), EXT("z")), exstring(EXT("abc")));
    EXPECT_EQ(Replaced(EXT("abc"), nullptr, EXT("z")), exstring(EXT("abc")));
    exstring counted(EXT("a--b--"));
    EXPECT_EQ(ReplaceAll(counted, EXT("--x"), 2, EXT("+")), exstring(EXT("a+b+")));
}

exstring Cleaned(const exchar* text, int mode) {
    exstring copy(text);
    return CleanMenuText(copy, mode);
}

TEST(TextCleanMenuText, TabsDotsAndAmpersands) {
    EXPECT_EQ(Cleaned(EXT("&Custom..."), kMenuDotsEllipsis), exstring(EXT("Custom")));
    EXPECT_EQ(Cleaned(EXT("&Custom..."), kMenuDotsTwoOrMore), exstring(EXT("Custom")));
    EXPECT_EQ(Cleaned(EXT("&Custom..."), kMenuDotsKeep), exstring(EXT("Custom...")));
    EXPECT_EQ(Cleaned(EXT("Background &Color"), kMenuDotsEllipsis), exstring(EXT("Background Color")));
    EXPECT_EQ(Cleaned(EXT("A && B"), kMenuDotsEllipsis), exstring(EXT("A && B")));
    EXPECT_EQ(Cleaned(EXT("A &&& B"), kMenuDotsEllipsis), exstring(EXT("A && B")));
    EXPECT_EQ(Cleaned(EXT("Open\tCtrl+O"), kMenuDotsEllipsis), exstring(EXT("Open")));
    EXPECT_EQ(Cleaned(EXT("\t\tOpen\tCtrl+O"), kMenuDotsEllipsis), exstring(EXT("\t\tOpen")));
    EXPECT_EQ(Cleaned(EXT("\t\t"), kMenuDotsEllipsis), exstring(EXT("\t\t")));
    EXPECT_EQ(Cleaned(EXT("Wait...."), kMenuDotsEllipsis), exstring(EXT("Wait....")));
    EXPECT_EQ(Cleaned(EXT("Wait...."), kMenuDotsTwoOrMore), exstring(EXT("Wait")));
    EXPECT_EQ(Cleaned(EXT("End."), kMenuDotsTwoOrMore), exstring(EXT("End.")));
    EXPECT_EQ(Cleaned(EXT("&"), kMenuDotsEllipsis), exstring());
    EXPECT_EQ(Cleaned(EXT("..."), kMenuDotsEllipsis), exstring());
}

TEST(TextHex, Encoding) {
    const uint8_t bytes[] = {0x00, 0xAB, 0x7F};
    EXPECT_EQ(BytesToHex(bytes, 2), exstring(EXT("00ab")));
    EXPECT_EQ(BytesToHex(bytes, 3), exstring(EXT("00ab7f")));
    EXPECT_EQ(BytesToHex(bytes, 0), exstring());
    EXPECT_EQ(BytesToHex(bytes, -1), exstring());
    EXPECT_EQ(BytesToHex(nullptr, 4), exstring());
}

// Decoding is not used by the program (its settings read hex their own way).
TEST(TextHex, DecodingIsForgivingButBounded) {
    uint8_t out[4] = {};
    ASSERT_EQ(HexToBytes(EXT("0x1F 0x2a"), out, 4, false), 2u);
    EXPECT_TRUE(out[0] == 0x1F && out[1] == 0x2A);
    ASSERT_EQ(HexToBytes(EXT("abc"), out, 4, false), 2u);
    EXPECT_TRUE(out[0] == 0x0A && out[1] == 0xBC);
    ASSERT_EQ(HexToBytes(EXT("0102"), out, 4, true), 2u);
    EXPECT_TRUE(out[0] == 0x02 && out[1] == 0x01) << "reversed";

    uint8_t one[1] = {0x55};
    EXPECT_EQ(HexToBytes(EXT("abcd"), one, 1, false), 0u);
    EXPECT_EQ(one[0], 0x55);
    EXPECT_EQ(HexToBytes(EXT(""), out, 4, false), 0u);
    EXPECT_EQ(HexToBytes(EXT("ab"), nullptr, 4, false), 0u);
    EXPECT_EQ(HexToBytes(EXT("zz"), out, 4, false), 0u);
}

} // namespace
