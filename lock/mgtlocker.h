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
    bool HasShutdownBlockReasons();

private:
    using BlockReasonCreateFn = BOOL(WINAPI*)(HWND, LPCWSTR);
    using BlockReasonDestroyFn = BOOL(WINAPI*)(HWND);

    // Looked up on first use: the window library is not loaded before then.
    void LookUpShutdownBlockReasons();

    DWORD processId_;
    bool lookedUp_ = false;
    BlockReasonCreateFn blockReasonCreate_ = nullptr;
    BlockReasonDestroyFn blockReasonDestroy_ = nullptr;
};
