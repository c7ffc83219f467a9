#include "guessthrottle.h"

#include <cstring>

#include "../base/diagnostics.h"
#include "../settings/registry.h"
#include "lockchannel.h"

namespace {

// As stored: the count, and the wall-clock end of its wait (FILETIME, UTC),
// which holds across processes and restarts where a tick count would not.
struct StoredGuesses {
    uint32_t failures;
    uint32_t reserved;
    int64_t waitEnd;
};

const LONG kMostFailuresCounted = 1000;

int64_t FileTimeNow() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return static_cast<int64_t>((static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
}

} // namespace

GuessThrottle::GuessThrottle(const SettingsStore& store, LockChannelState* channel)
    : store_(store), failures_(channel != nullptr ? &channel->failedAttempts : &ownFailures_),
      waitUntil_(channel != nullptr ? &channel->waitUntil : &ownWaitUntil_) {
    TakeInStored();
}

void GuessThrottle::TakeInStored() {
    const UniqueKey key = OpenKey(store_.userRoot, store_.keyPath, false);
    DWORD type = 0;
    const ByteBuffer bytes = key ? QueryValue(key.Get(), kValueName, &type) : ByteBuffer();
    if (type != REG_BINARY || bytes.Size() != sizeof(StoredGuesses)) return;
    StoredGuesses stored{};
    std::memcpy(&stored, bytes.Data(), sizeof(stored));
    const LONG failures = static_cast<LONG>(stored.failures < kMostFailuresCounted ? stored.failures
                                                                                    : kMostFailuresCounted);
    if (failures > *failures_) InterlockedExchange(failures_, failures);
    // Never longer than the count earns: a clock set back, or a value
    // written by hand, must not keep the owner out.
    const int64_t left100ns = stored.waitEnd - FileTimeNow();
    if (left100ns <= 0) return;
    const ULONGLONG leftMs = static_cast<ULONGLONG>(left100ns / 10000);
    const ULONGLONG earned = GuessWaitMs(failures);
    const auto until = static_cast<LONG64>(GetTickCount64() + (leftMs < earned ? leftMs : earned));
    if (until > *waitUntil_) InterlockedExchange64(waitUntil_, until);
}

int GuessThrottle::Failures() {
    TakeInStored();
    return static_cast<int>(*failures_);
}

ULONGLONG GuessThrottle::WaitUntil() {
    TakeInStored();
    return static_cast<ULONGLONG>(*waitUntil_);
}

int GuessThrottle::CountFailure() {
    TakeInStored();
    LONG failures = InterlockedIncrement(failures_);
    if (failures > kMostFailuresCounted) failures = kMostFailuresCounted;
    const uint32_t wait = GuessWaitMs(failures);
    InterlockedExchange64(waitUntil_, static_cast<LONG64>(GetTickCount64() + wait));
    Store(failures, wait);
    return static_cast<int>(failures);
}

void GuessThrottle::Clear() {
    InterlockedExchange(failures_, 0);
    InterlockedExchange64(waitUntil_, 0);
    const UniqueKey key = OpenKey(store_.userRoot, store_.keyPath, true);
    if (key) RegDeleteValueW(key.Get(), kValueName);
}

void GuessThrottle::Store(LONG failures, uint32_t waitMs) const {
    const StoredGuesses stored{static_cast<uint32_t>(failures), 0,
                               FileTimeNow() + static_cast<int64_t>(waitMs) * 10000};
    // A relock then forgets the wait; the count in this lock stays.
    if (!WriteValue(store_.userRoot, store_.keyPath, kValueName, &stored, sizeof(stored), REG_BINARY))
        WriteDiagnostic(DiagEvent::kRegistryNotWritten, kDiagGuessCount);
}
