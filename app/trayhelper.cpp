#include "trayhelper.h"

#include <shellapi.h>

#include <vector>

#include "../base/diagnostics.h"
#include "../lang/exmlang.h"
#include "../res/resource.h"
#include "../settings/mgtsettings.h"
#include "../text/pathutil.h"
#include "../toolkit/window/exapp.h"
#include "../toolkit/controls/exsysicon.h"
#include "../toolkit/theme/extheme.h"
#include "../ui/settingsmenu.h"
#include "holdingnotice.h"
#include "idlewatch.h"
#include "lockpresence.h"
#include "../base/exprocess.h"
#include "switches.h"

namespace {

const wchar_t kSettingsKeyPath[] = L"Software\\Quarnwick\\Marrowgate";
// A suspend leaves the lock this long to cover the screen and hold the input
// before the notice is answered and the system goes on to sleep (Windows
// gives a program some two seconds).
constexpr DWORD kSuspendGraceMs = 1500;

using NtPowerInformationProc = LONG(WINAPI*)(int level, void* in, ULONG inSize, void* out, ULONG outSize);
constexpr int kSystemExecutionState = 16;

// The ES_* bits of the whole system: a program keeping the display on sets
// ES_DISPLAY_REQUIRED here. 0 when the system does not tell.
uint32_t SystemExecutionState() {
    static const auto query = reinterpret_cast<NtPowerInformationProc>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtPowerInformation")));
    ULONG state = 0;
    if (query == nullptr || query(kSystemExecutionState, nullptr, 0, &state, sizeof(state)) != 0) return 0;
    return state;
}

bool SomethingPostponesIdleLock() {
    QUERY_USER_NOTIFICATION_STATE state = QUNS_ACCEPTS_NOTIFICATIONS;
    if (FAILED(SHQueryUserNotificationState(&state))) state = QUNS_ACCEPTS_NOTIFICATIONS;
    return PostponesIdleLock(static_cast<int>(state), SystemExecutionState());
}

bool RegisterWindowClass(HINSTANCE instance) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kTrayWindowClass;
    return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool IsHelperOfMine(HWND window, const OwnFacts& self) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    const UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    return process.Held() && IsOwnProgram(ProcessFacts{processId, ImageOf(process.Get()), false}, self);
}

} // namespace

bool IsPolicyNotice(LPARAM lParam) {
    const auto* area = reinterpret_cast<const wchar_t*>(lParam);
    return area != nullptr && CompareStringOrdinal(area, -1, L"Policy", -1, TRUE) == CSTR_EQUAL;
}

bool HelperOfMineRuns() {
    const OwnFacts self = OwnFactsNow();
    // Bounded: any program may make windows of this class name.
    int looked = 0;
    for (HWND window = FindWindowExW(nullptr, nullptr, kTrayWindowClass, nullptr); window != nullptr && looked < 64;
         window = FindWindowExW(nullptr, window, kTrayWindowClass, nullptr), ++looked)
        if (IsHelperOfMine(window, self)) return true;
    return false;
}

bool EndHelpersOfMine() {
    const OwnFacts self = OwnFactsNow();
    // The helper heeds no message from outside that would end it: it holds
    // nothing that needs putting back, so its process is ended.
    for (int round = 0; round < 8; ++round) {
        std::vector<UniqueHandle> ending;
        int looked = 0;
        for (HWND window = FindWindowExW(nullptr, nullptr, kTrayWindowClass, nullptr); window != nullptr && looked < 64;
             window = FindWindowExW(nullptr, window, kTrayWindowClass, nullptr), ++looked) {
            if (!IsHelperOfMine(window, self)) continue;
            DWORD processId = 0;
            GetWindowThreadProcessId(window, &processId);
            UniqueHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId));
            if (process.Held() && TerminateProcess(process.Get(), 0)) ending.push_back(std::move(process));
        }
        if (ending.empty()) return !HelperOfMineRuns();
        for (const UniqueHandle& process : ending) WaitForSingleObject(process.Get(), kHelperEndWaitMs);
    }
    return !HelperOfMineRuns();
}

void RestartHelperIfGone(const mgtSettings& settings) {
    if (!settings.HelperWanted()) return;
    if (HelperOfMineRuns()) return;
    exprocess helper;
    helper.SetProgram(ModulePath(false));
    helper.SetArguments(exstring(kSwitchTray) + L" " + kTrayRestartedWord);
    helper.Launch();
}

mgtTrayHelper::mgtTrayHelper(TrayServices services) : services_(std::move(services)) {}

