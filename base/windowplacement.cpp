#include "windowplacement.h"

RECT KeepInside(RECT rectangle, const RECT& area) {
    if (rectangle.right > area.right) OffsetRect(&rectangle, area.right - rectangle.right, 0);
    if (rectangle.bottom > area.bottom) OffsetRect(&rectangle, 0, area.bottom - rectangle.bottom);
    if (rectangle.left < area.left) OffsetRect(&rectangle, area.left - rectangle.left, 0);
    if (rectangle.top < area.top) OffsetRect(&rectangle, 0, area.top - rectangle.top);
    return rectangle;
}

bool WindowPlacement(HWND window, RECT& rectangle, bool& maximised, bool read) {
    if (!IsWindow(window)) return false;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    if (!GetWindowPlacement(window, &placement)) return false;

    if (read) {
        rectangle = placement.rcNormalPosition;
        maximised = placement.showCmd == SW_SHOWMAXIMIZED ||
                    (placement.showCmd == SW_SHOWMINIMIZED && (placement.flags & WPF_RESTORETOMAXIMIZED) != 0);
        return true;
    }

    if (IsRectEmpty(&rectangle)) return false;
    placement.rcNormalPosition = rectangle;
    if (maximised && placement.showCmd != 0) placement.showCmd = SW_SHOWMAXIMIZED;
    else if (!IsWindowVisible(window)) placement.showCmd = SW_HIDE;

    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor) &&
        !IsRectEmpty(&monitor.rcWork)) {
        placement.rcNormalPosition = KeepInside(placement.rcNormalPosition, monitor.rcWork);
    }
    return SetWindowPlacement(window, &placement) != FALSE;
}
