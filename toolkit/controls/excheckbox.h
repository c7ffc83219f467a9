// Two-state check boxes. While owner-drawn the object keeps the check state
// itself (the system keeps none for an owner-drawn button).
#pragma once

#include "exbutton.h"

class exCheckBox : public exButton {
public:
    exCheckBox() = default;
    ~exCheckBox() override;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnSubclassed() override;
    bool OnCommand(UINT notificationCode) override;
    bool UseSystemDrawing() override;
    void GetColors(const DRAWITEMSTRUCT* item, ButtonPaintState& state) override;
    void AdjustLayout() override;
    void DrawState(HDC dc, const RECT& rect, int state) override;

    // BST_UNCHECKED or BST_CHECKED.
    int CheckState() const { return checkState_; }
    void SetAutoSize(bool on);

    static bool IsCheckKind(DWORD type);
    // The DrawTextW flags of a check box's text.
    static UINT TextFormat(DWORD buttonStyle, bool showCues);

    struct BoxMetrics {
        int gap = 0;   // between box and text
        SIZE box{};
    };
    // Shared by all check boxes; worked out again for another font or mode,
    // or when `recompute` is set.
    BoxMetrics Metrics(bool recompute);

private:
    LRESULT DefaultProcessing(const exMessage& message);
    exHandled OnSetCheck(exMessage& message);
    exHandled OnGetCheck(exMessage& message);
    exHandled OnGetState(exMessage& message);
    // Around the default processing: the native state is read before and put back after.
    exHandled OnSysColorChange(exMessage& message);
    exHandled OnSetFont(exMessage& message);
    exHandled OnThemeChanged(exMessage& message);

    // Where the box goes within the content rectangle.
    static RECT PlaceBox(const RECT& content, SIZE size, DWORD style, bool atRight);
    void DrawBox(HDC dc, const RECT& box);
    // The text, placed as its style says, and the focus frame around it.
    void DrawLabel(HDC dc, RECT textRect);

    bool BoxAtRight() const;

    bool autoSize_ = true;
    int checkState_ = BST_UNCHECKED;
};
