// The menu wrapper: sub-menus whose objects live and die with their menu.
// (Greying and owner drawing show in the settings menu and appearance tests.)
#include <gtest/gtest.h>

#include "testsupport.h"
#include "../../toolkit/controls/exmenu.h"

namespace {

TEST(Menu, SubMenuObjectsLiveAndDieWithTheirMenu) {
    HMENU subHandle = nullptr, deeperHandle = nullptr;
    {
        exMenu menu;
        EXPECT_EQ(menu.AppendPopup(L"Nothing held"), nullptr);
        ASSERT_TRUE(menu.CreatePopup());
        exMenu* sub = menu.AppendPopup(L"Sub");
        ASSERT_NE(sub, nullptr);
        exMenu* deeper = sub->AppendPopup(L"Deeper");
        ASSERT_NE(deeper, nullptr);
        EXPECT_EQ(menu.GetSubMenu(0), sub) << "one object a sub-menu";
        subHandle = sub->Handle();
        deeperHandle = deeper->Handle();
        EXPECT_EQ(exMenu::FromHandle(deeperHandle), deeper);
    }
    EXPECT_EQ(exMenu::FromHandle(subHandle), nullptr);
    EXPECT_EQ(exMenu::FromHandle(deeperHandle), nullptr);
}

} // namespace
