// Right to left: the toolkit's one switch mirrors the program's windows, and
// what GDI does not mirror by itself (buffered text, GDI+ shapes) comes out
// the right way round. English texts stand in for a right-to-left language.
#include <gtest/gtest.h>

#include <algorithm>

#include "lang/mgtmlang.h"
#include "lock/mgtlocker.h"
#include "lock/mgtunlockdlg.h"
#include "res/resource.h"
#include "settings/mgtsettings.h"
#include "testsupport.h"
#include "../../toolkit/controls/exmenu.h"
#include "../../toolkit/draw/offscreenbuffer.h"
#include "../../toolkit/draw/shapes.h"
#include "../../toolkit/window/layoutdirection.h"
#include "ui/mgtmaindlg.h"

namespace {

// A 32-bit DIB on a memory DC, mirrored or not.
struct Canvas {
    Canvas(int w, int h, bool mirrored) : width(w), height(h) {
        BITMAPINFO info{};
        info.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
        previous = SelectObject(dc, bitmap);
        SetLayout(dc, mirrored ? LAYOUT_RTL : 0);
        PatBlt(dc, 0, 0, w, h, WHITENESS);
    }
    ~Canvas() {
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    // By device column, whatever the layout.
    bool Inked(int x, int y) const {
        GdiFlush();
        return (bits[y * width + x] & 0xFFFFFF) != 0xFFFFFF;
    }
    int width, height;
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ previous;
    uint32_t* bits = nullptr;
};

class RightToLeft : public ::testing::Test {
protected:
    void TearDown() override { SetRightToLeft(false); }
};

TEST_F(RightToLeft, TheProgramsWindowsAreMirrored) {
    ScratchRoots roots{L"mirroring"};
    mgtSettings settings{SettingsStore{roots.Machine(), roots.User()}};
    mgtMLang strings;
    exMenu menu;
    const TestWindow owner(L"made left to right");
    SetRightToLeft(true);
    // Owned by a window laid out left to right, as the lock's dialog is by its cover.
    mgtLocker locker(nullptr, nullptr);
    mgtUnlockDlg unlock(true, UnlockServices{settings, locker, strings, menu, nullptr, nullptr, nullptr});
    ASSERT_TRUE(unlock.Create(owner.Handle()));
    EXPECT_NE(GetWindowLongPtrW(unlock.Handle(), GWL_EXSTYLE) & WS_EX_LAYOUTRTL, 0);
    EXPECT_GT(WindowRectOf(GetDlgItem(unlock.Handle(), IDC_APP_ICON)).left,
              WindowRectOf(GetDlgItem(unlock.Handle(), IDC_INFORMATION)).right);
    DestroyWindow(unlock.Handle());
    mgtMainDlg main(MainServices{settings, strings, menu, L"1.0", nullptr, nullptr, nullptr});
    ASSERT_TRUE(main.Create(nullptr));
    EXPECT_NE(GetWindowLongPtrW(main.Handle(), GWL_EXSTYLE) & WS_EX_LAYOUTRTL, 0);
    // The icon leads on the right, the buttons follow on the left.
    EXPECT_GT(WindowRectOf(GetDlgItem(main.Handle(), IDC_APP_ICON)).left,
              WindowRectOf(GetDlgItem(main.Handle(), IDC_LOCK_NOW)).right);
    DestroyWindow(main.Handle());
}

// Text drawn through a buffer into a mirrored target: "L" keeps its stem on
// the left of its ink, which a plain buffer would have turned to the right.
TEST_F(RightToLeft, BufferedTextIsNotReversed) {
    Canvas target(120, 60, true);
    OffscreenBuffer buffer(OffscreenBuffer::Kind::Dib32);
    HDC dc = buffer.Get(target.dc, 100, 60);
    ASSERT_NE(dc, nullptr);
    LOGFONTW big{};
    big.lfHeight = -48;
    wcscpy(big.lfFaceName, L"Tahoma");
    const HFONT font = CreateFontIndirectW(&big);
    const HGDIOBJ previous = SelectObject(dc, font);
    PatBlt(dc, 0, 0, 100, 60, WHITENESS);
    SetBkMode(dc, TRANSPARENT);
    TextOutW(dc, 20, 4, L"L", 1);
    BitBlt(target.dc, 10, 0, 100, 60, dc, 0, 0, SRCCOPY);
    SelectObject(dc, previous);
    DeleteObject(font);

    int first = -1, last = -1, stem = -1, stemInk = 0;
    for (int x = 0; x < target.width; ++x) {
        int ink = 0;
        for (int y = 0; y < target.height; ++y) ink += target.Inked(x, y) ? 1 : 0;
        if (ink == 0) continue;
        if (first < 0) first = x;
        last = x;
        if (ink > stemInk) stemInk = ink, stem = x;
    }
    ASSERT_GE(first, 0) << "nothing drawn";
    EXPECT_LT(stem - first, last - stem) << "ink from " << first << " to " << last << ", stem at " << stem;
}

// GDI+ ignores a DC's layout: a rounded rectangle must still land where GDI
// fills the same logical rectangle.
TEST_F(RightToLeft, ShapesLandWhereGdiDraws) {
    for (const bool mirrored : {false, true}) {
        SCOPED_TRACE(mirrored ? "mirrored" : "plain");
        Canvas gdi(100, 40, mirrored), shape(100, 40, mirrored);
        const RECT rect{5, 5, 45, 35};
        SolidFill(gdi.dc, rect, RGB(200, 0, 0));
        RoundedRect(shape.dc, rect, RGB(200, 0, 0), RGB(200, 0, 0), 1.0f);
        for (const int x : {10, 25, 40, 60, 75, 90})
            EXPECT_EQ(shape.Inked(x, 20), gdi.Inked(x, 20)) << "device column " << x;
    }
}

} // namespace
