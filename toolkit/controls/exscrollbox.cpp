#include "exscrollbox.h"

#include <vsstyle.h>
#include <windowsx.h>

#include <algorithm>

#include "../draw/shapes.h"
#include "../theme/extheme.h"

namespace {

const wchar_t kClassName[] = L"exScrollBx";
const LONG kEdgeStyles = WS_EX_CLIENTEDGE | WS_EX_STATICEDGE | WS_EX_WINDOWEDGE;
const UINT kLayoutMessage = WM_APP + 1;

int Height(const RECT& rect) {
    return rect.bottom - rect.top;
}

RECT Box(const RECT& bar, LONG top, LONG bottom) {
    return RECT{bar.left, top, bar.right, bottom};
}

POINT PointOf(LPARAM lParam) {
    return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

// The edit's scroll position for a thumb whose top is at `thumbTop`.
int ThumbPosition(HWND edit, const ScrollBarLayout& layout, LONG thumbTop, int thumbLength) {
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    if (!GetScrollInfo(edit, SB_VERT, &info)) return 0;
    const LONG trackTop = layout.parts[kPartUpArrow].bottom;
    const int travel = layout.parts[kPartDownArrow].top - trackTop - thumbLength;
    const int range = info.nMax - info.nMin + 1 - std::max<int>(static_cast<int>(info.nPage), 1);
    if (travel <= 0 || range <= 0) return info.nMin;
    return info.nMin + MulDiv(static_cast<int>(thumbTop - trackTop), range, travel);
}

int PartThemeState(bool unavailable, bool pressed, bool hot) {
    if (unavailable) return SCRBS_DISABLED;
    if (pressed) return SCRBS_PRESSED;
    return hot ? SCRBS_HOT : SCRBS_NORMAL;
}

} // namespace

ScrollBarLayout::ScrollBarLayout() : parts{} {
    std::fill(std::begin(states), std::end(states), static_cast<DWORD>(STATE_SYSTEM_UNAVAILABLE));
}

bool ScrollBarLayout::Available() const {
    return !IsRectEmpty(&parts[kPartBar]) && (states[0] & STATE_SYSTEM_UNAVAILABLE) == 0;
}

bool ScrollBarLayout::operator==(const ScrollBarLayout& other) const {
    for (int i = 0; i < 6; ++i)
        if (!EqualRect(&parts[i], &other.parts[i])) return false;
    return std::equal(std::begin(states), std::end(states), std::begin(other.states));
}

ScrollBarLayout LayoutScrollBar(const SCROLLBARINFO& info, LONG clientRight, bool border, int minThumb) {
    ScrollBarLayout layout;
    RECT bar = info.rcScrollBar;
    if (IsRectEmpty(&bar)) return layout;
    OffsetRect(&bar, clientRight - (border ? 1 : 0) - bar.right, 0);
    layout.parts[kPartBar] = bar;
    std::copy(std::begin(info.rgstate), std::end(info.rgstate), std::begin(layout.states));

    const int arrow = std::min(info.dxyLineButton, Height(bar) / 2);
    layout.parts[kPartUpArrow] = Box(bar, bar.top, bar.top + arrow);
    layout.parts[kPartDownArrow] = Box(bar, bar.bottom - arrow, bar.bottom);
    const LONG trackTop = bar.top + arrow;
    const LONG trackBottom = bar.bottom - arrow;
    if (trackBottom - trackTop < minThumb) return layout;  // arrows only

    LONG thumbTop = std::clamp<LONG>(bar.top + info.xyThumbTop, trackTop, trackBottom);
    LONG thumbBottom = std::clamp<LONG>(bar.top + info.xyThumbBottom, thumbTop, trackBottom);
    if (thumbBottom - thumbTop < minThumb) {
        const LONG centre = (thumbTop + thumbBottom) / 2;
        thumbTop = centre - minThumb / 2;
        thumbBottom = thumbTop + minThumb;
        if (thumbTop < trackTop) {
            thumbBottom += trackTop - thumbTop;
            thumbTop = trackTop;
        }
        if (thumbBottom > trackBottom) {
            thumbTop -= thumbBottom - trackBottom;
            thumbBottom = trackBottom;
        }
    }
    layout.parts[kPartThumb] = Box(bar, thumbTop, thumbBottom);
    layout.parts[kPartPageUp] = Box(bar, trackTop, thumbTop);
    layout.parts[kPartPageDown] = Box(bar, thumbBottom, trackBottom);
    return layout;
}

int HitTestScrollBar(const ScrollBarLayout& layout, POINT point) {
    for (int part : {kPartThumb, kPartUpArrow, kPartDownArrow, kPartPageUp, kPartPageDown})
        if (PtInRect(&layout.parts[part], point)) return part;
    return PtInRect(&layout.parts[kPartBar], point) ? kPartBar : kPartNone;
}

exScrollBox::exScrollBox() : exBaseDlg(0) {
    BeginTemplate(248, 79, false, 0);
    SetTemplateClassName(kClassName);
}

exScrollBox::~exScrollBox() {
    // Destroyed while this object is whole, so its own handlers see the end.
    Detach(true);
    CloseTheme();
}

void exScrollBox::Attach(HWND edit) {
    HWND parent = edit != nullptr ? GetParent(edit) : nullptr;
    if (parent == nullptr) return;
    if (Handle() == nullptr && !Create(parent)) return;
    HWND box = Handle();

    useBackground_ = FALSE;
    SetWindowLongPtrW(box, GWLP_ID, GetWindowLongPtrW(edit, GWLP_ID));
    const ULONG_PTR classStyle = GetClassLongPtrW(box, GCL_STYLE);
    if (classStyle & CS_DBLCLKS) SetClassLongPtrW(box, GCL_STYLE, static_cast<LONG_PTR>(classStyle & ~CS_DBLCLKS));

    RECT place{};
    GetWindowRect(edit, &place);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&place), 2);
    // The box takes the edit's place in the tab order: right after its previous sibling.
    HWND previous = GetWindow(edit, GW_HWNDPREV);
    SetWindowPos(box, previous != nullptr ? previous : HWND_TOP, place.left, place.top, place.right - place.left,
                 place.bottom - place.top,
                 SWP_NOSENDCHANGING | SWP_NOACTIVATE | (previous == box ? SWP_NOZORDER : 0));

    SetParent(edit, box);
    edit_ = edit;
    const LONG style = GetWindowLongW(edit, GWL_STYLE);
    const LONG exStyle = GetWindowLongW(edit, GWL_EXSTYLE);
    verticalScroll_ = (style & WS_VSCROLL) != 0;
    if (style & WS_GROUP) ModifyStyle(0, WS_GROUP);

    border_ = (style & WS_BORDER) != 0 || (exStyle & kEdgeStyles) != 0;
    SetWindowLongW(edit, GWL_STYLE, style & ~WS_BORDER);
    SetWindowLongW(edit, GWL_EXSTYLE, exStyle & ~kEdgeStyles);
    SetWindowPos(edit, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED | SWP_NOSENDCHANGING);

    LayoutControls();
    if (style & WS_VISIBLE) ShowWindow(box, SW_SHOWNA);
    if (!IsWindowEnabled(edit)) EnableWindow(box, FALSE);
}

