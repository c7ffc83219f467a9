// The diagnostics file: it stays under its cap, keeps the lines before, and
// gives up quietly where it cannot write.
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

// A folder of its own below the temporary folder, removed with what it holds.
struct ScratchFolder {
    explicit ScratchFolder(const wchar_t* name) : folder(e2e::TempPath(name)) {
        Clear();
        CreateDirectoryW(folder.c_str(), nullptr);
    }
    ~ScratchFolder() { Clear(); }
    void Clear() const {
        for (const exstring& file : {log, OlderDiagnosticsPath(log), exstring(folder + L"\\new\\d.log"),
                                     exstring(folder + L"\\new")})
            DeleteFileW(file.c_str());
        RemoveDirectoryW((folder + L"\\new").c_str());
        RemoveDirectoryW(folder.c_str());
    }
    exstring folder;
    exstring log = folder + L"\\d.log";
};

std::string Line(int number) {
    return "line " + std::to_string(number) + std::string(34, '.') + "\r\n";  // 42 bytes
}

TEST(DiagnosticsFile, StaysUnderItsCapAndKeepsTheLinesBefore) {
    const ScratchFolder scratch(L"mg_diag_cap");
    for (int number = 0; number < 5; ++number) ASSERT_TRUE(AppendCapped(scratch.log, Line(number), 100)) << number;
    // Two lines fit in 100 bytes: the third and the fifth started a new file.
    EXPECT_EQ(FileText(scratch.log), Line(4));
    EXPECT_EQ(FileText(OlderDiagnosticsPath(scratch.log)), Line(2) + Line(3));
}

TEST(DiagnosticsFile, PlacesItCannotWriteLoseTheLineOnly) {
    const ScratchFolder scratch(L"mg_diag_places");
    // The program's own folder is made on the first line.
    EXPECT_TRUE(AppendCapped(scratch.folder + L"\\new\\d.log", Line(0), 100));
    EXPECT_FALSE(AppendCapped(scratch.folder + L"\\no\\such\\d.log", Line(0), 100));
    ASSERT_TRUE(AppendCapped(scratch.log, Line(0), 100));
    {
        // Held by another without sharing: refused at once, never waited for.
        const UniqueHandle held(
            CreateFileW(scratch.log.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(held.Held());
        EXPECT_FALSE(AppendCapped(scratch.log, Line(1), 100));
    }
    // A folder where the file should be. (A read-only file is refused the
    // same way on Windows; Wine run as root, as here, appends to one.)
    EXPECT_FALSE(AppendCapped(scratch.folder, Line(2), 100));
    EXPECT_EQ(FileText(scratch.log), Line(0));
}

// Written only while turned on, by the setting or the environment.
TEST(DiagnosticsFile, WrittenOnlyWhileTurnedOn) {
    std::string text;
    {
        const e2e::DiagnosticsOn folder;
        SetEnvironmentVariableW(L"MG_DIAGNOSTICS", nullptr);
        WriteDiagnostic(DiagEvent::kLocked, 1);
        SetEnvironmentVariableW(L"MG_DIAGNOSTICS", L"1");
        WriteDiagnostic(DiagEvent::kHookInstallFailed, 5);
        SetEnvironmentVariableW(L"MG_DIAGNOSTICS", nullptr);
        EnableDiagnosticsFile(true);
        WriteDiagnostic(DiagEvent::kUnlocked);
        EnableDiagnosticsFile(false);
        WriteDiagnostic(DiagEvent::kLocked, 0);
        text = folder.Text();
    }
    const std::string process = " " + std::to_string(GetCurrentProcessId()) + " ";
    std::istringstream lines(text);
    std::string first, second, more;
    std::getline(lines, first);
    std::getline(lines, second);
    EXPECT_NE(first.find(process + "hook-install-failed 5\r"), std::string::npos) << text;
    EXPECT_NE(second.find(process + "unlocked 0\r"), std::string::npos) << text;
    EXPECT_FALSE(std::getline(lines, more)) << text;
}

} // namespace
