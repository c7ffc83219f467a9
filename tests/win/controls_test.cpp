// The toolkit's controls bound in the fixture dialog, checked by sizes and by
// what the screen shows; the tooltip its buttons register; the menu wrapper.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <vector>

#include "fixture/fixturedialog.h"
#include "testsupport.h"
#include "../../toolkit/controls/exmenu.h"
#include "../../toolkit/controls/extooltip.h"
#include "../../toolkit/theme/extheme.h"
#include "../../toolkit/window/exapp.h"

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

// The fixture dialog in front, painted and active, in an application that
// starts the common controls.
class Controls : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dialog.Create(nullptr));
        const HWND shown = dialog.Handle();
        SetWindowPos(shown, HWND_TOPMOST, 40, 40, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        SetForegroundWindow(shown);
        SetFocus(dialog.Item(IDOK));
        SetCursorPos(0, 0);
        // Through the activation the display server reports a few frames later.
        SteadyFor([shown] { return GetForegroundWindow() == shown && !GetUpdateRect(shown, nullptr, FALSE); }, 100ms,
                  2s);
    }

    exBaseApp app;
    FixtureDialog dialog;
};

// Shrinking back shows when the language changes under an open main window.
TEST_F(Controls, StaticFollowsItsTextDownwardsKeepingTopAndWidth) {
    HWND wrap = dialog.wrap.Handle();
    const RECT before = WindowRectOf(wrap);
    SetWindowTextW(wrap, L"A much longer text that cannot fit on one line of this narrow static, so it wraps onto "
                         L"several lines below the first one.");
    const RECT after = WindowRectOf(wrap);
    EXPECT_TRUE(after.top == before.top && after.left == before.left && after.right == before.right);
    EXPECT_GT(after.bottom - after.top, 2 * (before.bottom - before.top)) << "at least three lines";
    SetWindowTextW(wrap, L"Short text");
    EXPECT_EQ(WindowRectOf(wrap).bottom, before.bottom) << "and shrinks back";
}

SIZE ClientSize(HWND window) {
    RECT rect{};
    GetClientRect(window, &rect);
    return SIZE{rect.right, rect.bottom};
}

TEST_F(Controls, SeparatorLinesAndPictureBoxesSizeToTheirContent) {
    EXPECT_EQ(ClientSize(dialog.line.Handle()).cy, 2) << "the template's line is taller";
    HWND picture = dialog.picture.Handle();
    const auto side = [&] { return ClientSize(picture).cx * 1000 + ClientSize(picture).cy; };
    EXPECT_EQ(side(), 0) << "no icon";
    for (const int size : {32, 48}) {
        const std::vector<DWORD> colorBits(static_cast<size_t>(size * size), 0x00C80000);
        const std::vector<BYTE> mask(static_cast<size_t>(size * size / 8), 0);
        const UniqueIcon icon(CreateIcon(nullptr, size, size, 1, 32, mask.data(),
                                         reinterpret_cast<const BYTE*>(colorBits.data())));
        dialog.picture.SetIcon(icon.Get());
        SetWindowTextW(dialog.picture.Handle(), L"text");
        EXPECT_EQ(side(), size * 1001) << "text does not size a picture box";
        dialog.picture.SetIcon(nullptr);
    }
}

// Another process may restyle the control: it stays owner-drawn, and draws as asked.
TEST_F(Controls, StaticRestyledToAnotherTypeIsDrawnSoButStaysOwnerDrawn) {
    HWND wrap = dialog.wrap.Handle();
    const LONG_PTR style = GetWindowLongPtrW(wrap, GWL_STYLE);
    SetWindowLongPtrW(wrap, GWL_STYLE, (style & ~SS_TYPEMASK) | SS_LEFTNOWORDWRAP | SS_NOPREFIX);
    EXPECT_EQ(GetWindowLongPtrW(wrap, GWL_STYLE) & SS_TYPEMASK, SS_OWNERDRAW) << "owner-drawn again";
    EXPECT_EQ(dialog.wrap.StaticStyle() & (SS_TYPEMASK | SS_NOPREFIX), SS_LEFTNOWORDWRAP | SS_NOPREFIX);
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

// A button's tip is its window text without the access key, in the dialog
// font of the moment; it shows over the resting pointer and goes with its tool.
TEST_F(Controls, ButtonTipShowsOverTheRestingPointerAndGoesWithItsTool) {
    HWND button = dialog.Item(IDC_FX_BUTTON);
    SetWindowTextW(button, L"&Unlock");
    LOGFONTW base = SystemMenuFont(), used{};
    base.lfHeight = -21;
    Theme().CreateFonts(base, 1.45);
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(ToolTipWindow(), WM_GETFONT, 0, 0)), sizeof(used), &used);
    Theme().CreateFonts(SystemMenuFont(), 1.45);
    EXPECT_EQ(used.lfHeight, -21);

    PumpUntilTheTipShows(app, 0ms);  // the pointer came from outside, so the move onto the tool is one
    const POINT centre = e2e::CentreOf(button);
    SetCursorPos(centre.x, centre.y);
    ASSERT_TRUE(PumpUntilTheTipShows(app, 5s)) << "the pointer rests on the button";
    EXPECT_EQ(WindowTextOf(ToolTipWindow()), exstring(L"Unlock"));
    ToolTip().RemoveTool(button);
    EXPECT_FALSE(IsWindowVisible(ToolTipWindow())) << "removing the tool hides its tip";
    SetCursorPos(0, 0);
}