BOOL exScrollBox::OnInitDialog() {
    exBaseDlg::OnInitDialog();
    OpenTheme();
    ModifyStyle(WS_BORDER | WS_TABSTOP, WS_CLIPCHILDREN | DS_CONTROL);
    ModifyStyleEx(WS_EX_TOOLWINDOW, WS_EX_CONTROLPARENT);
    return TRUE;
}

RECT exScrollBox::Insets() const {
    RECT insets = border_ ? RECT{2, 2, 2, 2} : RECT{0, 0, 0, 0};
    const RECT& bar = layout_.parts[kPartBar];
    if (!IsRectEmpty(&bar)) insets.right += bar.right - bar.left - 1;
    return insets;
}

void exScrollBox::LayoutControls() {
    if (Handle() == nullptr || edit_ == nullptr || GetParent(edit_) != Handle()) return;
    // The bar's place follows the edit's, so a moved edit is measured again.
    UpdateLayout();
    for (int pass = 0; pass < 2; ++pass) {
        RECT client{};
        GetClientRect(Handle(), &client);
        const RECT insets = Insets();
        RECT target{client.left + insets.left, client.top + insets.top, client.right - insets.right,
                    client.bottom - insets.bottom};
        target.right = std::max(target.right, target.left);
        target.bottom = std::max(target.bottom, target.top);
        RECT current{};
        GetWindowRect(edit_, &current);
        MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&current), 2);
        if (EqualRect(&current, &target)) break;
        StopAnimation(Handle(), false);
        SetWindowPos(edit_, nullptr, target.left, target.top, target.right - target.left, target.bottom - target.top,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSENDCHANGING);
        if (!UpdateLayout()) break;
    }
}

