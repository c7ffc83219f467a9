#include "keyfilter.h"

namespace {

// The scan code of the left Ctrl that the keyboard driver makes up for AltGr.
constexpr DWORD kAltGrControlScan = 0x21D;

enum ModifierBit : unsigned {
    kLeftWin = 1,
    kRightWin = 2,
    kLeftAlt = 4,
    kRightAlt = 8,
    kLeftControl = 16,
    kRightControl = 32,
    kAltGrControl = 64,
};

constexpr unsigned kWin = kLeftWin | kRightWin;
constexpr unsigned kAlt = kLeftAlt | kRightAlt;
constexpr unsigned kControl = kLeftControl | kRightControl;

bool IsExtended(const KBDLLHOOKSTRUCT& key) {
    return (key.flags & LLKHF_EXTENDED) != 0;
}

// The side-specific key: injected input may name the generic one.
DWORD SpecificKey(const KBDLLHOOKSTRUCT& key) {
    switch (key.vkCode) {
    case VK_CONTROL: return IsExtended(key) ? VK_RCONTROL : VK_LCONTROL;
    case VK_MENU: return IsExtended(key) ? VK_RMENU : VK_LMENU;
    default: return key.vkCode;
    }
}

unsigned BitOf(const KBDLLHOOKSTRUCT& key) {
    switch (SpecificKey(key)) {
    case VK_LWIN: return kLeftWin;
    case VK_RWIN: return kRightWin;
    case VK_LMENU: return kLeftAlt;
    case VK_RMENU: return kRightAlt;
    case VK_LCONTROL: return key.scanCode == kAltGrControlScan ? kAltGrControl : kLeftControl;
    case VK_RCONTROL: return kRightControl;
    default: return 0;
    }
}

bool IsRelease(const KBDLLHOOKSTRUCT& key) {
    return (key.flags & LLKHF_UP) != 0;
}

bool IsCtrlAltOrShift(DWORD key) {
    switch (key) {
    case VK_CONTROL: case VK_LCONTROL: case VK_RCONTROL: case VK_MENU: case VK_LMENU: case VK_RMENU:
    case VK_SHIFT: case VK_LSHIFT: case VK_RSHIFT:
        return true;
    default:
        return false;
    }
}

// The marker is no secret, so it lets through only what cannot type or start
// anything: releases of modifiers, and the harmless key.
bool IsOwnRelease(const KBDLLHOOKSTRUCT& key) {
    if ((key.flags & LLKHF_INJECTED) == 0 || key.dwExtraInfo != kHeldKeyReleaseMarker) return false;
    if (key.vkCode == kHarmlessKey) return true;
    const DWORD virtualKey = SpecificKey(key);
    return IsRelease(key) && (IsCtrlAltOrShift(virtualKey) || virtualKey == VK_LWIN || virtualKey == VK_RWIN);
}

bool IsAllowedExtendedKey(DWORD key) {
    switch (key) {
    case VK_INSERT: case VK_DELETE: case VK_HOME: case VK_END: case VK_PRIOR: case VK_NEXT:
    case VK_UP: case VK_DOWN: case VK_LEFT: case VK_RIGHT: case VK_RETURN: case VK_RSHIFT:
    case VK_NUMLOCK: case VK_DIVIDE: case VK_RMENU:
        return true;
    default:
        return false;
    }
}

// A screen reader silences its speech on a Ctrl press of its own, so a Ctrl
// alone reaches it. Nothing pressed beside Ctrl does: Ctrl chords start other
// programs (shortcut keys, hot keys, Ctrl+Esc, Ctrl+Shift+Esc), and a screen
// reader's own Insert and Caps Lock chords need no Ctrl to be heard.
bool IsHeldBackByControl(unsigned bit, DWORD virtualKey, const KeyFilterState& state) {
    const bool controlDown = (state.down & kControl & ~bit) != 0;
    if ((bit & kControl) != 0) return (state.down & kAlt) != 0;
    if (!controlDown) return false;
    return virtualKey != VK_SHIFT && virtualKey != VK_LSHIFT && virtualKey != VK_RSHIFT;
}

bool IsDown(SHORT(WINAPI* keyState)(int), int key) {
    return (static_cast<USHORT>(keyState(key)) & 0x8000) != 0;
}

} // namespace

