// The real program, started as another program would start it.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "settings/mgtsettings.h"
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

class NoStoredPassword : public ::testing::Test {
protected:
    void SetUp() override {
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) RegDeleteTreeW(root, L"Software\\Quarnwick\\Marrowgate");
    }
};

TEST_F(NoStoredPassword, EveryQueryIsAccepted) {
    for (const wchar_t* arguments : {L"+checkpwd anything", L"+checkpwd", L"+CHECKPWD \"two words\"",
                                     L"+lock +checkpwd x", L"x +ChEcKpWd"}) {
        const Outcome outcome = RunProgram(arguments);
        ASSERT_TRUE(outcome.ran) << outcome.failure;
        EXPECT_EQ(outcome.exitCode, 0u) << exstring(arguments).ToUtf8();
        EXPECT_LT(outcome.seconds, 5.0) << exstring(arguments).ToUtf8();
    }
}

const DWORD kRejected = 0xFFFFFFFFu;

// The program's real settings key, emptied before and after each test.
class StoredPassword : public ::testing::Test {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    static void Clean() {
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
            RegDeleteTreeW(root, L"Software\\Quarnwick\\Marrowgate");
            HKEY run = nullptr;
            if (RegOpenKeyExW(root, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", 0, KEY_SET_VALUE, &run) ==
                ERROR_SUCCESS) {
                RegDeleteValueW(run, L"Marrowgate");
                RegCloseKey(run);
            }
        }
    }
    static void Store(const exstring& password, HKEY onlyRoot = nullptr) {
        SettingsStore store;
        if (onlyRoot == HKEY_CURRENT_USER) store.machineRoot = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x7FFFFFF0));
        mgtSettings settings(store);
        const PasswordDigestBytes digest = mgtSettings::PasswordDigest(password);
        std::copy(digest.begin(), digest.end(), settings.Password);
        ASSERT_TRUE(settings.Save());
    }
    static void Expect(const wchar_t* arguments, DWORD expected) {
        const Outcome outcome = RunProgram(arguments);
        ASSERT_TRUE(outcome.ran) << outcome.failure;
        EXPECT_EQ(outcome.exitCode, expected) << exstring(arguments).ToUtf8();
    }
};

TEST_F(StoredPassword, QuotingEscapesAndLetterCase) {
    Store(L"secret word");
    Expect(L"+checkpwd \"secret word\"", 0);
    Expect(L"+CHECKPWD \"secret word\"", 0);
    Expect(L"+checkpwd secret word", kRejected);  // unquoted: only the first word counts
    Expect(L"+checkpwd \"Secret word\"", kRejected);
    Expect(L"+checkpwd", kRejected);
    Expect(L"+checkpwd \"secret word\" +lock", 0);  // answered; nothing is locked
    // The first token left after the switch is the password, even a switch.
    Expect(L"+lock +checkpwd \"secret word\"", kRejected);

    Store(L"say \"hi\" C:\\");
    Expect(L"+checkpwd \"say \\\"hi\\\" C:\\\\\"", 0);
    Expect(L"+checkpwd say\\\"hi\\\"", kRejected);
}

TEST_F(StoredPassword, RepeatedTokenKeepsTheLaterSpelling) {
    Store(L"Secret");
    Expect(L"+checkpwd secret Secret", 0);
    Expect(L"+checkpwd Secret secret", kRejected);
}

TEST_F(StoredPassword, UserRootAnswersWhenTheMachineHasNothing) {
    Store(L"mine", HKEY_CURRENT_USER);
    HKEY machine = nullptr;
    EXPECT_NE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Quarnwick\\Marrowgate", 0, KEY_READ, &machine),
              ERROR_SUCCESS);
    Expect(L"+checkpwd mine", 0);
    Expect(L"+checkpwd yours", kRejected);
}

TEST_F(StoredPassword, PasswordsOutsideTheCodePageDoNotCollide) {
    Store(L"\u0436\u0443\u0447\u043A\u0430\u0431");
    Expect(L"+checkpwd \u0436\u0443\u0447\u043A\u0430\u0431", 0);
    Expect(L"+checkpwd \u0436\u0443\u0447\u043A\u0430\u0432", kRejected);
    Expect(L"+checkpwd ??????", kRejected);
}

} // namespace
