// The real program locked and unlocked as a user would, with a witness in a third process that counts what reaches it.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "testsupport.h"

namespace {

using namespace std::chrono_literals;
using namespace e2e;

const int kFieldId = 1005, kOptionsId = 1006;

// The field once its picture stops changing: the lock covers the screen before its dialog is painted.
std::vector<COLORREF> SettledCapture(HWND window) {
    std::vector<COLORREF> last = Shot(window).pixels, now;
    WaitFor([&] {
        const bool same = (now = Shot(window).pixels) == last;
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
    }

    ::testing::AssertionResult Launch(const exstring& commandLine) {
        program = Start(commandLine);
        if (!WaitFor([&] { return (dialog = FindDialog(program.id)) != nullptr; }, 10s))
            return ::testing::AssertionFailure() << "no dialog; the program shows "
                                                 << Describe(VisibleWindowsOf(program.id));
        field = GetDlgItem(dialog, kFieldId);
        return ::testing::AssertionResult(WaitFor([&] { return GetForegroundWindow() == dialog; }, 3s))
               << "the dialog is not in front; in front: " << Describe({GetForegroundWindow()});
    }
    ::testing::AssertionResult Lock(const wchar_t* switches) { return Launch(L"\"" + Program() + L"\" " + switches); }

    // Where the caret is: the field refuses its text, and its length, to other programs.
    LRESULT FieldLength() const { return HIWORD(static_cast<DWORD>(Ask(field, EM_GETSEL))); }
    bool UnlockEnabled() const { return IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE; }

    void ExpectFocusInField() const {
        EXPECT_TRUE(WaitFor([&] { return FocusOf(dialog) == field; }, 3s))
            << "focus on control " << GetDlgCtrlID(FocusOf(dialog)) << " instead of " << kFieldId;
    }
    void Submit(const char* text) {
        Type(text);
        const LRESULT length = static_cast<LRESULT>(std::char_traits<char>::length(text));
        ASSERT_TRUE(WaitFor([&] { return FieldLength() == length; }, 3s)) << "the field holds " << FieldLength();
        EXPECT_TRUE(UnlockEnabled()) << "Unlock stays disabled with text in the field";
        Keys({VK_RETURN});
    }
    void UnlockAndExpectTheEnd() {
        // Under Wine a key typed while a restack hides the dialog is lost; a user would type again.
        for (int attempt = 0; attempt < 2 && program.ExitCode(attempt == 0 ? 0 : 3000) == STILL_ACTIVE; ++attempt) {
            SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
            Type(kPassword);
            Keys({VK_RETURN});
        }
        EXPECT_EQ(program.ExitCode(5000), 0u) << "the right password ends the lock with 0";
        EXPECT_EQ(LockingFlag(), 0);
        EXPECT_EQ(RunEntry(), exstring()) << "auto-start is off, so the Run entry goes with the lock";
    }
    // A refused lock covers nothing: a message says why, then the main window opens; closing it exits 1.
    void ExpectRefusalThenMainWindow() {
        program = Start(L"\"" + Program() + L"\" +lock");
        HWND box = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (box = WindowOfClass(program.id, L"exMsgBox00")) != nullptr; }, 10s))
            << "no message: " << Describe(VisibleWindowsOf(program.id));
        EXPECT_TRUE(FullScreenWindowsOf(program.id).empty())
            << "a lock was shown: " << Describe(VisibleWindowsOf(program.id));
        EXPECT_NE(LockingFlag(), 1);
        ForceForeground(box);
        WaitFor([&] { return GetForegroundWindow() == box; }, 2s);
        Keys({VK_RETURN});
        HWND main = nullptr;
        EXPECT_TRUE(WaitFor([&] { return (main = FindDialog(program.id)) != nullptr; }, 5s))
            << "no main window after the message: " << Describe(VisibleWindowsOf(program.id));
        if (main != nullptr) PostMessageW(main, WM_CLOSE, 0, 0);
        EXPECT_EQ(program.ExitCode(5000), 1u);
    }

    Process program, witnessProcess;
    HWND witness = nullptr, dialog = nullptr, field = nullptr;
};

