// The real program locked and unlocked as a user would: typing and clicking
// with SendInput, reading the screen, and a witness program in a third
// process that counts what reaches it.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <numeric>
#include <string>
#include <vector>

#include "app/shell/foreground.h"
#include "app/shell/uniquehandle.h"
#include "lockhost/lockhostprotocol.h"
#include "settings/mgtsettings.h"
#include "e2esupport.h"
#include "testsupport.h"

namespace {

using namespace std::chrono_literals;
using namespace e2e;

const COLORREF kPictureColor = RGB(200, 40, 160);
const int kInfoId = 1001, kFieldId = 1005, kOptionsId = 1006;

// The field once its picture stops changing: the lock covers the screen
// before its dialog has finished painting.
std::vector<COLORREF> SettledCapture(HWND window) {
    std::vector<COLORREF> last = Capture(window), now;
    WaitFor([&] {
        now = Capture(window);
        const bool same = Differences(now, last) == 0;
        last = now;
        return same;
    }, 2s);
    return last;
}

HWND VisibleChildStartingWith(HWND parent, const std::wstring& text) {
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
        if (IsWindowVisible(child) && TitleOf(child).compare(0, text.size(), text) == 0) return child;
    return nullptr;
}

class UnlockEndToEnd : public ::testing::Test {
protected:
    void SetUp() override { CleanRegistry(); }
    void TearDown() override {
        EndAllPrograms();
        if (witness != nullptr) PostMessageW(witness, WM_QUIT, 0, 0);
        if (witnessProcess.ExitCode(3000) == STILL_ACTIVE) witnessProcess.Kill();
        CleanRegistry();
        for (const wchar_t* name : {L"mg_e2e_bg.bmp", L"mg_e2e_bg_new.bmp"}) DeleteFileW(TempPath(name).c_str());
    }

    ::testing::AssertionResult StartWitness() {
        witnessProcess = Start(L"\"" + TestDirectory() + L"lockhost.exe\" witness");
        if (!WaitFor([&] { return (witness = FindWindowW(L"MgLockHostWindow", kWitnessTitle)) != nullptr; }, 10s))
            return ::testing::AssertionFailure() << "no witness window; its process ended with "
                                                 << witnessProcess.ExitCode(0) << " (259: still running)";
        ForceForeground(witness);
        if (!WaitFor([&] { return GetForegroundWindow() == witness; }, 3s))
            return ::testing::AssertionFailure() << "the witness never had the focus";
        return ::testing::AssertionSuccess();
    }

    // Starts the program and waits for its dialog in front.
    ::testing::AssertionResult Launch(const exstring& commandLine) {
        program = Start(commandLine);
        if (!program.Running()) return ::testing::AssertionFailure() << "could not start " << Utf8(commandLine);
        if (!WaitFor([&] { return (dialog = FindDialog(program.id)) != nullptr; }, 10s))
            return ::testing::AssertionFailure() << "no dialog; the program shows "
                                                 << Describe(VisibleWindowsOf(program.id));
        field = GetDlgItem(dialog, kFieldId);
        if (!WaitFor([&] { return GetForegroundWindow() == dialog; }, 3s))
            return ::testing::AssertionFailure() << "the dialog is not in front; in front: "
                                                 << Describe({GetForegroundWindow()});
        return ::testing::AssertionSuccess();
    }
    ::testing::AssertionResult Lock(const wchar_t* switches) { return Launch(L"\"" + Program() + L"\" " + switches); }

    LRESULT FieldLength() const { return Ask(field, WM_GETTEXTLENGTH); }
    bool UnlockEnabled() const { return IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE; }

