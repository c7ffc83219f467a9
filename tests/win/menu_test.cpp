// Owner-drawn menus: measuring, drawing by pixels, the sub-menu wrappers and
// the reaction to scheme and font changes.
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "fixture/fixture_ids.h"
#include "testsupport.h"
#include "toolkit/exapp.h"
#include "toolkit/exbasedlg.h"
#include "toolkit/exmenu.h"
#include "toolkit/extheme.h"
#include "toolkit/offscreenbuffer.h"

namespace {

using namespace std::chrono_literals;

const wchar_t kSample[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// Widths and heights with the dialog font, measured here rather than by the menu code.
struct TextRuler {
    OffscreenBuffer buffer{OffscreenBuffer::Kind::Dib32};
    HDC dc = buffer.Get(nullptr, 8, 8);
    TextRuler() { SelectObject(dc, Theme().DialogFont()); }
    SIZE Size(const wchar_t* text) {
        RECT rect{0, 0, 1024, 768};
        if (*text != L'\0') DrawTextW(dc, text, -1, &rect, DT_CALCRECT | DT_SINGLELINE);
        return *text != L'\0' ? SIZE{rect.right, rect.bottom} : SIZE{0, 0};
    }
    int Column() { return Size(kSample).cy + 12; }
    int Gap() { return 4 * ((Size(kSample).cx + 26) / 52); }
};

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
    int Count(COLORREF color, int left = 0, int right = kWidth) const {
        int count = 0;
        for (int y = 0; y < height; ++y)
            for (int x = left; x < right; ++x) count += At(x, y) == color ? 1 : 0;
        return count;
    }
    int Differences(const DrawnItem& other, int right = kWidth) const {
        int count = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < right; ++x) count += At(x, y) != other.At(x, y) ? 1 : 0;
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
    struct Case {
        UINT id;
        const wchar_t* text;
        const wchar_t* first;
        const wchar_t* last;  // null: no accelerator part
    };
    const Case cases[] = {
        {1, L"&Open\tCtrl+O", L"Open", L"Ctrl+O"},
        {2, L"Wide first\tmiddle part\tEnd", L"Wide first", L"End"},
        {3, L"Plain text", L"Plain text", nullptr},
        {4, L"\tOnly accel", L"", L"Only accel"},
    };
    for (const Case& c : cases) ASSERT_TRUE(menu.AppendItem(c.id, c.text));
    ASSERT_TRUE(menu.AppendItem(0, L""));

    TextRuler ruler;
    const int columns = 2 * ruler.Column() - GetSystemMetrics(SM_CXMENUCHECK);
    for (const Case& c : cases) {
        const int text = ruler.Size(c.first).cx + (c.last != nullptr ? ruler.Gap() + ruler.Size(c.last).cx : ruler.Gap() / 2);
        const SIZE size = MeasureThroughMenuLayer(c.id);
        EXPECT_EQ(size.cx, text + columns) << exstring(c.text).ToUtf8();
        EXPECT_EQ(size.cy, ruler.Column()) << exstring(c.text).ToUtf8();
    }
    const SIZE separator = MeasureThroughMenuLayer(0);
    EXPECT_EQ(separator.cx, separator.cy);
    EXPECT_GT(separator.cx, 0);
    EXPECT_EQ(separator.cx % 2, 0) << separator.cx;
}

TEST_F(MenuTest, DarkItemsAreDrawnInTheSchemeColours) {
    ASSERT_TRUE(Theme().ApplyScheme(1));
    exMenu menu;
    ASSERT_TRUE(menu.CreatePopup());
    ASSERT_TRUE(menu.AppendItem(1, L"Item"));
    ASSERT_TRUE(menu.AppendItem(0, L""));
    const int height = menu.GetItemHeight();

    const DrawnItem normal(menu.Handle(), 1, 0, height);
    EXPECT_EQ(normal.At(DrawnItem::kWidth - 2, 1), 0x252525u) << "background";
    EXPECT_GT(normal.Count(0xDADADA), 10) << "text pixels in the scheme's text colour";
    const DrawnItem selected(menu.Handle(), 1, ODS_SELECTED, height);
    EXPECT_EQ(selected.At(DrawnItem::kWidth - 2, 1), 0x686868u) << "selected: facePressed";
    EXPECT_EQ(selected.At(1, height - 2), 0x686868u);
    const DrawnItem separator(menu.Handle(), 0, 0, 8);
    EXPECT_EQ(separator.At(DrawnItem::kWidth / 2, 4), 0x858585u) << "separator line at the middle";
    EXPECT_EQ(separator.At(DrawnItem::kWidth / 2, 1), 0x252525u);
}

TEST_F(MenuTest, RadioItemsShowTheCheckMarkOfCheckItems) {
    ASSERT_TRUE(Theme().ApplyScheme(1));
    exMenu menu;
    ASSERT_TRUE(menu.CreatePopup());
    for (UINT id = 1; id <= 3; ++id) ASSERT_TRUE(menu.AppendItem(id, L"Same text"));
    ASSERT_TRUE(menu.SetCheck(1, true));
    ASSERT_TRUE(menu.CheckRadio(2, 3, 2));
    EXPECT_EQ(ItemType(menu.Handle(), 1) & MFT_RADIOCHECK, 0u) << "no bullet when the system draws it";

    const int height = menu.GetItemHeight();
    const DrawnItem check(menu.Handle(), 1, 0, height);
    const DrawnItem radio(menu.Handle(), 2, 0, height);
    const DrawnItem unchecked(menu.Handle(), 3, 0, height);
    EXPECT_GT(check.Count(0xDADADA, 0, height), 4) << "a mark in the check column, in the line colour";
    EXPECT_EQ(radio.Differences(check), 0) << "pixels that differ";
    EXPECT_GT(unchecked.Differences(radio, height), 4) << "pixels that differ in the check column";
}

TEST_F(MenuTest, SubMenuWrappersLiveAndDieWithTheirItems) {
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
}

TEST_F(MenuTest, EnablePopupOfGreysTheItemThatOpensTheSubMenu) {
    exMenu menu;
    ASSERT_TRUE(menu.CreatePopup());
    ASSERT_TRUE(menu.AppendItem(1, L"One"));
    exMenu* first = menu.AppendPopup(L"First");
    exMenu* second = menu.AppendPopup(L"Second");
    ASSERT_TRUE(first != nullptr && second != nullptr);
    ASSERT_TRUE(first->AppendItem(10, L"Ten"));
    exMenu* nested = second->AppendPopup(L"Nested");
    ASSERT_NE(nested, nullptr);
    ASSERT_TRUE(nested->AppendItem(20, L"Twenty"));

    const auto greyed = [](exMenu* m, UINT position) {
        return (GetMenuState(m->Handle(), position, MF_BYPOSITION) & MF_GRAYED) != 0;
    };
    ASSERT_TRUE(menu.EnablePopupOf(20, false));
    EXPECT_TRUE(greyed(second, 0)) << "the item opening the nested menu";
    EXPECT_FALSE(greyed(&menu, 2));
    EXPECT_FALSE(greyed(&menu, 1));
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
    ASSERT_NE(sub, nullptr);
    ASSERT_TRUE(sub->AppendItem(2, L"Two"));
    ASSERT_TRUE(menu.SetCheck(1, true));
    EXPECT_EQ(ItemType(menu.Handle(), 0) & MFT_OWNERDRAW, 0u) << "system colours: the system draws";

    ASSERT_TRUE(Theme().ApplyScheme(1));
    for (HMENU m : {menu.Handle(), sub->Handle()})
        for (UINT position = 0; position < static_cast<UINT>(GetMenuItemCount(m)); ++position)
            EXPECT_NE(ItemType(m, position) & MFT_OWNERDRAW, 0u) << "Dark, position " << position;
    exMenu fresh;
    ASSERT_TRUE(fresh.CreatePopup());
    ASSERT_TRUE(fresh.AppendItem(5, L"New"));
    EXPECT_NE(ItemType(fresh.Handle(), 0) & MFT_OWNERDRAW, 0u);

    const HMENU before = menu.Handle();
    ASSERT_TRUE(Theme().ApplyScheme(-1));
    EXPECT_NE(menu.Handle(), before) << "rebuilt";
    EXPECT_EQ(ItemType(menu.Handle(), 0) & MFT_OWNERDRAW, 0u);
    EXPECT_EQ(ItemType(sub->Handle(), 0) & MFT_OWNERDRAW, 0u);
    EXPECT_EQ(menu.GetSubMenu(1), sub) << "the sub-menu's object moved to the copy";
    EXPECT_EQ(menu.GetItemText(1), exstring(L"Sub"));
    EXPECT_EQ(sub->GetItemText(0), exstring(L"Two"));
    EXPECT_NE(GetMenuState(menu.Handle(), 1, MF_BYCOMMAND) & MF_CHECKED, 0u) << "the check survives";
}

// A themed dialog of the fixture template that owns the tracked popups.
struct MenuOwnerDialog : exBaseDlg {
    MenuOwnerDialog() : exBaseDlg(IDD_TOOLKIT_FIXTURE) {}
};

struct TrackedView {
    exMenu* menu = nullptr;
    HWND owner = nullptr;
    RECT item{};
    COLORREF background = 0;
    int ticks = 0;
};
TrackedView g_view;

// Runs inside the menu's modal loop: waits until the item shows, samples it, closes the menu.
void CALLBACK SampleOpenMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    RECT item{};
    const bool shown = GetMenuItemRect(g_view.owner, g_view.menu->Handle(), 0, &item) && item.bottom > item.top;
    if (shown) {
        HDC screen = GetDC(nullptr);
        g_view.background = GetPixel(screen, item.right - 3, item.top + 2);
        ReleaseDC(nullptr, screen);
    }
    if ((shown && g_view.background == 0x252525) || ++g_view.ticks > 30) {
        g_view.item = item;
        KillTimer(nullptr, timer);
        EndMenu();
    }
}

