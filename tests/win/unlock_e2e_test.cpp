// The real program locked and unlocked as a user would: typing and clicking
// with SendInput, reading the screen, and a witness program in a third
// process that counts what reaches it.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <cwctype>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "base/foreground.h"
#include "base/uniquehandle.h"
#include "lockhost/lockhostprotocol.h"
#include "settings/mgtsettings.h"
#include "testsupport.h"

namespace {

using namespace std::chrono_literals;
using namespace e2e;

const COLORREF kPictureColor = RGB(200, 40, 160);
const int kInfoId = 1001, kFieldId = 1005, kOptionsId = 1006, kLayoutId = 1018;

// The field once its picture stops changing: the lock covers the screen
// before its dialog has finished painting.
std::vector<COLORREF> SettledCapture(HWND window) {
    std::vector<COLORREF> last = Shot(window).pixels, now;
    WaitFor([&] {
        now = Shot(window).pixels;
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
        DeleteFileW(TempPath(L"mg_e2e_bg.bmp").c_str());
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

    // Where the caret is: the field refuses its text, and its length, to other programs.
    LRESULT FieldLength() const { return HIWORD(static_cast<DWORD>(Ask(field, EM_GETSEL))); }
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
        // Under Wine a restack hides the dialog for a moment, and a key typed
        // then is lost; a user sees the lock still there and types again.
        for (int attempt = 0; attempt < 2 && program.ExitCode(attempt == 0 ? 0 : 3000) == STILL_ACTIVE; ++attempt) {
            SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
            Type(kPassword);
            Keys({VK_RETURN});
        }
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

    // Naming the layout; clickable when there is another to change to.
    void ExpectLayoutButton() const {
        const HWND button = GetDlgItem(dialog, kLayoutId);
        ASSERT_TRUE(button != nullptr && IsWindowVisible(button)) << "no keyboard layout button";
        const std::wstring name = TitleOf(button);
        EXPECT_TRUE(name.size() >= 3 && std::all_of(name.begin(), name.end(), iswupper)) << Utf8(name);
        HKL layouts[8] = {};
        EXPECT_EQ(IsWindowEnabled(button) != FALSE, GetKeyboardLayoutList(8, layouts) > 1);
    }

    // A lock refused before it covers anything: a message says why, and
    // after it the main window opens; closing that ends the program with 1.
    void ExpectRefusalThenMainWindow() {
        program = Start(L"\"" + Program() + L"\" +lock");
        HWND box = nullptr;
        ASSERT_TRUE(WaitFor([&] {
            for (HWND window : VisibleWindowsOf(program.id))
                if (ClassOf(window) == L"exMsgBox00") box = window;
            return box != nullptr;
        }, 10s)) << "no message: " << Describe(VisibleWindowsOf(program.id));
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
    ASSERT_TRUE(StartWitness());
    ASSERT_FALSE(EdgesAre(kLockColor)) << "the screen shows the lock colour before the lock";
    ASSERT_TRUE(Lock(L"+lock"));
    EXPECT_TRUE(WaitFor([] { return EdgesAre(kLockColor); }, 5s))
        << DescribeEdges() << "instead of " << Hex(kLockColor);
    EXPECT_EQ(LockingFlag(), 1);
    EXPECT_NE(RunEntry(), exstring()) << "a lock keeps the Run entry";
    ExpectFocusInField();
    EXPECT_FALSE(UnlockEnabled()) << "Unlock is enabled on an empty field with a password set";
    ExpectLayoutButton();
    wchar_t account[256] = {};
    DWORD size = 256;
    GetUserNameW(account, &size);
    const HWND lockedBy = VisibleChildStartingWith(dialog, L"Locked by ");
    EXPECT_TRUE(lockedBy != nullptr && TitleOf(lockedBy).find(account) != std::wstring::npos)
        << "no \"Locked by " << Utf8(account) << "\" line: " << (lockedBy ? Utf8(TitleOf(lockedBy)) : "none");
    const std::vector<COLORREF> banner = SettledCapture(field);

    const std::vector<std::vector<WORD>> escapes = {{VK_ESCAPE},         {VK_LMENU, VK_F4},    {VK_LWIN},
                                                    {VK_RWIN},           {VK_LMENU, VK_TAB},   {VK_LCONTROL, VK_ESCAPE},
                                                    {VK_LWIN, 'D'}};
    for (const std::vector<WORD>& chord : escapes) {
        Keys(chord);
        ASSERT_TRUE(NeverWithin([&] { return !program.Running(); }) && WaitFor([&] { return GetForegroundWindow() == dialog; }, 2s))
            << "after key " << chord.back() << " in front: " << Describe({GetForegroundWindow()});
    }
    // What other programs can send or post to the lock's windows and controls.
    std::vector<HWND> shown = FullScreenWindowsOf(program.id);
    ASSERT_EQ(shown.size(), 1u) << "no single background: " << Describe(VisibleWindowsOf(program.id));
    shown.push_back(dialog);
    std::vector<HWND> windows = shown;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
        windows.push_back(child);
    EXPECT_EQ(Ask(dialog, WM_QUERYENDSESSION), 0) << "the lock agreed to end the session";
    const std::pair<UINT, WPARAM> forgeries[] = {{WM_CLOSE, 0},      {WM_DESTROY, 0},          {WM_NCDESTROY, 0},
                                                 {WM_QUIT, 0},       {WM_ENDSESSION, TRUE},    {WM_COMMAND, IDCANCEL},
                                                 {WM_SYSCOMMAND, SC_MINIMIZE}, {WM_SYSCOMMAND, SC_CLOSE}};
    for (const auto& forgery : forgeries)
        for (HWND window : windows) {
            PostMessageW(window, forgery.first, forgery.second, 0);
            Ask(window, forgery.first, forgery.second);
        }
    const auto lockHurt = [&] {
        return !program.Running() || std::any_of(shown.begin(), shown.end(), [](HWND w) { return !IsWindow(w); });
    };
    ASSERT_TRUE(NeverWithin(lockHurt)) << "forged messages ended the lock (" << program.ExitCode(0)
                                       << ") or destroyed " << Describe(shown);
    // Waited for: under Wine the watchdog hides the dialog for the moment of a restack.
    EXPECT_TRUE(WaitFor([&] { return FindDialog(program.id) == dialog && IsWindowVisible(shown[0]); }, 2s))
        << "closed, hidden or made again: " << Describe(VisibleWindowsOf(program.id));

    // Input aimed at the program that had the focus before the lock.
    ForceForeground(witness);
    Keys({'Q'});
    ClickAt(CentreOf(witness));
    EXPECT_TRUE(NeverWithin([&] { return Ask(witness, kQueryKeyCount, 'Q') != 0 || Ask(witness, kQueryClicks) != 0; }))
        << "the witness got " << Ask(witness, kQueryKeyCount, 'Q') << " keys and " << Ask(witness, kQueryClicks)
        << " clicks";
    // The lock raises itself over the intruder twice; keys typed meanwhile may be lost.
    EXPECT_TRUE(SteadyFor([&] { return GetForegroundWindow() == dialog; }, 600ms, 3s)) << "the dialog does not come back";

    EXPECT_EQ(Start(L"\"" + Program() + L"\"").ExitCode(10000), 0u) << "a second start ends (259: still running)";
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == dialog; }, 2s)) << "a second start hides the dialog";

    for (LRESULT left = FieldLength(); left > 0; --left) Keys({VK_BACK});
    ASSERT_TRUE(WaitFor([&] { return FieldLength() == 0; }, 2s));
    Submit("wrong");
    EXPECT_TRUE(WaitFor([&] { return FieldLength() == 0 && Differences(Shot(field).pixels, banner) > 50; }, 3s))
        << "after a wrong password the field holds " << FieldLength() << " characters and differs from its banner in "
        << Differences(Shot(field).pixels, banner) << " pixels";
    Keys({VK_RETURN});  // on the empty field: nothing
    ASSERT_TRUE(NeverWithin([&] { return !program.Running(); }))
        << "a wrong password ended the lock with " << program.ExitCode(0);
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

    // The same input reaches the witness now that the lock is gone, and its
    // guardian, whose hold outlives it by a few milliseconds.
    EXPECT_TRUE(WaitFor([] { return ProgramProcesses().empty(); }, 3s)) << "the guardian outlived the unlock";
    ForceForeground(witness);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == witness; }, 2s));
    Keys({'Q'});
    ClickAt(CentreOf(witness));
    EXPECT_TRUE(WaitFor([&] { return Ask(witness, kQueryKeyCount, 'Q') >= 1 && Ask(witness, kQueryClicks) >= 1; }, 3s))
        << "control failed: the witness got " << Ask(witness, kQueryKeyCount, 'Q') << " keys and "
        << Ask(witness, kQueryClicks) << " clicks after the unlock";
}

