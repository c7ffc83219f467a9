#include "plaingdiplus.h"

#include <cstdint>

namespace {

struct GpGraphics;
struct GpImage;
struct GpImageAttributes;

struct StartupInput {
    UINT32 version = 1;
    void* debugEventCallback = nullptr;
    BOOL suppressBackgroundThread = FALSE;
    BOOL suppressExternalCodecs = FALSE;
};

constexpr int kUnitPixel = 2;
constexpr int kWrapTileFlipXY = 3;

} // namespace

extern "C" {
int WINAPI GdiplusStartup(ULONG_PTR*, const StartupInput*, void*);
int WINAPI GdipCreateFromHDC(HDC, GpGraphics**);
int WINAPI GdipDeleteGraphics(GpGraphics*);
int WINAPI GdipLoadImageFromFile(const WCHAR*, GpImage**);
int WINAPI GdipDisposeImage(GpImage*);
int WINAPI GdipGetImageWidth(GpImage*, UINT*);
int WINAPI GdipGetImageHeight(GpImage*, UINT*);
int WINAPI GdipCreateImageAttributes(GpImageAttributes**);
int WINAPI GdipDisposeImageAttributes(GpImageAttributes*);
int WINAPI GdipSetImageAttributesWrapMode(GpImageAttributes*, int, uint32_t, BOOL);
int WINAPI GdipDrawImageRectRect(GpGraphics*, GpImage*, float, float, float, float, float, float, float, float, int,
                                 const GpImageAttributes*, void*, void*);
}

bool StartGdiplus() {
    static const bool started = [] {
        ULONG_PTR token = 0;
        const StartupInput input;
        return GdiplusStartup(&token, &input, nullptr) == 0;
    }();
    return started;
}

bool DrawPictureWithGdiplus(HDC dc, const wchar_t* path, float width, float height) {
    GpImage* image = nullptr;
    GpGraphics* graphics = nullptr;
    GpImageAttributes* attributes = nullptr;
    UINT sourceWidth = 0, sourceHeight = 0;
    bool drawn = false;
    if (StartGdiplus() && GdipLoadImageFromFile(path, &image) == 0 && GdipCreateFromHDC(dc, &graphics) == 0 &&
        GdipCreateImageAttributes(&attributes) == 0) {
        GdipSetImageAttributesWrapMode(attributes, kWrapTileFlipXY, 0xFF000000, FALSE);
        GdipGetImageWidth(image, &sourceWidth);
        GdipGetImageHeight(image, &sourceHeight);
        drawn = GdipDrawImageRectRect(graphics, image, 0, 0, width, height, 0, 0, static_cast<float>(sourceWidth),
                                      static_cast<float>(sourceHeight), kUnitPixel, attributes, nullptr, nullptr) == 0;
    }
    if (attributes != nullptr) GdipDisposeImageAttributes(attributes);
    if (graphics != nullptr) GdipDeleteGraphics(graphics);
    if (image != nullptr) GdipDisposeImage(image);
    return drawn;
}