bool exScrollBox::UpdateLayout() {
    ScrollBarLayout fresh;
    SCROLLBARINFO info{};
    info.cbSize = sizeof(info);
    if (GetWindow(Handle(), GW_CHILD) != nullptr && edit_ != nullptr &&
        (GetWindowLongW(edit_, GWL_STYLE) & WS_VSCROLL) != 0 && GetScrollBarInfo(edit_, OBJID_VSCROLL, &info) &&
        !IsRectEmpty(&info.rcScrollBar)) {
        MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&info.rcScrollBar), 2);
        RECT client{};
        GetClientRect(Handle(), &client);
        fresh = LayoutScrollBar(info, client.right, border_, GetSystemMetrics(SM_CYVTHUMB));
    }
    const bool changed = fresh != layout_;
    layout_ = fresh;
    return changed;
}

int exScrollBox::PartAt(POINT client) const {
    const int part = HitTestScrollBar(layout_, client);
    if (part != kPartNone) return part;
    RECT area{};
    GetClientRect(Handle(), &area);
    return PtInRect(&area, client) ? kPartBody : kPartNone;
}

int exScrollBox::HotPartFromCursor() const {
    POINT cursor{};
    if (!GetCursorPos(&cursor)) return kPartNone;
    HWND capture = GetCapture();
    if (capture != nullptr && capture != Handle() && capture != edit_) return kPartNone;
    HWND under = WindowFromPoint(cursor);
    if (capture == nullptr && under != Handle() && under != edit_) return kPartNone;
    ScreenToClient(Handle(), &cursor);
    return PartAt(cursor);
}

void exScrollBox::Synchronize() {
    if (Handle() == nullptr) return;
    bool changed = false;
    // The edit's own scroll loop swallowed the button release of an arrow or page click.
    if (pressedPart_ != kPartNone && drag_.capture == nullptr && (GetKeyState(VK_LBUTTON) & 0x8000) == 0) {
        pressedPart_ = kPartNone;
        changed = true;
    }
    if (UpdateLayout()) changed = true;
    const int hot = HotPartFromCursor();
    if (hot != hotPart_) {
        hotPart_ = hot;
        changed = true;
    }
    if (changed) StopAnimation(Handle(), true);
}

void exScrollBox::Redraw() {
    if (Handle() != nullptr) RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE);
}

void exScrollBox::RequestLayout() {
    if (Handle() != nullptr) PostMessageW(Handle(), kLayoutMessage, 0, 0);
}

void exScrollBox::OpenTheme() {
    CloseTheme();
    if (Handle() != nullptr) theme_ = OpenThemeData(Handle(), L"ScrollBar");
}

void exScrollBox::CloseTheme() {
    if (theme_ != nullptr) CloseThemeData(theme_);
    theme_ = nullptr;
}

void exScrollBox::TrackThumb(POINT client) {
    const int length = Height(drag_.thumb);
    const LONG trackTop = layout_.parts[kPartUpArrow].bottom;
    const LONG trackBottom = layout_.parts[kPartDownArrow].top;
    LONG top = drag_.startTop + (client.y - drag_.start.y);
    top = std::max(trackTop, std::min(top, trackBottom - length));
    OffsetRect(&drag_.thumb, 0, top - drag_.thumb.top);
    StopAnimation(Handle(), false);
    ::SendMessageW(edit_, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, ThumbPosition(edit_, layout_, top, length)), 0);
}

void exScrollBox::EndDrag() {
    if (drag_.capture == nullptr) return;
    const int position = ThumbPosition(edit_, layout_, drag_.thumb.top, Height(drag_.thumb));
    drag_ = Drag{};
    if (GetCapture() == Handle()) ReleaseCapture();
    if (edit_ != nullptr && IsWindow(edit_)) {
        ::SendMessageW(edit_, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, position), 0);
        ::SendMessageW(edit_, WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0), 0);
    }
}

RECT exScrollBox::ThumbRect() const {
    return drag_.capture != nullptr ? drag_.thumb : layout_.parts[kPartThumb];
}

