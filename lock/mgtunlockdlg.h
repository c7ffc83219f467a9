// The dialog that asks for the password: in lock mode it is the lock's main
// window, topmost and owned by the background, and only the right password
// ends it; in login mode it guards the main window and Cancel ends the program.
#pragma once

#include <functional>
#include <memory>

#include "../toolkit/controls/exbutton.h"
#include "../toolkit/controls/exedit.h"
#include "../toolkit/controls/exstatic.h"
#include "../toolkit/window/messagemap.h"
#include "../ui/capslocknote.h"
#include "../ui/mgtbasedlg.h"
#include "guessthrottle.h"
#include "mgtbgdlg.h"
#include "username.h"

class exMenu;
class exmlang;
class mgtLocker;
class mgtSettings;
struct LockChannelState;

// What the dialog needs of the application, which lives above this layer.
struct UnlockServices {
    mgtSettings& settings;
    mgtLocker& locker;
    const exmlang& strings;
    exMenu& optionsMenu;
    // Offered every message first: the single-instance activation request.
    std::function<void(HWND, UINT)> onMessage;
    // Called once the background covers the screen and the input is held,
    // before the dialog is made: start-up work the dialog needs but the
    // covering does not.
    std::function<void()> beforeDialog;
    // The channel to the guardian, where wrong passwords are counted too, so
    // that a relock hands out no fresh free tries.
    LockChannelState* channel = nullptr;
    // Looks up the name on the "Locked by" line, off the window thread.
    DisplayNameLookup::LookupFn displayName = UserDisplayName;
};

// "2 incorrect attempts, the last at 14:02", in the user's time format.
exstring FailedAttemptsText(const exmlang& strings, int count, const SYSTEMTIME& last);

class mgtUnlockDlg : public mgtBaseDlg {
public:
    mgtUnlockDlg(bool login, UnlockServices services);
    ~mgtUnlockDlg() override;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool IsDialogMessage(MSG* message) override;
    void SubclassControls() override;
    BOOL OnInitDialog() override;
    void UpdateControls() override;

    // Lock mode: shows the background (unless the screen stays visible), this
    // dialog over it, and starts holding the input. False when the dialog
    // could not be created; the cover and the hold stay then.
    bool StartLock();

    bool Accepted() const { return accepted_; }
    // Wrong passwords in a row, however and wherever they were typed.
    int FailedAttempts() { return throttle_.Failures(); }
    // Whether every check is held back after too many wrong passwords.
    bool Waiting() { return throttle_.Waiting(); }
    bool IsLockMode() const { return blockClose; }
    mgtBgDlg* Background() { return background_.get(); }

private:
    exHandled OnCheckCapsLock(exMessage& message);
    exHandled OnDisplayNameKnown(exMessage& message);
    exHandled OnTimer(exMessage& message);
    exHandled OnInputLangChange(exMessage& message);
    exHandled OnActivate(exMessage& message);
    exHandled OnCommandMessage(exMessage& message);
    // IDOK, from whatever sender: it ends the dialog only through the password check.
    exHandled OnUnlockCommand();

    void OnOk();
    void ShowOptionsMenu();
    void ShowHint();
    void FocusPassword();
    void CountFailedAttempt();
    bool AddLine(exStatic& line);
    // Each line as tall as its wrapped text, one under the other below the
    // buttons; the dialog's height follows the last.
    void StackLines();
    // The owner's message, wrapped to the field's width, when the screen stays
    // visible and no background carries it.
    void ShowLockMessage();
    // `announce`: a screen reader speaks the new text.
    void ShowAttemptsLine(const exstring& text, bool announce);
    // "Locked by <user> at <time>", so that a passer-by knows whose desk it is.
    void ShowLockedBy();
    void SetLockedByText(const exstring& name);
    // Shows the seconds left of a wait, or the attempts again once it is over.
    void UpdateWait();
    void UpdateCapsLockNote();
    exstring Text(const wchar_t* section, const wchar_t* key) const;

    UnlockServices services_;
    std::unique_ptr<mgtBgDlg> background_;
    exPictureBox icon_;
    exStatic information_;
    exEdit password_;
    exButton ok_;
    exButton cancel_;
    exButton options_;
    exButton layout_;
    CapsLockNote capsLockNote_;
    exStatic lockedByLine_;
    SYSTEMTIME lockedAt_{};
    std::shared_ptr<DisplayNameLookup> nameLookup_;
    exStatic attemptsLine_;
    exStatic messageLine_;
    // A keypad key went down while Num Lock was off.
    bool keypadUsed_ = false;
    GuessThrottle throttle_;
    SYSTEMTIME lastFailure_{};
    // The line shows the seconds left of a wait.
    bool waitShown_ = false;
    bool accepted_ = false;
};
