// Owner-drawn menus: measuring, drawing by pixels, the sub-menu wrappers and
// the reaction to scheme and font changes.
#include <gtest/gtest.h>

#include <chrono>

#include "fixture/fixture_ids.h"
#include "testsupport.h"
#include "toolkit/exapp.h"
#include "toolkit/exbasedlg.h"
#include "toolkit/exmenu.h"
#include "toolkit/extheme.h"
#include "toolkit/offscreenbuffer.h"

namespace {

const wchar_t kSample[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// Widths and heights with the dialog font, measured here rather than by the menu code.
int Width(const wchar_t* text) { return TextExtent(Theme().DialogFont(), text).cx; }
int Column() { return TextExtent(Theme().DialogFont(), kSample).cy + 12; }
int Gap() { return 4 * ((Width(kSample) + 26) / 52); }

UINT ItemType(HMENU menu, UINT position) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE;
    GetMenuItemInfoW(menu, position, TRUE, &info);
    return info.fType;
}

SIZE MeasureThroughMenuLayer(UINT id) {
    MEASUREITEMSTRUCT item{};
    item.CtlType = ODT_MENU;
    item.itemID = id;
    EXPECT_TRUE(MeasureMenuItem(&item)) << "item " << id << " found no menu";
    return SIZE{static_cast<LONG>(item.itemWidth), static_cast<LONG>(item.itemHeight)};
}

// One item drawn through the menu layer on a 32-bit bitmap.
struct DrawnItem {
    static constexpr int kWidth = 200;
    OffscreenBuffer buffer{OffscreenBuffer::Kind::Dib32};
    int height;
    DrawnItem(HMENU menu, UINT id, UINT state, int itemHeight) : height(itemHeight) {
        DRAWITEMSTRUCT item{};
        item.CtlType = ODT_MENU;
        item.itemID = id;
        item.itemAction = ODA_DRAWENTIRE;
        item.itemState = state;
        item.hwndItem = reinterpret_cast<HWND>(menu);
        item.hDC = buffer.Get(nullptr, kWidth, height);
        item.rcItem = RECT{0, 0, kWidth, height};
        EXPECT_TRUE(DrawMenuItem(&item));
    }
    COLORREF At(int x, int y) const { return GetPixel(buffer.Dc(), x, y); }
    // Pixels left of `right` that are `color` (other == null) or differ from `other`.
    int Count(COLORREF color, const DrawnItem* other, int right = kWidth) const {
        int count = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < right; ++x) count += (other ? At(x, y) != other->At(x, y) : At(x, y) == color);
        return count;
    }
};

class MenuTest : public ::testing::Test {
protected:
    void TearDown() override {
        Theme().ApplyScheme(-1);
        Theme().CreateFonts(SystemMenuFont(), 1.45);
    }
};

TEST_F(MenuTest, TextsMeasureAsFirstPartGapAndLastPart) {
    ASSERT_TRUE(Theme().ApplyScheme(1));
    exMenu menu;
    ASSERT_TRUE(menu.CreatePopup());
    const struct {
        UINT id;
        const wchar_t *text, *first, *last;  // last null: no accelerator part
    } cases[] = {
        {1, L"&Open\tCtrl+O", L"Open", L"Ctrl+O"},
        {2, L"Wide first\tmiddle part\tEnd", L"Wide first", L"End"},
        {3, L"Plain text", L"Plain text", nullptr},
        {4, L"\tOnly accel", L"", L"Only accel"},
    };
    for (const auto& c : cases) ASSERT_TRUE(menu.AppendItem(c.id, c.text));
    ASSERT_TRUE(menu.AppendItem(0, L""));

    const int columns = 2 * Column() - GetSystemMetrics(SM_CXMENUCHECK);
    for (const auto& c : cases) {
        const int text = Width(c.first) + (c.last ? Gap() + Width(c.last) : Gap() / 2);
        const SIZE size = MeasureThroughMenuLayer(c.id);
        EXPECT_TRUE(size.cx == text + columns && size.cy == Column())
            << exstring(c.text).ToUtf8() << ": " << size.cx << " x " << size.cy;
    }
    const SIZE separator = MeasureThroughMenuLayer(0);
    EXPECT_EQ(separator.cx, separator.cy);
    EXPECT_GT(separator.cx, 0);
    EXPECT_EQ(separator.cx % 2, 0) << separator.cx;
}

TEST_F(MenuTest, DarkItemsAreDrawnInTheSchemeColoursWithRadioLikeCheck) {
    ASSERT_TRUE(Theme().ApplyScheme(1));
    exMenu menu;
    ASSERT_TRUE(menu.CreatePopup());
    for (UINT id = 1; id <= 3; ++id) ASSERT_TRUE(menu.AppendItem(id, L"Same text"));
    ASSERT_TRUE(menu.AppendItem(0, L""));
    ASSERT_TRUE(menu.SetCheck(1, true));
    ASSERT_TRUE(menu.CheckRadio(2, 3, 2));
    EXPECT_EQ(ItemType(menu.Handle(), 1) & MFT_RADIOCHECK, 0u) << "no bullet when the system draws it";
    const int height = menu.GetItemHeight();

    const DrawnItem check(menu.Handle(), 1, 0, height), radio(menu.Handle(), 2, 0, height);
    const DrawnItem unchecked(menu.Handle(), 3, 0, height);
    EXPECT_EQ(unchecked.At(DrawnItem::kWidth - 2, 1), 0x252525u) << "background";
    EXPECT_GT(unchecked.Count(0xDADADA, nullptr), 10) << "text pixels in the scheme's text colour";
    EXPECT_GT(check.Count(0xDADADA, nullptr, height), 4) << "a mark in the check column, in the line colour";
    EXPECT_EQ(radio.Count(0, &check), 0) << "pixels that differ";
    EXPECT_GT(unchecked.Count(0, &radio, height), 4) << "pixels that differ in the check column";

    const DrawnItem selected(menu.Handle(), 3, ODS_SELECTED, height);
    EXPECT_EQ(selected.At(DrawnItem::kWidth - 2, 1), 0x686868u) << "selected: facePressed";
    EXPECT_EQ(selected.At(1, height - 2), 0x686868u);
    const DrawnItem separator(menu.Handle(), 0, 0, 8);
    EXPECT_EQ(separator.At(DrawnItem::kWidth / 2, 4), 0x858585u) << "separator line at the middle";
    EXPECT_EQ(separator.At(DrawnItem::kWidth / 2, 1), 0x252525u);
}