TEST_F(MenuTest, TrackedPopupIsMeasuredAndDrawnAndFollowsTheFont) {
    ASSERT_TRUE(Theme().ApplyScheme(1));
    exBaseApp app;
    MenuOwnerDialog dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    ShowWindow(dialog.Handle(), SW_SHOW);
    SetForegroundWindow(dialog.Handle());
    exMenu menu;
    ASSERT_TRUE(menu.CreatePopup());
    ASSERT_TRUE(menu.AppendItem(1, L"First\tCtrl+F"));
    ASSERT_TRUE(menu.AppendItem(2, L"Second"));

    const auto track = [&] {
        g_view = TrackedView{&menu, dialog.Handle()};
        SetTimer(nullptr, 0, 50, SampleOpenMenu);
        menu.TrackPopup(100, 100, dialog.Handle());
        return g_view;
    };
    const TrackedView first = track();
    EXPECT_EQ(first.item.bottom - first.item.top, menu.GetItemHeight()) << "measured by the menu";
    EXPECT_EQ(first.background, 0x252525u) << "drawn by the menu";

    LOGFONTW larger = SystemMenuFont();
    larger.lfHeight = -28;
    const HMENU before = menu.Handle();
    Theme().CreateFonts(larger, 1.45);
    // Windows keeps the sizes it measured until the menu changes; Wine measures on every show.
    EXPECT_NE(menu.Handle(), before) << "rebuilt for the new font";
    TextRuler ruler;
    const TrackedView second = track();
    EXPECT_EQ(second.item.bottom - second.item.top, ruler.Column()) << "measured again with the new font";
    EXPECT_GT(second.item.bottom - second.item.top, first.item.bottom - first.item.top);
}

} // namespace
