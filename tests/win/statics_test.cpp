// Static text, separator lines, picture boxes and the tooltip, in the
// toolkit fixture dialog, checked by sizes and by what the screen shows.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <vector>

#include "fixture/fixturedialog.h"
#include "testsupport.h"
#include "../../toolkit/window/exapp.h"
#include "../../toolkit/theme/extheme.h"
#include "../../toolkit/controls/extooltip.h"

namespace {

using namespace std::chrono_literals;

TEST(StaticFlags, StyleToDrawTextFlags) {
    const struct {
        LONG style;
        bool hidePrefix;
        UINT expected;  // besides DT_WORDBREAK | DT_NOCLIP
    } cases[] = {
        {SS_LEFT, false, 0}, {SS_LEFTNOWORDWRAP, false, DT_SINGLELINE},
        {SS_LEFT | SS_NOPREFIX, true, DT_NOPREFIX}, {SS_LEFT, true, DT_HIDEPREFIX},
        {SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL, false, DT_NOPREFIX | DT_EDITCONTROL | DT_EXPANDTABS},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StaticStyleFlags(c.style, c.hidePrefix), DT_WORDBREAK | DT_NOCLIP | c.expected) << std::hex << c.style;
}

SIZE ClientSize(HWND window) {
    RECT rect{};
    GetClientRect(window, &rect);
    return SIZE{rect.right, rect.bottom};
}

using StaticsTest = FixtureTest;

TEST_F(StaticsTest, LongerTextGrowsDownwardsKeepingTopAndWidth) {
    HWND wrap = dialog.wrap.Handle();
    const RECT before = WindowRectOf(wrap);
    const wchar_t* const longText = L"A much longer text that cannot fit on one line of this narrow static, so it "
                                    L"wraps onto several lines below the first one.";
    SetWindowTextW(wrap, longText);
    const RECT after = WindowRectOf(wrap);
    EXPECT_TRUE(after.top == before.top && after.left == before.left && after.right == before.right);
    EXPECT_GT(after.bottom - after.top, 2 * (before.bottom - before.top)) << "at least three lines";
    SetWindowTextW(wrap, L"Short text");
    EXPECT_EQ(WindowRectOf(wrap).bottom, before.bottom) << "and shrinks back";

    exStatic fixed;
    fixed.SetFixedHeight(true);
    dialog.wrap.Detach(false);
    ASSERT_TRUE(fixed.SubclassWindow(wrap));
    SetWindowTextW(wrap, longText);
    EXPECT_EQ(WindowRectOf(wrap).bottom, before.bottom) << "a fixed-height static keeps its height";
}

// A solid square icon.
UniqueIcon SolidIcon(int size) {
    const std::vector<DWORD> colorBits(static_cast<size_t>(size * size), 0x00C80000);
    const std::vector<BYTE> mask(static_cast<size_t>(size * size / 8), 0);
    return UniqueIcon(CreateIcon(nullptr, size, size, 1, 32, mask.data(), reinterpret_cast<const BYTE*>(colorBits.data())));
}

TEST_F(StaticsTest, SeparatorLinesAndPictureBoxesSizeToTheirContent) {
    EXPECT_EQ(ClientSize(dialog.line.Handle()).cy, 2) << "the template's line is taller";

    HWND picture = dialog.picture.Handle();
    const auto side = [&] { return ClientSize(picture).cx * 1000 + ClientSize(picture).cy; };
    EXPECT_EQ(side(), 0) << "no icon";
    const UniqueIcon small = SolidIcon(32), large = SolidIcon(48);
    SendMessageW(picture, STM_SETICON, reinterpret_cast<WPARAM>(small.Get()), 0);
    EXPECT_EQ(side(), 32032);
    SendMessageW(picture, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(large.Get()));
    EXPECT_EQ(side(), 48048);
    SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(small.Get()));
    SetWindowTextW(picture, L"text");
    EXPECT_EQ(dialog.picture.Icon(), large.Get()) << "only icons count";
    EXPECT_EQ(side(), 48048) << "neither a bitmap nor text resizes a picture box";
    dialog.picture.SetIcon(nullptr);
}

// Another process may restyle the control: it stays owner-drawn, and draws as asked.
TEST_F(StaticsTest, StyleChangeToAnotherTypeIsDrawnButUndone) {
    HWND wrap = dialog.wrap.Handle();
    const LONG_PTR style = GetWindowLongPtrW(wrap, GWL_STYLE);
    SetWindowLongPtrW(wrap, GWL_STYLE, (style & ~SS_TYPEMASK) | SS_LEFTNOWORDWRAP | SS_NOPREFIX);
    EXPECT_EQ(GetWindowLongPtrW(wrap, GWL_STYLE) & SS_TYPEMASK, SS_OWNERDRAW) << "owner-drawn again";
    EXPECT_EQ(dialog.wrap.StaticStyle() & (SS_TYPEMASK | SS_NOPREFIX), SS_LEFTNOWORDWRAP | SS_NOPREFIX);
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

// Buttons register their tooltip when bound, with the window text; the tip
// shows over the resting pointer and follows the text.
TEST_F(StaticsTest, TipShowsOverTheRestingPointerAndHidesWithItsTool) {
    exBaseApp app;
    ShowAndSettle(dialog.Handle());
    HWND button = dialog.Item(IDC_FX_BUTTON);
    SetWindowTextW(button, L"&Unlock");
    EXPECT_EQ(ToolTip().ToolText(button), exstring(L"Unlock")) << "the tool follows the window text";
    SetForegroundWindow(dialog.Handle());  // tips show only for tools of the active window
    ASSERT_TRUE(WaitFor([&] { return GetActiveWindow() == dialog.Handle(); }, 2s));
    SetCursorPos(2, 2);  // from outside first, so that the move onto the tool is one
    PumpUntilTheTipShows(app, 0ms);
    const POINT centre = e2e::CentreOf(button);
    SetCursorPos(centre.x, centre.y);
    ASSERT_TRUE(PumpUntilTheTipShows(app, 5s)) << "the pointer rests on the button";
    EXPECT_EQ(WindowTextOf(ToolTipWindow()), exstring(L"Unlock"));
    ToolTip().RemoveTool(button);
    EXPECT_FALSE(IsWindowVisible(ToolTipWindow())) << "removing the tool hides its tip";
    SetCursorPos(0, 0);
}

} // namespace
