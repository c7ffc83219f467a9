// Process-wide drawing services: buffered painting, COM for the shell's
// stock icons, the theming check, and the optional system entry points that
// are looked up at run time. Each starts on first use, so a start of the
// program that draws nothing never pays for it.
#pragma once

#include <windows.h>
#include <uxtheme.h>

namespace drawservices {

// Visual styles are on and the common controls are version 6 or later.
bool ThemingAvailable();

// Counted per thread: apartment-threaded COM while at least one guard lives.
class ComGuard {
public:
    ComGuard();
    ~ComGuard();
    ComGuard(const ComGuard&) = delete;
    ComGuard& operator=(const ComGuard&) = delete;
};

// Optional entry points; each wrapper reports failure when it is missing.
HRESULT BufferedPaintInit();
HRESULT BufferedPaintUnInit();
HANIMATIONBUFFER BeginBufferedAnimation(HWND window, HDC target, const RECT* rect, BP_BUFFERFORMAT format,
                                        BP_PAINTPARAMS* paintParams, BP_ANIMATIONPARAMS* animationParams,
                                        HDC* from, HDC* to);
BOOL BufferedPaintRenderAnimation(HWND window, HDC target);
HRESULT EndBufferedAnimation(HANIMATIONBUFFER buffer, BOOL updateTarget);
HRESULT BufferedPaintStopAllAnimations(HWND window);

// Looks `name` up in `module` (loading it when needed; it is never freed),
// trying the name with "W" appended when the plain name is missing.
FARPROC LookUpEntryPoint(const wchar_t* module, const char* name);

} // namespace drawservices
