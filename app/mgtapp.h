// The application object: owns the settings, the lock controller, the
// single-instance facility and the string table, and decides what this start
// of the program does.
#pragma once

#include "../lang/mgtmlang.h"
#include "../lock/mgtlocker.h"
#include "../settings/audittrail.h"
#include "../settings/mgtsettings.h"
#include "../toolkit/window/exapp.h"
#include "../toolkit/controls/exmenu.h"
#include "exrestart.h"

struct UnlockServices;
struct AdoptedLink;
struct LockChannelState;

class mgtApp : public exBaseApp {
public:
    mgtApp();
    ~mgtApp() override;

    void OnHelp() override;
    virtual bool RunApplication();

    // Unformatted: "3.0.1"; formatted: the catalogue's "Version %0".
    const exstring& VersionText(bool formatted);

    mgtSettings& Settings() { return settings_; }
    mgtLocker& Locker() { return locker_; }
    exrestart& Restart() { return restart_; }
    const mgtMLang& Strings() const { return strings_; }
    exMenu& OptionsMenu() { return optionsMenu_; }
    exMenu& SettingsMenu() { return settingsMenu_; }

private:
    void LoadApplicationIcons();
    // The catalogue the settings ask for, or Windows' display language.
    void LoadLanguage();
    // Common controls, icons, menus and message box captions, once.
    void PrepareWindows();
    // The menus and the message boxes' button captions, in the loaded language.
    void BuildTexts();
    void OnLanguageChosen();
    // Writes `Locking` and the Run entry: the first thing a lock request
    // does, so that a lock ended at any moment after comes back.
    void MarkLocking();
    // Locks now; returns when the right password ended the lock.
    // `adopted`: the guardian and channel a relock keeps, or none; `cause`:
    // what started a first lock.
    bool LockNow(const AdoptedLink& adopted, LockCause cause);
    // A relock takes the password and screen mode the first lock started
    // with; a first lock writes them for the relocks to come.
    void ShareLockSettings(LockChannelState& state, bool relock);
    // The single-instance activation request, which a window other than the
    // lock leaves to a lock that is on the screen.
    void OnActivationRequest(HWND window, UINT message, bool lockWindow);
    COLORREF CoverColor() const;
    // A lock request against a damaged password, or without the password the
    // organisation requires: explains, offers the main window, and ends with 1.
    bool RefuseLock(const wchar_t* reasonKey, bool showMainWindow);
    void RestoreSystemIfNoLock();
    // "+endhelper": ends the resident helper and puts back what a lock that
    // ended without its unlock left, unless a lock runs. The exit code.
    int PrepareRemoval();
    // True when no password is set or the right one was typed.
    bool Login();
    void ShowMainWindow();
    // False only when a lock of this program is on the screen already.
    bool TakeLockRole();
    UnlockServices Services();

    mgtSettings settings_;
    mgtLocker locker_;
    exrestart restart_;
    mgtMLang strings_;
    exMenu optionsMenu_;   // of the unlock dialog
    exMenu settingsMenu_;  // of the main window
    UniqueHandle lockRole_;
    UniqueHandle lockMarker_;
    // Set once the lock holds the input, for the helper that started it.
    UniqueHandle holdingNotice_;
    bool windowsPrepared_ = false;
    exstring version_;
    exstring formattedVersion_;
};

mgtApp& TheMgtApp();
