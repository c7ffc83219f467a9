#include "username.h"

#include <windows.h>
#include <lm.h>

#include <thread>

#include "../base/uniquehandle.h"

namespace {

const DWORD kNameUnits = 256;

// A library loaded for one question and freed after it.
class LoadedLibrary {
public:
    // From the system folder only: a file of the same name beside a portable
    // copy of the program is never loaded.
    explicit LoadedLibrary(const wchar_t* name)
        : module_(LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {}

    template <class Function>
    Function Entry(const char* name) const {
        if (!module_.Held()) return nullptr;
        return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module_.Get(), name)));
    }

private:
    UniqueModule module_;
};

// The account that runs this process when the machine itself holds it (a
// local account, a Microsoft account included); false for a domain account.
bool LocalAccount(exstring& account) {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return false;
    const UniqueHandle token(raw);
    alignas(TOKEN_USER) BYTE user[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE] = {};
    DWORD size = 0;
    if (!GetTokenInformation(token.Get(), TokenUser, user, sizeof(user), &size)) return false;
    wchar_t name[kNameUnits] = {}, domain[kNameUnits] = {}, computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD nameUnits = kNameUnits, domainUnits = kNameUnits, computerUnits = MAX_COMPUTERNAME_LENGTH + 1;
    SID_NAME_USE use{};
    if (!LookupAccountSidW(nullptr, reinterpret_cast<TOKEN_USER*>(user)->User.Sid, name, &nameUnits, domain,
                           &domainUnits, &use) ||
        !GetComputerNameW(computer, &computerUnits) || !exstring(domain).EqualsNoCase(computer))
        return false;
    account = name;
    return true;
}

// A local account's full name from the machine's account database, which
// is where the system's display name of such an account comes from; false
// when the database does not answer.
bool LocalFullName(const exstring& account, exstring& fullName) {
    using GetInfoFn = DWORD(WINAPI*)(LPCWSTR, LPCWSTR, DWORD, LPBYTE*);
    using FreeFn = DWORD(WINAPI*)(LPVOID);
    const LoadedLibrary accounts(L"netapi32.dll");
    const auto getInfo = accounts.Entry<GetInfoFn>("NetUserGetInfo");
    const auto release = accounts.Entry<FreeFn>("NetApiBufferFree");
    LPBYTE info = nullptr;
    if (getInfo == nullptr || release == nullptr || getInfo(nullptr, account.c_str(), 10, &info) != NERR_Success ||
        info == nullptr)
        return false;
    const wchar_t* text = reinterpret_cast<const USER_INFO_10*>(info)->usri10_full_name;
    fullName = text != nullptr ? exstring(text) : exstring();
    release(info);
    return true;
}

// The display name as the security library knows it, for any account.
exstring SecurityDisplayName() {
    using NameFn = BOOLEAN(WINAPI*)(int, LPWSTR, PULONG);
    const LoadedLibrary security(L"secur32.dll");
    const auto getName = security.Entry<NameFn>("GetUserNameExW");
    wchar_t name[kNameUnits] = {};
    ULONG size = kNameUnits;
    const int kNameDisplay = 3;
    return getName != nullptr && getName(kNameDisplay, name, &size) ? exstring(name) : exstring();
}

} // namespace

exstring UserDisplayName() {
    // Loaded only here, after the lock covers the screen. The security
    // library is asked only about a domain account: under Wine it loads every
    // security provider, Kerberos included, megabytes for one name.
    exstring account, display;
    if (!LocalAccount(account) || !LocalFullName(account, display)) display = SecurityDisplayName();
    return !display.empty() ? display : UserAccountName();
}

exstring UserAccountName() {
    wchar_t name[kNameUnits] = {};
    DWORD size = kNameUnits;
    return GetUserNameW(name, &size) ? exstring(name) : exstring();
}

std::shared_ptr<DisplayNameLookup> DisplayNameLookup::Start(LookupFn lookup) {
    auto shared = std::make_shared<DisplayNameLookup>();
    try {
        std::thread([shared, lookup] { shared->Finish(lookup()); }).detach();
    } catch (...) {
        return nullptr;
    }
    return shared;
}

void DisplayNameLookup::Notify(HWND window, UINT message) {
    const std::lock_guard<std::mutex> guard(mutex_);
    window_ = window;
    message_ = message;
}

bool DisplayNameLookup::Result(exstring& name) const {
    const std::lock_guard<std::mutex> guard(mutex_);
    if (done_) name = name_;
    return done_;
}

void DisplayNameLookup::Finish(const exstring& name) {
    HWND window = nullptr;
    UINT message = 0;
    {
        const std::lock_guard<std::mutex> guard(mutex_);
        name_ = name;
        done_ = true;
        window = window_;
        message = message_;
    }
    if (window != nullptr) PostMessageW(window, message, 0, 0);
}
