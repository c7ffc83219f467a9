#include <gtest/gtest.h>


#include "settings/escaping.h"
#include "settings/exini.h"
#include "testtext.h"

namespace {

TEST(ExiniLookups, NeverCreateAnything) {
    exini tree;
    EXPECT_EQ(tree.Get(EXT("missing"), EXT("key")), exstring());
    EXPECT_FALSE(tree.HasSection(EXT("missing")));
    EXPECT_TRUE(tree.empty());
    tree.Set(EXT("s"), EXT("k"), EXT("v"));
    tree.Set(EXT("global"), EXT("k"), EXT("g"));
    EXPECT_EQ(tree.Get(EXT("s"), EXT("other")), exstring());
    EXPECT_FALSE(tree.HasKey(EXT("s"), EXT("other")));
    EXPECT_FALSE(tree.HasKey(EXT("none"), EXT("k")));
    EXPECT_EQ(tree.begin()->second.size(), 1u);
    EXPECT_EQ(tree.Get(EXT(""), EXT("k")), exstring()) << "an empty section is not the default one";
}

// The escaping of the stored values.

exstring Escaped(const exstring& text) {
    exstring copy(text);
    return EscapeText(copy);
}

exstring Unescaped(const exstring& text) {
    exstring copy(text);
    return UnescapeText(copy);
}

TEST(Escaping, StoredForms) {
    struct Case {
        const exchar* text;
        const exchar* stored;
    };
    const Case cases[] = {
        {EXT("line one\r\nline two"), EXT("line one\\r\\nline two")}, {EXT("a\tb"), EXT("a\\tb")},
        {EXT("C:\\new\\test.bmp"), EXT("C:\\\\new\\\\test.bmp")}, {EXT("C:\\Images\\x.bmp"), EXT("C:\\Images\\x.bmp")},
        {EXT("ends in\\"), EXT("ends in\\\\")}, {EXT("\\\\\\"), EXT("\\\\\\\\\\\\")},
        {EXT("\"quoted\""), EXT("\\\"quoted\\\"")}, {EXT("'single'"), EXT("\\'single\\'")},
        {EXT("say \"hi\" now"), EXT("say \"hi\" now")}, {EXT("\"mixed'"), EXT("\"mixed'")},
        {EXT("\""), EXT("\"")}, {EXT("\"\""), EXT("\\\"\\\"")},
        {EXT("\"a\\\""), EXT("\\\"a\\\\\\\"")}, {EXT("a\\\r"), EXT("a\\\\\\r")}, {EXT(""), EXT("")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Escaped(c.text), exstring(c.stored)) << exstring(c.text).ToUtf8();
        EXPECT_EQ(Unescaped(c.stored), exstring(c.text)) << exstring(c.stored).ToUtf8();
    }
}

TEST(Escaping, ForeignStoredTextReadsSensibly) {
    EXPECT_EQ(Unescaped(EXT("a\\xb")), exstring(EXT("a\\xb")));   // unknown escapes stay
    EXPECT_EQ(Unescaped(EXT("trailing\\")), exstring(EXT("trailing\\")));
}

TEST(Escaping, EveryCodeUnitSurvives) {
    // U+FFFF once served as an internal marker; it must come back unchanged.
    const exchar awkward[] = {0xFFFF, '\\', 0xFFFF, 0xFFFF, '\\', '\\', 'n', 0xFFFF, 0};
    EXPECT_EQ(Unescaped(Escaped(awkward)), exstring(awkward));
    for (unsigned unit = 1; unit < 0x10000; unit += 97) {
        exstring text(EXT("\\"));
        text += static_cast<exchar>(unit);
        text += EXT("\"\\");
        text += static_cast<exchar>(unit);
        EXPECT_EQ(Unescaped(Escaped(text)), text) << unit;
    }
}

} // namespace