TEST_F(MenuTest, SubMenuWrappersLiveAndDieWithTheirItemsAndGreyTheirOpeners) {
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

TEST_F(MenuTest, OwnerDrawingFollowsTheScheme) {
    ASSERT_TRUE(Theme().ApplyScheme(-1));
    exMenu menu;
    ASSERT_TRUE(menu.CreatePopup());
    ASSERT_TRUE(menu.AppendItem(1, L"One"));
    exMenu* sub = menu.AppendPopup(L"Sub");
    ASSERT_TRUE(sub != nullptr && sub->AppendItem(2, L"Two"));
    ASSERT_TRUE(menu.SetCheck(1, true));
    EXPECT_EQ(ItemType(menu.Handle(), 0) & MFT_OWNERDRAW, 0u) << "system colours: the system draws";

    ASSERT_TRUE(Theme().ApplyScheme(1));
    for (HMENU m : {menu.Handle(), sub->Handle()})
        for (UINT position = 0; position < static_cast<UINT>(GetMenuItemCount(m)); ++position)
            EXPECT_NE(ItemType(m, position) & MFT_OWNERDRAW, 0u) << "Dark, position " << position;
    exMenu fresh;
    ASSERT_TRUE(fresh.CreatePopup() && fresh.AppendItem(5, L"New"));
    EXPECT_NE(ItemType(fresh.Handle(), 0) & MFT_OWNERDRAW, 0u);

    const HMENU before = menu.Handle();
    ASSERT_TRUE(Theme().ApplyScheme(-1));
    EXPECT_NE(menu.Handle(), before) << "rebuilt";
    EXPECT_EQ((ItemType(menu.Handle(), 0) | ItemType(sub->Handle(), 0)) & MFT_OWNERDRAW, 0u);
    EXPECT_EQ(menu.GetSubMenu(1), sub) << "the sub-menu's object moved to the copy";
    EXPECT_EQ(sub->GetItemText(0), exstring(L"Two"));
    EXPECT_NE(GetMenuState(menu.Handle(), 1, MF_BYCOMMAND) & MF_CHECKED, 0u) << "the check survives";
}

// What the timer saw of the first item while the tracked menu was open.
struct TrackedView {
    HWND owner = nullptr;
    HMENU menu = nullptr;
    RECT item{};
    COLORREF background = 0;
    int ticks = 0;
} g_view;

// Runs inside the menu's modal loop: waits until the item shows, samples it, closes the menu.
void CALLBACK SampleOpenMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    RECT& item = g_view.item;
    const bool shown = GetMenuItemRect(g_view.owner, g_view.menu, 0, &item) && item.bottom > item.top;
    if (shown) g_view.background = ScreenPixel(item.right - 3, item.top + 2);
    if ((shown && g_view.background == 0x252525) || ++g_view.ticks > 30) {
        KillTimer(nullptr, timer);
        EndMenu();
    }
}

TEST_F(MenuTest, TrackedPopupIsMeasuredAndDrawnAndFollowsTheFont) {
    ASSERT_TRUE(Theme().ApplyScheme(1));
    exBaseApp app;
    exBaseDlg dialog(IDD_TOOLKIT_FIXTURE);
    ASSERT_TRUE(dialog.Create(nullptr));
    ShowWindow(dialog.Handle(), SW_SHOW);
    SetForegroundWindow(dialog.Handle());
    exMenu menu;
    ASSERT_TRUE(menu.CreatePopup());
    ASSERT_TRUE(menu.AppendItem(1, L"First\tCtrl+F") && menu.AppendItem(2, L"Second"));

    const auto trackedHeight = [&] {
        g_view = TrackedView{dialog.Handle(), menu.Handle()};
        SetTimer(nullptr, 0, 50, SampleOpenMenu);
        menu.TrackPopup(100, 100, dialog.Handle());
        return g_view.item.bottom - g_view.item.top;
    };
    const int first = trackedHeight();
    EXPECT_EQ(first, Column()) << "measured by the menu";
    EXPECT_EQ(g_view.background, 0x252525u) << "drawn by the menu";

    LOGFONTW larger = SystemMenuFont();
    larger.lfHeight = -28;
    const HMENU before = menu.Handle();
    Theme().CreateFonts(larger, 1.45);
    // Windows keeps the sizes it measured until the menu changes; Wine measures on every show.
    EXPECT_NE(menu.Handle(), before) << "rebuilt for the new font";
    const int second = trackedHeight();
    EXPECT_EQ(second, Column()) << "measured again with the new font";
    EXPECT_GT(second, first);
}

} // namespace
