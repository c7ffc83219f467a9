// The password dialog driven as a user would, message boxes included; then what reached the registry.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <vector>

#include "lang/mgtmlang.h"
#include "res/resource.h"
#include "settings/mgtsettings.h"
#include "settings/registry.h"
#include "testsupport.h"
#include "ui/mgtinputdlg.h"

namespace {

// Buttons to press in the coming message boxes, and their captions ("?": Yes/No; a foreign box: its class first).
std::vector<int> g_answers;
std::vector<exstring> g_seen;
HWND g_dialog = nullptr;

bool AnswerBox() {
    const HWND box = ShownMessageBox(g_dialog);
    if (box == nullptr) return false;
    const std::wstring name = e2e::ClassOf(box);
    const exstring foreign = name != L"exMsgBox00" ? exstring(name.c_str()) + L": " : exstring();
    g_seen.push_back(foreign + WindowTextOf(box) + (GetDlgItem(box, IDYES) != nullptr ? L"?" : L""));
    const HWND button = g_answers.empty() ? nullptr : GetDlgItem(box, g_answers.front());
    if (!g_answers.empty()) g_answers.erase(g_answers.begin());
    if (button != nullptr) SendMessageW(button, BM_CLICK, 0, 0);
    else PostMessageW(box, WM_CLOSE, 0, 0);
    return false;
}

struct ScriptedInputDlg : mgtInputDlg {
    using mgtInputDlg::mgtInputDlg;
    std::function<void(ScriptedInputDlg&)> script;
    BOOL OnInitDialog() override {
        PostMessageW(Handle(), WM_APP, 0, 0);
        return mgtInputDlg::OnInitDialog();
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message != WM_APP) return mgtInputDlg::WindowProc(message, wParam, lParam);
        g_dialog = Handle();
        script(*this);
        if (EndResult() == 0) EndDialog(IDABORT);
        return 0;
    }
    HWND Item(int id) const { return GetDlgItem(Handle(), id); }
    void Type(int id, const wchar_t* text) const { SetWindowTextW(Item(id), text); }
    void Click(int id) const { ::SendMessageW(Item(id), BM_CLICK, 0, 0); }
};

class PasswordDialog : public ::testing::Test {
protected:
    mgtSettings Stored() const { return mgtSettings(store); }
    INT_PTR Run(mgtSettings& settings, std::vector<int> answers, std::function<void(ScriptedInputDlg&)> script) {
        g_answers = std::move(answers);
        g_seen.clear();
        ScriptedInputDlg dialog(settings, strings);
        dialog.script = std::move(script);
        const TimerSteps steps(AnswerBox);
        const INT_PTR result = dialog.DoModal(owner.Handle());
        EXPECT_TRUE(g_answers.empty()) << g_answers.size() << " message boxes never came";
        return result;
    }
    ScratchRoots roots{L"inputdlg"};
    SettingsStore store = roots.Store();
    TestWindow owner{L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE};
    mgtMLang strings;
};