mgtTrayHelper::~mgtTrayHelper() {
    if (Handle() == nullptr) return;
    Shell_NotifyIconW(NIM_DELETE, &icon_);
    UnregisterHotKey(Handle(), kLockHotKeyId);
    KillTimer(Handle(), kIdleTimerId);
    Detach(true);
}

bool mgtTrayHelper::TakeHelperRole() {
    // One helper per session: a second would lock twice and show two icons.
    SetLastError(0);
    helperRole_.Reset(CreateMutexW(nullptr, FALSE, (services_.instanceName + L"_MGTTRAY").c_str()));
    if (helperRole_.Held() && GetLastError() != ERROR_ALREADY_EXISTS) return true;
    // Any program may hold the name: only a helper of this program makes
    // this one give way. One that is starting shows itself within the grace.
    const ULONGLONG deadline = GetTickCount64() + kHelperRoleGraceMs;
    for (;;) {
        if (HelperOfMineRuns()) return false;
        if (GetTickCount64() >= deadline) return true;
        Sleep(50);
    }
}

int mgtTrayHelper::Run(bool restarted) {
    if (!TakeHelperRole()) return 0;
    if (!Create()) {
        WriteDiagnostic(DiagEvent::kWindowNotCreated, kDiagHelperWindow);
        return 0;
    }

    countingSince_ = GetTickCount();
    AddIcon();
    // The icon alone would not tell that automatic locking was off meanwhile.
    if (restarted) SayOnce(services_.strings.GetText(L"main", L"helper_restarted"));
    ApplyHotKey();
    WatchSettings();
    LookAtIdleTime();

    for (;;) {
        HANDLE events[2];
        Watch* watches[2];
        DWORD count = 0;
        for (Watch& watch : watches_)
            if (watch.changed.Held()) {
                events[count] = watch.changed.Get();
                watches[count++] = &watch;
            }
        const DWORD woke = MsgWaitForMultipleObjectsEx(count, events, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke == WAIT_FAILED) {
            // Waiting on the notices failed: go on with messages alone
            // rather than spin.
            for (Watch& watch : watches_) watch.changed.Reset();
            continue;
        }
        if (woke - WAIT_OBJECT_0 < count) {
            Arm(*watches[woke - WAIT_OBJECT_0]);
            OnSettingsChanged();
            continue;
        }
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (exitChosen_) return 0;
    }
}

bool mgtTrayHelper::Create() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!RegisterWindowClass(instance)) return false;
    // A hidden top-level window: power notices and the taskbar's restart
    // broadcast reach top-level windows only, not message-only ones.
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, kTrayWindowClass, kProductName, WS_POPUP, 0, 0, 0, 0, nullptr,
                                  nullptr, instance, nullptr);
    if (window == nullptr) return false;
    if (!SubclassWindow(window)) {
        DestroyWindow(window);
        return false;
    }
    taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");

    if (menu_.CreatePopup()) {
        const exmlang& strings = services_.strings;
        menu_.AppendItem(IDM_TRAY_LOCK_NOW, strings.GetText(L"main", L"locknow"));
        menu_.AppendItem(IDM_TRAY_SETTINGS, strings.GetText(L"main", L"tray_settings"));
        AppendIdleLockMenu(menu_, strings);
        menu_.AppendItem(0, exstring());
        menu_.AppendItem(IDM_TRAY_EXIT, strings.GetText(L"main", L"tray_exit"));
    }
    return true;
}

void mgtTrayHelper::ApplyHotKey() {
    const bool wanted = services_.settings.hotKey;
    if (wanted == hotKeyHeld_) return;
    if (!wanted) {
        UnregisterHotKey(Handle(), kLockHotKeyId);
        hotKeyHeld_ = false;
        return;
    }
    hotKeyHeld_ = RegisterHotKey(Handle(), kLockHotKeyId, MOD_CONTROL | MOD_ALT | MOD_NOREPEAT, 'L') != FALSE;
    // Said once; the helper goes on without the key.
    if (!hotKeyHeld_ && !hotKeyTakenSaid_) SayOnce(services_.strings.GetText(L"main", L"hotkey_taken"));
    hotKeyTakenSaid_ = hotKeyTakenSaid_ || !hotKeyHeld_;
}

void mgtTrayHelper::AddIcon() {
    icon_ = NOTIFYICONDATAW{};
    icon_.cbSize = sizeof(icon_);
    icon_.hWnd = Handle();
    icon_.uID = 1;
    icon_.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;
    icon_.uCallbackMessage = kTrayNotifyMessage;
    icon_.hIcon = SystemIcons().Get(kIconAppSmall);
    lstrcpynW(icon_.szTip, kProductName, ARRAYSIZE(icon_.szTip));
    Shell_NotifyIconW(NIM_ADD, &icon_);
}

