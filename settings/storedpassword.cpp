#include "storedpassword.h"

#include <cstring>

#include "../text/textutil.h"
#include "passworddigest.h"

const exchar kSupersededPassword[] = EXT("ffffffffffffffffffffffffffffffff");
const exchar kDamagedSaltedDigest[] = EXT("damaged");

namespace {

const exchar kScheme[] = EXT("pbkdf2-sha256");
const exchar kSeparator = EXT('$');
constexpr size_t kLegacySize = 16;
constexpr size_t kMaxRoundDigits = 8;

int HexDigit(exchar c) {
    if (c >= EXT('0') && c <= EXT('9')) return c - EXT('0');
    if (c >= EXT('a') && c <= EXT('f')) return c - EXT('a') + 10;
    if (c >= EXT('A') && c <= EXT('F')) return c - EXT('A') + 10;
    return -1;
}

// Exactly 2 * size hexadecimal digits, nothing else.
bool ParseHex(const exstring& text, uint8_t* bytes, size_t size) {
    if (text.size() != 2 * size) return false;
    for (size_t i = 0; i < size; ++i) {
        const int high = HexDigit(text[2 * i]), low = HexDigit(text[2 * i + 1]);
        if (high < 0 || low < 0) return false;
        bytes[i] = static_cast<uint8_t>(high * 16 + low);
    }
    return true;
}

// A plain decimal count within the rounds the program will run.
bool ParseRounds(const exstring& text, uint32_t& rounds) {
    if (text.empty() || text.size() > kMaxRoundDigits || text[0] == EXT('0')) return false;
    uint32_t value = 0;
    for (const exchar c : text) {
        if (c < EXT('0') || c > EXT('9')) return false;
        value = value * 10 + static_cast<uint32_t>(c - EXT('0'));
    }
    if (value > kMaxPasswordRounds) return false;
    rounds = value;
    return true;
}

// "pbkdf2-sha256$rounds$salt$key", the salt and key in hexadecimal.
bool ParseSalted(const exstring& text, PasswordRecord& record) {
    exstring fields[4];
    size_t start = 0;
    for (size_t i = 0; i < 4; ++i) {
        const size_t end = i < 3 ? text.find(kSeparator, start) : text.size();
        if (end == exstring::npos) return false;
        fields[i] = text.substr(start, end - start);
        start = end + 1;
    }
    PasswordRecord parsed;
    parsed.form = PasswordRecord::Form::kSalted;
    if (fields[0] != kScheme || !ParseRounds(fields[1], parsed.rounds) ||
        !ParseHex(fields[2], parsed.salt, kPasswordSaltSize) || !ParseHex(fields[3], parsed.key, kPasswordKeySize))
        return false;
    record = parsed;
    return true;
}

bool IsAllZero(const uint8_t* bytes, size_t size) {
    for (size_t i = 0; i < size; ++i)
        if (bytes[i] != 0) return false;
    return true;
}

} // namespace

bool SameRecord(const PasswordRecord& a, const PasswordRecord& b) {
    return a.form == b.form && a.rounds == b.rounds && std::memcmp(a.salt, b.salt, sizeof(a.salt)) == 0 &&
           std::memcmp(a.key, b.key, sizeof(a.key)) == 0;
}

StoredPasswordState ParseStoredPassword(const StoredText& password, const StoredText& saltedDigest,
                                        PasswordRecord& record) {
    record = PasswordRecord();
    const bool hasSalted = saltedDigest.state == StoredText::State::kUnreadable ||
                           (saltedDigest.state == StoredText::State::kText && !saltedDigest.text.empty());
    if (hasSalted) {
        if (saltedDigest.state == StoredText::State::kText && ParseSalted(saltedDigest.text, record))
            return StoredPasswordState::kValid;
    } else if (password.state == StoredText::State::kAbsent) {
        return StoredPasswordState::kAbsent;
    } else if (password.state == StoredText::State::kText && password.text != kSupersededPassword &&
               ParseStoredDigest(password.text, record.key)) {
        record.form = IsAllZero(record.key, kLegacySize) ? PasswordRecord::Form::kNone : PasswordRecord::Form::kLegacy;
        return StoredPasswordState::kValid;
    }
    record = PasswordRecord();
    record.form = PasswordRecord::Form::kDamaged;
    return StoredPasswordState::kDamaged;
}

exstring PasswordText(const PasswordRecord& record) {
    switch (record.form) {
    case PasswordRecord::Form::kLegacy:
        return BytesToHex(record.key, kLegacySize);
    case PasswordRecord::Form::kSalted:
    case PasswordRecord::Form::kDamaged:
        return kSupersededPassword;
    case PasswordRecord::Form::kNone:
        break;
    }
    const uint8_t none[kLegacySize] = {};
    return BytesToHex(none, kLegacySize);
}

exstring SaltedDigestText(const PasswordRecord& record) {
    switch (record.form) {
    case PasswordRecord::Form::kSalted:
        return exstring(kScheme) + kSeparator + exstring::Format(EXT("%u"), record.rounds) + kSeparator +
               BytesToHex(record.salt, kPasswordSaltSize) + kSeparator + BytesToHex(record.key, kPasswordKeySize);
    case PasswordRecord::Form::kDamaged:
        return kDamagedSaltedDigest;
    case PasswordRecord::Form::kNone:
    case PasswordRecord::Form::kLegacy:
        break;
    }
    // Empty: an earlier salted digest in the same root must not come back.
    return exstring();
}