KeyVerdict FilterKey(const KBDLLHOOKSTRUCT& key, KeyFilterState& state) {
    const unsigned bit = BitOf(key);
    // Either left Ctrl's release ends both: the system keeps one left Ctrl.
    const unsigned released = SpecificKey(key) == VK_LCONTROL ? kLeftControl | kAltGrControl : bit;
    if (bit != 0) state.down = IsRelease(key) ? (state.down & ~released) : (state.down | bit);
    if (IsOwnRelease(key)) return KeyVerdict::kPass;
    // A release of Ctrl, Alt or Shift reaches the system wherever the
    // foreground is: a press it saw must not stay down when another window
    // came to the front meanwhile, and a release of a press it never saw
    // changes nothing.
    if (IsRelease(key) && IsCtrlAltOrShift(SpecificKey(key))) return KeyVerdict::kPass;
    if ((bit & kWin) != 0 || (state.down & kWin) != 0) return KeyVerdict::kDrop;
    const DWORD virtualKey = SpecificKey(key);
    if (IsHeldBackByControl(bit, virtualKey, state)) return KeyVerdict::kDrop;
    if ((bit & kControl) != 0) return KeyVerdict::kPassToOwnWindows;
    if ((virtualKey == VK_TAB || virtualKey == VK_ESCAPE) && (state.down & kAlt) != 0) return KeyVerdict::kDrop;
    // The made-up Ctrl counts only beside its right Alt: alone it would be a Ctrl.
    if (bit == 0 && (state.down & kAltGrControl) != 0 && (state.down & kRightAlt) == 0) return KeyVerdict::kDrop;
    if (!IsExtended(key) || IsAllowedExtendedKey(virtualKey)) return KeyVerdict::kPassToOwnWindows;
    return KeyVerdict::kDrop;
}

KeyFilterState HeldModifiers(SHORT(WINAPI* keyState)(int)) {
    KeyFilterState state;
    const struct { int key; unsigned bit; } modifiers[] = {
        {VK_LWIN, kLeftWin},        {VK_RWIN, kRightWin},         {VK_LMENU, kLeftAlt},
        {VK_RMENU, kRightAlt}};
    for (const auto& modifier : modifiers)
        if (IsDown(keyState, modifier.key)) state.down |= modifier.bit;
    // A Ctrl read here is left out: a real one holds every key back until its
    // release, and a stale reading must never shut the owner out. The lock
    // tells the system it is up in any case. Beside its right Alt a left Ctrl
    // is AltGr's.
    if (IsDown(keyState, VK_LCONTROL) && (state.down & kRightAlt) != 0) state.down |= kAltGrControl;
    return state;
}

void ReleaseHeldModifiers() {
    // Every one, not only those the system says are down now: the hook's own
    // view was read on its thread a moment earlier, and a key the system let
    // go of meanwhile without an event (Wine does so on a change of focus)
    // would stay down in that view, holding back every key. A release of a
    // key that is up changes nothing.
    const WORD modifiers[] = {VK_LWIN, VK_RWIN, VK_LCONTROL, VK_RCONTROL, VK_LMENU, VK_RMENU, VK_LSHIFT, VK_RSHIFT};
    INPUT inputs[2 + sizeof(modifiers) / sizeof(modifiers[0])] = {};
    UINT count = 2;
    for (WORD key : modifiers) {
        INPUT& input = inputs[count++];
        input.ki.wVk = key;
        const bool extended = key == VK_LWIN || key == VK_RWIN || key == VK_RCONTROL || key == VK_RMENU;
        input.ki.dwFlags = KEYEVENTF_KEYUP | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
    }
    inputs[0].ki.wVk = inputs[1].ki.wVk = kHarmlessKey;
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    for (UINT i = 0; i < count; ++i) {
        inputs[i].type = INPUT_KEYBOARD;
        inputs[i].ki.dwExtraInfo = kHeldKeyReleaseMarker;
    }
    SendInput(count, inputs, sizeof(INPUT));
}