    void ExpectFocusInField() const {
        EXPECT_TRUE(WaitFor([&] { return FocusOf(dialog) == field; }, 3s))
            << "focus on control " << GetDlgCtrlID(FocusOf(dialog)) << " instead of " << kFieldId;
    }
    // Types the text and presses Enter, once the field holds it.
    void Submit(const char* text) {
        Type(text);
        const LRESULT length = static_cast<LRESULT>(std::char_traits<char>::length(text));
        ASSERT_TRUE(WaitFor([&] { return FieldLength() == length; }, 3s)) << "the field holds " << FieldLength();
        EXPECT_TRUE(UnlockEnabled()) << "Unlock stays disabled with text in the field";
        Keys({VK_RETURN});
    }
    void UnlockAndExpectTheEnd() {
        Submit(kPassword);
        EXPECT_EQ(program.ExitCode(5000), 0u) << "the right password ends the lock with 0";
        EXPECT_EQ(LockingFlag(), 0);
        EXPECT_EQ(RunEntry(), exstring()) << "auto-start is off, so the Run entry goes with the lock";
    }
    // Opens the Options menu with the mouse and chooses its item with the keyboard.
    void ChooseHintItem() {
        ClickAt(CentreOf(GetDlgItem(dialog, kOptionsId)));
        HWND menu = nullptr;
        auto openMenu = [&] {
            for (HWND window : VisibleWindowsOf(program.id))
                if (ClassOf(window) == L"#32768") return (menu = window) != nullptr;
            return false;
        };
        ASSERT_TRUE(WaitFor(openMenu, 3s)) << "no menu; the program shows: " << Describe(VisibleWindowsOf(program.id));
        Keys({VK_DOWN});
        Keys({VK_RETURN});
        if (!WaitFor([&] { return !IsWindowVisible(menu); }, 1s)) Keys({VK_ESCAPE});  // a greyed item keeps it open
        ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(menu); }, 2s)) << "the menu stays open";
    }

    Process program, witnessProcess;
    HWND witness = nullptr, dialog = nullptr, field = nullptr;
};

TEST_F(UnlockEndToEnd, LockHoldsEverythingUntilTheRightPassword) {
    ASSERT_TRUE(Configure({}));
    ASSERT_TRUE(StartWitness());
    ASSERT_FALSE(EdgesAre(kLockColor)) << "the screen shows the lock colour before the lock";
    ASSERT_TRUE(Lock(L"+lock"));
    EXPECT_TRUE(WaitFor([] { return EdgesAre(kLockColor); }, 5s))
        << DescribeEdges() << "instead of " << Hex(kLockColor);
    EXPECT_EQ(LockingFlag(), 1);
    EXPECT_NE(RunEntry(), exstring()) << "a lock keeps the Run entry";
    ExpectFocusInField();
    EXPECT_FALSE(UnlockEnabled()) << "Unlock is enabled on an empty field with a password set";
    const std::vector<COLORREF> banner = SettledCapture(field);

    const std::vector<std::vector<WORD>> escapes = {{VK_ESCAPE},         {VK_LMENU, VK_F4},    {VK_LWIN},
                                                    {VK_RWIN},           {VK_LMENU, VK_TAB},   {VK_LCONTROL, VK_ESCAPE},
                                                    {VK_LWIN, 'D'}};
    for (const std::vector<WORD>& chord : escapes) {
        Keys(chord);
        Settle();
        ASSERT_TRUE(program.Running() && WaitFor([&] { return GetForegroundWindow() == dialog; }, 2s))
            << "after key " << chord.back() << " in front: " << Describe({GetForegroundWindow()});
    }
    std::vector<HWND> windows = FullScreenWindowsOf(program.id);
    ASSERT_EQ(windows.size(), 1u) << "no single background: " << Describe(VisibleWindowsOf(program.id));
    windows.push_back(dialog);
    for (HWND target : windows)
        for (UINT message : {WM_CLOSE, WM_QUERYENDSESSION})
            EXPECT_EQ(Ask(target, message), 0) << "message " << message << " to " << Describe({target});
    Settle();
    for (HWND window : windows) EXPECT_TRUE(IsWindowVisible(window)) << "closed: " << Describe({window});

    // Input aimed at the program that had the focus before the lock.
    ForceForeground(witness);
    Keys({'Q'});
    ClickAt(CentreOf(witness));
    Settle();
    EXPECT_EQ(Ask(witness, kQueryKeyCount, 'Q'), 0) << "a key reached the witness";
    EXPECT_EQ(Ask(witness, kQueryClicks), 0) << "a click reached the witness";
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == dialog; }, 2s)) << "the dialog does not come back";

    DWORD secondCode = STILL_ACTIVE;
    std::string failure;
    ASSERT_TRUE(RunAndWait(Program(), L"\"" + Program() + L"\"", 10000, secondCode, failure)) << failure;
    EXPECT_EQ(secondCode, 0u);
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == dialog; }, 2s)) << "a second start hides the dialog";

    for (LRESULT left = FieldLength(); left > 0; --left) Keys({VK_BACK});
    ASSERT_TRUE(WaitFor([&] { return FieldLength() == 0; }, 2s));
    Submit("wrong");
    EXPECT_TRUE(WaitFor([&] { return FieldLength() == 0 && Differences(Capture(field), banner) > 50; }, 3s))
        << "after a wrong password the field holds " << FieldLength() << " characters and differs from its banner in "
        << Differences(Capture(field), banner) << " pixels";
    Keys({VK_RETURN});  // on the empty field: nothing
    Settle();
    ASSERT_TRUE(program.Running()) << "a wrong password ended the lock with " << program.ExitCode(0);
    EXPECT_EQ(LockingFlag(), 1);
    ExpectFocusInField();
    EXPECT_TRUE(WaitFor([&] { return VisibleChildStartingWith(dialog, L"1 incorrect attempt, at ") != nullptr; }, 2s))
        << "the owner is not told of the attempt";

    // Caps Lock on while the field has the focus: a note says so, and goes with it.
    Keys({VK_CAPITAL});
    EXPECT_TRUE(WaitFor([&] { return VisibleChildStartingWith(dialog, L"Caps Lock is on.") != nullptr; }, 2s));
    Keys({VK_CAPITAL});
    EXPECT_TRUE(WaitFor([&] { return VisibleChildStartingWith(dialog, L"Caps Lock is on.") == nullptr; }, 2s));

    UnlockAndExpectTheEnd();
    EXPECT_TRUE(WaitFor([] { return !EdgesAre(kLockColor); }, 3s)) << DescribeEdges();

    // The same input reaches the witness now that the lock is gone.
    ForceForeground(witness);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == witness; }, 2s));
    Keys({'Q'});
    ClickAt(CentreOf(witness));
    EXPECT_TRUE(WaitFor([&] { return Ask(witness, kQueryKeyCount, 'Q') >= 1 && Ask(witness, kQueryClicks) >= 1; }, 3s))
        << "control failed: the witness got " << Ask(witness, kQueryKeyCount, 'Q') << " keys and "
        << Ask(witness, kQueryClicks) << " clicks after the unlock";
}

