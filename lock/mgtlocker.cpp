#include "mgtlocker.h"

namespace {

template <class Function>
Function LookUp(HMODULE module, const char* name) {
    if (module == nullptr) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

} // namespace

mgtLocker::mgtLocker() : processId_(GetCurrentProcessId()) {}

void mgtLocker::LookUpShutdownBlockReasons() {
    if (lookedUp_) return;
    lookedUp_ = true;
    const HMODULE user32 = LoadLibraryW(L"User32.dll");
    blockReasonCreate_ = LookUp<BlockReasonCreateFn>(user32, "ShutdownBlockReasonCreate");
    blockReasonDestroy_ = LookUp<BlockReasonDestroyFn>(user32, "ShutdownBlockReasonDestroy");
}

bool mgtLocker::HasShutdownBlockReasons() {
    LookUpShutdownBlockReasons();
    return blockReasonCreate_ != nullptr && blockReasonDestroy_ != nullptr;
}
