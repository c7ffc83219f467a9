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
    {L"IDLELOCK", L"idleLock", kMaxIdleMinutes, true},
    {L"AUTOSTART", L"autoStart", 1, false},
    {L"LOCKBEFORESLEEP", L"lockOnSleep", 1, false},
    {L"HOTKEY", L"hotKey", 1, false},
};

bool IsDigits(const exstring& text) {
    if (text.empty() || text.size() > 9) return false;
    for (wchar_t c : text)
        if (c < L'0' || c > L'9') return false;
    return true;
}

// The value given for `property`, or null; empty values count as not given.
const exstring* ValueOf(const Property& property, const std::vector<exstring>& words) {
    for (const exstring& word : words) {
        const size_t equals = word.find(L'=');
        if (equals != exstring::npos && word.substr(0, equals).EqualsNoCase(property.name) &&
            equals + 1 < word.size())
            return &word;
    }
    return nullptr;
}

bool IsProperty(const exstring& word) {
    const size_t equals = word.find(L'=');
    for (const Property& property : kProperties)
        if (equals != exstring::npos && word.substr(0, equals).EqualsNoCase(property.name)) return true;
    return false;
}

// Sets one property's setting in `tree`; false for a value not understood.
bool Apply(const Property& property, const exstring& word, exini& tree) {
    const exstring value = word.substr(word.find(L'=') + 1);
    if (!IsDigits(value) || value.ToUInt64() > property.maximum) return false;
    const uint64_t number = value.ToUInt64();
    if (!property.minutes) {
        tree.Set(kGlobal, property.setting, number != 0 ? L"true" : L"false");
        return true;
    }
    // As in the menu: locking before sleep comes on with idle locking.
    if (tree.Get(kGlobal, property.setting).ToUInt64() == 0 && number != 0) tree.Set(kGlobal, L"lockOnSleep", L"true");
    tree.Set(kGlobal, property.setting, exstring::Format(L"%u", static_cast<unsigned>(number * 60)));
    return true;
}

} // namespace

bool WriteMachineDefaults(const SettingsStore& store, const std::vector<exstring>& words) {
    exini tree;
    // A settings tree reads a missing value as empty, not as its default: a
    // new tree gets every default first.
    if (!tree.LoadRegistry(store.machineRoot, store.keyPath)) tree = mgtSettings::DefaultTree();
    bool understood = true;
    for (const exstring& word : words) understood = IsProperty(word) && understood;
    // In the table's order, so that LOCKBEFORESLEEP comes after IDLELOCK.
    for (const Property& property : kProperties)
        if (const exstring* word = ValueOf(property, words)) understood = Apply(property, *word, tree) && understood;
    if (!tree.SaveRegistry(store.machineRoot, store.keyPath)) return false;
    // The Run entries follow, below the machine's root only: the installer
    // runs in no user's session.
    SettingsStore machineOnly = store;
    machineOnly.userRoot = store.machineRoot;
    mgtSettings(machineOnly).ApplyAutoStart();
    return understood;
}