TEST_F(UnlockEndToEnd, OriginalScreenWithHint) {
    ASSERT_TRUE(Configure({kPassword, L"the first cat's name, in lower case", true, {}}));
    const std::vector<COLORREF> before = EdgeColors();
    ASSERT_TRUE(Lock(L"+lock"));
    ASSERT_TRUE(WaitFor([] { return LockingFlag() == 1; }, 3s));
    EXPECT_TRUE(NeverWithin([&] { return !FullScreenWindowsOf(program.id).empty(); }))
        << Describe(VisibleWindowsOf(program.id));
    EXPECT_EQ(EdgeColors(), before) << "the screen must keep what it showed";
    ExpectFocusInField();
    const std::vector<COLORREF> banner = SettledCapture(field);
    ASSERT_NO_FATAL_FAILURE(ChooseHintItem());
    // The system's link colour, or a blue where that is too pale to read on
    // the white field (Wine's default theme has a light grey there).
    const COLORREF hot = GetSysColor(COLOR_HOTLIGHT);
    const bool pale = GetRValue(hot) > 160 && GetGValue(hot) > 160 && GetBValue(hot) > 160;
    const COLORREF link = pale ? RGB(0, 102, 204) : hot;
    EXPECT_TRUE(WaitFor([&] { return Count(Shot(field).pixels, link) > Count(banner, link) + 20; }, 3s))
        << "no hint in " << Hex(link) << ": " << Count(Shot(field).pixels, link) << " such pixels, "
        << Count(banner, link) << " with the banner; the field differs from its banner in "
        << Differences(Shot(field).pixels, banner) << " pixels";
    EXPECT_EQ(FieldLength(), 0);
    UnlockAndExpectTheEnd();
}

