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

    static constexpr exMessageEntry<exBaseDlg> kHandlers[] = {
        {WM_THEMECHANGED, &exBaseDlg::OnThemeChanged},
        {WM_PAINT, &exBaseDlg::OnPaint},
        {WM_ERASEBKGND, &exBaseDlg::OnEraseBkgnd},
        {WM_CTLCOLORBTN, &exBaseDlg::OnCtlColorMessage},
        {WM_CTLCOLORDLG, &exBaseDlg::OnCtlColorMessage},
        {WM_CTLCOLORSTATIC, &exBaseDlg::OnCtlColorMessage},
        {WM_DPICHANGED, &exBaseDlg::OnDpiChanged},
        {WM_INITMENUPOPUP, &exBaseDlg::OnInitMenuPopup},
        {WM_SETTINGCHANGE, &exBaseDlg::OnSettingChange},
        {WM_SYSCOLORCHANGE, &exBaseDlg::OnSysColorChange},
        {WM_GETMINMAXINFO, &exBaseDlg::OnGetMinMaxInfo},
        {WM_NCDESTROY, &exBaseDlg::OnNcDestroy},
    };
    exMessage current{message, wParam, lParam};
    if (const exHandled result = DispatchToHandler(*this, kHandlers, current)) return *result;
    return DefaultProc(message, wParam, lParam);
}

exHandled exBaseDlg::OnThemeChanged(exMessage&) {
    if (exWnd::MainWindow() == this) ReopenMenuTheme();
    return kNotHandled;
}

exHandled exBaseDlg::OnPaint(exMessage&) {
    if (Theme().SystemColors()) return kNotHandled;
    PaintClient(Handle(), Font(), true);
    return 0;
}

exHandled exBaseDlg::OnEraseBkgnd(exMessage& message) {
    if (message.wParam != 0 && !Theme().SystemColors()) return 1;
    return kNotHandled;
}

exHandled exBaseDlg::OnCtlColorMessage(exMessage& message) {
    ThemeState& theme = Theme();
    if (theme.SystemColors() || message.wParam == 0) return kNotHandled;
    SetTextColor(reinterpret_cast<HDC>(message.wParam), theme.Scheme().text);
    SetBkColor(reinterpret_cast<HDC>(message.wParam), theme.Scheme().background);
    return reinterpret_cast<LRESULT>(theme.BackgroundBrush());
}

exHandled exBaseDlg::OnDpiChanged(exMessage&) {
    return 0;
}

exHandled exBaseDlg::OnInitMenuPopup(exMessage& message) {
    if (HIWORD(message.lParam) != 0 && IsFixedSize())
        EnableMenuItem(reinterpret_cast<HMENU>(message.wParam), SC_SIZE, MF_BYCOMMAND | MF_GRAYED);
    return kNotHandled;
}

exHandled exBaseDlg::OnSettingChange(exMessage&) {
    // Any setting may be the app mode ("ImmersiveColorSet") or high
    // contrast; looking again costs little and changes only what changed.
    Theme().FollowSystem();
    return kNotHandled;
}

exHandled exBaseDlg::OnSysColorChange(exMessage& message) {
    ThemeState& theme = Theme();
    if (!IsSchemeChangeMarker(message.id, message.lParam)) {
        theme.FollowSystem();
        return kNotHandled;
    }
    if ((GetStyle() & WS_CHILD) == 0) SetDarkTitleBar(Handle(), theme.IsDark());
    for (HWND child = GetWindow(Handle(), GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
        PostMessageW(child, message.id, message.wParam, message.lParam);
    if (IsWindowVisible(Handle())) {
        drawservices::BufferedPaintStopAllAnimations(Handle());
        ClearCachedFrame();
        RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
    }
    return 0;
}

exHandled exBaseDlg::OnGetMinMaxInfo(exMessage& message) {
    const LRESULT result = DefaultProc(message.id, message.wParam, message.lParam);
    auto* info = reinterpret_cast<MINMAXINFO*>(message.lParam);
    if (info != nullptr && maxTrackWidth_ != 0 && maxTrackHeight_ != 0)
        info->ptMaxTrackSize = POINT{maxTrackWidth_, maxTrackHeight_};
    return result;
}

exHandled exBaseDlg::OnNcDestroy(exMessage&) {
    initialized_ = false;
    return kNotHandled;
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
