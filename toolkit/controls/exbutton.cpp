#include "exbutton.h"

#include <vssym32.h>

#include <algorithm>

#include "../draw/drawservices.h"
#include "../draw/exfont.h"
#include "../draw/mirroring.h"
#include "../draw/shapes.h"
#include "../theme/extheme.h"
#include "exbasedlg.h"
#include "exsysicon.h"
#include "extooltip.h"

namespace {

constexpr DWORD kTypeMask = BS_TYPEMASK;
constexpr DWORD kHorizontalMask = BS_CENTER;  // BS_LEFT | BS_RIGHT
constexpr DWORD kVerticalMask = BS_VCENTER;   // BS_TOP | BS_BOTTOM
const wchar_t kTooltipPlaceholder[] = L"#0";

// The window rectangle in its parent's client coordinates.
RECT RectInParent(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

} // namespace

void exthemehandle::Open(HWND window, const wchar_t* classList) {
    Close();
    theme_ = OpenThemeData(window, classList);
}

void exthemehandle::Close() {
    if (theme_ != nullptr) CloseThemeData(theme_);
    theme_ = nullptr;
}

exButton::~exButton() {
    // Destroyed here, while the window still reaches this class's handlers.
    Detach(true);
}

bool exButton::IsOwnerDrawn() const {
    return Handle() != nullptr && (static_cast<DWORD>(GetStyle()) & kTypeMask) == BS_OWNERDRAW;
}

bool exButton::IsDefaultButton() const {
    return (buttonStyle_ & kTypeMask) == BS_DEFPUSHBUTTON;
}

bool exButton::UseSystemDrawing() {
    return Theme().SystemColors();
}

void exButton::ApplyStyle(bool forceTheme) {
    HWND window = Handle();
    if (window == nullptr) return;
    const bool system = UseSystemDrawing();
    DWORD low = buttonStyle_;
    if (!system) low = (low & ~DWORD{4}) | BS_OWNERDRAW;
    // The style change comes back as WM_STYLECHANGED, which must not be
    // mistaken for a change made by the application.
    applyingStyle_ = true;
    ModifyStyle(0xFFFF, static_cast<LONG>(low), true);
    applyingStyle_ = false;
    if (theme_.Get() == nullptr || forceTheme) {
        theme_.Close();
        if (!system && drawservices::ThemingAvailable()) theme_.Open(window, L"Button");
    }
}

void exButton::Bind(DWORD buttonStyle) {
    text_ = WindowTextOf(Handle());
    buttonStyle_ = buttonStyle & 0xFFFF;
    ApplyStyle();
    UpdateTooltip();
    AdjustLayout();
}

void exButton::OnSubclassed() {
    if (Handle() == nullptr) return;
    Bind(LOWORD(GetStyle()));
}

void exButton::UpdateTooltip() {
    HWND window = Handle();
    if (window == nullptr) return;
    exToolTipCtrl& tooltip = ToolTip();
    tooltip.RemoveTool(window);
    const exstring& wanted = tooltipText_.empty() ? exstring(kTooltipPlaceholder) : tooltipText_;
    const bool placeholder = wanted == kTooltipPlaceholder;
    if (placeholder && text_.empty()) return;
    if (!tooltip.Create()) return;
    tooltip.AddTool(window, placeholder ? text_.c_str() : wanted.c_str());
}

void exButton::Redraw() {
    if (Handle() != nullptr && IsWindowVisible(Handle())) InvalidateRect(Handle(), nullptr, FALSE);
}

void exButton::AdjustLayout() {}

void exButton::SetTextAlign(unsigned flags) {
    const DWORD horizontal = (flags & 1) != 0 ? BS_CENTER : (flags & 2) != 0 ? BS_RIGHT : BS_LEFT;
    const DWORD vertical = (flags & 4) != 0 ? BS_VCENTER : (flags & 8) != 0 ? BS_BOTTOM : BS_TOP;
    buttonStyle_ = (buttonStyle_ & ~(kHorizontalMask | kVerticalMask)) | horizontal | vertical;
    ApplyStyle();
    Redraw();
}

void exButton::SetTooltipText(const wchar_t* text) {
    tooltipText_ = text != nullptr ? exstring(text) : exstring();
    UpdateTooltip();
}

UINT exButton::TextFormat(DWORD buttonStyle, bool showCues) {
    UINT format = DT_SINGLELINE | DT_NOCLIP;
    switch (buttonStyle & kHorizontalMask) {
    case BS_LEFT: format |= DT_LEFT; break;
    case BS_RIGHT: format |= DT_RIGHT; break;
    default: format |= DT_CENTER; break;
    }
    switch (buttonStyle & kVerticalMask) {
    case BS_TOP: format |= DT_TOP; break;
    case BS_BOTTOM: format |= DT_BOTTOM; break;
    default: format |= DT_VCENTER; break;
    }
    if (!showCues) format |= DT_HIDEPREFIX;
    return format;
}

void exButton::DrawButtonText(HDC dc, RECT& rect, const ButtonPaintState& state) {
    DrawTextW(dc, text_.c_str(), -1, &rect, TextFormat(buttonStyle_, state.showCues) | ReadingOrderFormat(dc));
}

int exButton::PushButtonThemeState(const ButtonPaintState& state) const {
    if (state.pressed) return PBS_PRESSED;
    if (state.disabled) return PBS_DISABLED;
    if (state.hot) return PBS_HOT;
    if (state.focused || IsDefaultButton()) return defaultAsHot_ ? PBS_HOT : PBS_DEFAULTED;
    return PBS_NORMAL;
}

void exButton::GetColors(const DRAWITEMSTRUCT* item, ButtonPaintState& state) {
    const ThemeState& theme = Theme();
    const ColorScheme& colors = theme.Scheme();
    state = ButtonPaintState{};
    state.border = colors.border;
    state.face = colors.face;
    state.text = colors.text;

    HWND under = GetCapture();
    POINT cursor{};
    if (under == nullptr && GetCursorPos(&cursor)) under = WindowFromPoint(cursor);
    state.hot = Handle() != nullptr && under == Handle();
    const UINT itemState = item != nullptr ? item->itemState : 0;
    state.pressed = (itemState & ODS_SELECTED) != 0;
    state.focused = (itemState & ODS_FOCUS) != 0;
    state.disabled = (itemState & ODS_DISABLED) != 0;

    if (state.disabled) {
        state.face = colors.faceDisabled;
        state.text = colors.textDisabled;
    } else {
        if (state.pressed) state.face = colors.facePressed;
        else if (state.hot) state.face = colors.faceHot;
        if (state.pressed || state.hot || state.focused) state.border = colors.accent;
    }
    state.drawFocus = state.focused && (itemState & ODS_NOFOCUSRECT) == 0;
    state.showCues = (itemState & ODS_NOACCEL) == 0;
    if (IsDefaultButton() && !state.disabled) state.border = colors.accent;

    if (theme.SystemColors()) {
        COLORREF text = 0;
        if (theme_.Get() != nullptr &&
            SUCCEEDED(GetThemeColor(theme_.Get(), BP_PUSHBUTTON, PushButtonThemeState(state), TMT_TEXTCOLOR, &text)))
            state.text = text;
        else
            state.text = GetSysColor(state.disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT);
    }
}

void exButton::OnDrawItem(DRAWITEMSTRUCT* item) {
    if (item == nullptr || Handle() == nullptr) return;
    GetColors(item, paintState_);
    RECT client{};
    GetClientRect(Handle(), &client);
    // The buffer takes the target's font, so the control's font goes there first.
    HGDIOBJ previousFont = Font() != nullptr ? SelectObject(item->hDC, Font()) : nullptr;
    const bool noAnimation = noAnimation_ || (Theme().SystemColors() && theme_.Get() == nullptr);
    const int stateKey = (paintState_.hot ? 1 : 0) | (paintState_.pressed ? 2 : 0) | (paintState_.focused ? 4 : 0) |
                         (paintState_.disabled ? 8 : 0);
    Paint(Handle(), item->hDC, client, stateKey, noAnimation);
    if (previousFont != nullptr) SelectObject(item->hDC, previousFont);
}

RECT exButton::DrawClassicFrame(HDC dc, const RECT& rect, const ButtonPaintState& state) {
    RECT inner = rect;
    if ((state.focused || IsDefaultButton()) && !state.disabled) {
        BorderStrips(dc, inner, GetSysColor(COLOR_WINDOWFRAME), kAllSides, 1);
        InflateRect(&inner, -1, -1);
    }
    if (state.pressed) {
        BorderStrips(dc, inner, GetSysColor(COLOR_BTNSHADOW), kAllSides, 1);
    } else {
        Edge3D(dc, inner, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_3DDKSHADOW));
        RECT edge = inner;
        InflateRect(&edge, -1, -1);
        Edge3D(dc, edge, GetSysColor(COLOR_3DLIGHT), GetSysColor(COLOR_BTNSHADOW));
    }
    InflateRect(&inner, -2, -2);
    return inner;
}

