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
