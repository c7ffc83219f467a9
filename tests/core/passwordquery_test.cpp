#include <gtest/gtest.h>

#include "app/passwordquery.h"
#include "app/shell/excmdline.h"
#include "settings/passworddigest.h"
#include "testtext.h"

namespace {

TEST(PasswordQuery, AnswersByTheFirstTokenAfterTheSwitch) {
    struct Case {
        const exchar* commandLine;
        const exchar* stored;  // "" : no password set
        int answer;
    };
    const Case cases[] = {
        {EXT("+checkpwd"), EXT(""), kPasswordAccepted},
        {EXT("+checkpwd whatever"), EXT(""), kPasswordAccepted},
        {EXT("+checkpwd secret"), EXT("secret"), kPasswordAccepted},
        {EXT("secret +CHECKPWD"), EXT("secret"), kPasswordAccepted},
        {EXT("+checkpwd Secret"), EXT("secret"), kPasswordRejected},
        {EXT("+checkpwd"), EXT("secret"), kPasswordRejected},
        {EXT("+lock +checkpwd secret"), EXT("secret"), kPasswordRejected},
        {EXT("+checkpwd secret +lock"), EXT("secret"), kPasswordAccepted},
        {EXT("+checkpwd \"two words\""), EXT("two words"), kPasswordAccepted},
        {EXT("+checkpwd two words"), EXT("two words"), kPasswordRejected},
        {EXT("+checkpwd say\\\"hi\\\""), EXT("say\"hi\""), kPasswordAccepted},
        {EXT("+checkpwd \"C:\\\\\""), EXT("C:\\"), kPasswordAccepted},
        // A repeated token in other letter case keeps the later spelling.
        {EXT("+checkpwd SECRET secret"), EXT("secret"), kPasswordAccepted},
        {EXT("+checkpwd secret SECRET"), EXT("secret"), kPasswordRejected},
    };
    for (const Case& c : cases) {
        excmdline line;
        line.Parse(c.commandLine);
        const PasswordDigestBytes stored = ComputePasswordDigest(c.stored);
        EXPECT_EQ(AnswerPasswordQuery(line.Tokens(), stored.data()), c.answer) << exstring(c.commandLine).ToUtf8();
    }
    EXPECT_EQ(AnswerPasswordQuery({EXT("+checkpwd")}, nullptr), kPasswordAccepted);
}

} // namespace
