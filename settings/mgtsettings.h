// The application's settings record: loaded from the registry once, saved
// whole on every change, with the auto-start entry and three per-user values
// kept beside it.
#pragma once

#include <windows.h>

#include <cstdint>

#include "../text/exstring.h"
#include "passworddigest.h"

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
};

class mgtSettings {
public:
    // Loads at once from the store.
    mgtSettings();
    explicit mgtSettings(const SettingsStore& store);

    void Load();
    // True when the tree could be written below one of the two roots.
    bool Save();
    void ApplyAutoStart();

    // kFlagAskOnly only asks; returns whether a lock is marked active.
    bool LockingFlag(uint32_t value = kFlagAskOnly);
    // Returns whether the warning about a missing password is still due.
    bool BlankPwdPromptDue(uint32_t value = kFlagAskOnly);
    // Restores the saved main-window position, or saves the current one.
    void WindowRect(HWND window, bool restore);

    static PasswordDigestBytes PasswordDigest(const exstring& password) { return ComputePasswordDigest(password); }
    static bool IsBlankDigest(const uint8_t* digest) { return ::IsBlankDigest(digest); }
    // A new password (all zero bytes for none) replaces whatever was stored.
    void SetPassword(const uint8_t* digest);
    // Whether `password` is the stored one.
    bool Accepts(const exstring& password) const;

    const SettingsStore& Store() const { return store_; }

    // The command line of the auto-start entry.
    static exstring AutoStartCommand();
    // The resident helper starts at log-on while idle or sleep locking is on.
    bool HelperWanted() const { return idleLock != 0 || lockOnSleep; }
    void ApplyHelperStart();

    // A damaged stored password (wrong type, length or digits) leaves a
    // digest no password matches, and sets passwordDamaged: never "no password".
    uint8_t Password[kDigestSize];
    bool passwordDamaged = false;
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

private:
    void ResetToDefaults();
    void LoadPassword(HKEY chosenRoot, HKEY otherRoot);
    // The cached DWORD flag shared by LockingFlag and BlankPwdPromptDue;
    // true when the stored value changed.
    bool UpdateFlag(const wchar_t* name, uint32_t& cache, uint32_t value);

    SettingsStore store_;
    uint32_t lockingCache_ = kFlagAskOnly;
    uint32_t blankPromptCache_ = kFlagAskOnly;
    RECT windowRectCache_ = {0, 0, 0, 0};
};

// The current time as a FILETIME count, as the settings store it.
int64_t CurrentFileTime();
