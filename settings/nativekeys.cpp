#include "nativekeys.h"

#include <winternl.h>

#include <algorithm>
#include <cstring>

extern "C" {
NTSTATUS NTAPI NtOpenKey(PHANDLE key, ACCESS_MASK access, POBJECT_ATTRIBUTES attributes);
NTSTATUS NTAPI RtlOpenCurrentUser(ACCESS_MASK access, PHANDLE key);
NTSTATUS NTAPI NtQueryValueKey(HANDLE key, PUNICODE_STRING name, ULONG infoClass, PVOID info, ULONG length,
                               PULONG resultLength);
NTSTATUS NTAPI NtEnumerateKey(HANDLE key, ULONG index, ULONG infoClass, PVOID info, ULONG length,
                              PULONG resultLength);
NTSTATUS NTAPI NtEnumerateValueKey(HANDLE key, ULONG index, ULONG infoClass, PVOID info, ULONG length,
                                   PULONG resultLength);
}

namespace {

// The native records, as the kernel lays them out.
const ULONG kKeyBasicInformation = 0;
const ULONG kKeyValueFullInformation = 1;
const ULONG kKeyValuePartialInformation = 2;
struct KeyBasic {
    LARGE_INTEGER lastWriteTime;
    ULONG titleIndex;
    ULONG nameLength;  // bytes
    WCHAR name[1];
};
struct ValueFull {
    ULONG titleIndex;
    ULONG type;
    ULONG dataOffset;
    ULONG dataLength;
    ULONG nameLength;  // bytes
    WCHAR name[1];
};
struct ValuePartial {
    ULONG titleIndex;
    ULONG type;
    ULONG dataLength;
    UCHAR data[1];
};

const NTSTATUS kBufferOverflow = static_cast<NTSTATUS>(0x80000005L);
const NTSTATUS kBufferTooSmall = static_cast<NTSTATUS>(0xC0000023L);
// A value is at most 1 MiB by the registry's own advice; a key name 255 characters.
const ULONG kLargestRecord = 16u * 1024 * 1024;

LONG ErrorOf(NTSTATUS status) {
    return NT_SUCCESS(status) ? ERROR_SUCCESS : static_cast<LONG>(RtlNtStatusToDosError(status));
}

bool MakeCounted(const exstring& text, UNICODE_STRING& counted) {
    const size_t bytes = text.size() * sizeof(wchar_t);
    if (bytes > 0xFFFE) return false;
    counted.Length = counted.MaximumLength = static_cast<USHORT>(bytes);
    counted.Buffer = const_cast<PWSTR>(text.c_str());
    return true;
}

bool IsPredefined(HKEY key) {
    const auto value = reinterpret_cast<ULONG_PTR>(key);
    return value >= reinterpret_cast<ULONG_PTR>(HKEY_CLASSES_ROOT) &&
           value <= reinterpret_cast<ULONG_PTR>(HKEY_CURRENT_USER_LOCAL_SETTINGS);
}

// The current user's hive, opened once for the process.
HANDLE CurrentUser() {
    static const HANDLE user = [] {
        HANDLE key = nullptr;
        return NT_SUCCESS(RtlOpenCurrentUser(MAXIMUM_ALLOWED, &key)) ? key : nullptr;
    }();
    return user;
}

// Fills `buffer` by `query`, growing it as far as the record needs. A few
// tries only: another program growing the value between them must not keep
// this thread (which also answers the input hooks) busy.
template <class Query>
NTSTATUS QueryGrowing(std::vector<uint8_t>& buffer, Query query) {
    if (buffer.size() < 256) buffer.resize(256);
    NTSTATUS status = kBufferOverflow;
    for (int tries = 0; tries < 4; ++tries) {
        ULONG needed = 0;
        status = query(buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status != kBufferOverflow && status != kBufferTooSmall) return status;
        if (needed <= buffer.size() || needed > kLargestRecord) return status;
        buffer.resize(std::max<size_t>(needed, std::min<size_t>(2 * buffer.size(), kLargestRecord)));
    }
    return status;
}

// One record about an opened key, in `buffer`.
template <class Query>
LONG Fetch(HKEY key, std::vector<uint8_t>& buffer, Query query) {
    if (key == nullptr || IsPredefined(key)) return ERROR_INVALID_PARAMETER;
    return ErrorOf(QueryGrowing(buffer, query));
}

// The fixed part the record in `buffer` starts with (the buffer is never
// shorter than any fixed part).
template <class Record>
Record HeaderOf(const std::vector<uint8_t>& buffer, size_t fixedSize) {
    Record record{};
    std::memcpy(&record, buffer.data(), fixedSize);
    return record;
}

// `length` bytes at `offset` of the record; false where they pass its end.
bool BytesAt(const std::vector<uint8_t>& buffer, size_t offset, size_t length, std::vector<uint8_t>& bytes) {
    if (offset > buffer.size() || length > buffer.size() - offset) return false;
    bytes.assign(buffer.begin() + static_cast<std::ptrdiff_t>(offset),
                 buffer.begin() + static_cast<std::ptrdiff_t>(offset + length));
    return true;
}

bool TextAt(const std::vector<uint8_t>& buffer, size_t offset, size_t length, exstring& text) {
    if (offset > buffer.size() || length > buffer.size() - offset) return false;
    text.resize(length / sizeof(wchar_t));
    if (!text.empty()) std::memcpy(&text[0], buffer.data() + offset, text.size() * sizeof(wchar_t));
    return true;
}

} // namespace

