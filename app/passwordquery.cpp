#include "passwordquery.h"

#include "switches.h"

int AnswerPasswordQuery(const std::vector<exstring>& tokens, const PasswordRecord& stored, PasswordMatcher matches) {
    if (stored.form == PasswordRecord::Form::kNone) return kPasswordAccepted;
    if (stored.form == PasswordRecord::Form::kDamaged || matches == nullptr) return kPasswordRejected;
    for (const exstring& token : tokens) {
        if (token.EqualsNoCase(kSwitchCheckPassword)) continue;
        return matches(stored, token) ? kPasswordAccepted : kPasswordRejected;
    }
    return kPasswordRejected;
}
