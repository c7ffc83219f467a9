#include "exstatic.h"

#include <algorithm>

#include "../draw/drawservices.h"
#include "../draw/mirroring.h"
#include "../draw/shapes.h"
#include "../theme/extheme.h"
#include "exbasedlg.h"
#include "exsysicon.h"

namespace {

const UINT kResizeFlags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSENDCHANGING;

// The height the window's non-client parts add to its client height.
SIZE NonClientSize(HWND window) {
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE)));
    return SIZE{frame.right - frame.left, frame.bottom - frame.top};
}

// A separator line from `left` to `right` at `y`.
void LinePart(HDC dc, int left, int right, int y, bool systemColors) {
    if (right <= left) return;
    if (systemColors) {
        RECT edge{left, y, right, y + 2};
        DrawEdge(dc, &edge, EDGE_ETCHED, BF_TOP);
    } else {
        // The scheme's line colour: its button face all but vanishes on the ground.
        SolidFill(dc, RECT{left, y, right, y + 1}, Theme().Scheme().line);
    }
}

} // namespace

// The program's texts are all left-aligned; a no-wrap static keeps to one line.
UINT StaticStyleFlags(LONG style, bool hidePrefix) {
    UINT flags = DT_WORDBREAK | DT_NOCLIP;
    if ((style & SS_TYPEMASK) == SS_LEFTNOWORDWRAP) flags |= DT_SINGLELINE;
    // Laid out as an edit control lays it out, tabs included: a message box's text.
    if ((style & SS_EDITCONTROL) != 0) flags |= DT_EDITCONTROL | DT_EXPANDTABS;
    if ((style & SS_NOPREFIX) != 0)
        flags |= DT_NOPREFIX;
    else if (hidePrefix)
        flags |= DT_HIDEPREFIX;
    return flags;
}

// ---- exStatic ----

exStatic::~exStatic() = default;

void exStatic::SetTextColor(COLORREF color) {
    if (textColor_ == color) return;
    textColor_ = color;
    RedrawIfVisible();
}

UINT exStatic::TextFlags() const {
    const bool hidePrefix = Handle() != nullptr && (SendMessage(WM_QUERYUISTATE) & UISF_HIDEACCEL) != 0;
    return StaticStyleFlags(staticStyle_, hidePrefix);
}

void exStatic::RedrawIfVisible() {
    if (Handle() != nullptr && IsWindowVisible(Handle())) RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE);
}

void exStatic::ResizeClient(int clientWidth, int clientHeight) {
    if (Handle() == nullptr) return;
    RECT window{};
    GetWindowRect(Handle(), &window);
    const SIZE frame = NonClientSize(Handle());
    const int oldWidth = window.right - window.left;
    const int oldHeight = window.bottom - window.top;
    const int width = clientWidth < 0 ? oldWidth : std::max(clientWidth, 0) + frame.cx;
    const int height = std::max(clientHeight, 0) + frame.cy;
    if (width == oldWidth && height == oldHeight) return;
    SetWindowPos(Handle(), nullptr, 0, 0, width, height, kResizeFlags);
}

// Wrapped lines keep a little room at the right: some renderers draw a
// glyph a pixel or two past the width its line was measured to fit in.
RECT exStatic::WrapArea(RECT rect) const {
    const UINT flags = TextFlags();
    if ((flags & DT_WORDBREAK) != 0 && (flags & DT_SINGLELINE) == 0 && rect.right - rect.left > 2 * kWrapSlack)
        rect.right -= kWrapSlack;
    return rect;
}

void exStatic::AdjustHeight() {
    if (Handle() == nullptr) return;
    RECT client{};
    GetClientRect(Handle(), &client);
    RECT measured = WrapArea(RECT{0, 0, client.right, 0});
    const int height = MeasureText(text_.c_str(), TextFlags(), Handle(), Font(), measured);
    ResizeClient(-1, height);
}

void exStatic::DrawStaticText(HDC dc, const RECT& rect) {
    if (text_.empty()) return;
    RECT area = WrapArea(rect);
    DrawTextW(dc, text_.c_str(), -1, &area, TextFlags() | ReadingOrderFormat(dc));
}

void exStatic::DrawState(HDC dc, const RECT& rect, int) {
    ThemeState& theme = Theme();
    HWND parent = Handle() != nullptr ? GetParent(Handle()) : nullptr;
    HBRUSH brush = nullptr;
    if (parent != nullptr)
        brush = reinterpret_cast<HBRUSH>(::SendMessageW(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                                        reinterpret_cast<LPARAM>(Handle())));
    if (brush == nullptr) {
        SolidFill(dc, rect, theme.BackgroundColor());
        return;
    }
    FillRect(dc, &rect, brush);
    COLORREF color = textColor_;
    if (color == kThemeTextColor) {
        const bool enabled = IsWindowEnabled(Handle()) != FALSE;
        if (theme.SystemColors())
            color = GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
        else
            color = enabled ? theme.Scheme().text : theme.Scheme().textDisabled;
    }
    ::SetTextColor(dc, color);
    SetBkMode(dc, TRANSPARENT);
    DrawStaticText(dc, rect);
}

