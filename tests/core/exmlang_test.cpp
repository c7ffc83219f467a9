#include <gtest/gtest.h>

#include "lang/exmlang.h"
#include "lang/languages.h"
#include "testtext.h"

namespace {

class MacroExpansion : public ::testing::Test {
protected:
    void SetUp() override {
        table.AddMacro(EXT("app_name"), EXT("Marrowgate"));
        table.AddMacro(EXT("loop"), EXT("%loop and %app_name"));
        table.AddMacro(EXT("blank"), EXT(""));
        table.Set(EXT("global"), EXT("app_name"), EXT("from global"));
        table.Set(EXT("global"), EXT("blank"), EXT("not used"));
        table.Set(EXT("global"), EXT("no"), EXT("&No"));
        table.Set(EXT("global"), EXT("yes"), EXT("&Yes"));
        table.Set(EXT("global"), EXT("open"), EXT("Open (&O)..."));
        table.Set(EXT("global"), EXT("password"), EXT("global's"));
        table.Set(EXT("settings"), EXT("password"), EXT("Set &Password..."));
        table.Set(EXT("main"), EXT("password"), EXT("main's own"));
    }
    exstring Stored(const exchar* section, const exchar* text) {
        table.Set(section, EXT("probe"), text);
        return table.Get(section, EXT("probe"));
    }
    exmlang table;
};

// Embedded in text a macro loses its decorations; as the whole text it keeps
// them. The macro table wins over every section, the current section over
// "global", an explicit section over both. Inserted text is not expanded again.
TEST_F(MacroExpansion, ExpandedTexts) {
    const struct {
        const exchar *section, *text, *expected;  // null: unchanged
    } cases[] = {
        {EXT("main"), EXT("Don't ask me again if I choose %no to continue"),
         EXT("Don't ask me again if I choose No to continue")},
        {EXT("main"), EXT("Click %open now"), EXT("Click Open  now")},
        {EXT("main"), EXT("x %[settings]password"), EXT("x Set Password")},
        {EXT("main"), EXT("%yes"), EXT("&Yes")},
        {EXT("main"), EXT("%open"), EXT("Open (&O)...")},
        {EXT("main"), EXT("I am %app_name."), EXT("I am Marrowgate.")},
        {EXT("main"), EXT("[%password]"), EXT("[main's own]")},
        {EXT("other"), EXT("[%password]"), EXT("[global's]")},
        {EXT("main"), EXT("[%[settings]password]"), EXT("[Set Password]")},
        {EXT("main"), EXT("%app_name_"), EXT("Marrowgate_")},
        {EXT("main"), EXT("<%loop>"), EXT("<%loop and %app_name>")},
        {EXT("main"), EXT("[%[nowhere]password]"), nullptr},  // the explicit section lacks the key
        {EXT("main"), EXT("%app_name-_"), nullptr},           // name "app_name-"
        {EXT("main"), EXT("%- %_ % %"), nullptr},
        {EXT("main"), EXT("100%% %0 %9 %"), nullptr},
        {EXT("main"), EXT("%[unclosed"), nullptr},
        {EXT("main"), EXT("%[global]"), nullptr},
        {EXT("main"), EXT("a %blank b"), nullptr},            // an empty replacement leaves the macro
    };
    for (const auto& c : cases)
        EXPECT_EQ(Stored(c.section, c.text), exstring(c.expected != nullptr ? c.expected : c.text))
            << exstring(c.text).ToUtf8();
}

TEST(GetText, Placeholders) {
    exmlang table;
    table.Set(EXT("global"), EXT("version"), EXT("Version %0"));
    table.Set(EXT("global"), EXT("sure"), EXT("100%% sure"));
    table.Set(EXT("global"), EXT("many"), EXT("%5%4%3%2%1%0 %6 end%"));
    EXPECT_EQ(table.GetText(EXT("global"), EXT("version"), EXT("1.2")), exstring(EXT("Version 1.2")));
    EXPECT_EQ(table.GetText(EXT(""), EXT("version"), EXT("1.0")), exstring(EXT("Version 1.0")));
    EXPECT_EQ(table.GetText(EXT("global"), EXT("sure")), exstring(EXT("100% sure")));
    EXPECT_EQ(table.GetText(EXT("global"), EXT("many"), EXT("a"), EXT("b"), EXT("c"), EXT("d"), EXT("e"), EXT("f")),
              exstring(EXT("fedcba %6 end%")));
    // Arguments are inserted as they are, never scanned.
    EXPECT_EQ(table.GetText(EXT("global"), EXT("version"), EXT("%1%%")), exstring(EXT("Version %1%%")));
    EXPECT_EQ(table.GetText(EXT("global"), EXT("missing")), exstring());
    EXPECT_EQ(table.GetText(EXT("nowhere"), EXT("version")), exstring());
}

TEST(Languages, RightToLeftByPrimaryTag) {
    const struct {
        const exchar* tag;
        bool rightToLeft;
    } cases[] = {{EXT("he"), true}, {EXT("ar-EG"), true}, {EXT("FA"), true}, {EXT("en"), false},
                 {EXT("fr-CA"), false}, {EXT("hr"), false}, {EXT("arn"), false}, {EXT(""), false}};
    for (const auto& c : cases) EXPECT_EQ(IsRightToLeftLanguage(c.tag), c.rightToLeft) << exstring(c.tag).ToUtf8();
}

} // namespace
