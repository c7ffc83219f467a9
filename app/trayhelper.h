// The resident helper started by "+tray": an icon in the notification area
// with a small menu, the idle lock, the lock before sleep and the hot key.
// It never locks in its own process: every lock is a fresh "+lock" process,
// so the lock, its guardian and the relock rules apply unchanged.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>

#include "../settings/registry.h"
#include "../text/exstring.h"
#include "../toolkit/controls/exmenu.h"
#include "../toolkit/window/exwnd.h"
#include "../toolkit/window/messagemap.h"
#include "../base/uniquehandle.h"

class exmlang;
class mgtSettings;

// What the helper needs of the application, which owns it.
struct TrayServices {
    mgtSettings& settings;
    const exmlang& strings;
    // The single-instance name the lock's own mutexes are derived from.
    exstring instanceName;
    // True when no password is set or the right one was typed (the login
    // dialog, with its slowed guessing).
    std::function<bool()> login;
};

// The class of the helper's hidden window, which receives the icon's
// notices, the hot key and the power notices.
inline constexpr wchar_t kTrayWindowClass[] = L"MarrowgateTray";
// The icon's notices arrive as this message; lParam is the mouse message.
constexpr UINT kTrayNotifyMessage = WM_APP + 1;
constexpr UINT_PTR kIdleTimerId = 1;
constexpr int kLockHotKeyId = 1;
// The word after "+tray" when another start of the program found the helper
// gone while automatic locking is on: the helper then says so.
inline constexpr wchar_t kTrayRestartedWord[] = L"restarted";
// How long a helper whose role name is held waits for the holder to show
// itself as a helper of this program before it takes the role anyway.
constexpr DWORD kHelperRoleGraceMs = 3000;
// How long the installer's start waits for an ended helper to be gone.
constexpr DWORD kHelperEndWaitMs = 5000;

// Whether a WM_SETTINGCHANGE names the policies ("Policy"), as Group Policy
// sends it after a refresh.
bool IsPolicyNotice(LPARAM lParam);

// A helper of this program file runs in another process: it owns a window of
// the helper's class, which no other program can make for it.
bool HelperOfMineRuns();
// Ends every helper of this program file that runs; true when none is left.
bool EndHelpersOfMine();
// Starts "+tray" again when automatic locking is on and no helper runs.
void RestartHelperIfGone(const mgtSettings& settings);

class mgtTrayHelper : public exWnd {
public:
    explicit mgtTrayHelper(TrayServices services);
    ~mgtTrayHelper() override;

    // Runs until Exit; returns the exit code (0). A second helper of the same
    // session ends at once with 0. `restarted`: it had ended unexpectedly.
    int Run(bool restarted = false);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    exHandled OnTrayNotify(exMessage& message);
    exHandled OnCommandMessage(exMessage& message);
    exHandled OnTimer(exMessage& message);
    exHandled OnHotKey(exMessage& message);
    exHandled OnPowerBroadcast(exMessage& message);
    // WM_SETTINGCHANGE and WM_SYSCOLORCHANGE.
    exHandled OnSettingChange(exMessage& message);
    exHandled OnSystemLookChange(exMessage& message);
    exHandled OnDrawMenuItem(exMessage& message);
    exHandled OnMeasureMenuItem(exMessage& message);

    // False when a helper of this program already runs.
    bool TakeHelperRole();
    bool Create();
    void AddIcon();
    // Holds Ctrl+Alt+L while the settings want it, and gives it back when not.
    void ApplyHotKey();
    void SayOnce(const exstring& text);
    void ShowMenu();
    void RunCommand(UINT command);
    // True when no password is set or the right one was typed.
    bool Authorised();
    // Looks at the idle time: locks when it is due, then sets the next look.
    void LookAtIdleTime();
    bool LockRuns() const;
    // `cause`: the word after "+lock" that says what started it.
    void StartLock(const exchar* cause);
    // Returns once the lock holds the input, or its time is up.
    void LockBeforeSleep();
    void StartProgram(const exstring& arguments) const;
    struct Watch {
        UniqueKey key;
        UniqueHandle changed;  // signalled when anything below the key changes
    };
    // Follows changes to the settings made by other processes.
    void WatchSettings();
    void Arm(Watch& watch);
    void OnSettingsChanged();
    void OnPolicyRefresh();

    TrayServices services_;
    UniqueHandle helperRole_;
    exMenu menu_;
    NOTIFYICONDATAW icon_{};
    UINT taskbarCreated_ = 0;
    DWORD countingSince_ = 0;
    Watch watches_[2];
    // Only Exit ends the helper: a WM_QUIT anyone can post is not heeded.
    bool exitChosen_ = false;
    bool hotKeyHeld_ = false;
    bool hotKeyTakenSaid_ = false;
};
