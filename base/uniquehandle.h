// Owning wrappers for handles of every kind: copy deleted, move allowed.
// Each kind says which values hold something and how that is given back.
#pragma once

#include <windows.h>

#include <utility>

template <class Kind>
class UniqueResource {
public:
    using Handle = typename Kind::Handle;

    UniqueResource() = default;
    explicit UniqueResource(Handle handle) : handle_(handle) {}
    ~UniqueResource() { Reset(); }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : handle_(other.Release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    bool Held() const { return Kind::Holds(handle_); }
    explicit operator bool() const { return Held(); }
    Handle Get() const { return handle_; }
    Handle Release() { return std::exchange(handle_, Handle{}); }
    void Reset(Handle handle = Handle{}) {
        if (Held()) Kind::Close(handle_);
        handle_ = handle;
    }

private:
    Handle handle_{};
};

// Kernel handles: neither null nor INVALID_HANDLE_VALUE holds one.
struct KernelHandleKind {
    using Handle = HANDLE;
    static bool Holds(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE handle) { CloseHandle(handle); }
};
using UniqueHandle = UniqueResource<KernelHandleKind>;

// GDI objects the program made: bitmaps, brushes, fonts, regions, pens.
template <class Object>
struct GdiObjectKind {
    using Handle = Object;
    static bool Holds(Object object) { return object != nullptr; }
    static void Close(Object object) { DeleteObject(object); }
};
template <class Object>
using UniqueGdiObject = UniqueResource<GdiObjectKind<Object>>;
using UniqueBitmap = UniqueGdiObject<HBITMAP>;
using UniqueBrush = UniqueGdiObject<HBRUSH>;
using UniqueFont = UniqueGdiObject<HFONT>;
using UniqueRegion = UniqueGdiObject<HRGN>;

// Icons the program made or loaded without LR_SHARED.
struct IconKind {
    using Handle = HICON;
    static bool Holds(HICON icon) { return icon != nullptr; }
    static void Close(HICON icon) { DestroyIcon(icon); }
};
using UniqueIcon = UniqueResource<IconKind>;

// Libraries loaded with LoadLibrary (never a GetModuleHandle result).
struct ModuleKind {
    using Handle = HMODULE;
    static bool Holds(HMODULE module) { return module != nullptr; }
    static void Close(HMODULE module) { FreeLibrary(module); }
};
using UniqueModule = UniqueResource<ModuleKind>;

// Registry keys opened through advapi32 (never a predefined root).
struct RegistryKeyKind {
    using Handle = HKEY;
    static bool Holds(HKEY key) { return key != nullptr; }
    static void Close(HKEY key) { RegCloseKey(key); }
};
using UniqueRegistryKey = UniqueResource<RegistryKeyKind>;

// A window's device context from GetDC (null: the screen's), given back to
// the same window.
class UniqueWindowDc {
public:
    explicit UniqueWindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    // Adopts `dc`, from GetDC or GetWindowDC of `window` (or null).
    UniqueWindowDc(HWND window, HDC dc) : window_(window), dc_(dc) {}
    ~UniqueWindowDc() { Reset(); }
    UniqueWindowDc(const UniqueWindowDc&) = delete;
    UniqueWindowDc& operator=(const UniqueWindowDc&) = delete;
    UniqueWindowDc(UniqueWindowDc&& other) noexcept
        : window_(other.window_), dc_(std::exchange(other.dc_, nullptr)) {}
    UniqueWindowDc& operator=(UniqueWindowDc&& other) noexcept {
        if (this != &other) {
            Reset();
            window_ = other.window_;
            dc_ = std::exchange(other.dc_, nullptr);
        }
        return *this;
    }

    HDC Get() const { return dc_; }
    bool Held() const { return dc_ != nullptr; }
    explicit operator bool() const { return Held(); }
    void Reset() {
        if (dc_ != nullptr) ReleaseDC(window_, dc_);
        dc_ = nullptr;
    }

private:
    HWND window_;
    HDC dc_;
};
