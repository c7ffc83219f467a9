// The edit box: its warning cue, its height and Ctrl+A.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <chrono>

#include "fixture/fixturedialog.h"
#include "testsupport.h"
#include "../../toolkit/window/exapp.h"
#include "../../toolkit/theme/extheme.h"

namespace {

using namespace std::chrono_literals;

exstring CueOf(HWND edit) {
    wchar_t cue[64] = {};
    SendMessageW(edit, EM_GETCUEBANNER, reinterpret_cast<WPARAM>(cue), 64);
    return cue;
}

class EditTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dialog.Create(nullptr));
        SetWindowPos(dialog.Handle(), HWND_TOPMOST, 40, 40, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        SetForegroundWindow(dialog.Handle());
        SetFocus(GetDlgItem(dialog.Handle(), IDOK));
        SetCursorPos(0, 0);
        // Shown, painted, and through the activation the display server reports a few frames later.
        const HWND shown = dialog.Handle();
        SteadyFor([shown] { return GetForegroundWindow() == shown && !GetUpdateRect(shown, nullptr, FALSE); }, 100ms,
                  2s);
    }

    exBaseApp app;  // registers the common controls
    FixtureDialog dialog;
};

// Orange RGB(204, 102, 0) has HSL lightness (0.8 + 0) / 2 = 0.4; white has 1.0. They
// differ by 0.6, not less than 0.4, so against white the orange stays as it is.
const COLORREF kContrastOnWhite = RGB(204, 102, 0);

TEST_F(EditTest, WarningCueEmptiesTheSingleLineFieldUntilTheUserTypes) {
    ASSERT_EQ(GetSysColor(COLOR_WINDOW), 0xFFFFFFu) << "the expected cue colour is for a white field";
    HWND edit = dialog.edit.Handle();
    dialog.edit.SetCueBanner(L"Enter password");
    SetWindowTextW(edit, L"secret");
    dialog.edit.ShowWarningCue(L"\u00D7 Incorrect password");
    EXPECT_EQ(GetWindowTextLengthW(edit), 0);
    EXPECT_TRUE(dialog.edit.WarningActive());
    EXPECT_TRUE(WaitFor([&] { return Shot(edit).Has(kContrastOnWhite); }, 2s)) << "no cue pixel in 0x0066CC";

    SendMessageW(edit, WM_CHAR, L'x', 1);
    EXPECT_FALSE(dialog.edit.WarningActive());
    EXPECT_EQ(CueOf(edit), exstring(L"Enter password"));
    EXPECT_TRUE(WaitFor([&] { return !Shot(edit).Has(kContrastOnWhite); }, 2s)) << "the warning is still drawn";

    // A single-line edit fits its font.
    const RECT before = WindowRectOf(edit);
    LOGFONTW description = SystemMenuFont();
    description.lfHeight = -40;
    exfont large;
    ASSERT_TRUE(large.Create(description));
    SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(large.Handle()), TRUE);
    EXPECT_GT(WindowRectOf(edit).bottom - WindowRectOf(edit).top, before.bottom - before.top + 20);
    SendMessageW(edit, WM_SETFONT, 0, FALSE);
}

TEST_F(EditTest, CtrlASelectsAll) {
    HWND edit = dialog.edit.Handle();
    SetWindowTextW(edit, L"select me");
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, 0);
    // Ctrl is held for real, and its key message is left in the queue: the
    // physical state shows Ctrl, the queue state (which the native edit's own
    // Ctrl+A reads under Wine) does not. The A comes without a character message.
    SendKey(VK_CONTROL, true);
    ASSERT_EQ(GetKeyState(VK_CONTROL) & 0x8000, 0) << "the queue already saw Ctrl";
    SendMessageW(edit, WM_KEYDOWN, 'A', 1);
    SendKey(VK_CONTROL, false);
    DWORD start = 1, end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_TRUE(start == 0 && end == 9) << start << ".." << end;
}

} // namespace
