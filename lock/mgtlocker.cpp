#include "mgtlocker.h"

#include "../base/diagnostics.h"
#include "../base/foreground.h"
#include "../lang/exmlang.h"
#include "../settings/accessshortcuts.h"
#include "../settings/audittrail.h"
#include "../settings/mgtsettings.h"
#include "../settings/taskmgrpolicy.h"
#include "../toolkit/window/exwnd.h"
#include "keyfilter.h"
#include "lockchannel.h"

namespace {

mgtLocker* g_locker = nullptr;

// The keyboard hook's view of the modifiers; its own, never the system's.
KeyFilterState g_keys;

// On the hook thread after each install: keys may have gone by unseen while
// no hook was called.
void SeedModifiers() {
    g_keys = HeldModifiers(GetAsyncKeyState);
}

bool IsButtonDown(WPARAM message) {
    return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN ||
           message == WM_XBUTTONDOWN;
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

mgtLocker::mgtLocker(mgtSettings* settings, const exmlang* strings, HookThread::Installer installer)
    : processId_(GetCurrentProcessId()), hooks_(KeyboardHookProc, MouseHookProc, installer, SeedModifiers),
      settings_(settings), strings_(strings) {
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

bool mgtLocker::IsOwnWindow(HWND window) const {
    if (window == nullptr) return false;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process != 0 && process == processId_;
}

LRESULT CALLBACK mgtLocker::KeyboardHookProc(int code, WPARAM wParam, LPARAM lParam) noexcept {
    mgtLocker* locker = g_locker;
    if (locker == nullptr || code != HC_ACTION) return CallNextHookEx(nullptr, code, wParam, lParam);
    const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    const KeyVerdict verdict = FilterKey(*key, g_keys);
    if (verdict == KeyVerdict::kDrop) return 1;
    if (verdict == KeyVerdict::kPassToOwnWindows && !locker->IsOwnWindow(GetForegroundWindow())) return 1;
    return CallNextHookEx(nullptr, 0, wParam, lParam);
}

bool mgtLocker::DropsUnasked(POINT point, WPARAM message) const {
    // After a press that was let through, whatever follows may end a drag
    // begun on the dialog, wherever the pointer is now.
    if (message == WM_MOUSEMOVE || allowedPresses_ != 0) return false;
    // While the dialog is the only window of the lock that takes input (no
    // message box over it, no menu open), a press outside it lands on the
    // background or on another program's window. Both are this process's own
    // reads, no trip to the window server.
    const HWND dialog = dialog_;
    if (dialog == nullptr || background_ == nullptr || !IsWindowEnabled(dialog) || exWnd::MenuOpen()) return false;
    RECT bounds{};
    return GetWindowRect(dialog, &bounds) && !PtInRect(&bounds, point);
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
    if (locker == nullptr || code != HC_ACTION || wParam == WM_MOUSEMOVE)
        return CallNextHookEx(nullptr, code, wParam, lParam);
    const auto* mouse = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
    if (locker->DropsUnasked(mouse->pt, wParam)) return 1;
    const bool allowed = locker->IsClickAllowed(mouse->pt);
    locker->NotePress(wParam, allowed);
    if (!allowed) return 1;
    return CallNextHookEx(nullptr, 0, wParam, lParam);
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
    // A hook that could not be installed is tried again on every tick.
    if (locker->timerId_ != 0 && !locker->IsLocked()) locker->RetryHooks();
    else if (locker->timerId_ != 0 && HooksNeedRenewal(locker->lastTick_ + kWatchdogMs, now, locker->lastRenewal_))
        locker->RefreshHooks();
    locker->ReportHold();
    locker->lastTick_ = now;
    // Whatever cleared them meanwhile (another program, a policy refresh, a
    // restore by a start that did not see this lock yet) is undone.
    if (locker->settings_ != nullptr && locker->started_ && TaskManagerPolicy(locker->settings_->Store()).Hold())
        AuditTaskManagerPolicySetAgain();
    if (locker->settings_ != nullptr && locker->started_) AccessibilityShortcuts(locker->settings_->Store()).Close();
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

bool mgtLocker::HoldInput(HWND background) {
    started_ = true;
    stopped_ = false;
    background_ = background;
    GetAsyncKeyState(VK_MENU);
    GetAsyncKeyState(VK_CONTROL);
    allowedPresses_ = 0;
    lastRenewal_ = GetTickCount64();
    // Waits for the hook thread, which waits on nothing of this one.
    const bool holds = hooks_.Start();
    if (!holds) {
        holdFailed_ = true;
        retries_ = 0;
    }
    // A key held since before the lock would stay down for the system, whose
    // release the hook then drops: a Win key would make letters shortcuts.
    ReleaseHeldModifiers();
    ReportHold();
    // Right after the hooks, before the dialog and its slow start: the task
    // manager could end the lock meanwhile, and a failed hook is retried.
    if (timerId_ == 0) {
        lastTick_ = GetTickCount64();
        timerId_ = SetTimer(nullptr, 0, kWatchdogMs, WatchdogTimerProc);
        // Start tries again; the hooks hold meanwhile.
        if (timerId_ == 0) WriteDiagnostic(DiagEvent::kWatchdogNotStarted, GetLastError());
    }
    if (settings_ != nullptr) {
        // The lock goes on: only a restart of the machine would miss the mark.
        if (!settings_->LockingFlag(1)) WriteDiagnostic(DiagEvent::kMarkNotWritten);
        TaskManagerPolicy(settings_->Store()).Close();
        AccessibilityShortcuts(settings_->Store()).Close();
    }
    // Written once the hold, the watchdog and the mark are in place: the
    // diagnostics file may be slow, and nothing of the hold waits for it.
    WriteDiagnostic(DiagEvent::kLocked, background != nullptr ? 1 : 0);
    if (!holds) WriteDiagnostic(DiagEvent::kHookInstallFailed, hooks_.InstallError());
    return holds;
}

void mgtLocker::Start(HWND dialog, HWND background) {
    // Held once per lock: again, it would write the policies twice and
    // release the modifiers while the owner may already be typing.
    if (!Engaged() || timerId_ == 0) HoldInput(background);
    background_ = background;
    dialog_ = dialog;
    lastTick_ = GetTickCount64();
    // The window that had the foreground before the lock is no intruder.
    lastIntruder_ = GetForegroundWindow();
    if (!zorderWatch_.Start(background_ != nullptr ? background_ : dialog_, CoverAgain, this))
        WriteDiagnostic(DiagEvent::kWatchNotStarted);

    LookUpShutdownBlockReasons();
    if (blockReasonCreate_ == nullptr) return;
    const exstring reason = strings_ != nullptr ? strings_->GetText(L"global", L"locking") : exstring(L"Locking Desktop");
    if (dialog_ != nullptr) blockReasonCreate_(dialog_, reason.c_str());
    if (background_ != nullptr) blockReasonCreate_(background_, reason.c_str());
}

void mgtLocker::ReportHold() {
    const bool holds = IsLocked();
    if (channel_ != nullptr) InterlockedExchange(&channel_->lockHolds, holds ? 1 : 0);
    if (holds && holdingNotice_ != nullptr) SetEvent(holdingNotice_);
    if (holds && holdFailed_) {
        WriteDiagnostic(DiagEvent::kHooksHeld, retries_);
        holdFailed_ = false;
    }
}

void mgtLocker::Stop() {
    if (channel_ != nullptr) InterlockedExchange(&channel_->unlocked, 1);
    if (started_ && !stopped_) WriteDiagnostic(DiagEvent::kUnlocked);
    stopped_ = true;
    EndHold();
    if (!started_ || settings_ == nullptr) return;
    // A registry that refuses the write once must not leave the mark behind:
    // the guardian no longer relocks, but the next log-on would.
    bool marked = settings_->LockingFlag(0);
    for (int attempt = 0; attempt < 4 && marked; ++attempt) {
        Sleep(20 << attempt);
        marked = settings_->LockingFlag(0);
    }
    if (marked) WriteDiagnostic(DiagEvent::kMarkNotCleared);
    TaskManagerPolicy(settings_->Store()).Restore();
    AccessibilityShortcuts(settings_->Store()).Restore();
}

void mgtLocker::Abandon() {
    if (Engaged() && timerId_ != 0) WriteDiagnostic(DiagEvent::kLockAbandoned);
    EndHold();
}

void mgtLocker::EndHold() {
    hooks_.Stop();
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
    // Only while the lock lasts: Abandon and Stop end the watchdog.
    if (timerId_ == 0) return;
    lastRenewal_ = GetTickCount64();
    // Keys may have gone by unseen while the old hooks were not called: the
    // hook thread reads the modifiers again once it has fresh hooks.
    if (hooks_.ThreadId() != 0) hooks_.Renew();
    else if (!hooks_.Start()) holdFailed_ = true;
}

void mgtLocker::RetryHooks() {
    // Every tick tries; the file hears of the first and then ever more rarely.
    ++retries_;
    if ((retries_ & (retries_ - 1)) == 0) WriteDiagnostic(DiagEvent::kHookRetried, retries_);
    RefreshHooks();
}
