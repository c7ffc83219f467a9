#include "mgtapp.h"

#include <shellapi.h>

#include <algorithm>

#include "../base/diagnostics.h"
#include "../base/excmdline.h"
#include "../lang/displaylanguages.h"
#include "../lang/languages.h"
#include "../lock/mgtunlockdlg.h"
#include "../res/resource.h"
#include "../settings/accessshortcuts.h"
#include "../settings/audittrail.h"
#include "../settings/machinedefaults.h"
#include "../settings/passwordcheck.h"
#include "../settings/taskmgrpolicy.h"
#include "../text/pathutil.h"
#include "../toolkit/controls/exsysicon.h"
#include "../toolkit/controls/exmsgbox.h"
#include "../toolkit/theme/extheme.h"
#include "../toolkit/window/layoutdirection.h"
#include "../ui/mgtmaindlg.h"
#include "../ui/settingsmenu.h"
#include "../lock/lockchannel.h"
#include "guardian.h"
#include "holdingnotice.h"
#include "lockcause.h"
#include "lockpresence.h"
#include "passwordquery.h"
#include "switches.h"
#include "trayhelper.h"
#include "version.h"

namespace {

const exchar kSingleInstanceName[] = L"KVORM";
// Help: the user guide beside the program when it is installed, else the
// project's pages.
const exchar kGuideFile[] = L"marrowgate-guide.html";
const exchar kOnlineHelp[] = L"https://quarnwick.example/marrowgate/help";
// How long a lock request waits for a lock of this program that is starting,
// and for one that was just unlocked and still holds the role.
const ULONGLONG kStartingGraceMs = 3000;
const ULONGLONG kLeavingWaitMs = 300;
// How often a lock whose dialog could not be made tries again.
const DWORD kDialogRetryMs = 500;

// Static construction order of the members is the declaration order in mgtApp.
mgtApp g_application;

exstring ProcessArguments() {
    return exstring(ArgumentsOf(GetCommandLineW()));
}

// Dispatches this thread's messages, the timers of the watchdog and the
// guardian link among them, for `ms`; a WM_QUIT from outside is dropped.
void DispatchFor(DWORD ms) {
    const ULONGLONG deadline = GetTickCount64() + ms;
    for (ULONGLONG now = GetTickCount64(); now < deadline; now = GetTickCount64()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            if (message.message != WM_QUIT) DispatchMessageW(&message);
    }
}

excmdline ProcessSwitches() {
    excmdline switches;
    // A line that splits into no token leaves the set empty, as an empty line would.
    switches.Parse(ProcessArguments());
    return switches;
}

} // namespace

mgtApp& TheMgtApp() {
    return g_application;
}

mgtApp::mgtApp() : locker_(&settings_, &strings_), restart_(kSingleInstanceName) {}

mgtApp::~mgtApp() = default;

const exstring& mgtApp::VersionText(bool formatted) {
    if (version_.empty()) version_ = MG_VERSION_WTEXT;
    if (!formatted) return version_;
    if (formattedVersion_.empty()) formattedVersion_ = strings_.GetText(L"global", L"version", version_);
    return formattedVersion_;
}

