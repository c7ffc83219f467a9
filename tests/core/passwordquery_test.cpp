#include <gtest/gtest.h>

#include <vector>

#include "app/passwordquery.h"
#include "app/shell/excmdline.h"
#include "settings/passworddigest.h"
#include "testtext.h"

namespace {

int Answer(const exchar* commandLine, const exchar* storedPassword) {
    excmdline line;
    line.Parse(commandLine);
    const PasswordDigestBytes stored = ComputePasswordDigest(storedPassword);
    return AnswerPasswordQuery(line.Tokens(), stored.data());
}

TEST(PasswordQuery, NoPasswordSetAcceptsAnything) {
    EXPECT_EQ(Answer(EXT("+checkpwd"), EXT("")), kPasswordAccepted);
    EXPECT_EQ(Answer(EXT("+checkpwd whatever"), EXT("")), kPasswordAccepted);
    EXPECT_EQ(AnswerPasswordQuery({EXT("+checkpwd")}, nullptr), kPasswordAccepted);
}

TEST(PasswordQuery, ComparesTheFirstRemainingToken) {
    EXPECT_EQ(Answer(EXT("+checkpwd secret"), EXT("secret")), kPasswordAccepted);
    EXPECT_EQ(Answer(EXT("secret +CHECKPWD"), EXT("secret")), kPasswordAccepted);
    EXPECT_EQ(Answer(EXT("+checkpwd Secret"), EXT("secret")), kPasswordRejected);
    EXPECT_EQ(Answer(EXT("+checkpwd"), EXT("secret")), kPasswordRejected);
    EXPECT_EQ(Answer(EXT("+lock +checkpwd secret"), EXT("secret")), kPasswordRejected);
    EXPECT_EQ(Answer(EXT("+checkpwd secret +lock"), EXT("secret")), kPasswordAccepted);
}

TEST(PasswordQuery, QuotingDecidesWhatThePasswordIs) {
    EXPECT_EQ(Answer(EXT("+checkpwd \"two words\""), EXT("two words")), kPasswordAccepted);
    EXPECT_EQ(Answer(EXT("+checkpwd two words"), EXT("two words")), kPasswordRejected);
    EXPECT_EQ(Answer(EXT("+checkpwd say\\\"hi\\\""), EXT("say\"hi\"")), kPasswordAccepted);
    EXPECT_EQ(Answer(EXT("+checkpwd \"C:\\\\\""), EXT("C:\\")), kPasswordAccepted);
    // A repeated token in other letter case keeps the later spelling.
    EXPECT_EQ(Answer(EXT("+checkpwd SECRET secret"), EXT("secret")), kPasswordAccepted);
    EXPECT_EQ(Answer(EXT("+checkpwd secret SECRET"), EXT("secret")), kPasswordRejected);
}

} // namespace
