#include "mgtlocker.h"

#include "../app/shell/foreground.h"
#include "../lang/exmlang.h"
#include "../settings/mgtsettings.h"
#include "lockchannel.h"

namespace {

mgtLocker* g_locker = nullptr;

bool IsDown(mgtLocker::KeyStateFn keyState, int key) {
    return (static_cast<USHORT>(keyState(key)) & 0x8000) != 0;
}

bool IsAllowedExtendedKey(DWORD key) {
    switch (key) {
    case VK_INSERT: case VK_DELETE: case VK_HOME: case VK_END: case VK_PRIOR: case VK_NEXT:
    case VK_UP: case VK_DOWN: case VK_LEFT: case VK_RIGHT: case VK_RETURN: case VK_RSHIFT:
        return true;
    default:
        return false;
    }
}

template <class Function>
Function LookUp(HMODULE module, const char* name) {
    if (module == nullptr) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

} // namespace

mgtLocker* mgtLocker::Instance() {
    return g_locker;
}

mgtLocker::mgtLocker(mgtSettings* settings, const exmlang* strings)
    : processId_(GetCurrentProcessId()), settings_(settings), strings_(strings) {
    g_locker = this;
}

mgtLocker::~mgtLocker() {
    // Only the right password clears the mark: a lock that ends any other way
    // must come back.
    Abandon();
    if (g_locker == this) g_locker = nullptr;
}

void mgtLocker::LookUpShutdownBlockReasons() {
    if (lookedUp_) return;
    lookedUp_ = true;
    const HMODULE user32 = GetModuleHandleW(L"User32.dll");
    blockReasonCreate_ = LookUp<BlockReasonCreateFn>(user32, "ShutdownBlockReasonCreate");
    blockReasonDestroy_ = LookUp<BlockReasonDestroyFn>(user32, "ShutdownBlockReasonDestroy");
}

bool mgtLocker::HasShutdownBlockReasons() {
    LookUpShutdownBlockReasons();
    return blockReasonCreate_ != nullptr && blockReasonDestroy_ != nullptr;
}

bool mgtLocker::IsKeyAllowed(DWORD virtualKey, bool extended, KeyStateFn keyState) {
    if (virtualKey == VK_LWIN || virtualKey == VK_RWIN || virtualKey == VK_LCONTROL || virtualKey == VK_RCONTROL)
        return false;
    if (IsDown(keyState, VK_LWIN) || IsDown(keyState, VK_RWIN)) return false;
    if (virtualKey == VK_TAB && (IsDown(keyState, VK_LMENU) || IsDown(keyState, VK_RMENU))) return false;
    if (!extended) return true;
    return IsAllowedExtendedKey(virtualKey);
}

bool mgtLocker::IsOwnWindow(HWND window) const {
    if (window == nullptr) return false;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process != 0 && process == processId_;
}

LRESULT CALLBACK mgtLocker::KeyboardHookProc(int code, WPARAM wParam, LPARAM lParam) noexcept {
    mgtLocker* locker = g_locker;
    if (locker == nullptr) return 0;
    if (code != HC_ACTION) return CallNextHookEx(locker->keyboardHook_, code, wParam, lParam);
    const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    if (!IsKeyAllowed(key->vkCode, (key->flags & LLKHF_EXTENDED) != 0)) return 1;
    if (!locker->IsOwnWindow(GetForegroundWindow())) return 1;
    return CallNextHookEx(locker->keyboardHook_, 0, wParam, lParam);
}

LRESULT CALLBACK mgtLocker::MouseHookProc(int code, WPARAM wParam, LPARAM lParam) noexcept {
    mgtLocker* locker = g_locker;
    if (locker == nullptr) return 0;
    if (code != HC_ACTION || wParam == WM_MOUSEMOVE) return CallNextHookEx(locker->mouseHook_, code, wParam, lParam);
    const auto* mouse = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
    HWND target = GetCapture();
    if (target == nullptr) target = WindowFromPoint(mouse->pt);
    if (!locker->IsOwnWindow(target)) return 1;
    return CallNextHookEx(locker->mouseHook_, 0, wParam, lParam);
}

bool mgtLocker::HooksNeedRenewal(ULONGLONG due, ULONGLONG now, ULONGLONG lastRenewal) {
    return now > due + kStallMs || now - lastRenewal >= kRenewalMs;
}

void CALLBACK mgtLocker::WatchdogTimerProc(HWND, UINT, UINT_PTR, DWORD) noexcept {
    mgtLocker* locker = g_locker;
    if (locker == nullptr) return;
    // A stalled thread may have had its hooks dropped by the system, which
    // says nothing; an old renewal covers a drop that no stall revealed.
    const ULONGLONG now = GetTickCount64();
    if (locker->timerId_ != 0 && HooksNeedRenewal(locker->lastTick_ + kWatchdogMs, now, locker->lastRenewal_))
        locker->RefreshHooks();
    locker->lastTick_ = now;
    if (locker->dialog_ == nullptr) return;
    HWND foreground = GetForegroundWindow();
    if (foreground == locker->dialog_) return;
    // A message box, menu or other window of this program stays in front.
    if (foreground != nullptr && locker->IsOwnWindow(foreground)) return;
    ForceForeground(locker->dialog_);
}

void mgtLocker::Start(HWND dialog, HWND background) {
    started_ = true;
    dialog_ = dialog;
    background_ = background;
    GetAsyncKeyState(VK_MENU);
    GetAsyncKeyState(VK_CONTROL);
    HINSTANCE module = GetModuleHandleW(nullptr);
    if (keyboardHook_ == nullptr) keyboardHook_ = SetWindowsHookExW(WH_KEYBOARD_LL, KeyboardHookProc, module, 0);
    if (mouseHook_ == nullptr) mouseHook_ = SetWindowsHookExW(WH_MOUSE_LL, MouseHookProc, module, 0);
    lastTick_ = lastRenewal_ = GetTickCount64();
    if (timerId_ == 0) timerId_ = SetTimer(nullptr, 0, kWatchdogMs, WatchdogTimerProc);
    if (settings_ != nullptr) settings_->LockingFlag(1);

    LookUpShutdownBlockReasons();
    if (blockReasonCreate_ == nullptr) return;
    const exstring reason = strings_ != nullptr ? strings_->GetText(L"global", L"locking") : exstring(L"Locking Desktop");
    if (dialog_ != nullptr) blockReasonCreate_(dialog_, reason.c_str());
    if (background_ != nullptr) blockReasonCreate_(background_, reason.c_str());
}

void mgtLocker::Stop() {
    if (channel_ != nullptr) InterlockedExchange(&channel_->unlocked, 1);
    Abandon();
    if (!started_ || settings_ == nullptr) return;
    // A registry that refuses the write once must not leave the mark behind:
    // the guardian no longer relocks, but the next log-on would.
    for (int attempt = 0; attempt < 5 && settings_->LockingFlag(0); ++attempt) Sleep(20 << attempt);
}

void mgtLocker::Abandon() {
    if (keyboardHook_ != nullptr) {
        UnhookWindowsHookEx(keyboardHook_);
        keyboardHook_ = nullptr;
    }
    if (mouseHook_ != nullptr) {
        UnhookWindowsHookEx(mouseHook_);
        mouseHook_ = nullptr;
    }
    // Reading the key states clears what the dropped keys left behind. A
    // process that never locked (the password query) leaves the window
    // library unloaded.
    if (started_)
        for (int key : {VK_LCONTROL, VK_RCONTROL, VK_LWIN, VK_RWIN, VK_LMENU, VK_RMENU}) GetAsyncKeyState(key);
    if (timerId_ != 0) {
        KillTimer(nullptr, timerId_);
        timerId_ = 0;
    }
    if (!lookedUp_ || blockReasonDestroy_ == nullptr) return;
    if (dialog_ != nullptr) blockReasonDestroy_(dialog_);
    if (background_ != nullptr) blockReasonDestroy_(background_);
}

void mgtLocker::RefreshHooks() {
    if (!IsLocked()) return;
    lastRenewal_ = GetTickCount64();
    HINSTANCE module = GetModuleHandleW(nullptr);
    HHOOK keyboard = SetWindowsHookExW(WH_KEYBOARD_LL, KeyboardHookProc, module, 0);
    HHOOK mouse = SetWindowsHookExW(WH_MOUSE_LL, MouseHookProc, module, 0);
    if (keyboard != nullptr) {
        UnhookWindowsHookEx(keyboardHook_);
        keyboardHook_ = keyboard;
    }
    if (mouse != nullptr) {
        if (mouseHook_ != nullptr) UnhookWindowsHookEx(mouseHook_);
        mouseHook_ = mouse;
    }
}
