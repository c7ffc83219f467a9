#include "exmenu.h"

#include <vssym32.h>

#include <utility>
#include <vector>

#include "../draw/offscreenbuffer.h"
#include "../draw/mirroring.h"
#include "../draw/shapes.h"
#include "../theme/extheme.h"
#include "../window/changes.h"
#include "../window/layoutdirection.h"

namespace {

constexpr int kMaxDepth = 32;  // menus nest far less; guards against a malformed tree
constexpr int kMeasureWidth = 1024;
constexpr int kMeasureHeight = 768;
constexpr int kDefaultItemWidth = 160;
constexpr UINT kKeptTypeBits = MFT_RADIOCHECK | MFT_MENUBARBREAK | MFT_MENUBREAK | MFT_RIGHTJUSTIFY | MFT_RIGHTORDER;

struct MenuThemeHolder {
    HTHEME handle = nullptr;
    bool opened = false;
    MenuThemeHolder() = default;
    MenuThemeHolder(const MenuThemeHolder&) = delete;
    MenuThemeHolder& operator=(const MenuThemeHolder&) = delete;
    ~MenuThemeHolder() {
        if (handle != nullptr) CloseThemeData(handle);
    }
};

MenuThemeHolder& ThemeHolder() {
    static MenuThemeHolder holder;
    return holder;
}

// The one memory DC all menus draw their items in, so that nothing flickers
// and no GDI object is made per item.
HDC SharedDc(HDC target, int width, int height) {
    static OffscreenBuffer buffer(OffscreenBuffer::Kind::Dib32);
    if (buffer.Dc() == nullptr) {
        if (buffer.Get(nullptr, kMeasureWidth, kMeasureHeight) == nullptr) return nullptr;
        SetTextColor(buffer.Dc(), Theme().Scheme().text);
    }
    return buffer.Get(target, width, height);
}

class SelectedFont {
public:
    SelectedFont(HDC dc, HFONT font) : dc_(dc), previous_(dc != nullptr && font != nullptr ? SelectObject(dc, font) : nullptr) {}
    ~SelectedFont() {
        if (previous_ != nullptr) SelectObject(dc_, previous_);
    }
    SelectedFont(const SelectedFont&) = delete;
    SelectedFont& operator=(const SelectedFont&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

struct MenuItem {
    exstring text;
    UINT id = 0;
    UINT type = 0;
    UINT state = 0;
    HMENU subMenu = nullptr;
};

MENUITEMINFOW ItemInfo(UINT mask) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = mask;
    return info;
}

exstring ReadText(HMENU menu, UINT item, bool byPosition) {
    MENUITEMINFOW info = ItemInfo(MIIM_STRING);
    if (!GetMenuItemInfoW(menu, item, byPosition, &info) || info.cch == 0) return exstring();
    std::vector<wchar_t> buffer(info.cch + 1, L'\0');
    info.dwTypeData = buffer.data();
    info.cch = static_cast<UINT>(buffer.size());
    if (!GetMenuItemInfoW(menu, item, byPosition, &info)) return exstring();
    return exstring(buffer.data());
}

bool ReadItem(HMENU menu, int position, MenuItem& item) {
    MENUITEMINFOW info = ItemInfo(MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_SUBMENU);
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info)) return false;
    item.id = info.wID;
    item.type = info.fType;
    item.state = info.fState;
    item.subMenu = info.hSubMenu;
    item.text = ReadText(menu, static_cast<UINT>(position), true);
    return true;
}

// A sub-menu item's ID is its handle cut to 32 bits; compare both ways, as a
// menu built elsewhere may carry any ID on such an item.
bool CarriesId(HMENU menu, int position, UINT id) {
    MENUITEMINFOW info = ItemInfo(MIIM_ID | MIIM_SUBMENU);
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info)) return false;
    return info.wID == id ||
           (info.hSubMenu != nullptr && static_cast<UINT>(reinterpret_cast<UINT_PTR>(info.hSubMenu)) == id);
}

int DirectPositionOf(HMENU menu, UINT id) {
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i)
        if (CarriesId(menu, i, id)) return i;
    return -1;
}

// The menu's own items first, then each sub-menu's, in order.
bool FindInTree(HMENU menu, UINT id, HMENU& owner, int& position, int depth = 0) {
    if (menu == nullptr || depth > kMaxDepth) return false;
    position = DirectPositionOf(menu, id);
    if (position >= 0) {
        owner = menu;
        return true;
    }
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i)
        if (FindInTree(::GetSubMenu(menu, i), id, owner, position, depth + 1)) return true;
    return false;
}

