// The lock controller: while the desktop is locked, two low-level input hooks
// (on a thread of their own) drop every key and click not meant for the
// program's own windows, a watchdog pulls the unlock dialog back to the front
// twice a second, and the system is given a reason to hold off shutdown.
#pragma once

#include <windows.h>

#include <atomic>

#include "hookthread.h"
#include "zorderwatch.h"

class mgtSettings;
class exmlang;
struct LockChannelState;

class mgtLocker {
public:
    // Either may be null (tests); the lock then keeps no flag or reason text.
    // `installer` installs the hooks (a seam for tests).
    mgtLocker(mgtSettings* settings, const exmlang* strings, HookThread::Installer installer = SetWindowsHookExW);
    ~mgtLocker();
    mgtLocker(const mgtLocker&) = delete;
    mgtLocker& operator=(const mgtLocker&) = delete;

    // Covers nothing itself: holds the input, from the hook thread, once the
    // background (if any) covers the screen and before anything slow, and
    // with it the mark, the closed task manager and accessibility shortcuts
    // and the watchdog. True when both hooks are in place; the watchdog
    // retries otherwise.
    bool HoldInput(HWND background);
    // The rest of a lock once the dialog exists (holding the input first if
    // that has not happened yet): the window order watch, the block reasons.
    void Start(HWND dialog, HWND background);
    // The right password: tells the guardian first, then ends the lock and
    // clears its mark, whatever state the hooks are in.
    void Stop();
    // Set once the lock holds the input; the helper that started the lock
    // before sleep waits on it. May be null.
    void SetHoldingNotice(HANDLE notice) { holdingNotice_ = notice; }
    // The channel to the guardian, or null when the lock has none.
    void SetChannel(LockChannelState* channel) { channel_ = channel; }
    // Removes the hooks and the timer but leaves the lock marked: the lock
    // ends without the right password, so it must come back.
    void Abandon();
    // Locked exactly while both hooks are in place.
    bool IsLocked() const { return hooks_.Holds(); }
    // Started, and not yet ended by the right password: nothing may leave
    // the lock (help, a browser) while this holds, hooks or not.
    bool Engaged() const { return started_ && !stopped_; }
    // Asks the hook thread for fresh hooks, which also retries one that
    // failed. The system drops a hook that once failed to answer in time,
    // without telling anyone.
    void RefreshHooks();
    // RefreshHooks for hooks that are not in place, reported.
    void RetryHooks();

    static LRESULT CALLBACK KeyboardHookProc(int code, WPARAM wParam, LPARAM lParam) noexcept;
    static LRESULT CALLBACK MouseHookProc(int code, WPARAM wParam, LPARAM lParam) noexcept;
    static void CALLBACK WatchdogTimerProc(HWND, UINT, UINT_PTR, DWORD) noexcept;
    // Another program's window was shown or raised: the lock covers it at once.
    static void CoverAgain(void* locker) noexcept;

    // Whether a watchdog tick due at `due` and run at `now` renews the hooks:
    // after a stall of the thread, or when the last renewal is old.
    static bool HooksNeedRenewal(ULONGLONG due, ULONGLONG now, ULONGLONG lastRenewal);

    // The one controller of the process, or null.
    static mgtLocker* Instance();

    DWORD ProcessId() const { return processId_; }
    HWND Dialog() const { return dialog_; }
    HWND Background() const { return background_; }
    UINT_PTR TimerId() const { return timerId_; }
    bool HasShutdownBlockReasons();

    static constexpr UINT kWatchdogMs = 500;
    // Late ticks mean a stalled process or system, which may have kept the
    // hook thread from answering too; the system drops a hook that does not
    // answer within its timeout (one second at most).
    static constexpr ULONGLONG kStallMs = 250;
    static constexpr ULONGLONG kRenewalMs = 30000;

private:
    using BlockReasonCreateFn = BOOL(WINAPI*)(HWND, LPCWSTR);
    using BlockReasonDestroyFn = BOOL(WINAPI*)(HWND);

    // Looked up on first use: the window library is not loaded before then.
    void LookUpShutdownBlockReasons();
    bool IsOwnWindow(HWND window) const;
    // A button or wheel message that the places of the lock's own windows
    // decide alone, without asking the system.
    bool DropsUnasked(POINT point, WPARAM message) const;
    bool IsClickAllowed(POINT point) const;
    void NotePress(WPARAM message, bool allowed);
    // A visible window of another program above `window` in the window order.
    bool ForeignWindowAbove(HWND window) const;
    static void Restack(HWND window);
    // Other programs' visible topmost windows just below `window`, as one number.
    ULONG_PTR TopmostBelow(HWND window) const;
    static void KeepShown(HWND window);
    // Whatever another program did to the lock's windows (hidden, minimised,
    // moved, or covered them) is undone. `intruder`: another program's window
    // took the foreground, which may have brought it above the lock at X
    // level where the window order does not show it. `activate`: the dialog
    // takes the foreground as well.
    void KeepCovered(bool intruder, bool activate = true);

    static constexpr int kMaxWindowsAbove = 64;
    static constexpr UINT kRestackFlags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER;

    // Tells the guardian whether this lock holds the input (the guardian's
    // own hold stays meanwhile), and the helper once it does.
    void ReportHold();
    // Hooks, timer, watch and block reasons go; the mark stays.
    void EndHold();

    // Read by the hook thread as well.
    std::atomic<HWND> dialog_{nullptr};
    std::atomic<HWND> background_{nullptr};
    const DWORD processId_;
    HookThread hooks_;
    UINT_PTR timerId_ = 0;
    ULONGLONG lastTick_ = 0;
    ULONGLONG lastRenewal_ = 0;
    ULONG_PTR topmostBelow_ = 0;
    int restacksDue_ = 0;
    // Only the hook thread counts; Start sets it back.
    std::atomic<int> allowedPresses_{0};
    HWND lastIntruder_ = nullptr;
    BlockReasonCreateFn blockReasonCreate_ = nullptr;
    BlockReasonDestroyFn blockReasonDestroy_ = nullptr;
    bool lookedUp_ = false;
    // An install failed and has not yet been followed by both hooks in place.
    bool holdFailed_ = false;
    unsigned retries_ = 0;
    bool started_ = false;
    bool stopped_ = false;
    mgtSettings* settings_;
    const exmlang* strings_;
    LockChannelState* channel_ = nullptr;
    HANDLE holdingNotice_ = nullptr;
    ZOrderWatch zorderWatch_;
};
