// The shell helpers: paths and window placement.
#include <gtest/gtest.h>

#include <string>

#include "base/windowplacement.h"
#include "testsupport.h"
#include "text/pathutil.h"

namespace {

const wchar_t kWindowsFolderToken[] = L"%{F38BF404-1D43-42F2-9305-67DE0B28FC23}%";

// Stored picture paths: variables, and the tokens that stand for known folders.
TEST(ExpandPath, VariablesAndKnownFolderTokens) {
    wchar_t root[MAX_PATH] = {};
    GetEnvironmentVariableW(L"SystemRoot", root, MAX_PATH);
    const exstring systemRoot = root, windows = ExpandPath(kWindowsFolderToken);
    ASSERT_FALSE(systemRoot.empty());
    EXPECT_TRUE(windows.EqualsNoCase(systemRoot)) << windows.ToUtf8();
    const exstring blocked = exstring(L"%ABC%\\") + kWindowsFolderToken;
    const exstring notGuid = L"%0123456789012345678901234567890123456789%";
    const struct {
        exstring path, expanded;
    } cases[] = {
        {L"%SystemRoot%\\Web", systemRoot + L"\\Web"}, {L"C:\\no\\percent", L"C:\\no\\percent"}, {L"", L""},
        {L"%MG_SURELY_UNDEFINED%\\x", L"%MG_SURELY_UNDEFINED%\\x"},
        {exstring(kWindowsFolderToken) + L"\\x.png", windows + L"\\x.png"},
        {blocked, blocked},                                  // a short token before the GUID ends the search
        {notGuid + kWindowsFolderToken, notGuid + windows},  // a long one that is no GUID is skipped
    };
    for (const auto& c : cases) EXPECT_EQ(ExpandPath(c.path), c.expanded) << c.path.ToUtf8();
}

// A program in a deep folder: the name is cut at the buffer's end, as GetModuleFileNameW does.
std::wstring g_deepPath;
DWORD WINAPI DeepModuleFileName(HMODULE, LPWSTR buffer, DWORD size) {
    const DWORD length = static_cast<DWORD>(g_deepPath.size());
    lstrcpynW(buffer, g_deepPath.c_str(), static_cast<int>(size));
    return length < size ? length : size;
}

TEST(ModulePath, LongerThanMaxPathIsReadWhole) {
    for (size_t length : {size_t{20}, size_t{MAX_PATH - 1}, size_t{MAX_PATH}, size_t{700}, size_t{32000}}) {
        g_deepPath = L"C:\\" + std::wstring(length - 7, L'd') + L"\\m.exe";
        EXPECT_EQ(ModuleFileName(nullptr, DeepModuleFileName), exstring(g_deepPath)) << length;
    }
}

std::string Describe(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

TEST(KeepInside, MovesWithoutResizing) {
    struct Case {
        RECT in;
        RECT out;
        RECT area = {0, 0, 1000, 800};
    };
    const Case cases[] = {
        {{100, 100, 300, 200}, {100, 100, 300, 200}},
        {{900, 100, 1100, 200}, {800, 100, 1000, 200}},   // right edge beyond: moved left by the overlap
        {{100, 750, 300, 850}, {100, 700, 300, 800}},
        {{-50, -20, 150, 80}, {0, 0, 200, 100}},
        {{500, 500, 1700, 1400}, {0, 0, 1200, 900}},      // larger than the area: left and top aligned
        {{-100, 10, 100, 110}, {-200, 10, 0, 110}, {-1920, 0, 0, 1080}},  // a monitor left of the primary one
    };
    for (const Case& c : cases) {
        const RECT got = KeepInside(c.in, c.area);
        EXPECT_TRUE(EqualRect(&got, &c.out)) << Describe(c.in);
    }
}

TEST(Placement, ApplyKeepsTheWindowOnItsMonitor) {
    TestWindow window(L"placement");
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(window.Handle(), MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT area = monitor.rcWork;
    RECT wanted{area.right - 100, area.top + 50, area.right + 100, area.top + 150};
    bool maximised = false;
    ASSERT_TRUE(WindowPlacement(window.Handle(), wanted, maximised, false));
    RECT placed{};
    const RECT inside{area.right - 200, area.top + 50, area.right, area.top + 150};
    ASSERT_TRUE(WindowPlacement(window.Handle(), placed, maximised, true));
    EXPECT_TRUE(EqualRect(&placed, &inside)) << Describe(placed);
    // A window that was hidden stays hidden.
    EXPECT_FALSE(IsWindowVisible(window.Handle()));
}

} // namespace
