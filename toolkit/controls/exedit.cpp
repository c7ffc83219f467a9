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

    static constexpr exMessageEntry<exEdit> kHandlers[] = {
        {WM_NCCALCSIZE, &exEdit::OnNcCalcSize},
        {WM_SIZE, &exEdit::OnSizeOrFont},
        {WM_SETFONT, &exEdit::OnSizeOrFont},
        {WM_PAINT, &exEdit::OnPaint},
        {WM_PRINTCLIENT, &exEdit::OnPrintClient},
        {WM_NCPAINT, &exEdit::OnNcPaint},
        {WM_SYSCOLORCHANGE, &exEdit::OnSysColorChange},
        {WM_KEYDOWN, &exEdit::OnKeyDown},
        {WM_MOUSEMOVE, &exEdit::OnMouseMove},
        {WM_MOUSELEAVE, &exEdit::OnMouseLeave},
        {EM_SETCUEBANNER, &exEdit::OnSetCueBanner},
        {WM_NCHITTEST, &exEdit::OnNcHitTest},
        {WM_VSCROLL, &exEdit::OnScroll},
        {WM_MOUSEWHEEL, &exEdit::OnScroll},
        {WM_SETFOCUS, &exEdit::OnFocusChange},
        {WM_KILLFOCUS, &exEdit::OnFocusChange},
        {WM_SHOWWINDOW, &exEdit::OnShowWindow},
        {WM_ENABLE, &exEdit::OnEnable},
        {WM_WINDOWPOSCHANGING, &exEdit::OnWindowPosChanging},
    };
    exMessage current{message, wParam, lParam};
    if (const exHandled result = DispatchToHandler(*this, kHandlers, current)) return *result;
    return DefaultProcessing(current);
}

LRESULT exEdit::DefaultProcessing(const exMessage& message) {
    return exWnd::WindowProc(message.id, message.wParam, message.lParam);
}

exHandled exEdit::OnNcCalcSize(exMessage& message) {
    frameComputed_ = true;
    if (!HasScrollBox() || message.wParam == 0) return kNotHandled;
    // The box draws frame and bar: the whole window stays client area.
    const bool vertical = (GetStyle() & WS_VSCROLL) != 0;
    if (vertical != verticalScroll_) {
        verticalScroll_ = vertical;
        scrollBox_.SetVerticalScroll(vertical);
        scrollBox_.RequestLayout();
    }
    return 0;
}

exHandled exEdit::OnSizeOrFont(exMessage&) {
    AdjustHeight();
    return kNotHandled;
}

exHandled exEdit::OnPaint(exMessage& message) {
    const bool attached = HasScrollBox();
    LRESULT result = 0;
    if (ToolkitDrawsCue()) PaintCue();
    else result = DefaultProcessing(message);
    if (attached) scrollBox_.Synchronize();
    return result;
}

exHandled exEdit::OnPrintClient(exMessage& message) {
    const bool attached = HasScrollBox();
    const LRESULT result = DefaultProcessing(message);
    if (attached) scrollBox_.Synchronize();
    return result;
}

exHandled exEdit::OnNcPaint(exMessage& message) {
    if (Theme().SystemColors()) return kNotHandled;
    PaintFrame(message.wParam, message.lParam);
    return 0;
}

exHandled exEdit::OnSysColorChange(exMessage& message) {
    if (IsSchemeChangeMarker(message.id, message.lParam))
        RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
    return kNotHandled;
}

exHandled exEdit::OnKeyDown(exMessage& message) {
    if (message.wParam == 'A' && (GetAsyncKeyState(VK_CONTROL) & 0x8000) != 0) SendMessage(EM_SETSEL, 0, -1);
    return kNotHandled;
}

exHandled exEdit::OnMouseMove(exMessage&) {
    if (!HasScrollBox() || trackingMouse_) return kNotHandled;
    TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, Handle(), 0};
    trackingMouse_ = TrackMouseEvent(&track) != FALSE;
    InvalidateCorner();
    return kNotHandled;
}

exHandled exEdit::OnMouseLeave(exMessage&) {
    if (!HasScrollBox()) return kNotHandled;
    trackingMouse_ = false;
    InvalidateCorner();
    return kNotHandled;
}

exHandled exEdit::OnSetCueBanner(exMessage& message) {
    if (message.lParam == 0) return kNotHandled;
    const auto* text = reinterpret_cast<const wchar_t*>(message.lParam);
    if (banner_ != text && warning_ != text) {
        banner_ = text;
        bannerWhileFocused_ = message.wParam != 0;
        bannerColor_ = kDefaultCueColor;
    }
    return kNotHandled;
}

exHandled exEdit::OnNcHitTest(exMessage&) {
    if (HasScrollBox()) return HTCLIENT;
    return kNotHandled;
}

exHandled exEdit::OnScroll(exMessage& message) {
    if (!HasScrollBox()) return kNotHandled;
    DefaultProcessing(message);
    scrollBox_.Synchronize();
    return message.id == WM_MOUSEWHEEL ? 1 : 0;
}

exHandled exEdit::OnFocusChange(exMessage& message) {
    const bool attached = HasScrollBox();
    const LRESULT result = DefaultProcessing(message);
    // The frame's accent follows the focus, and so may the cue.
    if (attached) scrollBox_.Redraw();
    if ((!banner_.empty() || WarningActive()) && IsEmpty()) InvalidateRect(Handle(), nullptr, TRUE);
    return result;
}

exHandled exEdit::OnShowWindow(exMessage& message) {
    if (HasScrollBox() && message.lParam == 0)
        ShowWindow(scrollBox_.Handle(), message.wParam != 0 ? SW_SHOWNA : SW_HIDE);
    return kNotHandled;
}

exHandled exEdit::OnEnable(exMessage& message) {
    if (HasScrollBox()) EnableWindow(scrollBox_.Handle(), message.wParam != 0);
    return kNotHandled;
}

exHandled exEdit::OnWindowPosChanging(exMessage& message) {
    if (!HasScrollBox() || message.lParam == 0) return kNotHandled;
    // Whoever places the edit places the box; the edit keeps its place inside.
    auto* position = reinterpret_cast<WINDOWPOS*>(message.lParam);
    SetWindowPos(scrollBox_.Handle(), position->hwndInsertAfter, position->x, position->y, position->cx, position->cy,
                 position->flags & kPublicPositionFlags);
    position->flags |= SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER;
    return kNotHandled;
}
