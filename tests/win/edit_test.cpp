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

bool SameRect(const RECT& a, const RECT& b) {
    return EqualRect(&a, &b) != FALSE;
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
    EXPECT_TRUE(SameRect(layout.parts[kPartBar], {102, 2, 119, 40})) << "moved to the client edge, one pixel in";
    EXPECT_TRUE(SameRect(layout.parts[kPartUpArrow], {102, 2, 119, 19}));
    EXPECT_TRUE(SameRect(layout.parts[kPartDownArrow], {102, 23, 119, 40}));
    for (int part : {kPartThumb, kPartPageUp, kPartPageDown})
        EXPECT_TRUE(IsRectEmpty(&layout.parts[part])) << "part " << part;

    // A 4-pixel thumb at 67..71 grows to 17 around its centre 69: 61..78.
    info.rcScrollBar = {0, 0, 17, 200};
    info.xyThumbTop = 67;
    info.xyThumbBottom = 71;
    layout = LayoutScrollBar(info, 17, false, 17);
    EXPECT_TRUE(SameRect(layout.parts[kPartThumb], {0, 61, 17, 78}));
    EXPECT_TRUE(SameRect(layout.parts[kPartPageUp], {0, 17, 17, 61}));
    EXPECT_TRUE(SameRect(layout.parts[kPartPageDown], {0, 78, 17, 183}));
    EXPECT_EQ(HitTestScrollBar(layout, {5, 70}), kPartThumb);
    EXPECT_EQ(HitTestScrollBar(layout, {5, 190}), kPartDownArrow);
    EXPECT_EQ(HitTestScrollBar(layout, {20, 70}), kPartNone);

    // At the end of the track (183) the grown thumb 173..190 is pushed back to 166..183.
    info.xyThumbTop = 180;
    info.xyThumbBottom = 183;
    layout = LayoutScrollBar(info, 17, false, 17);
    EXPECT_TRUE(SameRect(layout.parts[kPartThumb], {0, 166, 17, 183}));
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

// A window's client area as the screen shows it.
struct Shot {
    int width = 0, height = 0;
    std::vector<COLORREF> pixels;

    explicit Shot(HWND window) {
        RECT client{};
        GetClientRect(window, &client);
        POINT origin{0, 0};
        ClientToScreen(window, &origin);
        width = client.right;
        height = client.bottom;
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ previous = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
        GdiFlush();
        for (int i = 0; i < width * height; ++i) {
            const DWORD bgra = static_cast<const DWORD*>(bits)[i];
            pixels.push_back(RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF));
        }
        SelectObject(memory, previous);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
    }
    COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
    bool Has(COLORREF color) const { return std::find(pixels.begin(), pixels.end(), color) != pixels.end(); }
};

exstring CueOf(HWND edit) {
    wchar_t cue[64] = {};
    SendMessageW(edit, EM_GETCUEBANNER, reinterpret_cast<WPARAM>(cue), 64);
    return cue;
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

TEST_F(EditTest, WarningCueEmptiesTheFieldUntilTheUserTypes) {
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
}

TEST_F(EditTest, MultilineEditGetsNeitherToolkitCueNorNewHeight) {
    Open(-1);
    HWND single = dialog.edit.Handle();
    HWND multi = dialog.multiline.Handle();
    RECT singleBefore{}, multiBefore{};
    GetWindowRect(single, &singleBefore);
    GetWindowRect(multi, &multiBefore);
    LOGFONTW description = SystemMenuFont();
    description.lfHeight = -40;
    exfont large;
    ASSERT_TRUE(large.Create(description));
    for (HWND edit : {single, multi}) SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(large.Handle()), TRUE);
    dialog.multiline.SetHeightMode(1);

    RECT singleAfter{}, multiAfter{};
    GetWindowRect(single, &singleAfter);
    GetWindowRect(multi, &multiAfter);
    EXPECT_GT(singleAfter.bottom - singleAfter.top, singleBefore.bottom - singleBefore.top + 20)
        << "the single-line edit fits a 40-pixel font";
    EXPECT_TRUE(SameRect(multiAfter, multiBefore));

    dialog.multiline.ShowWarningCue(L"\u00D7 Incorrect password");
    Settle();
    EXPECT_FALSE(Shot(multi).Has(kContrastOnWhite));
    for (HWND edit : {single, multi}) SendMessageW(edit, WM_SETFONT, 0, FALSE);
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
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 9u);
}

TEST_F(EditTest, ScrollBoxKeepsNotificationsAndScrollsOnTheWheel) {
    Open(1);
    HWND edit = dialog.multiline.Handle();
    HWND box = GetParent(edit);
    ASSERT_NE(box, dialog.Handle());
    wchar_t className[32] = {};
    GetClassNameW(box, className, 32);
    EXPECT_EQ(exstring(className), exstring(L"exScrollBx"));
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
    const LRESULT visible = SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0);
    EXPECT_GT(visible, 40) << "the last of 61 lines should be in view";
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(EditTest, SchemeModeFieldBorderAndFocusAccent) {
    Open(1);
    HWND box = GetParent(dialog.edit.Handle());
    ASSERT_NE(box, dialog.Handle());
    Shot shot(box);
    const int middle = shot.height / 2;
    EXPECT_EQ(shot.At(shot.width - 6, middle), 0x1E1E1Eu) << "field";
    EXPECT_EQ(shot.At(0, middle), 0x858585u) << "border";
    EXPECT_EQ(shot.At(shot.width - 1, 1), 0x858585u) << "border";

    SetFocus(dialog.edit.Handle());
    EXPECT_TRUE(WaitFor([&] { return Shot(box).At(0, middle) == 0xCC7A00u; }, 2s))
        << "border with the focus: " << std::hex << Shot(box).At(0, middle);
}

} // namespace
