// While it guards, the guardian holds the input itself, by the lock's own key
// rules, and lets through only what is meant for the lock's windows: when the
// lock is ended, not one key or click reaches the desktop before the next
// lock is up. The moment the lock is gone it covers the screen with a plain
// topmost window until the next lock has covered it again.
#pragma once

#include <windows.h>

#include "../base/uniquehandle.h"
#include "../lock/hookthread.h"

class GuardHold {
public:
    // `color` paints the cover; hooks (on a thread of their own) and the
    // (hidden) cover are made at once,
    // with input already allowed to `lockProcess`: a key typed while the
    // guardian starts must reach the lock.
    GuardHold(COLORREF color, DWORD lockProcess);
    ~GuardHold();
    GuardHold(const GuardHold&) = delete;
    GuardHold& operator=(const GuardHold&) = delete;

    // The process whose windows may have input: the lock of the moment.
    void Allow(DWORD lockProcess);
    void Cover();
    void Uncover();
    // Installs fresh hooks, then removes the old ones: the system drops a
    // hook that once failed to answer in time, and says nothing. Also
    // retries a hook that failed, and a hook thread that never started.
    void RenewHooks();
    bool Holds() const { return hooks_.Holds(); }
    HWND CoverWindow() const { return cover_; }

    static LRESULT CALLBACK KeyboardProc(int code, WPARAM wParam, LPARAM lParam) noexcept;
    static LRESULT CALLBACK MouseProc(int code, WPARAM wParam, LPARAM lParam) noexcept;

private:
    // Made hidden; a cover that could not be made is tried again when needed.
    void MakeCover();

    HookThread hooks_;
    HWND cover_ = nullptr;
    UniqueBrush brush_;
};

// Messages another process may send or post to a window of the guard that
// change nothing: they end, close or command nothing.
bool IsIgnoredMessage(UINT message);
