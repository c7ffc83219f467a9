// Static controls painted by the toolkit: text that takes the theme's colours
// and fits its height to its text, a separator line,
// and a picture box that shows an icon at its natural size.
#pragma once

#include <windows.h>

#include "../../text/exstring.h"
#include "../theme/extheme_control.h"
#include "../window/exwnd.h"
#include "../window/messagemap.h"

// The DrawTextW flags for a static's style;
// `hidePrefix`: the window reports hidden keyboard cues.
UINT StaticStyleFlags(LONG style, bool hidePrefix);

class exStatic : public exWnd, public extheme_control {
public:
    // The text colour that follows the theme.
    static constexpr COLORREF kThemeTextColor = 0xFFFFFFFF;
    // The room wrapped text leaves at the right of its control.
    static constexpr int kWrapSlack = 2;

    exStatic() = default;
    ~exStatic() override;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnSubclassed() override;
    void OnDrawItem(DRAWITEMSTRUCT* item) override;
    virtual void AdjustHeight();
    virtual void DrawStaticText(HDC dc, const RECT& rect);

    void DrawState(HDC dc, const RECT& rect, int state) override;

    // Set before binding to keep the template's height.
    void SetFixedHeight(bool fixed) { fixedHeight_ = fixed; }
    bool FixedHeight() const { return fixedHeight_; }
    // The style the application gave the control; the window itself is
    // SS_OWNERDRAW.
    LONG StaticStyle() const { return staticStyle_; }
    const exstring& Text() const { return text_; }
    // kThemeTextColor follows the theme.
    void SetTextColor(COLORREF color);
    COLORREF TextColor() const { return textColor_; }

protected:
    // The flags for this control's text, with the window's keyboard cues.
    UINT TextFlags() const;
    // Where wrapped text is laid out within `rect`.
    RECT WrapArea(RECT rect) const;
    // Resizes the window so that its client area is `clientWidth` x
    // `clientHeight` (a negative width keeps the width); nothing when equal.
    void ResizeClient(int clientWidth, int clientHeight);
    void RedrawIfVisible();

private:
    LRESULT DefaultProcessing(const exMessage& message);
    exHandled OnSysColorChange(exMessage& message);
    exHandled OnSizeOrFont(exMessage& message);
    exHandled OnSetText(exMessage& message);
    exHandled OnEraseBkgnd(exMessage& message);
    exHandled OnStyleChanged(exMessage& message);
    exHandled OnUiState(exMessage& message);
    void ApplyStyleChange(const STYLESTRUCT& change);

    bool fixedHeight_ = false;
    LONG staticStyle_ = 0;
    exstring text_;
    COLORREF textColor_ = kThemeTextColor;
};

// A horizontal separator line, two pixels high.
class exSPLine : public exStatic {
public:
    void AdjustHeight() override;
    void DrawStaticText(HDC dc, const RECT& rect) override;
};

// An icon at its own size; the control's client area fits the icon.
class exPictureBox : public exStatic {
public:
    exPictureBox() = default;
    ~exPictureBox() override;

    void AdjustHeight() override;
    void DrawStaticText(HDC dc, const RECT& rect) override;

    // Not owned: the caller keeps the icon alive while it is shown.
    void SetIcon(HICON icon);
    HICON Icon() const { return icon_; }
    int IconWidth() const { return iconWidth_; }
    int IconHeight() const { return iconHeight_; }

private:
    void ReadIconSize();

    int iconWidth_ = 0;
    int iconHeight_ = 0;
    HICON icon_ = nullptr;
};
