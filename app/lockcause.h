// What started this lock, told by its command line.
#pragma once

#include <vector>

#include "../settings/audittrail.h"
#include "../text/exstring.h"

// `tokens`: the command line's tokens in order; `beforeSleep`: the lock was
// handed the helper's notice, which only the lock before sleep gets.
LockCause LockCauseOf(const std::vector<exstring>& tokens, bool beforeSleep);
