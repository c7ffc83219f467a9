#include "extheme_control.h"

#include "drawservices.h"
#include "exmenu.h"
#include "expaintdc.h"

bool ThemePreHandler(extheme_control& part, HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                     LRESULT& result) {
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
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (item == nullptr || item->CtlType != ODT_MENU || item->hwndItem == nullptr) return false;
        DrawMenuItem(item);
        result = 1;
        return true;
    }
    case WM_MEASUREITEM: {
        auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (item == nullptr || item->CtlType != ODT_MENU) return false;
        MeasureMenuItem(item);
        result = 1;
        return true;
    }
    case WM_INITMENUPOPUP:
        RecordTrackedMenu(reinterpret_cast<HMENU>(wParam));
        return false;
    case WM_UNINITMENUPOPUP:
        RecordTrackedMenu(nullptr);
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
