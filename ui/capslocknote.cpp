#include "capslocknote.h"

#include "../toolkit/draw/exfont.h"
#include "../toolkit/window/accessibility.h"

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
    capsLockText_ = text;
    MakeLiveRegion(note, LiveSetting::kPolite);
    return note_.SubclassWindow(note);
}

bool CapsLockNote::Visible() const {
    return note_.Handle() != nullptr && IsWindowVisible(note_.Handle());
}

void CapsLockNote::Update(bool fieldFocused, bool keypadUsed) {
    if (note_.Handle() == nullptr) return;
    const bool caps = CapsLockOn(), num = keypadUsed && !numLockText_.empty() && !NumLockOn();
    const bool show = fieldFocused && (caps || num);
    bool changed = false;
    if (show) {
        const exstring text = caps && num ? capsLockText_ + L" " + numLockText_ : caps ? capsLockText_ : numLockText_;
        changed = WindowTextOf(note_.Handle()) != text;
        if (changed) SetWindowTextW(note_.Handle(), text.c_str());
    }
    if (show != Visible()) {
        ShowWindow(note_.Handle(), show ? SW_SHOWNA : SW_HIDE);
        changed = show;
    }
    if (changed) AnnounceChange(note_.Handle());
}

bool CapsLockNote::CapsLockOn() {
    return (GetKeyState(VK_CAPITAL) & 1) != 0;
}

bool CapsLockNote::NumLockOn() {
    return (GetKeyState(VK_NUMLOCK) & 1) != 0;
}

bool CapsLockNote::MayToggle(const MSG& message) {
    return (message.message == WM_KEYDOWN || message.message == WM_KEYUP) &&
           (message.wParam == VK_CAPITAL || message.wParam == VK_NUMLOCK);
}

bool CapsLockNote::IsKeypadKey(const MSG& message) {
    if (message.message != WM_KEYDOWN) return false;
    if (message.wParam >= VK_NUMPAD0 && message.wParam <= VK_DIVIDE) return true;
    // With Num Lock off the keypad sends the editing keys, without the
    // extended flag that the separate cluster's carry.
    const bool extended = (static_cast<ULONG_PTR>(message.lParam) & (1u << 24)) != 0;
    switch (message.wParam) {
    case VK_INSERT: case VK_DELETE: case VK_HOME: case VK_END: case VK_PRIOR: case VK_NEXT:
    case VK_UP: case VK_DOWN: case VK_LEFT: case VK_RIGHT: case VK_CLEAR:
        return !extended;
    default:
        return false;
    }
}
