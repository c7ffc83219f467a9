// The themed dialog base of every dialog of the program: toolkit font, theme
// colours and the initialisation and layout hooks.
#pragma once

#include "../theme/extheme_control.h"
#include "../window/exdialog.h"
#include "../window/messagemap.h"

class exBaseDlg : public exDialog, public extheme_control {
public:
    explicit exBaseDlg(uint32_t templateId = 0);
    ~exBaseDlg() override;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;

    virtual void InitControls();
    virtual void LayoutControls();
    virtual void UpdateControls();
    virtual void InitContent();
    virtual void OnDraw(HDC dc, const RECT& client);

    void DrawState(HDC dc, const RECT& rect, int state) override;

    bool Initialized() const { return initialized_; }
    // Equal minimum and maximum tracking sizes make the dialog fixed-size.
    void SetTrackingSizes(int minWidth, int minHeight, int maxWidth, int maxHeight);
    bool IsFixedSize() const;

private:
    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);
    exHandled OnThemeChanged(exMessage& message);
    exHandled OnPaint(exMessage& message);
    exHandled OnEraseBkgnd(exMessage& message);
    // WM_CTLCOLORBTN, WM_CTLCOLORDLG and WM_CTLCOLORSTATIC: the scheme's colours.
    exHandled OnCtlColorMessage(exMessage& message);
    exHandled OnDpiChanged(exMessage& message);
    exHandled OnInitMenuPopup(exMessage& message);
    exHandled OnSettingChange(exMessage& message);
    exHandled OnSysColorChange(exMessage& message);
    exHandled OnGetMinMaxInfo(exMessage& message);
    exHandled OnNcDestroy(exMessage& message);

    int maxTrackWidth_ = 0;
    int maxTrackHeight_ = 0;
    bool initialized_ = false;
};

// Whether `message`/`lParam` is the toolkit's own scheme-change notice.
bool IsSchemeChangeMarker(UINT message, LPARAM lParam);
