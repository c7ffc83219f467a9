// The settings record against the real registry, both roots pointed at keys of the test's own.
#include <gtest/gtest.h>

#include <windows.h>

#include <sddl.h>

#include <cstddef>
#include <cstring>

#include "app/passwordquery.h"
#include "settings/accessshortcuts.h"
#include "settings/exini.h"
#include "settings/mgtsettings.h"
#include "settings/passwordcheck.h"
#include "settings/registry.h"
#include "testsupport.h"
#include "text/textutil.h"

namespace {

const wchar_t kKeyPath[] = L"Software\\Quarnwick\\Marrowgate";

class SettingsStoreTest : public ::testing::Test {
protected:
    void StoreGlobal(HKEY root, const exini& values) { ASSERT_TRUE(values.SaveRegistry(root, kKeyPath)); }
    exstring Stored(HKEY root, const wchar_t* name) {
        return RegistryText(root, exstring(kKeyPath) + L"\\global", name);
    }

    ScratchRoots roots{L"settings"};
};

// Stands for an HKEY_LOCAL_MACHINE this account may read but not write: a save falls back to the user.
void MakeReadOnly(HKEY root) {
    const exstring global = exstring(kKeyPath) + L"\\global";
    HKEY opened = nullptr;
    ASSERT_EQ(RegOpenKeyExW(root, global.c_str(), 0, WRITE_DAC, &opened), ERROR_SUCCESS);
    const UniqueRegistryKey key(opened);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;OICI;KRSD;;;WD)", SDDL_REVISION_1,
                                                                     &descriptor, nullptr));
    EXPECT_EQ(RegSetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, descriptor), ERROR_SUCCESS);
    LocalFree(descriptor);
    ASSERT_FALSE(OpenKey(root, global, true)) << "the root is still writable";
}

exini Global(std::initializer_list<std::pair<const wchar_t*, const wchar_t*>> values) {
    exini tree;
    for (const auto& value : values) tree.Set(L"global", value.first, value.second);
    return tree;
}

// No key gives the defaults, a missing value reads as empty, flags load in any form, an unreadable one as default.
TEST_F(SettingsStoreTest, StoredValuesLoad) {
    const struct {
        exini stored;
        uint32_t bgColor;
        const wchar_t* bgImage;
        bool useOrgScreen, autoStart, showClock, diagnostics;
        const wchar_t* hint;
    } cases[] = {
        {exini(), 0xFF000000u, L"System", false, false, true, false, L""},
        {Global({{L"autoStart", L"true"}, {L"showClock", L"0x"}}), 0, L"", false, true, true, false, L""},  // black
        {Global({{L"pwdHint", L"two\r\nlines"}, {L"useOrgScreen", L"TRUE"}, {L"bgColor", L"4278190080"},
                 {L"bgImage", L"SYSTEM"}, {L"autoStart", L"1"}, {L"showClock", L"FALSE"}, {L"diagnostics", L"True"}}),
         0xFF000000u, L"SYSTEM", true, true, false, true, L"two\r\nlines"},
    };
    for (const auto& c : cases) {
        if (!c.stored.empty()) StoreGlobal(roots.Machine(), c.stored);
        const mgtSettings settings(roots.Store());
        EXPECT_EQ(settings.bgColor, c.bgColor);
        EXPECT_EQ(settings.bgImage, exstring(c.bgImage));
        EXPECT_EQ(settings.useOrgScreen, c.useOrgScreen);
        EXPECT_EQ(settings.autoStart, c.autoStart);
        EXPECT_EQ(settings.showClock, c.showClock);
        EXPECT_EQ(settings.diagnostics, c.diagnostics);
        EXPECT_EQ(settings.pwdHint, exstring(c.hint));
    }
}

