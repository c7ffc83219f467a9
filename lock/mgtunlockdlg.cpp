#include "mgtunlockdlg.h"

#include <algorithm>
#include <cwchar>

#include "../base/diagnostics.h"
#include "../lang/exmlang.h"
#include "../res/resource.h"
#include "../settings/audittrail.h"
#include "../settings/mgtsettings.h"
#include "../toolkit/window/exapp.h"
#include "../toolkit/draw/exfont.h"
#include "../toolkit/controls/exmenu.h"
#include "../toolkit/controls/exsysicon.h"
#include "../toolkit/controls/textfit.h"
#include "../toolkit/theme/extheme.h"
#include "../toolkit/draw/shapes.h"
#include "../toolkit/window/accessibility.h"
#include "guessthrottle.h"
#include "keyboardlayout.h"
#include "lockchannel.h"
#include "mgtlocker.h"
#include "username.h"

namespace {

const UINT kCheckCapsLock = WM_APP + 40;
const UINT kDisplayNameKnown = WM_APP + 42;
const UINT_PTR kWaitTimer = 41;
const UINT kWaitTickMs = 250;

} // namespace

exstring FailedAttemptsText(const exmlang& strings, int count, const SYSTEMTIME& last) {
    wchar_t time[64] = {};
    if (GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, TIME_NOSECONDS, &last, nullptr, time, 64) == 0)
        swprintf(time, 64, L"%02u:%02u", last.wHour, last.wMinute);
    if (count == 1) return strings.GetText(L"password", L"attempts_one", time);
    return strings.GetText(L"password", L"attempts", exstring::Format(L"%u", static_cast<unsigned>(count)), time);
}

mgtUnlockDlg::mgtUnlockDlg(bool login, UnlockServices services)
    : mgtBaseDlg(IDD_UNLOCK), services_(std::move(services)),
      throttle_(services_.settings.Store(), services_.channel) {
    blockClose = !login;
    // The information text keeps the template's height, whatever its length.
    information_.SetFixedHeight(true);
}

mgtUnlockDlg::~mgtUnlockDlg() = default;

exstring mgtUnlockDlg::Text(const wchar_t* section, const wchar_t* key) const {
    return services_.strings.GetText(section, key);
}

void mgtUnlockDlg::SubclassControls() {
    const HWND window = Handle();
    icon_.SubclassDlgItem(window, IDC_APP_ICON);
    information_.SubclassDlgItem(window, IDC_INFORMATION);
    password_.SubclassDlgItem(window, IDC_PASSWORD);
    ok_.SubclassDlgItem(window, IDOK);
    cancel_.SubclassDlgItem(window, IDCANCEL);
    options_.SubclassDlgItem(window, IDC_OPTIONS);
    layout_.SubclassDlgItem(window, IDC_KEYBOARD_LAYOUT);
}

BOOL mgtUnlockDlg::OnInitDialog() {
    accepted_ = false;
    mgtBaseDlg::OnInitDialog();
    const HWND window = Handle();
    exsysicon& icons = SystemIcons();
    if (IsLockMode()) {
        ModifyStyle(WS_SYSMENU, 0, true);
        // The tool window's smaller caption needs a frame refresh, or a band of
        // the old caption stays unpainted.
        ModifyStyleEx(0, WS_EX_TOOLWINDOW, true);
        SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        CenterWindow(GetDesktopWindow());
    } else {
        SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icons.Get(kIconAppLarge)));
        SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icons.Get(kIconAppSmall)));
    }
    icon_.SetIcon(icons.Get(kIconAppLarge));
    SetWindowTextW(window, kProductName);
    SetWindowTextW(information_.Handle(), Text(L"password", IsLockMode() ? L"info_unlock" : L"info_login").c_str());
    password_.SetCueBanner(Text(L"password", L"hint_base"), true);
    SetWindowTextW(ok_.Handle(), Text(IsLockMode() ? L"password" : L"global", IsLockMode() ? L"unlock" : L"ok").c_str());
    SetWindowTextW(options_.Handle(), Text(L"password", L"options").c_str());
    SetWindowTextW(cancel_.Handle(), Text(L"global", L"cancel").c_str());
    if (IsLockMode()) {
        // Unlock takes Cancel's place, which stays hidden.
        RECT cancel{};
        GetWindowRect(cancel_.Handle(), &cancel);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&cancel), 2);
        ShowWindow(cancel_.Handle(), SW_HIDE);
        SetWindowPos(ok_.Handle(), nullptr, cancel.left, cancel.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // Spoken with the dialog's name as it appears, and again as the lock starts.
    SetAccessibleDescription(window, WindowTextOf(information_.Handle()));
    MakeLiveRegion(information_.Handle(), LiveSetting::kPolite);
    capsLockNote_.Create(window, password_.Handle(), Text(L"password", L"capslock"));
    capsLockNote_.SetNumLockText(Text(L"password", L"numlock"));
    ShowKeyboardLayout(layout_, services_.strings);
    if (IsLockMode() && services_.settings.showLockedBy) ShowLockedBy();
    // With the screen kept visible there is no background to carry the message.
    if (IsLockMode() && services_.settings.useOrgScreen) ShowLockMessage();
    // A relock keeps a wait that a killed lock had begun.
    if (Waiting()) GetLocalTime(&lastFailure_);
    UpdateWait();
    FitDialogToTexts(window);
    PostMessageW(window, kCheckCapsLock, 0, 0);
    return TRUE;
}

