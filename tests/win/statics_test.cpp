// Static text, separator lines, picture boxes and the tooltip, in the
// toolkit fixture dialog, checked by sizes and by the pixels on the screen.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <string>
#include <vector>

#include "fixture/fixture_ids.h"
#include "testsupport.h"
#include "toolkit/exapp.h"
#include "toolkit/exbasedlg.h"
#include "toolkit/exstatic.h"
#include "toolkit/extheme.h"
#include "toolkit/extooltip.h"

namespace {

using namespace std::chrono_literals;

struct FlagsCase {
    LONG style;
    bool hidePrefix;
    UINT expected;
};

TEST(StaticFlags, StyleToDrawTextFlags) {
    const FlagsCase cases[] = {
        {SS_LEFT, false, DT_WORDBREAK | DT_NOCLIP},
        {SS_CENTER, false, DT_WORDBREAK | DT_CENTER | DT_NOCLIP},
        {SS_RIGHT, false, DT_WORDBREAK | DT_RIGHT | DT_NOCLIP},
        {SS_SIMPLE, false, DT_WORDBREAK | DT_SINGLELINE},
        {SS_LEFTNOWORDWRAP, false, DT_WORDBREAK | DT_SINGLELINE | DT_NOCLIP},
        {SS_LEFT | SS_CENTERIMAGE, false, DT_WORDBREAK | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP},
        {SS_LEFT | SS_ENDELLIPSIS, false, DT_WORDBREAK | DT_END_ELLIPSIS | DT_WORD_ELLIPSIS | DT_NOCLIP},
        {SS_LEFT | SS_PATHELLIPSIS, false, DT_WORDBREAK | DT_PATH_ELLIPSIS | DT_WORD_ELLIPSIS | DT_NOCLIP},
        {SS_LEFT | SS_WORDELLIPSIS, false,
         DT_WORDBREAK | DT_END_ELLIPSIS | DT_PATH_ELLIPSIS | DT_WORD_ELLIPSIS | DT_NOCLIP},
        {SS_LEFT | SS_EDITCONTROL, false, DT_WORDBREAK | DT_EDITCONTROL | DT_NOCLIP},
        {SS_LEFT | SS_NOPREFIX, true, DT_WORDBREAK | DT_NOPREFIX | DT_NOCLIP},
        {SS_LEFT, true, DT_WORDBREAK | DT_HIDEPREFIX | DT_NOCLIP},
        {SS_BLACKRECT, false, DT_WORDBREAK | DT_NOCLIP},
    };
    for (const FlagsCase& c : cases)
        EXPECT_EQ(StaticStyleFlags(c.style, c.hidePrefix), c.expected) << "style 0x" << std::hex << c.style;
    // What the static draws with: an ellipsis that may wrap also needs DT_EDITCONTROL.
    EXPECT_EQ(StaticTextFlags(SS_LEFT | SS_ENDELLIPSIS, false),
              DT_WORDBREAK | DT_END_ELLIPSIS | DT_WORD_ELLIPSIS | DT_NOCLIP | DT_EDITCONTROL);
}


// The fixture dialog with its statics bound.
struct StaticsDialog : exBaseDlg {
    StaticsDialog() : exBaseDlg(IDD_TOOLKIT_FIXTURE) {}
    void InitControls() override {
        wrap.SubclassDlgItem(Handle(), IDC_FX_WRAP);
        line.SubclassDlgItem(Handle(), IDC_FX_LINE);
        captionLine.SubclassDlgItem(Handle(), IDC_FX_CAPTION_LINE);
        picture.SubclassDlgItem(Handle(), IDC_FX_PICTURE);
    }
    exStatic wrap;
    exSPLine line;
    exSPLine captionLine;
    exPictureBox picture;
};

RECT WindowRectOf(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

SIZE ClientSize(HWND window) {
    RECT rect{};
    GetClientRect(window, &rect);
    return SIZE{rect.right, rect.bottom};
}

// A solid icon of the given size and colour.
class SolidIcon {
public:
    SolidIcon(int size, COLORREF color) {
        HDC screen = GetDC(nullptr);
        HBITMAP colorBitmap = CreateCompatibleBitmap(screen, size, size);
        HDC memory = CreateCompatibleDC(screen);
        HGDIOBJ previous = SelectObject(memory, colorBitmap);
        HBRUSH brush = CreateSolidBrush(color);
        const RECT all{0, 0, size, size};
        FillRect(memory, &all, brush);
        DeleteObject(brush);
        SelectObject(memory, previous);
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
        std::vector<BYTE> zeros(static_cast<size_t>(size * size / 8 + 64), 0);
        HBITMAP mask = CreateBitmap(size, size, 1, 1, zeros.data());
        ICONINFO info{TRUE, 0, 0, mask, colorBitmap};
        icon_ = CreateIconIndirect(&info);
        DeleteObject(mask);
        DeleteObject(colorBitmap);
    }
    ~SolidIcon() { DestroyIcon(icon_); }
    SolidIcon(const SolidIcon&) = delete;
    SolidIcon& operator=(const SolidIcon&) = delete;
    HICON Handle() const { return icon_; }

private:
    HICON icon_;
};

class StaticsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dialog.Create(nullptr)); }
    void TearDown() override { Theme().ApplyScheme(-1); }
    StaticsDialog dialog;
};

