#include "lockcause.h"

#include "switches.h"

LockCause LockCauseOf(const std::vector<exstring>& tokens, bool beforeSleep) {
    if (beforeSleep) return LockCause::kBeforeSleep;
    for (const exstring& token : tokens)
        if (token.EqualsNoCase(kSwitchBoot)) return LockCause::kLogOn;
    if (tokens.size() != 2 || !tokens[0].EqualsNoCase(kSwitchLock)) return LockCause::kStartSwitch;
    const struct {
        const exchar* word;
        LockCause cause;
    } words[] = {{kLockCauseIdle, LockCause::kIdle}, {kLockCauseHotKey, LockCause::kHotKey},
                 {kLockCauseIcon, LockCause::kIcon}};
    for (const auto& entry : words)
        if (tokens[1].EqualsNoCase(entry.word)) return entry.cause;
    return LockCause::kStartSwitch;
}
