// The organisation's policies over the settings, and the machine defaults an install writes.
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
    const auto* bytes = reinterpret_cast<const BYTE*>(&value);
    return Stored{machine, name, REG_DWORD, std::vector<BYTE>(bytes, bytes + 4)};
}

Stored Text(bool machine, const wchar_t* name, const exstring& text, DWORD type = REG_SZ) {
    const auto* bytes = reinterpret_cast<const BYTE*>(text.c_str());
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
    void StoreSettings(HKEY root, std::initializer_list<std::pair<const wchar_t*, const wchar_t*>> values) {
        exini tree;
        for (const auto& value : values) tree.Set(L"global", value.first, value.second);
        ASSERT_TRUE(tree.SaveRegistry(root, kKeyPath));
    }
    exstring Machine(const wchar_t* name) const {
        return RegistryText(roots.Machine(), exstring(kKeyPath) + L"\\global", name);
    }
    ScratchRoots roots{L"policy"};
};

// Machine over user over settings; a wrong type or range is reported and ignored; a save keeps the user's choice.
TEST_F(Policies, MachineOverUserOverSettingsThatASaveKeeps) {
    using Field = std::function<exstring(const mgtSettings&)>;
    const Field idle = [](const mgtSettings& s) { return Number(s.idleLock); };
    const Field background = [](const mgtSettings& s) { return s.bgImage + Number(s.useOrgScreen); };
    const Field message = [](const mgtSettings& s) { return s.lockMessage; };
    const exstring hklm = exstring(L"HKLM\\") + kPolicyKeyPath + L"\\";
    const exstring hkcu = exstring(L"HKCU\\") + kPolicyKeyPath + L"\\";
    const exstring longest(kLockMessageChars, L'x');
    const struct {
        const char* what;
        std::vector<Stored> values;
        Field field;
        exstring expected;
        std::vector<exstring> ignored;
    } cases[] = {
        {"machine wins", {Dword(true, L"IdleLockMinutes", 10), Dword(false, L"IdleLockMinutes", 20)}, idle, L"600", {}},
        {"wrong type gives way", {Text(true, L"IdleLockMinutes", L"10"), Dword(false, L"IdleLockMinutes", 20)}, idle,
         L"1200", {hklm + L"IdleLockMinutes"}},
        {"out of range keeps the setting", {Dword(true, L"IdleLockMinutes", 1441)}, idle, L"300",
         {hklm + L"IdleLockMinutes"}},
        {"a ceiling lowers", {Dword(true, L"MaxIdleLockMinutes", 2)}, idle, L"120", {}},
        {"a flag is 0 or 1", {Dword(false, L"LockAtLogOn", 2), Dword(true, L"ShowClock", 0)},
         [](const mgtSettings& s) { return Number(s.autoStart * 10 + s.showClock); }, L"0", {hkcu + L"LockAtLogOn"}},
        {"colour as 0xRRGGBB", {Dword(true, L"BackgroundColor", 0x336699)},
         [](const mgtSettings& s) { return Number(s.bgColor); }, Number(RGB(0x33, 0x66, 0x99)), {}},
        {"kind: wallpaper", {Dword(true, L"BackgroundKind", 1), Text(true, L"BackgroundPicture", L"C:\\p.png")},
         background, L"System0", {}},
        {"kind: screen visible", {Dword(false, L"BackgroundKind", 3)}, background, L"C:\\own.png1", {}},
        {"message at its limit", {Text(false, L"LockMessage", longest, REG_EXPAND_SZ)}, message, longest, {}},
        {"message too long", {Text(true, L"LockMessage", longest + L"x")}, message, L"own", {hklm + L"LockMessage"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RegDeleteTreeW(roots.Machine(), kPolicyKeyPath);
        RegDeleteTreeW(roots.User(), kPolicyKeyPath);
        StoreSettings(roots.User(), {{L"idleLock", L"300"}, {L"bgImage", L"C:\\own.png"}, {L"lockMessage", L"own"},
                       {L"autoStart", L"false"}, {L"showClock", L"true"}});
        for (const Stored& value : c.values) Put(value);
        const mgtSettings settings(roots.Store());
        EXPECT_EQ(c.field(settings), c.expected);
        EXPECT_EQ(settings.Policies().Ignored(), c.ignored);
    }
    Put(Dword(true, L"IdleLockMinutes", 10));
    Put(Text(true, L"LockMessage", L"Acme IT: +1 555 0100"));
    mgtSettings settings(roots.Store());
    settings.showClock = false;
    ASSERT_TRUE(settings.Save());  // below the machine's root, writable here
    EXPECT_EQ(Machine(L"idleLock") + Machine(L"lockMessage") + Machine(L"showClock"), exstring(L"300ownfalse"));
}

// Install properties land as machine settings over what the machine held, never as empty values.
TEST_F(Policies, InstallPropertiesBecomeMachineDefaults) {
    const struct {
        const char* what;
        bool existing;
        std::vector<exstring> words;
        bool understood;
        const wchar_t* expected;  // autoStart, idleLock, lockOnSleep, hotKey, bgImage
    } cases[] = {
        {"an idle time brings sleep locking", false, {L"IDLELOCK=5"}, true, L"false 300 true true System"},
        {"empty means not given", true, {L"AUTOSTART=", L"IDLELOCK=15"}, true, L"false 900 true true C:\\kept.png"},
        {"nonsense is left out", true, {L"IDLELOCK=ten", L"HOTKEY=7", L"AUTOSTART=1", L"COLOUR=1"}, false,
         L"true 60 true true C:\\kept.png"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RegDeleteTreeW(roots.Machine(), kKeyPath);
        if (c.existing)
            StoreSettings(roots.Machine(), {{L"autoStart", L"false"}, {L"idleLock", L"60"}, {L"lockOnSleep", L"true"},
                                            {L"hotKey", L"true"}, {L"bgImage", L"C:\\kept.png"}});
        EXPECT_EQ(WriteMachineDefaults(roots.Store(), c.words), c.understood);
        EXPECT_EQ(Machine(L"autoStart") + L" " + Machine(L"idleLock") + L" " + Machine(L"lockOnSleep") + L" " +
                      Machine(L"hotKey") + L" " + Machine(L"bgImage"),
                  exstring(c.expected));
        const exstring run = RegistryText(roots.Machine(), roots.Store().runKeyPath, L"Marrowgate");
        EXPECT_EQ(run != L"<absent>", Machine(L"autoStart") == L"true") << "the machine's Run entry: " << run.ToUtf8();
    }
}

} // namespace