TEST_F(UnlockEndToEnd, CrashLeavesTheLockForTheNextLogOn) {
    ASSERT_TRUE(Configure({}));
    ASSERT_TRUE(Lock(L"+lock"));
    ASSERT_TRUE(WaitFor([] { return LockingFlag() == 1; }, 3s));
    // As when the machine goes down mid-lock: the guardian ends too, first.
    Settle(1s);
    for (DWORD id : ProgramProcesses())
        if (id != program.id) KillProcess(id);
    program.Kill();
    EXPECT_EQ(LockingFlag(), 1) << "a killed lock must stay marked";
    const exstring command = RunEntry();
    ASSERT_GE(command.size(), 6u) << "the Run entry went with the killed lock";
    EXPECT_EQ(command.substr(command.size() - 6), L" +boot") << Utf8(command);

    ASSERT_TRUE(Launch(command));
    EXPECT_TRUE(WaitFor([] { return EdgesAre(kLockColor); }, 5s)) << DescribeEdges();
    ExpectFocusInField();
    EXPECT_FALSE(UnlockEnabled());
    UnlockAndExpectTheEnd();
}

TEST_F(UnlockEndToEnd, OriginalScreenWithHint) {
    ASSERT_TRUE(Configure({kPassword, L"the first cat's name, in lower case", true, {}}));
    ASSERT_TRUE(StartWitness());
    const std::vector<COLORREF> before = EdgeColors();
    ASSERT_TRUE(Lock(L"+lock"));
    ASSERT_TRUE(WaitFor([] { return LockingFlag() == 1; }, 3s));
    Settle();
    EXPECT_TRUE(FullScreenWindowsOf(program.id).empty()) << Describe(VisibleWindowsOf(program.id));
    EXPECT_EQ(EdgeColors(), before) << "the screen must keep what it showed";

    // The witness stays visible: only the lock keeps the click away from it.
    ClickAt(CentreOf(witness));
    Settle();
    EXPECT_EQ(Ask(witness, kQueryClicks), 0) << "a click reached the witness";

    ExpectFocusInField();
    const std::vector<COLORREF> banner = SettledCapture(field);
    ASSERT_NO_FATAL_FAILURE(ChooseHintItem());
    // The system's link colour, or a blue where that is too pale to read on
    // the white field (Wine's default theme has a light grey there).
    const COLORREF hot = GetSysColor(COLOR_HOTLIGHT);
    const bool pale = GetRValue(hot) > 160 && GetGValue(hot) > 160 && GetBValue(hot) > 160;
    const COLORREF link = pale ? RGB(0, 102, 204) : hot;
    EXPECT_TRUE(WaitFor([&] { return Count(Capture(field), link) > Count(banner, link) + 20; }, 3s))
        << "no hint in " << Hex(link) << ": " << Count(Capture(field), link) << " such pixels, "
        << Count(banner, link) << " with the banner; the field differs from its banner in "
        << Differences(Capture(field), banner) << " pixels";
    EXPECT_EQ(FieldLength(), 0);
    UnlockAndExpectTheEnd();

    ClickAt(CentreOf(witness));
    EXPECT_TRUE(WaitFor([&] { return Ask(witness, kQueryClicks) >= 1; }, 3s)) << "control: the click after the unlock";
}

