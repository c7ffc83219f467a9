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

// The two fonts of the clock, sized for the area's height.
class ClockFonts {
public:
    bool Make(const RECT& area);
    HFONT Time() const { return time_.Handle(); }
    HFONT Date() const { return date_.Handle(); }

private:
    exfont time_;
    exfont date_;
    LONG madeForHeight_ = 0;
};

// Draws the plate and the two lines into `area` of `dc`, clipped to it.
void DrawClock(HDC dc, const RECT& area, const ClockText& text, const ClockFonts& fonts);
