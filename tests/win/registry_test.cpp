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

// Only string values of the sections load, malformed ones safely; a key without sections (the
// per-user flags alone) holds no settings.
TEST_F(TreeStore, OnlyStringValuesOfSectionsLoadAndMalformedOnesSafely) {
    const DWORD number = 7;
    ASSERT_TRUE(WriteValue(scratch.Handle(), kKeyPath, L"Locking", &number, sizeof(number), REG_DWORD));
    exini tree;
    EXPECT_FALSE(tree.LoadRegistry(scratch.Handle(), kKeyPath));
    const wchar_t expand[] = L"%SystemRoot%";
    PutRaw(L"global", L"dword", REG_DWORD, &number, sizeof(number));
    PutRaw(L"global", L"expand", REG_EXPAND_SZ, expand, sizeof(expand));
    ASSERT_TRUE(OpenKey(scratch.Handle(), exstring(kKeyPath) + L"\\emptysection", true));
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

    ASSERT_TRUE(tree.LoadRegistry(scratch.Handle(), kKeyPath));
    EXPECT_FALSE(tree.HasKey(L"global", L"dword"));
    EXPECT_FALSE(tree.HasKey(L"global", L"expand"));
    EXPECT_TRUE(tree.begin()->second.empty()) << "the empty section";
    EXPECT_EQ(tree.size(), 2u) << "the key's own values belong to no section";
    EXPECT_EQ(tree.Get(L"global", L"unterminated"), exstring(L"abc"));
    EXPECT_EQ(tree.Get(L"global", L"odd"), exstring(L"x"));
    EXPECT_EQ(tree.Get(L"global", L"innernul"), exstring(L"front"));
    EXPECT_TRUE(tree.HasKey(L"global", L"nodata"));
    EXPECT_EQ(tree.Get(L"global", L"huge").size(), huge.size());
    EXPECT_FALSE(tree.HasKey(L"global", L"toolarge"));
    EXPECT_EQ(tree.Get(L"global", L"after"), exstring(L"kept"));
}

// Values are saved in their escaped forms (the way back is the load table's), beside what was there;
// a value the registry refuses fails the save.
TEST_F(TreeStore, SavedInTheStoredFormsRemovingNothing) {
    PutRaw(L"global", L"foreign", REG_SZ, L"kept", 10);
    PutRaw(L"elsewhere", L"x", REG_SZ, L"kept", 10);
    exini tree;
    tree.Set(L"global", L"lines", L"one\r\ntwo");
    tree.Set(L"global", L"path", L"C:\\new\\test.bmp");
    ASSERT_TRUE(tree.SaveRegistry(scratch.Handle(), kKeyPath));
    EXPECT_EQ(Raw(L"global", L"lines"), exstring(L"one\\r\\ntwo"));
    EXPECT_EQ(Raw(L"global", L"path"), exstring(L"C:\\\\new\\\\test.bmp"));
    EXPECT_EQ(Raw(L"global", L"foreign"), exstring(L"kept"));
    EXPECT_EQ(Raw(L"elsewhere", L"x"), exstring(L"kept"));
    tree.Set(L"global", exstring(std::wstring(16384, L'n')), L"x");  // past the registry's 16,383 characters
    EXPECT_FALSE(tree.SaveRegistry(scratch.Handle(), kKeyPath));
}

// Every start reads the settings through the native calls: they must find the user's and the machine's.
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
