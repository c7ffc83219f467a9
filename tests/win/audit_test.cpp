// The audit trail in the Application event log. Wine's ReportEventW stores nothing to read back, so
// tests/audit_trace.sh collects its trace of each call; on Windows the Event Viewer shows the entries.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>

#include "app/lockcause.h"
#include "app/trayhelper.h"
#include "base/eventlog.h"
#include "res/resource.h"
#include "settings/audittrail.h"
#include "testsupport.h"

namespace {

using namespace e2e;

// The causes the helper's starts give are named end to end below; here, the rest.
TEST(LockCauseOf, CommandLines) {
    struct Case { std::vector<exstring> tokens; LockCause cause; };
    const Case cases[] = {
        {{L"+lock", L"+BOOT"}, LockCause::kLogOn},
        {{L"+LOCK", L"Idle"}, LockCause::kIdle},
        // Anything else is the plain switch, whoever wrote it.
        {{L"+lock", L"sleep"}, LockCause::kStartSwitch},
        {{L"+lock", L"idle", L"icon"}, LockCause::kStartSwitch},
        {{L"idle", L"+lock"}, LockCause::kStartSwitch},
    };
    for (const auto& entry : cases)
        EXPECT_EQ(LockCauseOf(entry.tokens, false), entry.cause)
            << Utf8(entry.tokens.back()) << " of " << entry.tokens.size() << " tokens";
}

// Each ReportEventW call in the trace, as its event number (the ID's low 16 bits) and its strings.
std::vector<std::string> ReportedEvents() {
    wchar_t path[MAX_PATH] = {};
    GetEnvironmentVariableW(L"MG_EVENT_TRACE", path, MAX_PATH);
    std::ifstream trace(Utf8(path));
    // A call as (log,type,category,id,..., then each of its strings on a line of its own.
    static const std::regex call(R"re(ReportEventW \((?:[^,]*,){3}([^,]+),)re"),
        text(R"re(:eventlog:ReportEventW L"(.*)")re");
    std::vector<std::string> events;
    std::smatch match;
    for (std::string line; std::getline(trace, line);) {
        if (std::regex_search(line, match, call))
            events.push_back(std::to_string(std::stoul(match[1].str(), nullptr, 16) & 0xFFFF));
        else if (!events.empty() && std::regex_search(line, match, text))
            events.back() += " " + match[1].str();
    }
    return events;
}

class AuditTrail : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_GT(GetEnvironmentVariableW(L"MG_EVENT_TRACE", nullptr, 0), 0u)
            << "run by tests/audit_trace.sh, which collects Wine's trace";
        EndAllPrograms();
        CleanRegistry();
        ASSERT_TRUE(Configure({}));
    }
    void TearDown() override {
        EndAllPrograms();
        CleanRegistry();
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, EventSourceKeyPath(kEventSource).c_str());
    }
    bool AwaitLock(const std::vector<DWORD>& besides = {}) { return (lock_ = e2e::AwaitLock(besides)) != 0; }
    bool AwaitGuardian(DWORD besides = 0) {
        return WaitFor([&] { return (guardian_ = GuardianBesides({lock_, besides})) != 0; }, 5s);
    }
    void TypeIntoLock(const char* text) const {
        ASSERT_TRUE(e2e::TypeIntoLock(lock_, text)) << "the dialog is not in front";
    }
    // This test's events, once there are `count` of them (the trace is the whole run's).
    std::vector<std::string> Events(size_t count) const {
        std::vector<std::string> events;
        WaitFor([&] { return (events = ReportedEvents()).size() >= before_ + count; }, 5s);
        return std::vector<std::string>(events.begin() + static_cast<std::ptrdiff_t>(std::min(before_, events.size())),
                                        events.end());
    }
    static LSTATUS RegisterSource() {
        return RegSetKeyValueW(HKEY_LOCAL_MACHINE, EventSourceKeyPath(kEventSource).c_str(), nullptr, REG_SZ, L"", 2);
    }

    DWORD lock_ = 0, guardian_ = 0;
    const size_t before_ = ReportedEvents().size();
};

