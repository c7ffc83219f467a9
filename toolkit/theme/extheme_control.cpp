#include "extheme_control.h"

#include "../draw/drawservices.h"
#include "../draw/expaintdc.h"

bool ThemePreHandler(extheme_control& part, HWND window, UINT message, WPARAM, LPARAM, LRESULT&) {
    switch (message) {
    case WM_DESTROY:
        drawservices::BufferedPaintStopAllAnimations(window);
        part.ClearCachedFrame();
        return false;
    case WM_SIZE:
    case WM_KILLFOCUS:
    case WM_SETFONT:
        part.StopAnimation(window, true);
        return false;
    default:
        return false;
    }
}

void extheme_control::PaintClient(HWND window, HFONT font, bool noAnimation) {
    if (!GetUpdateRect(window, nullptr, FALSE)) return;
    RECT client{};
    GetClientRect(window, &client);
    exPaintDC paint(window, font);
    Paint(window, paint.Dc(), client, 0, noAnimation);
}
