#include "exbasedlg.h"

#include "../draw/drawservices.h"
#include "../draw/shapes.h"
#include "../theme/extheme.h"
#include "../window/exapp.h"
#include "exmenu.h"

namespace {

LRESULT FixedSizeHitTest(LRESULT hit) {
    switch (hit) {
    case HTLEFT: case HTRIGHT: case HTTOP: case HTTOPLEFT: case HTTOPRIGHT:
    case HTBOTTOM: case HTBOTTOMLEFT: case HTBOTTOMRIGHT:
        return HTBORDER;
    default:
        return hit;
    }
}

} // namespace

bool IsSchemeChangeMarker(UINT message, LPARAM lParam) {
    return message == WM_SYSCOLORCHANGE && lParam != 0 &&
           reinterpret_cast<const ColorScheme*>(lParam) == &Theme().Scheme();
}

exBaseDlg::exBaseDlg(uint32_t templateId) : exDialog(templateId) {}

exBaseDlg::~exBaseDlg() = default;

void exBaseDlg::InitControls() {}
void exBaseDlg::LayoutControls() {}
void exBaseDlg::UpdateControls() {}
void exBaseDlg::InitContent() {}
void exBaseDlg::OnDraw(HDC, const RECT&) {}

void exBaseDlg::DrawState(HDC dc, const RECT& rect, int) {
    ThemeState& theme = Theme();
    SolidFill(dc, rect, theme.BackgroundColor());
    SetTextColor(dc, theme.TextColor());
    OnDraw(dc, rect);
}

void exBaseDlg::SetTrackingSizes(int minWidth, int minHeight, int maxWidth, int maxHeight) {
    SetMinTrackSize(minWidth, minHeight);
    maxTrackWidth_ = maxWidth;
    maxTrackHeight_ = maxHeight;
}

bool exBaseDlg::IsFixedSize() const {
    return MinTrackWidth() != 0 && MinTrackHeight() != 0 && MinTrackWidth() == maxTrackWidth_ &&
           MinTrackHeight() == maxTrackHeight_;
}

BOOL exBaseDlg::OnInitDialog() {
    SetTrackingSizes(0, 0, 0, 0);
    initialized_ = false;
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(Theme().DialogFont()), 0);
    if ((GetStyle() & WS_CHILD) == 0 && Theme().IsDark()) SetDarkTitleBar(Handle(), true);
    InitControls();
    InitContent();
    UpdateControls();
    LayoutControls();
    initialized_ = true;
    return TRUE;
}

LRESULT exBaseDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT handled = 0;
    if (MenuOwnerMessage(message, wParam, lParam, handled)) return handled;
    if (ThemePreHandler(*this, Handle(), message, wParam, lParam, handled)) return handled;
    ThemeState& theme = Theme();
    const bool systemColors = theme.SystemColors();

    switch (message) {
    case WM_THEMECHANGED: {
        if (exWnd::MainWindow() == this) ReopenMenuTheme();
        break;
    }
    case WM_PAINT:
        if (systemColors) break;
        PaintClient(Handle(), Font(), true);
        return 0;
    case WM_ERASEBKGND:
        if (wParam != 0 && !systemColors) return 1;
        break;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
        if (systemColors || wParam == 0) break;
        SetTextColor(reinterpret_cast<HDC>(wParam), theme.Scheme().text);
        SetBkColor(reinterpret_cast<HDC>(wParam), theme.Scheme().background);
        return reinterpret_cast<LRESULT>(theme.BackgroundBrush());
    case WM_DPICHANGED:
        return 0;
    case WM_INITMENUPOPUP:
        if (HIWORD(lParam) != 0 && IsFixedSize())
            EnableMenuItem(reinterpret_cast<HMENU>(wParam), SC_SIZE, MF_BYCOMMAND | MF_GRAYED);
        break;
    case WM_SETTINGCHANGE:
        // Any setting may be the app mode ("ImmersiveColorSet") or high
        // contrast; looking again costs little and changes only what changed.
        theme.FollowSystem();
        break;
    case WM_SYSCOLORCHANGE:
        if (!IsSchemeChangeMarker(message, lParam)) {
            theme.FollowSystem();
            break;
        }
        if ((GetStyle() & WS_CHILD) == 0) SetDarkTitleBar(Handle(), theme.IsDark());
        for (HWND child = GetWindow(Handle(), GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
            PostMessageW(child, message, wParam, lParam);
        if (IsWindowVisible(Handle())) {
            drawservices::BufferedPaintStopAllAnimations(Handle());
            ClearCachedFrame();
            RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
        }
        return 0;
    case WM_GETMINMAXINFO: {
        const LRESULT result = DefaultProc(message, wParam, lParam);
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        if (info != nullptr && maxTrackWidth_ != 0 && maxTrackHeight_ != 0)
            info->ptMaxTrackSize = POINT{maxTrackWidth_, maxTrackHeight_};
        return result;
    }
    case WM_NCDESTROY:
        initialized_ = false;
        break;
    default:
        break;
    }
    return DefaultProc(message, wParam, lParam);
}

LRESULT exBaseDlg::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = exDialog::WindowProc(message, wParam, lParam);
    const HWND window = Handle();
    if (window == nullptr) return result;
    const bool hasChild = GetWindow(window, GW_CHILD) != nullptr;
    switch (message) {
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED && hasChild) LayoutControls();
        break;
    case WM_SETFONT:
        if (initialized_ && (GetStyle() & WS_CHILD) == 0 && hasChild) LayoutControls();
        break;
    case WM_SETFOCUS:
        if ((GetStyle() & WS_CHILD) != 0) {
            HWND item = GetNextDlgTabItem(window, nullptr, FALSE);
            if (item == window) item = GetNextDlgTabItem(GetParent(window), nullptr, FALSE);
            if (item != nullptr && item != window)
                PostMessageW(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item), TRUE);
        }
        break;
    case WM_NCHITTEST:
        if (IsFixedSize()) result = FixedSizeHitTest(result);
        break;
    default:
        break;
    }
    return result;
}