bool IsSubmenuOf(HMENU menu, HMENU root, int depth = 0) {
    if (menu == nullptr || root == nullptr || depth > kMaxDepth) return false;
    const int count = GetMenuItemCount(root);
    for (int i = 0; i < count; ++i) {
        HMENU sub = ::GetSubMenu(root, i);
        if (sub != nullptr && (sub == menu || IsSubmenuOf(menu, sub, depth + 1))) return true;
    }
    return false;
}

void CollectSubMenus(HMENU menu, std::vector<HMENU>& found, int depth = 0) {
    if (menu == nullptr || depth > kMaxDepth) return;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        HMENU sub = ::GetSubMenu(menu, i);
        if (sub == nullptr) continue;
        found.push_back(sub);
        CollectSubMenus(sub, found, depth + 1);
    }
}

bool MenuHasItem(HMENU menu, UINT id) {
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i)
        if (GetMenuItemID(menu, i) == id) return true;
    return false;
}

bool EnablePopupIn(HMENU menu, UINT id, bool enable, int depth) {
    if (depth > kMaxDepth) return false;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        HMENU sub = ::GetSubMenu(menu, i);
        if (sub != nullptr && MenuHasItem(sub, id))
            return EnableMenuItem(menu, static_cast<UINT>(i), MF_BYPOSITION | (enable ? MF_ENABLED : MF_GRAYED | MF_DISABLED)) != -1;
    }
    for (int i = 0; i < count; ++i) {
        HMENU sub = ::GetSubMenu(menu, i);
        if (sub != nullptr && EnablePopupIn(sub, id, enable, depth + 1)) return true;
    }
    return false;
}

bool InsertAtEnd(HMENU menu, UINT id, const exstring& text, HMENU subMenu, bool separator, bool ownerDraw,
                 UINT extraType = 0) {
    std::vector<wchar_t> buffer(text.begin(), text.end());
    buffer.push_back(L'\0');
    MENUITEMINFOW info = ItemInfo(MIIM_STRING | MIIM_ID | MIIM_FTYPE | (subMenu != nullptr ? MIIM_SUBMENU : 0u));
    info.fType = (separator ? MFT_SEPARATOR : MFT_STRING) | (ownerDraw ? MFT_OWNERDRAW : 0u) | extraType;
    info.dwTypeData = buffer.data();
    info.hSubMenu = subMenu;
    info.wID = subMenu != nullptr ? static_cast<UINT>(reinterpret_cast<UINT_PTR>(subMenu)) : id;
    return InsertMenuItemW(menu, static_cast<UINT>(GetMenuItemCount(menu)), TRUE, &info) != FALSE;
}

// Copies every item of `from` (text, ID, checks, greying, sub-menus) into
// `to`; `moved` pairs each old sub-menu with its copy.
bool CopyItems(HMENU from, HMENU to, bool ownerDraw, std::vector<std::pair<HMENU, HMENU>>& moved, int depth = 0) {
    if (depth > kMaxDepth) return false;
    const int count = GetMenuItemCount(from);
    for (int i = 0; i < count; ++i) {
        MenuItem item;
        if (!ReadItem(from, i, item)) return false;
        HMENU copy = nullptr;
        if (item.subMenu != nullptr) {
            copy = CreatePopupMenu();
            if (copy == nullptr) return false;
            if (!CopyItems(item.subMenu, copy, ownerDraw, moved, depth + 1)) {
                DestroyMenu(copy);
                return false;
            }
        }
        const bool separator = (item.type & MFT_SEPARATOR) != 0;
        if (!InsertAtEnd(to, item.id, item.text, copy, separator, ownerDraw, item.type & kKeptTypeBits)) {
            if (copy != nullptr) DestroyMenu(copy);
            return false;
        }
        if (copy != nullptr) moved.emplace_back(item.subMenu, copy);
        MENUITEMINFOW state = ItemInfo(MIIM_STATE);
        state.fState = item.state & (MFS_CHECKED | MFS_DISABLED | MFS_DEFAULT);
        SetMenuItemInfoW(to, static_cast<UINT>(i), TRUE, &state);
    }
    return true;
}

bool IsDisabled(UINT state) {
    return (state & (ODS_DISABLED | ODS_GRAYED)) != 0;
}

