// The window that hides the desktop while it is locked: topmost, disabled,
// never activated, covering every monitor with a colour and, on the primary
// monitor, a picture. Only the clock's band is rendered in advance, once the
// first frame, the colour alone, is on the screen.
#pragma once

#include <memory>

#include "../settings/mgtsettings.h"
#include "../toolkit/draw/offscreenbuffer.h"
#include "../toolkit/window/messagemap.h"
#include "../ui/mgtbasedlg.h"
#include "lockclock.h"

class mgtBgDlg : public mgtBaseDlg {
public:
    explicit mgtBgDlg(const mgtSettings& settings);
    ~mgtBgDlg() override;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;

    // Draws the background bitmap for the current screen and settings from
    // what is at hand: the colour, and the picture once it has been read.
    // With `recheck` the picture file is (re)read off this thread when it may
    // have changed; the picture replaces the colour when it is ready.
    bool Render(bool recheck = true);
    // Takes a finished read into use and draws again; true once no read is
    // pending. Called when the reading thread reports, and by tests.
    bool FinishPictureLoad();

    COLORREF Color() const;
    // Paints `part` of the window (window coordinates) onto `dc`: the
    // colour, the picture and the clock.
    void Paint(HDC dc, const RECT& part) const;
    // The clock's band as shown, in window coordinates; none without a clock.
    const OffscreenBuffer& Bitmap() const { return background_; }

    // Where the clock draws within the window (empty when it is off), and
    // what it shows now.
    const RECT& ClockRect() const { return clockArea_; }
    const ClockText& ClockShown() const { return clockText_; }
    // Tests put the clock at a time of their choosing.
    using TimeSource = void(WINAPI*)(LPSYSTEMTIME);
    void SetTimeSource(TimeSource source) { now_ = source; }
    // Pictures decoded by every background so far.
    static unsigned long Decodes();
    static constexpr UINT_PTR kClockTimer = 1;
    // Draws the background under the clock again from what is kept (never
    // decoding) and the current minute over it; its timer calls it at each
    // minute boundary.
    void UpdateClock();

    // Pictures larger than this (in pixels) are not drawn: decoding them
    // would stall the lock and take more memory than a lock should.
    static constexpr unsigned long long kMaxPicturePixels = 64ull * 1024 * 1024;
    // A read that takes longer (a share that does not answer) is given up;
    // the next render tries again.
    static constexpr ULONGLONG kPictureReadLimitMs = 10000;

private:
    struct Picture;
    struct PictureRead;

    exHandled OnPaint(exMessage& message);
    // The first frame is up: the clock follows.
    exHandled OnComposeFirst(exMessage& message);
    exHandled OnEraseBkgnd(exMessage& message);
    exHandled OnTimer(exMessage& message);
    exHandled OnTimeChange(exMessage& message);
    exHandled OnPictureReady(exMessage& message);
    exHandled OnDisplayOrSettingChange(exMessage& message);
    // The picture that the settings name, expanded, without touching the file.
    exstring PictureCandidate() const;
    // Reads the picture the settings name off this thread, or drops it.
    void RecheckPicture();
    void StartPictureRead(const exstring& path, SIZE screen);
    static void ReadPictureFile(const std::shared_ptr<PictureRead>& read);
    // Places the window over every monitor; returns that rectangle.
    RECT CoverVirtualScreen();
    bool Compose();
    // The colour and the picture within `part` (window coordinates): onto
    // the window, and into the clock's band under the clock when it is
    // composed and each time the minute turns.
    void PaintScene(HDC dc, const RECT& part) const;
    // Where the clock goes on the primary monitor; empty when it is off.
    RECT PlaceClock(const RECT& virtualScreen, const RECT& primary);
    // The bitmap of the clock's band; false (and no clock) when there is none.
    bool MakeClockBand();
    void DrawClockNow();

    const mgtSettings& settings_;
    OffscreenBuffer background_{OffscreenBuffer::Kind::Compatible};
    // The picture as the primary monitor shows it, painted from directly,
    // and kept so that a re-render after a display change only copies.
    std::unique_ptr<Picture> picture_;
    std::shared_ptr<PictureRead> read_;
    ULONGLONG readStarted_ = 0;
    TimeSource now_ = GetLocalTime;
    bool composed_ = false;
    RECT clockArea_{0, 0, 0, 0};
    ClockText clockText_;
    ClockFonts clockFonts_;
    RECT primaryPlace_{0, 0, 0, 0};  // the primary monitor within the window
};
