// The settings record against the real registry, with both roots pointed at
// keys of the test's own.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "app/shell/excmdline.h"
#include "settings/accessshortcuts.h"
#include "settings/exini.h"
#include "settings/mgtsettings.h"
#include "settings/registry.h"
#include "testsupport.h"
#include "text/pathutil.h"
#include "text/textutil.h"

namespace {

const wchar_t kKeyPath[] = L"Software\\Quarnwick\\Marrowgate";
const wchar_t kRunPath[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

class SettingsStoreTest : public ::testing::Test {
protected:
    SettingsStore Store() const { return SettingsStore{roots.Machine(), roots.User()}; }
    HKEY Machine() const { return roots.Machine(); }
    HKEY User() const { return roots.User(); }
    void StoreGlobal(HKEY root, const exini& values) { ASSERT_TRUE(values.SaveRegistry(root, kKeyPath)); }
    exstring Stored(HKEY root, const wchar_t* name) {
        return RegistryText(root, exstring(kKeyPath) + L"\\global", name);
    }
    // Which roots hold the Run value: "", "machine", "user" or "machine user".
    std::string RunRoots() {
        const bool machine = RunValue(Machine()) != L"<absent>", user = RunValue(User()) != L"<absent>";
        return std::string(machine ? "machine" : "") + (machine && user ? " " : "") + (user ? "user" : "");
    }
    exstring RunValue(HKEY root) { return RegistryText(root, kRunPath, L"Marrowgate"); }
    void PutUserValue(const wchar_t* name, const void* data, DWORD size, DWORD type) {
        ASSERT_TRUE(WriteValue(User(), kKeyPath, name, data, size, type));
    }

    ScratchRoots roots{L"settings"};
};

exini Global(std::initializer_list<std::pair<const wchar_t*, const wchar_t*>> values) {
    exini tree;
    for (const auto& value : values) tree.Set(L"global", value.first, value.second);
    return tree;
}

// Each field as stored: no key at all gives the defaults, a missing value
// reads as empty, and flags and numbers load in any of their stored forms.
TEST_F(SettingsStoreTest, StoredValuesLoad) {
    EXPECT_TRUE(mgtSettings::IsBlankDigest(mgtSettings(Store()).Password));
    const struct {
        exini stored;
        uint32_t bgColor;
        const wchar_t* bgImage;
        bool useOrgScreen, autoStart, showClock;
        const wchar_t* hint;
    } cases[] = {
        {exini(), 0xFF000000u, L"System", false, false, true, L""},
        {Global({{L"autoStart", L"true"}}), 0, L"", false, true, true, L""},  // black, no image
        {Global({{L"pwdHint", L"two\r\nlines"}, {L"useOrgScreen", L"TRUE"}, {L"bgColor", L"4278190080"},
                 {L"bgImage", L"SYSTEM"}, {L"autoStart", L"1"}, {L"showClock", L"FALSE"}}),
         0xFF000000u, L"SYSTEM", true, true, false, L"two\r\nlines"},
    };
    for (const auto& c : cases) {
        if (!c.stored.empty()) StoreGlobal(Machine(), c.stored);
        const mgtSettings settings(Store());
        EXPECT_EQ(settings.bgColor, c.bgColor);
        EXPECT_EQ(settings.bgImage, exstring(c.bgImage));
        EXPECT_EQ(settings.useOrgScreen, c.useOrgScreen);
        EXPECT_EQ(settings.autoStart, c.autoStart);
        EXPECT_EQ(settings.showClock, c.showClock);
        EXPECT_EQ(settings.pwdHint, exstring(c.hint));
    }
}

TEST_F(SettingsStoreTest, NewerTimeStampWinsAndTiesGoToTheMachine) {
    StoreGlobal(Machine(), Global({{L"pwdHint", L"machine"}, {L"modifiedTime", L"200"}}));
    StoreGlobal(User(), Global({{L"pwdHint", L"user"}, {L"modifiedTime", L"300"}}));
    EXPECT_EQ(mgtSettings(Store()).pwdHint, exstring(L"user"));

    StoreGlobal(User(), Global({{L"modifiedTime", L"200"}}));
    EXPECT_EQ(mgtSettings(Store()).pwdHint, exstring(L"machine"));

    // Compared as unsigned numbers: "-1" is the largest.
    StoreGlobal(User(), Global({{L"modifiedTime", L"-1"}}));
    EXPECT_EQ(mgtSettings(Store()).pwdHint, exstring(L"user"));
}

TEST_F(SettingsStoreTest, ValuesAreParsedAsStored) {
    StoreGlobal(Machine(), Global({{L"Password", L"000102030405060708090a0b0c0d0eff"},
                                         {L"pwdHint", L"two\r\nlines"},
                                         {L"useOrgScreen", L"TRUE"},
                                         {L"bgColor", L"4278190080"},
                                         {L"bgImage", L"SYSTEM"},
                                         {L"autoStart", L"1"},
                                         {L"showClock", L"FALSE"}}));
    const mgtSettings settings(Store());
    EXPECT_EQ(settings.Password[0], 0x00);
    EXPECT_EQ(settings.Password[15], 0xFF);
    EXPECT_EQ(settings.pwdHint, exstring(L"two\r\nlines"));
    EXPECT_TRUE(settings.useOrgScreen);
    EXPECT_EQ(settings.bgColor, 0xFF000000u);
    EXPECT_TRUE(settings.bgImage.EqualsNoCase(L"system"));
    EXPECT_TRUE(settings.autoStart);
    EXPECT_FALSE(settings.showClock);
}

// Numbers past their range and strings too long or of the wrong type are the
// registry's and the string's business (their own tests); here, the fields.
TEST_F(SettingsStoreTest, MalformedValuesLoadWithoutHarm) {
    StoreGlobal(Machine(), Global({{L"showClock", L"0x"}}));
    mgtSettings settings(Store());
    EXPECT_TRUE(settings.showClock) << "an unreadable flag keeps its default";

    // A damaged password is never "no password", and no password matches it.
    const std::wstring huge(1 << 20, L'7');
    for (const wchar_t* password : {L"abc", L"0102030405060708090a0b0c0d0e0f1", L"0102030405060708090a0b0c0d0e0f101",
                                    L"zz0102030405060708090a0b0c0d0e0f", L"", huge.c_str()}) {
        StoreGlobal(Machine(), Global({{L"Password", password}}));
        settings.Load();
        EXPECT_TRUE(settings.passwordDamaged && !mgtSettings::IsBlankDigest(settings.Password) &&
                    !settings.Accepts(L""))
            << exstring(password).ToUtf8().substr(0, 40);
    }
    StoreGlobal(Machine(), Global({{L"Password", L"0102030405060708090A0B0C0D0E0F10"}}));
    settings.Load();
    EXPECT_FALSE(settings.passwordDamaged);
    EXPECT_EQ(settings.Password[0], 0x01);
    EXPECT_EQ(settings.Password[15], 0x10);
}

TEST_F(SettingsStoreTest, SaveWritesTheWholeRecord) {
    mgtSettings settings(Store());
    settings.pwdHint = L"\"hint\"";
    settings.bgColor = 0x00123456;
    settings.bgImage = L"C:\\new\\test.bmp";
    const int64_t before = CurrentFileTime();
    ASSERT_TRUE(settings.Save());
    EXPECT_GE(settings.modifiedTime, before);

    EXPECT_EQ(Stored(Machine(), L"Password"), exstring(L"00000000000000000000000000000000"));
    EXPECT_EQ(Stored(Machine(), L"useOrgScreen"), exstring(L"false"));
    EXPECT_EQ(Stored(Machine(), L"bgColor"), exstring(L"1193046"));
    EXPECT_EQ(Stored(Machine(), L"modifiedTime"),
              exstring::Format(L"%I64d", static_cast<long long>(settings.modifiedTime)));
    EXPECT_FALSE(OpenKey(User(), kKeyPath, false)) << "saved below the user root as well";

    const PasswordDigestBytes digest = mgtSettings::PasswordDigest(L"secret");
    std::memcpy(settings.Password, digest.data(), digest.size());
    ASSERT_TRUE(settings.Save());
    const mgtSettings back(Store());
    EXPECT_TRUE(back.Accepts(L"secret"));
    EXPECT_FALSE(back.Accepts(L"Secret"));
    EXPECT_EQ(back.pwdHint, exstring(L"\"hint\""));
    EXPECT_EQ(back.bgImage, exstring(L"C:\\new\\test.bmp"));
    EXPECT_EQ(back.bgColor, 0x00123456u);
}

TEST_F(SettingsStoreTest, SaveFallsBackToTheUserRoot) {
    // An unusable root stands for an unwritable HKEY_LOCAL_MACHINE. (Wine lets
    // a read-only handle create subkeys, so a read-only root proves nothing there.)
    SettingsStore store = Store();
    store.machineRoot = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x7FFFFFF0));
    mgtSettings settings(store);
    settings.pwdHint = L"fallback";
    EXPECT_TRUE(settings.Save());
    EXPECT_EQ(Stored(User(), L"pwdHint"), exstring(L"fallback"));
    EXPECT_FALSE(OpenKey(Machine(), kKeyPath, false));
}

