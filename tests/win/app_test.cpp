// The real program, started as another program would start it.
#include <gtest/gtest.h>

#include <chrono>

#include "testsupport.h"

namespace {

exstring Program() {
    return TestDirectory() + L"marrowgate.exe";
}

struct Outcome {
    bool ran;
    DWORD exitCode;
    double seconds;
    std::string failure;
};

Outcome RunProgram(const exstring& arguments) {
    Outcome outcome{false, 0, 0, {}};
    const auto start = std::chrono::steady_clock::now();
    // The first token is the program, as a shell would write it.
    outcome.ran = RunAndWait(Program(), L"\"" + Program() + L"\" " + arguments, 10000, outcome.exitCode,
                             outcome.failure);
    outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return outcome;
}

TEST(PasswordQuery, WithoutStoredPasswordEveryQueryIsAccepted) {
    for (const wchar_t* arguments : {L"+checkpwd anything", L"+checkpwd", L"+CHECKPWD \"two words\"",
                                     L"+lock +checkpwd x", L"x +ChEcKpWd"}) {
        const Outcome outcome = RunProgram(arguments);
        ASSERT_TRUE(outcome.ran) << outcome.failure;
        EXPECT_EQ(outcome.exitCode, 0u) << exstring(arguments).ToUtf8();
        EXPECT_LT(outcome.seconds, 5.0) << exstring(arguments).ToUtf8();
    }
}

} // namespace