TEST_F(PasswordDialog, MismatchIsReportedInBothFields) {
    mgtSettings settings(store);
    const INT_PTR result = Run(settings, {}, [](ScriptedInputDlg& dlg) {
        EXPECT_EQ(WindowTextOf(dlg.Handle()), exstring(L"Set Password"));
        EXPECT_FALSE(IsWindowEnabled(dlg.Item(IDC_DELETE_PASSWORD))) << "no password to delete";
        dlg.Type(IDC_NEW_PASSWORD, L"Secret");
        dlg.Type(IDC_PASSWORD_HINT, L"the usual");
        EXPECT_FALSE(IsWindowEnabled(dlg.Item(IDOK))) << "the confirmation is still empty";
        dlg.Type(IDC_CONFIRM_PASSWORD, L"secret");
        ASSERT_TRUE(IsWindowEnabled(dlg.Item(IDOK)));
        dlg.Click(IDOK);
        EXPECT_EQ(dlg.EndResult(), 0) << "the dialog stays open";
        for (int id : {IDC_NEW_PASSWORD, IDC_CONFIRM_PASSWORD}) {
            wchar_t cue[64] = {};
            SendMessageW(dlg.Item(id), EM_GETCUEBANNER, reinterpret_cast<WPARAM>(cue), 64);
            EXPECT_STREQ(cue, L"\u00D7 Passwords do not match") << id;
            EXPECT_EQ(GetWindowTextLengthW(dlg.Item(id)), 0) << id;
        }
        EXPECT_EQ(GetFocus(), dlg.Item(IDC_NEW_PASSWORD));
        EXPECT_EQ(WindowTextOf(dlg.Item(IDC_PASSWORD_HINT)), exstring(L"the usual"));
        EXPECT_FALSE(IsWindowEnabled(dlg.Item(IDOK)));

        // With Caps Lock on, a note shows while a password field has the focus.
        const bool capsWasOn = (GetKeyState(VK_CAPITAL) & 1) != 0;
        auto noteShown = [&] {
            for (HWND child = GetWindow(dlg.Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
                if (IsWindowVisible(child) && WindowTextOf(child) == L"Caps Lock is on.") return true;
            return false;
        };
        if (!capsWasOn) e2e::Keys({VK_CAPITAL});
        ASSERT_TRUE(WaitFor([] { return (GetKeyState(VK_CAPITAL) & 1) != 0; }, std::chrono::seconds(2)));
        SetFocus(dlg.Item(IDC_CONFIRM_PASSWORD));
        EXPECT_TRUE(WaitFor(noteShown, std::chrono::seconds(2))) << "no Caps Lock note on a password field";
        SetFocus(dlg.Item(IDC_PASSWORD_HINT));
        EXPECT_TRUE(WaitFor([&] { return !noteShown(); }, std::chrono::seconds(2))) << "the note stays on the hint";
        if (!capsWasOn) e2e::Keys({VK_CAPITAL});
        dlg.Click(IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(g_seen.empty()) << "a mismatch opens no message box";
    EXPECT_TRUE(mgtSettings::IsBlankDigest(Stored().Password));
}

TEST_F(PasswordDialog, NewPasswordIsStoredAsItsDigest) {
    // It would pass through "?" in an ANSI code page without Cyrillic (1252 under Wine).
    const wchar_t* const password = L"\u0436\u0443\u0447\u043A\u0430\u0431";
    mgtSettings settings(store);
    settings.pwdHint = L"old hint";
    ASSERT_TRUE(settings.Save());
    settings.BlankPwdPromptDue(1);
    EXPECT_EQ(Run(settings, {IDOK}, [&](ScriptedInputDlg& dlg) {
                  dlg.Type(IDC_NEW_PASSWORD, password);
                  dlg.Type(IDC_CONFIRM_PASSWORD, password);
                  dlg.Type(IDC_PASSWORD_HINT, L"");
                  dlg.Click(IDOK);
              }),
              IDOK);
    EXPECT_EQ(g_seen, std::vector<exstring>{L"Set Password"});
    const mgtSettings stored = Stored();
    EXPECT_TRUE(stored.Matches(password));
    EXPECT_TRUE(stored.pwdHint.empty());
    EXPECT_TRUE(mgtSettings(store).BlankPwdPromptDue()) << "the missing-password warning is due again";
}

TEST_F(PasswordDialog, DeletionNeedsYes) {
    mgtSettings settings(store);
    PasswordRecord record;
    ASSERT_TRUE(settings.SealPassword(L"pw", record));
    settings.SetPassword(record);
    settings.pwdHint = L"hint";
    ASSERT_TRUE(settings.Save());
    const INT_PTR result = Run(settings, {IDNO, IDYES, IDOK}, [&](ScriptedInputDlg& dlg) {
        dlg.Click(IDC_DELETE_PASSWORD);
        EXPECT_EQ(dlg.EndResult(), 0) << "No keeps the dialog open";
        EXPECT_TRUE(Stored().Matches(L"pw"));
        dlg.Click(IDC_DELETE_PASSWORD);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(g_seen, (std::vector<exstring>{L"Delete Password?", L"Delete Password?", L"Delete Password"}));
    EXPECT_TRUE(mgtSettings::IsBlankDigest(Stored().Password));
    EXPECT_TRUE(Stored().pwdHint.empty());
}

// Neither root can be written: the dialog says so and stays open, and the old password still applies.
TEST_F(PasswordDialog, FailedSaveKeepsTheDialogAndTheOldPassword) {
    const HKEY unwritable = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x7FFFFFF0));
    SettingsStore nowhere{unwritable, unwritable};
    nowhere.passwordRounds = kTestPasswordRounds;
    mgtSettings settings(nowhere);
    PasswordRecord old;
    ASSERT_TRUE(settings.SealPassword(L"pw", old));
    settings.SetPassword(old);
    const INT_PTR result = Run(settings, {IDOK, IDYES, IDOK}, [&](ScriptedInputDlg& dlg) {
        dlg.Type(IDC_NEW_PASSWORD, L"new");
        dlg.Type(IDC_CONFIRM_PASSWORD, L"new");
        dlg.Click(IDOK);
        EXPECT_EQ(dlg.EndResult(), 0) << "a failed save ended the dialog";
        dlg.Click(IDC_DELETE_PASSWORD);
    });
    EXPECT_EQ(result, IDABORT);
    EXPECT_EQ(g_seen, (std::vector<exstring>{L"Set Password", L"Delete Password?", L"Delete Password"}));
    EXPECT_TRUE(settings.Matches(L"pw"));
}

// A password the organisation requires cannot be deleted, and a new one needs the minimum length.
TEST_F(PasswordDialog, OrganisationsMinimumAndNoDeletion) {
    const DWORD required = 1, minimum = 8;
    ASSERT_TRUE(WriteValue(roots.Machine(), kPolicyKeyPath, L"PasswordRequired", &required, 4, REG_DWORD));
    ASSERT_TRUE(WriteValue(roots.User(), kPolicyKeyPath, L"MinPasswordLength", &minimum, 4, REG_DWORD));
    mgtSettings settings(store);
    PasswordRecord old;
    ASSERT_TRUE(settings.SealPassword(L"pw", old));
    settings.SetPassword(old);
    ASSERT_TRUE(settings.Save());
    const INT_PTR result = Run(settings, {IDOK}, [&](ScriptedInputDlg& dlg) {
        EXPECT_FALSE(IsWindowEnabled(dlg.Item(IDC_DELETE_PASSWORD))) << "the required password can be deleted";
        dlg.Type(IDC_NEW_PASSWORD, L"seven77");
        dlg.Type(IDC_CONFIRM_PASSWORD, L"seven77");
        dlg.Click(IDOK);
        EXPECT_EQ(dlg.EndResult(), 0) << "a short password ended the dialog";
        wchar_t cue[64] = {};
        SendMessageW(dlg.Item(IDC_NEW_PASSWORD), EM_GETCUEBANNER, reinterpret_cast<WPARAM>(cue), 64);
        EXPECT_STREQ(cue, L"\u00D7 At least 8 characters");
        dlg.Type(IDC_NEW_PASSWORD, L"eight888");
        dlg.Type(IDC_CONFIRM_PASSWORD, L"eight888");
        dlg.Click(IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(Stored().Matches(L"eight888"));
}

} // namespace
