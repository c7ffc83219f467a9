// The lock controller: input hooks, watchdog and shutdown-block reasons.
#pragma once

#include <windows.h>

class mgtLocker {
public:
    mgtLocker();
    mgtLocker(const mgtLocker&) = delete;
    mgtLocker& operator=(const mgtLocker&) = delete;

    DWORD ProcessId() const { return processId_; }
    // Either may be missing on older systems.
    bool HasShutdownBlockReasons() const { return blockReasonCreate_ != nullptr && blockReasonDestroy_ != nullptr; }

private:
    using BlockReasonCreateFn = BOOL(WINAPI*)(HWND, LPCWSTR);
    using BlockReasonDestroyFn = BOOL(WINAPI*)(HWND);

    DWORD processId_;
    BlockReasonCreateFn blockReasonCreate_;
    BlockReasonDestroyFn blockReasonDestroy_;
};
