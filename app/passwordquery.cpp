#include "passwordquery.h"

#include "../settings/passworddigest.h"
#include "switches.h"

int AnswerPasswordQuery(const std::vector<exstring>& tokens, const uint8_t* storedDigest) {
    if (IsBlankDigest(storedDigest)) return kPasswordAccepted;
    for (const exstring& token : tokens) {
        if (token.EqualsNoCase(kSwitchCheckPassword)) continue;
        const PasswordDigestBytes typed = ComputePasswordDigest(token);
        return DigestsEqual(typed.data(), storedDigest) ? kPasswordAccepted : kPasswordRejected;
    }
    return kPasswordRejected;
}
