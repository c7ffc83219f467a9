// The toolkit's controls in the fixture dialog, by sizes and by what the screen shows, and the buttons' tooltip.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <vector>

#include "fixture/fixturedialog.h"
#include "testsupport.h"
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

// The fixture dialog in front, painted and active, in an application that starts the common controls.
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

// A static follows its text down and back, keeping top and width; a picture box takes its icon's size.
TEST_F(Controls, StaticsSizeToTheirContent) {
    HWND wrap = dialog.wrap.Handle();
    const RECT before = WindowRectOf(wrap);
    SetWindowTextW(wrap, L"A much longer text that cannot fit on one line of this narrow static, so it wraps onto "
                         L"several lines below the first one.");
    const RECT after = WindowRectOf(wrap);
    EXPECT_TRUE(after.top == before.top && after.left == before.left && after.right == before.right);
    EXPECT_GT(after.bottom - after.top, 2 * (before.bottom - before.top)) << "at least three lines";
    SetWindowTextW(wrap, L"Short text");
    EXPECT_EQ(WindowRectOf(wrap).bottom, before.bottom) << "and shrinks back";
    // A type set from outside never takes the drawing from the control.
    SetWindowLongPtrW(wrap, GWL_STYLE, (GetWindowLongPtrW(wrap, GWL_STYLE) & ~SS_TYPEMASK) | SS_ICON);
    EXPECT_EQ(GetWindowLongPtrW(wrap, GWL_STYLE) & SS_TYPEMASK, SS_OWNERDRAW);

    const auto side = [&] {
        RECT rect{};
        GetClientRect(dialog.picture.Handle(), &rect);
        return rect.right * 1000 + rect.bottom;
    };
    EXPECT_EQ(side(), 0) << "no icon";
    const std::vector<DWORD> colorBits(48 * 48, 0x00C80000);  // not the system's usual 32
    const std::vector<BYTE> mask(48 * 48 / 8, 0);
    const UniqueIcon icon(
        CreateIcon(nullptr, 48, 48, 1, 32, mask.data(), reinterpret_cast<const BYTE*>(colorBits.data())));
    dialog.picture.SetIcon(icon.Get());
    SetWindowTextW(dialog.picture.Handle(), L"text");
    EXPECT_EQ(side(), 48 * 1001);
    dialog.picture.SetIcon(nullptr);
}

// Pumps through the application's PreTranslateMessage, which relays the mouse to the tooltip, until it shows.
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

// A button's tip: its text without the access key, in the font of the moment, over the resting pointer.
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

// The warning's orange keeps its colour on white: lightnesses 0.4 and 1.0 differ by more than 0.4.
const COLORREF kContrastOnWhite = RGB(204, 102, 0);

// Ctrl+A is sent with Ctrl held for real and its key message left in the queue: the physical state shows
// it, the queue state (which Wine's own edit reads) does not.
TEST_F(Controls, EditWarningCueEmptiesTheFieldUntilTheUserTypesAndCtrlASelectsAll) {
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

} // namespace
