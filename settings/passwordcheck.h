// Setting and checking a password against its stored record.
#pragma once

#include <cstdint>

#include "../text/exstring.h"
#include "storedpassword.h"

// The salted record of `password` with a fresh random salt; the empty
// password gives "no password". False, with `record` untouched, when the
// system could not make one.
bool SealPassword(const exstring& password, uint32_t rounds, PasswordRecord& record);

// Whether `typed` is the password `record` stands for. A salted record is
// always derived in full and compared in constant time.
bool RecordMatches(const PasswordRecord& record, const exstring& typed);
