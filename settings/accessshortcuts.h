// While a lock lasts, the keyboard shortcuts of the accessibility features are
// off: five Shift presses (Sticky Keys), a long right Shift (Filter Keys), a
// long Num Lock (Toggle Keys), and Left Alt+Left Shift with Num Lock (Mouse
// Keys) or Print Screen (High Contrast). Their prompts lead into the Settings
// app. Only the shortcut flags change, never a feature the user has turned
// on, and only for the session. The user's flags are kept in a record beside
// the settings until they are put back: at unlock, or at the next start after
// a crash or a power loss.
#pragma once

#include <windows.h>

#include "mgtsettings.h"

class AccessibilityShortcuts {
public:
    // SystemParametersInfoW's shape, so that tests can stand in for the
    // system (Wine keeps none of these flags).
    using SystemParametersFn = BOOL(WINAPI*)(UINT action, UINT parameter, void* data, UINT update);

    explicit AccessibilityShortcuts(const SettingsStore& store, SystemParametersFn system = SystemParametersInfoW)
        : store_(store), system_(system) {}

    // Records the user's flags, unless a record is kept already (a relock,
    // or a lock after a crash: the flags are ours then), and clears the
    // shortcut flags. Without a record nothing is cleared.
    void Close();
    // Puts each recorded shortcut flag back and drops the record once all
    // are back; nothing without one.
    void Restore();
    bool HasRecord() const;

    static constexpr const wchar_t* kRecordName = L"AccessShortcutsPrior";
    static constexpr int kFeatureCount = 5;

private:
    const SettingsStore& store_;
    SystemParametersFn system_;
};
