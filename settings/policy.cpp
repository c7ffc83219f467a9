#include "policy.h"

#include <cstring>

#include "registry.h"

namespace {

// The longest picture path a policy may name.
constexpr uint32_t kPathChars = MAX_PATH;

const PolicyEntry kPolicies[] = {
    {Managed::kAutoStart, L"LockAtLogOn", PolicyKind::kFlag, 0, 1, L"autoStart"},
    {Managed::kIdleLock, L"IdleLockMinutes", PolicyKind::kNumber, 0, 1440, L"idleLock"},
    {Managed::kIdleLockMax, L"MaxIdleLockMinutes", PolicyKind::kNumber, 1, 1440, L"idleLock"},
    {Managed::kLockOnSleep, L"LockBeforeSleep", PolicyKind::kFlag, 0, 1, L"lockOnSleep"},
    {Managed::kHotKey, L"HotKey", PolicyKind::kFlag, 0, 1, L"hotKey"},
    {Managed::kPasswordRequired, L"PasswordRequired", PolicyKind::kFlag, 0, 1, nullptr},
    {Managed::kMinPasswordLength, L"MinPasswordLength", PolicyKind::kNumber, 1, 64, nullptr},
    {Managed::kBackgroundKind, L"BackgroundKind", PolicyKind::kNumber, 0, 3, L"useOrgScreen"},
    {Managed::kBgColor, L"BackgroundColor", PolicyKind::kNumber, 0, 0xFFFFFF, L"bgColor"},
    {Managed::kBgImage, L"BackgroundPicture", PolicyKind::kText, 1, kPathChars, L"bgImage"},
    {Managed::kShowClock, L"ShowClock", PolicyKind::kFlag, 0, 1, L"showClock"},
    {Managed::kShowLockedBy, L"ShowLockedBy", PolicyKind::kFlag, 0, 1, L"showLockedBy"},
    {Managed::kLockMessage, L"LockMessage", PolicyKind::kText, 0, kLockMessageChars, L"lockMessage"},
    {Managed::kHelperExit, L"AllowHelperExit", PolicyKind::kFlag, 0, 1, nullptr},
    {Managed::kAuditTrail, L"AuditTrail", PolicyKind::kFlag, 0, 1, nullptr},
    // A language tag, as the Language setting stores it ("de", "pt-BR").
    {Managed::kLanguage, L"Language", PolicyKind::kText, 1, 35, L"Language"},
};
static_assert(sizeof(kPolicies) / sizeof(kPolicies[0]) == kPolicyCount, "one row per managed setting");

bool AcceptNumber(const PolicyEntry& entry, DWORD type, const void* data, size_t size, PolicyValue& value) {
    if (type != REG_DWORD || size != sizeof(uint32_t)) return false;
    uint32_t number = 0;
    std::memcpy(&number, data, sizeof(number));
    if (number < entry.minimum || number > entry.maximum) return false;
    value.number = number;
    return true;
}

bool AcceptText(const PolicyEntry& entry, DWORD type, const void* data, size_t size, PolicyValue& value) {
    if ((type != REG_SZ && type != REG_EXPAND_SZ) || size % sizeof(wchar_t) != 0) return false;
    exstring text;
    if (size != 0) text.assign(static_cast<const wchar_t*>(data), size / sizeof(wchar_t));
    // Stored with or without its terminator; anything after one is not text.
    const size_t end = text.find(L'\0');
    if (end != exstring::npos) text.resize(end);
    if (text.size() < entry.minimum || text.size() > entry.maximum) return false;
    value.text = text;
    return true;
}

} // namespace

const PolicyEntry& PolicyOf(Managed what) {
    return kPolicies[static_cast<size_t>(what)];
}

const PolicyEntry* PolicyTableBegin() {
    return kPolicies;
}

const PolicyEntry* PolicyTableEnd() {
    return kPolicies + kPolicyCount;
}

bool AcceptPolicyValue(const PolicyEntry& entry, DWORD type, const void* data, size_t size, PolicyValue& value) {
    PolicyValue accepted;
    const bool ok = entry.kind == PolicyKind::kText ? AcceptText(entry, type, data, size, accepted)
                                                    : AcceptNumber(entry, type, data, size, accepted);
    if (!ok) return false;
    accepted.set = true;
    value = accepted;
    return true;
}

bool PolicySet::Any() const {
    for (const PolicyValue& value : values_)
        if (value.set) return true;
    return false;
}

PolicySet ReadPolicies(HKEY machineRoot, HKEY userRoot, const exstring& keyPath) {
    PolicySet policies;
    const struct {
        HKEY root;
        const wchar_t* name;
    } roots[] = {{machineRoot, L"HKLM"}, {userRoot, L"HKCU"}};
    for (const auto& root : roots) {
        const UniqueKey key = OpenKey(root.root, keyPath, false);
        if (!key) continue;
        for (const PolicyEntry& entry : kPolicies) {
            if (policies.Has(entry.what)) continue;
            DWORD type = REG_NONE;
            SetLastError(ERROR_SUCCESS);
            const ByteBuffer data = QueryValue(key.Get(), entry.valueName, &type);
            if (data.Empty() && GetLastError() == ERROR_FILE_NOT_FOUND) continue;
            PolicyValue value;
            if (AcceptPolicyValue(entry, type, data.Data(), data.Size(), value))
                policies.Set(entry.what, value);
            else
                policies.AddIgnored(exstring(root.name) + L"\\" + keyPath + L"\\" + entry.valueName);
        }
    }
    return policies;
}
