// The helper's pure decisions about idle locking: which timeouts count, how
// long the user has been away, whether something on screen postpones the
// lock, and when to look again. The helper gathers the inputs; these decide.
#pragma once

#include <cstdint>

constexpr uint32_t kIdleLockMinSeconds = 5;
constexpr uint32_t kIdleLockMaxSeconds = 24 * 60 * 60;
// Never more often than this: the helper must idle almost free.
constexpr uint32_t kIdleShortestWaitMs = 1000;

// The stored `idleLock` seconds as the helper honours them: 0 means never,
// anything else is held between 5 s and 24 h.
uint32_t ClampIdleSeconds(uint64_t stored);

// Milliseconds without input at tick `now`, counted from the later of the
// last input and `countingSince` (both 32-bit ticks, which wrap).
uint32_t IdleMs(uint32_t now, uint32_t lastInput, uint32_t countingSince);

// SHQueryUserNotificationState's answer (QUERY_USER_NOTIFICATION_STATE) and
// the system's execution state (ES_* bits): true while a full-screen program,
// a presentation or a program keeping the display on wants the screen.
bool PostponesIdleLock(int notificationState, uint32_t executionState);

struct IdleStep {
    bool lock = false;
    uint32_t waitMs = 0;  // until the next look; 0 with no timeout: none
};

// What to do at one look: lock when the idle time reached the timeout and
// nothing stands in the way, else when to look again. While a lock runs or
// something postpones, the next look comes one timeout later.
IdleStep NextIdleStep(uint32_t timeoutSeconds, uint32_t idleMs, bool lockRunning, bool postponed);
