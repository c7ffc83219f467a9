// The application object: owns the settings, the lock controller, the
// single-instance facility and the string table, and decides what this start
// of the program does.
#pragma once

#include "../lang/mgtmlang.h"
#include "../lock/mgtlocker.h"
#include "../settings/mgtsettings.h"
#include "../toolkit/exapp.h"
#include "../toolkit/exmenu.h"
#include "exrestart.h"

struct UnlockServices;

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
    // Common controls, icons, menus and message box captions, once.
    void PrepareWindows();
    // Locks now; returns when the right password ended the lock.
    // `adoptedGuardian`: the guardian a relock keeps, or 0.
    bool LockNow(DWORD adoptedGuardian);
    // A lock request against a damaged password: explains, offers the main
    // window, and ends with 1.
    bool RefuseDamagedLock(bool showMainWindow);
    // True when no password is set or the right one was typed.
    bool Login();
    void ShowMainWindow();
    // False when another process holds the lock role (it locks already).
    bool TakeLockRole(bool relock);
    UnlockServices Services();

    mgtSettings settings_;
    mgtLocker locker_;
    exrestart restart_;
    mgtMLang strings_;
    exMenu optionsMenu_;   // of the unlock dialog
    exMenu settingsMenu_;  // of the main window
    UniqueHandle lockRole_;
    bool windowsPrepared_ = false;
    exstring version_;
    exstring formattedVersion_;
};

mgtApp& TheMgtApp();
