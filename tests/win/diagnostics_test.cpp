// The diagnostics file: it stays under its cap, keeps the lines before, and gives up quietly.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "base/diagnostics.h"
#include "testsupport.h"

namespace {

std::string FileText(const exstring& path) {
    std::ifstream in(path.ToUtf8(), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A log of its own in the temporary folder, removed with its older half.
struct ScratchLog {
    explicit ScratchLog(const wchar_t* name) : path(e2e::TempPath(name)) { Remove(); }
    ~ScratchLog() { Remove(); }
    void Remove() const {
        DeleteFileW(path.c_str());
        DeleteFileW(OlderDiagnosticsPath(path).c_str());
    }
    exstring path;
};

std::string Line(int number) {
    return "line " + std::to_string(number) + std::string(34, '.') + "\r\n";  // 42 bytes
}

// The file stays under its cap and keeps the lines before; held elsewhere without sharing, it is
// refused at once, and the line alone is lost.
TEST(DiagnosticsFile, StaysUnderItsCapAndGivesUpQuietly) {
    const ScratchLog log(L"mg_diag_cap.log");
    for (int number = 0; number < 5; ++number) ASSERT_TRUE(AppendCapped(log.path, Line(number), 100)) << number;
    // Two lines fit in 100 bytes: the third and the fifth started a new file.
    EXPECT_EQ(FileText(log.path), Line(4));
    EXPECT_EQ(FileText(OlderDiagnosticsPath(log.path)), Line(2) + Line(3));
    {
        const UniqueHandle held(
            CreateFileW(log.path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(held.Held());
        EXPECT_FALSE(AppendCapped(log.path, Line(5), 100));
    }
    EXPECT_TRUE(AppendCapped(log.path, Line(6), 100));
    EXPECT_EQ(FileText(log.path), Line(4) + Line(6));
}

// Written only while turned on; by the environment is the other tests' way in, here by the setting.
TEST(DiagnosticsFile, WrittenOnlyWhileTurnedOn) {
    const e2e::DiagnosticsOn folder;
    SetEnvironmentVariableW(L"MG_DIAGNOSTICS", nullptr);
    WriteDiagnostic(DiagEvent::kLocked, 1);
    EnableDiagnosticsFile(true);
    WriteDiagnostic(DiagEvent::kUnlocked);
    EnableDiagnosticsFile(false);
    WriteDiagnostic(DiagEvent::kLocked, 2);
    const std::string text = folder.Text();
    EXPECT_EQ(text.find(" locked "), std::string::npos) << text;
    EXPECT_NE(text.find(" unlocked 0\r\n"), std::string::npos) << text;
}

} // namespace
