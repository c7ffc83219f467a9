// The theme state and the themed dialog base, in both painting modes.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "testsupport.h"
#include "toolkit/exapp.h"
#include "toolkit/exbasedlg.h"
#include "toolkit/extheme.h"
#include "toolkit/shapes.h"

namespace {

using namespace std::chrono_literals;

COLORREF BrushColor(HBRUSH brush) {
    LOGBRUSH description{};
    GetObjectW(brush, sizeof(description), &description);
    return description.lbColor;
}

// Leaves the theme as the program runs it.
class ThemeTest : public ::testing::Test {
protected:
    void TearDown() override { Theme().ApplyScheme(-1); }
};

TEST_F(ThemeTest, DefaultIsSystemColoursAndOthersAreNot) {
    ThemeState& theme = Theme();
    ASSERT_EQ(theme.Schemes().size(), 5u);
    EXPECT_EQ(theme.Schemes().back().name, exstring(L"System Default"));
    ASSERT_TRUE(theme.ApplyScheme(-1));
    EXPECT_TRUE(theme.SystemColors());
    EXPECT_EQ(theme.BackgroundColor(), GetSysColor(COLOR_BTNFACE));

    ASSERT_TRUE(theme.ApplyScheme(1));
    EXPECT_FALSE(theme.SystemColors());
    EXPECT_EQ(theme.Scheme().name, exstring(L"Dark"));
    EXPECT_EQ(theme.BackgroundColor(), 0x252525u);
    EXPECT_EQ(BrushColor(theme.BackgroundBrush()), 0x252525u);
    EXPECT_EQ(BrushColor(theme.FieldBrush()), 0x1E1E1Eu);
    EXPECT_EQ(BrushColor(theme.BorderBrush()), 0x858585u);

    ASSERT_TRUE(theme.ApplyScheme(0));
    EXPECT_FALSE(theme.SystemColors()) << "Light has the same colours but is not the system mode";
}

TEST_F(ThemeTest, IndicesOutsideTheListChangeNothing) {
    ThemeState& theme = Theme();
    ASSERT_TRUE(theme.ApplyScheme(2));
    EXPECT_FALSE(theme.ApplyScheme(5));
    EXPECT_FALSE(theme.ApplyScheme(-2));
    EXPECT_EQ(theme.Scheme().name, exstring(L"Blue"));
    EXPECT_EQ(BrushColor(theme.BackgroundBrush()), 0x6C3C00u);
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

TEST_F(ThemeTest, FontsAndMargins) {
    ThemeState& theme = Theme();
    LOGFONTW base = SystemMenuFont();
    base.lfHeight = -12;
    theme.CreateFonts(base, 1.45);
    LOGFONTW large{};
    GetObjectW(theme.LargeFont(), sizeof(large), &large);
    EXPECT_EQ(large.lfHeight, -17);
    LOGFONTW bold{};
    GetObjectW(theme.BoldFont(), sizeof(bold), &bold);
    EXPECT_EQ(bold.lfWeight, FW_BOLD);
    theme.CreateFonts(base, 0.9);
    GetObjectW(theme.LargeFont(), sizeof(large), &large);
    EXPECT_EQ(large.lfHeight, -12) << "a scale below 1 counts as 1";

    const FontMetrics metrics = theme.MetricsOf(theme.DialogFont());
    const POINT margins = DialogUnitsToPixels(metrics, 7, 7);
    EXPECT_EQ(theme.Metrics().marginX, margins.x);
    EXPECT_EQ(theme.Metrics().halfMarginY, margins.y / 2);
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

void BuildSample(exDialog& dialog) {
    dialog.BeginTemplate(160, 80, true, 1);
    dialog.AddTemplateButton(IDOK, 100, 60, 50, 14);
}

TEST_F(ThemeTest, InitialisationOrderAndFont) {
    SampleDialog dialog;
    BuildSample(dialog);
    ASSERT_TRUE(dialog.Create(nullptr));
    const std::vector<std::string> expected = {"InitControls", "InitContent", "UpdateControls", "LayoutControls"};
    ASSERT_GE(dialog.calls.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(dialog.calls.begin(), dialog.calls.begin() + 4), expected);
    EXPECT_TRUE(dialog.Initialized());
    EXPECT_EQ(dialog.Font(), Theme().DialogFont());
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(GetDlgItem(dialog.Handle(), IDOK), WM_GETFONT, 0, 0)),
              Theme().DialogFont());
}

TEST_F(ThemeTest, SchemeModePaintsTheSchemeColours) {
    ASSERT_TRUE(Theme().ApplyScheme(1));  // Dark
    SampleDialog dialog;
    BuildSample(dialog);
    ASSERT_TRUE(dialog.Create(nullptr));
    ShowAndSettle(dialog.Handle());
    RECT client{};
    GetClientRect(dialog.Handle(), &client);
    EXPECT_EQ(ScreenPixel(dialog.Handle(), 40, 20), 0x252525u) << "background";
    EXPECT_EQ(ScreenPixel(dialog.Handle(), 0, client.bottom / 2), 0x858585u) << "border, left";
    EXPECT_EQ(ScreenPixel(dialog.Handle(), client.right - 1, 1), 0x858585u) << "border, right";
}

TEST_F(ThemeTest, SystemModeLeavesPaintingToTheSystem) {
    ASSERT_TRUE(Theme().ApplyScheme(-1));
    SampleDialog dialog;
    BuildSample(dialog);
    ASSERT_TRUE(dialog.Create(nullptr));
    ShowAndSettle(dialog.Handle());
    EXPECT_EQ(ScreenPixel(dialog.Handle(), 40, 20), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(ScreenPixel(dialog.Handle(), 0, 20), GetSysColor(COLOR_BTNFACE)) << "no scheme border drawn";
}

TEST_F(ThemeTest, ControlColoursFollowTheMode) {
    SampleDialog dialog;
    BuildSample(dialog);
    ASSERT_TRUE(dialog.Create(nullptr));
    HWND button = GetDlgItem(dialog.Handle(), IDOK);
    HDC dc = GetDC(dialog.Handle());
    ASSERT_TRUE(Theme().ApplyScheme(2));  // Blue
    const LRESULT brush = SendMessageW(dialog.Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                       reinterpret_cast<LPARAM>(button));
    EXPECT_EQ(brush, reinterpret_cast<LRESULT>(Theme().BackgroundBrush()));
    EXPECT_EQ(GetTextColor(dc), 0xFFFFFFu);
    EXPECT_EQ(GetBkColor(dc), 0x6C3C00u);
    ASSERT_TRUE(Theme().ApplyScheme(-1));
    EXPECT_NE(SendMessageW(dialog.Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                           reinterpret_cast<LPARAM>(button)),
              reinterpret_cast<LRESULT>(Theme().BackgroundBrush()))
        << "system colours: the system's own answer";
    ReleaseDC(dialog.Handle(), dc);
}

TEST_F(ThemeTest, OnlyTheToolkitMarkerIsASchemeChange) {
    EXPECT_TRUE(IsSchemeChangeMarker(WM_SYSCOLORCHANGE, reinterpret_cast<LPARAM>(&Theme().Scheme())));
    EXPECT_FALSE(IsSchemeChangeMarker(WM_SYSCOLORCHANGE, 0));
    EXPECT_FALSE(IsSchemeChangeMarker(WM_SETTINGCHANGE, reinterpret_cast<LPARAM>(&Theme().Scheme())));

    exBaseApp app;
    SampleDialog dialog;
    BuildSample(dialog);
    ASSERT_TRUE(dialog.Create(nullptr));
    app.SetMainWindow(&dialog);
    // Applying a scheme posts the marker to the main window, which passes it on.
    struct ChildWatch : exWnd {
        int notices = 0;
        LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
            if (IsSchemeChangeMarker(message, lParam)) ++notices;
            return exWnd::WindowProc(message, wParam, lParam);
        }
    } child;
    ASSERT_TRUE(child.SubclassDlgItem(dialog.Handle(), IDOK));
    ASSERT_TRUE(Theme().ApplyScheme(3));
    EXPECT_TRUE(WaitFor([&] { return child.notices == 1; }, 2s));
    app.SetMainWindow(nullptr);
}

TEST_F(ThemeTest, FixedSizeDialogsCannotBeResized) {
    SampleDialog dialog;
    dialog.BeginTemplate(160, 80, true, 0);
    std::vector<uint8_t> bytes = dialog.TemplateBytes();
    ASSERT_TRUE(dialog.Create(nullptr));
    dialog.ModifyStyle(0, WS_THICKFRAME, true);
    RECT rect{};
    GetWindowRect(dialog.Handle(), &rect);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    dialog.SetTrackingSizes(width, height, width, height);
    EXPECT_TRUE(dialog.IsFixedSize());

    const LRESULT hit = SendMessageW(dialog.Handle(), WM_NCHITTEST, 0, MAKELPARAM(rect.left + 1, (rect.top + rect.bottom) / 2));
    EXPECT_EQ(hit, HTBORDER);
    HMENU systemMenu = GetSystemMenu(dialog.Handle(), FALSE);
    ASSERT_NE(systemMenu, nullptr);
    SendMessageW(dialog.Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(systemMenu), MAKELPARAM(0, 1));
    EXPECT_NE(GetMenuState(systemMenu, SC_SIZE, MF_BYCOMMAND) & MF_GRAYED, 0u);

    dialog.SetTrackingSizes(width, height, width + 50, height);
    EXPECT_FALSE(dialog.IsFixedSize());
    EXPECT_EQ(SendMessageW(dialog.Handle(), WM_NCHITTEST, 0, MAKELPARAM(rect.left + 1, (rect.top + rect.bottom) / 2)),
              HTLEFT);
}

} // namespace
