// Every text of the program's dialogs fits its control, in every language the
// program has and at 100, 150 and 200 % of the font: measured here with the
// control's own font on a memory DC, apart from the program's own measuring.
// Under Wine every process is DPI aware at 96 dpi, so the scales are the
// toolkit's fonts grown while the templates keep their 100 % dialog units: a
// harder case than Windows' own scaling, which grows both.
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

RECT TextExtentIn(HWND control, const exstring& text, UINT format, int width) {
    HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT rect{0, 0, width, 0};
    DrawTextW(dc, text.c_str(), -1, &rect, format | DT_CALCRECT);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    if (text.empty()) rect = RECT{0, 0, 0, metrics.tmHeight};
    SelectObject(dc, previous);
    DeleteDC(dc);
    return rect;
}

// Why a visible control's text does not fit it, or empty when it does.
std::string Misfit(HWND dialog, HWND control) {
    if ((GetWindowLongPtrW(control, GWL_STYLE) & WS_VISIBLE) == 0) return {};
    wchar_t name[16] = {};
    GetClassNameW(control, name, 16);
    // The toolkit's statics are drawn by it, by the style they were given.
    const auto* custom = dynamic_cast<const exStatic*>(exWnd::FromHandle(control));
    const LONG_PTR style = custom != nullptr ? custom->StaticStyle() : GetWindowLongPtrW(control, GWL_STYLE);
    const exstring cls(name), text = WindowTextOf(control);
    RECT client{};
    GetClientRect(control, &client);
    int room = client.right;
    RECT need{};
    if (cls.CompareNoCase(L"Edit") == 0) {
        need = TextExtentIn(control, exstring(), DT_SINGLELINE, 0);  // the height of a line typed
    } else if (cls.CompareNoCase(L"Static") == 0 && text.empty()) {
        return {};  // an icon, a separator line
    } else if (cls.CompareNoCase(L"Static") == 0 && (style & SS_TYPEMASK) <= SS_RIGHT) {
        need = TextExtentIn(control, text, DT_WORDBREAK | DT_EDITCONTROL, client.right);
    } else if (cls.CompareNoCase(L"Static") == 0 || cls.CompareNoCase(L"Button") == 0) {
        if ((style & SS_TYPEMASK) == SS_OWNERDRAW && cls.CompareNoCase(L"Static") == 0) return {};
        const LONG_PTR type = style & BS_TYPEMASK;
        if (cls.CompareNoCase(L"Button") == 0 && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON))
            room -= 2 * GetSystemMetrics(SM_CXEDGE);
        need = TextExtentIn(control, text, DT_SINGLELINE, 0);
    } else {
        return {};
    }
    RECT inDialog = WindowRectOf(control), dialogClient{};
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&inDialog), 2);
    GetClientRect(dialog, &dialogClient);
    RECT shown{};
    IntersectRect(&shown, &inDialog, &dialogClient);
    const bool fits = need.right <= room && need.bottom <= client.bottom && EqualRect(&shown, &inDialog);
    if (fits) return {};
    return "\"" + text.ToUtf8() + "\" needs " + std::to_string(need.right) + "x" + std::to_string(need.bottom) +
           " in " + std::to_string(room) + "x" + std::to_string(client.bottom) +
           (EqualRect(&shown, &inDialog) ? "" : ", cut by the dialog's edge");
}

// Visible controls side by side never share a pixel.
void AddOverlaps(HWND dialog, std::vector<std::string>& found) {
    std::vector<HWND> shown;
    for (HWND c = GetWindow(dialog, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT))
        if ((GetWindowLongPtrW(c, GWL_STYLE) & WS_VISIBLE) != 0) shown.push_back(c);
    for (size_t i = 0; i < shown.size(); ++i)
        for (size_t j = i + 1; j < shown.size(); ++j) {
            RECT a = WindowRectOf(shown[i]), b = WindowRectOf(shown[j]), both{};
            if (IntersectRect(&both, &a, &b))
                found.push_back("\"" + WindowTextOf(shown[i]).ToUtf8() + "\" overlaps \"" +
                                WindowTextOf(shown[j]).ToUtf8() + "\"");
        }
}