TEST_F(UnlockEndToEnd, LockHoldsEverythingUntilTheRightPassword) {
    ASSERT_TRUE(Configure({}));
    ASSERT_TRUE((witness = StartWitness(witnessProcess)) != nullptr) << "no witness in front";
    ASSERT_FALSE(EdgesAre(kLockColor)) << "the screen shows the lock colour before the lock";
    ASSERT_TRUE(Lock(L"+lock"));
    EXPECT_TRUE(WaitFor([] { return EdgesAre(kLockColor); }, 5s))
        << DescribeEdges() << "instead of " << Hex(kLockColor);
    EXPECT_EQ(LockingFlag(), 1);
    EXPECT_NE(RunEntry(), exstring()) << "a lock keeps the Run entry";
    ExpectFocusInField();
    EXPECT_FALSE(UnlockEnabled()) << "Unlock is enabled on an empty field with a password set";
    wchar_t account[256] = {};
    DWORD size = 256;
    GetUserNameW(account, &size);
    const HWND lockedBy = VisibleChildStartingWith(dialog, L"Locked by ");
    EXPECT_TRUE(lockedBy != nullptr && TitleOf(lockedBy).find(account) != std::wstring::npos)
        << "no \"Locked by " << Utf8(account) << "\" line: " << (lockedBy ? Utf8(TitleOf(lockedBy)) : "none");
    const std::vector<COLORREF> banner = SettledCapture(field);

    // Which key is dropped is the key filter's table; here, that none ends or hides the dialog.
    const std::vector<std::vector<WORD>> escapes = {{VK_ESCAPE}, {VK_LMENU, VK_F4}, {VK_LWIN}, {VK_LMENU, VK_TAB}};
    for (const std::vector<WORD>& chord : escapes) {
        Keys(chord);
        ASSERT_TRUE(NeverWithin([&] { return !program.Running(); }) && WaitFor([&] { return GetForegroundWindow() == dialog; }, 2s))
            << "after key " << chord.back() << " in front: " << Describe({GetForegroundWindow()});
    }
    EXPECT_EQ(Ask(dialog, WM_QUERYENDSESSION), 0) << "the lock agreed to end the session";

    // Input aimed at the program that had the focus before the lock.
    ForceForeground(witness);
    Keys({'Q'});
    ClickAt(CentreOf(witness));
    EXPECT_TRUE(NeverWithin([&] { return Ask(witness, kQueryKeyCount, 'Q') != 0 || Ask(witness, kQueryClicks) != 0; }))
        << "the witness got " << Ask(witness, kQueryKeyCount, 'Q') << " keys and " << Ask(witness, kQueryClicks)
        << " clicks";
    // The lock raises itself over the intruder twice; keys typed meanwhile may be lost.
    EXPECT_TRUE(SteadyFor([&] { return GetForegroundWindow() == dialog; }, 600ms, 3s)) << "the dialog does not come back";

    SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));  // whatever reached it meanwhile
    Submit("wrong");
    EXPECT_TRUE(WaitFor([&] { return FieldLength() == 0 && Differences(Shot(field).pixels, banner) > 50; }, 3s))
        << "after a wrong password the field holds " << FieldLength() << " characters and differs from its banner in "
        << Differences(Shot(field).pixels, banner) << " pixels";
    Keys({VK_RETURN});  // on the empty field: nothing
    ASSERT_TRUE(NeverWithin([&] { return !program.Running(); }))
        << "a wrong password ended the lock with " << program.ExitCode(0);
    ExpectFocusInField();
    EXPECT_TRUE(WaitFor([&] { return VisibleChildStartingWith(dialog, L"1 incorrect attempt, at ") != nullptr; }, 2s))
        << "the owner is not told of the attempt";

    UnlockAndExpectTheEnd();

    // The same input reaches the witness once the lock and its guardian are gone.
    EXPECT_TRUE(WaitFor([] { return ProgramProcesses().empty(); }, 3s)) << "the guardian outlived the unlock";
    ForceForeground(witness);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == witness; }, 2s));
    Keys({'Q'});
    ClickAt(CentreOf(witness));
    EXPECT_TRUE(WaitFor([&] { return Ask(witness, kQueryKeyCount, 'Q') >= 1 && Ask(witness, kQueryClicks) >= 1; }, 3s))
        << "control failed: the witness got " << Ask(witness, kQueryKeyCount, 'Q') << " keys and "
        << Ask(witness, kQueryClicks) << " clicks after the unlock";
}

