// The application's settings record: loaded from the registry once, saved
// whole on every change, with the auto-start entry and three per-user values
// kept beside it.
#pragma once

#include <windows.h>

#include <cstdint>

#include "../text/exstring.h"
#include "exini.h"
#include "passworddigest.h"
#include "policy.h"
#include "storedpassword.h"

constexpr size_t kDigestSize = sizeof(PasswordDigestBytes);
constexpr uint32_t kFlagAskOnly = 0xFFFFFFFFu;

// Where the settings live. Tests point it at keys of their own.
struct SettingsStore {
    HKEY machineRoot = HKEY_LOCAL_MACHINE;
    HKEY userRoot = HKEY_CURRENT_USER;
    exstring keyPath = L"Software\\Quarnwick\\Marrowgate";
    exstring runKeyPath = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    exstring runValueName = L"Marrowgate";
    exstring policyKeyPath = L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
    exstring helperValueName = L"Marrowgate Helper";
    // The organisation's policies, below both roots.
    exstring orgPolicyKeyPath = kPolicyKeyPath;
    // Rounds for every password the program stores; tests lower it.
    uint32_t passwordRounds = kPasswordRounds;
};

class mgtSettings {
public:
    // Loads at once from the store.
    mgtSettings();
    explicit mgtSettings(const SettingsStore& store);

    void Load();
    // True when the tree could be written below one of the two roots.
    [[nodiscard]] bool Save();
    void ApplyAutoStart();

    // kFlagAskOnly only asks; returns whether a lock is marked active.
    bool LockingFlag(uint32_t value = kFlagAskOnly);
    // Returns whether the warning about a missing password is still due.
    bool BlankPwdPromptDue(uint32_t value = kFlagAskOnly);
    // Restores the saved main-window position, or saves the current one.
    void WindowRect(HWND window, bool restore);

    // The old fast digest, still read where it is stored.
    static PasswordDigestBytes PasswordDigest(const exstring& password) { return ComputePasswordDigest(password); }
    static bool IsBlankDigest(const uint8_t* digest) { return ::IsBlankDigest(digest); }
    static bool IsBlankDigest(const PasswordRecord& record) { return record.form == PasswordRecord::Form::kNone; }
    // The record to store for a new password, with this store's rounds.
    bool SealPassword(const exstring& password, PasswordRecord& record) const;
    // A new password (an empty record for none) replaces whatever was stored.
    void SetPassword(const PasswordRecord& record) { Password = record; }
    bool PasswordDamaged() const { return Password.form == PasswordRecord::Form::kDamaged; }
    // Whether `password` is the stored one.
    bool Matches(const exstring& password) const;
    // Matches, and a right password still stored in the old form is moved to
    // the salted one and saved.
    bool Accepts(const exstring& password);

    const SettingsStore& Store() const { return store_; }
    // The settings tree of a record that has loaded nothing.
    static exini DefaultTree();

    // The policies read with the settings at the last Load; the fields show
    // what they fix, and Save keeps the user's own values beneath them.
    const PolicySet& Policies() const { return policies_; }
    bool IsManaged(Managed what) const { return policies_.Has(what); }
    bool PasswordRequired() const { return policies_.Number(Managed::kPasswordRequired) != 0; }
    // Characters a new password needs at least (1: any non-empty one).
    uint32_t MinPasswordLength() const;
    // The longest idle time (seconds) the user may choose; 0: no limit.
    uint32_t IdleLockCeiling() const { return policies_.Number(Managed::kIdleLockMax) * 60; }
    bool HelperExitAllowed() const { return !IsManaged(Managed::kHelperExit) || policies_.Number(Managed::kHelperExit) != 0; }
    bool AuditTrailWanted() const { return !IsManaged(Managed::kAuditTrail) || policies_.Number(Managed::kAuditTrail) != 0; }

    // The command line of the auto-start entry.
    static exstring AutoStartCommand();
    // The resident helper starts at log-on while idle or sleep locking is on.
    bool HelperWanted() const { return idleLock != 0 || lockOnSleep; }
    void ApplyHelperStart();

    // A damaged stored password (wrong type, length or digits) is its own
    // form that no password matches: never "no password".
    PasswordRecord Password;
    exstring pwdHint;
    bool useOrgScreen;
    uint32_t bgColor;
    exstring bgImage;
    bool autoStart;
    int64_t modifiedTime;
    uint32_t idleLock = 0;  // seconds without input before the helper locks; 0: never
    bool lockOnSleep = false;  // the helper locks when the system announces a suspend
    bool showClock = true;  // the lock background shows the time and date
    exstring appearance;  // the look chosen by name; empty or unknown: follow Windows
    bool diagnostics = false;  // the program's own events are written to a file as well
    exstring language;    // a language tag ("de", "pt-BR"); empty or unknown: follow Windows
    bool hotKey = true;  // the helper locks on Ctrl+Alt+L
    bool showLockedBy = true;  // the unlock dialog says who locked and when
    exstring lockMessage;  // shown on the lock screen, at most kLockMessageChars

private:
    void ResetToDefaults();
    void LoadStored();
    void ApplyPolicies();
    // The settings tree as the fields hold it now.
    exini CurrentTree() const;
    // In `tree`, every value a policy changed and the user did not change
    // since goes back to what the user had stored.
    void KeepOwnValues(exini& tree) const;
    void LoadPassword(HKEY chosenRoot, HKEY otherRoot);
    // A stamp newer than what either root holds, and not behind the clock.
    int64_t NextSaveStamp() const;
    void MovePasswordToSaltedForm(const exstring& password);
    // The cached DWORD flag shared by LockingFlag and BlankPwdPromptDue;
    // true when the stored value changed.
    bool UpdateFlag(const wchar_t* name, uint32_t& cache, uint32_t value);

    SettingsStore store_;
    PolicySet policies_;
    exini unmanaged_;  // the fields as loaded, before the policies
    exini applied_;  // the fields right after the policies were applied
    uint32_t lockingCache_ = kFlagAskOnly;
    uint32_t blankPromptCache_ = kFlagAskOnly;
    RECT windowRectCache_ = {0, 0, 0, 0};
};

// The current time as a FILETIME count, as the settings store it.
int64_t CurrentFileTime();

// Turns the audit trail on or off as the policies say, and reports the policy
// values that were ignored; at each start and each policy refresh.
void FollowAuditPolicy(const mgtSettings& settings);