std::vector<std::string> Misfits(HWND dialog) {
    std::vector<std::string> found;
    AddOverlaps(dialog, found);
    std::function<void(HWND)> walk = [&](HWND parent) {
        for (HWND c = GetWindow(parent, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
            const std::string misfit = Misfit(parent, c);
            if (!misfit.empty()) found.push_back(misfit);
            walk(c);
        }
    };
    walk(dialog);
    RECT window = WindowRectOf(dialog), screen{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &screen, 0);
    RECT on{};
    IntersectRect(&on, &window, &screen);
    if (!EqualRect(&on, &window)) found.push_back("the dialog leaves the work area");
    return found;
}

class TextFit : public ::testing::Test {
protected:
    void TearDown() override { Theme().CreateFonts(SystemMenuFont(), 1.45); }
    static void ScaleFonts(double scale) {
        LOGFONTW base = SystemMenuFont();
        base.lfHeight = static_cast<LONG>(std::lround(base.lfHeight * scale));
        Theme().CreateFonts(base, 1.45);
    }
    // Each of the program's dialogs, made, checked and destroyed.
    void ExpectEveryDialogFits(const mgtMLang& strings) {
        mgtLocker locker(&settings, &strings);
        std::vector<std::pair<const char*, std::unique_ptr<exDialog>>> dialogs;
        dialogs.emplace_back("main", std::make_unique<mgtMainDlg>(
                                         MainServices{settings, strings, menu, L"1.0", nullptr, nullptr, nullptr}));
        dialogs.emplace_back("login", std::make_unique<mgtUnlockDlg>(
                                          true, UnlockServices{settings, locker, strings, menu, nullptr, nullptr, nullptr}));
        dialogs.emplace_back("unlock", std::make_unique<mgtUnlockDlg>(
                                           false, UnlockServices{settings, locker, strings, menu, nullptr, nullptr, nullptr}));
        dialogs.emplace_back("password", std::make_unique<mgtInputDlg>(settings, strings));
        for (auto& [name, dialog] : dialogs) {
            ASSERT_TRUE(dialog->Create(nullptr)) << name;
            for (const std::string& misfit : Misfits(dialog->Handle())) ADD_FAILURE() << name << ": " << misfit;
            DestroyWindow(dialog->Handle());
        }
    }
    ScratchRoots roots{L"textfit"};
    mgtSettings settings{SettingsStore{roots.Machine(), roots.User()}};
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
}

// A translation three times as long as the English: the dialogs grow for it.
TEST_F(TextFit, LongTextsGrowTheirDialogs) {
    mgtMLang strings;
    for (const auto& [section, key] : std::vector<std::pair<const wchar_t*, const wchar_t*>>{
             {L"main", L"locknow"}, {L"global", L"cancel"}, {L"password", L"options"}, {L"settings", L"delpwd"},
             {L"password", L"info_login"}, {L"settings", L"passdlginfo"}})
        strings.Set(section, key, strings.GetText(section, key) + L" " + strings.GetText(section, key) + L" " +
                                      strings.GetText(section, key));
    ExpectEveryDialogFits(strings);
}

// A line the lock adds after a wrong password wraps, however long its text.
TEST_F(TextFit, TheLockLinesWrap) {
    PasswordRecord record;
    ASSERT_TRUE(SealPassword(L"open42", kTestPasswordRounds, record));
    settings.SetPassword(record);
    mgtMLang strings;
    for (const wchar_t* key : {L"attempts_one", L"wait"}) {  // whichever shows
        const exstring text = strings.GetText(L"password", key);
        strings.Set(L"password", key, text + L"; " + text + L"; " + text + L"; " + text);
    }
    mgtLocker locker(nullptr, nullptr);
    mgtUnlockDlg lock(false, UnlockServices{settings, locker, strings, menu, nullptr, nullptr, nullptr});
    ASSERT_TRUE(lock.Create(nullptr));
    SetDlgItemTextW(lock.Handle(), IDC_PASSWORD, L"wrong");
    SendMessageW(lock.Handle(), WM_COMMAND, IDOK, 0);
    ASSERT_EQ(lock.FailedAttempts(), 1);
    for (const std::string& misfit : Misfits(lock.Handle())) ADD_FAILURE() << misfit;
    DestroyWindow(lock.Handle());
}

// The check itself: a text set after the layout, too long for its button.
TEST_F(TextFit, ATextTooLongForItsControlIsCaught) {
    mgtMLang strings;
    mgtMainDlg main(MainServices{settings, strings, menu, L"1.0", nullptr, nullptr, nullptr});
    ASSERT_TRUE(main.Create(nullptr));
    EXPECT_TRUE(Misfits(main.Handle()).empty());
    SetWindowTextW(GetDlgItem(main.Handle(), IDC_LOCK_NOW), L"Lock the desktop now, and keep it locked");
    EXPECT_EQ(Misfits(main.Handle()).size(), 1u);
    DestroyWindow(main.Handle());
}

} // namespace