TEST_F(UnlockEndToEnd, NoPasswordPictureAndGreyedHint) {
    const exstring picture = TempPath(L"mg_e2e_bg.bmp");
    WriteBmp(picture, kPictureColor);
    ASSERT_TRUE(Configure({"", {}, false, picture}));
    ASSERT_TRUE(Lock(L"+boot"));
    EXPECT_TRUE(WaitFor([] { return EdgesAre(kPictureColor); }, 5s))
        << "the picture " << Hex(kPictureColor) << " does not cover the screen: " << DescribeEdges();

    EXPECT_TRUE(UnlockEnabled()) << "without a password Unlock is enabled at once";
    // Only the empty field matches no password.
    ExpectFocusInField();
    Submit("x");
    ASSERT_TRUE(NeverWithin([&] { return !program.Running(); })) << "a typed text opened a lock without password";
    ASSERT_TRUE(WaitFor([&] { return FieldLength() == 0; }, 2s));
    const std::vector<COLORREF> banner = SettledCapture(field);
    ASSERT_NO_FATAL_FAILURE(ChooseHintItem());
    EXPECT_TRUE(NeverWithin([&] { return Differences(Shot(field).pixels, banner) >= 30u; }))
        << "the greyed hint item changed the field";
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
        EXPECT_EQ(program.ExitCode(5000), 0u) << (way == 0 ? "Cancel" : "Esc") << " left "
                                               << Describe(VisibleWindowsOf(program.id));
    }

    // A wrong password first is counted and kept out; the right one opens the main window.
    ASSERT_TRUE(Launch(plain));
    ExpectFocusInField();
    Submit("wrong");
    EXPECT_TRUE(WaitFor([&] { return VisibleChildStartingWith(dialog, L"1 incorrect attempt, at ") != nullptr; }, 2s));
    ASSERT_TRUE(program.Running());
    ASSERT_TRUE(WaitFor([&] { return FieldLength() == 0; }, 2s));
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