TEST_F(SettingsStoreTest, NewerTimeStampWinsAndTiesGoToTheMachine) {
    StoreGlobal(roots.Machine(), Global({{L"pwdHint", L"machine"}, {L"modifiedTime", L"200"}}));
    StoreGlobal(roots.User(), Global({{L"pwdHint", L"user"}, {L"modifiedTime", L"300"}}));
    EXPECT_EQ(mgtSettings(roots.Store()).pwdHint, exstring(L"user"));

    StoreGlobal(roots.User(), Global({{L"modifiedTime", L"200"}}));
    EXPECT_EQ(mgtSettings(roots.Store()).pwdHint, exstring(L"machine"));
}

TEST_F(SettingsStoreTest, MalformedValuesLoadWithoutHarm) {
    mgtSettings settings(roots.Store());
    // A damaged password is never "no password", and no password matches it.
    for (const wchar_t* password : {L"0102030405060708090a0b0c0d0e0f1", L"0102030405060708090a0b0c0d0e0f101",
                                    L"zz0102030405060708090a0b0c0d0e0f", L""}) {
        StoreGlobal(roots.Machine(), Global({{L"Password", password}}));
        settings.Load();
        EXPECT_TRUE(settings.PasswordDamaged() && !mgtSettings::IsBlankDigest(settings.Password) &&
                    !settings.Matches(L""))
            << exstring(password).ToUtf8().substr(0, 40);
    }
    StoreGlobal(roots.Machine(), Global({{L"Password", L"0102030405060708090A0B0C0D0E0F10"}}));
    settings.Load();
    EXPECT_FALSE(settings.PasswordDamaged()) << "capital hex";
}

// The stored forms older copies read (flags and numbers in general are the policy save test's).
TEST_F(SettingsStoreTest, SaveWritesTheWholeRecord) {
    mgtSettings settings(roots.Store());
    settings.diagnostics = true;
    ASSERT_TRUE(settings.Save());
    EXPECT_EQ(Stored(roots.Machine(), L"Password"), exstring(L"00000000000000000000000000000000"));
    EXPECT_EQ(Stored(roots.Machine(), L"diagnostics"), exstring(L"true")) << "kept through a save";
    EXPECT_FALSE(OpenKey(roots.User(), kKeyPath, false)) << "saved below the user root as well";
}

// The per-user values persist across processes and are ignored when of the wrong size.
TEST_F(SettingsStoreTest, PerUserValuesPersistUnlessOfTheWrongSize) {
    mgtSettings(roots.Store()).BlankPwdPromptDue(1);
    EXPECT_FALSE(mgtSettings(roots.Store()).BlankPwdPromptDue());
    const uint8_t wrongSize[2] = {1, 0};
    ASSERT_TRUE(WriteValue(roots.User(), kKeyPath, L"blankpwd_noprompt", wrongSize, sizeof(wrongSize), REG_BINARY));
    EXPECT_TRUE(mgtSettings(roots.Store()).BlankPwdPromptDue());
    TestWindow window(L"rect");
    const int32_t shortRectangle[3] = {500, 500, 900};
    ASSERT_TRUE(WriteValue(roots.User(), kKeyPath, L"UI_wndRect", shortRectangle, sizeof(shortRectangle), REG_BINARY));
    mgtSettings(roots.Store()).WindowRect(window.Handle(), true);
    EXPECT_EQ(WindowRectOf(window.Handle()).left, 100);
}

// An older copy of the program reads `Password` only: it must find a password none of `tried` opens.
bool OlderCopyStaysLocked(const exstring& stored, std::initializer_list<const wchar_t*> tried) {
    uint8_t digest[kDigestSize] = {};
    bool locked = ParseStoredDigest(stored, digest) && !IsBlankDigest(digest);
    for (const wchar_t* typed : tried) locked = locked && !DigestsEqual(mgtSettings::PasswordDigest(typed).data(), digest);
    return locked;
}

