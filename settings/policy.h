// Policies: values an organisation sets below Software\Policies (by Group
// Policy or a device manager) that fix a setting, cap it, or add a rule. One
// table names them all; the reader, the menus and the templates' check use it.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "../text/exstring.h"

// The lock message is short: a line or two below the clock.
constexpr uint32_t kLockMessageChars = 200;

inline constexpr wchar_t kPolicyKeyPath[] = L"Software\\Policies\\Quarnwick\\Marrowgate";

// What a policy governs, one per table row.
enum class Managed {
    kAutoStart,
    kIdleLock,
    kIdleLockMax,
    kLockOnSleep,
    kHotKey,
    kPasswordRequired,
    kMinPasswordLength,
    kBackgroundKind,
    kBgColor,
    kBgImage,
    kShowClock,
    kShowLockedBy,
    kLockMessage,
    kHelperExit,
    kAuditTrail,
    kLanguage,
    kCount
};

// kFlag: REG_DWORD 0 or 1. kNumber: REG_DWORD within the range. kText:
// REG_SZ or REG_EXPAND_SZ whose length in characters is within the range.
enum class PolicyKind { kFlag, kNumber, kText };

// The values of the background kind.
enum class BackgroundKind : uint32_t { kColour, kWallpaper, kPicture, kScreenVisible };

struct PolicyEntry {
    Managed what;
    const wchar_t* valueName;
    PolicyKind kind;
    uint32_t minimum;
    uint32_t maximum;
    // The setting's own registry value that the policy fixes; null for rules
    // that have no setting of their own.
    const wchar_t* settingName;
};

constexpr size_t kPolicyCount = static_cast<size_t>(Managed::kCount);
const PolicyEntry& PolicyOf(Managed what);
const PolicyEntry* PolicyTableBegin();
const PolicyEntry* PolicyTableEnd();

struct PolicyValue {
    bool set = false;
    uint32_t number = 0;
    exstring text;
};

// Whether a value as stored is one `entry` accepts; if so it fills `value`.
bool AcceptPolicyValue(const PolicyEntry& entry, DWORD type, const void* data, size_t size, PolicyValue& value);

class PolicySet {
public:
    bool Has(Managed what) const { return Value(what).set; }
    uint32_t Number(Managed what) const { return Value(what).number; }
    const exstring& Text(Managed what) const { return Value(what).text; }
    bool Any() const;
    void Set(Managed what, PolicyValue value) { values_[static_cast<size_t>(what)] = std::move(value); }

    // Values present but of the wrong type or out of range, as
    // "HKLM\<path>\<name>", for the caller to report.
    const std::vector<exstring>& Ignored() const { return ignored_; }
    void AddIgnored(exstring where) { ignored_.push_back(std::move(where)); }

private:
    const PolicyValue& Value(Managed what) const { return values_[static_cast<size_t>(what)]; }
    PolicyValue values_[kPolicyCount];
    std::vector<exstring> ignored_;
};

// The machine's policy wins over the user's, value by value; a value that is
// not acceptable counts as not set.
PolicySet ReadPolicies(HKEY machineRoot, HKEY userRoot, const exstring& keyPath = kPolicyKeyPath);