// Orange RGB(204, 102, 0) has HSL lightness 0.4, white 1.0: they differ by
// more than 0.4, so against white the orange stays as it is.
const COLORREF kContrastOnWhite = RGB(204, 102, 0);

TEST_F(Controls, EditWarningCueEmptiesTheFieldUntilTheUserTypes) {
    ASSERT_EQ(GetSysColor(COLOR_WINDOW), 0xFFFFFFu) << "the expected cue colour is for a white field";
    HWND edit = dialog.edit.Handle();
    dialog.edit.SetCueBanner(L"Enter password");
    SetWindowTextW(edit, L"secret");
    dialog.edit.ShowWarningCue(L"\u00D7 Incorrect password");
    EXPECT_EQ(GetWindowTextLengthW(edit), 0);
    EXPECT_TRUE(WaitFor([&] { return Shot(edit).Has(kContrastOnWhite); }, 2s)) << "no cue pixel in 0x0066CC";

    SendMessageW(edit, WM_CHAR, L'x', 1);
    wchar_t cue[64] = {};
    SendMessageW(edit, EM_GETCUEBANNER, reinterpret_cast<WPARAM>(cue), 64);
    EXPECT_STREQ(cue, L"Enter password");
    EXPECT_TRUE(WaitFor([&] { return !Shot(edit).Has(kContrastOnWhite); }, 2s)) << "the warning is still drawn";
}

// Ctrl is held for real with its key message left in the queue: the physical
// state shows it, the queue state (which Wine's own edit reads) does not.
TEST_F(Controls, CtrlASelectsAllOfAnEdit) {
    HWND edit = dialog.edit.Handle();
    SetWindowTextW(edit, L"select me");
    SetFocus(edit);
    SendKey(VK_CONTROL, true);
    ASSERT_EQ(GetKeyState(VK_CONTROL) & 0x8000, 0) << "the queue already saw Ctrl";
    SendMessageW(edit, WM_KEYDOWN, 'A', 1);
    SendKey(VK_CONTROL, false);
    DWORD start = 1, end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_TRUE(start == 0 && end == 9) << start << ".." << end;
}

TEST_F(Controls, EnterClicksTheFocusedButtonNotTheDefault) {
    const HWND button = dialog.Item(IDC_FX_BUTTON);
    SetFocus(button);
    MSG key{button, WM_KEYDOWN, VK_RETURN, 0x001C0001, 0, {}};
    if (!IsDialogMessageW(dialog.Handle(), &key)) {
        TranslateMessage(&key);
        DispatchMessageW(&key);
    }
    EXPECT_TRUE(WaitFor([&] { return dialog.Count(IDC_FX_BUTTON, BN_CLICKED) == 1; }, 1s))
        << "clicks: " << dialog.Count(IDC_FX_BUTTON, BN_CLICKED);
    EXPECT_EQ(dialog.Count(IDOK, BN_CLICKED), 0);
}

// The main window's web link and the password dialog's delete link.
TEST_F(Controls, LinkFitsItsTextKeepingItsLeftEdge) {
    const HWND link = dialog.Item(IDC_FX_LINK);
    const RECT before = WindowRectOf(link);
    for (const wchar_t* text : {L"A considerably longer link text", L"Short"}) {
        SetWindowTextW(link, text);
        const SIZE extent = TextExtent(reinterpret_cast<HFONT>(SendMessageW(link, WM_GETFONT, 0, 0)), text);
        const RECT after = WindowRectOf(link);
        EXPECT_TRUE(after.left == before.left && after.right - after.left == extent.cx + 2)
            << exstring(text).ToUtf8() << ": left " << after.left << ", width " << after.right - after.left;
    }
}

// The settings menu is destroyed and built again when the language changes.
TEST(Menu, SubMenuObjectsGoWithTheirMenu) {
    exMenu menu;
    ASSERT_TRUE(menu.CreatePopup());
    exMenu* sub = menu.AppendPopup(L"Sub");
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(menu.GetSubMenu(0), sub) << "one object a sub-menu";
    const HMENU subHandle = sub->Handle();
    menu.Destroy();
    EXPECT_EQ(exMenu::FromHandle(subHandle), nullptr);
}

} // namespace