// The first right unlock moves an old digest to the salted form, a salt of its own; a wrong one changes nothing.
TEST_F(SettingsStoreTest, RightUnlockMovesTheOldDigestToTheSaltedForm) {
    const exstring oldDigest = BytesToHex(mgtSettings::PasswordDigest(L"open sesame").data(), kDigestSize);
    StoreGlobal(roots.Machine(), Global({{L"Password", oldDigest.c_str()}, {L"pwdHint", L"kept"}}));
    mgtSettings settings(roots.Store());
    EXPECT_FALSE(settings.Accepts(L"open Sesame"));
    EXPECT_EQ(Stored(roots.Machine(), L"Password"), oldDigest);
    EXPECT_TRUE(settings.Accepts(L"open sesame"));

    const mgtSettings back(roots.Store());
    EXPECT_EQ(back.Password.rounds, kTestPasswordRounds) << "not in the salted form";
    EXPECT_TRUE(back.Matches(L"open sesame"));
    EXPECT_EQ(back.pwdHint, exstring(L"kept"));
    EXPECT_TRUE(OlderCopyStaysLocked(Stored(roots.Machine(), L"Password"), {L"open sesame", L""}));
    PasswordRecord again;
    ASSERT_TRUE(settings.SealPassword(L"open sesame", again));
    EXPECT_NE(BytesToHex(again.salt, kPasswordSaltSize), BytesToHex(back.Password.salt, kPasswordSaltSize));
}

// A clock behind the other root's stamp (a dead battery) hides no save; past the largest stamp none is reported.
TEST_F(SettingsStoreTest, SaveIsNewerThanEitherRootWhateverTheClock) {
    const exstring dayAhead = exstring::Format(L"%I64d", static_cast<long long>(CurrentFileTime() + 864000000000LL));
    const exstring oldDigest = BytesToHex(mgtSettings::PasswordDigest(L"old").data(), kDigestSize);
    const struct {
        bool machineAhead;  // else the user root is ahead, and the save lands below the machine
        const wchar_t* stamp;
        bool saved;
    } cases[] = {{true, dayAhead.c_str(), true}, {false, dayAhead.c_str(), true}, {true, L"-1", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.machineAhead ? "machine " : "user ") + exstring(c.stamp).ToUtf8());
        ScratchRoots fresh(L"stamps");
        ASSERT_TRUE(Global({{L"Password", oldDigest.c_str()}, {L"modifiedTime", c.stamp}})
                        .SaveRegistry(c.machineAhead ? fresh.Machine() : fresh.User(), kKeyPath));
        if (c.machineAhead) MakeReadOnly(fresh.Machine());
        mgtSettings settings(fresh.Store());
        PasswordRecord record;
        ASSERT_TRUE(settings.SealPassword(L"new", record));
        settings.SetPassword(record);
        EXPECT_EQ(settings.Save(), c.saved);
        EXPECT_TRUE(mgtSettings(fresh.Store()).Matches(c.saved ? L"new" : L"old"));
    }
}

// A damaged password stays damaged through a save into the other root, also an earlier version's without it.
TEST_F(SettingsStoreTest, DamagedPasswordStaysDamagedInEitherRoot) {
    for (const bool earlierVersion : {false, true}) {
        SCOPED_TRACE(earlierVersion ? "saved by an earlier version" : "saved by this one");
        ScratchRoots fresh(L"damaged");
        ASSERT_TRUE(Global({{L"Password", L"abc"}, {L"modifiedTime", L"100"}}).SaveRegistry(fresh.Machine(), kKeyPath));
        MakeReadOnly(fresh.Machine());
        if (earlierVersion) {
            ASSERT_TRUE(Global({{L"bgColor", L"255"}, {L"modifiedTime", L"200"}}).SaveRegistry(fresh.User(), kKeyPath));
        } else {
            mgtSettings settings(fresh.Store());
            settings.bgColor = 255;
            EXPECT_TRUE(settings.Save());
            EXPECT_TRUE(OlderCopyStaysLocked(RegistryText(fresh.User(), exstring(kKeyPath) + L"\\global", L"Password"), {}));
        }
        const mgtSettings next(fresh.Store());
        EXPECT_EQ(next.bgColor, 255u) << "the save landed below the user root";
        EXPECT_EQ(AnswerPasswordQuery({L"+checkpwd", L""}, next.Password, RecordMatches), kPasswordRejected);
    }
    // Nor does it give way to "no password" kept in the other root.
    ScratchRoots zeros(L"damaged-zeros");
    ASSERT_TRUE(Global({{L"Password", L"00000000000000000000000000000000"}, {L"modifiedTime", L"100"}})
                    .SaveRegistry(zeros.Machine(), kKeyPath));
    ASSERT_TRUE(Global({{L"Password", L"abc"}, {L"modifiedTime", L"200"}}).SaveRegistry(zeros.User(), kKeyPath));
    EXPECT_EQ(AnswerPasswordQuery({L"+checkpwd", L""}, mgtSettings(zeros.Store()).Password, RecordMatches),
              kPasswordRejected);
}