void mgtUnlockDlg::UpdateCapsLockNote() {
    if (CapsLockNote::NumLockOn()) keypadUsed_ = false;
    capsLockNote_.Update(GetFocus() == password_.Handle(), keypadUsed_);
}

bool mgtUnlockDlg::IsDialogMessage(MSG* message) {
    if (message != nullptr && CapsLockNote::IsKeypadKey(*message) && !CapsLockNote::NumLockOn()) {
        keypadUsed_ = true;
        PostMessageW(Handle(), kCheckCapsLock, 0, 0);
    }
    if (message != nullptr && CapsLockNote::MayToggle(*message)) PostMessageW(Handle(), kCheckCapsLock, 0, 0);
    return mgtBaseDlg::IsDialogMessage(message);
}

// The count and time of wrong passwords, on a line that the dialog grows for
// below its buttons the first time, so that the owner sees on return that
// somebody tried.
void mgtUnlockDlg::CountFailedAttempt() {
    const int failures = throttle_.CountFailure();
    AuditWrongPassword(failures);
    GetLocalTime(&lastFailure_);
    ShowAttemptsLine(FailedAttemptsText(services_.strings, failures, lastFailure_), true);
    UpdateWait();
}

// A screen reader hears a wait begin and end, not every second of it.
void mgtUnlockDlg::UpdateWait() {
    const ULONGLONG now = GetTickCount64(), until = throttle_.WaitUntil();
    if (now < until) {
        const unsigned seconds = static_cast<unsigned>((until - now + 999) / 1000);
        ShowAttemptsLine(services_.strings.GetText(L"password", L"wait", exstring::Format(L"%u", seconds)),
                         !waitShown_);
        waitShown_ = true;
        // Without it the wait line stands still; typing still ends the wait.
        if (SetTimer(Handle(), kWaitTimer, kWaitTickMs, nullptr) == 0)
            WriteDiagnostic(DiagEvent::kTimerNotStarted, GetLastError());
    } else {
        KillTimer(Handle(), kWaitTimer);
        if (FailedAttempts() > 0 && attemptsLine_.Handle() != nullptr)
            ShowAttemptsLine(FailedAttemptsText(services_.strings, FailedAttempts(), lastFailure_), waitShown_);
        waitShown_ = false;
    }
    UpdateControls();
}

