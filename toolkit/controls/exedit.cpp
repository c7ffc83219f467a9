#include "exedit.h"

#include <commctrl.h>

#include <algorithm>

#include "../draw/drawservices.h"
#include "../draw/mirroring.h"
#include "../draw/expaintdc.h"
#include "../draw/shapes.h"
#include "../theme/extheme.h"
#include "../window/accessibility.h"
#include "exbasedlg.h"

namespace {

const LONG kEdgeStyles = WS_EX_CLIENTEDGE | WS_EX_STATICEDGE | WS_EX_WINDOWEDGE;
// The flags SetWindowPos accepts; a WINDOWPOS may carry internal ones too.
const UINT kPublicPositionFlags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE |
                                  SWP_FRAMECHANGED | SWP_SHOWWINDOW | SWP_HIDEWINDOW | SWP_NOCOPYBITS |
                                  SWP_NOOWNERZORDER | SWP_DEFERERASE | SWP_ASYNCWINDOWPOS;

bool WantsScrollBox(LONG style, LONG exStyle) {
    return (style & (WS_HSCROLL | WS_VSCROLL | WS_BORDER)) != 0 || (exStyle & kEdgeStyles) != 0;
}

} // namespace

exEdit::exEdit() = default;

exEdit::~exEdit() {
    // The edit goes before its scroll box, while this object is still whole.
    Detach(true);
}

void exEdit::OnSubclassed() {
    if (Handle() == nullptr) return;
    frameComputed_ = false;
    RECT client{};
    GetClientRect(Handle(), &client);
    initialClientHeight_ = client.bottom - client.top;
    verticalScroll_ = (GetStyle() & WS_VSCROLL) != 0;
    // Kept from here on: unmasking the field also takes the style away.
    passwordField_ = (GetStyle() & ES_PASSWORD) != 0;
    if (!banner_.empty()) {
        SendMessage(EM_SETCUEBANNER, bannerWhileFocused_, reinterpret_cast<LPARAM>(banner_.c_str()));
        SetAccessibleName(Handle(), banner_);
    }
    AdjustHeight();
    if (!Theme().SystemColors() && WantsScrollBox(GetStyle(), GetExStyle())) {
        scrollBox_.SetHoverHighlight(hoverHighlight_);
        scrollBox_.Attach(Handle());
    }
}

void exEdit::SetCueBanner(const exstring& text, bool showWhileFocused) {
    banner_ = text;
    bannerWhileFocused_ = showWhileFocused;
    bannerColor_ = kDefaultCueColor;
    if (Handle() == nullptr) return;
    // The cue is the field's only label: a screen reader says it as the name.
    SetAccessibleName(Handle(), text);
    if (WarningActive()) return;
    SendMessage(EM_SETCUEBANNER, showWhileFocused, reinterpret_cast<LPARAM>(banner_.c_str()));
    if (ToolkitDrawsCue()) InvalidateRect(Handle(), nullptr, TRUE);
}

void exEdit::ShowWarningCue(const exstring& text, bool showWhileFocused, COLORREF color) {
    if (Handle() == nullptr) return;
    const ThemeState& theme = Theme();
    const COLORREF field = theme.SystemColors() ? GetSysColor(COLOR_WINDOW) : theme.Scheme().fieldBackground;
    warningColor_ = IsColor(color) ? color : ContrastColor(field);
    warning_ = text;
    warningWhileFocused_ = showWhileFocused;
    SendMessage(EM_SETCUEBANNER, showWhileFocused, reinterpret_cast<LPARAM>(warning_.c_str()));
    // The warning is active before the field empties, so this change keeps it.
    SetWindowTextW(Handle(), L"");
    InvalidateRect(Handle(), nullptr, TRUE);
}

void exEdit::SetHeightMode(int mode) {
    heightMode_ = mode;
    AdjustHeight();
}

void exEdit::SetHoverHighlight(bool on) {
    hoverHighlight_ = on;
    scrollBox_.SetHoverHighlight(on);
}

bool exEdit::OnCommand(UINT notificationCode) {
    if (notificationCode != EN_CHANGE || Handle() == nullptr) return false;
    if (WarningActive() && !IsEmpty()) {
        warning_.clear();
        warningColor_ = kDefaultCueColor;
        SendMessage(EM_SETCUEBANNER, bannerWhileFocused_, reinterpret_cast<LPARAM>(banner_.c_str()));
    }
    if (ToolkitDrawsCue()) RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE);
    return false;
}

bool exEdit::GetEditTextColor(COLORREF& color) {
    const bool system = Theme().SystemColors();
    const ColorScheme& scheme = Theme().Scheme();
    const LONG style = GetStyle();
    if (style & WS_DISABLED) color = system ? GetSysColor(COLOR_GRAYTEXT) : scheme.textDisabled;
    else if (style & ES_READONLY) color = system ? GetSysColor(COLOR_BTNTEXT) : scheme.text;
    else color = system ? GetSysColor(COLOR_WINDOWTEXT) : scheme.text;
    return false;
}

