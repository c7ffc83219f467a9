#include "gdiplusflat.h"

namespace gdiplusflat {

using GpStatus = int;
using REAL = float;
using ARGB = uint32_t;
struct GpImageAttributes;

struct StartupInput {
    UINT32 version = 1;
    void* debugEventCallback = nullptr;
    BOOL suppressBackgroundThread = FALSE;
    BOOL suppressExternalCodecs = FALSE;
};

extern "C" {
GpStatus WINAPI GdiplusStartup(ULONG_PTR*, const StartupInput*, void*);
GpStatus WINAPI GdipCreateFromHDC(HDC, GpGraphics**);
GpStatus WINAPI GdipDeleteGraphics(GpGraphics*);
GpStatus WINAPI GdipLoadImageFromFile(const WCHAR*, GpImage**);
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

constexpr int kUnitPixel = 2;
constexpr int kWrapTileFlipXY = 3;
constexpr ARGB kOpaqueBlack = 0xFF000000;

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
    static const bool started = [] {
        ULONG_PTR token = 0;
        const StartupInput input;
        return GdiplusStartup(&token, &input, nullptr) == 0;
    }();
    return started;
}

Image::Image(const wchar_t* path) {
    if (path != nullptr && Available() && GdipLoadImageFromFile(path, &image_) != 0) image_ = nullptr;
}

Image::~Image() {
    if (image_ != nullptr) GdipDisposeImage(image_);
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
    if (dc == nullptr || !Available() || GdipCreateFromHDC(dc, &graphics_) != 0) graphics_ = nullptr;
}

Graphics::~Graphics() {
    if (graphics_ != nullptr) GdipDeleteGraphics(graphics_);
}

bool Graphics::DrawImage(const Image& image, float x, float y, float width, float height) {
    if (graphics_ == nullptr || image.image_ == nullptr) return false;
    const ImageAttributes attributes;
    return GdipDrawImageRectRect(graphics_, image.image_, x, y, width, height, 0, 0,
                                 static_cast<float>(image.Width()), static_cast<float>(image.Height()), kUnitPixel,
                                 attributes.Get(), nullptr, nullptr) == 0;
}

} // namespace gdiplusflat
