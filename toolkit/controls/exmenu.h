// Menus that follow the toolkit's colour scheme: in scheme mode every item is
// owner-drawn (check column, text, right-aligned accelerator, sub-menu arrow);
// in system-colours mode the system draws them with its standard look.
#pragma once

#include <windows.h>
#include <uxtheme.h>

#include <map>
#include <vector>

#include "../../text/exstring.h"

class exMenu {
public:
    exMenu();
    exMenu(const exMenu&) = delete;
    exMenu& operator=(const exMenu&) = delete;

    // Virtual operations in their fixed order.
    virtual bool IsOwnerDraw() const;
    virtual int GetItemHeight();
    virtual int GetAccelGap();
    virtual HFONT GetItemFont(bool bold);
    // Each returns the width of its column (the item height).
    virtual int DrawCheck(HDC dc, RECT* area, UINT itemState, bool radio, bool measureOnly);
    virtual int DrawSubmenuArrow(HDC dc, RECT* area, UINT itemState, bool measureOnly);
    // In measure mode the width the text needs; in draw mode 0.
    virtual int DrawItemText(HDC dc, RECT* area, exstring text, UINT itemState, bool measureOnly);
    virtual HBRUSH GetBackgroundBrush();
    virtual void DrawItem(DRAWITEMSTRUCT* item);
    virtual void MeasureItem(MEASUREITEMSTRUCT* item);
    virtual ~exMenu();

    // False for a null handle, or one another object already wraps.
    bool Attach(HMENU menu, bool notOwned);
    void Detach(bool destroy);
    // Deletes the wrappers made for its sub-menus, then destroys an owned menu.
    void Destroy();
    bool CreatePopup();
    bool Create();
    // id 0 without a sub-menu appends a separator.
    bool AppendItem(UINT id, const exstring& text, HMENU subMenu = nullptr);
    // The new sub-menu's object (owned by this menu), or null.
    exMenu* AppendPopup(const exstring& text);
    exMenu* GetSubMenu(int position);
    bool HasItem(UINT id) const;
    bool EnableItem(UINT item, bool enable, bool byPosition = false);
    // Enables or greys the item that opens the sub-menu holding `id`, at any depth.
    bool EnablePopupOf(UINT id, bool enable);
    bool SetCheck(UINT id, bool checked);
    // A radio group checked with the plain check mark, not a bullet.
    bool CheckRadio(UINT first, UINT last, UINT checkId);
    int TrackPopup(int x, int y, HWND owner);
    // Below `anchor` (screen coordinates), from its edge where reading starts.
    int TrackPopupUnder(const RECT& anchor, HWND owner);
    int GetItemCount() const;
    exstring GetItemText(int position) const;
    bool ApplyOwnerDraw();
    bool SetOwnerDrawFlags();
    // Replaces the menu by a fresh copy, so that the system measures every
    // item again; wrappers of its sub-menus move to the copies.
    bool Rebuild();
    // Shows the menu as `window`'s menu bar (made by Create).
    bool SetMenuBarOf(HWND window);

    HMENU Handle() const { return menu_; }
    bool IsEmpty() const { return menu_ == nullptr; }
    bool NotOwned() const { return notOwned_; }
    bool PlainDraw() const { return plainDraw_; }
    void SetPlainDraw(bool plain) { plainDraw_ = plain; }
    bool IsMenuBar() const;

    static exMenu* FromHandle(HMENU menu);
    // A new scheme was applied, the fonts were recreated (heard from the theme).
    static void OnSchemeChanged();
    static void OnFontChanged();

private:
    friend class exMenuMap;

    bool Adopt(HMENU fresh);
    // The wrappers of menus about to be destroyed let go of their handles;
    // those made by GetSubMenu are deleted.
    static void ReleaseWrappers(const std::vector<HMENU>& handles);

    HMENU menu_ = nullptr;
    bool notOwned_ = false;
    bool plainDraw_ = false;
    bool madeForSubMenu_ = false;  // created by GetSubMenu; deleted with its parent
};

// Every exMenu that holds a handle, by handle. At process end it destroys
// what it still holds.
class exMenuMap : public std::map<HMENU, exMenu*> {
public:
    virtual ~exMenuMap();
    // Held here so that it outlives every menu the destructor ends.
    std::map<HMENU, HWND> menuBars;
};

exMenuMap& MenuMap();
// Menus shown as menu bars, with their windows.
std::map<HMENU, HWND>& MenuBarMap();

// Routing of the owner-draw messages of menus; true when a menu object took it.
bool DrawMenuItem(DRAWITEMSTRUCT* item);
bool MeasureMenuItem(MEASUREITEMSTRUCT* item);

// Records the pop-up being shown, unless it is a sub-menu (at any depth) of
// the one recorded already; null clears the record.
void RecordTrackedMenu(HMENU menu);

// The menu messages of a window that shows menus: drawing, measuring and the
// record of the open pop-up. True when the message was answered (in `result`).
bool MenuOwnerMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

// The visual-style handle of the class "Menu", opened with the first menu.
HTHEME MenuTheme();
void ReopenMenuTheme();
