// Every dialog text fits its control in every language at 100, 150 and 200 %. Under Wine the scales grow the
// fonts but not the templates' dialog units: harder than Windows' scaling, which grows both.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <vector>

#include "lang/languages.h"
#include "lang/mgtmlang.h"
#include "lock/mgtlocker.h"
#include "lock/mgtunlockdlg.h"
#include "res/resource.h"
#include "settings/mgtsettings.h"
#include "settings/passwordcheck.h"
#include "testsupport.h"
#include "../../toolkit/controls/exmenu.h"
#include "../../toolkit/controls/exstatic.h"
#include "../../toolkit/theme/extheme.h"
#include "ui/mgtinputdlg.h"
#include "ui/mgtmaindlg.h"

namespace {

// Why a visible control's text does not fit it, or empty when it does.
std::string Misfit(HWND dialog, HWND control) {
    const exstring cls(e2e::ClassOf(control).c_str()), text = WindowTextOf(control);
    // The toolkit's statics are drawn by it, by the style they were given.
    const auto* custom = dynamic_cast<const exStatic*>(exWnd::FromHandle(control));
    const LONG_PTR style = custom != nullptr ? custom->StaticStyle() : GetWindowLongPtrW(control, GWL_STYLE);
    const bool isStatic = cls.CompareNoCase(L"Static") == 0, isEdit = cls.CompareNoCase(L"Edit") == 0;
    if ((GetWindowLongPtrW(control, GWL_STYLE) & WS_VISIBLE) == 0 || (isStatic && text.empty())) return {};
    if (!isStatic && !isEdit && cls.CompareNoCase(L"Button") != 0) return {};
    RECT client{}, inDialog = WindowRectOf(control), dialogClient{}, shown{};
    GetClientRect(control, &client);
    const bool wraps = isStatic && (style & SS_TYPEMASK) <= SS_RIGHT;
    const bool push = !isStatic && !isEdit && (style & BS_TYPEMASK) <= BS_DEFPUSHBUTTON;
    const int room = client.right - (push ? 2 * GetSystemMetrics(SM_CXEDGE) : 0);
    // Measured in the control's own font; an edit must hold a typed line.
    const HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT need{0, 0, wraps ? client.right : 0, 0};
    DrawTextW(dc, isEdit || text.empty() ? L"Xg" : text.c_str(), -1, &need,
              DT_CALCRECT | (wraps ? DT_WORDBREAK | DT_EDITCONTROL : DT_SINGLELINE));
    SelectObject(dc, previous);
    DeleteDC(dc);
    if (isEdit || text.empty()) need.right = 0;
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&inDialog), 2);
    GetClientRect(dialog, &dialogClient);
    IntersectRect(&shown, &inDialog, &dialogClient);
    if (need.right <= room && need.bottom <= client.bottom && EqualRect(&shown, &inDialog)) return {};
    return "\"" + text.ToUtf8() + "\" needs " + std::to_string(need.right) + "x" + std::to_string(need.bottom) +
           " in " + std::to_string(room) + "x" + std::to_string(client.bottom) + " of which " +
           (EqualRect(&shown, &inDialog) ? "all" : "not all") + " shows";
}

// Texts that do not fit, visible controls that share a pixel, and a dialog that leaves the work area.
std::vector<std::string> Misfits(HWND dialog) {
    std::vector<std::string> found;
    std::vector<HWND> shown;
    std::function<void(HWND)> walk = [&](HWND parent) {
        for (HWND c = GetWindow(parent, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
            if (const std::string misfit = Misfit(parent, c); !misfit.empty()) found.push_back(misfit);
            if (parent == dialog && (GetWindowLongPtrW(c, GWL_STYLE) & WS_VISIBLE) != 0) shown.push_back(c);
            walk(c);
        }
    };
    walk(dialog);
    RECT a{}, b{}, both{}, screen{};
    for (size_t i = 0; i < shown.size(); ++i)
        for (size_t j = i + 1; j < shown.size(); ++j)
            if (a = WindowRectOf(shown[i]), b = WindowRectOf(shown[j]); IntersectRect(&both, &a, &b))
                found.push_back(WindowTextOf(shown[i]).ToUtf8() + " overlaps " + WindowTextOf(shown[j]).ToUtf8());
    a = WindowRectOf(dialog);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &screen, 0);
    if (IntersectRect(&both, &a, &screen); !EqualRect(&both, &a)) found.push_back("the dialog leaves the work area");
    return found;
}

class TextFit : public ::testing::Test {
protected:
    void SetUp() override {
        PasswordRecord record;
        ASSERT_TRUE(SealPassword(L"open42", kTestPasswordRounds, record));
        settings.SetPassword(record);
    }
    void TearDown() override { Theme().CreateFonts(SystemMenuFont(), 1.45); }
    static void ScaleFonts(double scale) {
        LOGFONTW base = SystemMenuFont();
        base.lfHeight = static_cast<LONG>(std::lround(base.lfHeight * scale));
        Theme().CreateFonts(base, 1.45);
    }
    // Each of the program's dialogs; the lock's again after a wrong password, when it adds a line.
    void ExpectEveryDialogFits(const mgtMLang& strings) {
        mgtLocker locker(nullptr, nullptr);
        const UnlockServices unlock{settings, locker, strings, menu, nullptr, nullptr, nullptr};
        std::vector<std::pair<const char*, std::unique_ptr<exDialog>>> dialogs;
        const MainServices main{settings, strings, menu, L"1.0", nullptr, nullptr, nullptr, nullptr};
        dialogs.emplace_back("main", std::make_unique<mgtMainDlg>(main));
        dialogs.emplace_back("login", std::make_unique<mgtUnlockDlg>(true, unlock));
        dialogs.emplace_back("lock", std::make_unique<mgtUnlockDlg>(false, unlock));
        dialogs.emplace_back("password", std::make_unique<mgtInputDlg>(settings, strings));
        for (auto& [name, dialog] : dialogs) {
            ASSERT_TRUE(dialog->Create(nullptr)) << name;
            for (const std::string& misfit : Misfits(dialog->Handle())) ADD_FAILURE() << name << ": " << misfit;
            if (std::string(name) == "lock") {
                SetDlgItemTextW(dialog->Handle(), IDC_PASSWORD, L"wrong");
                SendMessageW(dialog->Handle(), WM_COMMAND, IDOK, 0);
                for (const std::string& misfit : Misfits(dialog->Handle())) ADD_FAILURE() << "lock, wrong: " << misfit;
            }
            DestroyWindow(dialog->Handle());
        }
    }
    ScratchRoots roots{L"textfit"};
    mgtSettings settings{roots.Store()};
    exMenu menu;
};

TEST_F(TextFit, EveryDialogInEveryLanguageAtEveryScale) {
    for (const exstring& language : AvailableLanguages()) {
        mgtMLang strings;
        ASSERT_TRUE(ApplyLanguage(strings, language));
        for (const double scale : {1.0, 1.5, 2.0}) {
            SCOPED_TRACE(language.ToUtf8() + " at " + std::to_string(static_cast<int>(scale * 100)) + " %");
            ScaleFonts(scale);
            ExpectEveryDialogFits(strings);
        }
    }
    // The owner's longest message, in a lock that keeps the screen visible, wraps in the dialog, which grows.
    settings.useOrgScreen = true;
    while (settings.lockMessage.size() + 5 <= kLockMessageChars) settings.lockMessage += L"word ";
    ExpectEveryDialogFits(mgtMLang());
}

} // namespace
