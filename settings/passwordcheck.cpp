#include "passwordcheck.h"

#include <windows.h>

#include "passworddigest.h"
#include "systemkdf.h"

namespace {

// The text's UTF-16 code units as they lie in memory (little-endian on every
// Windows machine): no code page between the password and its digest.
bool DeriveKey(const exstring& password, const PasswordRecord& record, uint8_t* key) {
    return DerivePbkdf2Sha256(reinterpret_cast<const uint8_t*>(password.data()), password.size() * sizeof(exchar),
                              record.salt, sizeof(record.salt), record.rounds, key, kPasswordKeySize);
}

bool KeysEqual(const uint8_t* a, const uint8_t* b) {
    uint8_t difference = 0;
    for (size_t i = 0; i < kPasswordKeySize; ++i) difference |= static_cast<uint8_t>(a[i] ^ b[i]);
    return difference == 0;
}

} // namespace

bool SealPassword(const exstring& password, uint32_t rounds, PasswordRecord& record) {
    if (password.empty()) {
        record = PasswordRecord();
        return true;
    }
    PasswordRecord sealed;
    sealed.form = PasswordRecord::Form::kSalted;
    sealed.rounds = rounds;
    if (rounds == 0 || rounds > kMaxPasswordRounds || !SystemRandomBytes(sealed.salt, sizeof(sealed.salt)) ||
        !DeriveKey(password, sealed, sealed.key))
        return false;
    record = sealed;
    return true;
}

bool RecordMatches(const PasswordRecord& record, const exstring& typed) {
    switch (record.form) {
    case PasswordRecord::Form::kNone:
        return typed.empty();
    case PasswordRecord::Form::kLegacy: {
        const PasswordDigestBytes digest = ComputePasswordDigest(typed);
        return DigestsEqual(digest.data(), record.key);
    }
    case PasswordRecord::Form::kSalted: {
        uint8_t key[kPasswordKeySize] = {};
        const bool derived = DeriveKey(typed, record, key);
        const bool equal = KeysEqual(key, record.key);
        SecureZeroMemory(key, sizeof(key));
        return derived && equal;
    }
    case PasswordRecord::Form::kDamaged:
        break;
    }
    return false;
}
