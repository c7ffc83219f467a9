#include "exprocess.h"

#include <shellapi.h>

#include "../text/textutil.h"
#include "diagnostics.h"

namespace {

const exchar kLaunchTrim[] = L"\r\n\t";

bool StoreTrimmed(const UniqueHandle& process, exstring& field, const exstring& text) {
    if (process.Held()) return false;
    field = text;
    Trim(field, kLaunchTrim, kTrimBoth);
    return true;
}

// The parent's variables, less the hidden "=C:" entries and empty ones.
exstrmap<exstring> CurrentEnvironment() {
    exstrmap<exstring> variables;
    wchar_t* block = GetEnvironmentStringsW();
    if (block == nullptr) return variables;
    for (const wchar_t* entry = block; *entry != L'\0'; entry += TextLength(entry) + 1) {
        const exstring text(entry);
        const size_t equals = text.find(L'=');
        if (equals == exstring::npos || equals == 0 || equals + 1 == text.size()) continue;
        variables[text.substr(0, equals)] = text.substr(equals + 1);
    }
    FreeEnvironmentStringsW(block);
    return variables;
}

} // namespace

bool exprocess::SetProgram(const exstring& program) {
    return StoreTrimmed(process_, program_, program);
}

bool exprocess::SetArguments(const exstring& arguments) {
    return StoreTrimmed(process_, arguments_, arguments);
}

exstring exprocess::CommandLine() const {
    // The child reads its arguments with PathGetArgsW, which skips the first
    // (here empty) token; the space keeps the first argument an argument.
    if (!program_.empty() && !arguments_.empty() && arguments_[0] != L' ') return L" " + arguments_;
    return arguments_;
}

std::vector<wchar_t> exprocess::BuildEnvironmentBlock() const {
    std::vector<wchar_t> block;
    if (environment.empty() && pathDirectories.empty()) return block;

    exstrmap<exstring> variables = CurrentEnvironment();
    for (const auto& variable : environment) variables[variable.first] = variable.second;
    if (!pathDirectories.empty()) {
        exstring path = variables.Has(L"Path") ? variables[L"Path"] : exstring();
        for (const exstring& directory : pathDirectories) path = directory + L";" + path;
        variables[L"Path"] = path;
    }
    for (const auto& variable : variables) {
        block.insert(block.end(), variable.first.begin(), variable.first.end());
        block.push_back(L'=');
        block.insert(block.end(), variable.second.begin(), variable.second.end());
        block.push_back(L'\0');
    }
    block.push_back(L'\0');
    return block;
}

bool exprocess::Launch() {
    if (process_.Held()) return false;
    if (program_.empty() && arguments_.empty()) return false;
    return elevate ? LaunchElevated() : LaunchDirect();
}

bool exprocess::LaunchElevated() {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"runas";
    info.lpFile = program_.c_str();
    info.lpParameters = arguments_.empty() ? nullptr : arguments_.c_str();
    info.lpDirectory = workingDirectory.empty() ? nullptr : workingDirectory.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&info) || info.hProcess == nullptr) return false;
    process_.Reset(info.hProcess);
    return true;
}

bool exprocess::LaunchDirect() {
    std::vector<wchar_t> environmentBlock = BuildEnvironmentBlock();
    exstring commandLine = CommandLine();
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    DWORD flags = CREATE_UNICODE_ENVIRONMENT;
    if (suspended) flags |= CREATE_SUSPENDED;
    const BOOL created = CreateProcessW(
        program_.empty() ? nullptr : program_.c_str(), commandLine.empty() ? nullptr : &commandLine[0], nullptr,
        nullptr, inheritHandles ? TRUE : FALSE, flags, environmentBlock.empty() ? nullptr : environmentBlock.data(),
        workingDirectory.empty() ? nullptr : workingDirectory.c_str(), &startup, &info);
    if (!created) {
        WriteDiagnostic(DiagEvent::kProcessNotStarted, GetLastError());
        return false;
    }
    UniqueHandle thread(info.hThread);
    if (suspended) thread_ = std::move(thread);
    process_.Reset(info.hProcess);
    return true;
}
