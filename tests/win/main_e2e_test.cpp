// The main window of the real program, its Lock Now, and the libraries it loads.
#include <gtest/gtest.h>

#include <vector>

#include "app/version.h"
#include "lang/displaylanguages.h"
#include "lang/mgtmlang.h"
#include "testsupport.h"
#include "res/resource.h"

namespace {

using namespace e2e;

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override { TearDown(); }
    void TearDown() override {
        EndAllPrograms();
        CleanRegistry();
    }
    ::testing::AssertionResult Open() {
        program = Start(L"\"" + Program() + L"\"");
        if (!WaitFor([&] { return (window = FindDialog(program.id)) != nullptr; }, 10s))
            return ::testing::AssertionFailure() << "no main window; the program shows "
                                                 << Describe(VisibleWindowsOf(program.id));
        return ::testing::AssertionSuccess();
    }
    exstring Text(int id) const { return TitleOf(GetDlgItem(window, id)); }

    Process program;
    HWND window = nullptr;
};

TEST_F(MainWindow, TextsPlaceSettingsAndLockNow) {
    ASSERT_TRUE(Configure({"", {}, false}));
    const int32_t stored[4] = {130, 90, 200, 150};  // only the position counts
    RegSetKeyValueW(HKEY_CURRENT_USER, kKeyPath, L"UI_wndRect", REG_BINARY, stored, sizeof(stored));
    ASSERT_TRUE(Open());

    EXPECT_EQ(Text(IDC_VERSION), exstring(L"Version " MG_VERSION_WTEXT)) << "not the template's text";
    const RECT placed = WindowRectOf(window);
    EXPECT_EQ(std::make_pair(placed.left, placed.top), std::make_pair(130L, 90L)) << "the stored place";
    EXPECT_GT(placed.right - placed.left, 300) << "the template's size, not the stored one";

    // Settings menu: its last item, Auto Lock at Startup, chosen with the keyboard.
    ForceForeground(window);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == window; }, 3s)) << "the main window never got the keys";
    PostMessageW(GetDlgItem(window, IDC_SETTINGS), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return WindowOfClass(program.id, L"#32768") != nullptr; }, 3s))
        << "no menu; the program shows " << Describe(VisibleWindowsOf(program.id));
    Keys({VK_UP});
    Keys({VK_RETURN});
    EXPECT_TRUE(WaitFor([] { return !RunEntry().empty(); }, 3s)) << "auto-start writes the Run entry";
    EXPECT_TRUE(mgtSettings().autoStart);

    // Moved, then Lock Now without a password: after the warning, No locks all the same.
    SetWindowPos(window, nullptr, 150, 110, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    PostMessageW(GetDlgItem(window, IDC_LOCK_NOW), BM_CLICK, 0, 0);
    HWND warning = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (warning = WindowOfClass(program.id, L"exMsgBox00")) != nullptr; }, 5s))
        << "no warning; the program shows " << Describe(VisibleWindowsOf(program.id));
    PostMessageW(GetDlgItem(warning, IDNO), BM_CLICK, 0, 0);
    EXPECT_EQ(program.ExitCode(5000), 0u) << "the main window's process ends";
    // A fresh process locks; without a password Unlock on the empty field ends it.
    ASSERT_TRUE(TypeIntoLock(AwaitLock(), "")) << "no lock in front; " << DescribeEdges();
    EXPECT_TRUE(WaitFor([] { return ProgramProcesses().empty(); }, 5s)) << "the lock ends";

    // The window's place was stored when it closed.
    ASSERT_TRUE(Open());
    EXPECT_EQ(WindowRectOf(window).left, 150);
}

