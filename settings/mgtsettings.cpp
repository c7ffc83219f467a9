#include "mgtsettings.h"

#include <algorithm>
#include <cstring>

#include "../base/diagnostics.h"
#include "../base/excmdline.h"
#include "../base/windowplacement.h"
#include "../text/pathutil.h"
#include "../text/textutil.h"
#include "exini.h"
#include "passwordcheck.h"
#include "registry.h"

namespace {

const wchar_t kGlobal[] = L"global";
const uint32_t kDefaultBgColor = 0xFF000000u;

const wchar_t* BoolText(bool value) {
    return value ? L"true" : L"false";
}

// "true"/"false" or a number as the other flags are stored; anything else
// (or nothing) keeps `fallback`.
bool FlagOr(const exstring& text, bool fallback) {
    if (text.EqualsNoCase(L"true") || text == L"1") return true;
    if (text.EqualsNoCase(L"false") || text == L"0") return false;
    return fallback;
}

bool IsEmptyRect(const RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

bool IsZeroRect(const RECT& r) {
    return r.left == 0 && r.top == 0 && r.right == 0 && r.bottom == 0;
}

// Read raw, not through the tree: the tree skips values of the wrong type,
// and a skipped password would look like none at all.
StoredText ReadStoredText(HKEY key, const wchar_t* name) {
    StoredText stored;
    DWORD type = REG_NONE;
    SetLastError(ERROR_SUCCESS);
    const ByteBuffer value = QueryValue(key, name, &type);
    if (value.Empty() && GetLastError() == ERROR_FILE_NOT_FOUND) return stored;
    if (type != REG_SZ) {
        stored.state = StoredText::State::kUnreadable;
        return stored;
    }
    stored.state = StoredText::State::kText;
    stored.text.assign(reinterpret_cast<const wchar_t*>(value.Data()), value.Size() / sizeof(wchar_t));
    stored.text.resize(TextLength(stored.text.c_str()));
    return stored;
}

StoredPasswordState ReadStoredPassword(HKEY root, const exstring& keyPath, PasswordRecord& record) {
    const UniqueKey key = OpenKey(root, keyPath + L"\\" + kGlobal, false);
    if (!key) return StoredPasswordState::kAbsent;
    return ParseStoredPassword(ReadStoredText(key.Get(), L"Password"), ReadStoredText(key.Get(), L"pwdDigest"),
                               record);
}

uint64_t StoredStamp(HKEY root, const exstring& keyPath) {
    const UniqueKey key = OpenKey(root, keyPath + L"\\" + kGlobal, false);
    if (!key) return 0;
    const StoredText stamp = ReadStoredText(key.Get(), L"modifiedTime");
    return stamp.state == StoredText::State::kText ? stamp.text.ToUInt64() : 0;
}

} // namespace

int64_t CurrentFileTime() {
    SYSTEMTIME now;
    GetSystemTime(&now);
    FILETIME fileTime;
    SystemTimeToFileTime(&now, &fileTime);
    return static_cast<int64_t>((static_cast<uint64_t>(fileTime.dwHighDateTime) << 32) | fileTime.dwLowDateTime);
}

mgtSettings::mgtSettings() : mgtSettings(SettingsStore()) {}

mgtSettings::mgtSettings(const SettingsStore& store)
    : useOrgScreen(false), bgColor(0), autoStart(false), modifiedTime(0), store_(store) {
    Load();
}

void mgtSettings::LoadPassword(HKEY chosenRoot, HKEY otherRoot) {
    const StoredPasswordState state = ReadStoredPassword(chosenRoot, store_.keyPath, Password);
    // A damaged copy gives way to a password in the other root, never to "no
    // password" there; a missing one (left by saves of earlier versions while
    // the password was damaged) to whatever the other root holds, damage
    // included.
    if (state == StoredPasswordState::kValid) return;
    PasswordRecord other;
    const StoredPasswordState otherState = ReadStoredPassword(otherRoot, store_.keyPath, other);
    const bool otherIsPassword = otherState == StoredPasswordState::kValid && other.form != PasswordRecord::Form::kNone;
    if (state == StoredPasswordState::kAbsent ? otherState != StoredPasswordState::kAbsent : otherIsPassword)
        Password = other;
}

bool mgtSettings::SealPassword(const exstring& password, PasswordRecord& record) const {
    return ::SealPassword(password, store_.passwordRounds, record);
}

void mgtSettings::ResetToDefaults() {
    Password = PasswordRecord();
    pwdHint.clear();
    useOrgScreen = false;
    bgColor = kDefaultBgColor;
    bgImage = L"System";
    autoStart = false;
    idleLock = 0;
    lockOnSleep = false;
    showClock = true;
    appearance.clear();
    diagnostics = false;
    language.clear();
    hotKey = true;
    showLockedBy = true;
    lockMessage.clear();
}

void mgtSettings::Load() {
    ResetToDefaults();
    LoadStored();
    unmanaged_ = CurrentTree();
    policies_ = ReadPolicies(store_.machineRoot, store_.userRoot, store_.orgPolicyKeyPath);
    ApplyPolicies();
    applied_ = CurrentTree();
}

void mgtSettings::LoadStored() {
    exini machine;
    exini user;
    const bool machineLoaded = machine.LoadRegistry(store_.machineRoot, store_.keyPath);
    const bool userLoaded = user.LoadRegistry(store_.userRoot, store_.keyPath);
    if (!machineLoaded && !userLoaded) return;

    const exini* chosen = machineLoaded ? &machine : &user;
    if (machineLoaded && userLoaded) {
        const uint64_t machineTime = machine.Get(kGlobal, L"modifiedTime").ToUInt64();
        const uint64_t userTime = user.Get(kGlobal, L"modifiedTime").ToUInt64();
        chosen = machineTime >= userTime ? &machine : &user;
    }

    LoadPassword(chosen == &machine ? store_.machineRoot : store_.userRoot,
                 chosen == &machine ? store_.userRoot : store_.machineRoot);
    pwdHint = chosen->Get(kGlobal, L"pwdHint");
    useOrgScreen = chosen->Get(kGlobal, L"useOrgScreen").ToBool();
    bgColor = static_cast<uint32_t>(chosen->Get(kGlobal, L"bgColor").ToUInt64());
    bgImage = chosen->Get(kGlobal, L"bgImage");
    autoStart = chosen->Get(kGlobal, L"autoStart").ToBool();
    idleLock = static_cast<uint32_t>(std::min<uint64_t>(chosen->Get(kGlobal, L"idleLock").ToUInt64(), UINT32_MAX));
    // Locking before sleep is on by default once idle locking is.
    const exstring onSleep = chosen->Get(kGlobal, L"lockOnSleep");
    lockOnSleep = onSleep.empty() ? idleLock != 0 : onSleep.ToBool();
    showClock = FlagOr(chosen->Get(kGlobal, L"showClock"), true);
    appearance = chosen->Get(kGlobal, L"appearance");
    diagnostics = chosen->Get(kGlobal, L"diagnostics").ToBool();
    language = chosen->Get(kGlobal, L"Language");
    hotKey = FlagOr(chosen->Get(kGlobal, L"hotKey"), true);
    showLockedBy = FlagOr(chosen->Get(kGlobal, L"showLockedBy"), true);
    lockMessage = chosen->Get(kGlobal, L"lockMessage").substr(0, kLockMessageChars);
}

int64_t mgtSettings::NextSaveStamp() const {
    uint64_t stamp = static_cast<uint64_t>(CurrentFileTime());
    for (HKEY root : {store_.machineRoot, store_.userRoot}) {
        const uint64_t stored = StoredStamp(root, store_.keyPath);
        if (stored != UINT64_MAX && stored >= stamp) stamp = stored + 1;
    }
    return static_cast<int64_t>(stamp);
}

exini mgtSettings::CurrentTree() const {
    exini tree;
    tree.Set(kGlobal, L"pwdHint", pwdHint);
    tree.Set(kGlobal, L"useOrgScreen", BoolText(useOrgScreen));
    tree.Set(kGlobal, L"bgColor", exstring::Format(L"%u", bgColor));
    tree.Set(kGlobal, L"bgImage", bgImage);
    tree.Set(kGlobal, L"autoStart", BoolText(autoStart));
    tree.Set(kGlobal, L"idleLock", exstring::Format(L"%u", idleLock));
    tree.Set(kGlobal, L"lockOnSleep", BoolText(lockOnSleep));
    tree.Set(kGlobal, L"showClock", BoolText(showClock));
    // Users who never chose keep the stored values they had.
    if (!appearance.empty()) tree.Set(kGlobal, L"appearance", appearance);
    if (diagnostics) tree.Set(kGlobal, L"diagnostics", BoolText(diagnostics));
    // Written even when empty: a save never removes a value, and an empty one
    // is how a return to following Windows is kept.
    tree.Set(kGlobal, L"Language", language);
    tree.Set(kGlobal, L"hotKey", BoolText(hotKey));
    tree.Set(kGlobal, L"showLockedBy", BoolText(showLockedBy));
    tree.Set(kGlobal, L"lockMessage", lockMessage);
    return tree;
}

exini mgtSettings::DefaultTree() {
    // No roots: nothing loads, no policy applies.
    SettingsStore nowhere;
    nowhere.machineRoot = nullptr;
    nowhere.userRoot = nullptr;
    return mgtSettings(nowhere).CurrentTree();
}

bool mgtSettings::Save() {
    exini tree = CurrentTree();
    KeepOwnValues(tree);
    // Both values, always: a damaged password is written as damaged, so that
    // it stays damaged in whichever root this save lands.
    tree.Set(kGlobal, L"Password", PasswordText(Password));
    tree.Set(kGlobal, L"pwdDigest", SaltedDigestText(Password));
    // Newer than both roots whatever the clock says, or the next load would
    // pass over this save.
    modifiedTime = NextSaveStamp();
    tree.Set(kGlobal, L"modifiedTime", exstring::Format(L"%I64d", static_cast<long long>(modifiedTime)));

    bool saved = tree.SaveRegistry(store_.machineRoot, store_.keyPath);
    if (!saved) saved = tree.SaveRegistry(store_.userRoot, store_.keyPath);
    ApplyAutoStart();
    // Saved means that the next load brings this password back.
    saved = saved && SameRecord(mgtSettings(store_).Password, Password);
    if (!saved) WriteDiagnostic(DiagEvent::kSettingsNotSaved);
    return saved;
}

exstring mgtSettings::AutoStartCommand() {
    excmdline arguments;
    arguments.Add(L"+boot");
    return ModulePath(true) + L" " + arguments.ToString();
}

void mgtSettings::ApplyHelperStart() {
    const exstring& name = store_.helperValueName;
    if (!HelperWanted()) {
        for (HKEY root : {store_.machineRoot, store_.userRoot}) {
            const UniqueKey run = OpenKey(root, store_.runKeyPath, true);
            if (run) RegDeleteValueW(run.Get(), name.c_str());
        }
        return;
    }
    excmdline arguments;
    arguments.Add(L"+tray");
    const exstring command = ModulePath(true) + L" " + arguments.ToString();
    const DWORD size = static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t));
    // Like the lock's entry, below both roots; the helper runs once per session.
    bool written = false;
    for (HKEY root : {store_.machineRoot, store_.userRoot})
        written = WriteValue(root, store_.runKeyPath, name, command.c_str(), size, REG_SZ) || written;
    if (!written) WriteDiagnostic(DiagEvent::kRegistryNotWritten, kDiagHelperEntry);
}

