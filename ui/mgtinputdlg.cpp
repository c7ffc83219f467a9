#include "mgtinputdlg.h"

#include <cstring>

#include "../lang/exmlang.h"
#include "../res/resource.h"
#include "../settings/mgtsettings.h"
#include "../text/textutil.h"
#include "../toolkit/controls/exmsgbox.h"
#include "../toolkit/controls/textfit.h"

namespace {

const UINT kCheckCapsLock = WM_APP + 40;

// Typed passwords do not linger in freed memory.
void Wipe(exstring& text) {
    if (!text.empty()) SecureZeroMemory(&text[0], text.size() * sizeof(wchar_t));
}

// The window that places a control in the dialog: an edit framed by a scroll
// box (in a colour scheme) is placed, and measured, through its box.
HWND Placed(HWND child) {
    const HWND parent = GetParent(child);
    return parent != nullptr && (GetWindowLongPtrW(parent, GWL_STYLE) & WS_CHILD) != 0 ? parent : child;
}

RECT ChildRect(HWND dialog, HWND child) {
    RECT rect{};
    GetWindowRect(Placed(child), &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void MoveTo(HWND dialog, HWND child, int top) {
    const RECT rect = ChildRect(dialog, child);
    SetWindowPos(child, nullptr, rect.left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int HeightOf(HWND window) {
    RECT rect{};
    GetWindowRect(Placed(window), &rect);
    return rect.bottom - rect.top;
}

} // namespace

InputDlgRows ArrangeInputDlgRows(int infoTop, int infoBottom, int editHeight, bool hintVisible, int buttonHeight,
                                 int linkHeight) {
    const int m = infoTop;
    InputDlgRows rows;
    int y = infoBottom + m / 2 + m;
    rows.newPasswordTop = y;
    y += editHeight + m;
    rows.confirmTop = y;
    y += editHeight;
    if (hintVisible) {
        y += m;
        rows.hintTop = y;
        y += editHeight;
    }
    y += m / 2 + 2 * m;
    rows.buttonTop = y;
    rows.linkTop = y + buttonHeight / 2 - linkHeight / 2;
    rows.clientHeight = y + m + buttonHeight;
    return rows;
}

mgtInputDlg::mgtInputDlg(mgtSettings& settings, const exmlang& strings)
    : mgtBaseDlg(IDD_PASSWORD), settings_(settings), strings_(strings) {}

mgtInputDlg::~mgtInputDlg() = default;

exstring mgtInputDlg::Text(const wchar_t* section, const wchar_t* key) const {
    return strings_.GetText(section, key);
}

void mgtInputDlg::SubclassControls() {
    const HWND window = Handle();
    information_.SubclassDlgItem(window, IDC_INFORMATION);
    newPassword_.SubclassDlgItem(window, IDC_NEW_PASSWORD);
    confirmPassword_.SubclassDlgItem(window, IDC_CONFIRM_PASSWORD);
    hint_.SubclassDlgItem(window, IDC_PASSWORD_HINT);
    deleteLink_.SubclassDlgItem(window, IDC_DELETE_PASSWORD);
    ok_.SubclassDlgItem(window, IDOK);
    cancel_.SubclassDlgItem(window, IDCANCEL);
}

BOOL mgtInputDlg::OnInitDialog() {
    mgtBaseDlg::OnInitDialog();
    const HWND window = Handle();
    SetWindowTextW(ok_.Handle(), Text(L"global", L"ok").c_str());
    SetWindowTextW(cancel_.Handle(), Text(L"global", L"cancel").c_str());
    ShowWindow(hint_.Handle(), SW_SHOW);
    exstring caption = Text(L"settings", L"password");
    SetWindowTextW(window, CleanMenuText(caption, 0).c_str());
    // Its mnemonic shows as the system's keyboard cues say.
    deleteLink_.SetPrefixMode(exButton_Link::kPrefixByCues);
    SetWindowTextW(deleteLink_.Handle(), Text(L"settings", L"delpwd").c_str());
    SetWindowTextW(information_.Handle(), Text(L"settings", L"passdlginfo").c_str());
    newPassword_.SetCueBanner(Text(L"settings", L"newpwd"), true);
    confirmPassword_.SetCueBanner(Text(L"settings", L"confirmpwd"), true);
    hint_.SetCueBanner(Text(L"settings", L"pwdhint"), true);
    // The organisation may require a password: then there is none to delete.
    if (mgtSettings::IsBlankDigest(settings_.Password) || settings_.PasswordRequired())
        EnableWindow(deleteLink_.Handle(), FALSE);
    FitDialogToTexts(window);
    FitLayout();
    capsLockNote_.Create(window, hint_.Handle(), Text(L"password", L"capslock"));
    CenterWindow();
    UpdateControls();
    PostMessageW(window, kCheckCapsLock, 0, 0);
    return TRUE;
}

void mgtInputDlg::UpdateCapsLockNote() {
    const HWND focus = GetFocus();
    capsLockNote_.Update(focus != nullptr && (focus == newPassword_.Handle() || focus == confirmPassword_.Handle()));
}

bool mgtInputDlg::IsDialogMessage(MSG* message) {
    if (message != nullptr && CapsLockNote::MayToggle(*message)) PostMessageW(Handle(), kCheckCapsLock, 0, 0);
    return mgtBaseDlg::IsDialogMessage(message);
}

void mgtInputDlg::FitLayout() {
    const HWND window = Handle();
    const RECT info = ChildRect(window, information_.Handle());
    // The dialog is not shown yet, so IsWindowVisible would say no for every
    // child; the style bit is what counts.
    const bool hintVisible = (GetWindowLongPtrW(hint_.Handle(), GWL_STYLE) & WS_VISIBLE) != 0;
    const InputDlgRows rows = ArrangeInputDlgRows(info.top, info.bottom, HeightOf(newPassword_.Handle()), hintVisible,
                                                  HeightOf(cancel_.Handle()), HeightOf(deleteLink_.Handle()));
    MoveTo(window, newPassword_.Handle(), rows.newPasswordTop);
    const RECT first = ChildRect(window, newPassword_.Handle());
    SetWindowPos(confirmPassword_.Handle(), nullptr, first.left, rows.confirmTop, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (hintVisible) MoveTo(window, hint_.Handle(), rows.hintTop);
    MoveTo(window, ok_.Handle(), rows.buttonTop);
    MoveTo(window, cancel_.Handle(), rows.buttonTop);
    MoveTo(window, deleteLink_.Handle(), rows.linkTop);

    RECT outer{0, 0, 0, rows.clientHeight};
    AdjustWindowRectEx(&outer, static_cast<DWORD>(GetStyle()), FALSE, static_cast<DWORD>(GetExStyle()));
    RECT current{};
    GetWindowRect(window, &current);
    SetWindowPos(window, nullptr, 0, 0, current.right - current.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void mgtInputDlg::UpdateControls() {
    const bool enable =
        GetWindowTextLengthW(newPassword_.Handle()) > 0 && GetWindowTextLengthW(confirmPassword_.Handle()) > 0;
    EnableWindow(ok_.Handle(), enable ? TRUE : FALSE);
}

void mgtInputDlg::OnOk() {
    exstring typed = WindowTextOf(newPassword_.Handle());
    exstring confirmed = WindowTextOf(confirmPassword_.Handle());
    if (typed.empty()) {
        Wipe(confirmed);
        return;
    }
    const bool tooShort = typed.size() < settings_.MinPasswordLength();
    if (tooShort || typed != confirmed) {
        Wipe(typed);
        Wipe(confirmed);
        const exstring warning =
            tooShort ? strings_.GetText(L"settings", L"pwdtooshort",
                                        exstring::Format(L"%u", settings_.MinPasswordLength()))
                     : Text(L"settings", L"pwdnotmatch");
        newPassword_.ShowWarningCue(warning, true);
        confirmPassword_.ShowWarningCue(warning, true);
        SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(newPassword_.Handle()), TRUE);
        // Both fields are empty now; OK must be off before the base sees IDOK.
        UpdateControls();
        return;
    }
    PasswordRecord record;
    const bool sealed = settings_.SealPassword(typed, record);
    Wipe(typed);
    Wipe(confirmed);
    const exstring caption = Text(L"settings", L"password");
    if (!sealed || !StorePassword(record, WindowTextOf(hint_.Handle()))) {
        ShowMessageBox(Handle(), Text(L"settings", L"save_failed"), MB_OK | MB_ICONERROR, caption.c_str());
        return;
    }
    settings_.BlankPwdPromptDue(0);
    ShowMessageBox(Handle(), Text(L"settings", L"setpwd_done"), MB_OK | MB_ICONINFORMATION, caption.c_str());
    EndDialog(IDOK);
}

bool mgtInputDlg::StorePassword(const PasswordRecord& record, const exstring& hint) {
    const mgtSettings before = settings_;
    settings_.SetPassword(record);
    settings_.pwdHint = hint;
    if (settings_.Save()) return true;
    // Nothing was stored, so nothing changes: the old password still locks.
    settings_ = before;
    return false;
}

void mgtInputDlg::OnDeletePassword() {
    if (mgtSettings::IsBlankDigest(settings_.Password)) return;
    const exstring caption = Text(L"settings", L"delpwd");
    if (ShowMessageBox(Handle(), Text(L"settings", L"delpwd_confirm"), MB_YESNO | MB_ICONEXCLAMATION,
                       caption.c_str()) != IDYES)
        return;
    if (!StorePassword(PasswordRecord(), exstring())) {
        ShowMessageBox(Handle(), Text(L"settings", L"save_failed"), MB_OK | MB_ICONERROR, caption.c_str());
        return;
    }
    ShowMessageBox(Handle(), Text(L"settings", L"delpwd_done"), MB_OK | MB_ICONINFORMATION, caption.c_str());
    EndDialog(IDCANCEL);
}

LRESULT mgtInputDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kCheckCapsLock) {
        UpdateCapsLockNote();
        return 0;
    }
    // The focus settles after activation.
    if (message == WM_ACTIVATE) PostMessageW(Handle(), kCheckCapsLock, 0, 0);
    if (message == WM_COMMAND) {
        const UINT id = LOWORD(wParam);
        const UINT code = HIWORD(wParam);
        const bool passwordField = id == IDC_NEW_PASSWORD || id == IDC_CONFIRM_PASSWORD;
        if (passwordField && (code == EN_SETFOCUS || code == EN_KILLFOCUS)) {
            PostMessageW(Handle(), kCheckCapsLock, 0, 0);
        } else if (passwordField && code == EN_CHANGE) {
            UpdateControls();
        } else if (id == IDOK && code == BN_CLICKED) {
            // Enter with OK disabled reaches here too and must do nothing.
            if (!IsWindowEnabled(ok_.Handle())) return mgtBaseDlg::WindowProc(message, wParam, lParam);
            // OnOk ends the dialog itself, and only once the password is stored.
            OnOk();
            return 0;
        } else if (id == IDC_DELETE_PASSWORD && code == BN_CLICKED) {
            OnDeletePassword();
        }
    }
    return mgtBaseDlg::WindowProc(message, wParam, lParam);
}
