#include "guardhold.h"

#include "../base/diagnostics.h"
#include "../lock/keyfilter.h"

namespace {

const wchar_t kCoverClass[] = L"MgtGuardianCover";

// Read by the hook procedures, which may not allocate or wait.
volatile LONG g_allowedProcess = 0;
// The keyboard hook's view of the modifiers: the system's would keep a key
// down whose release the lock dropped, and then hold back every key.
KeyFilterState g_keys;

bool IsAllowedWindow(HWND window) {
    if (window == nullptr) return false;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    return owner != 0 && owner == static_cast<DWORD>(g_allowedProcess);
}

// Sent from another thread: another program (only this thread covers and uncovers).
bool FromOutside() {
    return (InSendMessageEx(nullptr) & (ISMEX_SEND | ISMEX_NOTIFY | ISMEX_CALLBACK)) != 0;
}

LRESULT CALLBACK CoverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (IsIgnoredMessage(message)) return 0;
    if (message == WM_MOUSEACTIVATE) return MA_NOACTIVATEANDEAT;
    if (message == WM_WINDOWPOSCHANGING && FromOutside())
        reinterpret_cast<WINDOWPOS*>(lParam)->flags &= ~static_cast<UINT>(SWP_HIDEWINDOW);
    if (message == WM_SHOWWINDOW && wParam == FALSE && FromOutside()) return 0;
    return DefWindowProcW(window, message, wParam, lParam);
}

// On the hook thread after each install: keys may have gone by unseen while
// no hook was called.
void SeedHeldKeys() {
    g_keys = HeldModifiers(GetAsyncKeyState);
}

} // namespace

bool IsIgnoredMessage(UINT message) {
    switch (message) {
    case WM_CLOSE: case WM_DESTROY: case WM_NCDESTROY: case WM_QUIT: case WM_COMMAND: case WM_SYSCOMMAND:
        return true;
    default:
        return false;
    }
}

GuardHold::GuardHold(COLORREF color, DWORD lockProcess)
    : hooks_(KeyboardProc, MouseProc, SetWindowsHookExW, SeedHeldKeys) {
    Allow(lockProcess);
    GetAsyncKeyState(VK_MENU);
    // Retried at every look of the guardian.
    if (!hooks_.Start()) WriteDiagnostic(DiagEvent::kHookInstallFailed, hooks_.InstallError());
    ReleaseHeldModifiers();
    brush_.Reset(CreateSolidBrush(color));
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = CoverProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hbrBackground = brush_.Get();
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kCoverClass;
    RegisterClassW(&windowClass);
    // Made now, so that showing it when the lock dies costs no time.
    MakeCover();
}

void GuardHold::MakeCover() {
    cover_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kCoverClass, L"", WS_POPUP | WS_DISABLED, 0, 0, 0, 0,
                             nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (cover_ == nullptr) WriteDiagnostic(DiagEvent::kWindowNotCreated, kDiagGuardianCover);
}

GuardHold::~GuardHold() {
    hooks_.Stop();
    g_allowedProcess = 0;
    if (cover_ != nullptr) DestroyWindow(cover_);
    UnregisterClassW(kCoverClass, GetModuleHandleW(nullptr));
}

void GuardHold::Allow(DWORD lockProcess) {
    InterlockedExchange(&g_allowedProcess, static_cast<LONG>(lockProcess));
}

void GuardHold::Cover() {
    if (cover_ == nullptr) MakeCover();
    if (cover_ == nullptr) return;
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN), height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    // Not topmost first, then topmost: a window that another program raised
    // is passed over only by a window that is stacked again.
    SetWindowPos(cover_, HWND_NOTOPMOST, left, top, width, height, SWP_NOACTIVATE);
    SetWindowPos(cover_, HWND_TOPMOST, left, top, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    UpdateWindow(cover_);
}

void GuardHold::RenewHooks() {
    if (hooks_.ThreadId() != 0) hooks_.Renew();
    else if (!hooks_.Start()) WriteDiagnostic(DiagEvent::kHookRetried);
}

void GuardHold::Uncover() {
    if (cover_ != nullptr) ShowWindow(cover_, SW_HIDE);
}

LRESULT CALLBACK GuardHold::KeyboardProc(int code, WPARAM wParam, LPARAM lParam) noexcept {
    if (code != HC_ACTION) return CallNextHookEx(nullptr, code, wParam, lParam);
    const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    const KeyVerdict verdict = FilterKey(*key, g_keys);
    if (verdict == KeyVerdict::kDrop) return 1;
    if (verdict == KeyVerdict::kPassToOwnWindows && !IsAllowedWindow(GetForegroundWindow())) return 1;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK GuardHold::MouseProc(int code, WPARAM wParam, LPARAM lParam) noexcept {
    if (code != HC_ACTION || wParam == WM_MOUSEMOVE) return CallNextHookEx(nullptr, code, wParam, lParam);
    const auto* mouse = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
    if (!IsAllowedWindow(WindowFromPoint(mouse->pt))) return 1;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
