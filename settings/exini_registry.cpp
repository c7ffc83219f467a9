#include <cstring>
#include <vector>

#include "../text/textutil.h"
#include "escaping.h"
#include "exini.h"
#include "registry.h"

namespace {

exstring CleanKeyPath(const exstring& keyPath) {
    exstring path(keyPath);
    return Trim(path, L"\\", kTrimBoth);
}

struct KeyLimits {
    DWORD longestSubkeyName = 0;
    DWORD longestValueName = 0;
    DWORD longestValueData = 0;
};

bool QueryLimits(HKEY key, KeyLimits& limits) {
    return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, &limits.longestSubkeyName, nullptr, nullptr,
                            &limits.longestValueName, &limits.longestValueData, nullptr, nullptr) == ERROR_SUCCESS;
}

// The text of REG_SZ data up to its first NUL; the data need not end in one.
exstring TextOfData(const std::vector<uint8_t>& data, DWORD size) {
    const size_t units = size / sizeof(wchar_t);
    exstring text(units, L'\0');
    if (units > 0) memcpy(&text[0], data.data(), units * sizeof(wchar_t));
    text.resize(TextLength(text.c_str()));
    return text;
}

} // namespace

bool exini::LoadRegistry(HKEY root, const exstring& keyPath) {
    Clear();
    const exstring path = CleanKeyPath(keyPath);
    const UniqueKey settingsKey = OpenKey(root, path, false);
    if (!settingsKey) return false;
    KeyLimits limits;
    if (!QueryLimits(settingsKey.Get(), limits) || limits.longestSubkeyName == 0) return false;

    std::vector<wchar_t> name(limits.longestSubkeyName + 1);
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        const LSTATUS status =
            RegEnumKeyExW(settingsKey.Get(), index, name.data(), &nameLength, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status != ERROR_SUCCESS || nameLength == 0) continue;

        const exstring subkeyName(name.data(), nameLength);
        exstring sectionName(subkeyName);
        if (UnescapeText(sectionName).empty()) continue;
        (*this)[sectionName];

        const UniqueKey sectionKey = OpenKey(settingsKey.Get(), subkeyName, false);
        KeyLimits valueLimits;
        if (!sectionKey || !QueryLimits(sectionKey.Get(), valueLimits)) continue;
        std::vector<wchar_t> valueName(valueLimits.longestValueName + 1);
        std::vector<uint8_t> data(valueLimits.longestValueData + sizeof(wchar_t));

        for (DWORD valueIndex = 0;; ++valueIndex) {
            DWORD valueNameLength = static_cast<DWORD>(valueName.size());
            DWORD dataSize = static_cast<DWORD>(data.size());
            DWORD type = REG_NONE;
            const LSTATUS valueStatus = RegEnumValueW(sectionKey.Get(), valueIndex, valueName.data(),
                                                      &valueNameLength, nullptr, &type, data.data(), &dataSize);
            if (valueStatus == ERROR_NO_MORE_ITEMS) break;
            if (valueStatus != ERROR_SUCCESS || valueNameLength == 0 || type != REG_SZ) continue;
            exstring key(valueName.data(), valueNameLength);
            key.resize(TextLength(key.c_str()));
            if (UnescapeText(key).empty()) continue;
            exstring value = TextOfData(data, dataSize);
            Set(sectionName, key, UnescapeText(value));
        }
    }
    return true;
}

bool exini::SaveRegistry(HKEY root, const exstring& keyPath) const {
    const exstring path = CleanKeyPath(keyPath);
    if (path.empty()) return false;
    bool allSections = true;
    for (const auto& section : *this) {
        exstring subkey(section.first);
        const UniqueKey sectionKey = OpenKey(root, path + L"\\" + EscapeText(subkey), true);
        if (!sectionKey) {
            allSections = false;
            continue;
        }
        for (const auto& entry : section.second) {
            exstring name(entry.first);
            exstring value(entry.second);
            EscapeText(value);
            SetValue(sectionKey.Get(), EscapeText(name), value.c_str(),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)), REG_SZ);
        }
    }
    return allSections;
}
