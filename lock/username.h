// The name of the user who locked the screen, as a passer-by would know it.
#pragma once

#include <windows.h>

#include <memory>
#include <mutex>

#include "../text/exstring.h"

// The user's display name, or the account name where there is none.
exstring UserDisplayName();
// The account name alone: a local question, answered at once.
exstring UserAccountName();

// The display name looked up on a short thread of its own: on a domain
// laptop away from its controller the lookup can wait for tens of seconds,
// and the lock's window thread waits for nothing. The thread shares this
// with whoever asked, and may outlive them.
class DisplayNameLookup {
public:
    using LookupFn = exstring (*)();
    // Null when no thread could be started.
    static std::shared_ptr<DisplayNameLookup> Start(LookupFn lookup = UserDisplayName);
    // Where `message` is posted once the name is known (the latest window
    // wins: the dialog may be made again meanwhile).
    void Notify(HWND window, UINT message);
    // False until the name is known.
    bool Result(exstring& name) const;

private:
    void Finish(const exstring& name);

    mutable std::mutex mutex_;
    exstring name_;
    bool done_ = false;
    HWND window_ = nullptr;
    UINT message_ = 0;
};