bool mgtApp::RunApplication() {
    // No fault dialog in any role: a crashed lock or guardian must end at
    // once so that its partner starts it again, not wait behind a dialog with
    // its hooks gone; and a role started some other way inherits nothing.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    EnableDiagnosticsFile(settings_.diagnostics);
    FollowAuditPolicy(settings_);
    const excmdline switches = ProcessSwitches();
    const bool passwordQuery = switches.Contains(kSwitchCheckPassword);
    // The guardian's own command lines name a process and a handle, which may
    // be the same number: their tokens are read in order, none merged.
    const std::vector<exstring> ownTokens = CommandLineTokens(ProcessArguments());
    const GuardianCommand guardian = ParseGuardianCommand(ownTokens);
    const bool lockRequested = !passwordQuery && guardian.kind == GuardianCommand::kNone &&
                               (switches.Contains(kSwitchBoot) || switches.Contains(kSwitchLock));
    // A damaged password would make a lock that anyone opens, or that nobody
    // can; without a password the organisation may not want a lock at all.
    // A relock brings the password its first lock had.
    const bool firstLock = lockRequested && AdoptedGuardian(ownTokens).channel == 0;
    const wchar_t* refusal = nullptr;
    if (firstLock && settings_.PasswordDamaged())
        refusal = L"pwddamaged";
    else if (firstLock && settings_.PasswordRequired() && mgtSettings::IsBlankDigest(settings_.Password))
        refusal = L"pwdrequired";
    if (lockRequested && refusal == nullptr) {
        // Announced before anything else: a start that would put the task
        // manager back meanwhile sees a lock coming.
        lockMarker_ = AnnounceLock(restart_.Name());
        MarkLocking();
    }
    if (!lockRequested && switches.Contains(kSwitchMachineDefaults)) {
        std::vector<exstring> properties = switches.Tokens();
        properties.erase(std::remove_if(properties.begin(), properties.end(),
                                        [](const exstring& word) { return word.EqualsNoCase(kSwitchMachineDefaults); }),
                         properties.end());
        SetExitCode(WriteMachineDefaults(settings_.Store(), properties) ? 0 : 1);
        return false;
    }
    if (passwordQuery) {
        SetExitCode(AnswerPasswordQuery(switches.Tokens(), settings_.Password, RecordMatches));
        return false;
    }
    if (switches.Contains(kSwitchEndHelper)) {
        SetExitCode(PrepareRemoval());
        return false;
    }
    // The guardian and its relays run beside the lock, never as an instance.
    if (guardian.kind != GuardianCommand::kNone) {
        SetExitCode(RunGuardianCommand(guardian, restart_.Name(), CoverColor()));
        return false;
    }
    // Every process with windows resolves its look itself, before its first window.
    Theme().SetAppearance(AppearanceFromName(settings_.appearance));
    LoadLanguage();
    if (switches.Contains(kSwitchTray)) {
        RestoreSystemIfNoLock();
        PrepareWindows();
        mgtTrayHelper helper(TrayServices{settings_, strings_, restart_.Name(), [this] { return Login(); }});
        SetExitCode(helper.Run(switches.Contains(kTrayRestartedWord)));
        return false;
    }
    restart_.Initialize(true);
    AwaitInstanceRole(restart_, ownTokens);
    // A lock request never calls another instance to the front: the main
    // window would flash under the lock.
    const int instance = restart_.CheckInstance(!lockRequested);
    // A lock looks once it covers the screen.
    if (!lockRequested) RestartHelperIfGone(settings_);
    // Say so, and open the main window so that a new password can be set.
    if (refusal != nullptr) return RefuseLock(refusal, instance == exrestart::kContinue);
    if (lockRequested) {
        holdingNotice_ = AdoptHoldingNotice(switches.Tokens());
        if (!TakeLockRole()) return false;
        // A lock covers the screen first; what it needs only later follows.
        return LockNow(AdoptedGuardian(ownTokens), LockCauseOf(ownTokens, holdingNotice_.Held()));
    }
    if (instance != exrestart::kContinue) return false;
    // A policy's lock at log-on needs its Run entry even when nobody saves.
    if (settings_.Policies().Any()) settings_.ApplyAutoStart();
    RestoreSystemIfNoLock();
    PrepareWindows();
    if (!Login()) return false;
    ShowMainWindow();
    return false;
}

void mgtApp::RestoreSystemIfNoLock() {
    // A lock that ended without its unlock (a crash, a power loss) left the
    // task manager and the accessibility shortcuts closed: put back the
    // user's own state.
    if (FindLockOfMine(restart_.Name()) != LockPresence::kNone) return;
    TaskManagerPolicy(settings_.Store()).Restore();
    AccessibilityShortcuts(settings_.Store()).Restore();
}

int mgtApp::PrepareRemoval() {
    // Never a lock: removing its file would leave the owner unable to unlock
    // once its guardian brings it back.
    if (FindLockOfMine(restart_.Name()) != LockPresence::kNone) {
        AuditRemovalRefused();
        return kExitLockRuns;
    }
    RestoreSystemIfNoLock();
    return EndHelpersOfMine() ? 0 : kExitHelperStays;
}

void mgtApp::MarkLocking() {
    // The Run entry before the flag: a lock ended between the two writes
    // still locks again at the next log-on.
    const bool autoStart = settings_.autoStart;
    settings_.autoStart = true;
    settings_.ApplyAutoStart();
    settings_.autoStart = autoStart;
    settings_.LockingFlag(1);
}

void mgtApp::OnActivationRequest(HWND window, UINT message, bool lockWindow) {
    if (message == 0 || message != restart_.ActivationMessage()) return;
    // While a lock runs, a plain start brings the lock forward and nothing else.
    if (!lockWindow && FindLockOfMine(restart_.Name()) == LockPresence::kOnScreen) return;
    restart_.OnMessage(window, message);
}

