// The window that hides the desktop while it is locked: topmost, disabled,
// never activated, covering every monitor with a colour and, on the primary
// monitor, a picture. It paints from a bitmap rendered in advance.
#pragma once

#include <memory>

#include "../settings/mgtsettings.h"
#include "../toolkit/gdiplusflat.h"
#include "../toolkit/offscreenbuffer.h"
#include "../ui/mgtbasedlg.h"

class mgtBgDlg : public mgtBaseDlg {
public:
    explicit mgtBgDlg(const mgtSettings& settings);
    ~mgtBgDlg() override;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;

    // Draws the background bitmap for the current screen and settings.
    bool Render();

    // The picture actually used: "system" means the wallpaper; the path is
    // expanded. Empty when the background is colour only.
    exstring PicturePath() const;
    COLORREF Color() const;
    const OffscreenBuffer& Bitmap() const { return background_; }

    // Pictures larger than this (in pixels) are not drawn: decoding them
    // would stall the lock and take more memory than a lock should.
    static constexpr unsigned long long kMaxPicturePixels = 64ull * 1024 * 1024;

private:
    struct Picture;
    bool LoadPicture(const exstring& path);
    bool ComposePrimary(HDC reference, const RECT& primary, COLORREF color);

    const mgtSettings& settings_;
    OffscreenBuffer background_{OffscreenBuffer::Kind::Compatible};
    // The decoded picture and the primary monitor composed from it, kept so
    // that a re-render after a display change only copies.
    std::unique_ptr<Picture> picture_;
    OffscreenBuffer primary_{OffscreenBuffer::Kind::Compatible};
    RECT primaryComposedFor_{0, 0, 0, 0};
    COLORREF primaryColor_ = kNoPrimary;
    static constexpr COLORREF kNoPrimary = 0xFFFFFFFF;
};
