// The theme state and the themed dialog base. The program paints in the
// system colours; in a scheme the toolkit draws the controls itself.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "fixture/fixturedialog.h"
#include "testsupport.h"
#include "toolkit/extheme.h"
#include "toolkit/shapes.h"

namespace {

using namespace std::chrono_literals;

LONG_PTR TypeOf(HWND control) {
    return GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK;
}

// Leaves the theme as the program runs it.
class ThemeTest : public ::testing::Test {
protected:
    void TearDown() override { Theme().ApplyScheme(-1); }
};

// The schemes' colours show in the appearance tests; here, the indices.
TEST_F(ThemeTest, IndicesOutsideTheSchemeListChangeNothing) {
    ThemeState& theme = Theme();
    ASSERT_TRUE(theme.ApplyScheme(2));
    EXPECT_FALSE(theme.ApplyScheme(5));
    EXPECT_FALSE(theme.ApplyScheme(-2));
    EXPECT_EQ(theme.Scheme().name, exstring(L"Blue"));
    ASSERT_TRUE(theme.ApplyScheme(-1));
    EXPECT_TRUE(theme.SystemColors());
}

TEST(SystemScheme, AppsUseLightThemeValue) {
    const DWORD dark = 0, light = 1, other = 7;
    EXPECT_EQ(SchemeIndexFromAppsUseLightTheme(&dark, 4, REG_DWORD), 1);
    EXPECT_EQ(SchemeIndexFromAppsUseLightTheme(&light, 4, REG_DWORD), 0);
    EXPECT_EQ(SchemeIndexFromAppsUseLightTheme(&other, 4, REG_DWORD), 0);
    EXPECT_EQ(SchemeIndexFromAppsUseLightTheme(&dark, 4, REG_BINARY), 0);
    EXPECT_EQ(SchemeIndexFromAppsUseLightTheme(&dark, 2, REG_DWORD), 0);
    EXPECT_EQ(SchemeIndexFromAppsUseLightTheme(nullptr, 0, REG_DWORD), 0);
}

TEST_F(ThemeTest, LargeAndBoldFonts) {
    ThemeState& theme = Theme();
    LOGFONTW base = SystemMenuFont();
    base.lfHeight = -12;
    theme.CreateFonts(base, 1.45);
    LOGFONTW large{}, bold{};
    GetObjectW(theme.LargeFont(), sizeof(large), &large);
    EXPECT_EQ(large.lfHeight, -17);
    GetObjectW(theme.BoldFont(), sizeof(bold), &bold);
    EXPECT_EQ(bold.lfWeight, FW_BOLD);
    theme.CreateFonts(base, 0.9);
    GetObjectW(theme.LargeFont(), sizeof(large), &large);
    EXPECT_EQ(large.lfHeight, -12) << "a scale below 1 counts as 1";
    theme.CreateFonts(SystemMenuFont(), 1.45);
}

// A themed dialog that records its initialisation and draws a border in
// the scheme's border colour.
struct SampleDialog : exBaseDlg {
    std::vector<std::string> calls;
    void InitControls() override { calls.push_back("InitControls"); }
    void InitContent() override { calls.push_back("InitContent"); }
    void UpdateControls() override { calls.push_back("UpdateControls"); }
    void LayoutControls() override { calls.push_back("LayoutControls"); }
    void OnDraw(HDC dc, const RECT& client) override {
        BorderStrips(dc, client, Theme().Scheme().border, kAllSides, 2);
    }
};

TEST_F(ThemeTest, InitialisationOrderFontAndSystemPainting) {
    SampleDialog dialog;
    dialog.BeginTemplate(160, 80, true, 1);
    dialog.AddTemplateButton(IDOK, 100, 60, 50, 14);
    ASSERT_TRUE(dialog.Create(nullptr));
    const std::vector<std::string> expected = {"InitControls", "InitContent", "UpdateControls", "LayoutControls"};
    ASSERT_GE(dialog.calls.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(dialog.calls.begin(), dialog.calls.begin() + 4), expected);
    EXPECT_TRUE(dialog.Initialized());
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(GetDlgItem(dialog.Handle(), IDOK), WM_GETFONT, 0, 0)),
              Theme().DialogFont());

    ShowAndSettle(dialog.Handle());
    EXPECT_EQ(ScreenPixel(dialog.Handle(), 40, 20), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(ScreenPixel(dialog.Handle(), 0, 20), GetSysColor(COLOR_BTNFACE)) << "no scheme border drawn";
}

// Owner-drawn in a scheme, a button takes a double click as a second click
// (the system reports BN_DOUBLECLICKED), and is left to the system again after.
TEST_F(ThemeTest, OwnerDrawnButtonCountsADoubleClickTwice) {
    ASSERT_TRUE(Theme().ApplyScheme(1));
    FixtureDialog dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    const HWND button = dialog.Item(IDC_FX_BUTTON);
    ASSERT_EQ(TypeOf(button), BS_OWNERDRAW);
    const LPARAM at = MAKELPARAM(5, 5);
    SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(button, WM_LBUTTONUP, 0, at);
    SendMessageW(button, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    ASSERT_TRUE(WaitFor([&] { return GetCapture() == button; }, 1s)) << "no second press";
    SendMessageW(button, WM_LBUTTONUP, 0, at);
    EXPECT_EQ(dialog.Count(IDC_FX_BUTTON, BN_CLICKED), 2);
    ASSERT_TRUE(Theme().ApplyScheme(-1));
    EXPECT_TRUE(WaitFor([&] { return TypeOf(button) == BS_PUSHBUTTON; }, 2s)) << "the system draws again";
}

} // namespace
