#include <gtest/gtest.h>

#include <vector>

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
    EXPECT_TRUE(tree.HasKey(EXT("S"), EXT("K")));
    EXPECT_EQ(tree.begin()->second.size(), 1u);
    EXPECT_EQ(tree.Get(EXT(""), EXT("k")), exstring()) << "an empty section is not the default one";
}

struct RecordingTree : exini {
    std::vector<exstring> seen;
    void OnSetValue(const exstring& section, const exstring& key, exstring& value) override {
        seen.push_back(section + EXT("/") + key);
        value += EXT("!");
    }
};

// Empty names are refused before the hook sees them; an empty value is not.
TEST(ExiniSet, EmptyNamesAreRefusedAndTheHookChangesTheValue) {
    RecordingTree tree;
    EXPECT_FALSE(tree.Set(EXT(""), EXT("k"), EXT("v")));
    EXPECT_FALSE(tree.Set(EXT("s"), EXT(""), EXT("v")));
    EXPECT_TRUE(tree.empty());
    EXPECT_TRUE(tree.Set(EXT("s"), EXT("k"), EXT("v")));
    EXPECT_TRUE(tree.Set(EXT("e"), EXT("k"), EXT("")));
    ASSERT_EQ(tree.seen.size(), 2u);
    EXPECT_EQ(tree.seen[0], exstring(EXT("s/k")));
    EXPECT_EQ(tree.Get(EXT("s"), EXT("k")), exstring(EXT("v!")));
}

// A name keeps the case it was first set with; a later set in other case
// replaces the value only. Iteration ignores case.
TEST(ExiniNames, FirstCaseIsKeptAndOrderIgnoresCase) {
    exini tree;
    tree.Set(EXT("beta"), EXT("b"), EXT("1"));
    tree.Set(EXT("Alpha"), EXT("Z"), EXT("2"));
    tree.Set(EXT("alpha"), EXT("a"), EXT("3"));
    ASSERT_TRUE(tree.Set(EXT("ALPHA"), EXT("z"), EXT("4")));
    std::vector<exstring> order;
    for (const auto& section : tree)
        for (const auto& key : section.second)
            order.push_back(section.first + EXT(".") + key.first + EXT("=") + key.second);
    const std::vector<exstring> expected = {EXT("Alpha.a=3"), EXT("Alpha.Z=4"), EXT("beta.b=1")};
    EXPECT_EQ(order, expected);
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
    EXPECT_EQ(Unescaped(EXT("\\\\\\n")), exstring(EXT("\\\n")));
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
