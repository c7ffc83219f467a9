// The few functions of the GDI+ flat API the program uses, with owning
// wrappers. GDI+ starts on first use.
#pragma once

#include <windows.h>

#include <objidl.h>

#include <cstddef>
#include <cstdint>

namespace gdiplusflat {

using ARGB = uint32_t;
struct GpGraphics;
struct GpPath;
struct GpBrush;
struct GpPen;
struct GpImage;
struct GpImageAttributes;

// Whether GDI+ runs (starting it if needed).
bool Available();

class Graphics;

class Path {
public:
    Path();
    ~Path();
    Path(const Path&) = delete;
    Path& operator=(const Path&) = delete;
    void Line(float x1, float y1, float x2, float y2);
    void Arc(float x, float y, float width, float height, float startAngle, float sweepAngle);

private:
    friend class Graphics;
    GpPath* path_ = nullptr;
};

class Image {
public:
    // Loads any format GDI+ reads; check with the bool conversion. GDI+
    // keeps the file open for as long as the image lives.
    explicit Image(const wchar_t* path);
    // Decodes from a copy of the bytes, so no file stays open.
    Image(const void* bytes, size_t size);
    ~Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;
    explicit operator bool() const { return image_ != nullptr; }
    unsigned Width() const;
    unsigned Height() const;

private:
    friend class Graphics;
    GpImage* image_ = nullptr;
    IStream* stream_ = nullptr;
};

// Anti-aliased drawing on a DC.
class Graphics {
public:
    explicit Graphics(HDC dc);
    ~Graphics();
    Graphics(const Graphics&) = delete;
    Graphics& operator=(const Graphics&) = delete;
    explicit operator bool() const { return graphics_ != nullptr; }

    void FillPath(const Path& path, ARGB color);
    void DrawPath(const Path& path, ARGB color, float width);
    void FillEllipse(ARGB color, int x, int y, int width, int height);
    void DrawEllipse(ARGB color, float width, int x, int y, int w, int h);
    // Draws the whole image into the destination, tiling flipped at the edges
    // so scaled borders do not fade.
    bool DrawImage(const Image& image, float x, float y, float width, float height);

private:
    GpGraphics* graphics_ = nullptr;
};

} // namespace gdiplusflat
