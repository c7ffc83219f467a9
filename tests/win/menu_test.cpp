// The menu wrapper: sub-menus that live and die with their items, and the
// greying of the items that open them. (Owner drawing belongs to the colour
// schemes; see the theme tests.)
#include <gtest/gtest.h>

#include "testsupport.h"
#include "toolkit/exmenu.h"

namespace {

TEST(Menu, SubMenuWrappersLiveAndDieWithTheirItemsAndGreyTheirOpeners) {
    exMenu menu;
    EXPECT_EQ(menu.AppendPopup(L"Nothing held"), nullptr);
    ASSERT_TRUE(menu.CreatePopup());
    exMenu* sub = menu.AppendPopup(L"Sub");
    ASSERT_NE(sub, nullptr);
    exMenu* deeper = sub->AppendPopup(L"Deeper");
    ASSERT_NE(deeper, nullptr);
    EXPECT_EQ(menu.GetSubMenu(0), sub);
    const HMENU subHandle = sub->Handle(), deeperHandle = deeper->Handle();
    ASSERT_TRUE(menu.RemoveItem(0, true));
    EXPECT_EQ(exMenu::FromHandle(subHandle), nullptr);
    EXPECT_EQ(exMenu::FromHandle(deeperHandle), nullptr);

    exMenu orphan;
    ASSERT_TRUE(orphan.CreatePopup());
    DestroyMenu(orphan.Handle());
    EXPECT_EQ(orphan.AppendPopup(L"Into a destroyed menu"), nullptr);

    // EnablePopupOf greys or enables the item that opens the sub-menu holding an ID, at any depth.
    ASSERT_TRUE(menu.AppendItem(1, L"One"));
    exMenu* first = menu.AppendPopup(L"First");
    exMenu* second = menu.AppendPopup(L"Second");
    ASSERT_TRUE(first != nullptr && second != nullptr);
    ASSERT_TRUE(first->AppendItem(10, L"Ten"));
    exMenu* nested = second->AppendPopup(L"Nested");
    ASSERT_TRUE(nested != nullptr && nested->AppendItem(20, L"Twenty"));

    const auto greyed = [](exMenu* m, UINT position) {
        return (GetMenuState(m->Handle(), position, MF_BYPOSITION) & MF_GRAYED) != 0;
    };
    ASSERT_TRUE(menu.EnablePopupOf(20, false));
    EXPECT_TRUE(greyed(second, 0)) << "the item opening the nested menu";
    EXPECT_FALSE(greyed(&menu, 1) || greyed(&menu, 2));
    ASSERT_TRUE(menu.EnablePopupOf(10, false));
    EXPECT_TRUE(greyed(&menu, 1));
    ASSERT_TRUE(menu.EnablePopupOf(20, true));
    EXPECT_FALSE(greyed(second, 0));
    EXPECT_FALSE(menu.EnablePopupOf(99, false));
}

} // namespace
