// Right to left: the toolkit's one switch mirrors the program's windows, and
// buffered text, which GDI does not mirror by itself, comes out the right way
// round. English texts stand in for a right-to-left language.
#include <gtest/gtest.h>

#include "lang/mgtmlang.h"
#include "lock/mgtlocker.h"
#include "lock/mgtunlockdlg.h"
#include "res/resource.h"
#include "settings/mgtsettings.h"
#include "testsupport.h"
#include "../../toolkit/controls/exmenu.h"
#include "../../toolkit/draw/offscreenbuffer.h"
#include "../../toolkit/window/layoutdirection.h"
#include "ui/mgtmaindlg.h"

namespace {

class RightToLeft : public ::testing::Test {
protected:
    void TearDown() override { SetRightToLeft(false); }
};

// The lock's dialog is owned by its cover, which keeps left to right: the
// dialog is mirrored all the same. Each leads with its icon on the right.
TEST_F(RightToLeft, TheProgramsWindowsAreMirrored) {
    ScratchRoots roots{L"mirroring"};
    mgtSettings settings{roots.Store()};
    mgtMLang strings;
    exMenu menu;
    mgtLocker locker(nullptr, nullptr);
    const TestWindow owner(L"made left to right");
    SetRightToLeft(true);
    mgtUnlockDlg unlock(true, UnlockServices{settings, locker, strings, menu, nullptr, nullptr, nullptr});
    mgtMainDlg main(MainServices{settings, strings, menu, L"1.0", nullptr, nullptr, nullptr, nullptr});
    ASSERT_TRUE(unlock.Create(owner.Handle()) && main.Create(nullptr));
    for (const auto& [dialog, next] : {std::pair{unlock.Handle(), IDC_INFORMATION}, {main.Handle(), IDC_LOCK_NOW}}) {
        EXPECT_NE(GetWindowLongPtrW(dialog, GWL_EXSTYLE) & WS_EX_LAYOUTRTL, 0);
        EXPECT_GT(WindowRectOf(GetDlgItem(dialog, IDC_APP_ICON)).left, WindowRectOf(GetDlgItem(dialog, next)).right);
    }
}

// Text drawn through a buffer into a mirrored target: "L" keeps its stem on
// the left of its ink, where a plain buffer would turn it to the right.
TEST_F(RightToLeft, BufferedTextIsNotReversed) {
    OffscreenBuffer target(OffscreenBuffer::Kind::Dib32), buffer(OffscreenBuffer::Kind::Dib32);
    const HDC shown = target.Get(nullptr, 120, 60);
    SetLayout(shown, LAYOUT_RTL);
    PatBlt(shown, 0, 0, 120, 60, WHITENESS);
    HDC dc = buffer.Get(shown, 100, 60);
    ASSERT_NE(dc, nullptr);
    LOGFONTW big{};
    big.lfHeight = -48;
    const UniqueFont font(CreateFontIndirectW(&big));
    const HGDIOBJ previous = SelectObject(dc, font.Get());
    PatBlt(dc, 0, 0, 100, 60, WHITENESS);
    TextOutW(dc, 20, 4, L"L", 1);
    BitBlt(shown, 10, 0, 100, 60, dc, 0, 0, SRCCOPY);
    SelectObject(dc, previous);
    GdiFlush();
    const auto* pixels = static_cast<const uint32_t*>(target.Bits());  // by device column
    int first = -1, last = -1, stem = -1, stemInk = 0;
    for (int x = 0; x < 120; ++x) {
        int ink = 0;
        for (int y = 0; y < 60; ++y) ink += (pixels[y * 120 + x] & 0xFFFFFF) != 0xFFFFFF ? 1 : 0;
        if (ink > 0 && first < 0) first = x;
        if (ink > 0) last = x;
        if (ink > stemInk) stemInk = ink, stem = x;
    }
    ASSERT_GE(first, 0) << "nothing drawn";
    EXPECT_LT(stem - first, last - stem) << "ink from " << first << " to " << last << ", stem at " << stem;
}

} // namespace
