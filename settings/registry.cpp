#include "registry.h"

#include "nativekeys.h"

namespace {

bool Fail(LSTATUS status) {
    SetLastError(static_cast<DWORD>(status));
    return false;
}

} // namespace

void KeyKind::Close(HKEY key) {
    CloseKey(key);
}

UniqueKey OpenKey(HKEY root, const exstring& path, bool create) {
    if (root == nullptr || path.empty()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return UniqueKey();
    }
    HKEY key = nullptr;
    const LSTATUS status =
        create ? RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key,
                                 nullptr)
               : OpenKeyForReading(root, path, key);
    if (status != ERROR_SUCCESS) {
        Fail(status);
        return UniqueKey();
    }
    return UniqueKey(key);
}

ByteBuffer QueryValue(HKEY key, const exstring& name, DWORD* type) {
    DWORD valueType = REG_NONE;
    std::vector<uint8_t> bytes;
    const LSTATUS status = QueryValueData(key, name, valueType, bytes);
    if (type != nullptr) *type = valueType;
    if (status != ERROR_SUCCESS) {
        Fail(status);
        return ByteBuffer();
    }
    if (bytes.empty()) return ByteBuffer();
    return ByteBuffer(std::move(bytes));
}

ByteBuffer ReadValue(const exstring& path, const exstring& name, DWORD* type) {
    if (type != nullptr) *type = REG_NONE;
    const UniqueKey key = OpenKey(HKEY_CURRENT_USER, path, false);
    if (!key) return ByteBuffer();
    return QueryValue(key.Get(), name, type);
}

bool SetValue(HKEY key, const exstring& name, const void* data, DWORD size, DWORD type) {
    if (key == nullptr || (data == nullptr && size != 0)) return Fail(ERROR_INVALID_PARAMETER);
    const LSTATUS status = RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    return status == ERROR_SUCCESS || Fail(status);
}

bool WriteValue(HKEY root, const exstring& path, const exstring& name, const void* data, DWORD size, DWORD type) {
    const UniqueKey key = OpenKey(root, path, true);
    if (!key) return false;
    return SetValue(key.Get(), name, data, size, type);
}