bool IsSelected(UINT state) {
    return (state & ODS_SELECTED) != 0;
}

int PopupItemState(UINT state) {
    if (IsDisabled(state)) return IsSelected(state) ? MPI_DISABLEDHOT : MPI_DISABLED;
    return IsSelected(state) ? MPI_HOT : MPI_NORMAL;
}

// Check mark and sub-menu arrow.
COLORREF GlyphColor(UINT state) {
    ThemeState& theme = Theme();
    if (!theme.SystemColors()) return IsDisabled(state) ? theme.Scheme().textDisabled : theme.Scheme().line;
    if (IsDisabled(state)) return GetSysColor(COLOR_GRAYTEXT);
    return GetSysColor(IsSelected(state) ? COLOR_HIGHLIGHTTEXT : COLOR_3DDKSHADOW);
}

COLORREF ItemTextColor(UINT state) {
    ThemeState& theme = Theme();
    if (!theme.SystemColors()) return IsDisabled(state) ? theme.Scheme().textDisabled : theme.Scheme().text;
    COLORREF color = 0;
    HTHEME menuTheme = MenuTheme();
    if (menuTheme != nullptr &&
        SUCCEEDED(GetThemeColor(menuTheme, MENU_POPUPITEM, PopupItemState(state), TMT_TEXTCOLOR, &color)))
        return color;
    if (IsDisabled(state)) return GetSysColor(COLOR_GRAYTEXT);
    return GetSysColor(IsSelected(state) ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
}

void FillItemBackground(HDC dc, const RECT& area, UINT state) {
    ThemeState& theme = Theme();
    const bool selected = IsSelected(state);
    const bool disabled = IsDisabled(state);
    if (!theme.SystemColors()) {
        const ColorScheme& scheme = theme.Scheme();
        SolidFill(dc, area, selected ? (disabled ? scheme.face : scheme.facePressed) : scheme.background);
        return;
    }
    if (HTHEME menuTheme = MenuTheme()) {
        DrawThemeBackground(menuTheme, dc, MENU_POPUPBACKGROUND, 0, &area, nullptr);
        DrawThemeBackground(menuTheme, dc, MENU_POPUPITEM, PopupItemState(state), &area, nullptr);
        return;
    }
    FillRect(dc, &area, GetSysColorBrush(selected && !disabled ? COLOR_MENUHILIGHT : COLOR_MENU));
}

void DrawSeparator(HDC dc, const RECT& area) {
    ThemeState& theme = Theme();
    HTHEME menuTheme = MenuTheme();
    if (theme.SystemColors() && menuTheme != nullptr) {
        DrawThemeBackground(menuTheme, dc, MENU_POPUPSEPARATOR, 0, &area, nullptr);
        return;
    }
    const int middle = area.top + (area.bottom - area.top) / 2;
    const RECT line{area.left, middle, area.right, middle + 1};
    SolidFill(dc, line, theme.SystemColors() ? GetSysColor(COLOR_BTNSHADOW) : theme.Scheme().border);
}

int TextWidth(HDC dc, const exstring& text, UINT flags) {
    if (text.empty()) return 0;
    RECT rect{0, 0, kMeasureWidth, kMeasureHeight};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, flags | DT_CALCRECT | DT_SINGLELINE);
    return rect.right - rect.left;
}

void DrawTextIn(HDC dc, const exstring& text, RECT area, UINT flags) {
    if (!text.empty()) DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area, flags);
}

bool FirstItemOwnerDrawn(HMENU menu) {
    MENUITEMINFOW info = ItemInfo(MIIM_FTYPE);
    return GetMenuItemInfoW(menu, 0, TRUE, &info) && (info.fType & MFT_OWNERDRAW) != 0;
}

void SetMenuBackground(HMENU menu, HBRUSH brush) {
    MENUINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = MIM_BACKGROUND | MIM_APPLYTOSUBMENUS;
    info.hbrBack = brush;
    SetMenuInfo(menu, &info);
}

std::vector<exMenu*> OwnedMenus() {
    std::vector<exMenu*> owned;
    for (const auto& entry : MenuMap())
        if (!entry.second->NotOwned()) owned.push_back(entry.second);
    return owned;
}

} // namespace

exMenuMap& MenuMap() {
    static exMenuMap map;
    return map;
}

std::map<HMENU, HWND>& MenuBarMap() {
    return MenuMap().menuBars;
}