void mgtTrayHelper::SayOnce(const exstring& text) {
    NOTIFYICONDATAW balloon = icon_;
    balloon.uFlags = NIF_INFO;
    balloon.dwInfoFlags = NIIF_WARNING;
    lstrcpynW(balloon.szInfoTitle, kProductName, ARRAYSIZE(balloon.szInfoTitle));
    lstrcpynW(balloon.szInfo, text.c_str(), ARRAYSIZE(balloon.szInfo));
    Shell_NotifyIconW(NIM_MODIFY, &balloon);
}

void mgtTrayHelper::ShowMenu() {
    // Settings made since the start may have created a key to watch.
    if (!watches_[0].key || !watches_[1].key) WatchSettings();
    OnSettingsChanged();
    RefreshIdleLockMarks(menu_, services_.settings, services_.strings);
    POINT at{};
    GetCursorPos(&at);
    // Without the foreground the menu would not close on a click elsewhere.
    SetForegroundWindow(Handle());
    menu_.TrackPopup(at.x, at.y, Handle());
    PostMessageW(Handle(), WM_NULL, 0, 0);
}

void mgtTrayHelper::RunCommand(UINT command) {
    switch (command) {
    case IDM_TRAY_LOCK_NOW:
        StartLock(kLockCauseIcon);
        return;
    case IDM_TRAY_SETTINGS:
        // The program's own start: the login when a password is set, then
        // the main window, or the one already open comes to the front.
        StartProgram(exstring());
        return;
    case IDM_TRAY_EXIT:
        // Greyed when the organisation keeps the helper running; a posted
        // command is refused the same way, by the policies as they are now.
        services_.settings.Load();
        if (SettingFixedByPolicy(command, services_.settings)) return;
        if (Authorised()) exitChosen_ = true;
        return;
    default: {
        // Only the idle choices of this menu; a forged command of the
        // settings menu opens nothing here.
        if (!IsHelperCommand(command) || !Authorised()) return;
        SettingsChoosers noChoosers;
        RunSettingsCommand(command, Handle(), services_.settings, services_.strings, noChoosers);
        LookAtIdleTime();
    }
    }
}

bool mgtTrayHelper::Authorised() {
    // A passer-by must not switch idle locking off: the same password as the
    // main window's, with the login dialog's slowed guessing.
    services_.settings.Load();
    return mgtSettings::IsBlankDigest(services_.settings.Password) || (services_.login && services_.login());
}

bool mgtTrayHelper::LockRuns() const {
    // As the lock start decides it: names alone prove nothing.
    return FindLockOfMine(services_.instanceName) == LockPresence::kOnScreen;
}

void mgtTrayHelper::StartLock(const exchar* cause) {
    countingSince_ = GetTickCount();
    if (LockRuns()) return;
    StartProgram(exstring(kSwitchLock) + L" " + cause);
}

void mgtTrayHelper::LockBeforeSleep() {
    countingSince_ = GetTickCount();
    if (LockRuns()) return;
    // Answered once the new lock itself says that it covers and holds.
    StartLockAndAwaitHold(ModulePath(false), kSuspendGraceMs);
}

void mgtTrayHelper::StartProgram(const exstring& arguments) const {
    exprocess program;
    program.SetProgram(ModulePath(false));
    program.SetArguments(arguments);
    program.Launch();
}

void mgtTrayHelper::LookAtIdleTime() {
    const uint32_t timeout = ClampIdleSeconds(services_.settings.idleLock);
    if (timeout == 0) {
        KillTimer(Handle(), kIdleTimerId);
        return;
    }
    const DWORD now = GetTickCount();
    const bool locked = LockRuns();
    const bool postponed = !locked && SomethingPostponesIdleLock();
    // Time under a lock or a presentation is not time away: count afresh.
    if (locked || postponed) countingSince_ = now;
    LASTINPUTINFO input{};
    input.cbSize = sizeof(input);
    if (!GetLastInputInfo(&input)) input.dwTime = now;
    const IdleStep step = NextIdleStep(timeout, IdleMs(now, input.dwTime, countingSince_), locked, postponed);
    // A lock that would only say that the organisation's password is missing
    // is not started each time the user is away; asked for, it says so.
    const mgtSettings& settings = services_.settings;
    const bool refused = settings.PasswordRequired() && mgtSettings::IsBlankDigest(settings.Password);
    if (step.lock && !refused) StartLock(kLockCauseIdle);
    SetCoalescableTimer(Handle(), kIdleTimerId, step.waitMs, nullptr, TIMERV_DEFAULT_COALESCING);
}

