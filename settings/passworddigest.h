// The stored form of a password: a 16-byte digest.
#pragma once

#include "../text/exstring.h"
#include "md5.h"

using PasswordDigestBytes = Md5Digest;

// The empty password gives 16 zero bytes, the "no password" state. A password
// that the ANSI code page holds exactly keeps the long-standing digest of its
// ANSI bytes; any other password is digested from its UTF-16 code units in a
// separate domain, so that no two passwords share a digest through lossy
// conversion.
PasswordDigestBytes ComputePasswordDigest(const exstring& password);

// All zero bytes, or no digest at all, mean that no password is set.
bool IsBlankDigest(const uint8_t* digest);

// Compares in constant time, so the time taken tells nothing about the digest.
bool DigestsEqual(const uint8_t* a, const uint8_t* b);

// The stored text form: exactly 32 hexadecimal digits. False, with `digest`
// untouched, for anything else: such a value is damaged, never "no password".
bool ParseStoredDigest(const exstring& text, uint8_t* digest);
