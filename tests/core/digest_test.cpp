#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "settings/md5.h"
#include "settings/passworddigest.h"
#include "settings/storedpassword.h"
#include "testtext.h"
#include "text/textutil.h"

namespace {

std::string Hex(const Md5Digest& digest) {
    return BytesToHex(digest.data(), static_cast<long long>(digest.size())).ToUtf8();
}

TEST(Md5, Rfc1321TestSuite) {
    struct Case { const char* message; const char* digest; };
    const Case cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const Case& c : cases) EXPECT_EQ(Hex(Md5::Of(c.message, std::strlen(c.message))), c.digest) << c.message;
}

// Computed independently; no password is the no-password state. Text in the code page keeps the long-standing
// digest; text outside it no longer collides as "??????" (33b35f02796c8a32f3a640c778401466).
TEST(PasswordDigest, KnownDigests) {
    struct Case { const exchar* password; const char* digest; };
    const Case cases[] = {
        {EXT(""), "00000000000000000000000000000000"},
        {EXT("Gr\u00FC\u00DFe\u20AC"), "3b83935f94a91ff2a47f6aa01064cd68"},
        {EXT("\u0436\u0443\u0447\u043A\u0430\u0431"), "efa42566bb8c90ed53595b5d5840854e"},
    };
    for (const Case& c : cases) EXPECT_EQ(Hex(ComputePasswordDigest(c.password)), c.digest) << c.digest;
    EXPECT_NE(ComputePasswordDigest(EXT("A\u0100")), ComputePasswordDigest(EXT("AA"))) << "a best-fit conversion";
}

TEST(PasswordDigest, ConstantTimeComparison) {
    const PasswordDigestBytes a = ComputePasswordDigest(EXT("a"));
    PasswordDigestBytes b = a;
    EXPECT_TRUE(DigestsEqual(a.data(), b.data()));
    for (size_t i = 0; i < b.size(); ++i) {
        b = a;
        b[i] ^= 0x80;
        EXPECT_FALSE(DigestsEqual(a.data(), b.data())) << i;
    }
    EXPECT_FALSE(DigestsEqual(a.data(), nullptr));
}

StoredText Text(const exstring& text) {
    return StoredText{StoredText::State::kText, text};
}

const exchar kSalt[] = EXT("000102030405060708090a0b0c0d0e0f");
const exchar kKey[] = EXT("a0a1a2a3a4a5a6a7a8a9aaabacadaeafb0b1b2b3b4b5b6b7b8b9babbbcbdbebf");
const exchar kLegacy[] = EXT("0102030405060708090a0b0c0d0e0f10");

exstring Salted(const exchar* rounds, const exstring& salt = kSalt, const exstring& key = kKey) {
    return EXT("pbkdf2-sha256$") + exstring(rounds) + EXT("$") + salt + EXT("$") + key;
}

// One root's `Password` and `pwdDigest` as written by this version, by an earlier one, or by hand.
TEST(StoredPassword, FormsReadFromTheTwoValues) {
    using Form = PasswordRecord::Form;
    const StoredText absent, unreadable{StoredText::State::kUnreadable, {}};
    const StoredText legacy = Text(kLegacy), superseded = Text(kSupersededPassword);
    const struct {
        StoredText password, digest;
        Form form;
    } cases[] = {
        {Text(EXT("00000000000000000000000000000000")), absent, Form::kNone},
        {legacy, absent, Form::kLegacy},
        {legacy, Text(EXT("")), Form::kLegacy},
        {superseded, Text(Salted(EXT("600000"))), Form::kSalted},
        {Text(EXT("abc")), Text(Salted(EXT("1"))), Form::kSalted},
        {absent, Text(Salted(EXT("20000000"))), Form::kSalted},
        {superseded, absent, Form::kDamaged},  // the salted digest it stood for is gone
        {unreadable, absent, Form::kDamaged},
        {legacy, unreadable, Form::kDamaged},
        {legacy, Text(kDamagedSaltedDigest), Form::kDamaged},
        {legacy, Text(Salted(EXT("0600000"))), Form::kDamaged},
        {legacy, Text(Salted(EXT("20000001"))), Form::kDamaged},  // a check would take hours
        {legacy, Text(Salted(EXT("1"), exstring(kSalt).substr(2))), Form::kDamaged},
        {legacy, Text(Salted(EXT("1"), kSalt, exstring(kKey) + EXT("$"))), Form::kDamaged},
        {legacy, Text(Salted(EXT("1"), kSalt, exstring(kKey).substr(1) + EXT("g"))), Form::kDamaged},
        {legacy, Text(EXT("pbkdf2-sha1$1$") + exstring(kSalt) + EXT("$") + kKey), Form::kDamaged},
    };
    PasswordRecord record;
    EXPECT_EQ(ParseStoredPassword(absent, absent, record), StoredPasswordState::kAbsent);
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        const StoredPasswordState state = ParseStoredPassword(cases[i].password, cases[i].digest, record);
        EXPECT_EQ(state, cases[i].form == Form::kDamaged ? StoredPasswordState::kDamaged : StoredPasswordState::kValid)
            << i;
        EXPECT_EQ(record.form, cases[i].form) << i;
    }
}

// What is written reads back as the same record, in every form.
TEST(StoredPassword, WrittenFormsReadBack) {
    PasswordRecord legacy, salted, damaged;
    ParseStoredPassword(Text(kLegacy), StoredText(), legacy);
    ParseStoredPassword(Text(kSupersededPassword), Text(Salted(EXT("600000"))), salted);
    EXPECT_EQ(SaltedDigestText(salted), Salted(EXT("600000")));
    damaged.form = PasswordRecord::Form::kDamaged;
    for (const PasswordRecord& record : {PasswordRecord(), legacy, salted, damaged}) {
        PasswordRecord back;
        ParseStoredPassword(Text(PasswordText(record)), Text(SaltedDigestText(record)), back);
        EXPECT_TRUE(SameRecord(back, record)) << static_cast<int>(record.form);
    }
}

} // namespace
