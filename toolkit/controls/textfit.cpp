#include "textfit.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "../draw/exfont.h"
#include "../window/exwnd.h"
#include "../window/placement.h"
#include "exstatic.h"

namespace {

enum class TextKind { kNone, kLine, kWrapped, kPushButton, kEdit };

// The style a control draws its text by: a custom-drawn static keeps the
// one the application gave it apart from its window's SS_OWNERDRAW.
LONG_PTR DrawnStyle(HWND control) {
    const auto* custom = dynamic_cast<const exStatic*>(exWnd::FromHandle(control));
    return custom != nullptr ? custom->StaticStyle() : GetWindowLongPtrW(control, GWL_STYLE);
}

TextKind KindOf(HWND control) {
    wchar_t name[16] = {};
    GetClassNameW(control, name, 16);
    const LONG_PTR style = DrawnStyle(control);
    if (_wcsicmp(name, L"Edit") == 0) return TextKind::kEdit;
    if (_wcsicmp(name, L"Button") == 0) {
        const LONG_PTR type = style & BS_TYPEMASK;
        if (type == BS_GROUPBOX) return TextKind::kNone;
        if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) return TextKind::kPushButton;
        return TextKind::kLine;
    }
    if (_wcsicmp(name, L"Static") == 0) {
        const LONG_PTR type = style & SS_TYPEMASK;
        if (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT) return TextKind::kWrapped;
        if (type == SS_LEFTNOWORDWRAP || type == SS_SIMPLE) return TextKind::kLine;
    }
    return TextKind::kNone;
}

HFONT FontOf(HWND control) {
    return reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
}

RECT ChildRect(HWND dialog, HWND child) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

int Stretched(LONG edge, double factor) {
    return static_cast<int>(std::lround(edge * factor));
}

// How much a layout must stretch so that `needed` fits `available`: 1 or more.
double StretchFor(int needed, int available) {
    if (needed <= available || available <= 0) return 1.0;
    // A pixel more, against the rounding of the stretched edges.
    return static_cast<double>(needed + 1) / available;
}

// `rect` with its edges moved by the factors, away from the origin.
RECT StretchedRect(const RECT& rect, double across, double down) {
    return RECT{Stretched(rect.left, across), Stretched(rect.top, down), Stretched(rect.right, across),
                Stretched(rect.bottom, down)};
}

std::vector<HWND> DirectChildren(HWND dialog) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

BOOL CALLBACK CollectChild(HWND child, LPARAM list) noexcept {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
    return TRUE;
}

// An edit framed by a box of its own counts too: the box is what stretches.
std::vector<HWND> AllChildren(HWND dialog) {
    std::vector<HWND> children;
    EnumChildWindows(dialog, CollectChild, reinterpret_cast<LPARAM>(&children));
    return children;
}

bool Shown(HWND window) {
    return (GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

// A single line (a label, a link) takes its text's width, not a stretched one.
bool SizedToText(HWND dialog, HWND child) {
    return GetParent(child) == dialog && KindOf(child) == TextKind::kLine;
}

// Where a control sized to its text must end: at the next shown control on
// its right in the same band, or at the dialog's margin.
LONG RightLimit(HWND dialog, HWND child) {
    const std::vector<HWND> siblings = DirectChildren(dialog);
    RECT client{};
    GetClientRect(dialog, &client);
    LONG margin = client.right;
    for (HWND sibling : siblings) margin = std::min(margin, ChildRect(dialog, sibling).left);
    const RECT rect = ChildRect(dialog, child);
    LONG limit = client.right - std::max<LONG>(margin, 0);
    for (HWND sibling : siblings) {
        const RECT other = ChildRect(dialog, sibling);
        if (sibling != child && Shown(sibling) && other.left > rect.left && other.top < rect.bottom &&
            other.bottom > rect.top)
            limit = std::min(limit, other.left);
    }
    return limit;
}

int SizedWidth(HWND control, const RECT& rect) {
    return std::max<int>(rect.right - rect.left, TextNeed(control).cx);
}

// The factor that makes every child's text fit, across or down.
double StretchNeeded(HWND dialog, bool across) {
    double factor = 1.0;
    for (HWND child : AllChildren(dialog)) {
        if (across && SizedToText(dialog, child)) {
            // Its left edge and its limit move apart as the layout stretches.
            const RECT rect = ChildRect(dialog, child);
            if (Shown(child))
                factor = std::max(factor, StretchFor(SizedWidth(child, rect), RightLimit(dialog, child) - rect.left));
            continue;
        }
        const SIZE need = TextNeed(child);
        RECT frame{};
        GetWindowRect(child, &frame);
        // The need is measured for the whole window, frame included.
        factor = std::max(factor, across ? StretchFor(need.cx, frame.right - frame.left)
                                         : StretchFor(need.cy, frame.bottom - frame.top));
    }
    return factor;
}

// The most the window may grow by and stay within its work area.
double RoomToGrow(HWND dialog, bool across) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!GetMonitorInfoW(MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor)) return 1.0;
    RECT window{}, client{};
    GetWindowRect(dialog, &window);
    GetClientRect(dialog, &client);
    const int frame =
        across ? (window.right - window.left) - client.right : (window.bottom - window.top) - client.bottom;
    const RECT& work = monitor.rcWork;
    const int room = (across ? work.right - work.left : work.bottom - work.top) - frame;
    const int size = across ? client.right : client.bottom;
    return size > 0 ? std::max(1.0, static_cast<double>(room) / size) : 1.0;
}

