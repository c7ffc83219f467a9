// Helpers for tests that run real Win32 code under Wine or Windows.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "text/exstring.h"

inline void PrintTo(const exstring& text, std::ostream* out) {
    *out << '"' << text.ToUtf8() << '"';
}

// Polls `condition`, pumping this thread's messages, until it holds or the
// time is up; returns its last answer.
bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

// A pixel as the screen shows it; with a window, at its client coordinates.
COLORREF ScreenPixel(int x, int y);
COLORREF ScreenPixel(HWND window, int x, int y);

// A window's outer rectangle in screen coordinates.
RECT WindowRectOf(HWND window);

// The size of `text` in `font`, as GetTextExtentPoint32W measures it.
SIZE TextExtent(HFONT font, const wchar_t* text);

// A window's client area as the screen shows it.
struct Shot {
    explicit Shot(HWND window);
    COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
    bool Has(COLORREF color) const;

    int width = 0, height = 0;
    std::vector<COLORREF> pixels;
};

// Shows `window` topmost at (x, y), paints it with its children and lets the
// display catch up.
void ShowAndSettle(HWND window, int x = 50, int y = 50);

// The directory of the running test program, with a trailing backslash.
exstring TestDirectory();

// A plain top-level window of a private class, destroyed with the object.
class TestWindow {
public:
    explicit TestWindow(const wchar_t* title, DWORD style = WS_OVERLAPPEDWINDOW, DWORD exStyle = 0);
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    HWND Handle() const { return handle_; }

private:
    HWND handle_;
};

// A registry key of the test's own below HKEY_CURRENT_USER, deleted with all
// it holds when the object goes.
class ScratchKey {
public:
    explicit ScratchKey(const wchar_t* name);
    ~ScratchKey();
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;
    HKEY Handle() const { return key_; }
    const exstring& Path() const { return path_; }

private:
    exstring path_;
    HKEY key_ = nullptr;
};

// Both settings roots on scratch keys: `machine` stands for
// HKEY_LOCAL_MACHINE and `user` for HKEY_CURRENT_USER.
struct ScratchRoots {
    explicit ScratchRoots(const wchar_t* name)
        : machine((exstring(name) + L"-machine").c_str()), user((exstring(name) + L"-user").c_str()) {}
    HKEY Machine() const { return machine.Handle(); }
    HKEY User() const { return user.Handle(); }
    ScratchKey machine;
    ScratchKey user;
};

// A REG_SZ value below `root`, or "<absent>".
exstring RegistryText(HKEY root, const exstring& path, const exstring& name);

// One synthetic key press or release, as a keyboard would send it; returns
// once the physical key state shows it, leaving its message in the queue.
void SendKey(WORD virtualKey, bool down);

// Runs `step` from a thread timer every 20 ms, so that it also runs inside
// modal loops (message boxes, dialogs, menus), until it answers true. A loop
// still running after some 30 s is ended with WM_QUIT, so that a fault fails
// the test instead of hanging it.
class TimerSteps {
public:
    explicit TimerSteps(std::function<bool()> step);
    ~TimerSteps();
    TimerSteps(const TimerSteps&) = delete;
    TimerSteps& operator=(const TimerSteps&) = delete;
    bool Done() const { return done_; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    std::function<bool()> step_;
    bool done_ = false;
    bool inStep_ = false;
    int ticks_ = 0;
    UINT_PTR timer_ = 0;
};

// The message box shown now: the last active popup of `owner`, or without an
// owner a toolkit message box of this process; null when there is none.
HWND ShownMessageBox(HWND owner = nullptr);

// Starts a program with a raw command line and waits for its exit code;
// returns false (with the reason in `failure`) when it could not start or did
// not end within the timeout.
bool RunAndWait(const exstring& program, const exstring& commandLine, DWORD timeoutMs, DWORD& exitCode,
                std::string& failure);
