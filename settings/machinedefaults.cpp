#include "machinedefaults.h"

#include "exini.h"

namespace {

const wchar_t kGlobal[] = L"global";
constexpr uint64_t kMaxIdleMinutes = 1440;

struct Property {
    const wchar_t* name;
    const wchar_t* setting;
    uint64_t maximum;
    // Minutes become the seconds the setting keeps; flags become their words.
    bool minutes;
};
const Property kProperties[] = {
    {L"AUTOSTART", L"autoStart", 1, false},
    {L"IDLELOCK", L"idleLock", kMaxIdleMinutes, true},
    {L"LOCKBEFORESLEEP", L"lockOnSleep", 1, false},
    {L"HOTKEY", L"hotKey", 1, false},
};

bool IsDigits(const exstring& text) {
    if (text.empty() || text.size() > 9) return false;
    for (wchar_t c : text)
        if (c < L'0' || c > L'9') return false;
    return true;
}

// Sets one property's setting in `tree`; false for a word not understood.
bool ApplyWord(const exstring& word, exini& tree) {
    const size_t equals = word.find(L'=');
    if (equals == exstring::npos) return false;
    const exstring name = word.substr(0, equals), value = word.substr(equals + 1);
    for (const Property& property : kProperties) {
        if (!name.EqualsNoCase(property.name)) continue;
        if (value.empty()) return true;
        if (!IsDigits(value) || value.ToUInt64() > property.maximum) return false;
        const uint64_t number = value.ToUInt64();
        tree.Set(kGlobal, property.setting,
                 property.minutes ? exstring::Format(L"%u", static_cast<unsigned>(number * 60))
                                  : exstring(number != 0 ? L"true" : L"false"));
        return true;
    }
    return false;
}

} // namespace

bool WriteMachineDefaults(const SettingsStore& store, const std::vector<exstring>& words) {
    exini tree;
    // A settings tree reads a missing value as empty, not as its default: a
    // new tree gets every default first.
    if (!tree.LoadRegistry(store.machineRoot, store.keyPath)) tree = mgtSettings::DefaultTree();
    bool understood = true;
    for (const exstring& word : words) understood = ApplyWord(word, tree) && understood;
    if (!tree.SaveRegistry(store.machineRoot, store.keyPath)) return false;
    // The Run entries follow, below the machine's root only: the installer
    // runs in no user's session.
    SettingsStore machineOnly = store;
    machineOnly.userRoot = store.machineRoot;
    mgtSettings(machineOnly).ApplyAutoStart();
    return understood;
}
