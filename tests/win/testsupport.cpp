#include "testsupport.h"

#include <oleacc.h>
#include <shlwapi.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <utility>
#include <vector>

namespace {

const wchar_t kTestWindowClass[] = L"MarrowgateTestWindow";
TimerSteps* g_timerSteps = nullptr;

void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

ATOM RegisterTestClass() {
    static const ATOM atom = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        windowClass.lpszClassName = kTestWindowClass;
        return RegisterClassW(&windowClass);
    }();
    return atom;
}

} // namespace

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        PumpMessages();
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

bool SteadyFor(const std::function<bool()>& condition, std::chrono::milliseconds steady,
               std::chrono::milliseconds timeout) {
    auto since = std::chrono::steady_clock::now();
    return WaitFor(
        [&] {
            const auto now = std::chrono::steady_clock::now();
            if (!condition()) since = now;
            return now - since >= steady;
        },
        timeout);
}

LRESULT SendFromElsewhere(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    std::atomic<bool> done{false};
    std::thread sender([&] {
        result = SendMessageW(window, message, wParam, lParam);
        done = true;
    });
    WaitFor([&] { return done.load(); }, std::chrono::seconds(5));
    sender.join();
    return result;
}

exstring TestDirectory() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    PathRemoveFileSpecW(path);
    return exstring(path) + L"\\";
}

TestWindow::TestWindow(const wchar_t* title, DWORD style, DWORD exStyle) {
    RegisterTestClass();
    handle_ = CreateWindowExW(exStyle, kTestWindowClass, title, style, 100, 100, 300, 200, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
}

TestWindow::~TestWindow() {
    if (handle_ != nullptr) DestroyWindow(handle_);
}

ScratchKey::ScratchKey(const wchar_t* name)
    : path_(exstring(L"Software\\MarrowgateTests\\") + name + L"-" + std::to_wstring(GetCurrentProcessId())) {
    RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    key_.Reset(key);
}

ScratchKey::~ScratchKey() {
    key_.Reset();
    RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
}

exstring RegistryText(HKEY root, const exstring& path, const exstring& name) {
    wchar_t text[512] = {};
    DWORD size = sizeof(text);
    if (RegGetValueW(root, path.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return L"<absent>";
    return text;
}

void SendKey(WORD virtualKey, bool down) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    SendInput(1, &input, sizeof(input));
    // Waits for the physical state without pumping, so the key's message stays queued.
    for (int i = 0; i < 100 && ((GetAsyncKeyState(virtualKey) & 0x8000) != 0) != down; ++i) Sleep(10);
}

TimerSteps::TimerSteps(std::function<bool()> step) : step_(std::move(step)) {
    g_timerSteps = this;
    timer_ = SetTimer(nullptr, 0, 20, Tick);
}

TimerSteps::~TimerSteps() {
    KillTimer(nullptr, timer_);
    g_timerSteps = nullptr;
}

void CALLBACK TimerSteps::Tick(HWND, UINT, UINT_PTR, DWORD) {
    TimerSteps* self = g_timerSteps;
    if (self == nullptr || self->inStep_) return;
    if (++self->ticks_ == 1500) PostQuitMessage(0);
    if (self->done_) return;
    self->inStep_ = true;
    self->done_ = self->step_();
    self->inStep_ = false;
}

HWND ShownMessageBox(HWND owner) {
    if (owner == nullptr) return FindWindowW(L"exMsgBox00", nullptr);
    const HWND popup = GetLastActivePopup(owner);
    return popup == owner ? nullptr : popup;
}

COLORREF ScreenPixel(int x, int y) {
    const UniqueWindowDc screen(nullptr);
    return GetPixel(screen.Get(), x, y);
}

COLORREF ScreenPixel(HWND window, int x, int y) {
    POINT point{x, y};
    ClientToScreen(window, &point);
    return ScreenPixel(point.x, point.y);
}

void ShowAndSettle(HWND window, int x, int y) {
    SetWindowPos(window, HWND_TOPMOST, x, y, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    // Settled once the screen shows what the window painted (the display
    // server may show it a few frames later), at a corner of its client area.
    const auto shown = [window] {
        const UniqueWindowDc own(window);
        const COLORREF painted = GetPixel(own.Get(), 1, 1);
        return IsWindowVisible(window) && painted != CLR_INVALID && ScreenPixel(window, 1, 1) == painted;
    };
    WaitFor(shown, std::chrono::seconds(2));
}

RECT WindowRectOf(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

SIZE TextExtent(HFONT font, const wchar_t* text) {
    const UniqueWindowDc screen(nullptr);
    HGDIOBJ previous = SelectObject(screen.Get(), font);
    SIZE size{};
    GetTextExtentPoint32W(screen.Get(), text, lstrlenW(text), &size);
    SelectObject(screen.Get(), previous);
    return size;
}

Shot::Shot(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    width = client.right;
    height = client.bottom;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const UniqueWindowDc screen(nullptr);
    HDC memory = CreateCompatibleDC(screen.Get());
    const UniqueBitmap bitmap(CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    HGDIOBJ previous = SelectObject(memory, bitmap.Get());
    BitBlt(memory, 0, 0, width, height, screen.Get(), origin.x, origin.y, SRCCOPY);
    GdiFlush();
    for (int i = 0; i < width * height; ++i) {
        const DWORD bgra = static_cast<const DWORD*>(bits)[i];
        pixels.push_back(RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF));
    }
    SelectObject(memory, previous);
    DeleteDC(memory);
}

bool Shot::Has(COLORREF color) const {
    return std::find(pixels.begin(), pixels.end(), color) != pixels.end();
}

// MinGW's import library takes IID_IAccessible for a function of oleacc.dll and hands out the bytes of its thunk.
const IID kAccessibleInterface = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

AccessibleFacts AccessibleOf(HWND window) {
    AccessibleFacts facts;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), kAccessibleInterface,
                                          reinterpret_cast<void**>(&object))) || object == nullptr)
        return facts;
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR text = nullptr;
    if (object->get_accName(self, &text) == S_OK && text != nullptr) facts.name = text;
    SysFreeString(text);
    VARIANT state{};
    if (SUCCEEDED(object->get_accState(self, &state)) && state.vt == VT_I4) facts.state = state.lVal;
    text = nullptr;
    facts.valueGiven = object->get_accValue(self, &text) == S_OK && text != nullptr && SysStringLen(text) > 0;
    SysFreeString(text);
    object->Release();
    return facts;
}