void exStatic::OnSubclassed() {
    if (Handle() == nullptr) return;
    text_ = WindowTextOf(Handle());
    staticStyle_ = GetStyle();
    ModifyStyle(SS_TYPEMASK | WS_BORDER, SS_OWNERDRAW, false);
    ModifyStyleEx(WS_EX_CLIENTEDGE | WS_EX_STATICEDGE, 0, true);
    if (!fixedHeight_) AdjustHeight();
}

void exStatic::OnDrawItem(DRAWITEMSTRUCT* item) {
    if (item == nullptr || item->hDC == nullptr) return;
    RECT client{};
    GetClientRect(Handle(), &client);
    const HGDIOBJ previousFont = Font() != nullptr ? SelectObject(item->hDC, Font()) : nullptr;
    Paint(Handle(), item->hDC, client, 0, true);
    if (previousFont != nullptr) SelectObject(item->hDC, previousFont);
}

// The type stays the one recorded at binding; the window stays owner-drawn,
// whatever type another program sets on it.
void exStatic::ApplyStyleChange(const STYLESTRUCT& change) {
    const LONG before = staticStyle_;
    const LONG style = static_cast<LONG>(change.styleNew);
    staticStyle_ = (staticStyle_ & SS_TYPEMASK) | (style & ~SS_TYPEMASK);
    if ((style & SS_TYPEMASK) != SS_OWNERDRAW) ModifyStyle(SS_TYPEMASK, SS_OWNERDRAW, true);
    if (staticStyle_ != before) RedrawIfVisible();
}

LRESULT exStatic::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT handled = 0;
    if (ThemePreHandler(*this, Handle(), message, wParam, lParam, handled)) return handled;
    static constexpr exMessageEntry<exStatic> kHandlers[] = {
        {WM_SYSCOLORCHANGE, &exStatic::OnSysColorChange},
        {WM_SIZE, &exStatic::OnSizeOrFont},
        {WM_SETFONT, &exStatic::OnSizeOrFont},
        {WM_SETTEXT, &exStatic::OnSetText},
        {WM_ERASEBKGND, &exStatic::OnEraseBkgnd},
        {WM_STYLECHANGED, &exStatic::OnStyleChanged},
        {WM_CHANGEUISTATE, &exStatic::OnUiState},
        {WM_UPDATEUISTATE, &exStatic::OnUiState},
    };
    exMessage current{message, wParam, lParam};
    if (const exHandled result = DispatchToHandler(*this, kHandlers, current)) return *result;
    return DefaultProcessing(current);
}

LRESULT exStatic::DefaultProcessing(const exMessage& message) {
    return exWnd::WindowProc(message.id, message.wParam, message.lParam);
}

exHandled exStatic::OnSysColorChange(exMessage& message) {
    if (IsSchemeChangeMarker(message.id, message.lParam)) {
        StopAnimation(Handle(), false);
        RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE);
    }
    return kNotHandled;
}

exHandled exStatic::OnSizeOrFont(exMessage& message) {
    const LRESULT result = DefaultProcessing(message);
    if (!fixedHeight_) AdjustHeight();
    return result;
}

exHandled exStatic::OnSetText(exMessage& message) {
    const LRESULT result = DefaultProcessing(message);
    text_ = message.lParam != 0 ? exstring(reinterpret_cast<const wchar_t*>(message.lParam)) : exstring();
    if (!fixedHeight_) AdjustHeight();
    RedrawIfVisible();
    return result;
}

exHandled exStatic::OnEraseBkgnd(exMessage&) {
    return 1;
}

exHandled exStatic::OnStyleChanged(exMessage& message) {
    const LRESULT result = DefaultProcessing(message);
    if (static_cast<int>(message.wParam) == GWL_STYLE && message.lParam != 0)
        ApplyStyleChange(*reinterpret_cast<const STYLESTRUCT*>(message.lParam));
    return result;
}

exHandled exStatic::OnUiState(exMessage& message) {
    const LRESULT result = DefaultProcessing(message);
    RedrawIfVisible();
    return result;
}

// ---- exSPLine ----

void exSPLine::AdjustHeight() {
    if (Handle() != nullptr) ResizeClient(-1, 2);
}

void exSPLine::DrawStaticText(HDC dc, const RECT& rect) {
    LinePart(dc, rect.left, rect.right, rect.top + (rect.bottom - rect.top + 1) / 2, Theme().SystemColors());
}

// ---- exPictureBox ----

exPictureBox::~exPictureBox() = default;

void exPictureBox::ReadIconSize() {
    const SIZE size = IconBitmapSize(icon_);
    iconWidth_ = size.cx;
    iconHeight_ = size.cy;
}

void exPictureBox::SetIcon(HICON icon) {
    icon_ = icon;
    ReadIconSize();
    AdjustHeight();
    RedrawIfVisible();
}

void exPictureBox::AdjustHeight() {
    ResizeClient(std::max(iconWidth_, 0), std::max(iconHeight_, 0));
}

void exPictureBox::DrawStaticText(HDC dc, const RECT& rect) {
    if (icon_ == nullptr || iconWidth_ < 1 || iconHeight_ < 1) return;
    DrawIconUnmirrored(dc, rect.left, rect.top, icon_, iconWidth_, iconHeight_);
}
