// The answer to "+checkpwd": whether the password on a command line is the
// stored one, as a process exit code.
#pragma once

#include <cstdint>
#include <vector>

#include "../text/exstring.h"

constexpr int kPasswordAccepted = 0;
constexpr int kPasswordRejected = -1;

// `tokens` is the whole token list of the command line; every "+checkpwd" in
// it is dropped and the first remaining token is the password.
int AnswerPasswordQuery(const std::vector<exstring>& tokens, const uint8_t* storedDigest);