// Another program's window, however it is shown over a running lock, is
// covered again within a few frames (the watchdog's ticks alone take up to
// half a second; under Wine, one shown without activation is drawn above the
// lock while the window order puts it below, so no tick ever saw it), and
// takes no click.
TEST_F(UnlockEndToEnd, NoWindowOfAnotherProgramShowsOverTheLock) {
    ASSERT_TRUE(Configure({}));
    ASSERT_TRUE(StartWitness());
    ASSERT_TRUE(Lock(L"+lock"));
    ASSERT_TRUE(WaitFor([] { return EdgesAre(kLockColor); }, 5s)) << DescribeEdges();
    struct Kind { const char* name; DWORD exStyle; bool owned, activated, shownAgain; };
    const Kind kinds[] = {{"activated", 0, false, true, false},
                          {"not activated", 0, false, false, false},
                          {"topmost", WS_EX_TOPMOST, false, false, false},
                          {"tool window", WS_EX_TOOLWINDOW | WS_EX_TOPMOST, false, false, false},
                          {"layered", WS_EX_LAYERED | WS_EX_TOPMOST, false, false, false},
                          {"owned", WS_EX_TOPMOST, true, false, false},
                          {"shown again", WS_EX_TOPMOST, false, false, true}};
    const POINT under{140, 100};  // inside each window, far from the dialog
    for (const Kind& kind : kinds) {
        SCOPED_TRACE(kind.name);
        // Each from a lock whose dialog has the foreground back, and whose
        // guardian is up: its start stacks windows of its own.
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
            // A few frames under Wine's round trips on a busy machine; the
            // watchdog's tick alone never sees most of these.
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

// A damaged password value (its kinds are the settings' tables') is never "no
// password": no lock that anyone can open, and no query that says yes.
TEST_F(UnlockEndToEnd, DamagedPasswordNeverOpens) {
    const exstring right = L"\"" + Program() + L"\" +checkpwd open42";
    const exstring empty = L"\"" + Program() + L"\" +checkpwd \"\"";
    const wchar_t notHex[] = L"0123456789abcdef0123456789abcdeg";
    const exstring globalPath = exstring(kKeyPath) + L"\\global";
    // The machine's copy is the newer one and damaged; the user's older copy
    // is absent, sound, or damaged too.
    enum UserCopy { kNone, kSound, kDamaged };
    // Both values that hold the password, the salted one and the old one.
    const wchar_t* const values[] = {L"pwdDigest", L"Password"};
    auto damage = [&](HKEY root) {
        bool written = true;
        for (const wchar_t* value : values)
            written = written && RegSetKeyValueW(root, globalPath.c_str(), value, REG_SZ, notHex, sizeof(notHex)) ==
                                     ERROR_SUCCESS;
        return written;
    };
    auto store = [&](UserCopy user) {
        CleanRegistry();
        if (!Configure({})) return false;
        const wchar_t older[] = L"1";
        if (user != kNone) {
            for (const wchar_t* value : values) {
                wchar_t sound[160] = {};
                DWORD size = sizeof(sound);
                RegGetValueW(HKEY_LOCAL_MACHINE, globalPath.c_str(), value, RRF_RT_REG_SZ, nullptr, sound, &size);
                RegSetKeyValueW(HKEY_CURRENT_USER, globalPath.c_str(), value, REG_SZ, sound, size);
            }
            RegSetKeyValueW(HKEY_CURRENT_USER, globalPath.c_str(), L"modifiedTime", REG_SZ, older, sizeof(older));
        }
        return damage(HKEY_LOCAL_MACHINE) && (user != kDamaged || damage(HKEY_CURRENT_USER));
    };
    for (const UserCopy user : {kNone, kSound, kDamaged}) {
        SCOPED_TRACE(std::string("user copy ") + "-sd"[user]);
        ASSERT_TRUE(store(user));
        EXPECT_EQ(Start(right).ExitCode(10000), user == kSound ? 0u : 0xFFFFFFFFu) << "the right password";
        EXPECT_EQ(Start(empty).ExitCode(10000), 0xFFFFFFFFu) << "an empty password";
    }

    // A lock request says why it does not lock, then offers the main window.
    ASSERT_TRUE(store(kDamaged));
    ExpectRefusalThenMainWindow();
}

// The organisation's rules at the lock: no lock without the password it
// requires; the message in the dialog when the screen stays visible, and
// without the "Locked by" line it turned off.
TEST_F(UnlockEndToEnd, OrganisationRulesAtTheLock) {
    const DWORD on = 1, off = 0;
    const std::wstring message = L"This computer belongs to Acme IT. Found it? Call +1 555 0100.";
    ASSERT_TRUE(Configure({"", {}, false, {}}));
    ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, kPolicyKeyPath, L"PasswordRequired", REG_DWORD, &on, 4), ERROR_SUCCESS);
    ExpectRefusalThenMainWindow();

    ASSERT_TRUE(Configure({kPassword, {}, true, {}}));
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kPolicyKeyPath, L"LockMessage", REG_SZ, message.c_str(),
                              static_cast<DWORD>((message.size() + 1) * 2)), ERROR_SUCCESS);
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kPolicyKeyPath, L"ShowLockedBy", REG_DWORD, &off, 4), ERROR_SUCCESS);
    ASSERT_TRUE(Lock(L"+lock"));
    EXPECT_NE(VisibleChildStartingWith(dialog, message), nullptr) << "no message line in the dialog";
    EXPECT_EQ(VisibleChildStartingWith(dialog, L"Locked by "), nullptr);
    UnlockAndExpectTheEnd();
}