LRESULT exScrollBox::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT handled = 0;
    if (ThemePreHandler(*this, Handle(), message, wParam, lParam, handled)) return handled;

    static constexpr exMessageEntry<exScrollBox> kHandlers[] = {
        {WM_MOUSEMOVE, &exScrollBox::OnMouseMove},
        {WM_MOUSELEAVE, &exScrollBox::OnMouseLeave},
        {WM_LBUTTONDOWN, &exScrollBox::OnLButtonDown},
        {WM_LBUTTONUP, &exScrollBox::OnLButtonUp},
        {WM_CAPTURECHANGED, &exScrollBox::OnCaptureChanged},
        {WM_LBUTTONDBLCLK, &exScrollBox::OnLButtonDblClk},
        {WM_MOUSEWHEEL, &exScrollBox::OnMouseWheel},
        {WM_PAINT, &exScrollBox::OnPaint},
        {WM_PRINTCLIENT, &exScrollBox::OnPrintClient},
        {WM_ERASEBKGND, &exScrollBox::OnEraseBkgnd},
        {WM_GETTEXT, &exScrollBox::OnGetText},
        {WM_GETTEXTLENGTH, &exScrollBox::OnGetText},
        {WM_SETTEXT, &exScrollBox::ForwardToEdit},
        {WM_CONTEXTMENU, &exScrollBox::OnContextMenu},
        {WM_COMMAND, &exScrollBox::ForwardEditCommand},
        {kLayoutMessage, &exScrollBox::OnLayoutRequest},
        {WM_THEMECHANGED, &exScrollBox::OnThemeChanged},
        {WM_DESTROY, &exScrollBox::OnDestroy},
    };
    exMessage current{message, wParam, lParam};
    if (const exHandled result = DispatchToHandler(*this, kHandlers, current)) return *result;
    return exBaseDlg::WindowProc(current.id, current.wParam, current.lParam);
}

exHandled exScrollBox::OnMouseMove(exMessage& message) {
    const POINT point = PointOf(message.lParam);
    bool changed = false;
    if (drag_.capture != nullptr) {
        TrackThumb(point);
        changed = true;
    }
    const int hot = PartAt(point);
    if (hot != hotPart_) {
        hotPart_ = hot;
        changed = true;
    }
    if (!tracking_) {
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, Handle(), 0};
        tracking_ = TrackMouseEvent(&track) != FALSE;
    }
    if (changed) Redraw();
    return 0;
}

exHandled exScrollBox::OnMouseLeave(exMessage&) {
    tracking_ = false;
    if (hotPart_ != kPartNone && drag_.capture == nullptr) {
        hotPart_ = kPartNone;
        Redraw();
    }
    return 0;
}

exHandled exScrollBox::OnLButtonDown(exMessage& message) {
    if (!layout_.Available() || edit_ == nullptr) return kNotHandled;
    const POINT point = PointOf(message.lParam);
    const int part = HitTestScrollBar(layout_, point);
    if (part == kPartUpArrow || part == kPartDownArrow || part == kPartPageUp || part == kPartPageDown)
        PressArrowOrPage(part, point);
    else if (part == kPartThumb)
        BeginDrag(point);
    else
        return kNotHandled;
    Redraw();
    return 0;
}

void exScrollBox::PressArrowOrPage(int part, POINT client) {
    // The edit's own scroll bar logic lies under this very spot (its bar is
    // computed outside its client area), so it scrolls and repeats.
    POINT screen = client;
    ClientToScreen(Handle(), &screen);
    pressedPart_ = part;
    PostMessageW(edit_, WM_NCLBUTTONDOWN, HTVSCROLL, MAKELPARAM(screen.x, screen.y));
}

void exScrollBox::BeginDrag(POINT client) {
    pressedPart_ = kPartThumb;
    SetCapture(Handle());
    drag_.start = client;
    drag_.thumb = layout_.parts[kPartThumb];
    drag_.startTop = drag_.thumb.top;
    drag_.capture = Handle();
}

exHandled exScrollBox::OnLButtonUp(exMessage&) {
    EndDrag();
    pressedPart_ = kPartNone;
    StopAnimation(Handle(), true);
    return 0;
}

exHandled exScrollBox::OnCaptureChanged(exMessage& message) {
    if (drag_.capture != nullptr && reinterpret_cast<HWND>(message.lParam) != Handle()) {
        drag_ = Drag{};
        pressedPart_ = kPartNone;
        StopAnimation(Handle(), true);
    }
    return kNotHandled;
}

