#include "exapp.h"

#include <clocale>
#include <commctrl.h>

#include "../text/pathutil.h"
#include "extooltip.h"
#include "exwnd.h"

const exchar kProductName[] = L"Marrowgate";

namespace {

exApp* g_app = nullptr;
exBaseApp* g_baseApp = nullptr;

exstring ApplicationName() {
    if (kProductName[0] != L'\0') return kProductName;
    exstring name = FileNameOf(ModulePath(false));
    const size_t extension = name.rfind(L'.');
    if (extension != exstring::npos && extension > 0) name.resize(extension);
    return name;
}

} // namespace

exApp* TheApp() {
    return g_app;
}

exBaseApp* TheBaseApp() {
    return g_baseApp;
}

exApp::exApp() : instance_(GetModuleHandleW(nullptr)), mainWindow_(nullptr), name_(ApplicationName()), exitCode_(0) {
    g_app = this;
}

void exApp::StartCommonControls() {
    if (commonControlsStarted_) return;
    commonControlsStarted_ = true;
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_WIN95_CLASSES;
    InitCommonControlsEx(&controls);
}

exApp::~exApp() {
    if (g_app == this) g_app = nullptr;
}

bool exApp::PreTranslateMessage(MSG*) {
    return false;
}

void exApp::OnHelp() {}

exBaseApp::exBaseApp() : trackedMenu_(nullptr) {
    g_baseApp = this;
    std::setlocale(LC_ALL, "");
}

exBaseApp::~exBaseApp() {
    if (g_baseApp == this) g_baseApp = nullptr;
}

bool exBaseApp::PreTranslateMessage(MSG* message) {
    HWND tooltip = ToolTipWindow();
    if (message == nullptr || tooltip == nullptr || message->hwnd == tooltip) return false;
    switch (message->message) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_NCMOUSEMOVE:
        SendMessageW(tooltip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(message));
        break;
    default:
        break;
    }
    return false;
}

bool exApp::Run() {
    if (mainWindow_ == nullptr || mainWindow_->Handle() == nullptr) return false;
    MSG message;
    for (;;) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == -1) return true;
        if (got == 0) break;
        if (PreTranslateMessage(&message)) continue;
        exWnd* target = exWnd::FromHandle(message.hwnd);
        if (target != nullptr && target->PreTranslateMessage(&message)) continue;
        bool consumed = false;
        for (HWND window = message.hwnd; window != nullptr && !consumed; window = GetParent(window)) {
            if (exWnd* object = exWnd::FromHandle(window)) consumed = object->IsDialogMessage(&message);
            if ((GetWindowLongW(window, GWL_STYLE) & WS_CHILD) == 0) break;
        }
        if (consumed) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (exitCode_ == 0) exitCode_ = static_cast<int>(message.wParam);
    return true;
}
