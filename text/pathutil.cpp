#include "pathutil.h"

#include <objbase.h>

namespace {

using SHGetKnownFolderPathFn = HRESULT(WINAPI*)(REFGUID, DWORD, HANDLE, PWSTR*);

constexpr DWORD kKnownFolderDontVerify = 0x4000;
constexpr size_t kShortestGuidToken = 36;

// Looked up once: absent on old shells, and never asked for again then.
SHGetKnownFolderPathFn KnownFolderFunction() {
    static const SHGetKnownFolderPathFn function = [] {
        HMODULE shell = LoadLibraryW(L"Shell32.dll");
        if (shell == nullptr) return SHGetKnownFolderPathFn(nullptr);
        return reinterpret_cast<SHGetKnownFolderPathFn>(
            reinterpret_cast<void*>(GetProcAddress(shell, "SHGetKnownFolderPath")));
    }();
    return function;
}

exstring ExpandEnvironment(const exstring& path) {
    const DWORD needed = ExpandEnvironmentStringsW(path.c_str(), nullptr, 0);
    if (needed <= 1) return path;
    exstring buffer(needed, L'\0');
    const DWORD written = ExpandEnvironmentStringsW(path.c_str(), &buffer[0], needed);
    if (written == 0 || written > needed) return path;
    buffer.resize(TextLength(buffer.c_str()));
    return buffer;
}

void ExpandKnownFolders(exstring& text) {
    size_t open = text.find(L'%');
    while (open != exstring::npos) {
        const size_t close = text.find(L'%', open + 1);
        if (close == exstring::npos) return;
        const size_t length = close - open - 1;
        if (length < kShortestGuidToken) return;
        const exstring token = text.substr(open + 1, length);
        GUID folder{};
        if (FAILED(CLSIDFromString(token.c_str(), &folder))) folder = GUID{};
        const exstring folderPath = KnownFolderPath(folder);
        if (folderPath.empty()) {
            open = text.find(L'%', close + 1);
        } else {
            text.replace(open, close - open + 1, folderPath);
            open = text.find(L'%', open + folderPath.size());
        }
    }
}

} // namespace

exstring KnownFolderPath(const GUID& folder) {
    if (folder.Data1 == 0) return {};
    const SHGetKnownFolderPathFn function = KnownFolderFunction();
    if (function == nullptr) return {};
    PWSTR path = nullptr;
    exstring result;
    if (SUCCEEDED(function(folder, kKnownFolderDontVerify, nullptr, &path)) && path != nullptr) result = path;
    CoTaskMemFree(path);
    return result;
}

exstring ExpandPath(const exstring& path) {
    if (path.empty()) return {};
    if (path.find(L'%') == exstring::npos) return path;
    exstring expanded = ExpandEnvironment(path);
    ExpandKnownFolders(expanded);
    return expanded;
}

int PathKind(const exstring& path) {
    if (path.empty()) return kPathMissing;
    const exstring expanded = ExpandPath(path);
    if (expanded.empty()) return kPathMissing;
    // No "insert a disk" prompt for an empty removable drive.
    DWORD errorMode = 0;
    const bool quiet = SetThreadErrorMode(SEM_FAILCRITICALERRORS, &errorMode) != FALSE;
    const DWORD attributes = GetFileAttributesW(expanded.c_str());
    if (quiet) SetThreadErrorMode(errorMode, nullptr);
    if (attributes == INVALID_FILE_ATTRIBUTES) return kPathMissing;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? kPathDirectory : kPathFile;
}

exstring ModuleFileName(HMODULE module, ModuleFileNameFn read) {
    // A path cut at the buffer's end comes back as long as the buffer: grow it.
    for (DWORD size = MAX_PATH;; size *= 2) {
        exstring buffer(size, L'\0');
        const DWORD length = read(module, &buffer[0], size);
        if (length == 0) return exstring();
        if (length < size) {
            buffer.resize(length);
            return buffer;
        }
        if (size >= kLongestPath) return exstring();
    }
}

exstring ModulePath(bool quote) {
    exstring path = ModuleFileName(nullptr);
    if (quote && path.find(L' ') != exstring::npos) path = L"\"" + path + L"\"";
    return path;
}

exstring FileNameOf(const exstring& path) {
    const size_t separator = path.find_last_of(L"\\/:");
    return separator == exstring::npos ? path : path.substr(separator + 1);
}