LONG OpenKeyForReading(HKEY root, const exstring& path, HKEY& key) {
    key = nullptr;
    HANDLE directory = root;
    exstring name = path;
    if (root == HKEY_LOCAL_MACHINE) {
        directory = nullptr;
        name = L"\\Registry\\Machine\\" + path;
    } else if (root == HKEY_CURRENT_USER && CurrentUser() != nullptr) {
        directory = CurrentUser();
    } else if (IsPredefined(root)) {
        return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key);
    }
    UNICODE_STRING counted{};
    if (!MakeCounted(name, counted)) return ERROR_INVALID_PARAMETER;
    OBJECT_ATTRIBUTES attributes{};
    InitializeObjectAttributes(&attributes, &counted, OBJ_CASE_INSENSITIVE, directory, nullptr);
    HANDLE opened = nullptr;
    const NTSTATUS status = NtOpenKey(&opened, KEY_READ, &attributes);
    if (NT_SUCCESS(status)) key = static_cast<HKEY>(opened);
    return ErrorOf(status);
}

LONG CloseKey(HKEY key) {
    if (key == nullptr || IsPredefined(key)) return ERROR_SUCCESS;
    return ErrorOf(NtClose(key));
}

LONG QueryValueData(HKEY key, const exstring& name, DWORD& type, std::vector<uint8_t>& data) {
    type = REG_NONE;
    data.clear();
    UNICODE_STRING counted{};
    if (!MakeCounted(name, counted)) return ERROR_INVALID_PARAMETER;
    std::vector<uint8_t> buffer;
    const LONG status = Fetch(key, buffer, [&](void* info, ULONG length, PULONG needed) {
        return NtQueryValueKey(key, &counted, kKeyValuePartialInformation, info, length, needed);
    });
    if (status != ERROR_SUCCESS) return status;
    const auto record = HeaderOf<ValuePartial>(buffer, offsetof(ValuePartial, data));
    if (!BytesAt(buffer, offsetof(ValuePartial, data), record.dataLength, data)) return ERROR_INVALID_DATA;
    type = record.type;
    return ERROR_SUCCESS;
}

LONG EnumerateSubkey(HKEY key, DWORD index, exstring& name) {
    name.clear();
    std::vector<uint8_t> buffer;
    const LONG status = Fetch(key, buffer, [&](void* info, ULONG length, PULONG needed) {
        return NtEnumerateKey(key, index, kKeyBasicInformation, info, length, needed);
    });
    if (status != ERROR_SUCCESS) return status;
    const auto record = HeaderOf<KeyBasic>(buffer, offsetof(KeyBasic, name));
    return TextAt(buffer, offsetof(KeyBasic, name), record.nameLength, name) ? ERROR_SUCCESS : ERROR_INVALID_DATA;
}

LONG EnumerateValue(HKEY key, DWORD index, NamedValue& value) {
    value = NamedValue();
    std::vector<uint8_t> buffer;
    const LONG status = Fetch(key, buffer, [&](void* info, ULONG length, PULONG needed) {
        return NtEnumerateValueKey(key, index, kKeyValueFullInformation, info, length, needed);
    });
    if (status != ERROR_SUCCESS) return status;
    const auto record = HeaderOf<ValueFull>(buffer, offsetof(ValueFull, name));
    if (!TextAt(buffer, offsetof(ValueFull, name), record.nameLength, value.name) ||
        !BytesAt(buffer, record.dataOffset, record.dataLength, value.data))
        return ERROR_INVALID_DATA;
    value.type = record.type;
    return ERROR_SUCCESS;
}
