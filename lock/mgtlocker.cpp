#include "mgtlocker.h"

#include "../app/shell/foreground.h"
#include "../lang/exmlang.h"
#include "../settings/mgtsettings.h"
#include "../settings/taskmgrpolicy.h"
#include "../toolkit/exwnd.h"
#include "lockchannel.h"

namespace {

mgtLocker* g_locker = nullptr;

bool IsDown(mgtLocker::KeyStateFn keyState, int key) {
    return (static_cast<USHORT>(keyState(key)) & 0x8000) != 0;
}

// The modifier keys as the keyboard hook last saw them go by, one bit each.
// The hook drops most of them, so the system's key state may never learn of
// them; and reading it is a trip to the window server on every key.
LONG g_modifiersDown = 0;

int ModifierBit(DWORD key) {
    switch (key) {
    case VK_LWIN: return 1;
    case VK_RWIN: return 2;
    case VK_LMENU: return 4;
    case VK_RMENU: return 8;
    default: return 0;
    }
}

SHORT WINAPI SeenKeyState(int key) {
    const int bit = ModifierBit(static_cast<DWORD>(key));
    return static_cast<SHORT>(bit != 0 && (g_modifiersDown & bit) != 0 ? 0x8000 : 0);
}

void NoteModifier(DWORD key, bool released) {
    const int bit = ModifierBit(key);
    if (bit == 0) return;
    g_modifiersDown = released ? (g_modifiersDown & ~bit) : (g_modifiersDown | bit);
}

// A modifier already down when the hooks came: the hook never saw it pressed.
void SeedModifiers() {
    g_modifiersDown = 0;
    for (DWORD key : {VK_LWIN, VK_RWIN, VK_LMENU, VK_RMENU})
        if (IsDown(GetAsyncKeyState, static_cast<int>(key))) g_modifiersDown |= ModifierBit(key);
}

bool IsButtonDown(WPARAM message) {
    return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN ||
           message == WM_XBUTTONDOWN;
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
    NoteModifier(key->vkCode, (key->flags & LLKHF_UP) != 0);
    if (!IsKeyAllowed(key->vkCode, (key->flags & LLKHF_EXTENDED) != 0, SeenKeyState)) return 1;
    if (!locker->IsOwnWindow(GetForegroundWindow())) return 1;
    return CallNextHookEx(locker->keyboardHook_, 0, wParam, lParam);
}

bool mgtLocker::DropsUnasked(POINT point, WPARAM message) const {
    // After a press that was let through, whatever follows may end a drag
    // begun on the dialog, wherever the pointer is now.
    if (message == WM_MOUSEMOVE || allowedPresses_ != 0) return false;
    // While the dialog is the only window of the lock that takes input (no
    // message box over it, no menu open), a press outside it lands on the
    // background or on another program's window. Both are this process's own
    // reads, no trip to the window server.
    if (dialog_ == nullptr || background_ == nullptr || !IsWindowEnabled(dialog_) || exWnd::MenuOpen()) return false;
    RECT bounds{};
    return GetWindowRect(dialog_, &bounds) && !PtInRect(&bounds, point);
}

bool mgtLocker::IsClickAllowed(POINT point) const {
    // One question answers two: the foreground window, and the capture of
    // its thread. This program must hold the foreground (another program's
    // window brought up over the lock holds it until the next watchdog tick,
    // and may be above the lock on the screen where the window order says
    // otherwise); a drag this program began goes where it began.
    GUITHREADINFO front{};
    front.cbSize = sizeof(front);
    if (!GetGUIThreadInfo(0, &front) || !IsOwnWindow(front.hwndActive)) return false;
    if (front.hwndCapture != nullptr) return IsOwnWindow(front.hwndCapture);
    // The window under the point must be one of this program's that takes
    // input, and the point must lie within it.
    HWND target = WindowFromPoint(point);
    if (!IsOwnWindow(target)) return false;
    HWND root = GetAncestor(target, GA_ROOT);
    if (root == nullptr || root == background_) return false;
    RECT bounds{};
    return GetWindowRect(root, &bounds) && PtInRect(&bounds, point);
}

LRESULT CALLBACK mgtLocker::MouseHookProc(int code, WPARAM wParam, LPARAM lParam) noexcept {
    mgtLocker* locker = g_locker;
    if (locker == nullptr) return 0;
    if (code != HC_ACTION || wParam == WM_MOUSEMOVE) return CallNextHookEx(locker->mouseHook_, code, wParam, lParam);
    const auto* mouse = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
    if (locker->DropsUnasked(mouse->pt, wParam)) return 1;
    const bool allowed = locker->IsClickAllowed(mouse->pt);
    locker->NotePress(wParam, allowed);
    if (!allowed) return 1;
    return CallNextHookEx(locker->mouseHook_, 0, wParam, lParam);
}

void mgtLocker::NotePress(WPARAM message, bool allowed) {
    // Presses let through, less releases: while any is down, every button
    // message is asked about.
    if (IsButtonDown(message) && allowed) ++allowedPresses_;
    const bool release = message == WM_LBUTTONUP || message == WM_RBUTTONUP || message == WM_MBUTTONUP ||
                         message == WM_XBUTTONUP;
    if (release && allowedPresses_ > 0) --allowedPresses_;
}

bool mgtLocker::ForeignWindowAbove(HWND window) const {
    // Bounded: the windows above a topmost window are few, and a window order
    // that changes under the walk must not keep it going.
    int steps = 0;
    for (HWND above = GetWindow(window, GW_HWNDPREV); above != nullptr && steps < kMaxWindowsAbove;
         above = GetWindow(above, GW_HWNDPREV), ++steps)
        if (IsWindowVisible(above) && !IsOwnWindow(above)) return true;
    return steps >= kMaxWindowsAbove;
}

ULONG_PTR mgtLocker::TopmostBelow(HWND window) const {
    ULONG_PTR signature = 0;
    int steps = 0;
    for (HWND below = GetWindow(window, GW_HWNDNEXT); below != nullptr && steps < kMaxWindowsAbove;
         below = GetWindow(below, GW_HWNDNEXT), ++steps) {
        if ((GetWindowLongPtrW(below, GWL_EXSTYLE) & WS_EX_TOPMOST) == 0) break;
        if (IsWindowVisible(below) && !IsOwnWindow(below))
            signature = signature * 31 + reinterpret_cast<ULONG_PTR>(below);
    }
    return signature;
}

void mgtLocker::Restack(HWND window) {
    // Leaving the topmost band and entering it again puts the window above
    // every other topmost window, also where the system believes it is
    // already on top. Alone, without its owned dialog: Wine raises a window
    // at X level only when it becomes the very top one. The dialog follows.
    SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, kRestackFlags);
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, kRestackFlags);
}

