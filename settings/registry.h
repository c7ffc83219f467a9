// Small registry operations: owned key handles, reading and writing single
// values. Every failure also leaves the registry error as the last error.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "../base/uniquehandle.h"
#include "../text/exstring.h"

// Keys opened by this file's functions (never the predefined roots).
struct KeyKind {
    using Handle = HKEY;
    static bool Holds(HKEY key) { return key != nullptr; }
    static void Close(HKEY key);
};
using UniqueKey = UniqueResource<KeyKind>;

// Value data as read: a shared block of bytes (none when empty).
class ByteBuffer {
public:
    ByteBuffer() = default;
    explicit ByteBuffer(std::vector<uint8_t> bytes)
        : block_(std::make_shared<const std::vector<uint8_t>>(std::move(bytes))) {}

    size_t Size() const { return block_ ? block_->size() : 0; }
    bool Empty() const { return Size() == 0; }
    const uint8_t* Data() const { return block_ && !block_->empty() ? block_->data() : nullptr; }

private:
    std::shared_ptr<const std::vector<uint8_t>> block_;
};

// Reads with KEY_READ; creates with KEY_WRITE. None for a missing root or path.
[[nodiscard]] UniqueKey OpenKey(HKEY root, const exstring& path, bool create);

ByteBuffer QueryValue(HKEY key, const exstring& name, DWORD* type = nullptr);
// Reads below HKEY_CURRENT_USER.
ByteBuffer ReadValue(const exstring& path, const exstring& name, DWORD* type = nullptr);

[[nodiscard]] bool SetValue(HKEY key, const exstring& name, const void* data, DWORD size, DWORD type);
[[nodiscard]] bool WriteValue(HKEY root, const exstring& path, const exstring& name, const void* data, DWORD size, DWORD type);
