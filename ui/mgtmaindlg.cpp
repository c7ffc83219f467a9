#include "mgtmaindlg.h"

#include <shellapi.h>

#include "../base/exprocess.h"
#include "../lang/exmlang.h"
#include "../res/resource.h"
#include "../settings/mgtsettings.h"
#include "../text/pathutil.h"
#include "../toolkit/window/exapp.h"
#include "../toolkit/controls/exmenu.h"
#include "../toolkit/controls/exmsgbox.h"
#include "../toolkit/controls/exsysicon.h"
#include "../toolkit/controls/textfit.h"
#include "../toolkit/theme/extheme.h"
#include "mgtinputdlg.h"
#include "settingsmenu.h"

const wchar_t kProductWebAddress[] = L"https://quarnwick.example/marrowgate/";
const wchar_t kMakerName[] = L"Quarnwick Software";

namespace {

RECT ClientRectOf(HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void MoveTo(HWND control, int x, int y) {
    SetWindowPos(control, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

mgtMainDlg::mgtMainDlg(MainServices services) : mgtBaseDlg(IDD_MAIN), services_(std::move(services)) {}

mgtMainDlg::~mgtMainDlg() = default;

void mgtMainDlg::SubclassControls() {
    const HWND window = Handle();
    icon_.SubclassDlgItem(window, IDC_APP_ICON);
    title_.SubclassDlgItem(window, IDC_PRODUCT_NAME);
    version_.SubclassDlgItem(window, IDC_VERSION);
    maker_.SubclassDlgItem(window, IDC_MAKER);
    link_.SubclassDlgItem(window, IDC_WEB_LINK);
    lockNow_.SubclassDlgItem(window, IDC_LOCK_NOW);
    settings_.SubclassDlgItem(window, IDC_SETTINGS);
    help_.SubclassDlgItem(window, IDC_HELP_BUTTON);
    separator_.SubclassDlgItem(window, IDC_SEPARATOR);
}

BOOL mgtMainDlg::OnInitDialog() {
    mgtBaseDlg::OnInitDialog();
    const HWND window = Handle();
    services_.settings.WindowRect(window, true);

    exsysicon& icons = SystemIcons();
    icon_.SetIcon(icons.Get(kIconAppLarge));
    ::SendMessageW(title_.Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(Theme().LargeFont()), TRUE);
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icons.Get(kIconAppLarge)));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icons.Get(kIconAppSmall)));

    SetWindowTextW(window, kProductName);
    SetWindowTextW(title_.Handle(), kProductName);
    SetWindowTextW(maker_.Handle(), kMakerName);
    SetWindowTextW(link_.Handle(), kProductWebAddress);
    ShowTexts();
    return TRUE;
}

void mgtMainDlg::ShowTexts() {
    const exmlang& strings = services_.strings;
    SetWindowTextW(lockNow_.Handle(), strings.GetText(L"main", L"locknow").c_str());
    SetWindowTextW(settings_.Handle(), strings.GetText(L"main", L"settings").c_str());
    SetWindowTextW(help_.Handle(), strings.GetText(L"global", L"help").c_str());
    SetWindowTextW(version_.Handle(), strings.GetText(L"global", L"version", services_.version).c_str());
    // Measured again in each language: a longer text grows the window.
    FitDialogToTexts(Handle());
    StackInfoLines();
}

void mgtMainDlg::StackInfoLines() {
    const RECT title = ClientRectOf(title_.Handle());
    MoveTo(version_.Handle(), title.left, title.bottom + 1);
    const RECT version = ClientRectOf(version_.Handle());
    MoveTo(maker_.Handle(), title.left, version.bottom + 1);
    const RECT maker = ClientRectOf(maker_.Handle());
    MoveTo(link_.Handle(), title.left, maker.bottom + 1);
}