COLORREF exEdit::BackgroundColor() const {
    const bool system = Theme().SystemColors();
    const bool plain = (GetStyle() & (WS_DISABLED | ES_READONLY)) != 0;
    if (plain) return system ? GetSysColor(COLOR_BTNFACE) : Theme().Scheme().background;
    return system ? GetSysColor(COLOR_WINDOW) : Theme().Scheme().fieldBackground;
}

void exEdit::OnCtlColor(HDC dc, HBRUSH* brush) {
    if (dc == nullptr || Handle() == nullptr) return;
    COLORREF text = 0;
    const bool force = GetEditTextColor(text);
    const bool system = Theme().SystemColors();
    if (system && !force) return;
    SetTextColor(dc, text);
    SetBkColor(dc, BackgroundColor());
    if (system || brush == nullptr) return;
    const bool plain = (GetStyle() & (WS_DISABLED | ES_READONLY)) != 0;
    *brush = plain ? Theme().BackgroundBrush() : Theme().FieldBrush();
}

void exEdit::DrawState(HDC, const RECT&, int) {}

// The next paint resynchronises the box, whose frame then shows or drops the hover.
void exEdit::InvalidateCorner() {
    const RECT corner{0, 0, 1, 1};
    RedrawWindow(Handle(), &corner, nullptr, RDW_INVALIDATE);
}

bool exEdit::IsEmpty() const {
    return GetWindowTextLengthW(Handle()) == 0;
}

bool exEdit::ToolkitDrawsCue() const {
    const bool warning = WarningActive();
    const exstring& cue = warning ? warning_ : banner_;
    if (cue.empty() || Handle() == nullptr || !IsWindowEnabled(Handle()) || (GetStyle() & ES_MULTILINE) != 0 ||
        !IsEmpty())
        return false;
    const bool whileFocused = warning ? warningWhileFocused_ : bannerWhileFocused_;
    if (!whileFocused && GetFocus() == Handle()) return false;
    // The native cue knows no colour of its own, and no scheme colours.
    return IsColor(warning ? warningColor_ : bannerColor_) || !Theme().SystemColors() ||
           !drawservices::ThemingAvailable();
}

