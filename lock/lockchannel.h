// The private channel between a lock and its guardian: a small block of
// unnamed shared memory whose handle only those processes hold. It is handed
// down by handle inheritance (lock -> relay -> guardian, guardian -> relay ->
// new lock), so no other program can read a name to open it, and nothing that
// another program writes to the registry or sends as a message can change
// what the two tell each other.
#pragma once

#include <windows.h>

#include <cstdint>

#include "../base/uniquehandle.h"
#include "../settings/storedpassword.h"

struct LockChannelState {
    uint32_t magic;
    // Set once, by the lock that accepted the right password, before it ends.
    volatile LONG unlocked;
    // The process IDs of the lock and of the guardian that are up (0 while
    // none is): a start counts as having come up once it writes its ID here.
    volatile LONG lockProcess;
    volatile LONG guardianProcess;
    // Wrong passwords in a row, and the tick (GetTickCount64, system-wide)
    // before which Unlock stays held back; both outlive a relock.
    volatile LONG failedAttempts;
    volatile LONG64 waitUntil;
    // The password and screen mode the first lock started with: a relock
    // keeps them, whatever was written to the registry meanwhile.
    PasswordRecord password;
    volatile LONG useOrgScreen;
    // 1 while the lock's own hooks are in place.
    volatile LONG lockHolds;
};

class LockChannel {
public:
    LockChannel() = default;
    ~LockChannel();
    LockChannel(const LockChannel&) = delete;
    LockChannel& operator=(const LockChannel&) = delete;
    LockChannel(LockChannel&& other) noexcept;
    LockChannel& operator=(LockChannel&& other) noexcept;

    // A fresh channel, zeroed.
    static LockChannel Create();
    // The channel behind a handle value inherited from the parent (written on
    // the command line); empty when the value names no channel of ours.
    static LockChannel Adopt(uint64_t handleValue);

    bool Valid() const { return state_ != nullptr; }
    LockChannelState* State() const { return state_; }
    // An inheritable copy of the handle for one child start; the caller
    // closes it once the child has started. Null when there is no channel.
    [[nodiscard]] HANDLE InheritableCopy() const;

private:
    void Close();

    UniqueHandle mapping_;
    LockChannelState* state_ = nullptr;
};

// The handle value as it is written on a command line, and read back;
// 0 for anything but a strict decimal number.
uint64_t ParseHandleValue(const wchar_t* text);
