#include "extooltip.h"

#include <commctrl.h>

#include "../../text/textutil.h"
#include "../draw/shapes.h"
#include "../draw/mirroring.h"
#include "../theme/extheme.h"
#include "../window/changes.h"
#include "../window/exapp.h"

namespace {

exToolTipCtrl* g_tooltip = nullptr;

// The version 2 record (through lParam): the size every comctl32 accepts,
// where sizeof(TOOLINFOW) with lpReserved is refused by version 5.
TOOLINFOW ToolRecord(HWND tool) {
    TOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.uFlags = TTF_IDISHWND;
    info.hwnd = tool;
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    return info;
}

void StartCommonControls() {
    if (exApp* app = TheApp()) {
        app->StartCommonControls();
        return;
    }
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_WIN95_CLASSES;
    InitCommonControlsEx(&controls);
}

// The tip shows when the pointer rests on a tool only if it sees the mouse
// messages of the tools' windows; the loop hands them over. Never consumes.
bool RelayMouseToToolTip(MSG* message) {
    const HWND tooltip = ToolTipWindow();
    if (tooltip == nullptr || message->hwnd == tooltip) return false;
    switch (message->message) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_NCMOUSEMOVE:
        SendMessageW(tooltip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(message));
        break;
    default:
        break;
    }
    return false;
}

void FollowFontChange(ToolkitChange change) {
    const HWND tooltip = ToolTipWindow();
    if (change == ToolkitChange::kFont && tooltip != nullptr)
        SendMessageW(tooltip, WM_SETFONT, reinterpret_cast<WPARAM>(Theme().DialogFont()), 0);
}

} // namespace

// A function-local static rather than a namespace-scope one: constructing a
// themed object starts buffered painting, which a start that shows no window
// (the password query) must not pay for.
exToolTipCtrl& ToolTip() {
    static exToolTipCtrl tooltip;
    g_tooltip = &tooltip;
    return tooltip;
}

HWND ToolTipWindow() {
    return g_tooltip != nullptr ? g_tooltip->Handle() : nullptr;
}

exToolTipCtrl::~exToolTipCtrl() {
    if (g_tooltip == this) g_tooltip = nullptr;
}

bool exToolTipCtrl::Create() {
    if (Handle() != nullptr) return true;
    StartCommonControls();
    HWND window = CreateWindowExW(WS_EX_TRANSPARENT, TOOLTIPS_CLASSW, nullptr, WS_POPUP, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    if (window == nullptr) return false;
    ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(Theme().DialogFont()), 0);
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    if (!SubclassWindow(window)) {
        DestroyWindow(window);
        return false;
    }
    exBaseApp::AddMessageFilter(RelayMouseToToolTip);
    ListenForChanges(FollowFontChange);
    return true;
}

void exToolTipCtrl::AddTool(HWND tool, const wchar_t* text) {
    if (Handle() == nullptr || tool == nullptr || text == nullptr) return;
    TOOLINFOW info = ToolRecord(tool);
    exstring cleaned;
    if (text == LPSTR_TEXTCALLBACKW) {
        info.lpszText = LPSTR_TEXTCALLBACKW;
    } else {
        cleaned = text;
        CleanMenuText(cleaned, kMenuDotsKeep);
        info.lpszText = &cleaned[0];
    }
    SendMessage(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

void exToolTipCtrl::RemoveTool(HWND tool) {
    if (Handle() == nullptr || tool == nullptr) return;
    TOOLINFOW info = ToolRecord(tool);
    SendMessage(TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

exstring exToolTipCtrl::ToolText(HWND tool) const {
    if (Handle() == nullptr || tool == nullptr) return exstring();
    wchar_t buffer[kTextCapacity] = {};
    TOOLINFOW info = ToolRecord(tool);
    info.lpszText = buffer;
    SendMessage(TTM_GETTEXTW, kTextCapacity, reinterpret_cast<LPARAM>(&info));
    if (info.lpszText == nullptr || info.lpszText == LPSTR_TEXTCALLBACKW) return exstring();
    return exstring(info.lpszText);
}

LRESULT exToolTipCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT handled = 0;
    if (ThemePreHandler(*this, Handle(), message, wParam, lParam, handled)) return handled;
    const bool systemColors = Theme().SystemColors();
    switch (message) {
    case WM_PAINT:
        if (systemColors) break;
        PaintClient(Handle(), Font(), true);
        return 0;
    case WM_ERASEBKGND:
        if (wParam != 0 && systemColors) return 1;
        break;
    case WM_NCHITTEST:
        return HTTRANSPARENT;
    default:
        break;
    }
    return exWnd::WindowProc(message, wParam, lParam);
}

void exToolTipCtrl::DrawState(HDC dc, const RECT& rect, int) {
    ThemeState& theme = Theme();
    const ColorScheme& scheme = theme.Scheme();
    SetTextColor(dc, scheme.text);
    SetBkMode(dc, TRANSPARENT);
    SolidFill(dc, rect, scheme.background);

    const LONG style = GetStyle();
    if ((style & TTS_BALLOON) != 0) {
        const UniqueRegion region(CreateRectRgn(0, 0, 0, 0));
        if (region.Held() && GetWindowRgn(Handle(), region.Get()) != ERROR)
            FrameRgn(dc, region.Get(), theme.BorderBrush(), 1, 1);
    } else {
        BorderStrips(dc, rect, scheme.border, kAllSides, 1);
    }

    wchar_t buffer[kTextCapacity] = {};
    TOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.lpszText = buffer;
    if (!SendMessage(TTM_GETCURRENTTOOLW, 0, reinterpret_cast<LPARAM>(&info))) return;
    if (info.lpszText == LPSTR_TEXTCALLBACKW) {
        info.lpszText = buffer;
        SendMessage(TTM_GETTEXTW, kTextCapacity, reinterpret_cast<LPARAM>(&info));
    }
    if (info.lpszText == nullptr || IS_INTRESOURCE(info.lpszText)) return;

    RECT textRect{};
    GetClientRect(Handle(), &textRect);
    AdjustWindowRectEx(&textRect, static_cast<DWORD>(style), FALSE, static_cast<DWORD>(GetExStyle()));
    SendMessage(TTM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&textRect));
    OffsetRect(&textRect, rect.left, rect.top);
    const UINT format = DT_WORDBREAK | DT_EDITCONTROL | ((style & TTS_NOPREFIX) != 0 ? DT_NOPREFIX : DT_HIDEPREFIX);
    DrawTextW(dc, info.lpszText, -1, &textRect, format | ReadingOrderFormat(dc));
}