void mgtSettings::ApplyAutoStart() {
    ApplyHelperStart();
    if (!autoStart && !LockingFlag()) {
        for (HKEY root : {store_.machineRoot, store_.userRoot}) {
            const UniqueKey run = OpenKey(root, store_.runKeyPath, true);
            if (run) RegDeleteValueW(run.Get(), store_.runValueName.c_str());
        }
        return;
    }
    const exstring command = AutoStartCommand();
    const DWORD size = static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t));
    // One root is enough: the machine's is refused without elevation.
    bool written = false;
    for (HKEY root : {store_.machineRoot, store_.userRoot})
        written = WriteValue(root, store_.runKeyPath, store_.runValueName, command.c_str(), size, REG_SZ) || written;
    // Then a lock cut short by a restart does not come back at the next log-on.
    if (!written) WriteDiagnostic(DiagEvent::kRegistryNotWritten, kDiagRunEntry);
}

bool mgtSettings::UpdateFlag(const wchar_t* name, uint32_t& cache, uint32_t value) {
    if (cache == kFlagAskOnly) {
        cache = 0;
        const ByteBuffer stored = [&] {
            const UniqueKey key = OpenKey(store_.userRoot, store_.keyPath, false);
            return key ? QueryValue(key.Get(), name) : ByteBuffer();
        }();
        if (stored.Size() == sizeof(uint32_t)) std::memcpy(&cache, stored.Data(), sizeof(uint32_t));
    }
    if (value == kFlagAskOnly || value == cache) return false;
    // The cache follows only a write that took, so that a caller can try again.
    if (!WriteValue(store_.userRoot, store_.keyPath, name, &value, sizeof(value), REG_DWORD)) return false;
    cache = value;
    return true;
}

