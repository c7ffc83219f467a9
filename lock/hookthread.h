// Low-level input hooks on a thread of their own. The system calls a
// low-level hook on the thread that installed it, and skips (and on newer
// systems silently removes) a hook that does not answer in time; so this
// thread does nothing but answer them. It never waits on the window thread,
// the registry, files, the network or another process, and it takes no
// orders from posted messages: requests come through events only this
// process holds.
#pragma once

#include <windows.h>

#include <atomic>

#include "../base/uniquehandle.h"

class HookThread {
public:
    using Installer = HHOOK(WINAPI*)(int, HOOKPROC, HINSTANCE, DWORD);
    // Runs on the hook thread after each install, before it answers any event.
    using InstalledFn = void (*)();

    HookThread(HOOKPROC keyboard, HOOKPROC mouse, Installer installer = SetWindowsHookExW,
               InstalledFn installed = nullptr);
    ~HookThread();
    HookThread(const HookThread&) = delete;
    HookThread& operator=(const HookThread&) = delete;

    // Starts the thread and waits until it has tried to install both hooks;
    // true when both are in place. A thread that cannot start is reported.
    [[nodiscard]] bool Start();
    // Asks for fresh hooks, which also retries one that failed; returns at once.
    void Renew();
    // Removes the hooks and ends the thread.
    void Stop();
    bool Holds() const { return keyboardHeld_.load() && mouseHeld_.load(); }
    DWORD ThreadId() const { return threadId_; }
    // The system's error code of the last install that failed; 0 for none.
    DWORD InstallError() const { return installError_.load(); }

    // How long Start waits for a thread that does not come up.
    static constexpr DWORD kStartWaitMs = 2000;

private:
    static DWORD WINAPI Main(void* self) noexcept;
    void Run();
    void Install(HHOOK& hook, int type, HOOKPROC procedure, std::atomic<bool>& held);

    HOOKPROC keyboardProc_;
    HOOKPROC mouseProc_;
    Installer installer_;
    InstalledFn installed_;
    UniqueHandle thread_;
    DWORD threadId_ = 0;
    UniqueHandle stop_;
    UniqueHandle renew_;
    UniqueHandle tried_;
    std::atomic<DWORD> installError_{0};
    std::atomic<bool> keyboardHeld_{false};
    std::atomic<bool> mouseHeld_{false};
};
