#include "exabdraw.h"

#include <atomic>

#include "drawservices.h"

namespace {

std::atomic<long long> g_liveObjects{0};
constexpr DWORD kCrossFadeMs = 200;

} // namespace

exabdraw::exabdraw() {
    if (g_liveObjects.fetch_add(1) == 0) drawservices::BufferedPaintInit();
}

exabdraw::~exabdraw() {
    if (g_liveObjects.fetch_sub(1) == 1) drawservices::BufferedPaintUnInit();
}

long long exabdraw::LiveCount() {
    return g_liveObjects.load();
}

void exabdraw::Paint(HWND window, HDC target, const RECT& rect, int state, bool noAnimation) {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    HDC buffer = buffer_.Get(target, width, height);
    if (hasCachedFrame_ && !noAnimation && PaintAnimated(window, target, rect, state)) return;
    if (buffer == nullptr) {
        DrawState(target, rect, state);
        return;
    }
    SelectObject(buffer, GetCurrentObject(target, OBJ_FONT));
    const RECT local{0, 0, width, height};
    DrawState(buffer, local, state);
    BitBlt(target, rect.left, rect.top, width, height, buffer, 0, 0, SRCCOPY);
    hasCachedFrame_ = true;
}

bool exabdraw::PaintAnimated(HWND window, HDC target, const RECT& rect, int state) {
    if (window == nullptr) return false;
    if (drawservices::BufferedPaintRenderAnimation(window, target)) return true;
    HDC buffer = buffer_.Dc();
    if (!hasCachedFrame_ || buffer == nullptr || buffer == target) return false;

    BP_ANIMATIONPARAMS animation{};
    animation.cbSize = sizeof(animation);
    animation.style = BPAS_LINEAR;
    animation.dwDuration = kCrossFadeMs;
    HDC from = nullptr;
    HDC to = nullptr;
    HANIMATIONBUFFER handle = drawservices::BeginBufferedAnimation(window, target, &rect, BPBF_COMPATIBLEBITMAP,
                                                                   nullptr, &animation, &from, &to);
    if (handle == nullptr) return false;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (from != nullptr) BitBlt(from, rect.left, rect.top, width, height, buffer, 0, 0, SRCCOPY);
    if (to != nullptr) {
        SelectObject(to, GetCurrentObject(target, OBJ_FONT));
        SetBkMode(to, TRANSPARENT);
        const RECT local{0, 0, width, height};
        DrawState(to, local, state);
        BitBlt(buffer, 0, 0, width, height, to, 0, 0, SRCCOPY);
    }
    drawservices::EndBufferedAnimation(handle, TRUE);
    return true;
}

void exabdraw::StopAnimation(HWND window, bool redraw) {
    drawservices::BufferedPaintStopAllAnimations(window);
    hasCachedFrame_ = false;
    if (redraw && window != nullptr && IsWindowVisible(window)) RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE);
}