void exButton::DrawState(HDC dc, const RECT& rect, int) {
    const ButtonPaintState& state = paintState_;
    const ThemeState& theme = Theme();
    const bool systemColors = theme.SystemColors();
    RECT inner = rect;
    COLORREF text = state.text;
    bool themed = false;

    if (systemColors) {
        SolidFill(dc, rect, GetSysColor(COLOR_BTNFACE));
        if (HTHEME handle = theme_.Get()) {
            themed = true;
            const int part = PushButtonThemeState(state);
            DrawThemeBackground(handle, dc, BP_PUSHBUTTON, part, &rect, nullptr);
            RECT content{};
            if (SUCCEEDED(GetThemeBackgroundContentRect(handle, dc, BP_PUSHBUTTON, part, &rect, &content)))
                inner = content;
            COLORREF themeText = 0;
            if (SUCCEEDED(GetThemeColor(handle, BP_PUSHBUTTON, part, TMT_TEXTCOLOR, &themeText))) text = themeText;
        } else {
            inner = DrawClassicFrame(dc, rect, state);
        }
    } else {
        SolidFill(dc, rect, state.face);
        BorderStrips(dc, rect, state.border, kAllSides, 1);
        InflateRect(&inner, -2, -2);
    }

    if (state.drawFocus) FocusFrame(dc, inner, text);
    if (!themed) {
        InflateRect(&inner, -1, systemColors ? 0 : -1);
        if (systemColors && state.pressed) OffsetRect(&inner, 1, 1);
    }
    SetTextColor(dc, text);
    SetBkMode(dc, TRANSPARENT);
    DrawButtonText(dc, inner, state);
}