// Over the visible screen, the organisation's message in the dialog without the "Locked by" line it turned
// off, and the hint on request.
TEST_F(UnlockEndToEnd, OriginalScreenWithTheOrganisationsMessageAndTheHint) {
    ASSERT_TRUE(Configure({kPassword, L"the first cat's name, in lower case", true}));
    const std::wstring message = L"This computer belongs to Acme IT. Found it? Call +1 555 0100.";
    const DWORD off = 0;
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kPolicyKeyPath, L"LockMessage", REG_SZ, message.c_str(),
                              static_cast<DWORD>((message.size() + 1) * 2)), ERROR_SUCCESS);
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kPolicyKeyPath, L"ShowLockedBy", REG_DWORD, &off, 4), ERROR_SUCCESS);
    const std::vector<COLORREF> before = EdgeColors();
    ASSERT_TRUE(Lock(L"+lock"));
    EXPECT_NE(VisibleChildStartingWith(dialog, message), nullptr) << "no message line in the dialog";
    EXPECT_EQ(VisibleChildStartingWith(dialog, L"Locked by "), nullptr);
    ASSERT_TRUE(WaitFor([] { return LockingFlag() == 1; }, 3s));
    EXPECT_TRUE(NeverWithin([&] { return !FullScreenWindowsOf(program.id).empty(); }))
        << Describe(VisibleWindowsOf(program.id));
    EXPECT_EQ(EdgeColors(), before) << "the screen must keep what it showed";
    ExpectFocusInField();
    const std::vector<COLORREF> banner = SettledCapture(field);
    // The Options menu opened with the mouse, its hint item chosen with the keyboard.
    ClickAt(CentreOf(GetDlgItem(dialog, kOptionsId)));
    HWND menu = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (menu = WindowOfClass(program.id, L"#32768")) != nullptr; }, 3s))
        << "no menu; the program shows: " << Describe(VisibleWindowsOf(program.id));
    Keys({VK_DOWN});
    Keys({VK_RETURN});
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(menu); }, 2s)) << "the menu stays open";
    // The system's link colour, or a blue where that is too pale on white (as in Wine's default theme).
    const COLORREF hot = GetSysColor(COLOR_HOTLIGHT);
    const bool pale = GetRValue(hot) > 160 && GetGValue(hot) > 160 && GetBValue(hot) > 160;
    const COLORREF link = pale ? RGB(0, 102, 204) : hot;
    EXPECT_TRUE(WaitFor([&] { return Count(Shot(field).pixels, link) > Count(banner, link) + 20; }, 3s))
        << "no hint in " << Hex(link) << ": " << Count(Shot(field).pixels, link) << " such pixels, "
        << Count(banner, link) << " with the banner";
    EXPECT_EQ(FieldLength(), 0);
    UnlockAndExpectTheEnd();
}

// The login ends the program on Esc without any other window; the right
// password opens the main window. (Wrong passwords count there as at the lock.)
TEST_F(UnlockEndToEnd, LoginGuardsTheProgram) {
    ASSERT_TRUE(Configure({}));
    const exstring plain = L"\"" + Program() + L"\"";
    ASSERT_TRUE(Launch(plain));
    EXPECT_TRUE(FullScreenWindowsOf(program.id).empty()) << "the login locks nothing";
    Keys({VK_ESCAPE});
    EXPECT_EQ(program.ExitCode(5000), 0u) << "Esc left " << Describe(VisibleWindowsOf(program.id));

    ASSERT_TRUE(Launch(plain));
    ExpectFocusInField();
    Submit(kPassword);
    const HWND login = dialog;
    HWND main = nullptr;
    EXPECT_TRUE(WaitFor([&] {
        main = FindDialog(program.id);
        return main != nullptr && main != login && GetDlgItem(main, 1002) != nullptr;  // Lock Now
    }, 5s)) << "no main window after the right password: " << Describe(VisibleWindowsOf(program.id));
    EXPECT_NE(LockingFlag(), 1) << "a login is no lock";
}

} // namespace