// A portable copy writes nothing; once the source is registered, each thing that happens to a lock.
TEST_F(AuditTrail, NothingUntilTheSourceIsRegisteredThenWhatHappensToALock) {
    Start(L"\"" + Program() + L"\" +lock");
    ASSERT_TRUE(AwaitLock());
    ASSERT_NO_FATAL_FAILURE(TypeIntoLock(kPassword));
    ASSERT_TRUE(WaitFor([] { return ProgramProcesses().empty(); }, 5s));
    EXPECT_EQ(Events(0), std::vector<std::string>());

    ASSERT_EQ(RegisterSource(), ERROR_SUCCESS);
    Start(L"\"" + Program() + L"\" +lock");
    ASSERT_TRUE(AwaitLock());
    ASSERT_TRUE(AwaitGuardian()) << "no guardian";
    ASSERT_NO_FATAL_FAILURE(TypeIntoLock("not it"));
    EXPECT_EQ(Events(2), (std::vector<std::string>{"101", "111 1"}));
    const DWORD guardian = guardian_;
    KillProcess(guardian);
    ASSERT_TRUE(AwaitGuardian(guardian)) << "no new guardian";
    RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System",
                       L"DisableTaskMgr");
    EXPECT_EQ(Events(4), (std::vector<std::string>{"101", "111 1", "121", "131"}));
    const DWORD killed = lock_;
    KillProcess(killed);
    ASSERT_TRUE(AwaitLock({killed, guardian_})) << "no relock";
    ASSERT_NO_FATAL_FAILURE(TypeIntoLock(kPassword));
    ASSERT_TRUE(WaitFor([] { return ProgramProcesses().empty(); }, 5s));
    EXPECT_EQ(Events(6), (std::vector<std::string>{"101", "111 1", "121", "131", "120", "110"}));

    // A lock refused for a damaged password says so in a message box, which the end of the test closes.
    CleanRegistry();
    ASSERT_TRUE(Configure({}));
    const wchar_t notHex[] = L"0123456789abcdef0123456789abcdeg";
    for (const wchar_t* value : {L"pwdDigest", L"Password"})
        ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, (exstring(kKeyPath) + L"\\global").c_str(), value, REG_SZ, notHex,
                                  sizeof(notHex)),
                  ERROR_SUCCESS);
    Start(L"\"" + Program() + L"\" +lock");
    EXPECT_EQ(Events(7),
              (std::vector<std::string>{"101", "111 1", "121", "131", "120", "110", "130 the stored password"}));
}

// Each way the helper locks starts one lock in a process of its own, and tells it what started it.
TEST_F(AuditTrail, EachWayTheHelperLocksIsNamed) {
    ASSERT_EQ(RegisterSource(), ERROR_SUCCESS);
    mgtSettings settings;
    settings.lockOnSleep = true;
    ASSERT_TRUE(settings.Save());
    struct Way { const char* way; UINT message; WPARAM wParam; LPARAM lParam; const char* event; };
    const Way ways[] = {{"suspend notice", WM_POWERBROADCAST, PBT_APMSUSPEND, 0, "104"},
                {"left click on the icon", kTrayNotifyMessage, 1, WM_LBUTTONUP, "105"},
                {"Lock Now in its menu", WM_COMMAND, IDM_TRAY_LOCK_NOW, 0, "105"},
                {"the hot key", WM_HOTKEY, kLockHotKeyId, 0, "103"}};
    std::vector<std::string> expected;
    for (const auto& way : ways) {
        SCOPED_TRACE(way.way);
        const Process helper = Start(L"\"" + Program() + L"\" +tray");
        HWND window = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (window = FindWindowW(kTrayWindowClass, nullptr)) != nullptr; }, 10s));
        PostMessageW(window, way.message, way.wParam, way.lParam);
        ASSERT_TRUE(AwaitLock({helper.id}));
        ASSERT_NO_FATAL_FAILURE(TypeIntoLock(kPassword));
        ASSERT_TRUE(WaitFor([&] { return ProgramProcesses() == std::vector<DWORD>{helper.id}; }, 5s));
        expected.insert(expected.end(), {way.event, "110"});
        EXPECT_EQ(Events(expected.size()), expected);
        EndAllPrograms();
    }
}

// The event viewer's texts come from the program's message table, with their inserts in place.
TEST(AuditMessages, TheProgramCarriesItsMessageTable) {
    const UniqueModule program(LoadLibraryExW(Program().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_NE(program.Get(), nullptr);
    const DWORD_PTR inserts[] = {reinterpret_cast<DWORD_PTR>(L"3"), reinterpret_cast<DWORD_PTR>(L"3.")};
    wchar_t text[512] = {};
    // A policy value ignored, with the severity bits of a warning as the program reports it.
    FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY, program.Get(), 0x8000008C, 0x409, text,
                   512, reinterpret_cast<va_list*>(const_cast<DWORD_PTR*>(inserts)));
    EXPECT_NE(std::wstring(text).find(L"value 3 was ignored: 3."), std::wstring::npos) << Utf8(text);
}

} // namespace
