// A one-line note that Caps Lock is on, shown under a password field while
// a password field has the focus, so that a refused password is no mystery.
#pragma once

#include <windows.h>

#include "../text/exstring.h"
#include "../toolkit/exstatic.h"

// A hidden one-line static in the dialog's font, for a note made at run time.
HWND CreateTextLine(HWND dialog, const RECT& where, const exstring& text);

class CapsLockNote {
public:
    // Creates the hidden note inside `dialog`, just below `above`, as wide as it.
    bool Create(HWND dialog, HWND above, const exstring& text);
    // Shows the note exactly when `fieldFocused` and Caps Lock is on.
    void Update(bool fieldFocused);
    HWND Handle() const { return note_.Handle(); }
    bool Visible() const;

    static bool CapsLockOn();
    // Whether a queued message may have changed the Caps Lock state.
    static bool MayToggle(const MSG& message);

private:
    exStatic note_;
};