// Another program's window, however shown over the lock, is covered again within a few frames and
// takes no click. (Under Wine one shown without activation is drawn above the lock while the window
// order puts it below, so the watchdog's ticks alone never see it.)
TEST_F(UnlockEndToEnd, NoWindowOfAnotherProgramShowsOverTheLock) {
    ASSERT_TRUE(Configure({}));
    ASSERT_TRUE((witness = StartWitness(witnessProcess)) != nullptr) << "no witness in front";
    ASSERT_TRUE(Lock(L"+lock"));
    ASSERT_TRUE(WaitFor([] { return EdgesAre(kLockColor); }, 5s)) << DescribeEdges();
    struct Kind { const char* name; DWORD exStyle; bool owned, activated, shownAgain; };
    const Kind kinds[] = {{"activated", 0, false, true, false},
                          {"not activated", 0, false, false, false},
                          {"topmost", WS_EX_TOPMOST, false, false, false},
                          {"owned", WS_EX_TOPMOST, true, false, false},
                          {"shown again", WS_EX_TOPMOST, false, false, true}};
    const POINT under{140, 100};  // inside each window, far from the dialog
    for (const Kind& kind : kinds) {
        SCOPED_TRACE(kind.name);
        // Each once the dialog is in front and the guardian up, whose start stacks windows of its own.
        ASSERT_TRUE(SteadyFor([&] { return GetForegroundWindow() == dialog && ProgramProcesses().size() >= 2; }, 300ms,
                              5s));
        DWORD_PTR made = 0;
        SendMessageTimeoutW(witness, kMakeWindow, kind.exStyle, kind.owned, SMTO_ABORTIFHUNG, 2000, &made);
        const auto window = reinterpret_cast<HWND>(made);
        ASSERT_NE(window, nullptr);
        for (int time = kind.shownAgain ? 2 : 1; time > 0; --time) {
            ShowWindow(window, SW_HIDE);
            ShowWindow(window, kind.activated ? SW_SHOW : SW_SHOWNA);
            if (kind.activated) SetForegroundWindow(window);
            // A few frames under Wine's round trips on a busy machine.
            EXPECT_TRUE(SteadyFor([&] { return ScreenPixel(under.x, under.y) == kLockColor; }, 100ms, 1s))
                << "the window shows " << Hex(ScreenPixel(under.x, under.y));
        }
        ClickAt(under);
        EXPECT_TRUE(NeverWithin([&] { return Ask(witness, kQueryClicks) != 0; }, 200ms)) << "a click reached the window";
        PostMessageW(window, WM_CLOSE, 0, 0);
    }
    // Past the watchdog's next tick, which may restack once more.
    ASSERT_TRUE(SteadyFor([&] { return GetForegroundWindow() == dialog; }, 600ms, 3s));
    ExpectFocusInField();
    UnlockAndExpectTheEnd();
}

