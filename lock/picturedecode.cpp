#include "picturedecode.h"

#include <wincodec.h>

#include <utility>

#include "backgroundlayout.h"

namespace {

// Spelled out here: linking them from the uuid library added about 35 KB to
// the program.
const GUID kImagingFactoryClass = {0xcacaf262, 0x9370, 0x4615, {0xa1, 0x3b, 0x9f, 0x55, 0x39, 0xda, 0x4c, 0x0a}};
const GUID kImagingFactoryInterface = {0xec5ec8a9, 0xc395, 0x4314, {0x9c, 0x77, 0x54, 0xd7, 0xa9, 0x35, 0xff, 0x70}};
const GUID kPremultipliedBgra = {0x6fddc324, 0x4e03, 0x4bfe, {0xb1, 0x85, 0x3d, 0x77, 0x76, 0x8d, 0xc9, 0x10}};

// Owns one COM reference.
template <class T>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() {
        if (p_ != nullptr) p_->Release();
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    T* operator->() const { return p_; }
    T* Get() const { return p_; }
    T** Out() { return &p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};

// COM for this thread, for as long as the decode lasts.
class ComThread {
public:
    ComThread() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {}
    ~ComThread() {
        if (ok_) CoUninitialize();
    }
    ComThread(const ComThread&) = delete;
    ComThread& operator=(const ComThread&) = delete;

private:
    bool ok_;
};

HBITMAP MakeDib(SIZE size, void** bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = size.cx;
    info.bmiHeader.biHeight = -size.cy;  // top-down, as WIC writes rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

bool AllOpaque(const uint8_t* pixels, size_t count) {
    for (size_t i = 0; i < count; ++i)
        if (pixels[4 * i + 3] != 0xFF) return false;
    return true;
}

} // namespace

bool DecodeForScreen(const uint8_t* bytes, size_t size, SIZE screen, unsigned long long maxPixels,
                     ScreenPicture& picture) {
    picture = ScreenPicture();
    if (bytes == nullptr || size == 0 || size > MAXDWORD || screen.cx <= 0 || screen.cy <= 0) return false;
    const ComThread com;
    ComRef<IWICImagingFactory> factory;
    ComRef<IWICStream> stream;
    ComRef<IWICBitmapDecoder> decoder;
    ComRef<IWICBitmapFrameDecode> frame;
    if (FAILED(CoCreateInstance(kImagingFactoryClass, nullptr, CLSCTX_INPROC_SERVER, kImagingFactoryInterface,
                                reinterpret_cast<void**>(factory.Out()))) ||
        FAILED(factory->CreateStream(stream.Out())) ||
        FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(bytes), static_cast<DWORD>(size))) ||
        FAILED(factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                                decoder.Out())) ||
        FAILED(decoder->GetFrame(0, frame.Out())))
        return false;
    UINT width = 0, height = 0;
    if (FAILED(frame->GetSize(&width, &height)) || width == 0 || height == 0 || width > LONG_MAX ||
        height > LONG_MAX || static_cast<unsigned long long>(width) * height > maxPixels)
        return false;

    // Scaled before the conversion, so that only the screen's pixels are
    // converted; the decoder may then also skip what the scale drops.
    const SIZE source{static_cast<LONG>(width), static_cast<LONG>(height)};
    const BackgroundLayout layout = LayoutBackground(RECT{0, 0, 0, 0}, RECT{0, 0, screen.cx, screen.cy}, source);
    const UINT coverWidth = static_cast<UINT>(layout.picture.right - layout.picture.left);
    const UINT coverHeight = static_cast<UINT>(layout.picture.bottom - layout.picture.top);
    ComRef<IWICBitmapScaler> scaler;
    ComRef<IWICFormatConverter> converter;
    IWICBitmapSource* scaled = frame.Get();
    if (coverWidth != width || coverHeight != height) {
        if (FAILED(factory->CreateBitmapScaler(scaler.Out())) ||
            FAILED(scaler->Initialize(frame.Get(), coverWidth, coverHeight, WICBitmapInterpolationModeFant)))
            return false;
        scaled = scaler.Get();
    }
    if (FAILED(factory->CreateFormatConverter(converter.Out())) ||
        FAILED(converter->Initialize(scaled, kPremultipliedBgra, WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom)))
        return false;

    void* bits = nullptr;
    UniqueBitmap pixels(MakeDib(screen, &bits));
    if (pixels.Get() == nullptr) return false;
    const UINT stride = static_cast<UINT>(screen.cx) * 4;
    const WICRect visible{-layout.picture.left, -layout.picture.top, screen.cx, screen.cy};
    if (FAILED(converter->CopyPixels(&visible, stride, stride * static_cast<UINT>(screen.cy),
                                     static_cast<BYTE*>(bits))))
        return false;
    GdiFlush();
    picture.opaque = AllOpaque(static_cast<const uint8_t*>(bits), static_cast<size_t>(screen.cx) * screen.cy);
    picture.source = source;
    picture.screen = screen;
    picture.pixels = std::move(pixels);
    return true;
}

void DrawScreenPicture(HDC dc, const RECT& at, const ScreenPicture& picture) {
    if (dc == nullptr || picture.pixels.Get() == nullptr) return;
    HDC source = CreateCompatibleDC(dc);
    if (source == nullptr) return;
    const HGDIOBJ previous = SelectObject(source, picture.pixels.Get());
    const int width = at.right - at.left, height = at.bottom - at.top;
    const bool sameSize = width == picture.screen.cx && height == picture.screen.cy;
    if (picture.opaque && sameSize) {
        BitBlt(dc, at.left, at.top, width, height, source, 0, 0, SRCCOPY);
    } else if (picture.opaque) {
        SetStretchBltMode(dc, HALFTONE);
        StretchBlt(dc, at.left, at.top, width, height, source, 0, 0, picture.screen.cx, picture.screen.cy, SRCCOPY);
    } else {
        const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        GdiAlphaBlend(dc, at.left, at.top, width, height, source, 0, 0, picture.screen.cx, picture.screen.cy, blend);
    }
    SelectObject(source, previous);
    DeleteDC(source);
}
