// A one-second timer of a window, with IDs handed out per window from 1314.
#pragma once

#include <windows.h>

class exWndTimer {
public:
    exWndTimer() = default;
    exWndTimer(const exWndTimer&) = delete;
    exWndTimer& operator=(const exWndTimer&) = delete;
    virtual void OnTimer(UINT_PTR id);
    virtual ~exWndTimer();

    void SetWindow(HWND window) { window_ = window; }
    HWND Window() const { return window_; }
    UINT_PTR Id() const { return id_; }

    // False without a window, or when every ID of the window is taken.
    bool Start();
    bool Stop();
    static void StopAllOfWindow(HWND window);

    static constexpr UINT_PTR kFirstId = 1314;
    static constexpr UINT_PTR kIdsPerWindow = 1001;

private:
    HWND window_ = nullptr;
    UINT_PTR id_ = 0;
};
