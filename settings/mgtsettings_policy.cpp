// How the organisation's policies bear on the settings record.
#include "mgtsettings.h"

#include "audittrail.h"

namespace {

const wchar_t kGlobal[] = L"global";
const wchar_t kSystemImage[] = L"System";

// Policies name colours as people write them, 0xRRGGBB; the settings keep a COLORREF.
uint32_t ColorFromPolicy(uint32_t rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

} // namespace

uint32_t mgtSettings::MinPasswordLength() const {
    return IsManaged(Managed::kMinPasswordLength) ? policies_.Number(Managed::kMinPasswordLength) : 1;
}

void mgtSettings::ApplyPolicies() {
    const PolicySet& policies = policies_;
    const auto flag = [&policies](Managed what, bool& field) {
        if (policies.Has(what)) field = policies.Number(what) != 0;
    };
    flag(Managed::kAutoStart, autoStart);
    flag(Managed::kLockOnSleep, lockOnSleep);
    flag(Managed::kHotKey, hotKey);
    flag(Managed::kShowClock, showClock);
    flag(Managed::kShowLockedBy, showLockedBy);
    if (policies.Has(Managed::kIdleLock)) {
        idleLock = policies.Number(Managed::kIdleLock) * 60;
    } else if (policies.Has(Managed::kIdleLockMax)) {
        // "Never" is beyond every limit too.
        const uint32_t ceiling = IdleLockCeiling();
        if (idleLock == 0 || idleLock > ceiling) idleLock = ceiling;
    }
    if (policies.Has(Managed::kBgColor)) bgColor = ColorFromPolicy(policies.Number(Managed::kBgColor));
    if (policies.Has(Managed::kBgImage)) bgImage = policies.Text(Managed::kBgImage);
    if (policies.Has(Managed::kBackgroundKind)) {
        const auto kind = static_cast<BackgroundKind>(policies.Number(Managed::kBackgroundKind));
        useOrgScreen = kind == BackgroundKind::kScreenVisible;
        if (kind == BackgroundKind::kColour) bgImage.clear();
        if (kind == BackgroundKind::kWallpaper) bgImage = kSystemImage;
    }
    if (policies.Has(Managed::kLockMessage)) lockMessage = policies.Text(Managed::kLockMessage);
    if (policies.Has(Managed::kLanguage)) language = policies.Text(Managed::kLanguage);
}

void mgtSettings::KeepOwnValues(exini& tree) const {
    const exinisection* applied = applied_.Has(kGlobal) ? &applied_.at(kGlobal) : nullptr;
    if (applied == nullptr) return;
    for (const auto& [name, value] : *applied) {
        const exstring own = unmanaged_.Get(kGlobal, name);
        if (own == value || tree.Get(kGlobal, name) != value) continue;
        tree.Set(kGlobal, name, own);
    }
}

void FollowAuditPolicy(const mgtSettings& settings) {
    SetAuditTrailOn(settings.AuditTrailWanted());
    for (const exstring& value : settings.Policies().Ignored())
        AuditPolicyValueIgnored(value, L"of the wrong type or out of range");
}
