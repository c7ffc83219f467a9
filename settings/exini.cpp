#include "exini.h"

exini::exini() : defaultSection(EXT("global")) {}

exstring exini::SettingsKeyPath() {
    return EXT("Software\\Quarnwick\\Marrowgate");
}

void exini::OnSetValue(const exstring&, const exstring&, exstring&) {}

bool exini::Set(const exstring& section, const exstring& key, const exstring& value) {
    if (section.empty() || key.empty()) return false;
    exstring copy(value);
    OnSetValue(section, key, copy);
    (*this)[section][key] = std::move(copy);
    return true;
}

exstring exini::Get(const exstring& section, const exstring& key) const {
    if (section.empty() || key.empty()) return {};
    const auto sectionIt = find(section);
    if (sectionIt == end()) return {};
    const auto keyIt = sectionIt->second.find(key);
    return keyIt == sectionIt->second.end() ? exstring() : keyIt->second;
}

bool exini::HasSection(const exstring& section) const {
    return find(section) != end();
}

bool exini::HasKey(const exstring& section, const exstring& key) const {
    const auto sectionIt = find(section);
    return sectionIt != end() && sectionIt->second.Has(key);
}
