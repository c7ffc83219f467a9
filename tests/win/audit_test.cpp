// The audit trail in the Application event log. Wine's ReportEventW stores
// nothing that could be read back; its debug channels print each call (the
// event ID in hex, then each string), so tests/audit_trace.sh runs these
// tests with them on and their standard error, which the program, its
// guardian and relocks inherit, in a file. On
// Windows the same entries show in the Event Viewer (Windows Logs >
// Application, source Marrowgate) with the texts of the program's message
// table, and a portable copy's entries show only once the source is
// registered.
#include <gtest/gtest.h>

#include "app/lockcause.h"
#include "base/eventlog.h"
#include "settings/audittrail.h"
#include "testsupport.h"

namespace {

using namespace e2e;

TEST(LockCauseOf, CommandLines) {
    const struct {
        std::vector<exstring> tokens;
        bool beforeSleep;
        LockCause cause;
    } cases[] = {
        {{L"+lock"}, false, LockCause::kStartSwitch},
        {{L"+boot"}, false, LockCause::kLogOn},
        {{L"+lock", L"+BOOT"}, false, LockCause::kLogOn},
        {{L"+LOCK", L"Idle"}, false, LockCause::kIdle},
        {{L"+lock", L"hotkey"}, false, LockCause::kHotKey},
        {{L"+lock", L"icon"}, false, LockCause::kIcon},
        {{L"+lock", L"1234"}, true, LockCause::kBeforeSleep},
        // Anything else is the plain switch, whoever wrote it.
        {{L"+lock", L"sleep"}, false, LockCause::kStartSwitch},
        {{L"+lock", L"idle", L"icon"}, false, LockCause::kStartSwitch},
        {{L"idle", L"+lock"}, false, LockCause::kStartSwitch},
    };
    for (const auto& entry : cases)
        EXPECT_EQ(LockCauseOf(entry.tokens, entry.beforeSleep), entry.cause)
            << Utf8(entry.tokens.back()) << " of " << entry.tokens.size() << " tokens";
}

// The trace that tests/audit_trace.sh collects; empty when run otherwise.
exstring TraceFile() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(L"MG_EVENT_TRACE", path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? exstring(path) : exstring();
}

// The file's whole text, read while others may still write it.
std::string ReadAll(const exstring& path) {
    const UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, 0, nullptr));
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (file.Held() && ReadFile(file.Get(), buffer, sizeof(buffer), &read, nullptr) && read > 0)
        text.append(buffer, read);
    return text;
}

// Each ReportEventW call in Wine's trace as "<event number>" followed by its
// strings, as the event viewer numbers them (the low 16 bits of the ID).
std::vector<std::string> ReportedEvents(const std::string& trace) {
    std::vector<std::string> events;
    size_t lineStart = 0;
    while (lineStart < trace.size()) {
        size_t lineEnd = trace.find('\n', lineStart);
        if (lineEnd == std::string::npos) lineEnd = trace.size();
        const std::string line = trace.substr(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;
        const size_t call = line.find("ReportEventW (");
        if (call != std::string::npos) {
            // (log, type, category, id, ...
            size_t field = call;
            for (int comma = 0; comma < 3 && field != std::string::npos; ++comma) field = line.find(',', field + 1);
            if (field == std::string::npos) continue;
            const unsigned long id = std::strtoul(line.c_str() + field + 1, nullptr, 16);
            events.push_back(std::to_string(id & 0xFFFF));
        } else if (line.find(":eventlog:ReportEventW ") != std::string::npos && !events.empty()) {
            const size_t quote = line.find("L\"");
            const size_t end = line.rfind('"');
            if (quote != std::string::npos && end > quote + 1) events.back() += " " + line.substr(quote + 2, end - quote - 2);
        }
    }
    return events;
}

class AuditTrail : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(log_.empty()) << "run by tests/audit_trace.sh, which collects Wine's trace";
        EndAllPrograms();
        CleanRegistry();
        ASSERT_TRUE(Configure({}));
    }
    void TearDown() override {
        EndAllPrograms();
        CleanRegistry();
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, EventSourceKeyPath(kEventSource).c_str());
    }
    static void RegisterSource() {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, EventSourceKeyPath(kEventSource).c_str(), 0, nullptr, 0,
                                  KEY_WRITE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
    // "+lock"; its standard error, and its guardian's and relocks', is the trace.
    void StartLock() {
        lock_ = Start(L"\"" + Program() + L"\" +lock").id;
        ASSERT_TRUE(AwaitLock({}));
    }
    bool AwaitLock(const std::vector<DWORD>& besides) {
        return WaitFor([&] {
            for (DWORD id : ProgramProcesses())
                if (std::find(besides.begin(), besides.end(), id) == besides.end() && FindDialog(id) != nullptr &&
                    EdgesAre(kLockColor))
                    return (lock_ = id) != 0;
            return false;
        }, 10s);
    }
    DWORD Guardian() const {
        for (HWND w = FindWindowW(L"MgtGuardianSession", nullptr); w;
             w = FindWindowExW(nullptr, w, L"MgtGuardianSession", nullptr)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner != lock_) return owner;
        }
        return 0;
    }
    void TypeIntoLock(const char* text) {
        HWND dialog = FindDialog(lock_);
        ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == dialog; }, 3s)) << "the dialog is not in front";
        SendMessageW(GetDlgItem(dialog, 1005), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
        Type(text);
        Keys({VK_RETURN});
    }
    // Waits until the trace holds `count` calls; returns what it holds then.
    std::vector<std::string> Events(size_t count) {
        std::vector<std::string> events;
        WaitFor([&] { return (events = ReportedEvents(ReadAll(log_))).size() >= count; }, 5s);
        return events;
    }
    bool Unlocked() {
        return WaitFor([] { return ProgramProcesses().empty(); }, 5s);
    }

    const exstring log_ = TraceFile();
    DWORD lock_ = 0;
};

TEST_F(AuditTrail, NothingUntilTheSourceIsRegisteredThenALockAWrongPasswordARelockAndTheUnlock) {
    // A portable copy: no source, no entry.
    ASSERT_NO_FATAL_FAILURE(StartLock());
    ASSERT_NO_FATAL_FAILURE(TypeIntoLock("not it"));
    ASSERT_NO_FATAL_FAILURE(TypeIntoLock(kPassword));
    ASSERT_TRUE(Unlocked());
    EXPECT_EQ(ReportedEvents(ReadAll(log_)), std::vector<std::string>());

    ASSERT_NO_FATAL_FAILURE(RegisterSource());
    ASSERT_NO_FATAL_FAILURE(StartLock());
    DWORD guardian = 0;
    ASSERT_TRUE(WaitFor([&] { return (guardian = Guardian()) != 0; }, 5s)) << "no guardian";
    ASSERT_NO_FATAL_FAILURE(TypeIntoLock("not it"));
    EXPECT_EQ(Events(2), (std::vector<std::string>{"101", "111 1"}));
    const DWORD killed = lock_;
    KillProcess(killed);
    ASSERT_TRUE(AwaitLock({killed, guardian})) << "no relock";
    ASSERT_NO_FATAL_FAILURE(TypeIntoLock(kPassword));
    ASSERT_TRUE(Unlocked());
    EXPECT_EQ(Events(4), (std::vector<std::string>{"101", "111 1", "120", "110"}));
}

} // namespace
