// Loading and drawing a picture with plain GDI+ flat API calls: the floor the
// render benchmark measures the lock's own decoder against.
#pragma once

#include <windows.h>

#include <cstdint>

namespace gdiplusflat {

struct GpGraphics;
struct GpImage;

// Whether GDI+ runs (starting it if needed; it stays up until the process ends).
bool Available();

class Image {
public:
    // Loads any format GDI+ reads; check with the bool conversion.
    explicit Image(const wchar_t* path);
    ~Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;
    explicit operator bool() const { return image_ != nullptr; }
    unsigned Width() const;
    unsigned Height() const;

private:
    friend class Graphics;
    GpImage* image_ = nullptr;
};

class Graphics {
public:
    explicit Graphics(HDC dc);
    ~Graphics();
    Graphics(const Graphics&) = delete;
    Graphics& operator=(const Graphics&) = delete;
    explicit operator bool() const { return graphics_ != nullptr; }

    // Draws the whole image into the destination, tiling flipped at the edges
    // so scaled borders do not fade.
    bool DrawImage(const Image& image, float x, float y, float width, float height);

private:
    GpGraphics* graphics_ = nullptr;
};

} // namespace gdiplusflat
