// What the program writes about itself, so that a lock that misbehaved on a
// user's machine can be read about afterwards. Only fixed event words and
// numbers pass through: no text at all, so nothing typed, no key and no
// digest can reach the debugger or the file.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "../text/exstring.h"

enum class DiagEvent {
    kLocked,              // number: 1 with a background window, 0 without
    kUnlocked,
    kLockAbandoned,       // the lock ended without the right password
    kLockEnded,           // seen by the guardian; number: the lock's process
    kRelocked,            // number: the new lock's process
    kHookInstallFailed,   // number: the system's error code
    kHookRetried,
    kHooksHeld,           // both hooks in place again after a failure
    kWatchdogNotStarted,  // number: the system's error code
    kMarkNotWritten,
    kMarkNotCleared,
    kWindowNotCreated,    // number: which (DiagWindow)
    kThreadNotStarted,    // number: the system's error code
    kProcessNotStarted,   // number: the system's error code
    kSettingsNotSaved,
    kTimerNotStarted,     // number: the system's error code
    kRegistryNotWritten,  // number: which (DiagValue)
    kWatchNotStarted,     // the window order watch; the watchdog covers alone
    kChannelNotMade,      // the lock goes on without a guardian
    kCount
};

// The windows kWindowNotCreated tells apart.
enum DiagWindow : uint32_t {
    kDiagBackground = 1,
    kDiagUnlockDialog = 2,
    kDiagSessionWindow = 3,
    kDiagGuardianCover = 4,
    kDiagHelperWindow = 5,
    kDiagModalDialog = 6,  // the login, main or password dialog, or a message box
};

// The registry values kRegistryNotWritten tells apart.
enum DiagValue : uint32_t {
    kDiagRunEntry = 1,
    kDiagHelperEntry = 2,
    kDiagTaskManagerPolicy = 3,
    kDiagGuessCount = 4,
    kDiagWindowPlace = 5,
};

// "locked", "hook-install-failed" ...; "?" for a value outside the list.
const char* DiagEventWord(DiagEvent event);

// Always to the debugger; to the file as well while it is turned on. Never
// waits and never fails the caller: a missing folder or a locked or
// read-only file only loses the line.
void WriteDiagnostic(DiagEvent event, uint64_t number = 0);

// The setting turns the file on; MG_DIAGNOSTICS=1 in the environment does
// too (tests).
void EnableDiagnosticsFile(bool on);
bool DiagnosticsFileEnabled();

// %LOCALAPPDATA%\Marrowgate\diagnostics.log; empty without that folder.
exstring DiagnosticsFilePath();
// The earlier lines, once the file reached its cap.
exstring OlderDiagnosticsPath(const exstring& path);
constexpr uint64_t kDiagnosticsCapBytes = 256 * 1024;

// One line: UTC time, process, event word, number.
std::string DiagnosticsLine(const SYSTEMTIME& utc, DWORD process, DiagEvent event, uint64_t number);

// Appends `line`; a file that would grow past `capBytes` moves to its older
// name first (or, where it cannot, starts again empty). False when nothing
// was written.
bool AppendCapped(const exstring& path, const std::string& line, uint64_t capBytes);
