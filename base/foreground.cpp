#include "foreground.h"

namespace {

constexpr UINT kResponsiveTimeoutMs = 200;

} // namespace

void ForceForeground(HWND window) {
    if (!IsWindow(window)) return;
    HWND target = GetWindow(window, GW_ENABLEDPOPUP);
    if (target == nullptr) target = window;

    SetForegroundWindow(target);
    if (GetForegroundWindow() == target) return;

    HWND foreground = GetForegroundWindow();
    if (!IsWindow(foreground) || foreground == target) return;
    const DWORD foregroundThread = GetWindowThreadProcessId(foreground, nullptr);
    const DWORD targetThread = GetWindowThreadProcessId(target, nullptr);
    if (foregroundThread == 0 || targetThread == 0 || foregroundThread == targetThread) return;

    // A hung foreground window must not stall us: only a responsive one is
    // asked to move.
    DWORD_PTR ignored = 0;
    const bool responsive =
        SendMessageTimeoutW(foreground, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kResponsiveTimeoutMs, &ignored) != 0;

    // Sharing the input state with the foreground thread lifts the system's
    // foreground lock for this one call.
    AttachThreadInput(foregroundThread, targetThread, TRUE);
    if (responsive) {
        SetWindowPos(foreground, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOSENDCHANGING);
        Sleep(1);
    }
    SetForegroundWindow(target);
    AttachThreadInput(foregroundThread, targetThread, FALSE);
    SetWindowPos(target, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
    InvalidateRect(foreground, nullptr, TRUE);
}