// No lock starts without a sound password, nor without the one the organisation requires: a damaged password
// is never "no password", and the machine's newer, damaged copy gives way to the user's sound one only.
// (Which forms are damaged is the settings' tables'.)
TEST_F(UnlockEndToEnd, NoLockWithoutASoundOrRequiredPassword) {
    const exstring globalPath = exstring(kKeyPath) + L"\\global";
    const wchar_t notHex[] = L"0123456789abcdef0123456789abcdeg", older[] = L"1";
    ASSERT_TRUE(Configure({}));
    for (const wchar_t* value : {L"pwdDigest", L"Password"}) {  // the salted form and the old one
        wchar_t sound[160] = {};
        DWORD size = sizeof(sound);
        RegGetValueW(HKEY_LOCAL_MACHINE, globalPath.c_str(), value, RRF_RT_REG_SZ, nullptr, sound, &size);
        RegSetKeyValueW(HKEY_CURRENT_USER, globalPath.c_str(), value, REG_SZ, sound, size);
        ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, globalPath.c_str(), value, REG_SZ, notHex, sizeof(notHex)),
                  ERROR_SUCCESS);
    }
    RegSetKeyValueW(HKEY_CURRENT_USER, globalPath.c_str(), L"modifiedTime", REG_SZ, older, sizeof(older));
    EXPECT_EQ(Start(L"\"" + Program() + L"\" +checkpwd open42").ExitCode(10000), 0u) << "the user's sound copy";
    ASSERT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, globalPath.c_str()), ERROR_SUCCESS);
    ExpectRefusalThenMainWindow();

    const DWORD on = 1;
    CleanRegistry();
    ASSERT_TRUE(Configure({"", {}, false}));
    ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, kPolicyKeyPath, L"PasswordRequired", REG_DWORD, &on, 4), ERROR_SUCCESS);
    ExpectRefusalThenMainWindow();
}

// With Num Lock off a keypad key shows a note, Num Lock takes it away, and the keypad's digits unlock.
// (X keeps its own Num Lock, so under Wine the keypad types digits either way.)
TEST_F(UnlockEndToEnd, NumLockAndTheKeypad) {
    ASSERT_TRUE(Configure({"4217", {}, false}));
    if ((GetKeyState(VK_NUMLOCK) & 1) != 0) Keys({VK_NUMLOCK}, true);
    ASSERT_TRUE(WaitFor([] { return (GetKeyState(VK_NUMLOCK) & 1) == 0; }, 2s)) << "Num Lock stays on";
    ASSERT_TRUE(Lock(L"+lock"));
    ExpectFocusInField();
    INPUT keypadOne{INPUT_KEYBOARD, {}};  // End with the keypad's scan code: its 1 with Num Lock off
    keypadOne.ki = KEYBDINPUT{VK_END, 0x4F, 0, 0, 0};
    SendInput(1, &keypadOne, sizeof(INPUT));
    EXPECT_TRUE(WaitFor([&] { return VisibleChildStartingWith(dialog, L"Num Lock is off.") != nullptr; }, 2s))
        << "no note after a keypad key with Num Lock off";
    Keys({VK_NUMLOCK}, true);
    EXPECT_TRUE(WaitFor([&] { return VisibleChildStartingWith(dialog, L"Num Lock is off.") == nullptr; }, 2s))
        << "Num Lock did not reach the dialog";
    for (const WORD digit : {VK_NUMPAD4, VK_NUMPAD2, VK_NUMPAD1, VK_NUMPAD7}) Keys({digit});
    ASSERT_TRUE(WaitFor([&] { return FieldLength() == 4; }, 3s)) << "the field holds " << FieldLength();
    Keys({VK_RETURN}, true);
    EXPECT_EQ(program.ExitCode(5000), 0u) << "the keypad's digits and Enter did not unlock";
}

// Typing mistakes cost nothing; a run of wrong passwords holds Unlock back
// for a wait that doubles, while the field still takes typing.
TEST_F(UnlockEndToEnd, GuessingIsSlowedNeverBlocked) {
    ASSERT_TRUE(Configure({}));
    ASSERT_TRUE(Lock(L"+lock"));
    for (int attempt = 1; attempt <= 5; ++attempt) {
        Submit("wrong");
        ASSERT_TRUE(WaitFor([&] { return FieldLength() == 0; }, 3s));
    }
    for (const int seconds : {1, 2}) {
        SCOPED_TRACE(seconds);
        Submit("wrong");
        const std::wstring wait = L"Try again in " + std::to_wstring(seconds) + L" s";
        EXPECT_TRUE(WaitFor([&] { return VisibleChildStartingWith(dialog, wait) != nullptr; }, 2s))
            << "no \"" << Utf8(wait) << "\" line";
        Type("open");
        EXPECT_TRUE(WaitFor([&] { return FieldLength() == 4; }, 2s)) << "the field takes no typing during the wait";
        EXPECT_FALSE(UnlockEnabled()) << "Unlock is enabled during the wait";
        EXPECT_TRUE(WaitFor([&] { return UnlockEnabled(); }, std::chrono::seconds(seconds + 2)));
        SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    }
    UnlockAndExpectTheEnd();
}