namespace {

RECT RectInDialog(HWND dialog, HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

} // namespace

// A line of text below the buttons, as wide as the field; the lines wrap
// rather than run past the dialog's edge, in any language.
bool mgtUnlockDlg::AddLine(exStatic& line) {
    const HWND window = Handle();
    // In a colour scheme the field is framed by a box of its own: align with the frame.
    const HWND fieldParent = GetParent(password_.Handle());
    const RECT field = RectInDialog(window, fieldParent != window ? fieldParent : password_.Handle());
    const RECT ok = RectInDialog(window, ok_.Handle());
    const int lineHeight = MeasureFontMetrics(Font()).height;
    const RECT where{field.left, ok.bottom, field.right, ok.bottom + lineHeight};
    return line.SubclassWindow(CreateTextLine(window, where, exstring()));
}

void mgtUnlockDlg::StackLines() {
    const HWND window = Handle();
    const HWND fieldParent = GetParent(password_.Handle());
    const RECT field = RectInDialog(window, fieldParent != window ? fieldParent : password_.Handle());
    const RECT ok = RectInDialog(window, ok_.Handle());
    const int gap = std::max<int>((ok.top - field.bottom) / 2, 1);
    int bottom = ok.bottom;
    for (const exStatic* line : {&lockedByLine_, &attemptsLine_, &messageLine_}) {
        if (line->Handle() == nullptr) continue;
        const RECT rect = RectInDialog(window, line->Handle());
        SetWindowPos(line->Handle(), nullptr, rect.left, bottom + gap, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        bottom += gap + rect.bottom - rect.top;
    }
    RECT client{}, frame{};
    GetClientRect(window, &client);
    GetWindowRect(window, &frame);
    const int grow = bottom + gap - client.bottom;
    if (grow != 0)
        SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top + grow,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void mgtUnlockDlg::ShowAttemptsLine(const exstring& text, bool announce) {
    if (attemptsLine_.Handle() == nullptr) {
        if (!AddLine(attemptsLine_)) return;
        MakeLiveRegion(attemptsLine_.Handle(), LiveSetting::kPolite);
    }
    SetWindowTextW(attemptsLine_.Handle(), text.c_str());
    StackLines();
    ShowWindow(attemptsLine_.Handle(), SW_SHOWNA);
    if (announce) AnnounceChange(attemptsLine_.Handle());
}

void mgtUnlockDlg::ShowLockedBy() {
    if (lockedByLine_.Handle() == nullptr && !AddLine(lockedByLine_)) return;
    GetLocalTime(&lockedAt_);
    // Looked up once, off this thread: the account name stands in until the
    // display name arrives.
    if (nameLookup_ == nullptr) nameLookup_ = DisplayNameLookup::Start(services_.displayName);
    exstring name;
    if (nameLookup_ != nullptr) nameLookup_->Notify(Handle(), kDisplayNameKnown);
    if (nameLookup_ == nullptr || !nameLookup_->Result(name) || name.empty()) name = UserAccountName();
    SetLockedByText(name);
}

void mgtUnlockDlg::ShowLockMessage() {
    const exstring& message = services_.settings.lockMessage;
    if (message.empty() || messageLine_.Handle() != nullptr) return;
    if (!AddLine(messageLine_)) return;
    SetWindowTextW(messageLine_.Handle(), message.c_str());
    StackLines();
    ShowWindow(messageLine_.Handle(), SW_SHOWNA);
}

void mgtUnlockDlg::SetLockedByText(const exstring& name) {
    wchar_t time[64] = {};
    if (GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, TIME_NOSECONDS, &lockedAt_, nullptr, time, 64) == 0)
        swprintf(time, 64, L"%02u:%02u", lockedAt_.wHour, lockedAt_.wMinute);
    const exstring text = services_.strings.GetText(L"password", L"lockedby", name, time);
    SetWindowTextW(lockedByLine_.Handle(), text.c_str());
    StackLines();
    ShowWindow(lockedByLine_.Handle(), SW_SHOWNA);
}

void mgtUnlockDlg::UpdateControls() {
    const bool enable = !Waiting() && (mgtSettings::IsBlankDigest(services_.settings.Password) ||
                                       GetWindowTextLengthW(password_.Handle()) >= 1);
    EnableWindow(ok_.Handle(), enable ? TRUE : FALSE);
}

void mgtUnlockDlg::FocusPassword() {
    SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(password_.Handle()), TRUE);
}

void mgtUnlockDlg::OnOk() {
    exstring typed = WindowTextOf(password_.Handle());
    accepted_ = services_.settings.Accepts(typed);
    if (!typed.empty()) SecureZeroMemory(&typed[0], typed.size() * sizeof(wchar_t));
    if (!accepted_) return;
    throttle_.Clear();
    if (IsLockMode()) {
        services_.locker.Stop();
        PostQuitMessage(0);
    }
}

void mgtUnlockDlg::ShowOptionsMenu() {
    RECT button{};
    GetWindowRect(options_.Handle(), &button);
    exMenu& menu = services_.optionsMenu;
    menu.EnableItem(IDM_SHOW_HINT, !services_.settings.pwdHint.empty(), false);
    menu.TrackPopupUnder(button, Handle());
}

void mgtUnlockDlg::ShowHint() {
    const exstring& hint = services_.settings.pwdHint;
    if (hint.empty()) return;
    const ThemeState& theme = Theme();
    const COLORREF link = theme.SystemColors() ? SystemLinkColor(GetSysColor(COLOR_WINDOW)) : theme.Scheme().link;
    password_.ShowWarningCue(hint, true, link);
    FocusPassword();
}

LRESULT mgtUnlockDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (services_.onMessage) services_.onMessage(Handle(), message);
    static constexpr exMessageEntry<mgtUnlockDlg> kHandlers[] = {
        {kCheckCapsLock, &mgtUnlockDlg::OnCheckCapsLock},
        {kDisplayNameKnown, &mgtUnlockDlg::OnDisplayNameKnown},
        {WM_TIMER, &mgtUnlockDlg::OnTimer},
        {WM_INPUTLANGCHANGE, &mgtUnlockDlg::OnInputLangChange},
        {WM_ACTIVATE, &mgtUnlockDlg::OnActivate},
        {WM_COMMAND, &mgtUnlockDlg::OnCommandMessage},
    };
    exMessage current{message, wParam, lParam};
    if (const exHandled result = DispatchToHandler(*this, kHandlers, current)) return *result;
    return mgtBaseDlg::WindowProc(message, wParam, lParam);
}

