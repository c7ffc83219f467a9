// The token set against Windows' own CommandLineToArgvW: the same tokens
// where the two rules agree, and the deliberate differences spelled out.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <vector>

#include "app/shell/excmdline.h"
#include "testsupport.h"

namespace {

using Tokens = std::vector<exstring>;

Tokens SystemArguments(const exstring& arguments) {
    // The first token is read as a program name with other rules: give it one.
    const exstring line = L"prog.exe " + arguments;
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(line.c_str(), &count);
    Tokens tokens;
    for (int i = 1; argv != nullptr && i < count; ++i) tokens.push_back(argv[i]);
    LocalFree(argv);
    return tokens;
}

Tokens OwnTokens(const exstring& arguments) {
    excmdline line;
    line.Parse(arguments);
    return line.Tokens();
}

TEST(CommandLineAgainstWindows, AgreeingCases) {
    const wchar_t* const cases[] = {
        L"+checkpwd secret",
        L"+lock /KVORM_EXRRESTART:KVORM_EXRSIPM1000",
        L"\"two words\" plain",
        L"a\\\\\"b c\" d",
        L"a\\\"b",
        L"a\\\\\\\"b",
        L"C:\\dir\\file.bmp \"C:\\Program Files\\x\\\\\"",
        L"  leading and trailing  ",
        L"in\"side quo\"tes",
        L"trailing\\",
        L"say\\\"hi\\\"",
    };
    for (const wchar_t* arguments : cases)
        EXPECT_EQ(OwnTokens(arguments), SystemArguments(arguments)) << exstring(arguments).ToUtf8();
}

TEST(CommandLineAgainstWindows, QuotedTokensReadBackTheSame) {
    const Tokens tokens = {L"+boot", L"C:\\Program Files\\Marrowgate\\marrowgate.exe", L"say \"hi\"",
                           L"ends in\\", L"tab\there"};
    excmdline line;
    for (const exstring& token : tokens) line.Add(token);
    EXPECT_EQ(SystemArguments(line.ToString()), tokens) << line.ToString().ToUtf8();
}

TEST(CommandLineAgainstWindows, DeliberateDifferences) {
    // Only the space separates here; Windows splits at tabs too.
    EXPECT_EQ(OwnTokens(L"a\tb"), Tokens{L"a\tb"});
    EXPECT_EQ(SystemArguments(L"a\tb"), (Tokens{L"a", L"b"}));

    // Tokens equal but for letter case collapse into one, the later spelling.
    EXPECT_EQ(OwnTokens(L"x X"), Tokens{L"X"});
    EXPECT_EQ(SystemArguments(L"x X"), (Tokens{L"x", L"X"}));

    // An empty quoted argument is no token here.
    EXPECT_EQ(OwnTokens(L"a \"\" b"), (Tokens{L"a", L"b"}));
    EXPECT_EQ(SystemArguments(L"a \"\" b"), (Tokens{L"a", L"", L"b"}));
}

} // namespace

namespace {

TEST(ArgumentsOfAgainstShell, SameSplitAsPathGetArgs) {
    const wchar_t* const lines[] = {L"prog.exe +checkpwd x", L"\"C:\\Program Files\\m.exe\" +lock",
                                    L"\"C:\\Program Files\\m.exe\"", L"prog.exe", L" +lock", L"a\"b c\"d e",
                                    L"prog.exe  two", L"\"unclosed quote +lock", L""};
    for (const wchar_t* line : lines)
        EXPECT_EQ(exstring(ArgumentsOf(line)), exstring(PathGetArgsW(line))) << exstring(line).ToUtf8();
}

} // namespace