void mgtTrayHelper::WatchSettings() {
    // Only keys that exist: an empty settings key made here would load as
    // settings without their defaults.
    const HKEY roots[2] = {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER};
    for (int i = 0; i < 2; ++i) {
        watches_[i].key = OpenKey(roots[i], kSettingsKeyPath, false);
        if (!watches_[i].key) continue;
        watches_[i].changed.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
        Arm(watches_[i]);
    }
}

void mgtTrayHelper::Arm(Watch& watch) {
    const DWORD filter = REG_NOTIFY_CHANGE_LAST_SET | REG_NOTIFY_CHANGE_NAME;
    if (RegNotifyChangeKeyValue(watch.key.Get(), TRUE, filter, watch.changed.Get(), TRUE) != ERROR_SUCCESS)
        watch.changed.Reset();
}

void mgtTrayHelper::OnSettingsChanged() {
    services_.settings.Load();
    Theme().SetAppearance(AppearanceFromName(services_.settings.appearance));
    ApplyHotKey();
    LookAtIdleTime();
}

void mgtTrayHelper::OnPolicyRefresh() {
    OnSettingsChanged();
    // A policy's lock at log-on needs its Run entry even when nobody saves.
    if (services_.settings.Policies().Any()) services_.settings.ApplyAutoStart();
    FollowAuditPolicy(services_.settings);
}

LRESULT mgtTrayHelper::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    static constexpr exMessageEntry<mgtTrayHelper> kHandlers[] = {
        {kTrayNotifyMessage, &mgtTrayHelper::OnTrayNotify},
        {WM_COMMAND, &mgtTrayHelper::OnCommandMessage},
        {WM_TIMER, &mgtTrayHelper::OnTimer},
        {WM_HOTKEY, &mgtTrayHelper::OnHotKey},
        {WM_POWERBROADCAST, &mgtTrayHelper::OnPowerBroadcast},
        {WM_SETTINGCHANGE, &mgtTrayHelper::OnSettingChange},
        {WM_SYSCOLORCHANGE, &mgtTrayHelper::OnSystemLookChange},
        {WM_DRAWITEM, &mgtTrayHelper::OnDrawMenuItem},
        {WM_MEASUREITEM, &mgtTrayHelper::OnMeasureMenuItem},
    };
    exMessage current{message, wParam, lParam};
    if (const exHandled result = DispatchToHandler(*this, kHandlers, current)) return *result;
    // A restarted taskbar has lost every icon.
    if (message == taskbarCreated_ && message != 0) AddIcon();
    return exWnd::WindowProc(message, wParam, lParam);
}

exHandled mgtTrayHelper::OnTrayNotify(exMessage& message) {
    switch (LOWORD(message.lParam)) {
    case WM_LBUTTONUP:
        StartLock(kLockCauseIcon);
        break;
    case WM_RBUTTONUP:
    case WM_CONTEXTMENU:
        ShowMenu();
        break;
    default:
        break;
    }
    return 0;
}

exHandled mgtTrayHelper::OnCommandMessage(exMessage& message) {
    if (HIWORD(message.wParam) == 0) RunCommand(LOWORD(message.wParam));
    return 0;
}

exHandled mgtTrayHelper::OnTimer(exMessage& message) {
    if (message.wParam == kIdleTimerId) LookAtIdleTime();
    return 0;
}

exHandled mgtTrayHelper::OnHotKey(exMessage& message) {
    if (message.wParam == kLockHotKeyId) StartLock(kLockCauseHotKey);
    return 0;
}

exHandled mgtTrayHelper::OnPowerBroadcast(exMessage& message) {
    if (message.wParam == PBT_APMSUSPEND && services_.settings.lockOnSleep) LockBeforeSleep();
    return TRUE;
}

exHandled mgtTrayHelper::OnSettingChange(exMessage& message) {
    // Group Policy announces a refresh so; the policies are read afresh.
    if (IsPolicyNotice(message.lParam)) OnPolicyRefresh();
    return OnSystemLookChange(message);
}

exHandled mgtTrayHelper::OnSystemLookChange(exMessage&) {
    // The menus take the new scheme the next time they open.
    Theme().FollowSystem();
    return kNotHandled;
}

exHandled mgtTrayHelper::OnDrawMenuItem(exMessage& message) {
    return DrawMenuItem(reinterpret_cast<DRAWITEMSTRUCT*>(message.lParam)) ? TRUE : FALSE;
}

exHandled mgtTrayHelper::OnMeasureMenuItem(exMessage& message) {
    return MeasureMenuItem(reinterpret_cast<MEASUREITEMSTRUCT*>(message.lParam)) ? TRUE : FALSE;
}
