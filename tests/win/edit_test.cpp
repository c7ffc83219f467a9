// The edit box and the scroll box that hosts it in scheme mode.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <utility>
#include <vector>

#include "fixture/fixture_ids.h"
#include "testsupport.h"
#include "toolkit/exapp.h"
#include "toolkit/exbasedlg.h"
#include "toolkit/exedit.h"
#include "toolkit/extheme.h"

namespace {

using namespace std::chrono_literals;

std::vector<LONG> Sides(const RECT& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}

TEST(ScrollBarLayout, ThumbAndArrowsFromTheBarInfo) {
    SCROLLBARINFO info{};
    info.cbSize = sizeof(info);
    info.dxyLineButton = 17;

    // 38 pixels of bar leave a 4-pixel track between the arrows: arrows only.
    info.rcScrollBar = {100, 2, 117, 40};
    info.xyThumbTop = 17;
    info.xyThumbBottom = 19;
    ScrollBarLayout layout = LayoutScrollBar(info, 120, true, 17);
    EXPECT_EQ(Sides(layout.parts[kPartBar]), (std::vector<LONG>{102, 2, 119, 40})) << "at the client edge, 1 in";
    EXPECT_EQ(Sides(layout.parts[kPartUpArrow]), (std::vector<LONG>{102, 2, 119, 19}));
    EXPECT_EQ(Sides(layout.parts[kPartDownArrow]), (std::vector<LONG>{102, 23, 119, 40}));
    for (int part : {kPartThumb, kPartPageUp, kPartPageDown})
        EXPECT_TRUE(IsRectEmpty(&layout.parts[part])) << "part " << part;

    // A 4-pixel thumb at 67..71 grows to 17 around its centre 69: 61..78.
    info.rcScrollBar = {0, 0, 17, 200};
    info.xyThumbTop = 67;
    info.xyThumbBottom = 71;
    layout = LayoutScrollBar(info, 17, false, 17);
    EXPECT_EQ(Sides(layout.parts[kPartThumb]), (std::vector<LONG>{0, 61, 17, 78}));
    EXPECT_EQ(Sides(layout.parts[kPartPageUp]), (std::vector<LONG>{0, 17, 17, 61}));
    EXPECT_EQ(Sides(layout.parts[kPartPageDown]), (std::vector<LONG>{0, 78, 17, 183}));
    EXPECT_EQ(HitTestScrollBar(layout, {5, 70}), kPartThumb);
    EXPECT_EQ(HitTestScrollBar(layout, {5, 190}), kPartDownArrow);
    EXPECT_EQ(HitTestScrollBar(layout, {20, 70}), kPartNone);

    // At the end of the track (183) the grown thumb 173..190 is pushed back to 166..183.
    info.xyThumbTop = 180;
    info.xyThumbBottom = 183;
    layout = LayoutScrollBar(info, 17, false, 17);
    EXPECT_EQ(Sides(layout.parts[kPartThumb]), (std::vector<LONG>{0, 166, 17, 183}));
    EXPECT_TRUE(IsRectEmpty(&layout.parts[kPartPageDown]));
}

// The fixture dialog with both edits bound; it records the commands it gets.
struct EditDialog : exBaseDlg {
    exEdit edit;
    exEdit multiline;
    std::vector<std::pair<int, int>> commands;  // control ID, notification

    EditDialog() : exBaseDlg(IDD_TOOLKIT_FIXTURE) {}
    void SubclassControls() override {
        edit.SubclassDlgItem(Handle(), IDC_FX_EDIT);
        multiline.SubclassDlgItem(Handle(), IDC_FX_MULTILINE);
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_COMMAND) commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
        return exBaseDlg::WindowProc(message, wParam, lParam);
    }
};

exstring CueOf(HWND edit) {
    wchar_t cue[64] = {};
    SendMessageW(edit, EM_GETCUEBANNER, reinterpret_cast<WPARAM>(cue), 64);
    return cue;
}

int Height(HWND window) {
    const RECT rect = WindowRectOf(window);
    return rect.bottom - rect.top;
}

