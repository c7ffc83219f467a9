// The answer to "+checkpwd": whether the password on a command line is the
// stored one, as a process exit code.
#pragma once

#include <cstdint>
#include <vector>

#include "../settings/storedpassword.h"
#include "../text/exstring.h"

constexpr int kPasswordAccepted = 0;
constexpr int kPasswordRejected = -1;

using PasswordMatcher = bool (*)(const PasswordRecord& stored, const exstring& typed);

// `tokens` is the whole token list of the command line; every "+checkpwd" in
// it is dropped and the first remaining token is the password. No password
// accepts anything; a damaged one nothing.
int AnswerPasswordQuery(const std::vector<exstring>& tokens, const PasswordRecord& stored, PasswordMatcher matches);
