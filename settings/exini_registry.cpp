#include <cstring>
#include <vector>

#include "../text/textutil.h"
#include "escaping.h"
#include "exini.h"
#include "nativekeys.h"
#include "registry.h"

namespace {

exstring CleanKeyPath(const exstring& keyPath) {
    exstring path(keyPath);
    return Trim(path, L"\\", kTrimBoth);
}

// Enough for any settings key; a key another program filled past it is read
// no further.
const DWORD kMostEntries = 16384;

// Whether enumeration goes on past this answer: one entry that cannot be
// read (too large, malformed) is skipped; the end of the key, or a failure of
// the whole key (deleted, denied), ends it.
bool GoesOn(LONG status) {
    return status == ERROR_SUCCESS || status == ERROR_MORE_DATA || status == ERROR_INSUFFICIENT_BUFFER ||
           status == ERROR_INVALID_DATA;
}

// The text of REG_SZ data up to its first NUL; the data need not end in one.
exstring TextOfData(const std::vector<uint8_t>& data) {
    const size_t units = data.size() / sizeof(wchar_t);
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

    bool anySubkey = false;
    exstring subkeyName;
    for (DWORD index = 0; index < kMostEntries; ++index) {
        const LONG status = EnumerateSubkey(settingsKey.Get(), index, subkeyName);
        if (!GoesOn(status)) break;
        anySubkey = true;
        if (status != ERROR_SUCCESS || subkeyName.empty()) continue;

        exstring sectionName(subkeyName);
        if (UnescapeText(sectionName).empty()) continue;
        (*this)[sectionName];

        const UniqueKey sectionKey = OpenKey(settingsKey.Get(), subkeyName, false);
        if (!sectionKey) continue;
        NamedValue entry;
        for (DWORD valueIndex = 0; valueIndex < kMostEntries; ++valueIndex) {
            const LONG valueStatus = EnumerateValue(sectionKey.Get(), valueIndex, entry);
            if (!GoesOn(valueStatus)) break;
            if (valueStatus != ERROR_SUCCESS || entry.name.empty() || entry.type != REG_SZ) continue;
            exstring key(entry.name);
            key.resize(TextLength(key.c_str()));
            if (UnescapeText(key).empty()) continue;
            exstring value = TextOfData(entry.data);
            Set(sectionName, key, UnescapeText(value));
        }
    }
    // A key without sections holds no settings.
    return anySubkey;
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
            if (!SetValue(sectionKey.Get(), EscapeText(name), value.c_str(),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)), REG_SZ))
                allSections = false;
        }
    }
    return allSections;
}
