// The single-instance facility: one instance shows its windows, a second
// start brings that one to the front, and a restart hands the role over to
// the fresh process it starts, once the old one has ended.
#pragma once

#include <windows.h>

#include <vector>

#include "../text/exstring.h"
#include "../base/uniquehandle.h"

// What a restart marker on a command line carries.
struct RestartMarkerParse {
    bool found = false;
    exstring value;  // the hand-over mutex name (may be empty)
};

// Finds `marker` (exactly, letter case included) in `arguments`; its value
// runs to the next space.
RestartMarkerParse ParseRestartMarker(const exstring& arguments, const exstring& marker);

class exrestart {
public:
    enum CheckResult : int { kContinue = 1, kOtherInstance = -1 };

    explicit exrestart(const exstring& name);
    virtual ~exrestart();
    exrestart(const exrestart&) = delete;
    exrestart& operator=(const exrestart&) = delete;

    bool Initialize(bool create);
    // Reads this process's command line. `activateOther`: a second start
    // calls the running instance to the front.
    int CheckInstance(bool activateOther = true);
    int CheckInstance(const exstring& arguments, bool activateOther = true);
    // True when `message` was the activation request and was acted on.
    bool OnMessage(HWND window, UINT message);
    bool Restart();

    const exstring& Name() const { return name_; }
    const exstring& RestartMarker() const { return restartMarker_; }
    UINT ActivationMessage() const { return activationMessage_; }
    bool HoldsInstanceMutex() const { return instanceMutex_.Held(); }
    // The hand-over mutex of the last successful restart.
    const exstring& HandoverName() const { return handoverName_; }
    // The program to start; this program unless set (tests start a host).
    void SetProgram(const exstring& program) { program_ = program; }

    static constexpr DWORD kHandoverWaitMs = 15000;
    static constexpr unsigned kFirstHandoverNumber = 1000;
    static constexpr unsigned kHandoverAttempts = 10000;

private:
    exstring ProgramPath() const;

    exstring name_;
    exstring restartMarker_;
    UniqueHandle instanceMutex_;
    UINT activationMessage_ = 0;
    std::vector<UniqueHandle> handoverMutexes_;
    exstring handoverName_;
    exstring program_;
};
