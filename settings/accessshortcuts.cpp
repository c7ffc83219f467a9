#include "accessshortcuts.h"

#include <cstring>

#include "registry.h"

namespace {

using SystemParametersFn = AccessibilityShortcuts::SystemParametersFn;

// Each feature's flags, as the system answers for its structure.
template <class Info>
bool ReadFlags(SystemParametersFn system, UINT getAction, DWORD& flags) {
    Info info{};
    info.cbSize = sizeof(info);
    if (!system(getAction, sizeof(info), &info, 0)) return false;
    flags = info.dwFlags;
    return true;
}

// Sets or clears the one shortcut flag and leaves every other as it is now.
// Not written to the user's profile: a crash that leaves it cleared lasts
// until the next log-on at most.
template <class Info>
bool WriteShortcut(SystemParametersFn system, UINT getAction, UINT setAction, DWORD shortcut, bool on) {
    Info info{};
    info.cbSize = sizeof(info);
    if (!system(getAction, sizeof(info), &info, 0)) return false;
    const DWORD flags = on ? (info.dwFlags | shortcut) : (info.dwFlags & ~shortcut);
    if (flags == info.dwFlags) return true;
    info.dwFlags = flags;
    return system(setAction, sizeof(info), &info, 0) != FALSE;
}

struct Feature {
    bool (*read)(SystemParametersFn, DWORD&);
    bool (*write)(SystemParametersFn, bool on);
    DWORD shortcut;
};

template <class Info, UINT Get, UINT Set, DWORD Shortcut>
constexpr Feature MakeFeature() {
    return Feature{[](SystemParametersFn system, DWORD& flags) { return ReadFlags<Info>(system, Get, flags); },
                   [](SystemParametersFn system, bool on) {
                       return WriteShortcut<Info>(system, Get, Set, Shortcut, on);
                   },
                   Shortcut};
}

const Feature kFeatures[AccessibilityShortcuts::kFeatureCount] = {
    MakeFeature<STICKYKEYS, SPI_GETSTICKYKEYS, SPI_SETSTICKYKEYS, SKF_HOTKEYACTIVE>(),
    MakeFeature<FILTERKEYS, SPI_GETFILTERKEYS, SPI_SETFILTERKEYS, FKF_HOTKEYACTIVE>(),
    MakeFeature<TOGGLEKEYS, SPI_GETTOGGLEKEYS, SPI_SETTOGGLEKEYS, TKF_HOTKEYACTIVE>(),
    MakeFeature<MOUSEKEYS, SPI_GETMOUSEKEYS, SPI_SETMOUSEKEYS, MKF_HOTKEYACTIVE>(),
    MakeFeature<HIGHCONTRASTW, SPI_GETHIGHCONTRAST, SPI_SETHIGHCONTRAST, HCF_HOTKEYACTIVE>(),
};

// The record: which features could be read (one bit each), then the flags
// each had.
struct Record {
    DWORD known;
    DWORD flags[AccessibilityShortcuts::kFeatureCount];
};

} // namespace

bool AccessibilityShortcuts::HasRecord() const {
    const UniqueKey key = OpenKey(store_.userRoot, store_.keyPath, false);
    return key && !QueryValue(key.Get(), kRecordName).Empty();
}

void AccessibilityShortcuts::Close() {
    if (!HasRecord()) {
        Record record{};
        for (int i = 0; i < kFeatureCount; ++i)
            if (kFeatures[i].read(system_, record.flags[i])) record.known |= 1u << i;
        // Without a record the user's flags could not be put back: leave them.
        if (!WriteValue(store_.userRoot, store_.keyPath, kRecordName, &record, sizeof(record), REG_BINARY)) return;
    }
    for (const Feature& feature : kFeatures) feature.write(system_, false);
}

void AccessibilityShortcuts::Restore() {
    const UniqueKey key = OpenKey(store_.userRoot, store_.keyPath, false);
    const ByteBuffer stored = key ? QueryValue(key.Get(), kRecordName) : ByteBuffer();
    if (stored.Empty()) return;
    bool restored = true;
    // A record of another size was not written by this program: nothing in
    // it can be trusted, so it only goes.
    if (stored.Size() == sizeof(Record)) {
        Record record{};
        std::memcpy(&record, stored.Data(), sizeof(record));
        for (int i = 0; i < kFeatureCount; ++i)
            if ((record.known & (1u << i)) != 0)
                restored = kFeatures[i].write(system_, (record.flags[i] & kFeatures[i].shortcut) != 0) && restored;
    }
    // The record goes only once every flag is back, so that a later start tries again.
    if (restored) RegDeleteKeyValueW(store_.userRoot, store_.keyPath.c_str(), kRecordName);
}
