#include <gtest/gtest.h>

#include "lang/mgtmlang.h"
#include "testtext.h"

namespace {

TEST(Catalogue, ExpandedTextsAsStored) {
    const mgtMLang strings;
    EXPECT_EQ(strings.GetText(EXT("main"), EXT("blankpwd_suppress")),
              exstring(EXT("Don't ask me again if I choose No to continue")));
    EXPECT_EQ(strings.GetText(EXT("password"), EXT("info_login")),
              exstring(EXT("Please enter the correct password and click OK to continue.")));
}

TEST(Catalogue, DecorationsAndSymbolsSurvive) {
    const mgtMLang strings;
    EXPECT_EQ(strings.GetText(EXT("settings"), EXT("password")), exstring(EXT("Set &Password...")));
    EXPECT_EQ(strings.GetText(EXT("main"), EXT("settings")), exstring(EXT("&Settings \u00BB")));
    EXPECT_EQ(strings.GetText(EXT("password"), EXT("hint_pwdwrong")), exstring(EXT("\u00D7 Incorrect password")));
    const exstring prompt = strings.GetText(EXT("main"), EXT("blankpwdprompt"));
    EXPECT_NE(prompt.find(EXT("password. \r\n\r\nWould you")), exstring::npos);
}

TEST(Catalogue, SectionsDecideAndArgumentsFill) {
    const mgtMLang strings;
    EXPECT_EQ(strings.GetText(EXT("settings"), EXT("pwdhint")), exstring(EXT("Type a password hint [optional]")));
    EXPECT_EQ(strings.GetText(EXT("password"), EXT("pwdhint")), exstring(EXT("Password &Hint")));
    EXPECT_EQ(strings.GetText(EXT("global"), EXT("version"), EXT("1.0")), exstring(EXT("Version 1.0")));
    EXPECT_EQ(strings.GetText(EXT(""), EXT("locking")), exstring(EXT("Locking Desktop")));
    EXPECT_EQ(strings.GetText(EXT("settings"), EXT("bgimage_filter"), EXT("*.bmp;*.png")),
              exstring(EXT("Image Files|*.bmp;*.png|All File|*.*|")));
}

TEST(Catalogue, MacrosAreNotTexts) {
    const mgtMLang strings;
    EXPECT_EQ(strings.GetText(EXT("global"), EXT("app_name")), exstring());
    EXPECT_EQ(strings.size(), 4u);
    size_t texts = 0;
    for (const auto& section : strings) texts += section.second.size();
    EXPECT_EQ(texts, 50u);
}

} // namespace