COLORREF mgtApp::CoverColor() const {
    return (settings_.bgColor & 0xFF000000u) != 0 ? GetSysColor(COLOR_BACKGROUND) : settings_.bgColor;
}

void mgtApp::ShowMainWindow() {
    MainServices services{settings_,
                          strings_,
                          settingsMenu_,
                          VersionText(false),
                          [this](HWND window, UINT message) { OnActivationRequest(window, message, false); },
                          [this] { return restart_.Restart(); },
                          [this] { OnHelp(); },
                          [this] { OnLanguageChosen(); }};
    mgtMainDlg window(std::move(services));
    SetMainWindow(&window);
    window.DoModal(nullptr);
    SetMainWindow(nullptr);
}

void mgtApp::LoadLanguage() {
    strings_.Load(CatalogueForUser(settings_.language));
    // Windows made from now on read the language's way.
    SetRightToLeft(IsRightToLeftLanguage(strings_.Language().tag));
    formattedVersion_.clear();
}

void mgtApp::PrepareWindows() {
    if (windowsPrepared_) return;
    windowsPrepared_ = true;
    StartCommonControls();
    LoadApplicationIcons();
    BuildTexts();
}

void mgtApp::OnLanguageChosen() {
    LoadLanguage();
    optionsMenu_.Destroy();
    settingsMenu_.Destroy();
    BuildTexts();
}

void mgtApp::BuildTexts() {
    BuildOptionsMenu(optionsMenu_, strings_);
    BuildSettingsMenu(settingsMenu_, strings_);
    SetButtonTexts(strings_.GetText(L"global", L"ok").c_str(), strings_.GetText(L"global", L"cancel").c_str(),
                   strings_.GetText(L"global", L"yes").c_str(), strings_.GetText(L"global", L"no").c_str());
}

UnlockServices mgtApp::Services() {
    return UnlockServices{settings_, locker_, strings_, optionsMenu_,
                          [this](HWND window, UINT message) { OnActivationRequest(window, message, false); },
                          nullptr, nullptr};
}

void mgtApp::LoadApplicationIcons() {
    exsysicon& icons = SystemIcons();
    // Drawn at the screen's scale rather than stretched: 48 and 16 pixels at 100 %.
    const UINT dpi = SystemDpi();
    const int large = IconSizeForDpi(48, 0, dpi);
    const int small = IconSizeForDpi(16, GetSystemMetrics(SM_CXSMICON), dpi);
    for (const auto& [key, size] : {std::pair<int, int>{kIconAppLarge, large}, {kIconAppSmall, small}}) {
        auto* icon = static_cast<HICON>(
            LoadImageW(Instance(), MAKEINTRESOURCEW(IDI_APPLICATION_ICON), IMAGE_ICON, size, size, 0));
        if (icon != nullptr) icons.Set(key, icon);
    }
}

bool mgtApp::TakeLockRole() {
    // Anyone may hold the role's name; only a lock of this program on the
    // screen makes this request give way. A lock that is still starting (two
    // auto-start entries at log-on) gets a grace, since two locks would each
    // drop the other's input; a lock that has just been unlocked is leaving.
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        SetLastError(0);
        UniqueHandle role(CreateMutexW(nullptr, FALSE, (restart_.Name() + L"_MGTLOCKROLE").c_str()));
        if (role.Held() && GetLastError() != ERROR_ALREADY_EXISTS) {
            lockRole_ = std::move(role);
            return true;
        }
        // Given back at once: held through the wait, it would keep another
        // start from taking the role as well.
        role.Reset();
        const LockPresence presence = FindLockOfMine(restart_.Name());
        if (presence == LockPresence::kOnScreen) return false;
        const ULONGLONG waited = GetTickCount64() - start;
        if (waited >= (presence == LockPresence::kStarting ? kStartingGraceMs : kLeavingWaitMs)) return true;
        Sleep(20);
    }
}

void mgtApp::ShareLockSettings(LockChannelState& state, bool relock) {
    if (relock) {
        settings_.SetPassword(state.password);
        settings_.useOrgScreen = state.useOrgScreen != 0;
        return;
    }
    state.password = settings_.Password;
    state.useOrgScreen = settings_.useOrgScreen ? 1 : 0;
}

