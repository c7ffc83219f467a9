#include "offscreenbuffer.h"

#include <algorithm>

HBITMAP OffscreenBuffer::CreateBitmap(HDC reference, int width, int height, void** bits) const {
    *bits = nullptr;
    if (kind_ == Kind::Compatible) return CreateCompatibleBitmap(reference, width, height);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return CreateDIBSection(reference, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

void OffscreenBuffer::Release() {
    if (dc_ != nullptr) {
        if (previousBitmap_ != nullptr) SelectObject(dc_, previousBitmap_);
        DeleteDC(dc_);
    }
    bitmap_.Reset();
    dc_ = nullptr;
    previousBitmap_ = nullptr;
    bits_ = nullptr;
    bitmapWidth_ = bitmapHeight_ = 0;
}

HDC OffscreenBuffer::Get(HDC target, int width, int height) {
    if (dc_ == nullptr) {
        Release();
        const UniqueWindowDc screen(nullptr, target == nullptr ? GetDC(nullptr) : nullptr);
        HDC reference = target != nullptr ? target : screen.Get();
        dc_ = CreateCompatibleDC(reference);
        if (dc_ != nullptr) {
            if (target != nullptr) SelectObject(dc_, GetCurrentObject(target, OBJ_FONT));
            SetBkMode(dc_, TRANSPARENT);
            const int w = std::max(width, 1);
            const int h = std::max(height, 1);
            bitmap_.Reset(CreateBitmap(reference, w, h, &bits_));
            if (bitmap_.Held()) {
                previousBitmap_ = SelectObject(dc_, bitmap_.Get());
                bitmapWidth_ = w;
                bitmapHeight_ = h;
            }
        }
        if (!bitmap_.Held()) {
            Release();
            return nullptr;
        }
    }
    if (width < 1 || height < 1) return MatchLayout(target);
    if (bitmapWidth_ >= width && bitmapHeight_ >= height) return MatchLayout(target);
    void* bits = nullptr;
    HBITMAP larger = CreateBitmap(dc_, width, height, &bits);
    if (larger == nullptr) {
        Release();
        return nullptr;
    }
    SelectObject(dc_, larger);
    bitmap_.Reset(larger);
    bits_ = bits;
    bitmapWidth_ = width;
    bitmapHeight_ = height;
    return MatchLayout(target);
}

// Drawn mirrored like its target, a buffer copies back the right way round: a
// plain one would come out mirrored, text and all. Set again after every
// bitmap change, since a memory DC mirrors about its bitmap's width.
HDC OffscreenBuffer::MatchLayout(HDC target) {
    const DWORD layout = target != nullptr ? GetLayout(target) : 0;
    SetLayout(dc_, layout != GDI_ERROR ? (layout & LAYOUT_RTL) : 0);
    return dc_;
}