exMenuMap::~exMenuMap() {
    while (!empty()) {
        const HMENU handle = begin()->first;
        exMenu* menu = begin()->second;
        if (menu->madeForSubMenu_)
            delete menu;
        else
            menu->Destroy();
        erase(handle);
    }
}

HTHEME MenuTheme() {
    MenuThemeHolder& holder = ThemeHolder();
    if (!holder.opened) {
        holder.handle = OpenThemeData(nullptr, L"Menu");
        holder.opened = true;
    }
    return holder.handle;
}

void ReopenMenuTheme() {
    MenuThemeHolder& holder = ThemeHolder();
    if (holder.handle != nullptr) CloseThemeData(holder.handle);
    holder.handle = OpenThemeData(nullptr, L"Menu");
    holder.opened = true;
}

namespace {
// The pop-up menu open now (its sub-menus count as it), which measures the
// items Windows asks about: an item's ID alone may stand in several menus.
HMENU g_trackedMenu = nullptr;
} // namespace

void RecordTrackedMenu(HMENU menu) {
    if (menu != nullptr && IsSubmenuOf(menu, g_trackedMenu)) return;
    g_trackedMenu = menu;
}

bool MenuOwnerMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_DRAWITEM:
        if (!DrawMenuItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam))) return false;
        result = 1;
        return true;
    case WM_MEASUREITEM:
        if (!MeasureMenuItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam))) return false;
        result = 1;
        return true;
    case WM_INITMENUPOPUP:
        RecordTrackedMenu(reinterpret_cast<HMENU>(wParam));
        return false;
    case WM_UNINITMENUPOPUP:
        RecordTrackedMenu(nullptr);
        return false;
    default:
        return false;
    }
}

namespace {

void FollowToolkitChange(ToolkitChange change) {
    if (change == ToolkitChange::kScheme) exMenu::OnSchemeChanged();
    if (change == ToolkitChange::kFont) exMenu::OnFontChanged();
}

} // namespace

exMenu::exMenu() {
    // The map must be built before any menu, so that it is ended after them.
    MenuMap();
    ListenForChanges(FollowToolkitChange);
}

exMenu::~exMenu() {
    Destroy();
}

exMenu* exMenu::FromHandle(HMENU menu) {
    if (menu == nullptr) return nullptr;
    const auto found = MenuMap().find(menu);
    return found != MenuMap().end() ? found->second : nullptr;
}

bool exMenu::IsMenuBar() const {
    return menu_ != nullptr && MenuBarMap().count(menu_) != 0;
}

bool exMenu::IsOwnerDraw() const {
    return !Theme().SystemColors() && !plainDraw_;
}

int exMenu::GetItemHeight() {
    ThemeState& theme = Theme();
    return theme.MetricsOf(theme.DialogFont()).height + 12;
}

int exMenu::GetAccelGap() {
    ThemeState& theme = Theme();
    return 4 * theme.MetricsOf(theme.DialogFont()).averageWidth;
}

HFONT exMenu::GetItemFont(bool bold) {
    return bold ? Theme().BoldFont() : Theme().DialogFont();
}

HBRUSH exMenu::GetBackgroundBrush() {
    return Theme().SystemColors() ? GetSysColorBrush(COLOR_MENU) : Theme().BackgroundBrush();
}

// A radio item shows the same check mark as a check item, so `radio` does
// not change the glyph.
int exMenu::DrawCheck(HDC dc, RECT* area, UINT itemState, bool, bool measureOnly) {
    const int width = GetItemHeight();
    if (measureOnly || dc == nullptr || area == nullptr) return width;
    RECT square{area->left, area->top, area->left + (area->bottom - area->top), area->bottom};
    HTHEME menuTheme = MenuTheme();
    if (Theme().SystemColors() && menuTheme != nullptr) {
        square.top += 2;
        square.bottom -= 2;
        square.right -= 4;
        const bool disabled = IsDisabled(itemState);
        DrawThemeBackground(menuTheme, dc, MENU_POPUPCHECKBACKGROUND, disabled ? MCB_DISABLED : MCB_NORMAL, &square,
                            nullptr);
        DrawThemeBackground(menuTheme, dc, MENU_POPUPCHECK, disabled ? MC_CHECKMARKDISABLED : MC_CHECKMARKNORMAL,
                            &square, nullptr);
    } else {
        CheckMark(dc, square, kNoColor, kNoColor, GlyphColor(itemState), 0.7);
    }
    return width;
}

