// The second base of every themed window: buffered painting, plus the message
// pre-handler that keeps the painting state in step with the window.
#pragma once

#include <windows.h>

#include "../draw/exabdraw.h"

class extheme_control : public exabdraw {
public:
    // WM_PAINT through the buffer: paints the whole client area when the
    // window has an update region (and only validates it otherwise).
    void PaintClient(HWND window, HFONT font, bool noAnimation);
};

// Called first by the window procedure of every themed class; true when the
// message was handled (its answer is in `result`).
bool ThemePreHandler(extheme_control& part, HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                     LRESULT& result);
