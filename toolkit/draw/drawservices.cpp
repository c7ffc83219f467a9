#include "drawservices.h"

#include <commctrl.h>
#include <objbase.h>
#include <shlwapi.h>

#include <string>

namespace drawservices {

namespace {

template <class Function>
Function Entry(const wchar_t* module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(LookUpEntryPoint(module, name)));
}

bool CommonControlsSixOrLater() {
    static const bool answer = [] {
        HMODULE comctl = LoadLibraryW(L"comctl32.dll");
        using DllGetVersionFn = HRESULT(CALLBACK*)(DLLVERSIONINFO*);
        const auto getVersion =
            comctl != nullptr
                ? reinterpret_cast<DllGetVersionFn>(reinterpret_cast<void*>(GetProcAddress(comctl, "DllGetVersion")))
                : nullptr;
        DLLVERSIONINFO info{};
        info.cbSize = sizeof(info);
        return getVersion != nullptr && SUCCEEDED(getVersion(&info)) && info.dwMajorVersion >= 6;
    }();
    return answer;
}

thread_local int t_comUsers = 0;

} // namespace

FARPROC LookUpEntryPoint(const wchar_t* module, const char* name) {
    HMODULE library = GetModuleHandleW(module);
    if (library == nullptr) library = LoadLibraryW(module);
    if (library == nullptr) return nullptr;
    FARPROC entry = GetProcAddress(library, name);
    if (entry == nullptr) entry = GetProcAddress(library, (std::string(name) + "W").c_str());
    return entry;
}

bool ThemingAvailable() {
    return IsAppThemed() && CommonControlsSixOrLater();
}

ComGuard::ComGuard() {
    if (t_comUsers++ == 0) CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
}

ComGuard::~ComGuard() {
    if (--t_comUsers == 0) CoUninitialize();
}

HRESULT BufferedPaintInit() {
    static const auto entry = Entry<HRESULT(WINAPI*)()>(L"UxTheme.dll", "BufferedPaintInit");
    return entry != nullptr ? entry() : E_NOTIMPL;
}

HRESULT BufferedPaintUnInit() {
    static const auto entry = Entry<HRESULT(WINAPI*)()>(L"UxTheme.dll", "BufferedPaintUnInit");
    return entry != nullptr ? entry() : E_NOTIMPL;
}

HANIMATIONBUFFER BeginBufferedAnimation(HWND window, HDC target, const RECT* rect, BP_BUFFERFORMAT format,
                                        BP_PAINTPARAMS* paintParams, BP_ANIMATIONPARAMS* animationParams,
                                        HDC* from, HDC* to) {
    static const auto entry = Entry<HANIMATIONBUFFER(WINAPI*)(HWND, HDC, const RECT*, BP_BUFFERFORMAT, BP_PAINTPARAMS*, BP_ANIMATIONPARAMS*, HDC*, HDC*)>(L"UxTheme.dll", "BeginBufferedAnimation");
    if (from != nullptr) *from = nullptr;
    if (to != nullptr) *to = nullptr;
    return entry != nullptr ? entry(window, target, rect, format, paintParams, animationParams, from, to) : nullptr;
}

BOOL BufferedPaintRenderAnimation(HWND window, HDC target) {
    static const auto entry = Entry<BOOL(WINAPI*)(HWND, HDC)>(L"UxTheme.dll", "BufferedPaintRenderAnimation");
    return entry != nullptr ? entry(window, target) : FALSE;
}

HRESULT EndBufferedAnimation(HANIMATIONBUFFER buffer, BOOL updateTarget) {
    static const auto entry = Entry<HRESULT(WINAPI*)(HANIMATIONBUFFER, BOOL)>(L"UxTheme.dll", "EndBufferedAnimation");
    return entry != nullptr ? entry(buffer, updateTarget) : E_NOTIMPL;
}

HRESULT BufferedPaintStopAllAnimations(HWND window) {
    static const auto entry = Entry<HRESULT(WINAPI*)(HWND)>(L"UxTheme.dll", "BufferedPaintStopAllAnimations");
    return entry != nullptr ? entry(window) : E_NOTIMPL;
}

} // namespace drawservices