exHandled exScrollBox::OnLButtonDblClk(exMessage& message) {
    PostMessageW(Handle(), WM_LBUTTONDOWN, message.wParam, message.lParam);
    return 0;
}

exHandled exScrollBox::OnMouseWheel(exMessage& message) {
    POINT cursor{};
    if (layout_.Available() && edit_ != nullptr && GetCursorPos(&cursor) && WindowFromPoint(cursor) == Handle()) {
        PostMessageW(edit_, message.id, message.wParam, message.lParam);
        return 0;
    }
    return kNotHandled;
}

exHandled exScrollBox::OnPaint(exMessage&) {
    PaintClient(Handle(), Font(), verticalScroll_ && layout_.Available());
    return 0;
}

exHandled exScrollBox::OnPrintClient(exMessage& message) {
    if (message.wParam != 0) {
        RECT client{};
        GetClientRect(Handle(), &client);
        Paint(Handle(), reinterpret_cast<HDC>(message.wParam), client, 0, true);
    }
    return 0;
}

exHandled exScrollBox::OnEraseBkgnd(exMessage& message) {
    if (message.wParam != 0) return 1;
    return kNotHandled;
}

exHandled exScrollBox::OnGetText(exMessage& message) {
    // The system's password field refuses its text to other processes;
    // asked through this box, the field would take the request for ours.
    if (edit_ != nullptr && (GetWindowLongPtrW(edit_, GWL_STYLE) & ES_PASSWORD) != 0 && SentFromAnotherThread()) {
        if (message.id == WM_GETTEXT && message.wParam > 0 && message.lParam != 0)
            *reinterpret_cast<wchar_t*>(message.lParam) = L'\0';
        return 0;
    }
    return ForwardToEdit(message);
}

exHandled exScrollBox::ForwardToEdit(exMessage& message) {
    if (edit_ != nullptr && IsWindow(edit_)) return ::SendMessageW(edit_, message.id, message.wParam, message.lParam);
    return kNotHandled;
}

exHandled exScrollBox::OnContextMenu(exMessage& message) {
    PostMessageW(GetParent(Handle()), message.id, message.wParam, message.lParam);
    return 0;
}

exHandled exScrollBox::ForwardEditCommand(exMessage& message) {
    if (edit_ != nullptr && reinterpret_cast<HWND>(message.lParam) == edit_ &&
        LOWORD(message.wParam) == GetDlgCtrlID(edit_)) {
        PostMessageW(GetParent(Handle()), message.id, message.wParam, message.lParam);
        return 0;
    }
    return kNotHandled;
}

exHandled exScrollBox::OnLayoutRequest(exMessage&) {
    LayoutControls();
    Synchronize();
    return 0;
}

exHandled exScrollBox::OnThemeChanged(exMessage&) {
    OpenTheme();
    return kNotHandled;
}

exHandled exScrollBox::OnDestroy(exMessage&) {
    CloseTheme();
    return kNotHandled;
}

void exScrollBox::OnDraw(HDC dc, const RECT& client) {
    ThemeState& theme = Theme();
    const bool system = theme.SystemColors();
    const ColorScheme& scheme = theme.Scheme();
    COLORREF fill = system ? GetSysColor(COLOR_WINDOW) : scheme.fieldBackground;
    if (useBackground_) fill = system ? GetSysColor(COLOR_BTNFACE) : scheme.background;
    SolidFill(dc, client, fill);
    if (border_) {
        // The edit's frame: accented while the edit has the focus, or while
        // the mouse is over the box when hover highlighting is on.
        const bool accent = (edit_ != nullptr && GetFocus() == edit_) || (hoverHighlight_ && hotPart_ != kPartNone);
        COLORREF line = system ? GetSysColor(COLOR_BTNSHADOW) : scheme.border;
        if (accent) line = system ? GetSysColor(COLOR_HOTLIGHT) : scheme.accent;
        BorderStrips(dc, client, line, kAllSides, 1);
    }
    if (IsRectEmpty(&layout_.parts[kPartBar])) return;
    if (!system) DrawSchemeBar(dc, client);
    else if (theme_ != nullptr) DrawThemedBar(dc);
    else DrawClassicBar(dc);
}