void mgtLocker::KeepShown(HWND window) {
    if (IsIconic(window)) ShowWindow(window, SW_SHOWNOACTIVATE);
    if (!IsWindowVisible(window)) ShowWindow(window, SW_SHOWNA);
}

void mgtLocker::KeepCovered(bool intruder, bool activate) {
    if (background_ != nullptr) {
        KeepShown(background_);
        const RECT screen{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                          GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                          GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
        RECT bounds{};
        GetWindowRect(background_, &bounds);
        if (!EqualRect(&bounds, &screen))
            SetWindowPos(background_, HWND_TOPMOST, screen.left, screen.top, screen.right - screen.left,
                         screen.bottom - screen.top, SWP_NOACTIVATE);
    }
    HWND top = background_ != nullptr ? background_ : dialog_;
    if (top == nullptr) return;
    if (dialog_ != nullptr) KeepShown(dialog_);
    // A topmost window that appeared below the lock may still be above it on
    // the screen (Wine's X windows can disagree with the window order).
    const ULONG_PTR below = TopmostBelow(top);
    // Once more on the next tick: taking the foreground back may raise the
    // other window again later, when its own thread gets to it.
    if (intruder || below != topmostBelow_ || ForeignWindowAbove(top)) restacksDue_ = 2;
    if (restacksDue_ == 0) return;
    --restacksDue_;
    // Wine raises a window at X level only when it becomes the top visible
    // one, and the owned dialog always stays above the background: hidden a
    // moment, it lets the background be raised, and is raised in turn. The
    // background takes the activation meanwhile, so that no other program's
    // window gets it.
    const bool hideDialog = dialog_ != nullptr && dialog_ != top && IsWindowVisible(dialog_);
    if (hideDialog) {
        EnableWindow(top, TRUE);
        SetWindowPos(dialog_, nullptr, 0, 0, 0, 0, kRestackFlags | SWP_NOZORDER | SWP_HIDEWINDOW);
    }
    Restack(top);
    if (hideDialog) {
        SetWindowPos(dialog_, HWND_TOPMOST, 0, 0, 0, 0,
                     (activate ? kRestackFlags & ~SWP_NOACTIVATE : kRestackFlags) | SWP_SHOWWINDOW);
        if (activate) ForceForeground(dialog_);
        EnableWindow(top, FALSE);
    }
    topmostBelow_ = TopmostBelow(top);
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
    // A message box, menu or other window of this program stays in front.
    HWND foreground = GetForegroundWindow();
    const bool foreignForeground = !locker->IsOwnWindow(foreground);
    if (foreignForeground && locker->dialog_ != nullptr) ForceForeground(locker->dialog_);
    // Another program's window that newly took the foreground may have come
    // above the lock. Once per window: one that keeps the foreground against
    // us gains nothing from being covered again each tick.
    const bool intruder = foreignForeground && foreground != nullptr && foreground != locker->lastIntruder_;
    locker->lastIntruder_ = foreignForeground ? foreground : nullptr;
    // After taking the foreground back, which may raise the other window.
    locker->KeepCovered(intruder);
}

void mgtLocker::CoverAgain(void* context) noexcept {
    auto* locker = static_cast<mgtLocker*>(context);
    if (locker == nullptr || locker != g_locker) return;
    // While another program's window is being activated, taking the
    // foreground back in the midst of it can leave the keyboard with the
    // other thread (seen under Wine): the lock is raised without activation,
    // and the watchdog's tick takes the foreground back.
    locker->KeepCovered(true, locker->IsOwnWindow(GetForegroundWindow()));
    // The watch itself looks again a few frames later; a restack left to
    // the watchdog would come while the owner may be typing.
    locker->restacksDue_ = 0;
}

void mgtLocker::Start(HWND dialog, HWND background) {
    started_ = true;
    dialog_ = dialog;
    background_ = background;
    GetAsyncKeyState(VK_MENU);
    GetAsyncKeyState(VK_CONTROL);
    SeedModifiers();
    allowedPresses_ = 0;
    HINSTANCE module = GetModuleHandleW(nullptr);
    if (keyboardHook_ == nullptr) keyboardHook_ = SetWindowsHookExW(WH_KEYBOARD_LL, KeyboardHookProc, module, 0);
    if (mouseHook_ == nullptr) mouseHook_ = SetWindowsHookExW(WH_MOUSE_LL, MouseHookProc, module, 0);
    lastTick_ = lastRenewal_ = GetTickCount64();
    // The window that had the foreground before the lock is no intruder.
    lastIntruder_ = GetForegroundWindow();
    if (timerId_ == 0) timerId_ = SetTimer(nullptr, 0, kWatchdogMs, WatchdogTimerProc);
    zorderWatch_.Start(background_ != nullptr ? background_ : dialog_, CoverAgain, this);
    if (settings_ != nullptr) {
        settings_->LockingFlag(1);
        TaskManagerPolicy(settings_->Store()).Close();
    }

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
    TaskManagerPolicy(settings_->Store()).Restore();
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
    zorderWatch_.Stop();
    if (!lookedUp_ || blockReasonDestroy_ == nullptr) return;
    if (dialog_ != nullptr) blockReasonDestroy_(dialog_);
    if (background_ != nullptr) blockReasonDestroy_(background_);
}

void mgtLocker::RefreshHooks() {
    if (!IsLocked()) return;
    lastRenewal_ = GetTickCount64();
    // Keys may have gone by unseen while the old hooks were not called.
    SeedModifiers();
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
