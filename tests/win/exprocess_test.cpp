#include <gtest/gtest.h>

#include "app/shell/exprocess.h"
#include "testsupport.h"

namespace {

exstring Cmd() {
    wchar_t buffer[MAX_PATH] = {};
    GetSystemDirectoryW(buffer, MAX_PATH);
    return exstring(buffer) + L"\\cmd.exe";
}

DWORD WaitForExit(HANDLE process) {
    DWORD code = 0xDEAD;
    if (WaitForSingleObject(process, 20000) == WAIT_OBJECT_0) GetExitCodeProcess(process, &code);
    return code;
}

TEST(Exprocess, TrimmedSettingsAndCommandLineShape) {
    exprocess launcher;
    ASSERT_TRUE(launcher.SetProgram(L"\r\n\tC:\\x y\\m.exe \t"));
    EXPECT_EQ(launcher.Program(), exstring(L"C:\\x y\\m.exe "));
    ASSERT_TRUE(launcher.SetArguments(L"+lock\r\n"));
    EXPECT_EQ(launcher.CommandLine(), exstring(L" +lock"));
    launcher.SetProgram(L"");
    launcher.SetArguments(L"+lock");
    EXPECT_EQ(launcher.CommandLine(), exstring(L"+lock"));
}

TEST(Exprocess, RunsOnceAndFailsCleanly) {
    exprocess nothing;
    EXPECT_FALSE(nothing.Launch());
    exprocess missing;
    missing.SetProgram(L"C:\\no\\such\\program.exe");
    EXPECT_FALSE(missing.Launch());
    EXPECT_EQ(missing.Process(), nullptr);
    EXPECT_TRUE(missing.SetArguments(L"x")) << "a failed launcher can be changed";

    exprocess launcher;
    launcher.SetProgram(Cmd());
    launcher.SetArguments(L"/c exit 7");
    ASSERT_TRUE(launcher.Launch());
    EXPECT_EQ(launcher.Thread(), nullptr);
    EXPECT_EQ(WaitForExit(launcher.Process()), 7u);
    // A launcher that holds its child refuses to change or run again.
    EXPECT_FALSE(launcher.Launch());
    EXPECT_FALSE(launcher.SetArguments(L"/c exit 8"));
}

// Options the program itself does not use yet: a suspended start, added
// variables and search-path directories (the later one first).
TEST(Exprocess, SuspendedStartWithItsOwnEnvironment) {
    exprocess launcher;
    launcher.suspended = true;
    launcher.environment[L"MG_CHILD"] = L"hello";
    launcher.pathDirectories = {L"C:\\first", L"C:\\second"};
    launcher.SetProgram(Cmd());
    launcher.SetArguments(L"/c if \"%MG_CHILD%\"==\"hello\" if \"%PATH:~0,18%\"==\"C:\\second;C:\\first\" exit 3");
    ASSERT_TRUE(launcher.Launch());
    ASSERT_NE(launcher.Thread(), nullptr);
    EXPECT_EQ(WaitForSingleObject(launcher.Process(), 200), static_cast<DWORD>(WAIT_TIMEOUT));
    ResumeThread(launcher.Thread());
    EXPECT_EQ(WaitForExit(launcher.Process()), 3u);
}

} // namespace
