// An off-screen bitmap with its memory DC. It grows when asked for more and
// never shrinks, so repainting at the same size allocates nothing.
#pragma once

#include <windows.h>

#include "../../base/uniquehandle.h"

class OffscreenBuffer {
public:
    enum class Kind { Dib32, Compatible };

    explicit OffscreenBuffer(Kind kind) : kind_(kind) {}
    ~OffscreenBuffer() { Release(); }
    OffscreenBuffer(const OffscreenBuffer&) = delete;
    OffscreenBuffer& operator=(const OffscreenBuffer&) = delete;

    // The memory DC with a bitmap of at least width x height, or null; laid
    // out (mirrored or not) like `target`.
    HDC Get(HDC target, int width, int height);
    void Release();

    HDC Dc() const { return dc_; }
    int BitmapWidth() const { return bitmapWidth_; }
    int BitmapHeight() const { return bitmapHeight_; }
    // The pixels of a 32-bit buffer (bottom-up rows), or null.
    void* Bits() const { return bits_; }

private:
    HBITMAP CreateBitmap(HDC reference, int width, int height, void** bits) const;
    HDC MatchLayout(HDC target);

    Kind kind_;
    HDC dc_ = nullptr;
    UniqueBitmap bitmap_;
    int bitmapWidth_ = 0;
    int bitmapHeight_ = 0;
    void* bits_ = nullptr;
    HGDIOBJ previousBitmap_ = nullptr;
};
