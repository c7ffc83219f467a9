// The clock of the lock screen: the time in large type with the date under
// it, in the user's formats, drawn on a translucent plate so that it reads
// on any picture.
#pragma once

#include <windows.h>

#include "../text/exstring.h"
#include "../toolkit/draw/exfont.h"

struct ClockText {
    exstring time;
    exstring date;
    // The owner's message below the date, wrapped; time and date may be
    // empty when only the message is shown.
    exstring message;
};

// The time without seconds and the long date of `when`, as the user's locale
// writes them. Empty strings when the locale cannot format it.
ClockText FormatClock(const SYSTEMTIME& when);

// Milliseconds from `now` to the next minute boundary (1 to 60000), so that a
// timer re-armed with it each time never drifts off the minute.
UINT MillisecondsToNextMinute(const SYSTEMTIME& now);

// Where the clock may draw: a band in the lower corner of the primary monitor
// where reading starts (the left, or the right for a right-to-left
// language), given the monitor's place within the background bitmap. Its
// size depends on the monitor alone, so the same band is restored every minute.
RECT ClockArea(POINT primaryOrigin, SIZE primarySize, bool fromRight = false);
// The band grown upwards for a message below the clock: the clock keeps its
// size, the message gets the room under it.
RECT WithMessageRoom(const RECT& clockArea, POINT primaryOrigin);

// The two fonts of the clock, sized for the area's height.
class ClockFonts {
public:
    // Sized for the clock's own band, without any message room.
    bool Make(const RECT& clockArea);
    HFONT Time() const { return time_.Handle(); }
    HFONT Date() const { return date_.Handle(); }
    LONG ClockHeight() const { return madeForHeight_; }

private:
    exfont time_;
    exfont date_;
    LONG madeForHeight_ = 0;
};

// Light type with a dark edge on a translucent dark plate; in high contrast
// the scheme's own window colours, on an opaque plate.
struct ClockColors {
    COLORREF text;
    COLORREF shadow;
    COLORREF plate;
    BYTE plateAlpha;
};
ClockColors ClockColorsFor(bool highContrast);

// Draws the plate, the two lines and the message into `area` of `dc`,
// clipped to it.
void DrawClock(HDC dc, const RECT& area, const ClockText& text, const ClockFonts& fonts,
               const ClockColors& colors = ClockColorsFor(false));
