// Static text, separator lines, picture boxes and the tooltip, in the
// toolkit fixture dialog, checked by sizes and by what the screen shows.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <vector>

#include "fixture/fixturedialog.h"
#include "testsupport.h"
#include "toolkit/exapp.h"
#include "toolkit/extheme.h"
#include "toolkit/extooltip.h"

namespace {

using namespace std::chrono_literals;

TEST(StaticFlags, StyleToDrawTextFlags) {
    const struct {
        LONG style;
        bool hidePrefix;
        UINT expected;  // besides DT_WORDBREAK
    } cases[] = {
        {SS_LEFT, false, DT_NOCLIP},          {SS_CENTER, false, DT_CENTER | DT_NOCLIP},
        {SS_RIGHT, false, DT_RIGHT | DT_NOCLIP}, {SS_SIMPLE, false, DT_SINGLELINE},
        {SS_LEFTNOWORDWRAP, false, DT_SINGLELINE | DT_NOCLIP},
        {SS_LEFT | SS_CENTERIMAGE, false, DT_VCENTER | DT_SINGLELINE | DT_NOCLIP},
        {SS_LEFT | SS_ENDELLIPSIS, false, DT_END_ELLIPSIS | DT_WORD_ELLIPSIS | DT_NOCLIP},
        {SS_LEFT | SS_PATHELLIPSIS, false, DT_PATH_ELLIPSIS | DT_WORD_ELLIPSIS | DT_NOCLIP},
        {SS_LEFT | SS_WORDELLIPSIS, false, DT_END_ELLIPSIS | DT_PATH_ELLIPSIS | DT_WORD_ELLIPSIS | DT_NOCLIP},
        {SS_LEFT | SS_EDITCONTROL, false, DT_EDITCONTROL | DT_NOCLIP},
        {SS_LEFT | SS_NOPREFIX, true, DT_NOPREFIX | DT_NOCLIP}, {SS_LEFT, true, DT_HIDEPREFIX | DT_NOCLIP},
        {SS_BLACKRECT, false, DT_NOCLIP},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StaticStyleFlags(c.style, c.hidePrefix), DT_WORDBREAK | c.expected) << std::hex << c.style;
    // What the static draws with: an ellipsis that may wrap also needs DT_EDITCONTROL.
    EXPECT_EQ(StaticTextFlags(SS_LEFT | SS_ENDELLIPSIS, false),
              DT_WORDBREAK | DT_END_ELLIPSIS | DT_WORD_ELLIPSIS | DT_NOCLIP | DT_EDITCONTROL);
}

SIZE ClientSize(HWND window) {
    RECT rect{};
    GetClientRect(window, &rect);
    return SIZE{rect.right, rect.bottom};
}

// A solid square icon of one colour.
struct SolidIcon {
    HICON handle;
    SolidIcon(int size, COLORREF color) {
        const DWORD bgra = (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
        const std::vector<DWORD> colorBits(static_cast<size_t>(size * size), bgra);
        const std::vector<BYTE> mask(static_cast<size_t>(size * size / 8), 0);
        handle = CreateIcon(nullptr, size, size, 1, 32, mask.data(), reinterpret_cast<const BYTE*>(colorBits.data()));
    }
    ~SolidIcon() { DestroyIcon(handle); }
};

class StaticsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dialog.Create(nullptr)); }
    FixtureDialog dialog;
};

TEST_F(StaticsTest, LongerTextGrowsDownwardsKeepingTopAndWidth) {
    HWND wrap = dialog.wrap.Handle();
    const RECT before = WindowRectOf(wrap);
    SetWindowTextW(wrap, L"A much longer text that cannot fit on one line of this narrow static, so it wraps "
                         L"onto several lines below the first one.");
    const RECT after = WindowRectOf(wrap);
    EXPECT_TRUE(after.top == before.top && after.left == before.left && after.right == before.right);
    EXPECT_GT(after.bottom - after.top, 2 * (before.bottom - before.top)) << "at least three lines";
    SetWindowTextW(wrap, L"Short text");
    EXPECT_EQ(WindowRectOf(wrap).bottom, before.bottom) << "and shrinks back";

    exStatic fixed;
    fixed.SetFixedHeight(true);
    dialog.wrap.Detach(false);
    ASSERT_TRUE(fixed.SubclassWindow(wrap));
    SetWindowTextW(wrap, L"A much longer text that cannot fit on one line of this narrow static at all.");
    EXPECT_EQ(WindowRectOf(wrap).bottom, before.bottom) << "a fixed-height static keeps its height";
}

