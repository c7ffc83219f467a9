#include "capslocknote.h"

#include "../toolkit/exfont.h"

HWND CreateTextLine(HWND dialog, const RECT& where, const exstring& text) {
    HWND line = CreateWindowExW(0, L"STATIC", text.c_str(), WS_CHILD | SS_LEFT | SS_NOPREFIX, where.left, where.top,
                                where.right - where.left, where.bottom - where.top, dialog, nullptr,
                                reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(dialog, GWLP_HINSTANCE)), nullptr);
    if (line != nullptr) SendMessageW(line, WM_SETFONT, SendMessageW(dialog, WM_GETFONT, 0, 0), FALSE);
    return line;
}

bool CapsLockNote::Create(HWND dialog, HWND above, const exstring& text) {
    if (dialog == nullptr || above == nullptr || note_.Handle() != nullptr) return false;
    RECT rect{};
    GetWindowRect(above, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    const auto font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    const int height = font != nullptr ? MeasureFontMetrics(font).height : 16;
    HWND note = CreateTextLine(dialog, RECT{rect.left, rect.bottom + 2, rect.right, rect.bottom + 2 + height}, text);
    if (note == nullptr) return false;
    // Bound for the theme's colours; the height stays one line.
    note_.SetFixedHeight(true);
    return note_.SubclassWindow(note);
}

bool CapsLockNote::Visible() const {
    return note_.Handle() != nullptr && IsWindowVisible(note_.Handle());
}

void CapsLockNote::Update(bool fieldFocused) {
    if (note_.Handle() == nullptr) return;
    const bool show = fieldFocused && CapsLockOn();
    if (show != Visible()) ShowWindow(note_.Handle(), show ? SW_SHOWNA : SW_HIDE);
}

bool CapsLockNote::CapsLockOn() {
    return (GetKeyState(VK_CAPITAL) & 1) != 0;
}

bool CapsLockNote::MayToggle(const MSG& message) {
    return (message.message == WM_KEYDOWN || message.message == WM_KEYUP) && message.wParam == VK_CAPITAL;
}