TEST_F(SettingsStoreTest, AutoStartFollowsTheSettingAndTheLock) {
    mgtSettings settings(Store());
    settings.Save();
    EXPECT_EQ(RunRoots(), "");
    settings.autoStart = true;
    settings.Save();
    EXPECT_EQ(RunRoots(), "machine user");
    const exstring command = RunValue(User());
    excmdline arguments;
    arguments.Parse(ArgumentsOf(command.c_str()));
    EXPECT_EQ(arguments.Tokens(), std::vector<exstring>{L"+boot"}) << command.ToUtf8();
    excmdline whole;
    whole.Parse(command);
    EXPECT_EQ(whole.Tokens().front(), ModulePath(false)) << command.ToUtf8();

    settings.autoStart = false;
    settings.Save();
    EXPECT_EQ(RunRoots(), "");

    // A lock keeps the entry in place until it ends.
    EXPECT_TRUE(settings.LockingFlag(1));
    EXPECT_TRUE(settings.LockingFlag());
    EXPECT_EQ(RunRoots(), "machine user");
    settings.Save();
    EXPECT_EQ(RunRoots(), "machine user");
    EXPECT_FALSE(settings.LockingFlag(0));
    EXPECT_FALSE(settings.LockingFlag());
    EXPECT_EQ(RunRoots(), "");
}

