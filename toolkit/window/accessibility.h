// What a screen reader hears of a window beyond what the system's proxies
// derive from its class and style: a name of its own, a description, and
// text changes spoken as they happen.
#pragma once

#include <windows.h>

#include "../../text/exstring.h"

// How eagerly a changed text is spoken: after what is being said, or at once.
enum class LiveSetting : LONG { kPolite = 1, kAssertive = 2 };

// The name spoken for `control` in place of its own text. An edit also gets a
// hidden label just before it, where the proxies look for its name when the
// annotation service is missing.
bool SetAccessibleName(HWND control, const exstring& name);

// Spoken after the name: for a dialog, what it is about.
bool SetAccessibleDescription(HWND window, const exstring& text);

// Marks `region` as a live region, so that AnnounceChange speaks it.
bool MakeLiveRegion(HWND region, LiveSetting setting);

// Tells assistive technology that the text of `region` changed.
void AnnounceChange(HWND region);

// The hidden label that names `edit` for the proxies, or null.
HWND HiddenLabelOf(HWND edit);