TEST_F(UnlockEndToEnd, NoPasswordPictureAndGreyedHint) {
    const exstring picture = TempPath(L"mg_e2e_bg.bmp"), replacement = TempPath(L"mg_e2e_bg_new.bmp");
    WriteBmp(picture, kPictureColor);
    WriteBmp(replacement, kLockColor);
    ASSERT_TRUE(Configure({"", {}, false, picture}));
    ASSERT_TRUE(Lock(L"+boot"));
    EXPECT_TRUE(WaitFor([] { return EdgesAre(kPictureColor); }, 5s))
        << "the picture " << Hex(kPictureColor) << " does not cover the screen: " << DescribeEdges();
    EXPECT_TRUE(MoveFileExW(replacement.c_str(), picture.c_str(), MOVEFILE_REPLACE_EXISTING))
        << "the shown picture cannot be replaced: error " << GetLastError();
    EXPECT_TRUE(DeleteFileW(picture.c_str())) << "the shown picture cannot be deleted: error " << GetLastError();

    EXPECT_TRUE(UnlockEnabled()) << "without a password Unlock is enabled at once";
    const std::vector<COLORREF> banner = SettledCapture(field);
    ASSERT_NO_FATAL_FAILURE(ChooseHintItem());
    Settle();
    EXPECT_LT(Differences(Capture(field), banner), 30u) << "the greyed hint item changed the field";
    ASSERT_TRUE(program.Running());
    ClickAt(CentreOf(GetDlgItem(dialog, IDOK)));
    EXPECT_EQ(program.ExitCode(5000), 0u) << "Unlock on the empty field ends a lock without password";
    EXPECT_EQ(LockingFlag(), 0);
}

TEST_F(UnlockEndToEnd, LoginGuardsTheProgram) {
    ASSERT_TRUE(Configure({}));
    const exstring plain = L"\"" + Program() + L"\"";
    // Cancel and Esc end the program without any other window.
    for (int way = 0; way < 2; ++way) {
        ASSERT_TRUE(Launch(plain));
        EXPECT_EQ(TitleOf(GetDlgItem(dialog, kInfoId)), L"Please enter the correct password and click OK to continue.");
        EXPECT_TRUE(FullScreenWindowsOf(program.id).empty()) << "the login locks nothing";
        if (way == 0) ClickAt(CentreOf(GetDlgItem(dialog, IDCANCEL)));
        else Keys({VK_ESCAPE});
        bool other = false;
        WaitFor([&] {
            for (HWND window : VisibleWindowsOf(program.id)) other = other || window != dialog;
            return !program.Running();
        }, 5s);
        EXPECT_EQ(program.ExitCode(0), 0u) << (way == 0 ? "Cancel" : "Esc");
        EXPECT_FALSE(other) << "another window appeared after " << (way == 0 ? "Cancel" : "Esc");
    }

    ASSERT_TRUE(Launch(plain));
    ExpectFocusInField();
    Submit(kPassword);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 5s)) << "the login stays";
    // Whatever follows the login, an ended program ended well.
    WaitFor([&] { return !program.Running() || !VisibleWindowsOf(program.id).empty(); }, 5s);
    if (!program.Running()) {
        EXPECT_EQ(program.ExitCode(0), 0u);
    }
    EXPECT_NE(LockingFlag(), 1) << "a login is no lock";
}

} // namespace
