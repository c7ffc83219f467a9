#include "hookthread.h"

#include <initializer_list>

#include "../base/diagnostics.h"

HookThread::HookThread(HOOKPROC keyboard, HOOKPROC mouse, Installer installer, InstalledFn installed)
    : keyboardProc_(keyboard), mouseProc_(mouse), installer_(installer), installed_(installed) {}

HookThread::~HookThread() {
    Stop();
}

bool HookThread::Start() {
    if (thread_.Held()) return Holds();
    stop_.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    renew_.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    tried_.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (stop_.Held() && renew_.Held() && tried_.Held())
        thread_.Reset(CreateThread(nullptr, 0, Main, this, 0, &threadId_));
    if (!thread_.Held()) {
        WriteDiagnostic(DiagEvent::kThreadNotStarted, GetLastError());
        Stop();
        return false;
    }
    // The hook thread itself waits on nothing; only this one waits for it.
    WaitForSingleObject(tried_.Get(), kStartWaitMs);
    return Holds();
}

void HookThread::Renew() {
    if (renew_.Held()) SetEvent(renew_.Get());
}

void HookThread::Stop() {
    if (thread_.Held()) {
        SetEvent(stop_.Get());
        WaitForSingleObject(thread_.Get(), INFINITE);
        thread_.Reset();
        threadId_ = 0;
    }
    for (UniqueHandle* event : {&stop_, &renew_, &tried_}) event->Reset();
}

DWORD WINAPI HookThread::Main(void* self) noexcept {
    static_cast<HookThread*>(self)->Run();
    return 0;
}

void HookThread::Install(HHOOK& hook, int type, HOOKPROC procedure, std::atomic<bool>& held) {
    // The fresh hook first, then the old one goes: no moment without one.
    HHOOK fresh = installer_(type, procedure, GetModuleHandleW(nullptr), 0);
    // Kept for the window thread to report: this thread touches no file.
    if (fresh == nullptr) {
        const DWORD error = GetLastError();
        installError_.store(error != 0 ? error : ERROR_GEN_FAILURE);
        return;
    }
    if (hook != nullptr) UnhookWindowsHookEx(hook);
    hook = fresh;
    held.store(true);
}

void HookThread::Run() {
    HHOOK keyboard = nullptr, mouse = nullptr;
    // Every key and click of the desktop waits on this thread: it comes first.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
    // A message queue before the first install, so no event finds none.
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
    bool renew = true;
    const HANDLE events[2] = {stop_.Get(), renew_.Get()};
    for (;;) {
        if (renew) {
            Install(keyboard, WH_KEYBOARD_LL, keyboardProc_, keyboardHeld_);
            Install(mouse, WH_MOUSE_LL, mouseProc_, mouseHeld_);
            if (installed_ != nullptr) installed_();
            SetEvent(tried_.Get());
        }
        // The hooks are called while this thread takes its messages.
        DWORD woke = MsgWaitForMultipleObjectsEx(2, events, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        // A wait that fails must not end the hold: messages alone then.
        if (woke == WAIT_FAILED) woke = MsgWaitForMultipleObjectsEx(0, nullptr, 20, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (WaitForSingleObject(stop_.Get(), 0) == WAIT_OBJECT_0) break;
        renew = woke == WAIT_OBJECT_0 + 1;
        // Whatever another program posts here (a WM_QUIT too) is dropped.
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    keyboardHeld_.store(false);
    mouseHeld_.store(false);
    if (keyboard != nullptr) UnhookWindowsHookEx(keyboard);
    if (mouse != nullptr) UnhookWindowsHookEx(mouse);
}