// One key going down or up as a keyboard driver sends it, with its scan code.
void Stroke(WORD key, WORD scan, DWORD flags) {
    INPUT input{INPUT_KEYBOARD, {}};
    input.ki = KEYBDINPUT{key, scan, flags, 0, 0};
    SendInput(1, &input, sizeof(INPUT));
}

// AltGr as Windows' keyboard drivers send it: a left Ctrl they make up (scan
// code 0x21D), then the extended right Alt. Wine cannot switch the dialog to
// a layout with AltGr characters and gives none for injected AltGr, so the
// character shows only on Windows: here the pair must reach the system while
// Q goes by, and Q must not arrive plain. Then Num Lock, off at the start:
// a keypad key shows a note, Num Lock takes it away, and the keypad's digits
// unlock. (X keeps its own Num Lock, so under Wine the keypad types digits
// even with Num Lock dropped; the note shows the state the dialog was given.)
TEST_F(UnlockEndToEnd, AltGrNumLockAndTheKeypad) {
    ASSERT_TRUE(Configure({"4217", {}, false, {}}));
    if ((GetKeyState(VK_NUMLOCK) & 1) != 0) Keys({VK_NUMLOCK}, true);
    ASSERT_TRUE(WaitFor([] { return (GetKeyState(VK_NUMLOCK) & 1) == 0; }, 2s)) << "Num Lock stays on";
    ASSERT_TRUE(Lock(L"+lock"));
    ExpectFocusInField();
    // Typed once the dialog is in front and the guardian is up: a hold that
    // starts lets go of the modifiers, AltGr's among them.
    ASSERT_TRUE(SteadyFor([&] { return GetForegroundWindow() == dialog && ProgramProcesses().size() >= 2; }, 300ms, 5s));
    Stroke(VK_LCONTROL, 0x21D, 0);
    Stroke(VK_RMENU, 0x38, KEYEVENTF_EXTENDEDKEY);
    const auto altGrHeld = [] { return (GetAsyncKeyState(VK_LCONTROL) & GetAsyncKeyState(VK_RMENU) & 0x8000) != 0; };
    EXPECT_TRUE(WaitFor(altGrHeld, 2s)) << "AltGr did not reach the system";
    Keys({'Q'});
    Stroke(VK_LCONTROL, 0x21D, KEYEVENTF_KEYUP);
    Stroke(VK_RMENU, 0x38, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP);
    // The US layout Wine gives has no AltGr+Q character, nor has Windows'.
    EXPECT_TRUE(NeverWithin([&] { return FieldLength() != 0; })) << "AltGr+Q arrived as a plain q";

    Stroke(VK_END, 0x4F, 0);  // the keypad's 1 with Num Lock off
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
        for (LRESULT left = FieldLength(); left > 0; --left) Keys({VK_BACK});
        ASSERT_TRUE(WaitFor([&] { return FieldLength() == 0; }, 2s));
    }
    // Ending the lock during a wait hands out no fresh tries: the relock waits on.
    Submit("wrong");
    ASSERT_TRUE(WaitFor([&] { return VisibleChildStartingWith(dialog, L"Try again in 4 s") != nullptr; }, 2s));
    const DWORD killed = program.id;
    program.Kill();
    DWORD relock = 0;
    ASSERT_TRUE(WaitFor([&] {
        for (DWORD id : ProgramProcesses())
            if (id != killed && (dialog = FindDialog(id)) != nullptr) relock = id;
        return relock != 0;
    }, 5s)) << "no relock";
    program.handle.Reset(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE, relock));
    program.id = relock;
    field = GetDlgItem(dialog, kFieldId);
    EXPECT_TRUE(WaitFor([&] { return VisibleChildStartingWith(dialog, L"Try again in ") != nullptr; }, 2s))
        << "the relock forgot the wait";
    EXPECT_FALSE(UnlockEnabled());
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == dialog; }, 3s));
    ExpectFocusInField();
    EXPECT_TRUE(WaitFor([&] { return VisibleChildStartingWith(dialog, L"Try again in ") == nullptr; }, 6s));
    UnlockAndExpectTheEnd();
}

