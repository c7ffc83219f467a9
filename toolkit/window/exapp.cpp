#include "exapp.h"

#include <algorithm>
#include <clocale>
#include <commctrl.h>
#include <vector>

#include "../../text/pathutil.h"
#include "exwnd.h"

const exchar kProductName[] = L"Marrowgate";

namespace {

exApp* g_app = nullptr;
exBaseApp* g_baseApp = nullptr;

std::vector<exBaseApp::MessageFilter>& MessageFilters() {
    static std::vector<exBaseApp::MessageFilter> filters;
    return filters;
}

void ShowApplicationHelp() {
    if (g_app != nullptr) g_app->OnHelp();
}

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

exApp::exApp() : instance_(GetModuleHandleW(nullptr)), name_(ApplicationName()), exitCode_(0) {
    g_app = this;
    exWnd::SetHelpHandler(ShowApplicationHelp);
}

exWnd* exApp::MainWindow() const {
    return exWnd::MainWindow();
}

void exApp::SetMainWindow(exWnd* window) {
    exWnd::SetMainWindow(window);
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
    if (g_app != this) return;
    g_app = nullptr;
    exWnd::SetMainWindow(nullptr);
    exWnd::SetHelpHandler(nullptr);
}

bool exApp::PreTranslateMessage(MSG*) {
    return false;
}

void exApp::OnHelp() {}

exBaseApp::exBaseApp() {
    g_baseApp = this;
    std::setlocale(LC_ALL, "");
}

exBaseApp::~exBaseApp() {
    if (g_baseApp == this) g_baseApp = nullptr;
}

bool exBaseApp::PreTranslateMessage(MSG* message) {
    if (message == nullptr) return false;
    for (MessageFilter filter : MessageFilters())
        if (filter(message)) return true;
    return false;
}

void exBaseApp::AddMessageFilter(MessageFilter filter) {
    std::vector<MessageFilter>& filters = MessageFilters();
    if (filter != nullptr && std::find(filters.begin(), filters.end(), filter) == filters.end())
        filters.push_back(filter);
}

bool exApp::Run() {
    exWnd* main = MainWindow();
    if (main == nullptr || main->Handle() == nullptr) return false;
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