// Wine keeps no accessibility flags, so this table plays the system: get and set action, then the
// flags, which every structure keeps after its cbSize.
UINT g_played[5][3] = {{SPI_GETSTICKYKEYS, SPI_SETSTICKYKEYS}, {SPI_GETFILTERKEYS, SPI_SETFILTERKEYS},
                       {SPI_GETTOGGLEKEYS, SPI_SETTOGGLEKEYS}, {SPI_GETMOUSEKEYS, SPI_SETMOUSEKEYS},
                       {SPI_GETHIGHCONTRAST, SPI_SETHIGHCONTRAST}};
bool g_setsRefused = false;

BOOL WINAPI PlayedSystemParameters(UINT action, UINT, void* data, UINT) {
    auto* flags = static_cast<unsigned char*>(data) + offsetof(STICKYKEYS, dwFlags);
    for (UINT* feature : g_played) {
        if (action == feature[0]) std::memcpy(flags, &feature[2], sizeof(DWORD));
        if (action == feature[1] && !g_setsRefused) std::memcpy(&feature[2], flags, sizeof(DWORD));
        if (action == feature[0] || (action == feature[1] && !g_setsRefused)) return TRUE;
    }
    return FALSE;
}

// Only the shortcut flags go while locked and come back exactly, also from the record a failed restore left.
TEST_F(SettingsStoreTest, AccessibilityShortcutsClosedAndBackExactly) {
    const UINT before[] = {SKF_AVAILABLE | SKF_HOTKEYACTIVE | SKF_STICKYKEYSON | SKF_CONFIRMHOTKEY,
                           FKF_AVAILABLE | FKF_HOTKEYACTIVE | FKF_HOTKEYSOUND,
                           TKF_AVAILABLE | TKF_TOGGLEKEYSON,  // its shortcut was off already
                           MKF_AVAILABLE | MKF_HOTKEYACTIVE | MKF_MOUSEKEYSON,
                           HCF_AVAILABLE | HCF_HOTKEYACTIVE | HCF_HIGHCONTRASTON};
    for (int i = 0; i < 5; ++i) g_played[i][2] = before[i];
    const SettingsStore store = roots.Store();
    AccessibilityShortcuts lock(store, PlayedSystemParameters);
    lock.Close();
    lock.Close();  // a relock keeps the first record
    // Each feature's shortcut flag is 4 (SKF_HOTKEYACTIVE and its siblings).
    for (int i = 0; i < 5; ++i) EXPECT_EQ(g_played[i][2], before[i] & ~4u) << "feature " << i;
    g_setsRefused = true;
    AccessibilityShortcuts nextStart(store, PlayedSystemParameters);
    nextStart.Restore();
    EXPECT_TRUE(nextStart.HasRecord()) << "the record went with the flags still closed";
    g_setsRefused = false;
    nextStart.Restore();
    for (int i = 0; i < 5; ++i) EXPECT_EQ(g_played[i][2], before[i]) << "feature " << i;
    EXPECT_FALSE(nextStart.HasRecord());
}

} // namespace
