// Wrong passwords in a row: the first few cost nothing, so typing mistakes
// stay free; after that each one holds Unlock back for a wait that doubles,
// up to a minute, so that a device typing at machine speed gains little.
#pragma once

#include <cstdint>

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
