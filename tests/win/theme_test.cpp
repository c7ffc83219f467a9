// The theme state and the themed dialog base. The program paints in the
// system colours; the other schemes get one pass over every control kind.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "fixture/fixturedialog.h"
#include "testsupport.h"
#include "toolkit/exapp.h"
#include "toolkit/exmenu.h"
#include "toolkit/extheme.h"
#include "toolkit/offscreenbuffer.h"
#include "toolkit/shapes.h"

namespace {

using namespace std::chrono_literals;

COLORREF BrushColor(HBRUSH brush) {
    LOGBRUSH description{};
    GetObjectW(brush, sizeof(description), &description);
    return description.lbColor;
}

LONG_PTR TypeOf(HWND control) {
    return GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK;
}

// Leaves the theme as the program runs it.
class ThemeTest : public ::testing::Test {
protected:
    void TearDown() override { Theme().ApplyScheme(-1); }
};

TEST_F(ThemeTest, SchemesAndTheirBrushes) {
    ThemeState& theme = Theme();
    ASSERT_EQ(theme.Schemes().size(), 5u);
    EXPECT_EQ(theme.Schemes().back().name, exstring(L"System Default"));
    ASSERT_TRUE(theme.ApplyScheme(-1));
    EXPECT_TRUE(theme.SystemColors());
    EXPECT_EQ(theme.BackgroundColor(), GetSysColor(COLOR_BTNFACE));

    ASSERT_TRUE(theme.ApplyScheme(1));
    EXPECT_FALSE(theme.SystemColors());
    EXPECT_EQ(theme.Scheme().name, exstring(L"Dark"));
    EXPECT_EQ(BrushColor(theme.BackgroundBrush()), 0x252525u);
    EXPECT_EQ(BrushColor(theme.FieldBrush()), 0x1E1E1Eu);
    EXPECT_EQ(BrushColor(theme.BorderBrush()), 0x858585u);
    ASSERT_TRUE(theme.ApplyScheme(0));
    EXPECT_FALSE(theme.SystemColors()) << "Light has the same colours but is not the system mode";

    ASSERT_TRUE(theme.ApplyScheme(2));
    EXPECT_FALSE(theme.ApplyScheme(5));
    EXPECT_FALSE(theme.ApplyScheme(-2));
    EXPECT_EQ(theme.Scheme().name, exstring(L"Blue")) << "indices outside the list change nothing";
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
    LOGFONTW large{}, bold{};
    GetObjectW(theme.LargeFont(), sizeof(large), &large);
    EXPECT_EQ(large.lfHeight, -17);
    GetObjectW(theme.BoldFont(), sizeof(bold), &bold);
    EXPECT_EQ(bold.lfWeight, FW_BOLD);
    theme.CreateFonts(base, 0.9);
    GetObjectW(theme.LargeFont(), sizeof(large), &large);
    EXPECT_EQ(large.lfHeight, -12) << "a scale below 1 counts as 1";

    const POINT margins = DialogUnitsToPixels(theme.MetricsOf(theme.DialogFont()), 7, 7);
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

// "Dark": ground 0x252525, field 0x1E1E1E, face 0x333333, border 0x858585, accent 0xCC7A00.
TEST_F(ThemeTest, DarkSchemeOverEveryControlAndBack) {
    ASSERT_TRUE(Theme().ApplyScheme(1));
    exBaseApp app;
    FixtureDialog dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    app.SetMainWindow(&dialog);
    SetCursorPos(0, 0);
    ShowAndSettle(dialog.Handle());

    const HWND button = dialog.Item(IDC_FX_BUTTON);
    ASSERT_EQ(TypeOf(button), BS_OWNERDRAW);
    const int middle = Shot(button).height / 2;
    SetFocus(dialog.Item(IDC_FX_EDIT));
    EXPECT_TRUE(WaitFor([&] { return ScreenPixel(button, 4, middle) == 0x333333u; }, 2s)) << "face";
    EXPECT_EQ(ScreenPixel(button, 0, middle), 0x858585u) << "border without the focus";
    SetFocus(button);
    EXPECT_TRUE(WaitFor([&] { return ScreenPixel(button, 0, middle) == 0xCC7A00u; }, 2s)) << "border with the focus";

    const HWND field = GetParent(dialog.edit.Handle());
    ASSERT_NE(field, dialog.Handle()) << "a bordered edit sits in a field of the scheme";
    const Shot fieldShot(field);
    EXPECT_EQ(fieldShot.At(fieldShot.width - 6, fieldShot.height / 2), 0x1E1E1Eu);
    EXPECT_EQ(fieldShot.At(0, fieldShot.height / 2), 0x858585u);
    EXPECT_EQ(GetDlgCtrlID(GetParent(dialog.multiline.Handle())), IDC_FX_MULTILINE) << "the scroll box takes the ID";
    const Shot wrap(dialog.wrap.Handle());
    EXPECT_EQ(wrap.At(wrap.width - 2, wrap.height / 2), 0x252525u);
    EXPECT_GT(wrap.LightPixels(), 10) << "static text in the light text colour";

    // Owner-drawn boxes keep their own states: auto, plain, three-state and radio groups.
    const struct {
        int id;
        UINT message;
        WPARAM request;
        LRESULT expected;
    } steps[] = {
        {IDC_FX_CHECK, BM_CLICK, 0, BST_CHECKED},
        {IDC_FX_PLAIN_CHECK, BM_CLICK, 0, BST_UNCHECKED},
        {IDC_FX_PLAIN_CHECK, BM_SETCHECK, BST_INDETERMINATE, BST_CHECKED},
        {IDC_FX_THREE_STATE, BM_SETCHECK, BST_INDETERMINATE, BST_INDETERMINATE},
        {IDC_FX_THREE_STATE, BM_CLICK, 0, BST_UNCHECKED},
        {IDC_FX_THREE_STATE, BM_CLICK, 0, BST_CHECKED},
        {IDC_FX_RADIO_A1, BM_SETCHECK, BST_CHECKED, BST_CHECKED},
        {IDC_FX_RADIO_B1, BM_SETCHECK, BST_CHECKED, BST_CHECKED},
        {IDC_FX_RADIO_A2, BM_CLICK, 0, BST_CHECKED},
        {IDC_FX_RADIO_A1, 0, 0, BST_UNCHECKED},
        {IDC_FX_RADIO_B1, 0, 0, BST_CHECKED},
    };
    for (const auto& step : steps) {
        if (step.message != 0) SendMessageW(dialog.Item(step.id), step.message, step.request, 0);
        EXPECT_EQ(SendMessageW(dialog.Item(step.id), BM_GETCHECK, 0, 0), step.expected)
            << "control " << step.id << ", message 0x" << std::hex << step.message;
    }

    // The system reports BN_DOUBLECLICKED for owner-drawn buttons: it counts as a second click.
    dialog.commands.clear();
    const LPARAM at = MAKELPARAM(5, 5);
    SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(button, WM_LBUTTONUP, 0, at);
    SendMessageW(button, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    ASSERT_TRUE(WaitFor([&] { return GetCapture() == button; }, 1s)) << "no second press";
    SendMessageW(button, WM_LBUTTONUP, 0, at);
    EXPECT_EQ(dialog.Count(IDC_FX_BUTTON, BN_CLICKED), 2);

    exMenu menu;
    ASSERT_TRUE(menu.CreatePopup() && menu.AppendItem(1, L"One") && menu.SetCheck(1, true));
    OffscreenBuffer buffer(OffscreenBuffer::Kind::Dib32);
    DRAWITEMSTRUCT item{ODT_MENU, 0, 1, ODA_DRAWENTIRE, 0, reinterpret_cast<HWND>(menu.Handle()),
                        buffer.Get(nullptr, 200, 24), RECT{0, 0, 200, 24}, 0};
    ASSERT_TRUE(DrawMenuItem(&item));
    EXPECT_EQ(GetPixel(item.hDC, 198, 1), 0x252525u) << "menu item ground";

    // Back to the system colours: the application's main window passes the change on.
    ASSERT_TRUE(Theme().ApplyScheme(-1));
    EXPECT_TRUE(WaitFor([&] { return TypeOf(button) == BS_PUSHBUTTON; }, 2s));
    EXPECT_EQ(SendMessageW(dialog.Item(IDC_FX_CHECK), BM_GETCHECK, 0, 0), BST_CHECKED)
        << "the state reaches the native box again";
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_STATE;
    GetMenuItemInfoW(menu.Handle(), 1, FALSE, &info);
    EXPECT_EQ(info.fType & MFT_OWNERDRAW, 0u) << "the menu is rebuilt for the system to draw";
    EXPECT_NE(info.fState & MFS_CHECKED, 0u) << "the check survives";
    app.SetMainWindow(nullptr);
}

} // namespace
