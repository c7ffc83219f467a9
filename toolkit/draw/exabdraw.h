// Buffered, animated painting shared by every themed window: the state is
// drawn into an off-screen buffer and copied out, and a change of state
// cross-fades from the last frame where the system offers buffered animation.
#pragma once

#include <windows.h>

#include "offscreenbuffer.h"

class exabdraw {
public:
    exabdraw();
    exabdraw(const exabdraw&) = delete;
    exabdraw& operator=(const exabdraw&) = delete;

    virtual bool PaintAnimated(HWND window, HDC target, const RECT& rect, int state);
    virtual void DrawState(HDC dc, const RECT& rect, int state) = 0;
    virtual ~exabdraw();

    void Paint(HWND window, HDC target, const RECT& rect, int state, bool noAnimation);
    void StopAnimation(HWND window, bool redraw);

    bool HasCachedFrame() const { return hasCachedFrame_; }
    void ClearCachedFrame() { hasCachedFrame_ = false; }
    OffscreenBuffer& Buffer() { return buffer_; }

    // Live objects; buffered painting runs while there is at least one.
    static long long LiveCount();

private:
    OffscreenBuffer buffer_{OffscreenBuffer::Kind::Dib32};
    bool hasCachedFrame_ = false;
};
