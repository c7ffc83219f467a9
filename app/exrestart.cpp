#include "exrestart.h"

#include "../text/pathutil.h"
#include "../text/textutil.h"
#include "../base/excmdline.h"
#include "../base/exprocess.h"
#include "../base/foreground.h"

namespace {

const exchar kArgumentTrim[] = L" \r\n\t";

exstring Trimmed(exstring text) {
    return Trim(text, kArgumentTrim, kTrimBoth);
}

} // namespace

RestartMarkerParse ParseRestartMarker(const exstring& arguments, const exstring& marker) {
    RestartMarkerParse parse;
    if (marker.empty()) return parse;
    // Trimmed, so that a line break closing the command line is not read as part of the value.
    const exstring text = Trimmed(arguments);
    const size_t at = text.find(marker);
    if (at == exstring::npos) return parse;
    parse.found = true;
    const size_t valueStart = at + marker.size();
    size_t valueEnd = text.find(L' ', valueStart);
    if (valueEnd == exstring::npos) valueEnd = text.size();
    parse.value = text.substr(valueStart, valueEnd - valueStart);
    return parse;
}

exrestart::exrestart(const exstring& name) : name_(name), restartMarker_(L"/" + name + L"_EXRRESTART:") {}

exrestart::~exrestart() {
    Initialize(false);
}

bool exrestart::Initialize(bool create) {
    if (!create) {
        activationMessage_ = 0;
        instanceMutex_.Reset();
        return true;
    }
    activationMessage_ = RegisterWindowMessageW((name_ + L"_WM_EXRACTIVE").c_str());
    SetLastError(0);
    UniqueHandle mutex(CreateMutexW(nullptr, FALSE, (name_ + L"EXRSIMUTEX").c_str()));
    // Another instance made it: that one holds the role.
    const bool another = GetLastError() == ERROR_ALREADY_EXISTS;
    instanceMutex_ = another ? UniqueHandle() : std::move(mutex);
    return true;
}

int exrestart::CheckInstance(bool activateOther) {
    const wchar_t* arguments = ArgumentsOf(GetCommandLineW());
    return CheckInstance(arguments != nullptr ? exstring(arguments) : exstring(), activateOther);
}

int exrestart::CheckInstance(const exstring& arguments, bool activateOther) {
    const RestartMarkerParse parse = ParseRestartMarker(arguments, restartMarker_);
    if (parse.found && !parse.value.empty()) {
        // Hand-over: the old process owns this mutex until it ends. This
        // process then takes the role itself; starting yet another process
        // for it would only delay a Lock Now. Started by the old process, it
        // outlives it and so belongs to no live process's tree.
        if (const UniqueHandle handover(OpenMutexW(SYNCHRONIZE, FALSE, parse.value.c_str())); handover.Held()) {
            WaitForSingleObject(handover.Get(), kHandoverWaitMs);
            ReleaseMutex(handover.Get());
        }
        if (!instanceMutex_.Held()) Initialize(true);
    }
    if (!instanceMutex_.Held() && activationMessage_ != 0) {
        if (activateOther) PostMessageW(HWND_BROADCAST, activationMessage_, 0, 0);
        return kOtherInstance;
    }
    return kContinue;
}

bool exrestart::OnMessage(HWND window, UINT message) {
    if (activationMessage_ == 0 || message != activationMessage_ || !IsWindow(window)) return false;
    if (IsIconic(window)) SendMessageW(window, WM_SYSCOMMAND, SC_RESTORE, 0);
    ForceForeground(window);
    return true;
}

exstring exrestart::ProgramPath() const {
    return program_.empty() ? ModulePath(false) : program_;
}

bool exrestart::Restart() {
    exprocess successor;
    successor.SetProgram(ProgramPath());
    successor.SetArguments(L"+lock");

    UniqueHandle mutex;
    exstring mutexName;
    // Bounded: a system that refuses every name must not hang the caller.
    for (unsigned number = kFirstHandoverNumber; number < kFirstHandoverNumber + kHandoverAttempts; ++number) {
        mutexName = name_ + L"_EXRSIPM" + exstring::Format(L"%u", number);
        SetLastError(0);
        mutex.Reset(CreateMutexW(nullptr, TRUE, mutexName.c_str()));
        if (mutex.Held() && GetLastError() == 0) break;
        mutex.Reset();
    }
    if (!mutex.Held()) return false;

    successor.SetArguments(L"+lock " + restartMarker_ + mutexName);
    if (!successor.Launch() || successor.Process() == nullptr) return false;
    // Owned until this process ends: that is the successor's signal to go on.
    handoverMutexes_.push_back(std::move(mutex));
    handoverName_ = mutexName;
    return true;
}