LRESULT exButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT handled = 0;
    if (ThemePreHandler(*this, Handle(), message, wParam, lParam, handled)) return handled;

    static constexpr exMessageEntry<exButton> kHandlers[] = {
        {WM_CHAR, &exButton::OnChar},
        {WM_DESTROY, &exButton::OnDestroy},
        {WM_SETTEXT, &exButton::OnSetText},
        {WM_ERASEBKGND, &exButton::OnEraseBkgnd},
        {WM_SYSCOLORCHANGE, &exButton::OnSysColorChange},
        {WM_STYLECHANGED, &exButton::OnStyleChanged},
        {BM_SETSTYLE, &exButton::OnSetStyle},
        {WM_CHANGEUISTATE, &exButton::OnUiState},
        {WM_UPDATEUISTATE, &exButton::OnUiState},
        {WM_MOUSEMOVE, &exButton::OnMouseMove},
        {WM_MOUSELEAVE, &exButton::OnMouseLeave},
        {WM_LBUTTONDBLCLK, &exButton::OnLButtonDblClk},
        {WM_THEMECHANGED, &exButton::OnThemeChanged},
        {WM_SIZE, &exButton::OnSizeOrFont},
        {WM_SETFONT, &exButton::OnSizeOrFont},
        {WM_GETDLGCODE, &exButton::OnGetDlgCode},
    };
    exMessage current{message, wParam, lParam};
    if (const exHandled result = DispatchToHandler(*this, kHandlers, current)) return *result;
    return DefaultProcessing(current);
}