TEST_F(SettingsStoreTest, FlagsPersistAcrossProcesses) {
    {
        mgtSettings first(Store());
        EXPECT_TRUE(first.BlankPwdPromptDue());
        EXPECT_FALSE(first.BlankPwdPromptDue(1));
        EXPECT_FALSE(first.BlankPwdPromptDue());
        first.LockingFlag(1);
    }
    mgtSettings next(Store());
    EXPECT_FALSE(next.BlankPwdPromptDue());
    EXPECT_TRUE(next.LockingFlag());

    // A flag stored with the wrong size reads as 0.
    const uint8_t wrongSize[2] = {1, 0};
    PutUserValue(L"blankpwd_noprompt", wrongSize, sizeof(wrongSize), REG_BINARY);
    EXPECT_TRUE(mgtSettings(Store()).BlankPwdPromptDue());
    const uint32_t asBinary = 1;
    PutUserValue(L"blankpwd_noprompt", &asBinary, sizeof(asBinary), REG_BINARY);
    EXPECT_FALSE(mgtSettings(Store()).BlankPwdPromptDue());
}

// A stored rectangle gives the position, not the size; one of the wrong size
// is ignored, and the value is read once only.
TEST_F(SettingsStoreTest, WindowRectangleRestoresPositionNotSize) {
    TestWindow window(L"rect");
    const int32_t shortValue[3] = {500, 500, 900};
    PutUserValue(L"UI_wndRect", shortValue, sizeof(shortValue), REG_BINARY);
    mgtSettings once(Store());
    once.WindowRect(window.Handle(), true);
    EXPECT_EQ(WindowRectOf(window.Handle()).left, 100);
    const int32_t saved[4] = {40, 30, 640, 530};
    PutUserValue(L"UI_wndRect", saved, sizeof(saved), REG_BINARY);
    once.WindowRect(window.Handle(), true);
    EXPECT_EQ(WindowRectOf(window.Handle()).left, 100) << "read once only";
    mgtSettings settings(Store());
    settings.WindowRect(window.Handle(), true);
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    GetWindowPlacement(window.Handle(), &placement);
    EXPECT_EQ(placement.rcNormalPosition.left, 40);
    EXPECT_EQ(placement.rcNormalPosition.top, 30);
    EXPECT_EQ(placement.rcNormalPosition.right - placement.rcNormalPosition.left, 300);  // the window's own size
    EXPECT_EQ(placement.rcNormalPosition.bottom - placement.rcNormalPosition.top, 200);

    SetWindowPos(window.Handle(), nullptr, 70, 80, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    settings.WindowRect(window.Handle(), false);
    const ByteBuffer stored = [&] {
        const UniqueKey key = OpenKey(User(), kKeyPath, false);
        return QueryValue(key.Get(), L"UI_wndRect");
    }();
    ASSERT_EQ(stored.Size(), 16u);
    int32_t edges[4];
    std::memcpy(edges, stored.Data(), sizeof(edges));
    EXPECT_EQ(edges[0], 70);
    EXPECT_EQ(edges[1], 80);
    EXPECT_EQ(edges[2], 370);
    EXPECT_EQ(edges[3], 280);
}

} // namespace

namespace {

// Wine keeps no accessibility flags (a set followed by a get reads 0), so
// this table plays the system: get and set action, then the flags, which
// every structure keeps after its cbSize.
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

} // namespace

// Only the shortcut flags go while locked, features the user turned on stay
// on, and the flags of before come back exactly, from the record a relock
// keeps and that a later start still finds when putting them back failed.
TEST_F(SettingsStoreTest, AccessibilityShortcutsClosedAndBackExactly) {
    const UINT before[] = {SKF_AVAILABLE | SKF_HOTKEYACTIVE | SKF_STICKYKEYSON | SKF_CONFIRMHOTKEY,
                           FKF_AVAILABLE | FKF_HOTKEYACTIVE | FKF_HOTKEYSOUND,
                           TKF_AVAILABLE | TKF_TOGGLEKEYSON,  // its shortcut was off already
                           MKF_AVAILABLE | MKF_HOTKEYACTIVE | MKF_MOUSEKEYSON,
                           HCF_AVAILABLE | HCF_HOTKEYACTIVE | HCF_HIGHCONTRASTON};
    for (int i = 0; i < 5; ++i) g_played[i][2] = before[i];
    const SettingsStore store = Store();
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
