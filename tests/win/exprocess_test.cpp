#include <gtest/gtest.h>

#include <algorithm>

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

std::vector<exstring> BlockEntries(const std::vector<wchar_t>& block) {
    std::vector<exstring> entries;
    for (size_t i = 0; i < block.size() && block[i] != L'\0';) {
        const exstring entry(&block[i]);
        entries.push_back(entry);
        i += entry.size() + 1;
    }
    return entries;
}

TEST(ExprocessSettings, TrimmedAndCommandLineShape) {
    exprocess launcher;
    ASSERT_TRUE(launcher.SetProgram(L"\r\n\tC:\\x y\\m.exe \t"));
    EXPECT_EQ(launcher.Program(), exstring(L"C:\\x y\\m.exe "));
    ASSERT_TRUE(launcher.SetArguments(L"+lock\r\n"));
    EXPECT_EQ(launcher.CommandLine(), exstring(L" +lock"));
    launcher.SetArguments(L" +lock");
    EXPECT_EQ(launcher.CommandLine(), exstring(L" +lock"));
    launcher.SetProgram(L"");
    EXPECT_EQ(launcher.CommandLine(), exstring(L" +lock"));
    launcher.SetArguments(L"+lock");
    EXPECT_EQ(launcher.CommandLine(), exstring(L"+lock"));
}

TEST(ExprocessLaunch, RunsOnceAndReportsTheChild) {
    exprocess nothing;
    EXPECT_FALSE(nothing.Launch());

    exprocess launcher;
    launcher.SetProgram(Cmd());
    launcher.SetArguments(L"/c exit 7");
    ASSERT_TRUE(launcher.Launch());
    ASSERT_NE(launcher.Process(), nullptr);
    EXPECT_EQ(launcher.Thread(), nullptr);
    EXPECT_EQ(WaitForExit(launcher.Process()), 7u);
    // A launcher that holds its child refuses to change or run again.
    EXPECT_FALSE(launcher.Launch());
    EXPECT_FALSE(launcher.SetArguments(L"/c exit 8"));
    EXPECT_FALSE(launcher.SetProgram(Cmd()));
}

TEST(ExprocessLaunch, FailureLeavesNoHandles) {
    exprocess launcher;
    launcher.SetProgram(L"C:\\no\\such\\program.exe");
    EXPECT_FALSE(launcher.Launch());
    EXPECT_EQ(launcher.Process(), nullptr);
    EXPECT_TRUE(launcher.SetArguments(L"x"));
}

TEST(ExprocessLaunch, SuspendedKeepsTheThread) {
    exprocess launcher;
    launcher.suspended = true;
    launcher.SetProgram(Cmd());
    launcher.SetArguments(L"/c exit 5");
    ASSERT_TRUE(launcher.Launch());
    ASSERT_NE(launcher.Thread(), nullptr);
    EXPECT_EQ(WaitForSingleObject(launcher.Process(), 200), static_cast<DWORD>(WAIT_TIMEOUT));
    ResumeThread(launcher.Thread());
    EXPECT_EQ(WaitForExit(launcher.Process()), 5u);
}

TEST(ExprocessEnvironment, VariablesAndPathDirectories) {
    exprocess launcher;
    EXPECT_TRUE(launcher.BuildEnvironmentBlock().empty());

    SetEnvironmentVariableW(L"MG_PARENT_ONLY", L"kept");
    launcher.environment[L"MG_CHILD"] = L"hello";
    launcher.pathDirectories = {L"C:\\first", L"C:\\second"};
    const std::vector<exstring> entries = BlockEntries(launcher.BuildEnvironmentBlock());

    auto value = [&entries](const wchar_t* name) {
        for (const exstring& entry : entries) {
            const size_t equals = entry.find(L'=');
            if (entry.substr(0, equals).EqualsNoCase(name)) return entry.substr(equals + 1);
        }
        return exstring(L"<absent>");
    };
    EXPECT_EQ(value(L"MG_CHILD"), exstring(L"hello"));
    EXPECT_EQ(value(L"MG_PARENT_ONLY"), exstring(L"kept"));
    EXPECT_EQ(value(L"Path").substr(0, 22), exstring(L"C:\\second;C:\\first;C:\\"));
    for (const exstring& entry : entries) EXPECT_NE(entry[0], L'=') << entry.ToUtf8();
    auto name = [](const exstring& entry) { return exstring(entry.substr(0, entry.find(L'='))); };
    EXPECT_TRUE(std::is_sorted(entries.begin(), entries.end(), [&name](const exstring& a, const exstring& b) {
        return name(a).CompareNoCase(name(b)) < 0;
    }));

    launcher.SetProgram(Cmd());
    launcher.SetArguments(L"/c if \"%MG_CHILD%\"==\"hello\" (exit 3) else (exit 4)");
    ASSERT_TRUE(launcher.Launch());
    EXPECT_EQ(WaitForExit(launcher.Process()), 3u);
    SetEnvironmentVariableW(L"MG_PARENT_ONLY", nullptr);
}

} // namespace