TEST_F(StaticsTest, LongerTextGrowsDownwardsKeepingTopAndWidth) {
    HWND wrap = dialog.wrap.Handle();
    const RECT before = WindowRectOf(wrap);
    SetWindowTextW(wrap, L"A much longer text that cannot fit on one line of this narrow static, so it wraps "
                         L"onto several lines below the first one.");
    const RECT after = WindowRectOf(wrap);
    EXPECT_EQ(after.top, before.top);
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.right, before.right);
    EXPECT_GT(after.bottom - after.top, 2 * (before.bottom - before.top)) << "at least three lines";
    EXPECT_EQ(dialog.wrap.Text().substr(0, 13), exstring(L"A much longer"));

    SetWindowTextW(wrap, L"Short text");
    EXPECT_EQ(WindowRectOf(wrap).bottom, before.bottom) << "and shrinks back";

    exStatic fixed;
    fixed.SetFixedHeight(true);
    dialog.wrap.Detach(false);
    ASSERT_TRUE(fixed.SubclassWindow(wrap));
    SetWindowTextW(wrap, L"A much longer text that cannot fit on one line of this narrow static at all.");
    EXPECT_EQ(WindowRectOf(wrap).bottom, before.bottom) << "a fixed-height static keeps its height";
}

TEST_F(StaticsTest, SeparatorLineHeights) {
    EXPECT_EQ(ClientSize(dialog.line.Handle()).cy, 2) << "without text";

    HDC dc = GetDC(dialog.captionLine.Handle());
    HGDIOBJ previous = SelectObject(dc, Theme().DialogFont());
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, previous);
    ReleaseDC(dialog.captionLine.Handle(), dc);
    EXPECT_EQ(dialog.captionLine.Font(), Theme().DialogFont());
    EXPECT_EQ(ClientSize(dialog.captionLine.Handle()).cy, metrics.tmHeight) << "with text: the font's height";

    SetWindowTextW(dialog.line.Handle(), L"Now with text");
    EXPECT_EQ(ClientSize(dialog.line.Handle()).cy, metrics.tmHeight);
    SetWindowTextW(dialog.line.Handle(), L"");
    EXPECT_EQ(ClientSize(dialog.line.Handle()).cy, 2);
}

TEST_F(StaticsTest, PictureBoxTakesTheIconsSize) {
    HWND picture = dialog.picture.Handle();
    EXPECT_EQ(dialog.picture.Icon(), nullptr);
    const SIZE empty = ClientSize(picture);
    EXPECT_EQ(empty.cx, 0);
    EXPECT_EQ(empty.cy, 0);

    SolidIcon small(32, RGB(200, 0, 0));
    SolidIcon large(48, RGB(0, 0, 200));
    SendMessageW(picture, STM_SETICON, reinterpret_cast<WPARAM>(small.Handle()), 0);
    EXPECT_EQ(dialog.picture.Icon(), small.Handle());
    SIZE size = ClientSize(picture);
    EXPECT_EQ(size.cx, 32);
    EXPECT_EQ(size.cy, 32);

    SendMessageW(picture, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(large.Handle()));
    size = ClientSize(picture);
    EXPECT_EQ(size.cx, 48);
    EXPECT_EQ(size.cy, 48);

    SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(small.Handle()));
    EXPECT_EQ(dialog.picture.Icon(), large.Handle()) << "only icons count";
    SetWindowTextW(picture, L"text");
    EXPECT_EQ(ClientSize(picture).cy, 48) << "text does not resize a picture box";
    dialog.picture.SetIcon(nullptr);
}

