// Themed push buttons and link buttons. A button is left to the system while
// the system can draw it as the theme wants; otherwise it is switched to
// BS_OWNERDRAW and painted through the buffered, cross-fading paint path.
#pragma once

#include <windows.h>
#include <uxtheme.h>

#include "../../text/exstring.h"
#include "../theme/extheme_control.h"
#include "../window/exwnd.h"
#include "../window/messagemap.h"

// What one paint of a button looks like, worked out by GetColors.
struct ButtonPaintState {
    COLORREF face = 0;
    COLORREF text = 0;
    COLORREF border = 0;
    bool drawFocus = false;
    bool showCues = true;
    bool hot = false;
    bool pressed = false;
    bool focused = false;
    bool disabled = false;
    // Check boxes only.
    COLORREF boxFill = 0;
    COLORREF boxBorder = 0;
};

// Owns an HTHEME.
class exthemehandle {
public:
    exthemehandle() = default;
    ~exthemehandle() { Close(); }
    exthemehandle(const exthemehandle&) = delete;
    exthemehandle& operator=(const exthemehandle&) = delete;

    HTHEME Get() const { return theme_; }
    void Open(HWND window, const wchar_t* classList);
    void Close();

private:
    HTHEME theme_ = nullptr;
};

class exButton : public exWnd, public extheme_control {
public:
    exButton() = default;
    ~exButton() override;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnSubclassed() override;
    void OnDrawItem(DRAWITEMSTRUCT* item) override;

    virtual bool UseSystemDrawing();
    virtual void DrawButtonText(HDC dc, RECT& rect, const ButtonPaintState& state);
    virtual void GetColors(const DRAWITEMSTRUCT* item, ButtonPaintState& state);
    virtual void AdjustLayout();
    // 1 centre, else 2 right, else left; 4 middle, else 8 bottom, else top.
    virtual void SetTextAlign(unsigned flags);
    // Null or empty: the window text.
    virtual void SetTooltipText(const wchar_t* text);

    // Draws the state GetColors worked out for the current paint.
    void DrawState(HDC dc, const RECT& rect, int state) override;

    // The button's own style word: the real type even while owner-drawn.
    DWORD ButtonStyle() const { return buttonStyle_; }
    const exstring& Text() const { return text_; }
    bool IsOwnerDrawn() const;
    bool IsHot() const { return hot_; }

    void SetNoAnimation(bool off) { noAnimation_ = off; }
    void SetDefaultAsHot(bool hot) { defaultAsHot_ = hot; }

    // The alignment flags DrawButtonText uses for a style word.
    static UINT TextFormat(DWORD buttonStyle, bool showCues);

protected:
    // Stores the style word, applies it, registers the tooltip and lays out.
    void Bind(DWORD buttonStyle);
    // Switches between owner and system drawing and (re)opens the theme.
    void ApplyStyle(bool forceTheme = false);
    void UpdateTooltip();
    void Redraw();
    HTHEME ThemeData() const { return theme_.Get(); }
    const ButtonPaintState& PaintState() const { return paintState_; }

private:
    // The processing a message gets when no handler of this class takes it.
    LRESULT DefaultProcessing(const exMessage& message);
    exHandled OnChar(exMessage& message);
    exHandled OnDestroy(exMessage& message);
    exHandled OnSetText(exMessage& message);
    exHandled OnEraseBkgnd(exMessage& message);
    exHandled OnSysColorChange(exMessage& message);
    exHandled OnStyleChanged(exMessage& message);
    exHandled OnSetStyle(exMessage& message);
    exHandled OnUiState(exMessage& message);
    exHandled OnMouseMove(exMessage& message);
    exHandled OnMouseLeave(exMessage& message);
    exHandled OnLButtonDblClk(exMessage& message);
    exHandled OnThemeChanged(exMessage& message);
    // Lays out after the default processing, which may have changed text, size or font.
    exHandled OnSizeOrFont(exMessage& message);
    exHandled OnGetDlgCode(exMessage& message);

    // The raised or pressed frame without visual styles; the rectangle inside it.
    RECT DrawClassicFrame(HDC dc, const RECT& rect, const ButtonPaintState& state);
    int PushButtonThemeState(const ButtonPaintState& state) const;
    bool IsDefaultButton() const;

    bool hot_ = false;
    DWORD buttonStyle_ = 0x0F00;
    exstring text_;
    exstring tooltipText_;
    bool noAnimation_ = false;
    bool defaultAsHot_ = false;
    bool applyingStyle_ = false;
    exthemehandle theme_;
    ButtonPaintState paintState_;
};

// A button shown as a hyperlink that sizes itself to its text.
class exButton_Link : public exButton {
public:
    enum PrefixMode : BYTE { kPrefixNone = 0, kPrefixHide = 1, kPrefixByCues = 2 };

    exButton_Link() = default;
    ~exButton_Link() override;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool UseSystemDrawing() override;
    void GetColors(const DRAWITEMSTRUCT* item, ButtonPaintState& state) override;
    void AdjustLayout() override;
    void DrawState(HDC dc, const RECT& rect, int state) override;

    void SetAutoSize(bool on);
    void SetPrefixMode(BYTE mode);

    // Where a fitted size goes inside the current rectangle.
    static RECT PlaceFitted(const RECT& current, SIZE size);

private:
    BYTE autoSize_ = 1;
    BYTE prefixMode_ = kPrefixNone;
};