void Stretch(HWND dialog, double across, double down) {
    for (HWND child : DirectChildren(dialog)) {
        const RECT before = ChildRect(dialog, child);
        RECT rect = StretchedRect(before, across, down);
        if (SizedToText(dialog, child)) rect.right = rect.left + SizedWidth(child, before);
        SetWindowPos(child, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT client{};
    GetClientRect(dialog, &client);
    RECT outer = StretchedRect(client, across, down);
    AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE)));
    RECT window{};
    GetWindowRect(dialog, &window);
    const RECT grown{window.left, window.top, window.left + outer.right - outer.left,
                     window.top + outer.bottom - outer.top};
    // Grown about its centre, and kept on its work area.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    POINT at{window.left, window.top};
    if (GetMonitorInfoW(MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor))
        at = CenteredPosition(grown, window, monitor.rcWork);
    SetWindowPos(dialog, nullptr, at.x, at.y, grown.right - grown.left, grown.bottom - grown.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

SIZE TextNeed(HWND control) {
    const TextKind kind = KindOf(control);
    if (kind == TextKind::kNone) return SIZE{0, 0};
    const HFONT font = FontOf(control);
    const int edgeX = GetSystemMetrics(SM_CXEDGE), edgeY = GetSystemMetrics(SM_CYEDGE);
    if (kind == TextKind::kEdit) {
        const FontMetrics metrics = MeasureFontMetrics(font);
        return SIZE{0, metrics.height + 2 * edgeY + 2};
    }
    const exstring text = WindowTextOf(control);
    if (text.empty()) return SIZE{0, 0};
    RECT measured{0, 0, 0, 0};
    UINT format = DT_SINGLELINE;
    if (kind == TextKind::kWrapped) {
        RECT client{};
        GetClientRect(control, &client);
        measured.right = client.right;
        format = DT_WORDBREAK | DT_EDITCONTROL;
    }
    MeasureText(text.c_str(), format, control, font, measured);
    RECT client{}, frame{};
    GetClientRect(control, &client);
    GetWindowRect(control, &frame);
    const int frameX = (frame.right - frame.left) - client.right;
    const int frameY = (frame.bottom - frame.top) - client.bottom;
    // A push button's face keeps an edge and a pixel on each side.
    const int padX = kind == TextKind::kPushButton ? 2 * (edgeX + 1) : 0;
    const int padY = kind == TextKind::kPushButton ? 2 * edgeY : 0;
    return SIZE{measured.right - measured.left + padX + frameX, measured.bottom - measured.top + padY + frameY};
}

bool FitDialogToTexts(HWND dialog) {
    if (dialog == nullptr) return false;
    const double across = std::min(StretchNeeded(dialog, true), RoomToGrow(dialog, true));
    if (across > 1.0) Stretch(dialog, across, 1.0);
    // Wider, wrapped texts may need fewer lines now.
    const double down = std::min(StretchNeeded(dialog, false), RoomToGrow(dialog, false));
    if (down > 1.0) Stretch(dialog, 1.0, down);
    return across > 1.0 || down > 1.0;
}
