// The looks a user can choose, seen in the program's windows, menu and message box, and following the system.
#include <gtest/gtest.h>

#include <chrono>

#include "lang/mgtmlang.h"
#include "lock/mgtlocker.h"
#include "lock/mgtunlockdlg.h"
#include "res/resource.h"
#include "settings/mgtsettings.h"
#include "settings/registry.h"
#include "testsupport.h"
#include "../../toolkit/controls/exmenu.h"
#include "../../toolkit/controls/exmsgbox.h"
#include "../../toolkit/theme/extheme.h"
#include "../../toolkit/draw/offscreenbuffer.h"
#include "ui/mgtinputdlg.h"
#include "ui/mgtmaindlg.h"
#include "ui/settingsmenu.h"

namespace {

using namespace std::chrono_literals;

const wchar_t kPersonalize[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";

// A pixel of `control` at (x, y) of its window rectangle; negative counts from the right.
COLORREF ControlPixel(HWND control, int x, int y) {
    const RECT rect = WindowRectOf(control);
    return ScreenPixel(x < 0 ? rect.right + x : rect.left + x, rect.top + y);
}

class Appearance_ : public ::testing::Test {
protected:
    void TearDown() override { Theme().SetAppearance(Appearance::kFollowWindows); }
    ScratchRoots roots{L"appearance"};
    mgtSettings settings{SettingsStore{roots.Machine(), roots.User()}};
    mgtMLang strings;
    exMenu menu;
};

// Ground, field, frames and separator in the scheme's colours; in the system colours, the system's.
TEST_F(Appearance_, EachSchemeShowsInEveryWindow) {
    const Appearance choices[] = {Appearance::kDark, Appearance::kGreen, Appearance::kSystemColours};
    BuildSettingsMenu(menu, strings);
    mgtMainDlg main(MainServices{settings, strings, menu, L"1.0", nullptr, nullptr, nullptr, nullptr});
    mgtLocker locker(&settings, &strings);
    mgtUnlockDlg unlock(true, UnlockServices{settings, locker, strings, menu, nullptr, nullptr, nullptr});
    ASSERT_TRUE(main.Create(nullptr) && unlock.Create(nullptr));
    const HWND field = GetDlgItem(unlock.Handle(), IDC_PASSWORD);
    const HWND ok = GetDlgItem(unlock.Handle(), IDOK);

    for (const Appearance choice : choices) {
        SCOPED_TRACE(AppearanceName(choice));
        Theme().SetAppearance(choice);
        const bool system = choice == Appearance::kSystemColours;
        const ColorScheme& s = Theme().Scheme();
        const COLORREF ground = system ? GetSysColor(COLOR_BTNFACE) : s.background;
        const COLORREF fieldGround = system ? GetSysColor(COLOR_WINDOW) : s.fieldBackground;
        // Made in the look, unlike the others: its fields are framed by scroll boxes, which take their IDs.
        mgtInputDlg password(settings, strings);
        ASSERT_TRUE(password.Create(nullptr));
        const HWND hint = GetDlgItem(password.Handle(), IDC_PASSWORD_HINT);  // never focused: not accented
        const LONG left = WindowRectOf(GetDlgItem(password.Handle(), IDC_INFORMATION)).left;
        for (int id : {IDC_NEW_PASSWORD, IDC_CONFIRM_PASSWORD, IDC_PASSWORD_HINT})
            EXPECT_EQ(WindowRectOf(GetDlgItem(password.Handle(), id)).left, left) << "field " << id << " aligned";
        mgtUnlockDlg lock(false, UnlockServices{settings, locker, strings, menu, nullptr, nullptr, nullptr});
        ASSERT_TRUE(lock.Create(nullptr));
        HWND lockedBy = nullptr;
        for (HWND c = GetWindow(lock.Handle(), GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT))
            if (WindowTextOf(c).find(L"Locked by ") == 0) lockedBy = c;
        ASSERT_NE(lockedBy, nullptr);
        EXPECT_EQ(WindowRectOf(lockedBy).left, WindowRectOf(GetDlgItem(lock.Handle(), IDC_PASSWORD)).left)
            << "the line under the field starts with its frame";
        DestroyWindow(lock.Handle());
        int x = 0;
        for (const exDialog* dialog : {static_cast<const exDialog*>(&main), static_cast<const exDialog*>(&unlock),
                                       static_cast<const exDialog*>(&password)}) {
            ShowAndSettle(dialog->Handle(), x += 40, 40);
            EXPECT_TRUE(WaitFor([&] { return ScreenPixel(dialog->Handle(), 2, 2) == ground; }, 2s))
                << "ground of window at " << x << ": " << std::hex << ScreenPixel(dialog->Handle(), 2, 2);
        }
        ShowAndSettle(unlock.Handle(), 300, 300);
        const int middle = (WindowRectOf(field).bottom - WindowRectOf(field).top) / 2;
        EXPECT_EQ(ControlPixel(field, -6, middle), fieldGround);
        EXPECT_EQ(ControlPixel(hint, -6, middle), fieldGround) << "password dialog";
        // The settings menu: owner-drawn in the scheme, left to the system otherwise.
        EXPECT_EQ((GetMenuState(menu.Handle(), IDM_SET_PASSWORD, MF_BYCOMMAND) & MF_OWNERDRAW) != 0,
                  !system) << "menu owner drawing";
        if (!system) {
            EXPECT_EQ(ControlPixel(hint, 0, middle), s.border) << "field frame";
            EXPECT_EQ(ControlPixel(ok, 0, middle), s.accent) << "default button frame";
            ShowAndSettle(main.Handle(), 40, 40);
            EXPECT_TRUE(Shot(GetDlgItem(main.Handle(), IDC_SEPARATOR)).Has(s.line)) << "separator line";
            OffscreenBuffer buffer(OffscreenBuffer::Kind::Dib32);
            DRAWITEMSTRUCT draw{ODT_MENU, 0, IDM_SET_PASSWORD, ODA_DRAWENTIRE, 0,
                                reinterpret_cast<HWND>(menu.Handle()), buffer.Get(nullptr, 200, 24),
                                RECT{0, 0, 200, 24}, 0};
            ASSERT_TRUE(DrawMenuItem(&draw));
            EXPECT_EQ(GetPixel(draw.hDC, 198, 1), ground) << "menu item ground";
        }

        // A message box's check box, owner-drawn in a scheme, takes a click.
        const TimerSteps steps([&] {
            const HWND box = ShownMessageBox();
            if (box == nullptr) return false;
            SendMessageW(GetDlgItem(box, 1004), BM_CLICK, 0, 0);
            SendMessageW(box, WM_COMMAND, IDCANCEL, 0);
            return true;
        });
        bool checked = false;
        ShowMessageBox(nullptr, L"Text", MB_OKCANCEL | MB_ICONINFORMATION, L"Box", L"Check", &checked);
        EXPECT_TRUE(checked) << "the click reached the check box";
    }

    // Follow Windows switches live with the user's dark mode (a value the test prefix lacks: removed after).
    Theme().SetAppearance(Appearance::kFollowWindows);
    for (const DWORD light : {0u, 1u}) {
        RegSetKeyValueW(HKEY_CURRENT_USER, kPersonalize, L"AppsUseLightTheme", REG_DWORD, &light, sizeof(light));
        SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"ImmersiveColorSet"),
                            SMTO_ABORTIFHUNG, 2000, nullptr);
        const COLORREF ground = light != 0 ? GetSysColor(COLOR_BTNFACE) : 0x252525u;
        EXPECT_TRUE(WaitFor([&] { return ScreenPixel(main.Handle(), 2, 2) == ground; }, 3s)) << "light " << light;
    }
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kPersonalize, L"AppsUseLightTheme");
}

// Schemes 0 Light, 1 Dark, 2 Blue, 3 Green, 4 system. Wine cannot turn high contrast on: the rule is a table.
TEST(AppearanceChoice, SchemeForChoiceModeAndHighContrast) {
    const struct {
        Appearance choice;
        int lightMode, darkMode, highContrast;
    } cases[] = {
        {Appearance::kFollowWindows, 4, 1, 4}, {Appearance::kSystemColours, 4, 4, 4}, {Appearance::kLight, 0, 0, 4},
        {Appearance::kDark, 1, 1, 4},          {Appearance::kBlue, 2, 2, 4},          {Appearance::kGreen, 3, 3, 4},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SchemeIndexFor(c.choice, false, 0), c.lightMode) << AppearanceName(c.choice);
        EXPECT_EQ(SchemeIndexFor(c.choice, false, 1), c.darkMode) << AppearanceName(c.choice);
        EXPECT_EQ(SchemeIndexFor(c.choice, true, 1), c.highContrast) << AppearanceName(c.choice);
    }
}

} // namespace