TEST_F(StaticsTest, SeparatorLinesAndPictureBoxesSizeToTheirContent) {
    EXPECT_EQ(ClientSize(dialog.line.Handle()).cy, 2) << "without text";
    const int fontHeight = TextExtent(Theme().DialogFont(), L"x").cy;
    EXPECT_EQ(ClientSize(dialog.captionLine.Handle()).cy, fontHeight) << "with text: the font's height";
    SetWindowTextW(dialog.line.Handle(), L"Now with text");
    EXPECT_EQ(ClientSize(dialog.line.Handle()).cy, fontHeight);
    SetWindowTextW(dialog.line.Handle(), L"");
    EXPECT_EQ(ClientSize(dialog.line.Handle()).cy, 2);

    HWND picture = dialog.picture.Handle();
    const auto side = [&](int expected) {
        const SIZE size = ClientSize(picture);
        return size.cx == expected && size.cy == expected;
    };
    EXPECT_EQ(dialog.picture.Icon(), nullptr);
    EXPECT_TRUE(side(0));
    SolidIcon small(32, RGB(200, 0, 0)), large(48, RGB(0, 0, 200));
    SendMessageW(picture, STM_SETICON, reinterpret_cast<WPARAM>(small.handle), 0);
    EXPECT_EQ(dialog.picture.Icon(), small.handle);
    EXPECT_TRUE(side(32));
    SendMessageW(picture, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(large.handle));
    EXPECT_TRUE(side(48));

    SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(small.handle));
    EXPECT_EQ(dialog.picture.Icon(), large.handle) << "only icons count";
    SetWindowTextW(picture, L"text");
    EXPECT_TRUE(side(48)) << "text does not resize a picture box";
    dialog.picture.SetIcon(nullptr);
}

TEST_F(StaticsTest, StyleChangeToAnotherTypeIsDrawnButUndone) {
    HWND wrap = dialog.wrap.Handle();
    const LONG_PTR style = GetWindowLongPtrW(wrap, GWL_STYLE);
    SetWindowLongPtrW(wrap, GWL_STYLE, (style & ~SS_TYPEMASK) | SS_CENTER | SS_NOPREFIX);
    EXPECT_EQ(GetWindowLongPtrW(wrap, GWL_STYLE) & SS_TYPEMASK, SS_OWNERDRAW) << "owner-drawn again";
    EXPECT_EQ(dialog.wrap.StaticStyle() & (SS_TYPEMASK | SS_NOPREFIX), SS_CENTER | SS_NOPREFIX);
}

// ---- tooltip ----

int ToolCount() {
    return static_cast<int>(SendMessageW(ToolTipWindow(), TTM_GETTOOLCOUNT, 0, 0));
}

TEST(ToolTip, TextsAreCleanedOfAmpersandsAndTheNewDialogFontIsTaken) {
    ASSERT_TRUE(ToolTip().Create());
    TestWindow owner(L"tooltip owner");
    HWND tool = CreateWindowExW(0, L"BUTTON", L"x", WS_CHILD | WS_VISIBLE, 0, 0, 80, 20, owner.Handle(), nullptr,
                                nullptr, nullptr);
    const int before = ToolCount();
    ToolTip().AddTool(nullptr, L"nothing");
    ToolTip().AddTool(tool, nullptr);
    EXPECT_EQ(ToolCount(), before) << "no window or no text: nothing added";
    ToolTip().AddTool(tool, L"&Wait && see....\tCtrl+W");
    EXPECT_EQ(ToolTip().ToolText(tool), exstring(L"Wait && see...."));
    ToolTip().RemoveTool(tool);
    EXPECT_EQ(ToolCount(), before);

    LOGFONTW base = SystemMenuFont();
    base.lfHeight = -21;
    Theme().CreateFonts(base, 1.45);
    LOGFONTW used{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(ToolTipWindow(), WM_GETFONT, 0, 0)), sizeof(used), &used);
    Theme().CreateFonts(SystemMenuFont(), 1.45);
    EXPECT_EQ(used.lfHeight, -21);
}

// Pumps through the application's PreTranslateMessage, which relays mouse
// messages to the tooltip, until the tip shows; false when it never does.
bool PumpUntilTheTipShows(exApp& app, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (MSG message;; Sleep(20)) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (app.PreTranslateMessage(&message)) continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (IsWindowVisible(ToolTipWindow())) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
    }
}

TEST_F(StaticsTest, TipShowsOverTheRestingPointerAndHidesWithItsTool) {
    exBaseApp app;
    ASSERT_TRUE(ToolTip().Create());
    ShowAndSettle(dialog.Handle());
    HWND button = dialog.Item(IDC_FX_BUTTON);
    ToolTip().AddTool(button, L"&Lock Now");
    SetForegroundWindow(dialog.Handle());  // tips show only for tools of the active window
    ASSERT_TRUE(WaitFor([&] { return GetActiveWindow() == dialog.Handle(); }, 2s));
    SetCursorPos(2, 2);  // from outside first, so that the move onto the tool is one
    PumpUntilTheTipShows(app, 0ms);
    const POINT centre = e2e::CentreOf(button);
    SetCursorPos(centre.x, centre.y);
    ASSERT_TRUE(PumpUntilTheTipShows(app, 5s)) << "the pointer rests on the button";
    EXPECT_EQ(WindowTextOf(ToolTipWindow()), exstring(L"Lock Now"));
    ToolTip().RemoveTool(button);
    EXPECT_FALSE(IsWindowVisible(ToolTipWindow())) << "removing the tool hides its tip";
    SetCursorPos(0, 0);
}

} // namespace
