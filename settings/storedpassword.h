// The stored password in each of its forms: none, the old fast digest, the
// salted slow digest (PBKDF2-HMAC-SHA256 of the UTF-16 text), or damaged. Two
// registry values carry it: `Password` (32 hexadecimal digits, as it always
// was) and `pwdDigest` (the salted form, when there is one).
#pragma once

#include <cstddef>
#include <cstdint>

#include "../text/exstring.h"

// What the program uses for every password it stores.
constexpr uint32_t kPasswordRounds = 600000;
// Stored round counts above this are damaged: a check must never take hours.
constexpr uint32_t kMaxPasswordRounds = 20000000;
constexpr size_t kPasswordSaltSize = 16;
constexpr size_t kPasswordKeySize = 32;

struct PasswordRecord {
    enum class Form : uint8_t { kNone, kLegacy, kSalted, kDamaged };
    Form form = Form::kNone;
    uint32_t rounds = 0;
    uint8_t salt[kPasswordSaltSize] = {};
    // The derived key; the old digest fills the first 16 bytes.
    uint8_t key[kPasswordKeySize] = {};
};

bool SameRecord(const PasswordRecord& a, const PasswordRecord& b);

// `Password` as written beside a salted digest: 32 hexadecimal digits, so
// that an older copy of the program reads a password and not "none" or
// "damaged", and one that no text is known to digest to (finding one is an
// MD5 preimage search), so that such a copy stays locked.
extern const exchar kSupersededPassword[];
// `pwdDigest` as written while the password is damaged.
extern const exchar kDamagedSaltedDigest[];

// One stored value as read from the registry.
struct StoredText {
    enum class State { kAbsent, kText, kUnreadable };
    State state = State::kAbsent;
    exstring text;
};

enum class StoredPasswordState { kAbsent, kValid, kDamaged };

// The record that one root's `Password` and `pwdDigest` hold. A non-empty
// `pwdDigest` decides alone; without it `Password` does, and the superseded
// marker there means the salted digest it stood for is lost: damaged.
StoredPasswordState ParseStoredPassword(const StoredText& password, const StoredText& saltedDigest,
                                        PasswordRecord& record);

// The two values to store for a record.
exstring PasswordText(const PasswordRecord& record);
exstring SaltedDigestText(const PasswordRecord& record);
