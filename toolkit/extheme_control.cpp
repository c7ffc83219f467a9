#include "extheme_control.h"

#include "drawservices.h"
#include "exapp.h"

namespace {

bool IsSubmenuOf(HMENU menu, HMENU root) {
    if (menu == nullptr || root == nullptr) return false;
    const int count = GetMenuItemCount(root);
    for (int i = 0; i < count; ++i) {
        HMENU sub = GetSubMenu(root, i);
        if (sub != nullptr && (sub == menu || IsSubmenuOf(menu, sub))) return true;
    }
    return false;
}

void TrackMenu(HMENU menu) {
    exBaseApp* app = TheBaseApp();
    if (app == nullptr) return;
    if (IsSubmenuOf(menu, app->TrackedMenu())) return;
    app->SetTrackedMenu(menu);
}

} // namespace

bool ThemePreHandler(extheme_control& part, HWND window, UINT message, WPARAM wParam, LPARAM, LRESULT&) {
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
    case WM_INITMENUPOPUP:
        TrackMenu(reinterpret_cast<HMENU>(wParam));
        return false;
    case WM_UNINITMENUPOPUP:
        TrackMenu(nullptr);
        return false;
    default:
        // Owner-drawn menu items are drawn and measured by the menu layer,
        // which this program has not built yet: they take the default path.
        return false;
    }
}
