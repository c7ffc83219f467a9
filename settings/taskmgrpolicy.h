// While a lock lasts, the per-user policy that closes the task manager (the
// one Ctrl+Alt+Del offers) is set. The user's own state of that value is kept
// in a record beside the settings until the lock ends, so that it is put back
// exactly: at unlock, or at the next start after a crash or a power loss.
#pragma once

#include "mgtsettings.h"

class TaskManagerPolicy {
public:
    explicit TaskManagerPolicy(const SettingsStore& store) : store_(store) {}

    // Records the user's state, unless a record is kept already (a relock,
    // or a lock after a crash: the value holds ours then), and sets the
    // policy. A registry that refuses either leaves the lock as it is.
    void Close();
    // Sets the policy again when something cleared or changed it meanwhile
    // (another program, a policy refresh); recorded as Close does. True
    // when it had to.
    bool Hold();
    // Puts the recorded state back and drops the record; nothing without one.
    void Restore();
    bool HasRecord() const;

    static constexpr const wchar_t* kValueName = L"DisableTaskMgr";
    static constexpr const wchar_t* kRecordName = L"DisableTaskMgrPrior";

private:
    const SettingsStore& store_;
};
