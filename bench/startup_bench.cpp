// Start-up cost of the password query against a program that returns at once,
// measured in the same run, alternating, as medians of many starts. The query
// checks a salted password with the program's own rounds, as an owner's
// would, so the digest's own time is measured too and added to the floor.
#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "benchprocess.h"
#include "settings/mgtsettings.h"
#include "settings/passwordcheck.h"
#include "settings/systemkdf.h"

namespace {

// A salted password stored for the run; the user's own comes back after.
class BenchPassword {
public:
    BenchPassword() : existed_(SettingsExist()), old_(settings_.Password) {
        PasswordRecord record;
        stored_ = settings_.SealPassword(L"bench password", record);
        settings_.SetPassword(record);
        stored_ = stored_ && settings_.Save();
    }
    BenchPassword(const BenchPassword&) = delete;
    BenchPassword& operator=(const BenchPassword&) = delete;
    ~BenchPassword() {
        if (!existed_) {
            for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) RegDeleteTreeW(root, kKeyPath);
            return;
        }
        settings_.SetPassword(old_);
        if (!settings_.Save()) std::fputs("settings not saved\n", stderr);
    }
    bool Stored() const { return stored_; }

private:
    bool existed_;
    mgtSettings settings_;
    PasswordRecord old_;
    bool stored_ = false;
};

// Seconds for one digest with the program's rounds; negative on failure.
double TimeOneDigest() {
    const wchar_t password[] = L"bench password";
    const uint8_t salt[kPasswordSaltSize] = {};
    uint8_t key[kPasswordKeySize] = {};
    const auto begin = std::chrono::steady_clock::now();
    if (!DerivePbkdf2Sha256(reinterpret_cast<const uint8_t*>(password), sizeof(password) - sizeof(wchar_t), salt,
                            sizeof(salt), kPasswordRounds, key, sizeof(key)))
        return -1;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
}

// Seconds from CreateProcessW to the end of the process; negative on failure.
double TimeOneStart(const std::wstring& program, const std::wstring& arguments) {
    std::wstring line = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    const auto begin = std::chrono::steady_clock::now();
    if (!CreateProcessW(program.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return -1;
    const UniqueHandle thread(info.hThread), process(info.hProcess);
    WaitForSingleObject(process.Get(), INFINITE);
    const auto end = std::chrono::steady_clock::now();
    return std::chrono::duration<double>(end - begin).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const int runs = argc > 1 ? std::max(3, _wtoi(argv[1])) : 15;
    const std::wstring directory = Directory();
    const std::wstring floorProgram = directory + L"bench_minimal.exe";
    const std::wstring program = directory + L"marrowgate.exe";

    const BenchPassword password;
    if (!password.Stored()) {
        std::printf("could not store the password to check\n");
        return 1;
    }
    // One warm-up each, so that neither pays for first loading alone.
    TimeOneStart(floorProgram, L"");
    TimeOneStart(program, L"+checkpwd warmup");
    TimeOneDigest();

    std::vector<double> floorTimes, queryTimes, digestTimes;
    for (int i = 0; i < runs; ++i) {
        const double floorTime = TimeOneStart(floorProgram, L"");
        const double queryTime = TimeOneStart(program, L"+checkpwd \"some password\"");
        const double digestTime = TimeOneDigest();
        if (floorTime < 0 || queryTime < 0 || digestTime < 0) {
            std::printf("could not start the programs or digest\n");
            return 1;
        }
        floorTimes.push_back(floorTime);
        queryTimes.push_back(queryTime);
        digestTimes.push_back(digestTime);
    }
    const double floorMedian = Median(floorTimes);
    const double queryMedian = Median(queryTimes);
    const double digestMedian = Median(digestTimes);
    std::printf("startup: %d starts each\n", runs);
    std::printf("  minimal program (floor):  median %.1f ms\n", floorMedian * 1000);
    std::printf("  password digest, %u rounds: median %.1f ms\n", kPasswordRounds, digestMedian * 1000);
    std::printf("  marrowgate +checkpwd:     median %.1f ms\n", queryMedian * 1000);
    std::printf("  ratio to floor + digest: %.2f (aim: at most 1.10)\n", queryMedian / (floorMedian + digestMedian));
    return 0;
}
