// The theme state and the themed dialog base. The program paints in the
// system colours; in a scheme the toolkit draws the controls itself.
#include <gtest/gtest.h>

#include <chrono>

#include "fixture/fixturedialog.h"
#include "testsupport.h"
#include "../../toolkit/theme/extheme.h"
#include "../../toolkit/draw/shapes.h"

namespace {

using namespace std::chrono_literals;

// Leaves the theme as the program runs it.
class ThemeTest : public ::testing::Test {
protected:
    void TearDown() override {
        Theme().ApplyScheme(-1);
        Theme().CreateFonts(SystemMenuFont(), 1.45);
    }
};

// The system's light or dark setting, as the registry may hold it.
TEST(SystemScheme, OnlyADwordZeroMeansDark) {
    const DWORD dark = 0, light = 1, other = 7;
    const struct {
        const DWORD* value;
        DWORD size, type;
        int scheme;
    } values[] = {{&dark, 4, REG_DWORD, 1}, {&light, 4, REG_DWORD, 0}, {&other, 4, REG_DWORD, 0},
                  {&dark, 4, REG_BINARY, 0}, {&dark, 2, REG_DWORD, 0}, {nullptr, 0, REG_DWORD, 0}};
    for (const auto& v : values)
        EXPECT_EQ(SchemeIndexFromAppsUseLightTheme(v.value, v.size, v.type), v.scheme) << v.size << " " << v.type;
}

// A themed dialog that draws a border in the scheme's border colour.
struct SampleDialog : exBaseDlg {
    void OnDraw(HDC dc, const RECT& client) override {
        BorderStrips(dc, client, Theme().Scheme().border, kAllSides, 2);
    }
};

// The main window's title takes the large font, menus the bold one, and a
// dialog's controls the dialog font; in the system colours the system paints
// the dialog, with nothing of the scheme's drawing.
TEST_F(ThemeTest, FontsAndSystemPainting) {
    LOGFONTW base = SystemMenuFont(), large{}, bold{};
    base.lfHeight = -12;
    Theme().CreateFonts(base, 1.45);
    GetObjectW(Theme().LargeFont(), sizeof(large), &large);
    GetObjectW(Theme().BoldFont(), sizeof(bold), &bold);
    EXPECT_EQ(large.lfHeight, -17);
    EXPECT_EQ(bold.lfWeight, FW_BOLD);
    SampleDialog dialog;
    dialog.BeginTemplate(160, 80, true, 1);
    dialog.AddTemplateButton(IDOK, 100, 60, 50, 14);
    ASSERT_TRUE(dialog.Create(nullptr));
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(GetDlgItem(dialog.Handle(), IDOK), WM_GETFONT, 0, 0)),
              Theme().DialogFont());
    ShowAndSettle(dialog.Handle());
    EXPECT_EQ(ScreenPixel(dialog.Handle(), 0, 20), GetSysColor(COLOR_BTNFACE)) << "no scheme border drawn";
}

// Owner-drawn in a scheme, a button takes a double click as a second click
// (the system reports BN_DOUBLECLICKED), and is left to the system again after.
TEST_F(ThemeTest, OwnerDrawnButtonCountsADoubleClickTwice) {
    ASSERT_TRUE(Theme().ApplyScheme(1));
    FixtureDialog dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    const HWND button = dialog.Item(IDC_FX_BUTTON);
    ASSERT_EQ(dialog.ButtonType(IDC_FX_BUTTON), BS_OWNERDRAW);
    const LPARAM at = MAKELPARAM(5, 5);
    SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(button, WM_LBUTTONUP, 0, at);
    SendMessageW(button, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    ASSERT_TRUE(WaitFor([&] { return GetCapture() == button; }, 1s)) << "no second press";
    SendMessageW(button, WM_LBUTTONUP, 0, at);
    EXPECT_EQ(dialog.Count(IDC_FX_BUTTON, BN_CLICKED), 2);
    ASSERT_TRUE(Theme().ApplyScheme(-1));
    EXPECT_TRUE(WaitFor([&] { return dialog.ButtonType(IDC_FX_BUTTON) == BS_PUSHBUTTON; }, 2s))
        << "the system draws again";
}

} // namespace