void exEdit::PaintCue() {
    exPaintDC paint(Handle(), exPaintDC::kWindowFont);
    HDC dc = paint.Dc();
    if (dc == nullptr) return;
    const bool warning = WarningActive();
    RECT client{};
    GetClientRect(Handle(), &client);
    SolidFill(dc, client, BackgroundColor());
    COLORREF color = warning ? warningColor_ : bannerColor_;
    if (!IsColor(color)) color = Theme().SystemColors() ? GetSysColor(COLOR_GRAYTEXT) : Theme().Scheme().textDisabled;
    SetTextColor(dc, color);
    RECT format = client;
    SendMessage(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    DrawTextW(dc, (warning ? warning_ : banner_).c_str(), -1, &format,
              DT_SINGLELINE | DT_VCENTER | ReadingOrderFormat(dc));
}

void exEdit::AdjustHeight() {
    if (Handle() == nullptr || adjustingHeight_ || heightMode_ < 0 || (GetStyle() & ES_MULTILINE) != 0) return;
    RECT format{};
    SendMessage(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    const int margin = std::min<int>(format.top, 2) + 2;
    const HFONT font = Font() != nullptr ? Font() : reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
    const int fontHeight = Theme().MetricsOf(font).height;
    const int clientHeight =
        heightMode_ == 1 ? fontHeight + 2 * margin : std::max(fontHeight + margin, initialClientHeight_) + margin;
    RECT frame{0, 0, 0, clientHeight};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetStyle()), FALSE, static_cast<DWORD>(GetExStyle()));
    int height = frame.bottom - frame.top;
    // With a scroll box the edit's handle stands for the box's geometry.
    const bool attached = HasScrollBox();
    if (attached) {
        const RECT insets = scrollBox_.Insets();
        height += insets.top + insets.bottom;
    }
    RECT outer{};
    GetWindowRect(attached ? scrollBox_.Handle() : Handle(), &outer);
    if (height == outer.bottom - outer.top) return;
    adjustingHeight_ = true;
    SetWindowPos(Handle(), nullptr, 0, 0, outer.right - outer.left, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    adjustingHeight_ = false;
}

void exEdit::PaintFrame(WPARAM wParam, LPARAM lParam) {
    const bool scrollBars = (GetStyle() & (WS_VSCROLL | WS_HSCROLL)) != 0;
    const bool attached = HasScrollBox();
    if (!frameComputed_ && scrollBars && attached)
        SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    if (scrollBars && !attached) exWnd::WindowProc(WM_NCPAINT, wParam, lParam);

    bool hover = false;
    POINT cursor{};
    HWND capture = GetCapture();
    if ((capture == nullptr || capture == Handle()) && GetCursorPos(&cursor)) {
        ScreenToClient(Handle(), &cursor);
        RECT client{};
        GetClientRect(Handle(), &client);
        hover = PtInRect(&client, cursor) != FALSE;
    }
    const ColorScheme& scheme = Theme().Scheme();
    const bool accent = hover || GetFocus() == Handle();
    NonClientFrame(Handle(), scheme.fieldBackground, accent ? scheme.accent : scheme.border);
}

bool exEdit::RefusesForPassword(UINT message, WPARAM wParam, LPARAM lParam) const {
    if (!passwordField_) return false;
    switch (message) {
    case EM_SETPASSWORDCHAR:
        return wParam == 0 || SentFromAnotherThread();
    case WM_COPY:
    case WM_CUT:
        return true;
    case WM_GETTEXT:
        if (!SentFromAnotherThread()) return false;
        if (wParam > 0 && lParam != 0) *reinterpret_cast<wchar_t*>(lParam) = L'\0';
        return true;
    case WM_GETTEXTLENGTH:
    case EM_GETLINE:
        return SentFromAnotherThread();
    default:
        return false;
    }
}

LRESULT exEdit::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (RefusesForPassword(message, wParam, lParam)) return 0;
    LRESULT handled = 0;
    if (ThemePreHandler(*this, Handle(), message, wParam, lParam, handled)) return handled;
    const bool attached = HasScrollBox();

    switch (message) {
    case WM_NCCALCSIZE:
        frameComputed_ = true;
        if (attached && wParam != 0) {
            // The box draws frame and bar: the whole window stays client area.
            const bool vertical = (GetStyle() & WS_VSCROLL) != 0;
            if (vertical != verticalScroll_) {
                verticalScroll_ = vertical;
                scrollBox_.SetVerticalScroll(vertical);
                scrollBox_.RequestLayout();
            }
            return 0;
        }
        break;
    case WM_SIZE:
    case WM_SETFONT:
        AdjustHeight();
        break;
    case WM_PAINT: {
        LRESULT result = 0;
        if (ToolkitDrawsCue()) PaintCue();
        else result = exWnd::WindowProc(message, wParam, lParam);
        if (attached) scrollBox_.Synchronize();
        return result;
    }
    case WM_PRINTCLIENT: {
        const LRESULT result = exWnd::WindowProc(message, wParam, lParam);
        if (attached) scrollBox_.Synchronize();
        return result;
    }
    case WM_NCPAINT:
        if (Theme().SystemColors()) break;
        PaintFrame(wParam, lParam);
        return 0;
    case WM_SYSCOLORCHANGE:
        if (IsSchemeChangeMarker(message, lParam))
            RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
        break;
    case WM_KEYDOWN:
        if (wParam == 'A' && (GetAsyncKeyState(VK_CONTROL) & 0x8000) != 0) SendMessage(EM_SETSEL, 0, -1);
        break;
    case WM_MOUSEMOVE:
        if (!attached || trackingMouse_) break;
        {
            TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, Handle(), 0};
            trackingMouse_ = TrackMouseEvent(&track) != FALSE;
        }
        InvalidateCorner();
        break;
    case WM_MOUSELEAVE:
        if (!attached) break;
        trackingMouse_ = false;
        InvalidateCorner();
        break;
    case EM_SETCUEBANNER:
        if (lParam != 0) {
            const auto* text = reinterpret_cast<const wchar_t*>(lParam);
            if (banner_ != text && warning_ != text) {
                banner_ = text;
                bannerWhileFocused_ = wParam != 0;
                bannerColor_ = kDefaultCueColor;
            }
        }
        break;
    case WM_NCHITTEST:
        if (attached) return HTCLIENT;
        break;
    case WM_VSCROLL:
    case WM_MOUSEWHEEL:
        if (!attached) break;
        exWnd::WindowProc(message, wParam, lParam);
        scrollBox_.Synchronize();
        return message == WM_MOUSEWHEEL ? 1 : 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
        const LRESULT result = exWnd::WindowProc(message, wParam, lParam);
        // The frame's accent follows the focus, and so may the cue.
        if (attached) scrollBox_.Redraw();
        if ((!banner_.empty() || WarningActive()) && IsEmpty()) InvalidateRect(Handle(), nullptr, TRUE);
        return result;
    }
    case WM_SHOWWINDOW:
        if (attached && lParam == 0) ShowWindow(scrollBox_.Handle(), wParam != 0 ? SW_SHOWNA : SW_HIDE);
        break;
    case WM_ENABLE:
        if (attached) EnableWindow(scrollBox_.Handle(), wParam != 0);
        break;
    case WM_WINDOWPOSCHANGING:
        if (attached && lParam != 0) {
            // Whoever places the edit places the box; the edit keeps its place inside.
            auto* position = reinterpret_cast<WINDOWPOS*>(lParam);
            SetWindowPos(scrollBox_.Handle(), position->hwndInsertAfter, position->x, position->y, position->cx,
                         position->cy, position->flags & kPublicPositionFlags);
            position->flags |= SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER;
        }
        break;
    default:
        break;
    }
    return exWnd::WindowProc(message, wParam, lParam);
}