// The task manager and the accessibility shortcuts stay closed while a lock lasts; the user's own
// settings come back exactly, also after a crash.
TEST_F(UnlockEndToEnd, TaskManagerClosedWhileLocked) {
    const wchar_t policyPath[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
    auto policy = [&](DWORD& type) {
        DWORD data[8] = {}, size = sizeof(data);
        if (RegGetValueW(HKEY_CURRENT_USER, policyPath, L"DisableTaskMgr", RRF_RT_ANY, &type, data, &size) !=
            ERROR_SUCCESS)
            type = REG_NONE;
        if (type == REG_NONE) return std::wstring(L"absent");
        return type == REG_DWORD ? std::to_wstring(data[0]) : std::wstring(reinterpret_cast<const wchar_t*>(data));
    };
    // Wine keeps no accessibility flags: the record of the user's own shows they were closed and put back.
    auto shortcutsRecorded = [] {
        return RegGetValueW(HKEY_CURRENT_USER, L"Software\\Quarnwick\\Marrowgate", L"AccessShortcutsPrior",
                            RRF_RT_ANY, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    };
    // Each kind of prior value once, after an unlock or a crash (both restore through the same code).
    struct Prior { const wchar_t* text; DWORD type; const void* data; DWORD size; bool crash; };
    const DWORD zero = 0;
    const wchar_t own[] = L"user's own";
    const Prior priors[] = {{L"absent", REG_NONE, nullptr, 0, true}, {L"0", REG_DWORD, &zero, sizeof(zero), false},
                            {own, REG_SZ, own, sizeof(own), true}};
    ASSERT_TRUE(Configure({}));
    for (const Prior& prior : priors) {
        SCOPED_TRACE(Utf8(prior.text) + (prior.crash ? ", crashed" : ""));
        RegDeleteKeyValueW(HKEY_CURRENT_USER, policyPath, L"DisableTaskMgr");
        if (prior.data != nullptr)
            RegSetKeyValueW(HKEY_CURRENT_USER, policyPath, L"DisableTaskMgr", prior.type, prior.data, prior.size);
        ASSERT_TRUE(Lock(L"+lock"));
        DWORD type = REG_NONE;
        EXPECT_TRUE(WaitFor([&] { return policy(type) == L"1" && type == REG_DWORD; }, 3s)) << Utf8(policy(type));
        // Whatever clears it during the lock, the lock sets it again.
        RegDeleteKeyValueW(HKEY_CURRENT_USER, policyPath, L"DisableTaskMgr");
        EXPECT_TRUE(WaitFor([&] { return policy(type) == L"1"; }, 1s)) << "the cleared policy stayed cleared";
        EXPECT_TRUE(shortcutsRecorded()) << "the accessibility shortcuts were not closed";
        if (!prior.crash) {
            UnlockAndExpectTheEnd();
        } else {
            EndAllPrograms();
            EXPECT_EQ(policy(type), L"1") << "a killed lock keeps the task manager closed";
            ASSERT_TRUE(Launch(L"\"" + Program() + L"\""));
            EndAllPrograms();
        }
        EXPECT_EQ(policy(type), prior.text);
        EXPECT_EQ(type, prior.type);
        EXPECT_FALSE(shortcutsRecorded()) << "the accessibility shortcuts were not put back";
    }
    RegDeleteKeyValueW(HKEY_CURRENT_USER, policyPath, L"DisableTaskMgr");
}
