// The key rules of a lock, shared by the lock and the guardian's hold: which
// key events a low-level keyboard hook lets through, judged from the event
// alone and the modifiers the hook saw go by. Pure and allocation-free, so
// that a hook procedure may call it on any thread.
#pragma once

#include <windows.h>

// The modifiers as the hook last saw them go by. The hook drops most of them,
// so the system's key state may never learn of them; and reading that state
// is a trip to the window server on every key.
struct KeyFilterState {
    unsigned down = 0;
};

enum class KeyVerdict {
    kDrop,
    // Only while one of the lock's own windows has the foreground.
    kPassToOwnWindows,
    // The lock's own release of keys held when it began: it must reach the
    // system whatever window is in front.
    kPass,
};

// Notes the event in `state`, then judges it. AltGr arrives as a left Ctrl
// that the keyboard driver makes up (scan code 0x21D) and the extended right
// Alt: together they pass. A real Ctrl passes alone, for a screen reader to
// fall silent, but no key pressed beside it does. A screen reader's Insert and
// Caps Lock chords pass like any key that opens nothing.
KeyVerdict FilterKey(const KBDLLHOOKSTRUCT& key, KeyFilterState& state);

// The modifiers down in the eyes of `keyState` (answering as GetAsyncKeyState).
KeyFilterState HeldModifiers(SHORT(WINAPI* keyState)(int));

// Tells the system, and the hooks, that every Win, Ctrl, Alt and Shift key is
// up. A harmless key goes first, so that a Win or Alt release opens no Start
// menu and no menu bar.
void ReleaseHeldModifiers();

// Marks the releases above, which the filter passes.
constexpr ULONG_PTR kHeldKeyReleaseMarker = 0x4D675271;
// Unassigned: it types nothing and starts nothing.
constexpr WORD kHarmlessKey = 0xE8;