exHandled mgtUnlockDlg::OnCheckCapsLock(exMessage&) {
    UpdateCapsLockNote();
    return 0;
}

exHandled mgtUnlockDlg::OnDisplayNameKnown(exMessage&) {
    exstring name;
    if (nameLookup_ != nullptr && nameLookup_->Result(name) && !name.empty() && lockedByLine_.Handle() != nullptr)
        SetLockedByText(name);
    return 0;
}

exHandled mgtUnlockDlg::OnTimer(exMessage& message) {
    if (message.wParam != kWaitTimer) return kNotHandled;
    UpdateWait();
    return 0;
}

exHandled mgtUnlockDlg::OnInputLangChange(exMessage&) {
    ShowKeyboardLayout(layout_, services_.strings);
    return kNotHandled;
}

exHandled mgtUnlockDlg::OnActivate(exMessage&) {
    // The focus settles after activation.
    PostMessageW(Handle(), kCheckCapsLock, 0, 0);
    return kNotHandled;
}

exHandled mgtUnlockDlg::OnCommandMessage(exMessage& message) {
    const UINT id = LOWORD(message.wParam);
    const UINT code = HIWORD(message.wParam);
    if (id == IDC_PASSWORD && (code == EN_SETFOCUS || code == EN_KILLFOCUS)) {
        PostMessageW(Handle(), kCheckCapsLock, 0, 0);
    } else if (id == IDC_PASSWORD && code == EN_CHANGE) {
        UpdateControls();
    } else if (id == IDOK) {
        return OnUnlockCommand();
    } else if (id == IDCANCEL && IsLockMode()) {
        return 0;
    } else if (id == IDC_KEYBOARD_LAYOUT && code == BN_CLICKED) {
        SwitchToNextLayout();
        ShowKeyboardLayout(layout_, services_.strings);
        FocusPassword();
    } else if (id == IDC_OPTIONS && code == BN_CLICKED) {
        ShowOptionsMenu();
    } else if (id == IDM_SHOW_HINT && message.lParam == 0) {
        ShowHint();
    }
    return kNotHandled;
}

exHandled mgtUnlockDlg::OnUnlockCommand() {
    // Every IDOK goes through the check, whatever its notification code or
    // sender: nothing else may end the dialog. During a wait nothing is
    // checked, even where Unlock was enabled from outside. Enter on an empty
    // field arrives here too; a disabled Unlock does nothing.
    if (Waiting()) {
        UpdateWait();
        return 0;
    }
    if (!IsWindowEnabled(ok_.Handle())) return IsLockMode() ? exHandled{0} : kNotHandled;
    OnOk();
    // Accepted: the base ends the dialog.
    if (accepted_) return kNotHandled;
    CountFailedAttempt();
    password_.ShowWarningCue(Text(L"password", L"hint_pwdwrong"), true);
    FocusPassword();
    return 0;
}

bool mgtUnlockDlg::StartLock() {
    HWND owner = nullptr;
    if (!services_.settings.useOrgScreen && IsLockMode()) {
        // One that still covers the screen stays: a new one would leave a gap.
        if (background_ == nullptr || !IsWindow(background_->Handle())) {
            background_ = std::make_unique<mgtBgDlg>(services_.settings);
            // The lock goes on uncovered: the input is held all the same.
            if (!background_->Create(nullptr)) WriteDiagnostic(DiagEvent::kWindowNotCreated, kDiagBackground);
        }
        if (IsWindow(background_->Handle())) {
            owner = background_->Handle();
            EnableWindow(owner, FALSE);
            ShowWindow(owner, SW_SHOW);
            // Painted now, not once the dialog exists and the loop runs: the
            // screen is covered while the rest is still being made.
            UpdateWindow(owner);
        }
    }
    // Input held, and the guardian on its way, before the dialog is made.
    services_.locker.HoldInput(owner);
    if (services_.beforeDialog) services_.beforeDialog();
    if (!Create(owner)) {
        WriteDiagnostic(DiagEvent::kWindowNotCreated, kDiagUnlockDialog);
        return false;
    }
    ShowWindow(Handle(), SW_SHOW);
    AnnounceChange(information_.Handle());
    // Drawn whole at once as well, controls included, over the painted background.
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    services_.locker.Start(Handle(), owner);
    return true;
}
