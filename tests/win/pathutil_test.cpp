#include <gtest/gtest.h>

#include "testsupport.h"
#include "text/pathutil.h"

namespace {

const wchar_t kWindowsFolderToken[] = L"%{F38BF404-1D43-42F2-9305-67DE0B28FC23}%";

exstring Environment(const wchar_t* name) {
    wchar_t buffer[MAX_PATH] = {};
    GetEnvironmentVariableW(name, buffer, MAX_PATH);
    return buffer;
}

TEST(ExpandPath, EnvironmentVariables) {
    const exstring systemRoot = Environment(L"SystemRoot");
    ASSERT_FALSE(systemRoot.empty());
    EXPECT_EQ(ExpandPath(L"%SystemRoot%\\Web"), systemRoot + L"\\Web");
    EXPECT_EQ(ExpandPath(L"C:\\no\\percent"), exstring(L"C:\\no\\percent"));
    EXPECT_EQ(ExpandPath(L""), exstring());
    EXPECT_EQ(ExpandPath(L"%MG_SURELY_UNDEFINED%\\x"), exstring(L"%MG_SURELY_UNDEFINED%\\x"));
}

TEST(ExpandPath, KnownFolderTokens) {
    const exstring windows = ExpandPath(kWindowsFolderToken);
    ASSERT_FALSE(windows.empty());
    EXPECT_TRUE(windows.EqualsNoCase(Environment(L"SystemRoot"))) << windows.ToUtf8();
    EXPECT_EQ(ExpandPath(exstring(kWindowsFolderToken) + L"\\x.png"), windows + L"\\x.png");
    // A short token before the GUID ends the search: the GUID stays.
    const exstring blocked = exstring(L"%ABC%\\") + kWindowsFolderToken;
    EXPECT_EQ(ExpandPath(blocked), blocked);
    // A long token that is no GUID is skipped and the search goes on.
    const exstring notGuid = L"%0123456789012345678901234567890123456789%";
    EXPECT_EQ(ExpandPath(notGuid + kWindowsFolderToken), notGuid + windows);
    EXPECT_TRUE(KnownFolderPath(GUID{}).empty());
}

TEST(PathKind, FilesDirectoriesAndNothing) {
    EXPECT_EQ(PathKind(L""), kPathMissing);
    EXPECT_EQ(PathKind(ModulePath(false)), kPathFile);
    EXPECT_EQ(PathKind(TestDirectory()), kPathDirectory);
    EXPECT_EQ(PathKind(L"%SystemRoot%"), kPathDirectory);
    EXPECT_EQ(PathKind(TestDirectory() + L"no such file.bmp"), kPathMissing);
}

TEST(ModulePath, QuotedOnlyWithSpaces) {
    const exstring plain = ModulePath(false);
    EXPECT_EQ(plain, TestDirectory() + L"shell_tests.exe");
    EXPECT_EQ(ModulePath(true), plain.find(L' ') == exstring::npos ? plain : exstring(L"\"" + plain + L"\""));
}

} // namespace