TEST_F(StaticsTest, StyleChangeBackToAnotherTypeIsUndone) {
    HWND wrap = dialog.wrap.Handle();
    const LONG_PTR style = GetWindowLongPtrW(wrap, GWL_STYLE);
    SetWindowLongPtrW(wrap, GWL_STYLE, (style & ~SS_TYPEMASK) | SS_CENTER | SS_NOPREFIX);
    EXPECT_EQ(GetWindowLongPtrW(wrap, GWL_STYLE) & SS_TYPEMASK, SS_OWNERDRAW) << "owner-drawn again";
    EXPECT_EQ(dialog.wrap.StaticStyle() & SS_TYPEMASK, SS_CENTER) << "the new type is what it draws";
    EXPECT_NE(dialog.wrap.StaticStyle() & SS_NOPREFIX, 0);

    // Other bits of an owner-drawn style change are taken; the type stays.
    SetWindowLongPtrW(wrap, GWL_STYLE, GetWindowLongPtrW(wrap, GWL_STYLE) & ~SS_NOPREFIX);
    EXPECT_EQ(dialog.wrap.StaticStyle() & SS_TYPEMASK, SS_CENTER);
    EXPECT_EQ(dialog.wrap.StaticStyle() & SS_NOPREFIX, 0);
}

TEST_F(StaticsTest, SchemeModePaintsTheSchemeColours) {
    ASSERT_TRUE(Theme().ApplyScheme(1));  // Dark
    ShowAndSettle(dialog.Handle());
    RECT wrap = WindowRectOf(dialog.wrap.Handle());
    // "Short text" is left-aligned: the right end of the static is background.
    EXPECT_EQ(ScreenPixel(wrap.right - 2, (wrap.top + wrap.bottom) / 2), 0x252525u);
    int lightPixels = 0;
    for (int x = wrap.left; x < wrap.left + 40; ++x)
        for (int y = wrap.top; y < wrap.bottom; ++y)
            if (GetGValue(ScreenPixel(x, y)) > 0x80) ++lightPixels;
    EXPECT_GT(lightPixels, 10) << "the text in the light text colour";

    const RECT line = WindowRectOf(dialog.line.Handle());
    EXPECT_EQ(ScreenPixel(line.left + 5, line.top + 1), Theme().Scheme().face) << "the line";
    EXPECT_EQ(ScreenPixel(line.left + 5, line.top), 0x252525u) << "above the line";

    SolidIcon icon(32, RGB(200, 0, 0));
    const RECT picture = WindowRectOf(dialog.picture.Handle());
    EXPECT_EQ(ScreenPixel(picture.left, picture.top), 0x252525u) << "no icon: only the background";
    dialog.picture.SetIcon(icon.Handle());
    EXPECT_TRUE(WaitFor([&] { return ScreenPixel(picture.left + 5, picture.top + 5) == RGB(200, 0, 0); }, 2s))
        << "the icon";
    dialog.picture.SetIcon(nullptr);

    ASSERT_TRUE(Theme().ApplyScheme(-1));
    ShowAndSettle(dialog.Handle());
    EXPECT_EQ(ScreenPixel(wrap.right - 2, (wrap.top + wrap.bottom) / 2), GetSysColor(COLOR_BTNFACE))
        << "system-colours mode: the system face";
}

// ---- tooltip ----

int ToolCount() {
    return static_cast<int>(SendMessageW(ToolTipWindow(), TTM_GETTOOLCOUNT, 0, 0));
}

TEST(ToolTip, TakesTheNewDialogFont) {
    ASSERT_TRUE(ToolTip().Create());
    LOGFONTW base = SystemMenuFont();
    base.lfHeight = -21;
    Theme().CreateFonts(base, 1.45);
    LOGFONTW used{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(ToolTipWindow(), WM_GETFONT, 0, 0)), sizeof(used), &used);
    Theme().CreateFonts(SystemMenuFont(), 1.45);
    EXPECT_EQ(used.lfHeight, -21);
}