int exMenu::DrawSubmenuArrow(HDC dc, RECT* area, UINT itemState, bool measureOnly) {
    const int width = GetItemHeight();
    if (measureOnly || dc == nullptr || area == nullptr) return width;
    RECT square{area->right - (area->bottom - area->top), area->top, area->right, area->bottom};
    HTHEME menuTheme = MenuTheme();
    if (Theme().SystemColors() && menuTheme != nullptr)
        DrawThemeBackground(menuTheme, dc, MENU_POPUPSUBMENU, IsDisabled(itemState) ? MSM_DISABLED : MSM_NORMAL,
                            &square, nullptr);
    else
        Arrow(dc, square, GlyphColor(itemState), 0.45);
    return width;
}

int exMenu::DrawItemText(HDC dc, RECT* area, exstring text, UINT itemState, bool measureOnly) {
    if (dc == nullptr || area == nullptr) return 0;
    const UINT flags = ((itemState & ODS_NOACCEL) != 0 ? DT_HIDEPREFIX : 0u) | ReadingOrderFormat(dc);
    if (!measureOnly) SetTextColor(dc, ItemTextColor(itemState));
    if (IsMenuBar()) {
        if (measureOnly) return TextWidth(dc, text, flags);
        DrawTextIn(dc, text, *area, flags | DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        return 0;
    }
    // Text before the first tab on the left, after the last tab on the right
    // (the accelerator); anything between is not shown.
    const size_t firstTab = text.find(L'\t');
    const exstring first = text.substr(0, firstTab);
    const bool hasLast = firstTab != exstring::npos;
    const exstring last = hasLast ? text.substr(text.rfind(L'\t') + 1) : exstring();
    if (measureOnly) {
        int width = TextWidth(dc, first, flags);
        if (hasLast)
            width += GetAccelGap() + TextWidth(dc, last, flags);
        else
            width += GetAccelGap() / 2;
        return width;
    }
    DrawTextIn(dc, first, *area, flags | DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    if (hasLast) DrawTextIn(dc, last, *area, flags | DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
    return 0;
}

void exMenu::DrawItem(DRAWITEMSTRUCT* item) {
    if (item == nullptr || item->hDC == nullptr) return;
    const RECT itemRect = item->rcItem;
    const int width = itemRect.right - itemRect.left;
    const int height = itemRect.bottom - itemRect.top;
    HDC memory = width > 0 && height > 0 ? SharedDc(item->hDC, width, height) : nullptr;
    HDC dc = memory != nullptr ? memory : item->hDC;
    const RECT full = memory != nullptr ? RECT{0, 0, width, height} : itemRect;

    // The item is one of the drawn menu's own; its ID finds it.
    HMENU owner = item->hwndItem != nullptr ? reinterpret_cast<HMENU>(item->hwndItem) : menu_;
    int position = DirectPositionOf(owner, item->itemID);
    if (position < 0) FindInTree(owner, item->itemID, owner, position);
    MenuItem info;
    if (position >= 0) ReadItem(owner, position, info);

    FillItemBackground(dc, full, item->itemState);
    RECT area = full;
    if (!IsMenuBar()) {
        const bool checked = (info.state & MFS_CHECKED) != 0;
        area.left += DrawCheck(dc, &area, item->itemState, (info.type & MFT_RADIOCHECK) != 0, !checked);
        area.right -= DrawSubmenuArrow(dc, &area, item->itemState, info.subMenu == nullptr);
    }
    if ((info.type & MFT_SEPARATOR) != 0) {
        DrawSeparator(dc, full);
    } else if (!info.text.empty()) {
        SelectedFont font(dc, GetItemFont((item->itemState & ODS_DEFAULT) != 0));
        SetBkMode(dc, TRANSPARENT);
        DrawItemText(dc, &area, info.text, item->itemState, false);
    }
    if (memory != nullptr) BitBlt(item->hDC, itemRect.left, itemRect.top, width, height, memory, 0, 0, SRCCOPY);
    // Otherwise the system paints its own sub-menu arrow over the item.
    ExcludeClipRect(item->hDC, itemRect.left, itemRect.top, itemRect.right, itemRect.bottom);
}

void exMenu::MeasureItem(MEASUREITEMSTRUCT* item) {
    if (item == nullptr) return;
    int itemHeight = GetItemHeight();
    int itemWidth = kDefaultItemWidth;
    HMENU owner = nullptr;
    int position = -1;
    MenuItem info;
    if (FindInTree(menu_, item->itemID, owner, position) && ReadItem(owner, position, info)) {
        if ((info.type & MFT_SEPARATOR) != 0) {
            const int half = Theme().Metrics().halfMarginY;
            itemHeight = itemWidth = half + half % 2;
        } else {
            HDC dc = SharedDc(nullptr, 0, 0);
            SelectedFont font(dc, Theme().DialogFont());
            RECT area{0, 0, kMeasureWidth, kMeasureHeight};
            itemWidth = DrawItemText(dc, &area, info.text, 0, true);
            // The system adds the width of a check mark to every owner-drawn item.
            if (!IsMenuBar())
                itemWidth += DrawCheck(dc, &area, 0, false, true) + DrawSubmenuArrow(dc, &area, 0, true) -
                             GetSystemMetrics(SM_CXMENUCHECK);
        }
    }
    item->itemHeight = static_cast<UINT>(itemHeight > 0 ? itemHeight : 0);
    item->itemWidth = static_cast<UINT>(itemWidth > 0 ? itemWidth : 0);
}

bool exMenu::Attach(HMENU menu, bool notOwned) {
    if (menu == nullptr) return false;
    if (menu == menu_) {
        notOwned_ = notOwned;
        return true;
    }
    const exMenu* other = FromHandle(menu);
    if (other != nullptr && other != this) return false;
    // The theme's start-up notifies every menu in the map, so it must exist
    // before the first one enters.
    Theme();
    MenuTheme();
    Detach(true);
    menu_ = menu;
    notOwned_ = notOwned;
    MenuMap()[menu] = this;
    return true;
}

void exMenu::Detach(bool destroy) {
    if (menu_ == nullptr) return;
    if (destroy && !notOwned_) DestroyMenu(menu_);
    const auto found = MenuMap().find(menu_);
    if (found != MenuMap().end() && found->second == this) MenuMap().erase(found);
    menu_ = nullptr;
    notOwned_ = false;
}

void exMenu::ReleaseWrappers(const std::vector<HMENU>& handles) {
    // Looked up one by one: deleting a wrapper also deletes those below it.
    for (HMENU handle : handles) {
        exMenu* wrapper = FromHandle(handle);
        if (wrapper == nullptr) continue;
        if (wrapper->madeForSubMenu_)
            delete wrapper;
        else
            wrapper->Detach(false);
    }
}

void exMenu::Destroy() {
    if (menu_ == nullptr) return;
    std::vector<HMENU> subMenus;
    CollectSubMenus(menu_, subMenus);
    ReleaseWrappers(subMenus);
    const auto bar = MenuBarMap().find(menu_);
    if (bar != MenuBarMap().end()) {
        if (IsWindow(bar->second) && GetMenu(bar->second) == menu_) SetMenu(bar->second, nullptr);
        MenuBarMap().erase(bar);
    }
    Detach(true);
}

bool exMenu::Adopt(HMENU fresh) {
    if (fresh == nullptr) return false;
    if (!Attach(fresh, false)) {
        DestroyMenu(fresh);
        return false;
    }
    if (!plainDraw_) ApplyOwnerDraw();
    return true;
}

bool exMenu::CreatePopup() {
    return Adopt(CreatePopupMenu());
}

bool exMenu::Create() {
    return Adopt(CreateMenu());
}

bool exMenu::AppendItem(UINT id, const exstring& text, HMENU subMenu) {
    if (menu_ == nullptr) return false;
    return InsertAtEnd(menu_, id, text, subMenu, id == 0 && subMenu == nullptr, IsOwnerDraw());
}

exMenu* exMenu::AppendPopup(const exstring& text) {
    if (menu_ == nullptr) return nullptr;
    HMENU popup = CreatePopupMenu();
    if (popup == nullptr) return nullptr;
    const int before = GetMenuItemCount(menu_);
    if (!AppendItem(0, text, popup)) {
        DestroyMenu(popup);
        return nullptr;
    }
    const int after = GetMenuItemCount(menu_);
    if (before < 0 || after != before + 1) return nullptr;
    exMenu* sub = GetSubMenu(after - 1);
    if (sub == nullptr || sub->menu_ != popup) return nullptr;
    sub->plainDraw_ = plainDraw_;
    if (!plainDraw_) sub->ApplyOwnerDraw();
    return sub;
}

exMenu* exMenu::GetSubMenu(int position) {
    if (menu_ == nullptr) return nullptr;
    HMENU sub = ::GetSubMenu(menu_, position);
    if (sub == nullptr) return nullptr;
    if (exMenu* known = FromHandle(sub)) return known;
    auto* wrapper = new exMenu;
    wrapper->madeForSubMenu_ = true;
    wrapper->plainDraw_ = plainDraw_;
    if (!wrapper->Attach(sub, true)) {
        delete wrapper;
        return nullptr;
    }
    return wrapper;
}

bool exMenu::HasItem(UINT id) const {
    return menu_ != nullptr && MenuHasItem(menu_, id);
}

bool exMenu::EnableItem(UINT item, bool enable, bool byPosition) {
    if (menu_ == nullptr) return false;
    const UINT flags = (byPosition ? MF_BYPOSITION : MF_BYCOMMAND) | (enable ? MF_ENABLED : MF_GRAYED | MF_DISABLED);
    return EnableMenuItem(menu_, item, flags) != -1;
}

bool exMenu::EnablePopupOf(UINT id, bool enable) {
    return menu_ != nullptr && EnablePopupIn(menu_, id, enable, 0);
}

bool exMenu::SetCheck(UINT id, bool checked) {
    if (menu_ == nullptr) return false;
    MENUITEMINFOW info = ItemInfo(MIIM_STATE | MIIM_FTYPE);
    if (!GetMenuItemInfoW(menu_, id, FALSE, &info)) return false;
    info.fState = checked ? (info.fState | MFS_CHECKED) : (info.fState & ~MFS_CHECKED);
    info.fType &= ~(MFT_RADIOCHECK | MFT_BITMAP);
    return SetMenuItemInfoW(menu_, id, FALSE, &info) != FALSE;
}

bool exMenu::CheckRadio(UINT first, UINT last, UINT checkId) {
    if (menu_ == nullptr || !CheckMenuRadioItem(menu_, first, last, checkId, MF_BYCOMMAND)) return false;
    MENUITEMINFOW info = ItemInfo(MIIM_FTYPE);
    if (!GetMenuItemInfoW(menu_, checkId, FALSE, &info)) return false;
    info.fType &= ~(MFT_RADIOCHECK | MFT_BITMAP);
    return SetMenuItemInfoW(menu_, checkId, FALSE, &info) != FALSE;
}

int exMenu::TrackPopup(int x, int y, HWND owner) {
    if (menu_ == nullptr) return 0;
    RecordTrackedMenu(menu_);
    // Right to left, the menu is mirrored, and the mirrored layout swaps the
    // alignment too: x is then the menu's right edge. Its owner-drawn items
    // read right to left by their mirrored DC; MFT_RIGHTORDER is not set,
    // since it shares its bit with MF_SYSMENU, which Wine draws as a window icon.
    const UINT flags = IsRightToLeft() ? TPM_LAYOUTRTL : 0u;
    return TrackPopupMenu(menu_, flags, x, y, 0, owner, nullptr);
}

int exMenu::TrackPopupUnder(const RECT& anchor, HWND owner) {
    return TrackPopup(IsRightToLeft() ? anchor.right : anchor.left, anchor.bottom, owner);
}

int exMenu::GetItemCount() const {
    if (menu_ == nullptr) return 0;
    const int count = GetMenuItemCount(menu_);
    return count > 0 ? count : 0;
}

exstring exMenu::GetItemText(int position) const {
    if (menu_ == nullptr || position < 0) return exstring();
    return ReadText(menu_, static_cast<UINT>(position), true);
}

bool exMenu::ApplyOwnerDraw() {
    if (menu_ == nullptr) return false;
    if (IsOwnerDraw()) SetMenuBackground(menu_, GetBackgroundBrush());
    return SetOwnerDrawFlags();
}

bool exMenu::SetOwnerDrawFlags() {
    if (menu_ == nullptr) return false;
    const bool ownerDraw = IsOwnerDraw();
    const int count = GetMenuItemCount(menu_);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW info = ItemInfo(MIIM_FTYPE | MIIM_SUBMENU);
        if (!GetMenuItemInfoW(menu_, static_cast<UINT>(i), TRUE, &info)) continue;
        if (((info.fType & MFT_OWNERDRAW) != 0) != ownerDraw) {
            info.fMask = MIIM_FTYPE;
            info.fType = (info.fType & ~(MFT_OWNERDRAW | MFT_BITMAP)) | (ownerDraw ? MFT_OWNERDRAW : 0u);
            SetMenuItemInfoW(menu_, static_cast<UINT>(i), TRUE, &info);
        }
        if (info.hSubMenu != nullptr)
            if (exMenu* sub = GetSubMenu(i)) sub->SetOwnerDrawFlags();
    }
    return true;
}

bool exMenu::Rebuild() {
    // An attached menu belongs to someone else's tree; replacing it would
    // leave that tree pointing at a destroyed menu.
    if (menu_ == nullptr || notOwned_) return false;
    const bool bar = IsMenuBar();
    HMENU copy = bar ? CreateMenu() : CreatePopupMenu();
    if (copy == nullptr) return false;
    std::vector<std::pair<HMENU, HMENU>> moved;
    if (!CopyItems(menu_, copy, IsOwnerDraw(), moved)) {
        DestroyMenu(copy);
        return false;
    }
    const HMENU old = menu_;
    exMenuMap& map = MenuMap();
    map.erase(old);
    menu_ = copy;
    map[copy] = this;
    for (const auto& pair : moved) {
        const auto found = map.find(pair.first);
        if (found == map.end()) continue;
        exMenu* wrapper = found->second;
        map.erase(found);
        wrapper->menu_ = pair.second;
        map[pair.second] = wrapper;
    }
    HWND barWindow = nullptr;
    if (bar) {
        barWindow = map.menuBars[old];
        map.menuBars.erase(old);
        map.menuBars[copy] = barWindow;
        SetMenu(barWindow, copy);
    }
    if (g_trackedMenu == old) g_trackedMenu = copy;
    DestroyMenu(old);
    ApplyOwnerDraw();
    if (bar) DrawMenuBar(barWindow);
    return true;
}

bool exMenu::SetMenuBarOf(HWND window) {
    if (menu_ == nullptr || window == nullptr || !SetMenu(window, menu_)) return false;
    MenuBarMap()[menu_] = window;
    DrawMenuBar(window);
    return true;
}

void exMenu::OnSchemeChanged() {
    for (exMenu* menu : OwnedMenus()) {
        if (menu->menu_ == nullptr) continue;
        if (FirstItemOwnerDrawn(menu->menu_) && !menu->IsOwnerDraw()) menu->Rebuild();
        // A menu left system-drawn must not keep the old scheme's brush, which is deleted by now.
        if (!menu->IsOwnerDraw() && !menu->plainDraw_) SetMenuBackground(menu->menu_, nullptr);
        menu->ApplyOwnerDraw();
        const auto bar = MenuBarMap().find(menu->menu_);
        if (bar != MenuBarMap().end()) DrawMenuBar(bar->second);
    }
}

void exMenu::OnFontChanged() {
    for (exMenu* menu : OwnedMenus())
        if (menu->IsOwnerDraw()) menu->Rebuild();
}

bool DrawMenuItem(DRAWITEMSTRUCT* item) {
    if (item == nullptr || item->CtlType != ODT_MENU || item->hwndItem == nullptr) return false;
    const HMENU menu = reinterpret_cast<HMENU>(item->hwndItem);
    exMenu* drawer = exMenu::FromHandle(menu);
    // A sub-menu without an object of its own is drawn by the menu it belongs to.
    for (auto entry = MenuMap().begin(); drawer == nullptr && entry != MenuMap().end(); ++entry)
        if (IsSubmenuOf(menu, entry->first)) drawer = entry->second;
    if (drawer == nullptr) return false;
    drawer->DrawItem(item);
    return true;
}

bool MeasureMenuItem(MEASUREITEMSTRUCT* item) {
    if (item == nullptr || item->CtlType != ODT_MENU) return false;
    exMenu* measurer = nullptr;
    HMENU owner = nullptr;
    int position = -1;
    exMenu* tracked = exMenu::FromHandle(g_trackedMenu);
    if (tracked != nullptr && FindInTree(tracked->Handle(), item->itemID, owner, position)) measurer = tracked;
    // No pop-up recorded (a menu bar, or a menu tracked by other code): the
    // menu that holds the item measures it.
    for (auto entry = MenuMap().begin(); measurer == nullptr && entry != MenuMap().end(); ++entry)
        if (DirectPositionOf(entry->first, item->itemID) >= 0) measurer = entry->second;
    if (measurer == nullptr) return false;
    measurer->MeasureItem(item);
    return true;
}
