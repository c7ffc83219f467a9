#include "systemkdf.h"

#include <windows.h>

#include <bcrypt.h>

#include <climits>

namespace {

using OpenProvider = NTSTATUS(WINAPI*)(BCRYPT_ALG_HANDLE*, LPCWSTR, LPCWSTR, ULONG);
using CloseProvider = NTSTATUS(WINAPI*)(BCRYPT_ALG_HANDLE, ULONG);
using DeriveKey = NTSTATUS(WINAPI*)(BCRYPT_ALG_HANDLE, PUCHAR, ULONG, PUCHAR, ULONG, ULONGLONG, PUCHAR, ULONG, ULONG);
using GenRandom = NTSTATUS(WINAPI*)(BCRYPT_ALG_HANDLE, PUCHAR, ULONG, ULONG);

struct Bcrypt {
    OpenProvider open = nullptr;
    CloseProvider close = nullptr;
    DeriveKey derive = nullptr;
    GenRandom random = nullptr;
};

template <typename Function>
Function Lookup(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Kept loaded for the life of the process. Only the system folder is
// searched, so a bcrypt.dll planted beside the program is never loaded.
const Bcrypt& SystemBcrypt() {
    static const Bcrypt functions = [] {
        Bcrypt found;
        const HMODULE module = LoadLibraryExW(L"bcrypt.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (module == nullptr) return found;
        found.open = Lookup<OpenProvider>(module, "BCryptOpenAlgorithmProvider");
        found.close = Lookup<CloseProvider>(module, "BCryptCloseAlgorithmProvider");
        found.derive = Lookup<DeriveKey>(module, "BCryptDeriveKeyPBKDF2");
        found.random = Lookup<GenRandom>(module, "BCryptGenRandom");
        return found;
    }();
    return functions;
}

bool FitsUlong(size_t size) {
    return size <= ULONG_MAX;
}

} // namespace

bool DerivePbkdf2Sha256(const uint8_t* password, size_t passwordSize, const uint8_t* salt, size_t saltSize,
                        uint32_t rounds, uint8_t* key, size_t keySize) {
    const Bcrypt& bcrypt = SystemBcrypt();
    if (bcrypt.open == nullptr || bcrypt.close == nullptr || bcrypt.derive == nullptr) return false;
    if (rounds == 0 || key == nullptr || !FitsUlong(passwordSize) || !FitsUlong(saltSize) || !FitsUlong(keySize))
        return false;
    BCRYPT_ALG_HANDLE hmac = nullptr;
    if (!BCRYPT_SUCCESS(bcrypt.open(&hmac, BCRYPT_SHA256_ALGORITHM, nullptr, BCRYPT_ALG_HANDLE_HMAC_FLAG)))
        return false;
    // bcrypt takes non-const buffers it does not write.
    const NTSTATUS status = bcrypt.derive(hmac, const_cast<PUCHAR>(password), static_cast<ULONG>(passwordSize),
                                          const_cast<PUCHAR>(salt), static_cast<ULONG>(saltSize), rounds, key,
                                          static_cast<ULONG>(keySize), 0);
    bcrypt.close(hmac, 0);
    return BCRYPT_SUCCESS(status);
}

bool SystemRandomBytes(uint8_t* buffer, size_t size) {
    const Bcrypt& bcrypt = SystemBcrypt();
    if (bcrypt.random == nullptr || buffer == nullptr || !FitsUlong(size)) return false;
    return BCRYPT_SUCCESS(bcrypt.random(nullptr, buffer, static_cast<ULONG>(size), BCRYPT_USE_SYSTEM_PREFERRED_RNG));
}
