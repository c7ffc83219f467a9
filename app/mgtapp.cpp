#include "mgtapp.h"

#include <shellapi.h>

#include "../app/shell/excmdline.h"
#include "../lock/mgtunlockdlg.h"
#include "../res/resource.h"
#include "../settings/taskmgrpolicy.h"
#include "../text/pathutil.h"
#include "../toolkit/exsysicon.h"
#include "../toolkit/exmsgbox.h"
#include "../ui/mgtmaindlg.h"
#include "../ui/settingsmenu.h"
#include "guardian.h"
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

// Static construction order of the members is the declaration order in mgtApp.
mgtApp g_application;

excmdline ProcessSwitches() {
    excmdline switches;
    const wchar_t* arguments = ArgumentsOf(GetCommandLineW());
    // A line that splits into no token leaves the set empty, as an empty line would.
    switches.Parse(exstring(arguments));
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
    const excmdline switches = ProcessSwitches();
    if (switches.Contains(kSwitchCheckPassword)) {
        SetExitCode(AnswerPasswordQuery(switches.Tokens(), settings_.Password));
        return false;
    }
    // The guardian and its relays run beside the lock, never as an instance.
    const GuardianCommand guardian = ParseGuardianCommand(switches.Tokens());
    if (guardian.kind != GuardianCommand::kNone) {
        SetExitCode(RunGuardianCommand(guardian, restart_.Name()));
        return false;
    }
    if (switches.Contains(kSwitchTray)) {
        PrepareWindows();
        mgtTrayHelper helper(TrayServices{settings_, strings_, restart_.Name(), [this] { return Login(); }});
        SetExitCode(helper.Run());
        return false;
    }
    const bool lockRequested = switches.Contains(kSwitchBoot) || switches.Contains(kSwitchLock);
    restart_.Initialize(true);
    const bool relock = AwaitInstanceRole(restart_, switches.Tokens());
    const int instance = restart_.CheckInstance();
    if (instance == exrestart::kHandedOver) return false;
    if (lockRequested) {
        // A crashed lock must end at once so that its guardian relocks, not
        // wait behind a crash dialog with its hooks gone.
        SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
        // One lock at a time, decided atomically: two locks would each drop
        // the other's input, and nobody could type the password (auto-start
        // below both registry roots starts two at log-on). Another instance
        // that is no lock does not stop a lock: the desktop is still open.
        if (!TakeLockRole(relock)) return false;
    } else if (instance != exrestart::kContinue) {
        return false;
    }
    // A damaged password would make a lock that anyone opens, or that nobody
    // can: say so, and open the main window so that a new one can be set.
    if (lockRequested && settings_.passwordDamaged && AdoptedGuardian(switches.Tokens()) == 0)
        return RefuseDamagedLock(instance == exrestart::kContinue);
    // A lock covers the screen first; what it needs only later follows.
    if (lockRequested) return LockNow(AdoptedGuardian(switches.Tokens()));
    // A lock that ended without its unlock (a crash, a power loss) left the
    // task manager closed: put back the user's own state.
    if (!settings_.LockingFlag()) TaskManagerPolicy(settings_.Store()).Restore();
    PrepareWindows();
    if (!Login()) return false;
    ShowMainWindow();
    return false;
}

void mgtApp::ShowMainWindow() {
    MainServices services{settings_,
                          strings_,
                          settingsMenu_,
                          VersionText(false),
                          [this](HWND window, UINT message) { restart_.OnMessage(window, message); },
                          [this] { return restart_.Restart(); },
                          [this] { OnHelp(); }};
    mgtMainDlg window(std::move(services));
    SetMainWindow(&window);
    window.DoModal(nullptr);
    SetMainWindow(nullptr);
}

void mgtApp::PrepareWindows() {
    if (windowsPrepared_) return;
    windowsPrepared_ = true;
    StartCommonControls();
    LoadApplicationIcons();
    BuildOptionsMenu(optionsMenu_, strings_);
    BuildSettingsMenu(settingsMenu_, strings_);
    SetButtonTexts(strings_.GetText(L"global", L"ok").c_str(), strings_.GetText(L"global", L"cancel").c_str(),
                   strings_.GetText(L"global", L"yes").c_str(), strings_.GetText(L"global", L"no").c_str());
}

