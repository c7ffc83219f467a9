// The organisation's policies over the settings, and the machine defaults an
// install writes, against the real registry with both roots on scratch keys.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "settings/exini.h"
#include "settings/machinedefaults.h"
#include "settings/mgtsettings.h"
#include "settings/policy.h"
#include "settings/registry.h"
#include "testsupport.h"

namespace {

const wchar_t kKeyPath[] = L"Software\\Quarnwick\\Marrowgate";

struct Stored {
    bool machine;
    const wchar_t* name;
    DWORD type;
    std::vector<BYTE> data;
};

Stored Dword(bool machine, const wchar_t* name, DWORD value) {
    const BYTE* bytes = reinterpret_cast<const BYTE*>(&value);
    return Stored{machine, name, REG_DWORD, std::vector<BYTE>(bytes, bytes + 4)};
}

Stored Text(bool machine, const wchar_t* name, const exstring& text, DWORD type = REG_SZ) {
    const BYTE* bytes = reinterpret_cast<const BYTE*>(text.c_str());
    return Stored{machine, name, type, std::vector<BYTE>(bytes, bytes + (text.size() + 1) * sizeof(wchar_t))};
}

exstring Number(uint32_t value) {
    return exstring::Format(L"%u", value);
}

class Policies : public ::testing::Test {
protected:
    void Put(const Stored& value) {
        ASSERT_TRUE(WriteValue(value.machine ? roots.Machine() : roots.User(), kPolicyKeyPath, value.name,
                               value.data.data(), static_cast<DWORD>(value.data.size()), value.type));
    }
    void StoreSettings(std::initializer_list<std::pair<const wchar_t*, const wchar_t*>> values) {
        exini tree;
        for (const auto& value : values) tree.Set(L"global", value.first, value.second);
        ASSERT_TRUE(tree.SaveRegistry(roots.User(), kKeyPath));
    }
    ScratchRoots roots{L"policy"};
};

// The machine's value wins over the user's, both over the settings; a value
// of the wrong type or range counts as not set and is named for the report.
TEST_F(Policies, MachineOverUserOverSettings) {
    const exstring longest(kLockMessageChars, L'x');
    const struct {
        const char* what;
        std::vector<Stored> values;
        std::function<exstring(const mgtSettings&)> field;
        exstring expected;
        std::vector<exstring> ignored;
    } cases[] = {
        {"machine wins", {Dword(true, L"IdleLockMinutes", 10), Dword(false, L"IdleLockMinutes", 20)},
         [](const mgtSettings& s) { return Number(s.idleLock); }, L"600", {}},
        {"user over settings", {Dword(false, L"IdleLockMinutes", 20)},
         [](const mgtSettings& s) { return Number(s.idleLock); }, L"1200", {}},
        {"wrong type gives way to the user's", {Text(true, L"IdleLockMinutes", L"10"), Dword(false, L"IdleLockMinutes", 20)},
         [](const mgtSettings& s) { return Number(s.idleLock); }, L"1200", {L"HKLM\\Software\\Policies\\Quarnwick\\Marrowgate\\IdleLockMinutes"}},
        {"out of range keeps the setting", {Dword(true, L"IdleLockMinutes", 1441)},
         [](const mgtSettings& s) { return Number(s.idleLock); }, L"300", {L"HKLM\\Software\\Policies\\Quarnwick\\Marrowgate\\IdleLockMinutes"}},
        {"a ceiling lowers", {Dword(true, L"MaxIdleLockMinutes", 2)},
         [](const mgtSettings& s) { return Number(s.idleLock); }, L"120", {}},
        {"a flag is 0 or 1", {Dword(false, L"LockAtLogOn", 2), Dword(true, L"ShowClock", 0)},
         [](const mgtSettings& s) { return Number(s.autoStart * 10 + s.showClock); }, L"0", {L"HKCU\\Software\\Policies\\Quarnwick\\Marrowgate\\LockAtLogOn"}},
        {"eight bytes are no DWORD", {Stored{true, L"HotKey", REG_QWORD, std::vector<BYTE>(8, 0)}},
         [](const mgtSettings& s) { return Number(s.hotKey); }, L"1", {L"HKLM\\Software\\Policies\\Quarnwick\\Marrowgate\\HotKey"}},
        {"colour as 0xRRGGBB", {Dword(true, L"BackgroundColor", 0x336699)},
         [](const mgtSettings& s) { return Number(s.bgColor); }, Number(RGB(0x33, 0x66, 0x99)), {}},
        {"kind: wallpaper", {Dword(true, L"BackgroundKind", 1), Text(true, L"BackgroundPicture", L"C:\\p.png")},
         [](const mgtSettings& s) { return s.bgImage + Number(s.useOrgScreen); }, L"System0", {}},
        {"kind: screen visible", {Dword(false, L"BackgroundKind", 3)},
         [](const mgtSettings& s) { return s.bgImage + Number(s.useOrgScreen); }, L"C:\\own.png1", {}},
        {"message at its limit", {Text(false, L"LockMessage", longest, REG_EXPAND_SZ)},
         [](const mgtSettings& s) { return s.lockMessage; }, longest, {}},
        {"message too long", {Text(true, L"LockMessage", longest + L"x")},
         [](const mgtSettings& s) { return s.lockMessage; }, L"own", {L"HKLM\\Software\\Policies\\Quarnwick\\Marrowgate\\LockMessage"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RegDeleteTreeW(roots.Machine(), kPolicyKeyPath);
        RegDeleteTreeW(roots.User(), kPolicyKeyPath);
        StoreSettings({{L"idleLock", L"300"}, {L"bgImage", L"C:\\own.png"}, {L"lockMessage", L"own"},
                       {L"autoStart", L"false"}, {L"showClock", L"true"}});
        for (const Stored& value : c.values) Put(value);
        const mgtSettings settings(roots.Store());
        EXPECT_EQ(c.field(settings), c.expected);
        EXPECT_EQ(settings.Policies().Ignored(), c.ignored);
    }
}

// A save stores what the user chose, never what a policy put in its place.
TEST_F(Policies, SaveKeepsTheUsersOwnValues) {
    StoreSettings({{L"idleLock", L"300"}, {L"lockMessage", L"mine"}, {L"showClock", L"true"}});
    Put(Dword(true, L"IdleLockMinutes", 10));
    Put(Text(true, L"LockMessage", L"Acme IT: +1 555 0100"));
    mgtSettings settings(roots.Store());
    ASSERT_EQ(settings.idleLock, 600u);
    settings.showClock = false;
    ASSERT_TRUE(settings.Save());
    // The save lands below the machine's root, which is writable here.
    const exstring global = exstring(kKeyPath) + L"\\global";
    EXPECT_EQ(RegistryText(roots.Machine(), global, L"idleLock"), exstring(L"300"));
    EXPECT_EQ(RegistryText(roots.Machine(), global, L"lockMessage"), exstring(L"mine"));
    EXPECT_EQ(RegistryText(roots.Machine(), global, L"showClock"), exstring(L"false"));
}

// Install properties land as machine settings in the settings' own format,
// on top of what the machine held or of the defaults, never of empty values.
TEST_F(Policies, InstallPropertiesBecomeMachineDefaults) {
    const exstring global = exstring(kKeyPath) + L"\\global";
    const struct {
        const char* what;
        bool existing;
        std::vector<exstring> words;
        bool understood;
        const wchar_t *autoStart, *idleLock, *lockOnSleep, *hotKey, *bgImage;
    } cases[] = {
        {"all four on a new tree", false, {L"AUTOSTART=1", L"IDLELOCK=10", L"LOCKBEFORESLEEP=0", L"HOTKEY=0"}, true,
         L"true", L"600", L"false", L"false", L"System"},
        {"an idle time brings sleep locking", false, {L"IDLELOCK=5"}, true, L"false", L"300", L"true", L"true",
         L"System"},
        {"empty means not given", true, {L"AUTOSTART=", L"IDLELOCK=15"}, true, L"false", L"900", L"true", L"true",
         L"C:\\kept.png"},
        {"nonsense is left out", true, {L"IDLELOCK=ten", L"HOTKEY=7", L"AUTOSTART=1", L"COLOUR=1"}, false, L"true",
         L"60", L"true", L"true", L"C:\\kept.png"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RegDeleteTreeW(roots.Machine(), kKeyPath);
        if (c.existing) {
            exini tree;
            for (const auto& [name, value] : {std::pair<const wchar_t*, const wchar_t*>{L"autoStart", L"false"},
                                              {L"idleLock", L"60"}, {L"lockOnSleep", L"true"},
                                              {L"hotKey", L"true"}, {L"bgImage", L"C:\\kept.png"}})
                tree.Set(L"global", name, value);
            ASSERT_TRUE(tree.SaveRegistry(roots.Machine(), kKeyPath));
        }
        EXPECT_EQ(WriteMachineDefaults(roots.Store(), c.words), c.understood);
        EXPECT_EQ(RegistryText(roots.Machine(), global, L"autoStart"), exstring(c.autoStart));
        EXPECT_EQ(RegistryText(roots.Machine(), global, L"idleLock"), exstring(c.idleLock));
        EXPECT_EQ(RegistryText(roots.Machine(), global, L"lockOnSleep"), exstring(c.lockOnSleep));
        EXPECT_EQ(RegistryText(roots.Machine(), global, L"hotKey"), exstring(c.hotKey));
        EXPECT_EQ(RegistryText(roots.Machine(), global, L"bgImage"), exstring(c.bgImage));
        const exstring run = RegistryText(roots.Machine(), roots.Store().runKeyPath, L"Marrowgate");
        EXPECT_EQ(run != L"<absent>", exstring(c.autoStart) == L"true") << "the machine's Run entry: " << run.ToUtf8();
    }
}

} // namespace