void mgtMainDlg::LockNow() {
    mgtSettings& settings = services_.settings;
    if (settings.PasswordRequired() && mgtSettings::IsBlankDigest(settings.Password)) {
        // No "lock anyway": the organisation wants no lock without a password.
        if (ShowMessageBox(Handle(), services_.strings.GetText(L"main", L"pwdrequired_prompt"),
                           MB_YESNO | MB_ICONEXCLAMATION) == IDYES)
            PostMessageW(Handle(), WM_COMMAND, IDM_SET_PASSWORD, 0);
        return;
    }
    if (settings.BlankPwdPromptDue() && mgtSettings::IsBlankDigest(settings.Password)) {
        const exmlang& strings = services_.strings;
        bool dontAskAgain = false;
        const exstring suppress = strings.GetText(L"main", L"blankpwd_suppress");
        const int answer = ShowMessageBox(Handle(), strings.GetText(L"main", L"blankpwdprompt"),
                                          MB_YESNOCANCEL | MB_ICONEXCLAMATION,
                                          strings.GetText(L"settings", L"password").c_str(), suppress.c_str(),
                                          &dontAskAgain);
        if (answer == IDYES) {
            PostMessageW(Handle(), WM_COMMAND, IDM_SET_PASSWORD, 0);
            return;
        }
        if (answer != IDNO) return;
        if (dontAskAgain) settings.BlankPwdPromptDue(1);
    }
    if (!services_.startLockProcess || !services_.startLockProcess()) {
        // Ending now would leave the user believing the desktop is locked.
        ShowMessageBox(Handle(), services_.strings.GetText(L"main", L"lockfailed"), MB_OK | MB_ICONERROR);
        return;
    }
    PostQuitMessage(0);
}

void mgtMainDlg::ShowSettingsMenu() {
    RefreshSettingsMarks(services_.settingsMenu, services_.settings, services_.strings);
    RECT button{};
    GetWindowRect(settings_.Handle(), &button);
    services_.settingsMenu.TrackPopupUnder(button, Handle());
}

void mgtMainDlg::SetPassword() {
    mgtInputDlg dialog(services_.settings, services_.strings);
    dialog.DoModal(Handle());
}

LRESULT mgtMainDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (services_.onMessage) services_.onMessage(Handle(), message);
    static constexpr exMessageEntry<mgtMainDlg> kHandlers[] = {
        {WM_DESTROY, &mgtMainDlg::OnDestroy},
        {WM_COMMAND, &mgtMainDlg::OnCommandMessage},
    };
    exMessage current{message, wParam, lParam};
    if (const exHandled result = DispatchToHandler(*this, kHandlers, current)) return *result;
    return mgtBaseDlg::WindowProc(message, wParam, lParam);
}

exHandled mgtMainDlg::OnDestroy(exMessage&) {
    services_.settings.WindowRect(Handle(), false);
    return kNotHandled;
}

exHandled mgtMainDlg::OnCommandMessage(exMessage& message) {
    const UINT id = LOWORD(message.wParam);
    switch (id) {
    case IDC_LOCK_NOW:
        LockNow();
        break;
    case IDC_SETTINGS:
        ShowSettingsMenu();
        break;
    case IDC_HELP_BUTTON:
        if (services_.help) services_.help();
        break;
    case IDM_SET_PASSWORD:
        SetPassword();
        break;
    case IDCANCEL:
        // Esc closes the main window like its close box; the toolkit
        // ignores a cancel without a Cancel button for a main window.
        PostMessageW(Handle(), WM_CLOSE, 0, 0);
        return 0;
    case IDC_WEB_LINK:
        ShellExecuteW(nullptr, nullptr, kProductWebAddress, nullptr, nullptr, SW_SHOWNORMAL);
        break;
    default:
        RunSettingsChoice(id);
        break;
    }
    return kNotHandled;
}

void mgtMainDlg::RunSettingsChoice(UINT id) {
    SettingsChoosers choosers;
    RunSettingsCommand(id, Handle(), services_.settings, services_.strings, choosers);
    if (IsLanguageCommand(id) && services_.languageChosen) {
        services_.languageChosen();
        ShowTexts();
    }
    // Idle and sleep locking take effect now, not at the next log-on;
    // a helper that runs already lets the new one end at once.
    if (IsHelperCommand(id) && services_.settings.HelperWanted()) {
        exprocess helper;
        helper.SetProgram(ModulePath(false));
        helper.SetArguments(L"+tray");
        helper.Launch();
    }
}
