// The configuration tree in the registry, against the real registry.
#include <gtest/gtest.h>

#include <string>

#include "settings/exini.h"
#include "settings/nativekeys.h"
#include "settings/registry.h"
#include "testsupport.h"

namespace {

const wchar_t kKeyPath[] = L"Software\\Quarnwick\\Marrowgate";

class TreeStore : public ::testing::Test {
protected:
    exstring Raw(const exstring& section, const exstring& value) {
        return RegistryText(scratch.Handle(), exstring(kKeyPath) + L"\\" + section, value);
    }
    void PutRaw(const exstring& section, const exstring& value, DWORD type, const void* data, DWORD size) {
        ASSERT_TRUE(WriteValue(scratch.Handle(), exstring(kKeyPath) + L"\\" + section, value, data, size, type));
    }
    ScratchKey scratch{L"tree"};
};

// The stored forms themselves are the escaping's (its own tests): here, that
// values go through them both ways.
TEST_F(TreeStore, RoundTripWithStoredForms) {
    exini tree;
    tree.Set(L"global", L"lines", L"one\r\ntwo");
    tree.Set(L"global", L"path", L"C:\\new\\test.bmp");
    tree.Set(L"global", L"empty", L"");
    tree.Set(L"Other", L"Key", L"value");
    ASSERT_TRUE(tree.SaveRegistry(scratch.Handle(), kKeyPath));

    EXPECT_EQ(Raw(L"global", L"lines"), exstring(L"one\\r\\ntwo"));
    EXPECT_EQ(Raw(L"global", L"path"), exstring(L"C:\\\\new\\\\test.bmp"));

    exini back;
    ASSERT_TRUE(back.LoadRegistry(scratch.Handle(), kKeyPath));
    EXPECT_EQ(back.Get(L"global", L"lines"), exstring(L"one\r\ntwo"));
    EXPECT_EQ(back.Get(L"global", L"path"), exstring(L"C:\\new\\test.bmp"));
    EXPECT_TRUE(back.HasKey(L"global", L"empty"));
    EXPECT_EQ(back.Get(L"other", L"key"), exstring(L"value"));
}

TEST_F(TreeStore, OnlyStringValuesOfSubkeysLoad) {
    const DWORD number = 7;
    const wchar_t expand[] = L"%SystemRoot%";
    PutRaw(L"global", L"dword", REG_DWORD, &number, sizeof(number));
    PutRaw(L"global", L"expand", REG_EXPAND_SZ, expand, sizeof(expand));
    PutRaw(L"global", L"text", REG_SZ, L"yes", 8);
    // Values of the settings key itself belong to no section.
    ASSERT_TRUE(WriteValue(scratch.Handle(), kKeyPath, L"Locking", &number, sizeof(number), REG_DWORD));
    ASSERT_TRUE(OpenKey(scratch.Handle(), exstring(kKeyPath) + L"\\emptysection", true));

    exini tree;
    ASSERT_TRUE(tree.LoadRegistry(scratch.Handle(), kKeyPath));
    EXPECT_FALSE(tree.HasKey(L"global", L"dword"));
    EXPECT_FALSE(tree.HasKey(L"global", L"expand"));
    EXPECT_EQ(tree.Get(L"global", L"text"), exstring(L"yes"));
    EXPECT_TRUE(tree.HasSection(L"emptysection"));
    EXPECT_TRUE(tree.begin()->second.empty());
    EXPECT_EQ(tree.size(), 2u);
}

TEST_F(TreeStore, MalformedStringDataLoadsSafely) {
    const wchar_t noTerminator[] = {L'a', L'b', L'c'};
    PutRaw(L"global", L"unterminated", REG_SZ, noTerminator, sizeof(noTerminator));
    const char oddBytes[] = {'x', 0, 'y'};
    PutRaw(L"global", L"odd", REG_SZ, oddBytes, sizeof(oddBytes));
    const wchar_t inner[] = L"front\0back";
    PutRaw(L"global", L"innernul", REG_SZ, inner, sizeof(inner));
    PutRaw(L"global", L"nodata", REG_SZ, nullptr, 0);
    const std::wstring huge(1 << 20, L'h');
    PutRaw(L"global", L"huge", REG_SZ, huge.c_str(), static_cast<DWORD>((huge.size() + 1) * sizeof(wchar_t)));
    // Past what any setting needs: skipped, and the values after it still load.
    const std::wstring tooLarge(9 << 20, L't');
    PutRaw(L"global", L"toolarge", REG_SZ, tooLarge.c_str(), static_cast<DWORD>(tooLarge.size() * sizeof(wchar_t)));
    PutRaw(L"global", L"after", REG_SZ, L"kept", 10);

    exini tree;
    ASSERT_TRUE(tree.LoadRegistry(scratch.Handle(), kKeyPath));
    EXPECT_EQ(tree.Get(L"global", L"unterminated"), exstring(L"abc"));
    EXPECT_EQ(tree.Get(L"global", L"odd"), exstring(L"x"));
    EXPECT_EQ(tree.Get(L"global", L"innernul"), exstring(L"front"));
    EXPECT_TRUE(tree.HasKey(L"global", L"nodata"));
    EXPECT_EQ(tree.Get(L"global", L"huge").size(), huge.size());
    EXPECT_FALSE(tree.HasKey(L"global", L"toolarge"));
    EXPECT_EQ(tree.Get(L"global", L"after"), exstring(L"kept"));
}

TEST_F(TreeStore, SavingRemovesNothing) {
    PutRaw(L"global", L"foreign", REG_SZ, L"kept", 10);
    PutRaw(L"elsewhere", L"x", REG_SZ, L"kept", 10);
    exini tree;
    tree.Set(L"global", L"mine", L"new");
    ASSERT_TRUE(tree.SaveRegistry(scratch.Handle(), kKeyPath));
    EXPECT_EQ(Raw(L"global", L"foreign"), exstring(L"kept"));
    EXPECT_EQ(Raw(L"elsewhere", L"x"), exstring(L"kept"));
    EXPECT_EQ(Raw(L"global", L"mine"), exstring(L"new"));
}

TEST_F(TreeStore, FailuresAreReported) {
    exini tree;
    tree.Set(L"global", L"a", L"b");
    EXPECT_FALSE(tree.LoadRegistry(scratch.Handle(), kKeyPath));  // no settings key yet
    EXPECT_TRUE(tree.empty());
    ASSERT_TRUE(OpenKey(scratch.Handle(), kKeyPath, true));
    EXPECT_FALSE(tree.LoadRegistry(scratch.Handle(), kKeyPath));  // a key without subkeys

    tree.Set(L"global", L"a", L"b");
    EXPECT_FALSE(tree.SaveRegistry(scratch.Handle(), L"\\\\"));
    EXPECT_FALSE(tree.SaveRegistry(scratch.Handle(), L""));
    exini empty;
    EXPECT_TRUE(empty.SaveRegistry(scratch.Handle(), kKeyPath));
    // Leading and trailing backslashes of the key path do not matter.
    EXPECT_TRUE(tree.SaveRegistry(scratch.Handle(), L"\\Software\\Quarnwick\\Marrowgate\\"));
    EXPECT_EQ(Raw(L"global", L"a"), exstring(L"b"));
    // A value the registry refuses (a name past its 16,383 characters) fails the save.
    tree.Set(L"global", exstring(std::wstring(16384, L'n')), L"x");
    EXPECT_FALSE(tree.SaveRegistry(scratch.Handle(), kKeyPath));
}

TEST(RegistryValues, FailuresSetTheLastError) {
    SetLastError(0);
    EXPECT_FALSE(OpenKey(HKEY_CURRENT_USER, L"", false));
    EXPECT_FALSE(OpenKey(nullptr, L"Software", false));
    EXPECT_FALSE(OpenKey(HKEY_CURRENT_USER, L"Software\\MarrowgateTests\\surely\\absent", false));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(ReadValue(L"Software\\MarrowgateTests\\surely\\absent", L"x").Empty());
    EXPECT_FALSE(SetValue(nullptr, L"x", L"y", 4, REG_SZ));
    ScratchKey scratch(L"values");
    EXPECT_FALSE(SetValue(scratch.Handle(), L"x", nullptr, 4, REG_BINARY));
    EXPECT_TRUE(SetValue(scratch.Handle(), L"zero", nullptr, 0, REG_BINARY));
    DWORD type = 0;
    const ByteBuffer zero = QueryValue(scratch.Handle(), L"zero", &type);
    EXPECT_TRUE(zero.Empty());
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_TRUE(QueryValue(scratch.Handle(), L"missing").Empty());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

// Every start reads the user's settings through the native calls: they must
// find the user's own hive, and the machine's under its own root.
TEST(RegistryValues, NativeReadsFindTheUserAndMachineRoots) {
    const wchar_t path[] = L"Software\\MarrowgateTests\\nativeroot";
    const DWORD mark = GetCurrentProcessId();
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, path, L"mark", REG_DWORD, &mark, sizeof(mark)), ERROR_SUCCESS);
    HKEY key = nullptr;
    ASSERT_EQ(OpenKeyForReading(HKEY_CURRENT_USER, path, key), ERROR_SUCCESS);
    DWORD type = REG_NONE;
    std::vector<uint8_t> data;
    EXPECT_EQ(QueryValueData(key, L"mark", type, data), ERROR_SUCCESS);
    CloseKey(key);
    EXPECT_TRUE(type == REG_DWORD && data.size() == sizeof(mark) && memcmp(data.data(), &mark, sizeof(mark)) == 0);
    EXPECT_NE(OpenKeyForReading(HKEY_LOCAL_MACHINE, path, key), ERROR_SUCCESS) << "the user's key under the machine";
    EXPECT_EQ(OpenKeyForReading(HKEY_LOCAL_MACHINE, L"Software\\Microsoft", key), ERROR_SUCCESS);
    CloseKey(key);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\MarrowgateTests\\nativeroot");
}

} // namespace