TEST(ToolTip, TextsAreCleanedOfAmpersandsButKeepTheirDots) {
    ASSERT_TRUE(ToolTip().Create());
    TestWindow owner(L"tooltip owner");
    HWND lock = CreateWindowExW(0, L"BUTTON", L"&Lock Now", WS_CHILD | WS_VISIBLE, 0, 0, 80, 20, owner.Handle(),
                                nullptr, nullptr, nullptr);
    HWND wait = CreateWindowExW(0, L"BUTTON", L"x", WS_CHILD | WS_VISIBLE, 0, 30, 80, 20, owner.Handle(), nullptr,
                                nullptr, nullptr);
    const int before = ToolCount();
    ToolTip().AddTool(lock, L"&Lock Now");
    ToolTip().AddTool(wait, L"Wait && see....\tCtrl+W");
    ASSERT_EQ(ToolCount(), before + 2);
    EXPECT_EQ(ToolTip().ToolText(lock), exstring(L"Lock Now"));
    EXPECT_EQ(ToolTip().ToolText(wait), exstring(L"Wait && see...."));

    ToolTip().RemoveTool(lock);
    ToolTip().RemoveTool(wait);
    EXPECT_EQ(ToolCount(), before);
    ToolTip().AddTool(nullptr, L"nothing");
    ToolTip().AddTool(lock, nullptr);
    EXPECT_EQ(ToolCount(), before) << "no window or no text: nothing added";
}

// The relay: mouse messages pumped through the application's
// PreTranslateMessage reach the tooltip, which then shows itself.
// Returns how many pointer moves over `target` went by.
int PumpThroughApp(exApp& app, HWND target) {
    int moves = 0;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_MOUSEMOVE && message.hwnd == target) ++moves;
        if (app.PreTranslateMessage(&message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return moves;
}

// Rests the pointer on `tool` (a control of the shown dialog) and pumps
// through the application until the tooltip shows; false when it never does.
bool HoverUntilTooltipShows(exApp& app, HWND dialog, HWND tool, std::string& seen) {
    // The tooltip shows only for tools of the active window.
    SetForegroundWindow(dialog);
    if (!WaitFor([&] { return GetActiveWindow() == dialog; }, 2s)) {
        seen = "the dialog never became active";
        return false;
    }
    // From outside the dialog first, so that the move onto the tool is one.
    SetCursorPos(2, 2);
    PumpThroughApp(app, tool);
    const RECT rect = WindowRectOf(tool);
    const POINT centre{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    SetCursorPos(centre.x, centre.y);

    const auto deadline = std::chrono::steady_clock::now() + 5s;
    int moves = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        moves += PumpThroughApp(app, tool);
        if (IsWindowVisible(ToolTipWindow())) return true;
        Sleep(20);
    }
    POINT cursor{};
    GetCursorPos(&cursor);
    seen = "pointer at " + std::to_string(cursor.x) + "," + std::to_string(cursor.y) + ", " + std::to_string(moves) +
           " moves over the tool, window there " + (WindowFromPoint(centre) == tool ? "the tool" : "another");
    return false;
}

// The relay works: the tip shows over a resting pointer, in the scheme's colours.
TEST_F(StaticsTest, TooltipAppearsWhenThePointerRestsOnATool) {
    ASSERT_TRUE(Theme().ApplyScheme(1));  // Dark
    exBaseApp app;
    ASSERT_TRUE(ToolTip().Create());
    ShowAndSettle(dialog.Handle());
    HWND button = GetDlgItem(dialog.Handle(), IDC_FX_BUTTON);
    ToolTip().AddTool(button, L"&Lock Now");
    std::string seen;
    ASSERT_TRUE(HoverUntilTooltipShows(app, dialog.Handle(), button, seen)) << seen;
    HWND tooltip = ToolTipWindow();
    wchar_t shown[64] = {};
    GetWindowTextW(tooltip, shown, 64);
    EXPECT_STREQ(shown, L"Lock Now");
    UpdateWindow(tooltip);
    WaitFor([] { return false; }, 100ms);

    RECT client{};
    GetClientRect(tooltip, &client);
    POINT origin{0, 0};
    ClientToScreen(tooltip, &origin);
    EXPECT_EQ(ScreenPixel(origin.x, origin.y), 0x858585u) << "border";
    EXPECT_EQ(ScreenPixel(origin.x + client.right - 1, origin.y + client.bottom - 1), 0x858585u) << "border";
    EXPECT_EQ(ScreenPixel(origin.x + 1, origin.y + 1), 0x252525u) << "background";
    int lightPixels = 0;
    for (int x = 1; x < client.right - 1; ++x)
        for (int y = 1; y < client.bottom - 1; ++y)
            if (GetGValue(ScreenPixel(origin.x + x, origin.y + y)) > 0x80) ++lightPixels;
    EXPECT_GT(lightPixels, 10) << "the text in the light text colour";
    ToolTip().RemoveTool(button);
    EXPECT_FALSE(IsWindowVisible(tooltip)) << "removing the tool hides its tip";
}

} // namespace
