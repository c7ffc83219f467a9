#include "librarysearch.h"

#include <windows.h>
#include <delayimp.h>

namespace {

// The delay-load helper asks this before it loads a library itself; a
// library answered here is the one it uses.
FARPROC WINAPI LoadFromSystemFolder(unsigned notice, PDelayLoadInfo info) noexcept {
    KeepLibrariesInSystemFolder();
    if (notice != dliNotePreLoadLibrary || info == nullptr || info->szDll == nullptr) return nullptr;
    return reinterpret_cast<FARPROC>(
        reinterpret_cast<void*>(LoadLibraryExA(info->szDll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)));
}

} // namespace

// The hook's name and type are fixed by the delay-load helper; Microsoft's
// header declares it constant, MinGW's does not.
extern "C" {
#if defined(_MSC_VER)
const PfnDliHook __pfnDliNotifyHook2 = LoadFromSystemFolder;
#else
PfnDliHook __pfnDliNotifyHook2 = LoadFromSystemFolder;
#endif
}

void KeepLibrariesInSystemFolder() {
    static bool kept = false;
    if (kept) return;
    kept = true;
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}
