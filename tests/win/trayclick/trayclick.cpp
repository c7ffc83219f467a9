// Clicks the resident helper's notification icon ("left" or "right"), for
// the guided tour: the virtual display draws no notification area to click.
#include <windows.h>

#include <cwchar>

#include "app/trayhelper.h"

int wmain(int argc, wchar_t** argv) {
    HWND helper = FindWindowW(kTrayWindowClass, nullptr);
    if (helper == nullptr) return 1;
    const bool right = argc > 1 && std::wcscmp(argv[1], L"right") == 0;
    return PostMessageW(helper, kTrayNotifyMessage, 1, right ? WM_RBUTTONUP : WM_LBUTTONUP) ? 0 : 1;
}
