// The themed edit box: scheme colours, a flat border, a cue text while the
// field is empty, a warning cue that stands in for the banner until the user
// types, automatic height and Ctrl+A. In scheme mode an edit with scroll bars,
// a border or an edge lives inside a scroll box that draws its frame and bar.
#pragma once

#include <windows.h>

#include "../../text/exstring.h"
#include "../theme/extheme_control.h"
#include "../window/exwnd.h"
#include "../window/messagemap.h"
#include "exscrollbox.h"

class exEdit : public exWnd, public extheme_control {
public:
    // "No colour of its own": the cue is drawn in the disabled-text colour.
    static constexpr COLORREF kDefaultCueColor = 0xFF000000;

    exEdit();
    ~exEdit() override;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnSubclassed() override;
    bool OnCommand(UINT notificationCode) override;
    void OnCtlColor(HDC dc, HBRUSH* brush) override;
    // The text colour; true forces the toolkit's colours in system-colours mode too.
    virtual bool GetEditTextColor(COLORREF& color);

    void DrawState(HDC dc, const RECT& rect, int state) override;

    void SetCueBanner(const exstring& text, bool showWhileFocused = true);
    // Empties the field and shows `text` as its cue until the user types; by
    // default in the contrast colour of the field's background.
    void ShowWarningCue(const exstring& text, bool showWhileFocused = true, COLORREF color = kDefaultCueColor);
    bool WarningActive() const { return !warning_.empty(); }
    const exstring& CueBanner() const { return banner_; }

    // Negative: never change the height; 0: at least the initial height;
    // 1: exactly the height the font needs.
    void SetHeightMode(int mode);
    int HeightMode() const { return heightMode_; }
    void SetHoverHighlight(bool on);

    exScrollBox& ScrollBox() { return scrollBox_; }
    bool HasScrollBox() const { return scrollBox_.IsAttachedTo(Handle()); }

private:
    // A password field keeps its mask and hands its text to no other thread
    // or program: the system guards it against one reading message from
    // other processes only, and unmasking it lifts even that.
    bool RefusesForPassword(UINT message, WPARAM wParam, LPARAM lParam) const;

    LRESULT DefaultProcessing(const exMessage& message);
    exHandled OnNcCalcSize(exMessage& message);
    exHandled OnSizeOrFont(exMessage& message);
    exHandled OnPaint(exMessage& message);
    exHandled OnPrintClient(exMessage& message);
    exHandled OnNcPaint(exMessage& message);
    exHandled OnSysColorChange(exMessage& message);
    exHandled OnKeyDown(exMessage& message);
    exHandled OnMouseMove(exMessage& message);
    exHandled OnMouseLeave(exMessage& message);
    exHandled OnSetCueBanner(exMessage& message);
    exHandled OnNcHitTest(exMessage& message);
    // WM_VSCROLL and WM_MOUSEWHEEL: the scroll box's bar follows the edit.
    exHandled OnScroll(exMessage& message);
    exHandled OnFocusChange(exMessage& message);
    exHandled OnShowWindow(exMessage& message);
    exHandled OnEnable(exMessage& message);
    exHandled OnWindowPosChanging(exMessage& message);

    bool ToolkitDrawsCue() const;
    void PaintCue();
    void AdjustHeight();
    COLORREF BackgroundColor() const;
    void PaintFrame(WPARAM wParam, LPARAM lParam);
    bool IsEmpty() const;
    void InvalidateCorner();

    exScrollBox scrollBox_;
    bool trackingMouse_ = false;
    bool frameComputed_ = false;
    int initialClientHeight_ = 0;
    exstring banner_;
    bool bannerWhileFocused_ = true;
    COLORREF bannerColor_ = kDefaultCueColor;
    exstring warning_;
    bool warningWhileFocused_ = true;
    COLORREF warningColor_ = kDefaultCueColor;
    int heightMode_ = 0;
    bool hoverHighlight_ = true;
    bool verticalScroll_ = false;
    bool adjustingHeight_ = false;
    bool passwordField_ = false;
};
