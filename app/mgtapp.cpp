#include "mgtapp.h"

#include "../app/shell/excmdline.h"
#include "passwordquery.h"
#include "switches.h"
#include "version.h"

namespace {

const exchar kSingleInstanceName[] = L"KVORM";

// Static construction order of the members is the declaration order in mgtApp.
mgtApp g_application;

excmdline ProcessSwitches() {
    excmdline switches;
    const wchar_t* arguments = ArgumentsOf(GetCommandLineW());
    // A line that splits into no token leaves the set empty, as an empty line would.
    switches.Parse(exstring(arguments));
    return switches;
}

} // namespace

mgtApp& TheMgtApp() {
    return g_application;
}

mgtApp::mgtApp() : locker_(&settings_, &strings_), restart_(kSingleInstanceName) {}

mgtApp::~mgtApp() = default;

const exstring& mgtApp::VersionText(bool formatted) {
    if (version_.empty()) version_ = MG_VERSION_WTEXT;
    if (!formatted) return version_;
    if (formattedVersion_.empty()) formattedVersion_ = strings_.GetText(L"global", L"version", version_);
    return formattedVersion_;
}

bool mgtApp::RunApplication() {
    const excmdline switches = ProcessSwitches();
    if (switches.Contains(kSwitchCheckPassword)) {
        SetExitCode(AnswerPasswordQuery(switches.Tokens(), settings_.Password));
        return false;
    }
    restart_.Initialize(true);
    if (restart_.CheckInstance() != exrestart::kContinue) return false;
    StartCommonControls();
    return false;
}
