// Start-up cost of the password query against a program that returns at once,
// measured in the same run, alternating, as medians of many starts.
#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

std::wstring Directory() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    PathRemoveFileSpecW(path);
    return std::wstring(path) + L"\\";
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
    WaitForSingleObject(info.hProcess, INFINITE);
    const auto end = std::chrono::steady_clock::now();
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return std::chrono::duration<double>(end - begin).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const int runs = argc > 1 ? std::max(3, _wtoi(argv[1])) : 40;
    const std::wstring directory = Directory();
    const std::wstring floorProgram = directory + L"bench_minimal.exe";
    const std::wstring program = directory + L"marrowgate.exe";

    // One warm-up each, so that neither pays for first loading alone.
    TimeOneStart(floorProgram, L"");
    TimeOneStart(program, L"+checkpwd warmup");

    std::vector<double> floorTimes, queryTimes;
    for (int i = 0; i < runs; ++i) {
        const double floorTime = TimeOneStart(floorProgram, L"");
        const double queryTime = TimeOneStart(program, L"+checkpwd \"some password\"");
        if (floorTime < 0 || queryTime < 0) {
            std::printf("could not start the programs\n");
            return 1;
        }
        floorTimes.push_back(floorTime);
        queryTimes.push_back(queryTime);
    }
    const double floorMedian = Median(floorTimes);
    const double queryMedian = Median(queryTimes);
    std::printf("startup: %d starts each\n", runs);
    std::printf("  minimal program (floor): median %.1f ms\n", floorMedian * 1000);
    std::printf("  marrowgate +checkpwd:    median %.1f ms\n", queryMedian * 1000);
    std::printf("  ratio: %.2f (aim: at most 1.10)\n", queryMedian / floorMedian);
    return 0;
}