// The stored language speaks from the first window on; a Lock Now that cannot start keeps the window.
TEST_F(MainWindow, StoredLanguageAndALockNowThatCannotStart) {
    ASSERT_TRUE(Configure({"", {}, false}));
    mgtSettings settings;
    settings.language = L"de";
    ASSERT_TRUE(settings.Save());
    const DWORD silenced = 1;  // no warning about the missing password
    RegSetKeyValueW(HKEY_CURRENT_USER, kKeyPath, L"blankpwd_noprompt", REG_DWORD, &silenced, sizeof(silenced));
    // Every hand-over name taken: the restart cannot begin.
    std::vector<UniqueHandle> taken;
    for (unsigned number = 1000; number < 11000; ++number)
        taken.emplace_back(CreateMutexW(nullptr, FALSE, (L"KVORM_EXRSIPM" + std::to_wstring(number)).c_str()));
    ASSERT_TRUE(Open());
    mgtMLang german;
    german.Load(CatalogueForUser(L"de"));
    EXPECT_EQ(exstring(german.Language().tag) + L" " + Text(IDC_LOCK_NOW),
              L"de " + german.GetText(L"main", L"locknow"));
    PostMessageW(GetDlgItem(window, IDC_LOCK_NOW), BM_CLICK, 0, 0);
    HWND report = nullptr;
    EXPECT_TRUE(WaitFor([&] { return (report = WindowOfClass(program.id, L"exMsgBox00")) != nullptr; }, 5s))
        << "no report; the program shows " << Describe(VisibleWindowsOf(program.id));
    EXPECT_TRUE(program.Running()) << "the window must not vanish as if the desktop were locked";
    EXPECT_FALSE(EdgesAre(kLockColor));
    if (report != nullptr) PostMessageW(report, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitFor([&] { return WindowOfClass(program.id, L"exMsgBox00") == nullptr; }, 3s));
    EXPECT_TRUE(IsWindowVisible(window)) << "the main window stays";
    ForceForeground(window);
    WaitFor([&] { return GetForegroundWindow() == window; }, 2s);
    Keys({VK_ESCAPE});
    EXPECT_EQ(program.ExitCode(5000), 0u) << "Esc closes the main window";
}

// Auto-start below both roots starts two locks at log-on: one gives way, or neither could be unlocked.
TEST_F(MainWindow, TwoLockStartsGiveOneLock) {
    ASSERT_TRUE(Configure({"", {}, false}));
    Process first = Start(L"\"" + Program() + L"\" +boot");
    Process second = Start(L"\"" + Program() + L"\" +boot");
    ASSERT_TRUE(WaitFor([] { return EdgesAre(kLockColor); }, 10s)) << DescribeEdges();
    const bool firstEnded = first.ExitCode(5000) != STILL_ACTIVE, secondEnded = second.ExitCode(0) != STILL_ACTIVE;
    EXPECT_NE(firstEnded, secondEnded) << "exactly one of the two goes on to lock";
    Process& lock = firstEnded ? second : first;
    ASSERT_TRUE(TypeIntoLock(lock.id, ""));
    EXPECT_EQ(lock.ExitCode(5000), 0u) << "the one lock takes the keyboard and ends";
}

// A portable copy beside planted libraries of system names loads the system's own. Wine prefers its
// built-in ones; told otherwise here for the copy alone, it searches the program's folder as Windows does.
TEST_F(MainWindow, PlantedLibrariesBesideACopyAreNotLoaded) {
    const exstring folder = TempPath(L"mg_portable\\"), copy = folder + L"mgportable.exe";
    const wchar_t appDefaults[] = L"Software\\Wine\\AppDefaults\\mgportable.exe";
    CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_TRUE(CopyFileW(Program().c_str(), copy.c_str(), FALSE));
    for (const wchar_t* name : {L"uxtheme"}) {
        const exstring library = folder + name + L".dll";
        ASSERT_TRUE(CopyFileW((TestDirectory() + L"fakelibrary.dll").c_str(), library.c_str(), FALSE));
        const wchar_t order[] = L"native,builtin";
        RegSetKeyValueW(HKEY_CURRENT_USER, (exstring(appDefaults) + L"\\DllOverrides").c_str(), name, REG_SZ, order,
                        sizeof(order));
    }
    program = Start(L"\"" + copy + L"\"");
    EXPECT_TRUE(WaitFor([&] { return FindDialog(program.id) != nullptr; }, 10s))
        << "no main window; the copy " << (program.Running() ? "runs" : "ended");
    program.Kill();
    RegDeleteTreeW(HKEY_CURRENT_USER, appDefaults);
    for (const wchar_t* name : {L"uxtheme"}) {
        const exstring library = folder + name + L".dll";
        EXPECT_TRUE(DeleteFileW(library.c_str()));
        EXPECT_FALSE(DeleteFileW((library + L".loaded").c_str()))
            << Utf8(name) << " was loaded from beside the program";
    }
    DeleteFileW(copy.c_str());
    RemoveDirectoryW(folder.c_str());
}

} // namespace
