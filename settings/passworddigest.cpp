#include "passworddigest.h"

#include <cstring>

namespace {

const char kDigestKey[] = "KVORM";
const char kWideDomainTag[] = "Marrowgate.utf16";

struct KeyedOrder {
    Md5Digest keyDigest;
    bool keyFirst;
};

KeyedOrder DigestKey() {
    const exstring key = exstring::FromAnsi(kDigestKey);
    const std::string ansiKey = key.ToAnsi();
    KeyedOrder order{Md5::Of(ansiKey.data(), ansiKey.size()), false};
    unsigned sum = 0;
    for (const uint8_t byte : order.keyDigest) sum += byte;
    order.keyFirst = (sum % 2) == 1;
    return order;
}

bool AnsiHoldsExactly(const exstring& text, const std::string& ansi) {
    return exstring::FromAnsi(ansi.data(), ansi.size()) == text;
}

Md5Digest LegacyDigest(const std::string& ansi, const KeyedOrder& key) {
    Md5Digest digest = Md5::Of(ansi.data(), ansi.size());
    unsigned sum = 0;
    for (const uint8_t byte : digest) sum += byte;
    const unsigned rounds = sum % 3 + 1;
    for (unsigned i = 0; i < rounds; ++i) {
        Md5 md5;
        if (key.keyFirst) md5.Update(key.keyDigest.data(), key.keyDigest.size());
        md5.Update(digest.data(), digest.size());
        if (!key.keyFirst) md5.Update(key.keyDigest.data(), key.keyDigest.size());
        digest = md5.Finish();
    }
    return digest;
}

// The final step hashes 48 bytes where the legacy digest always hashes 32, so
// the two families cannot meet without an MD5 collision.
Md5Digest WideDigest(const exstring& text, const KeyedOrder& key) {
    std::string units;
    units.reserve(text.size() * 2);
    for (const exchar unit : text) {
        units += static_cast<char>(static_cast<uint16_t>(unit) & 0xFF);
        units += static_cast<char>(static_cast<uint16_t>(unit) >> 8);
    }
    const Md5Digest inner = Md5::Of(units.data(), units.size());
    Md5 md5;
    md5.Update(kWideDomainTag, sizeof(kWideDomainTag) - 1);
    md5.Update(key.keyDigest.data(), key.keyDigest.size());
    md5.Update(inner.data(), inner.size());
    return md5.Finish();
}

} // namespace

PasswordDigestBytes ComputePasswordDigest(const exstring& password) {
    if (password.empty()) return PasswordDigestBytes{};
    const KeyedOrder key = DigestKey();
    const std::string ansi = password.ToAnsi();
    if (!ansi.empty() && AnsiHoldsExactly(password, ansi)) return LegacyDigest(ansi, key);
    return WideDigest(password, key);
}

bool IsBlankDigest(const uint8_t* digest) {
    if (digest == nullptr) return true;
    for (size_t i = 0; i < sizeof(PasswordDigestBytes); ++i)
        if (digest[i] != 0) return false;
    return true;
}

bool DigestsEqual(const uint8_t* a, const uint8_t* b) {
    if (a == nullptr || b == nullptr) return a == b;
    uint8_t difference = 0;
    for (size_t i = 0; i < sizeof(PasswordDigestBytes); ++i) difference |= static_cast<uint8_t>(a[i] ^ b[i]);
    return difference == 0;
}

namespace {

int HexDigit(exchar c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

bool ParseStoredDigest(const exstring& text, uint8_t* digest) {
    constexpr size_t kBytes = sizeof(PasswordDigestBytes);
    if (digest == nullptr || text.size() != 2 * kBytes) return false;
    uint8_t parsed[kBytes];
    for (size_t i = 0; i < kBytes; ++i) {
        const int high = HexDigit(text[2 * i]), low = HexDigit(text[2 * i + 1]);
        if (high < 0 || low < 0) return false;
        parsed[i] = static_cast<uint8_t>(high * 16 + low);
    }
    for (size_t i = 0; i < kBytes; ++i) digest[i] = parsed[i];
    return true;
}
