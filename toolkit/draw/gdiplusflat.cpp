#include "gdiplusflat.h"

#include <objbase.h>

#include <climits>
#include <cstring>

#include "drawservices.h"

namespace gdiplusflat {

using GpStatus = int;
using REAL = float;
struct GpSolidFill;

extern "C" {
GpStatus WINAPI GdipCreateFromHDC(HDC, GpGraphics**);
GpStatus WINAPI GdipDeleteGraphics(GpGraphics*);
GpStatus WINAPI GdipSetSmoothingMode(GpGraphics*, int);
GpStatus WINAPI GdipCreatePath(int, GpPath**);
GpStatus WINAPI GdipDeletePath(GpPath*);
GpStatus WINAPI GdipAddPathLine(GpPath*, REAL, REAL, REAL, REAL);
GpStatus WINAPI GdipAddPathArc(GpPath*, REAL, REAL, REAL, REAL, REAL, REAL);
GpStatus WINAPI GdipCreateSolidFill(ARGB, GpSolidFill**);
GpStatus WINAPI GdipDeleteBrush(GpBrush*);
GpStatus WINAPI GdipFillPath(GpGraphics*, GpBrush*, GpPath*);
GpStatus WINAPI GdipCreatePen1(ARGB, REAL, int, GpPen**);
GpStatus WINAPI GdipDeletePen(GpPen*);
GpStatus WINAPI GdipDrawPath(GpGraphics*, GpPen*, GpPath*);
GpStatus WINAPI GdipFillEllipseI(GpGraphics*, GpBrush*, INT, INT, INT, INT);
GpStatus WINAPI GdipDrawEllipseI(GpGraphics*, GpPen*, INT, INT, INT, INT);
GpStatus WINAPI GdipLoadImageFromFile(const WCHAR*, GpImage**);
GpStatus WINAPI GdipLoadImageFromStream(IStream*, GpImage**);
GpStatus WINAPI GdipDisposeImage(GpImage*);
GpStatus WINAPI GdipGetImageWidth(GpImage*, UINT*);
GpStatus WINAPI GdipGetImageHeight(GpImage*, UINT*);
GpStatus WINAPI GdipCreateImageAttributes(GpImageAttributes**);
GpStatus WINAPI GdipDisposeImageAttributes(GpImageAttributes*);
GpStatus WINAPI GdipSetImageAttributesWrapMode(GpImageAttributes*, int, ARGB, BOOL);
GpStatus WINAPI GdipDrawImageRectRect(GpGraphics*, GpImage*, REAL, REAL, REAL, REAL, REAL, REAL, REAL, REAL, int,
                                      const GpImageAttributes*, void*, void*);
}

namespace {

constexpr int kSmoothingAntiAlias = 4;
constexpr int kFillModeAlternate = 0;
constexpr int kUnitWorld = 0;
constexpr int kUnitPixel = 2;
constexpr int kWrapTileFlipXY = 3;
constexpr ARGB kOpaqueBlack = 0xFF000000;

class SolidBrush {
public:
    explicit SolidBrush(ARGB color) { GdipCreateSolidFill(color, &brush_); }
    ~SolidBrush() {
        if (brush_ != nullptr) GdipDeleteBrush(reinterpret_cast<GpBrush*>(brush_));
    }
    SolidBrush(const SolidBrush&) = delete;
    SolidBrush& operator=(const SolidBrush&) = delete;
    GpBrush* Get() const { return reinterpret_cast<GpBrush*>(brush_); }

private:
    GpSolidFill* brush_ = nullptr;
};

class Pen {
public:
    Pen(ARGB color, float width) { GdipCreatePen1(color, width, kUnitWorld, &pen_); }
    ~Pen() {
        if (pen_ != nullptr) GdipDeletePen(pen_);
    }
    Pen(const Pen&) = delete;
    Pen& operator=(const Pen&) = delete;
    GpPen* Get() const { return pen_; }

private:
    GpPen* pen_ = nullptr;
};

class ImageAttributes {
public:
    ImageAttributes() {
        if (GdipCreateImageAttributes(&attributes_) == 0)
            GdipSetImageAttributesWrapMode(attributes_, kWrapTileFlipXY, kOpaqueBlack, FALSE);
    }
    ~ImageAttributes() {
        if (attributes_ != nullptr) GdipDisposeImageAttributes(attributes_);
    }
    ImageAttributes(const ImageAttributes&) = delete;
    ImageAttributes& operator=(const ImageAttributes&) = delete;
    GpImageAttributes* Get() const { return attributes_; }

private:
    GpImageAttributes* attributes_ = nullptr;
};

} // namespace

bool Available() {
    return drawservices::EnsureGdiplus();
}

Path::Path() {
    if (Available()) GdipCreatePath(kFillModeAlternate, &path_);
}

Path::~Path() {
    if (path_ != nullptr) GdipDeletePath(path_);
}

void Path::Line(float x1, float y1, float x2, float y2) {
    if (path_ != nullptr) GdipAddPathLine(path_, x1, y1, x2, y2);
}

void Path::Arc(float x, float y, float width, float height, float startAngle, float sweepAngle) {
    if (path_ != nullptr) GdipAddPathArc(path_, x, y, width, height, startAngle, sweepAngle);
}

Image::Image(const wchar_t* path) {
    if (path != nullptr && Available() && GdipLoadImageFromFile(path, &image_) != 0) image_ = nullptr;
}

Image::Image(const void* bytes, size_t size) {
    if (bytes == nullptr || size == 0 || size > UINT_MAX || !Available()) return;
    // The stream holds its own copy and must outlive the image.
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
    void* target = copy != nullptr ? GlobalLock(copy) : nullptr;
    if (target == nullptr) {
        if (copy != nullptr) GlobalFree(copy);
        return;
    }
    std::memcpy(target, bytes, size);
    GlobalUnlock(copy);
    if (FAILED(CreateStreamOnHGlobal(copy, TRUE, &stream_))) {
        GlobalFree(copy);
        stream_ = nullptr;
        return;
    }
    // The block may be larger than asked for; the decoder sees only the picture.
    ULARGE_INTEGER exact{};
    exact.QuadPart = size;
    stream_->SetSize(exact);
    if (stream_ != nullptr && GdipLoadImageFromStream(stream_, &image_) != 0) image_ = nullptr;
}

Image::~Image() {
    if (image_ != nullptr) GdipDisposeImage(image_);
    if (stream_ != nullptr) stream_->Release();
}

unsigned Image::Width() const {
    UINT width = 0;
    if (image_ != nullptr) GdipGetImageWidth(image_, &width);
    return width;
}

unsigned Image::Height() const {
    UINT height = 0;
    if (image_ != nullptr) GdipGetImageHeight(image_, &height);
    return height;
}

Graphics::Graphics(HDC dc) {
    if (dc == nullptr || !Available() || GdipCreateFromHDC(dc, &graphics_) != 0) {
        graphics_ = nullptr;
        return;
    }
    GdipSetSmoothingMode(graphics_, kSmoothingAntiAlias);
}

Graphics::~Graphics() {
    if (graphics_ != nullptr) GdipDeleteGraphics(graphics_);
}

void Graphics::FillPath(const Path& path, ARGB color) {
    if (graphics_ == nullptr || path.path_ == nullptr) return;
    SolidBrush brush(color);
    if (brush.Get() != nullptr) GdipFillPath(graphics_, brush.Get(), path.path_);
}

void Graphics::DrawPath(const Path& path, ARGB color, float width) {
    if (graphics_ == nullptr || path.path_ == nullptr) return;
    Pen pen(color, width);
    if (pen.Get() != nullptr) GdipDrawPath(graphics_, pen.Get(), path.path_);
}

void Graphics::FillEllipse(ARGB color, int x, int y, int width, int height) {
    if (graphics_ == nullptr) return;
    SolidBrush brush(color);
    if (brush.Get() != nullptr) GdipFillEllipseI(graphics_, brush.Get(), x, y, width, height);
}

void Graphics::DrawEllipse(ARGB color, float width, int x, int y, int w, int h) {
    if (graphics_ == nullptr) return;
    Pen pen(color, width);
    if (pen.Get() != nullptr) GdipDrawEllipseI(graphics_, pen.Get(), x, y, w, h);
}

bool Graphics::DrawImage(const Image& image, float x, float y, float width, float height) {
    if (graphics_ == nullptr || image.image_ == nullptr) return false;
    // The default smoothing of drawing, not of images, applies to pictures.
    GdipSetSmoothingMode(graphics_, 0);
    const ImageAttributes attributes;
    return GdipDrawImageRectRect(graphics_, image.image_, x, y, width, height, 0, 0,
                                 static_cast<float>(image.Width()), static_cast<float>(image.Height()), kUnitPixel,
                                 attributes.Get(), nullptr, nullptr) == 0;
}

} // namespace gdiplusflat
