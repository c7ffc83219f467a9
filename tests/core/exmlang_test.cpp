#include <gtest/gtest.h>

#include "lang/exmlang.h"
#include "testtext.h"

namespace {

class MacroExpansion : public ::testing::Test {
protected:
    void SetUp() override {
        table.AddMacro(EXT("app_name"), EXT("Marrowgate"));
        table.Set(EXT("global"), EXT("no"), EXT("&No"));
        table.Set(EXT("global"), EXT("yes"), EXT("&Yes"));
        table.Set(EXT("global"), EXT("open"), EXT("Open (&O)..."));
        table.Set(EXT("settings"), EXT("password"), EXT("Set &Password..."));
        table.Set(EXT("main"), EXT("password"), EXT("main's own"));
    }
    exstring Stored(const exchar* section, const exchar* text) {
        table.Set(section, EXT("probe"), text);
        return table.Get(section, EXT("probe"));
    }
    exmlang table;
};

// Embedded in text a macro loses its decorations; as the whole text it keeps them.
TEST_F(MacroExpansion, EmbeddedMacrosLoseDecorations) {
    EXPECT_EQ(Stored(EXT("main"), EXT("Don't ask me again if I choose %no to continue")),
              exstring(EXT("Don't ask me again if I choose No to continue")));
    EXPECT_EQ(Stored(EXT("main"), EXT("Click %open now")), exstring(EXT("Click Open  now")));
    EXPECT_EQ(Stored(EXT("main"), EXT("x %[settings]password")), exstring(EXT("x Set Password")));
    EXPECT_EQ(Stored(EXT("main"), EXT("%yes")), exstring(EXT("&Yes")));
    EXPECT_EQ(Stored(EXT("main"), EXT("%open")), exstring(EXT("Open (&O)...")));
}

TEST_F(MacroExpansion, LookupOrder) {
    // The macro table wins over every section.
    table.Set(EXT("global"), EXT("app_name"), EXT("from global"));
    EXPECT_EQ(Stored(EXT("main"), EXT("I am %app_name.")), exstring(EXT("I am Marrowgate.")));
    // The current section before "global", an explicit section before both.
    table.Set(EXT("global"), EXT("password"), EXT("global's"));
    EXPECT_EQ(Stored(EXT("main"), EXT("[%password]")), exstring(EXT("[main's own]")));
    EXPECT_EQ(Stored(EXT("other"), EXT("[%password]")), exstring(EXT("[global's]")));
    EXPECT_EQ(Stored(EXT("main"), EXT("[%[settings]password]")), exstring(EXT("[Set Password]")));
    // An explicit section that lacks the key leaves the macro.
    EXPECT_EQ(Stored(EXT("main"), EXT("[%[nowhere]password]")), exstring(EXT("[%[nowhere]password]")));
}

TEST_F(MacroExpansion, WhatIsNoMacro) {
    EXPECT_EQ(Stored(EXT("main"), EXT("%later stays")), exstring(EXT("%later stays")));
    table.Set(EXT("main"), EXT("later"), EXT("now"));
    EXPECT_EQ(table.Get(EXT("main"), EXT("probe")), exstring(EXT("%later stays")));  // not re-expanded

    EXPECT_EQ(Stored(EXT("main"), EXT("%app_name_")), exstring(EXT("Marrowgate_")));
    EXPECT_EQ(Stored(EXT("main"), EXT("%app_name-_")), exstring(EXT("%app_name-_")));  // name "app_name-"
    EXPECT_EQ(Stored(EXT("main"), EXT("%- %_ % %")), exstring(EXT("%- %_ % %")));
    EXPECT_EQ(Stored(EXT("main"), EXT("100%% %0 %9 %")), exstring(EXT("100%% %0 %9 %")));
    EXPECT_EQ(Stored(EXT("main"), EXT("%[unclosed")), exstring(EXT("%[unclosed")));
    EXPECT_EQ(Stored(EXT("main"), EXT("%[global]")), exstring(EXT("%[global]")));
    // Inserted text is not expanded again.
    table.AddMacro(EXT("loop"), EXT("%loop and %app_name"));
    EXPECT_EQ(Stored(EXT("main"), EXT("<%loop>")), exstring(EXT("<%loop and %app_name>")));
}

TEST_F(MacroExpansion, EmptyReplacementLeavesTheMacro) {
    table.AddMacro(EXT("blank"), EXT(""));
    table.Set(EXT("global"), EXT("blank"), EXT("not used"));
    EXPECT_EQ(Stored(EXT("main"), EXT("a %blank b")), exstring(EXT("a %blank b")));
    EXPECT_FALSE(table.AddMacro(EXT(""), EXT("x")));
    EXPECT_TRUE(table.AddMacro(EXT("APP_NAME"), EXT("Other")));
    EXPECT_EQ(Stored(EXT("main"), EXT("%app_name")), exstring(EXT("Other")));
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

} // namespace