bool mgtSettings::LockingFlag(uint32_t value) {
    if (UpdateFlag(L"Locking", lockingCache_, value)) ApplyAutoStart();
    return lockingCache_ != 0;
}

bool mgtSettings::BlankPwdPromptDue(uint32_t value) {
    UpdateFlag(L"blankpwd_noprompt", blankPromptCache_, value);
    return blankPromptCache_ == 0;
}

void mgtSettings::WindowRect(HWND window, bool restore) {
    if (!IsWindow(window)) return;
    if (IsZeroRect(windowRectCache_)) {
        const UniqueKey key = OpenKey(store_.userRoot, store_.keyPath, false);
        const ByteBuffer stored = key ? QueryValue(key.Get(), L"UI_wndRect") : ByteBuffer();
        if (stored.Size() == sizeof(int32_t) * 4) {
            int32_t edges[4];
            std::memcpy(edges, stored.Data(), sizeof(edges));
            windowRectCache_ = {edges[0], edges[1], edges[2], edges[3]};
        }
        // Marks the value as read even when nothing usable was stored.
        if (IsZeroRect(windowRectCache_)) windowRectCache_ = {1, 1, 1, 1};
    }

    RECT current{};
    bool maximised = false;
    if (!WindowPlacement(window, current, maximised, true)) return;

    if (!restore) {
        windowRectCache_ = current;
        const int32_t edges[4] = {current.left, current.top, current.right, current.bottom};
        if (!WriteValue(store_.userRoot, store_.keyPath, L"UI_wndRect", edges, sizeof(edges), REG_BINARY))
            WriteDiagnostic(DiagEvent::kRegistryNotWritten, kDiagWindowPlace);
        return;
    }
    if (IsEmptyRect(windowRectCache_)) return;
    OffsetRect(&current, windowRectCache_.left - current.left, windowRectCache_.top - current.top);
    WindowPlacement(window, current, maximised, false);
}

bool mgtSettings::Matches(const exstring& password) const {
    return RecordMatches(Password, password);
}

bool mgtSettings::Accepts(const exstring& password) {
    if (!Matches(password)) return false;
    if (Password.form == PasswordRecord::Form::kLegacy) MovePasswordToSaltedForm(password);
    return true;
}

void mgtSettings::MovePasswordToSaltedForm(const exstring& password) {
    // From what is stored now, so that nothing changed meanwhile by another
    // process is undone; and only if the old digest is still the one stored.
    mgtSettings stored(store_);
    PasswordRecord salted;
    if (!SameRecord(stored.Password, Password) || !SealPassword(password, salted)) return;
    stored.SetPassword(salted);
    if (stored.Save()) Password = salted;
}
