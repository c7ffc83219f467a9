// A small child dialog that takes an edit control's place in scheme mode: the
// edit moves inside it, and it draws the edit's flat frame and a vertical
// scroll bar of its own whose clicks, drags and wheel turns go to the edit's
// native scroll logic.
#pragma once

#include <windows.h>
#include <uxtheme.h>

#include "../window/messagemap.h"
#include "exbasedlg.h"

enum ScrollBarPart : int {
    kPartNone = -1,
    kPartBar = 0,  // the whole bar (a point on it outside every other part)
    kPartUpArrow = 1,
    kPartPageUp = 2,
    kPartThumb = 3,
    kPartPageDown = 4,
    kPartDownArrow = 5,
    kPartBody = 6,  // inside the scroll box, off the bar
};

// The bar's parts in the scroll box's client coordinates, and the states of
// the bar and its parts as `GetScrollBarInfo` reports them.
struct ScrollBarLayout {
    RECT parts[6];
    DWORD states[CCHILDREN_SCROLLBAR + 1];

    ScrollBarLayout();
    bool Available() const;  // there is a bar and it is not unavailable
    bool operator==(const ScrollBarLayout& other) const;
    bool operator!=(const ScrollBarLayout& other) const { return !(*this == other); }
};

// `info.rcScrollBar` in the scroll box's client coordinates; the bar is moved
// so that its right edge meets `clientRight` (one pixel in with a border). A
// track shorter than `minThumb` shows the arrows only.
ScrollBarLayout LayoutScrollBar(const SCROLLBARINFO& info, LONG clientRight, bool border, int minThumb);
// The part under `point`, kPartNone when it is off the bar.
int HitTestScrollBar(const ScrollBarLayout& layout, POINT point);

class exScrollBox : public exBaseDlg {
public:
    exScrollBox();
    ~exScrollBox() override;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    void LayoutControls() override;
    void OnDraw(HDC dc, const RECT& client) override;

    // Creates the box over the edit and moves the edit inside it.
    void Attach(HWND edit);
    bool IsAttachedTo(HWND edit) const { return Handle() != nullptr && edit_ != nullptr && edit_ == edit; }
    HWND Edit() const { return edit_; }

    // Called after the edit scrolled, painted or printed.
    void Synchronize();
    void Redraw();
    // Lays the box out once the current message is done (for changes seen
    // inside the edit's own frame calculation).
    void RequestLayout();
    void SetVerticalScroll(bool on) { verticalScroll_ = on; }
    void SetHoverHighlight(bool on) { hoverHighlight_ = on; }
    void SetUseBackground(bool on) { useBackground_ = on ? TRUE : FALSE; }

    RECT Insets() const;
    const ScrollBarLayout& Layout() const { return layout_; }
    int HotPart() const { return hotPart_; }

private:
    exHandled OnMouseMove(exMessage& message);
    exHandled OnMouseLeave(exMessage& message);
    exHandled OnLButtonDown(exMessage& message);
    exHandled OnLButtonUp(exMessage& message);
    exHandled OnCaptureChanged(exMessage& message);
    exHandled OnLButtonDblClk(exMessage& message);
    exHandled OnMouseWheel(exMessage& message);
    exHandled OnPaint(exMessage& message);
    exHandled OnPrintClient(exMessage& message);
    exHandled OnEraseBkgnd(exMessage& message);
    exHandled OnGetText(exMessage& message);
    exHandled ForwardToEdit(exMessage& message);
    exHandled OnContextMenu(exMessage& message);
    exHandled ForwardEditCommand(exMessage& message);
    exHandled OnLayoutRequest(exMessage& message);
    exHandled OnThemeChanged(exMessage& message);
    exHandled OnDestroy(exMessage& message);
    void PressArrowOrPage(int part, POINT client);
    void BeginDrag(POINT client);

    bool UpdateLayout();
    int PartAt(POINT client) const;
    int HotPartFromCursor() const;
    void OpenTheme();
    void CloseTheme();
    void TrackThumb(POINT client);
    void EndDrag();
    void DrawSchemeBar(HDC dc, const RECT& client);
    void DrawThemedBar(HDC dc);
    void DrawClassicBar(HDC dc);
    RECT ThumbRect() const;

    bool tracking_ = false;
    bool border_ = true;
    bool verticalScroll_ = false;
    bool hoverHighlight_ = true;
    BOOL useBackground_ = FALSE;
    HTHEME theme_ = nullptr;
    int hotPart_ = kPartNone;
    int pressedPart_ = kPartNone;
    ScrollBarLayout layout_;
    struct Drag {
        POINT start{};
        RECT thumb{};  // where the thumb is drawn while dragging
        LONG startTop = 0;
        HWND capture = nullptr;
    } drag_;
    HWND edit_ = nullptr;
};
