// Wrong passwords in a row: the first few cost nothing, so typing mistakes
// stay free; after that each one holds every check back for a wait that
// doubles, up to a minute, so that a device typing at machine speed gains
// little, whichever way it asks (keys, clicks, a command sent from outside, a
// dialog opened again, a lock started afresh).
#pragma once

#include <windows.h>

#include <cstdint>

#include "../settings/mgtsettings.h"

struct LockChannelState;

constexpr int kFreeGuesses = 5;
constexpr uint32_t kFirstGuessWaitMs = 1000;
constexpr uint32_t kLongestGuessWaitMs = 60000;

// The wait after the `failuresInARow`-th wrong password.
constexpr uint32_t GuessWaitMs(int failuresInARow) {
    if (failuresInARow <= kFreeGuesses) return 0;
    const int doublings = failuresInARow - kFreeGuesses - 1;
    if (doublings >= 6) return kLongestGuessWaitMs;
    const uint32_t wait = kFirstGuessWaitMs << doublings;
    return wait < kLongestGuessWaitMs ? wait : kLongestGuessWaitMs;
}

// The count and its wait, kept in two places: the lock's channel, which a
// relock inherits and no other program reaches, and a per-user registry
// value that any later process of the program finds. Each question takes the
// larger of the two, so losing either one resets nothing.
class GuessThrottle {
public:
    // Without a channel the count lives in this object and the registry.
    GuessThrottle(const SettingsStore& store, LockChannelState* channel);

    int Failures();
    // The tick (GetTickCount64) before which no password is checked.
    ULONGLONG WaitUntil();
    bool Waiting() { return GetTickCount64() < WaitUntil(); }
    // One more wrong password, and the wait it earns; returns the count.
    int CountFailure();
    // The right password: the count starts again.
    void Clear();

    static constexpr wchar_t kValueName[] = L"WrongPasswords";

private:
    // Takes in what a process before this one left in the registry.
    void TakeInStored();
    void Store(LONG failures, uint32_t waitMs) const;

    SettingsStore store_;
    volatile LONG* failures_;
    volatile LONG64* waitUntil_;
    LONG ownFailures_ = 0;
    LONG64 ownWaitUntil_ = 0;
};
