// The program's command-line switches.
#pragma once

#include "../text/exstring.h"

inline const exchar kSwitchCheckPassword[] = EXT("+checkpwd");
inline const exchar kSwitchBoot[] = EXT("+boot");
inline const exchar kSwitchLock[] = EXT("+lock");
inline const exchar kSwitchTray[] = EXT("+tray");
// The installer's, before it removes or replaces the program file: ends the
// resident helper, unless a lock runs (exit code kExitLockRuns).
inline const exchar kSwitchEndHelper[] = EXT("+endhelper");
constexpr int kExitLockRuns = 1;
constexpr int kExitHelperStays = 2;

// The word after "+lock" with which the resident helper says what started the
// lock, for the audit trail. Any other word, or none, counts as "+lock" alone.
inline const exchar kLockCauseIdle[] = EXT("idle");
inline const exchar kLockCauseHotKey[] = EXT("hotkey");
inline const exchar kLockCauseIcon[] = EXT("icon");

// Run by the installer with its public properties ("AUTOSTART=1" ...): writes
// them as the machine's default settings and ends.
inline const exchar kSwitchMachineDefaults[] = EXT("+defaults");