LRESULT exButton::DefaultProcessing(const exMessage& message) {
    return exWnd::WindowProc(message.id, message.wParam, message.lParam);
}

exHandled exButton::OnChar(exMessage& message) {
    if (message.wParam != VK_RETURN) return kNotHandled;
    HWND window = Handle();
    const auto id = static_cast<WORD>(GetWindowLongPtrW(window, GWLP_ID));
    PostMessageW(GetParent(window), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(window));
    return 0;
}

exHandled exButton::OnDestroy(exMessage&) {
    ToolTip().RemoveTool(Handle());
    theme_.Close();
    return kNotHandled;
}

exHandled exButton::OnSetText(exMessage& message) {
    StopAnimation(Handle(), false);
    text_ = message.lParam != 0 ? exstring(reinterpret_cast<const wchar_t*>(message.lParam)) : exstring();
    UpdateTooltip();
    return OnSizeOrFont(message);
}

exHandled exButton::OnEraseBkgnd(exMessage& message) {
    if (message.wParam != 0 && !UseSystemDrawing()) return 1;
    return kNotHandled;
}

exHandled exButton::OnSysColorChange(exMessage& message) {
    if (!IsSchemeChangeMarker(message.id, message.lParam)) return kNotHandled;
    ApplyStyle();
    if (IsWindowVisible(Handle())) {
        StopAnimation(Handle(), false);
        RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
    }
    return 0;
}

exHandled exButton::OnStyleChanged(exMessage& message) {
    if (message.wParam != static_cast<WPARAM>(GWL_STYLE) || message.lParam == 0) return kNotHandled;
    if (applyingStyle_) return 0;
    DWORD low = LOWORD(reinterpret_cast<const STYLESTRUCT*>(message.lParam)->styleNew);
    if ((low & kTypeMask) == BS_OWNERDRAW) low = (low & ~kTypeMask) | (buttonStyle_ & kTypeMask);
    const bool changed = low != buttonStyle_;
    buttonStyle_ = low;
    ApplyStyle();
    if (changed) Redraw();
    return 0;
}

exHandled exButton::OnSetStyle(exMessage& message) {
    buttonStyle_ = (buttonStyle_ & ~kTypeMask) | (static_cast<DWORD>(message.wParam) & kTypeMask);
    ApplyStyle();
    if (LOWORD(message.lParam) != 0) Redraw();
    return 0;
}

exHandled exButton::OnUiState(exMessage&) {
    Redraw();
    return kNotHandled;
}

exHandled exButton::OnMouseMove(exMessage&) {
    if (IsOwnerDrawn() && !hot_) {
        hot_ = true;
        TRACKMOUSEEVENT track{};
        track.cbSize = sizeof(track);
        track.dwFlags = TME_LEAVE;
        track.hwndTrack = Handle();
        TrackMouseEvent(&track);
        Redraw();
    }
    return kNotHandled;
}

exHandled exButton::OnMouseLeave(exMessage&) {
    if (IsOwnerDrawn()) {
        hot_ = false;
        Redraw();
    }
    return kNotHandled;
}

exHandled exButton::OnLButtonDblClk(exMessage& message) {
    // The system reports a double click on an owner-drawn button as
    // BN_DOUBLECLICKED; posting a press makes it a second click instead.
    PostMessageW(Handle(), WM_LBUTTONDOWN, message.wParam, message.lParam);
    return 0;
}

exHandled exButton::OnThemeChanged(exMessage&) {
    ApplyStyle(true);
    return kNotHandled;
}

exHandled exButton::OnSizeOrFont(exMessage& message) {
    const LRESULT result = DefaultProcessing(message);
    AdjustLayout();
    return result;
}

