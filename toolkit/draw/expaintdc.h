// BeginPaint and EndPaint as one object, with transparent text and the
// window's font selected.
#pragma once

#include <windows.h>

class exPaintDC {
public:
    // `font` of INVALID_FONT means: ask the window for its font.
    static inline const HFONT kWindowFont = reinterpret_cast<HFONT>(static_cast<INT_PTR>(-1));

    exPaintDC(HWND window, HFONT font = kWindowFont) : window_(window), paint_{} {
        dc_ = BeginPaint(window_, &paint_);
        if (dc_ == nullptr) return;
        SetBkMode(dc_, TRANSPARENT);
        if (font == kWindowFont) font = reinterpret_cast<HFONT>(SendMessageW(window_, WM_GETFONT, 0, 0));
        if (font != nullptr) SelectObject(dc_, font);
    }
    ~exPaintDC() { EndPaint(window_, &paint_); }
    exPaintDC(const exPaintDC&) = delete;
    exPaintDC& operator=(const exPaintDC&) = delete;

    HDC Dc() const { return dc_; }
    const PAINTSTRUCT& Paint() const { return paint_; }

private:
    HWND window_;
    HDC dc_;
    PAINTSTRUCT paint_;
};