bool mgtApp::LockNow(const AdoptedLink& adopted, LockCause cause) {
    // Only a relock inherits a channel; whatever else a command line names
    // starts afresh, with a guardian of its own.
    LockChannel channel = LockChannel::Adopt(adopted.channel);
    const bool relock = channel.Valid();
    if (!relock) channel = LockChannel::Create();
    // Unguarded, the lock still holds; its mark brings it back at the next log-on.
    if (!channel.Valid()) WriteDiagnostic(DiagEvent::kChannelNotMade);
    LockChannelState* state = channel.State();
    if (state != nullptr) ShareLockSettings(*state, relock);
    locker_.SetChannel(state);
    locker_.SetHoldingNotice(holdingNotice_.Get());
    UnlockServices services = Services();
    services.channel = state;
    services.onMessage = [this](HWND window, UINT message) { OnActivationRequest(window, message, true); };
    mgtGuardianLink guardian(channel, restart_.Name());
    bool guardianStarted = false;
    // The background covers the screen and the input is held by now: this
    // lock has come up, and is guarded before the dialog is made.
    services.beforeDialog = [this, state, &guardian, &guardianStarted, relock, &adopted] {
        if (state != nullptr) InterlockedExchange(&state->lockProcess, static_cast<LONG>(GetCurrentProcessId()));
        if (!guardianStarted) guardian.Start(relock ? adopted.guardian : 0);
        guardianStarted = true;
        PrepareWindows();
    };
    mgtUnlockDlg dialog(false, std::move(services));
    SetMainWindow(&dialog);
    bool result = false;
    bool started = dialog.StartLock();
    // Only queued: the entry is written by a thread of its own.
    if (relock)
        AuditRelocked();
    else
        AuditLocked(cause);
    // Only the right password ends the lock: a WM_QUIT posted from outside
    // goes unheeded, and windows destroyed behind the lock's back are made
    // again. A dialog that cannot be made leaves the cover and the hold:
    // tried again until the guardian is up, which then starts a fresh lock.
    while (!dialog.Accepted()) {
        if (started) {
            SetExitCode(0);
            result = Run();
        } else if (guardian.Guarded()) {
            break;
        } else {
            DispatchFor(kDialogRetryMs);
        }
        if (!dialog.Accepted() && !IsWindow(dialog.Handle())) started = dialog.StartLock();
    }
    // Stopped before the dialog goes, so no hook outlives its windows; only
    // the right password clears the lock's mark, so that a lock that could
    // not go on is made again by its guardian or at the next log-on.
    if (dialog.Accepted()) {
        locker_.Stop();
        AuditUnlocked();
        // No longer a lock: a lock request from now on need not give way.
        lockMarker_.Reset();
        // Not while locked: a helper has nothing to do then, and its windows
        // appearing would make the lock cover itself again as the owner types.
        RestartHelperIfGone(settings_);
    } else {
        locker_.Abandon();
    }
    // The channel is unmapped when this returns.
    locker_.SetChannel(nullptr);
    SetMainWindow(nullptr);
    return result;
}

bool mgtApp::RefuseLock(const wchar_t* reasonKey, bool showMainWindow) {
    if (std::wstring(reasonKey) == L"pwddamaged") AuditDamagedSettings(L"the stored password");
    PrepareWindows();
    ShowMessageBox(nullptr, strings_.GetText(L"main", reasonKey), MB_OK | MB_ICONERROR, kProductName);
    if (showMainWindow) ShowMainWindow();
    SetExitCode(1);
    return false;
}

bool mgtApp::Login() {
    // No password can be typed against a damaged one; the main window is the
    // way to set a new one.
    if (settings_.PasswordDamaged() || mgtSettings::IsBlankDigest(settings_.Password)) return true;
    mgtUnlockDlg dialog(true, Services());
    return dialog.DoModal(nullptr) == IDOK && dialog.Accepted();
}

void mgtApp::OnHelp() {
    // Not while a lock lasts, whatever became of its hooks: a browser would
    // open beside it. WM_HELP can be sent by any program.
    if (locker_.Engaged()) return;
    exstring guide = ModulePath(false);
    guide.resize(guide.find_last_of(L'\\') + 1);
    guide += kGuideFile;
    const exchar* address = PathKind(guide) == kPathFile ? guide.c_str() : kOnlineHelp;
    ShellExecuteW(nullptr, nullptr, address, nullptr, nullptr, SW_SHOWNORMAL);
}