void exScrollBox::DrawSchemeBar(HDC dc, const RECT& client) {
    const ColorScheme& scheme = Theme().Scheme();
    const RECT& bar = layout_.parts[kPartBar];
    const LONG edge = border_ ? 1 : 0;
    SolidFill(dc, RECT{bar.left, client.top + edge, bar.right, client.bottom - edge}, scheme.background);

    const bool unavailable = !layout_.Available();
    const bool barHot = hotPart_ >= kPartBar && hotPart_ <= kPartDownArrow;
    const COLORREF normal = !unavailable && barHot ? scheme.border : scheme.face;
    const COLORREF pressed = unavailable ? scheme.face : scheme.line;
    RECT thumb = ThumbRect();
    if (!unavailable && !IsRectEmpty(&thumb)) {
        InflateRect(&thumb, -2, 0);
        SolidFill(dc, thumb, pressedPart_ == kPartThumb ? pressed : normal);
    }
    for (int part : {kPartUpArrow, kPartDownArrow}) {
        const RECT& arrow = layout_.parts[part];
        const COLORREF color = pressedPart_ == part ? pressed : normal;
        Chevron(dc, arrow, color, color, arrow.right - arrow.left - 8, part == kPartUpArrow);
    }
}

void exScrollBox::DrawThemedBar(HDC dc) {
    const bool unavailable = !layout_.Available();
    auto state = [&](int part) { return PartThemeState(unavailable, pressedPart_ == part, hotPart_ == part); };
    const RECT& up = layout_.parts[kPartUpArrow];
    const RECT& down = layout_.parts[kPartDownArrow];
    const RECT track{up.left, up.bottom, up.right, down.top};
    if (!IsRectEmpty(&track)) DrawThemeBackground(theme_, dc, SBP_LOWERTRACKVERT, state(kPartBar), &track, nullptr);
    if (!IsRectEmpty(&layout_.parts[kPartPageUp]))
        DrawThemeBackground(theme_, dc, SBP_UPPERTRACKVERT, state(kPartPageUp), &layout_.parts[kPartPageUp], nullptr);
    if (!IsRectEmpty(&layout_.parts[kPartPageDown]))
        DrawThemeBackground(theme_, dc, SBP_LOWERTRACKVERT, state(kPartPageDown), &layout_.parts[kPartPageDown],
                            nullptr);
    const RECT thumb = ThumbRect();
    if (!unavailable && !IsRectEmpty(&thumb)) {
        DrawThemeBackground(theme_, dc, SBP_THUMBBTNVERT, state(kPartThumb), &thumb, nullptr);
        DrawThemeBackground(theme_, dc, SBP_GRIPPERVERT, state(kPartThumb), &thumb, nullptr);
    }
    // Arrow states come in fours: normal, hot, pressed, disabled.
    const int upState = ABS_UPNORMAL + state(kPartUpArrow) - SCRBS_NORMAL;
    const int downState = ABS_DOWNNORMAL + state(kPartDownArrow) - SCRBS_NORMAL;
    DrawThemeBackground(theme_, dc, SBP_ARROWBTN, upState, &up, nullptr);
    DrawThemeBackground(theme_, dc, SBP_ARROWBTN, downState, &down, nullptr);
}

void exScrollBox::DrawClassicBar(HDC dc) {
    const bool unavailable = !layout_.Available();
    RECT up = layout_.parts[kPartUpArrow];
    RECT down = layout_.parts[kPartDownArrow];
    SolidFill(dc, RECT{up.left, up.bottom, up.right, down.top}, GetSysColor(COLOR_SCROLLBAR));
    for (int part : {kPartPageUp, kPartPageDown})
        if (pressedPart_ == part) SolidFill(dc, layout_.parts[part], GetSysColor(COLOR_3DDKSHADOW));
    RECT thumb = ThumbRect();
    if (!unavailable && !IsRectEmpty(&thumb)) {
        SolidFill(dc, thumb, GetSysColor(COLOR_BTNFACE));
        DrawEdge(dc, &thumb, EDGE_RAISED, BF_RECT);
    }
    const UINT inactive = unavailable ? DFCS_INACTIVE : 0;
    DrawFrameControl(dc, &up, DFC_SCROLL,
                     DFCS_SCROLLUP | inactive | (pressedPart_ == kPartUpArrow ? DFCS_PUSHED | DFCS_FLAT : 0));
    DrawFrameControl(dc, &down, DFC_SCROLL,
                     DFCS_SCROLLDOWN | inactive | (pressedPart_ == kPartDownArrow ? DFCS_PUSHED | DFCS_FLAT : 0));
}