exHandled exButton::OnGetDlgCode(exMessage& message) {
    LRESULT result = DefaultProcessing(message);
    const auto* queued = reinterpret_cast<const MSG*>(message.lParam);
    const bool enter = message.wParam == VK_RETURN ||
                       (queued != nullptr && queued->wParam == VK_RETURN &&
                        (queued->message == WM_KEYDOWN || queued->message == WM_CHAR));
    if (enter) result |= DLGC_WANTALLKEYS;
    if (IsOwnerDrawn()) {
        const DWORD type = buttonStyle_ & kTypeMask;
        if (type == BS_PUSHBUTTON) result |= DLGC_UNDEFPUSHBUTTON;
        else if (type == BS_DEFPUSHBUTTON) result |= DLGC_DEFPUSHBUTTON;
    }
    return result;
}

// exButton_Link

exButton_Link::~exButton_Link() {
    Detach(true);
}

bool exButton_Link::UseSystemDrawing() {
    return false;
}

void exButton_Link::SetAutoSize(bool on) {
    autoSize_ = on ? 1 : 0;
    AdjustLayout();
}

void exButton_Link::SetPrefixMode(BYTE mode) {
    prefixMode_ = mode <= kPrefixByCues ? mode : static_cast<BYTE>(kPrefixNone);
    AdjustLayout();
    Redraw();
}

void exButton_Link::GetColors(const DRAWITEMSTRUCT* item, ButtonPaintState& state) {
    exButton::GetColors(item, state);
    const ThemeState& theme = Theme();
    if (theme.SystemColors()) {
        state.text = state.disabled ? GetSysColor(COLOR_GRAYTEXT) : SystemLinkColor(GetSysColor(COLOR_BTNFACE));
        state.face = GetSysColor(COLOR_BTNFACE);
        state.border = GetSysColor(COLOR_BTNTEXT);
    } else {
        const ColorScheme& colors = theme.Scheme();
        state.text = state.disabled ? colors.textDisabled : colors.link;
        state.face = colors.background;
        state.border = colors.text;
    }
}

void exButton_Link::DrawState(HDC dc, const RECT& rect, int) {
    const ButtonPaintState& state = PaintState();
    SolidFill(dc, rect, state.face);
    RECT textRect = rect;
    InflateRect(&textRect, -1, -1);
    UINT format = DT_SINGLELINE | DT_NOCLIP | DT_END_ELLIPSIS;
    if (prefixMode_ == kPrefixNone) format |= DT_NOPREFIX;
    else if (prefixMode_ == kPrefixHide || !state.showCues) format |= DT_HIDEPREFIX;
    SetTextColor(dc, state.text);
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, Text().c_str(), -1, &textRect, format | ReadingOrderFormat(dc));
    const RECT underline{textRect.left, textRect.bottom - 1, textRect.right, textRect.bottom};
    SolidFill(dc, underline, state.text);
    if (state.drawFocus) FocusFrame(dc, rect, state.border);
}

// The program's links are left-aligned and vertically centred: the text
// grows to the right.
RECT exButton_Link::PlaceFitted(const RECT& current, SIZE size) {
    const LONG top = current.top + (current.bottom - current.top - size.cy) / 2;
    return RECT{current.left, top, current.left + size.cx, top + size.cy};
}

void exButton_Link::AdjustLayout() {
    HWND window = Handle();
    if (autoSize_ == 0 || window == nullptr) return;
    RECT measured{0, 0, 32000, 32000};
    const UINT format = DT_SINGLELINE | DT_NOCLIP | (prefixMode_ == kPrefixNone ? DT_NOPREFIX : 0u);
    MeasureText(Text().c_str(), format, window, Font(), measured);
    InflateRect(&measured, 1, 1);
    const RECT current = RectInParent(window);
    const RECT placed = PlaceFitted(current, SIZE{measured.right - measured.left, measured.bottom - measured.top});
    if (EqualRect(&placed, &current)) return;
    SetWindowPos(window, nullptr, placed.left, placed.top, placed.right - placed.left, placed.bottom - placed.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSENDCHANGING);
}

LRESULT exButton_Link::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETCURSOR) {
        SetCursor(HandCursor());
        return TRUE;
    }
    return exButton::WindowProc(message, wParam, lParam);
}