// The task manager that Ctrl+Alt+Del offers stays closed while a lock lasts,
// and so do the accessibility shortcuts; the user's own settings come back
// exactly, also after a crash.
TEST_F(UnlockEndToEnd, TaskManagerClosedWhileLocked) {
    const wchar_t policyPath[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
    auto policy = [&](DWORD& type) {
        wchar_t data[16] = {};
        DWORD size = sizeof(data);
        type = REG_NONE;
        if (RegGetValueW(HKEY_CURRENT_USER, policyPath, L"DisableTaskMgr", RRF_RT_ANY, &type, data, &size) !=
            ERROR_SUCCESS) {
            type = REG_NONE;
            return std::wstring(L"absent");
        }
        DWORD number = 0;
        std::memcpy(&number, data, sizeof(number));
        return type == REG_DWORD ? std::to_wstring(number) : std::wstring(data);
    };
    // Wine keeps no accessibility flags: only the record of the user's own
    // shows that the lock closed the shortcuts and that they were put back.
    auto shortcutsRecorded = [] {
        return RegGetValueW(HKEY_CURRENT_USER, L"Software\\Quarnwick\\Marrowgate", L"AccessShortcutsPrior",
                            RRF_RT_ANY, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    };
    // Each kind of prior value once after an unlock or a crash; both ends
    // restore through the same code, so the crossing adds only time.
    struct Prior { const wchar_t* text; DWORD type; bool crash; };
    const Prior priors[] = {{L"absent", REG_NONE, true}, {L"0", REG_DWORD, false}, {L"user's own", REG_SZ, true}};
    ASSERT_TRUE(Configure({}));
    for (const Prior& prior : priors) {
        SCOPED_TRACE(Utf8(prior.text) + (prior.crash ? ", crashed" : ""));
        RegDeleteKeyValueW(HKEY_CURRENT_USER, policyPath, L"DisableTaskMgr");
        const DWORD zero = 0;
        if (prior.type == REG_DWORD)
            RegSetKeyValueW(HKEY_CURRENT_USER, policyPath, L"DisableTaskMgr", REG_DWORD, &zero, sizeof(zero));
        if (prior.type == REG_SZ)
            RegSetKeyValueW(HKEY_CURRENT_USER, policyPath, L"DisableTaskMgr", REG_SZ, prior.text,
                            static_cast<DWORD>((wcslen(prior.text) + 1) * 2));
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
            const exstring command = RunEntry();
            EXPECT_TRUE(command.size() > 6 && command.substr(command.size() - 6) == L" +boot")
                << "a killed lock comes back at the next log-on: " << Utf8(command);
            ASSERT_TRUE(Launch(L"\"" + Program() + L"\""));
            EndAllPrograms();
        }
        EXPECT_EQ(policy(type), prior.text);
        EXPECT_EQ(type, prior.type);
        EXPECT_FALSE(shortcutsRecorded()) << "the accessibility shortcuts were not put back";
    }
    RegDeleteKeyValueW(HKEY_CURRENT_USER, policyPath, L"DisableTaskMgr");
}