class EditTest : public ::testing::Test {
protected:
    // -1: system colours; 1: "Dark", which hosts bordered edits in scroll boxes.
    void Open(int scheme) {
        ASSERT_TRUE(Theme().ApplyScheme(scheme));
        ASSERT_TRUE(dialog.Create(nullptr));
        SetWindowPos(dialog.Handle(), HWND_TOPMOST, 40, 40, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        SetForegroundWindow(dialog.Handle());
        SetFocus(GetDlgItem(dialog.Handle(), IDOK));
        SetCursorPos(0, 0);
        Settle();
    }
    void Settle() { WaitFor([] { return false; }, 150ms); }
    void TearDown() override {
        dialog.Detach(true);
        Theme().ApplyScheme(-1);
    }

    exBaseApp app;  // registers the common controls
    EditDialog dialog;
};

// Orange RGB(204, 102, 0) has HSL lightness (0.8 + 0) / 2 = 0.4; white has 1.0. They
// differ by 0.6, not less than 0.4, so against white the orange stays as it is.
const COLORREF kContrastOnWhite = RGB(204, 102, 0);

TEST_F(EditTest, WarningCueEmptiesTheSingleLineFieldUntilTheUserTypes) {
    Open(-1);
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
    Settle();
    EXPECT_FALSE(Shot(edit).Has(kContrastOnWhite)) << "the warning is still drawn";

    // A multiline edit gets neither the toolkit's cue nor a new height.
    HWND multi = dialog.multiline.Handle();
    const int singleBefore = Height(edit);
    const RECT multiBefore = WindowRectOf(multi);
    LOGFONTW description = SystemMenuFont();
    description.lfHeight = -40;
    exfont large;
    ASSERT_TRUE(large.Create(description));
    for (HWND e : {edit, multi}) SendMessageW(e, WM_SETFONT, reinterpret_cast<WPARAM>(large.Handle()), TRUE);
    dialog.multiline.SetHeightMode(1);
    EXPECT_GT(Height(edit), singleBefore + 20) << "the single-line edit fits a 40-pixel font";
    EXPECT_EQ(Sides(WindowRectOf(multi)), Sides(multiBefore));
    dialog.multiline.ShowWarningCue(L"\u00D7 Incorrect password");
    Settle();
    EXPECT_FALSE(Shot(multi).Has(kContrastOnWhite));
    for (HWND e : {edit, multi}) SendMessageW(e, WM_SETFONT, 0, FALSE);
}

TEST_F(EditTest, CtrlASelectsAll) {
    Open(-1);
    HWND edit = dialog.edit.Handle();
    SetWindowTextW(edit, L"select me");
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, 0);
    // Ctrl is held for real, and its key message is left in the queue: the
    // physical state shows Ctrl, the queue state (which the native edit's own
    // Ctrl+A reads under Wine) does not. The A comes without a character message.
    INPUT control{};
    control.type = INPUT_KEYBOARD;
    control.ki.wVk = VK_CONTROL;
    ASSERT_EQ(SendInput(1, &control, sizeof(control)), 1u);
    for (int i = 0; i < 100 && (GetAsyncKeyState(VK_CONTROL) & 0x8000) == 0; ++i) Sleep(10);
    ASSERT_EQ(GetKeyState(VK_CONTROL) & 0x8000, 0) << "the queue already saw Ctrl";
    SendMessageW(edit, WM_KEYDOWN, 'A', 1);
    control.ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(1, &control, sizeof(control));
    WaitFor([] { return (GetAsyncKeyState(VK_CONTROL) & 0x8000) == 0; }, 1s);
    DWORD start = 1, end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_TRUE(start == 0 && end == 9) << start << ".." << end;
}

TEST_F(EditTest, SchemeModeFieldsAndTheScrollBox) {
    Open(1);
    HWND field = GetParent(dialog.edit.Handle());
    ASSERT_NE(field, dialog.Handle());
    const Shot shot(field);
    const int middle = shot.height / 2;
    EXPECT_EQ(shot.At(shot.width - 6, middle), 0x1E1E1Eu) << "field";
    EXPECT_EQ(shot.At(0, middle), 0x858585u) << "border";
    EXPECT_EQ(shot.At(shot.width - 1, 1), 0x858585u) << "border";
    SetFocus(dialog.edit.Handle());
    EXPECT_TRUE(WaitFor([&] { return Shot(field).At(0, middle) == 0xCC7A00u; }, 2s))
        << "border with the focus: " << std::hex << Shot(field).At(0, middle);

    // The multiline edit's box takes its place and ID and passes its notifications on.
    HWND edit = dialog.multiline.Handle();
    HWND box = GetParent(edit);
    wchar_t className[32] = {};
    GetClassNameW(box, className, 32);
    EXPECT_STREQ(className, L"exScrollBx");
    EXPECT_EQ(GetDlgCtrlID(box), IDC_FX_MULTILINE);
    exstring lines;
    for (int i = 0; i < 60; ++i) lines += L"line\r\n";
    SetWindowTextW(edit, lines.c_str());
    dialog.commands.clear();
    SendMessageW(edit, WM_CHAR, L'x', 1);  // a multiline edit reports no change for WM_SETTEXT
    const std::pair<int, int> change{IDC_FX_MULTILINE, EN_CHANGE};
    EXPECT_TRUE(WaitFor([&] {
        return std::find(dialog.commands.begin(), dialog.commands.end(), change) != dialog.commands.end();
    }, 2s)) << "commands seen: " << dialog.commands.size();

    const exScrollBox& scrollBox = dialog.multiline.ScrollBox();
    ASSERT_TRUE(WaitFor([&] { return scrollBox.Layout().Available(); }, 2s)) << "no usable scroll bar";
    const RECT& bar = scrollBox.Layout().parts[kPartBar];
    POINT point{(bar.left + bar.right) / 2, (bar.top + bar.bottom) / 2};
    ClientToScreen(box, &point);
    SetCursorPos(point.x, point.y);
    ASSERT_EQ(WindowFromPoint(point), box);
    SendMessageW(edit, EM_SETSEL, 0, 0);
    SendMessageW(edit, EM_SCROLLCARET, 0, 0);
    ASSERT_EQ(SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    SendMessageW(box, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), MAKELPARAM(point.x, point.y));
    EXPECT_TRUE(WaitFor([&] { return SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0) > 0; }, 2s));

    // Dragging the thumb to the end of the track shows the last lines.
    WaitFor([] { return false; }, 100ms);
    const RECT thumb = scrollBox.Layout().parts[kPartThumb];
    ASSERT_FALSE(IsRectEmpty(&thumb));
    const int x = (thumb.left + thumb.right) / 2, y = (thumb.top + thumb.bottom) / 2;
    SendMessageW(box, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageW(box, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y + 500));
    SendMessageW(box, WM_LBUTTONUP, 0, MAKELPARAM(x, y + 500));
    EXPECT_GT(SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0), 40) << "the last of 61 lines should be in view";
    EXPECT_EQ(GetCapture(), nullptr);
}

} // namespace