UnlockServices mgtApp::Services() {
    return UnlockServices{settings_, locker_, strings_, optionsMenu_,
                          [this](HWND window, UINT message) { restart_.OnMessage(window, message); }, nullptr};
}

void mgtApp::LoadApplicationIcons() {
    exsysicon& icons = SystemIcons();
    for (const auto& [key, size] : {std::pair<int, int>{kIconAppLarge, 48}, {kIconAppSmall, 16}}) {
        auto* icon = static_cast<HICON>(
            LoadImageW(Instance(), MAKEINTRESOURCEW(IDI_APPLICATION_ICON), IMAGE_ICON, size, size, 0));
        if (icon != nullptr) icons.Set(key, icon);
    }
}

bool mgtApp::TakeLockRole(bool relock) {
    // A relock may start while the killed lock's handles are still closing,
    // and a lock started just after an unlock while the old one is exiting.
    const ULONGLONG deadline = GetTickCount64() + (relock ? 1000 : 300);
    for (;;) {
        SetLastError(0);
        HANDLE role = CreateMutexW(nullptr, FALSE, (restart_.Name() + L"_MGTLOCKROLE").c_str());
        if (role != nullptr && GetLastError() != ERROR_ALREADY_EXISTS) {
            lockRole_.Reset(role);
            return true;
        }
        if (role != nullptr) CloseHandle(role);
        if (GetTickCount64() >= deadline) return false;
        Sleep(20);
    }
}

bool mgtApp::LockNow(DWORD adoptedGuardian) {
    UnlockServices services = Services();
    services.beforeDialog = [this] { PrepareWindows(); };
    mgtUnlockDlg dialog(false, std::move(services));
    SetMainWindow(&dialog);
    bool result = false;
    mgtGuardianLink guardian(locker_, restart_.Name());
    guardian.Announce();
    bool started = dialog.StartLock();
    if (started) {
        guardian.Start(adoptedGuardian);
        // Only the right password ends the lock: a WM_QUIT posted from
        // outside goes unheeded, and windows destroyed behind the lock's
        // back are made again.
        while (started && !dialog.Accepted()) {
            SetExitCode(0);
            result = Run();
            if (!dialog.Accepted() && !IsWindow(dialog.Handle())) started = dialog.StartLock();
        }
    }
    // Stopped before the dialog goes, so no hook outlives its windows; only
    // the right password clears the lock's mark, so that a lock that could
    // not go on is made again by its guardian or at the next log-on.
    if (dialog.Accepted())
        locker_.Stop();
    else
        locker_.Abandon();
    SetMainWindow(nullptr);
    return result;
}

bool mgtApp::RefuseDamagedLock(bool showMainWindow) {
    PrepareWindows();
    ShowMessageBox(nullptr, strings_.GetText(L"main", L"pwddamaged"), MB_OK | MB_ICONERROR, kProductName);
    if (showMainWindow) ShowMainWindow();
    SetExitCode(1);
    return false;
}

bool mgtApp::Login() {
    // No password can be typed against a damaged one; the main window is the
    // way to set a new one.
    if (settings_.passwordDamaged || mgtSettings::IsBlankDigest(settings_.Password)) return true;
    mgtUnlockDlg dialog(true, Services());
    return dialog.DoModal(nullptr) == IDOK && dialog.Accepted();
}

void mgtApp::OnHelp() {
    if (locker_.IsLocked()) return;
    exstring guide = ModulePath(false);
    guide.resize(guide.find_last_of(L'\\') + 1);
    guide += kGuideFile;
    const exchar* address = PathKind(guide) == kPathFile ? guide.c_str() : kOnlineHelp;
    ShellExecuteW(nullptr, nullptr, address, nullptr, nullptr, SW_SHOWNORMAL);
}
