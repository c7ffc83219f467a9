#include "exwnd.h"

#include <atomic>

#include "placement.h"

namespace {

exWnd* g_pendingObject = nullptr;
// Set once the map is gone at process end; later unbinding leaves it alone.
bool g_mapDestroyed = false;

const UINT kFrameChangedFlags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED;

// Creation, destruction and menu loops are the system's to announce, by a
// direct call on the window's own thread. The same messages sent from another
// thread, or posted through the queue, are forgeries: acting on one would
// unbind a live window from its object, end a loop that must go on, or make
// the lock believe a menu of its own is open or shut.
bool IsSystemAnnouncement(UINT message) {
    return message == WM_NCCREATE || message == WM_CREATE || message == WM_DESTROY || message == WM_NCDESTROY ||
           message == WM_ENTERMENULOOP || message == WM_EXITMENULOOP;
}

// The window named by an *ITEM message must be one of the receiver's own
// children, with the ID it was made with.
bool NamesOwnChild(HWND window, HWND item, UINT controlId) {
    return item != nullptr && GetParent(item) == window && GetDlgCtrlID(item) == static_cast<int>(controlId);
}

// Sent from another thread, a message with a pointer is read only where the
// system made the copy itself. WM_NOTIFY's pointer is the sender's and means
// nothing here; the *ITEM structures are copied, but hold whatever the sender
// wrote, so they must name a child of the receiver (never a menu, whose items
// only this thread draws).
bool ReadableFromAnotherThread(HWND window, UINT message, LPARAM lParam) {
    switch (message) {
    case WM_NOTIFY:
        return false;
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        return item != nullptr && item->CtlType != ODT_MENU && NamesOwnChild(window, item->hwndItem, item->CtlID);
    }
    case WM_MEASUREITEM: {
        const auto* item = reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam);
        return item != nullptr && item->CtlType != ODT_MENU && item->CtlID != 0 &&
               GetDlgItem(window, static_cast<int>(item->CtlID)) != nullptr;
    }
    case WM_COMPAREITEM: {
        const auto* item = reinterpret_cast<const COMPAREITEMSTRUCT*>(lParam);
        return item != nullptr && NamesOwnChild(window, item->hwndItem, item->CtlID);
    }
    case WM_DELETEITEM: {
        const auto* item = reinterpret_cast<const DELETEITEMSTRUCT*>(lParam);
        return item != nullptr && NamesOwnChild(window, item->hwndItem, item->CtlID);
    }
    default:
        return true;
    }
}

bool CarriesPointer(UINT message) {
    return message == WM_NOTIFY || message == WM_DRAWITEM || message == WM_MEASUREITEM ||
           message == WM_COMPAREITEM || message == WM_DELETEITEM;
}

// Sees every message taken from this thread's queue, whichever loop takes it
// (menus and system dialogs run loops of their own), and voids the forged ones.
LRESULT CALLBACK VoidQueuedAnnouncements(int code, WPARAM wParam, LPARAM lParam) noexcept {
    if (code == HC_ACTION && wParam == PM_REMOVE && lParam != 0) {
        auto* message = reinterpret_cast<MSG*>(lParam);
        if (IsSystemAnnouncement(message->message)) message->message = WM_NULL;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Once, on the thread that binds the first window: every window runs there.
void GuardTheQueue() {
    static HHOOK hook = nullptr;
    if (hook == nullptr)
        hook = SetWindowsHookExW(WH_GETMESSAGE, VoidQueuedAnnouncements, nullptr, GetCurrentThreadId());
}

// Menus tracked now by this thread's windows: their own menus say when they
// open and close, a control's context menu runs within WM_CONTEXTMENU. Read
// by the lock's hook thread as well.
std::atomic<int> g_menusOpen{0};

exWnd* g_mainWindow = nullptr;
void (*g_helpHandler)() = nullptr;

bool IsControlColorMessage(UINT message) {
    return message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX || message == WM_CTLCOLORBTN ||
           message == WM_CTLCOLORSCROLLBAR || message == WM_CTLCOLORSTATIC;
}

} // namespace

bool SentFromAnotherThread() {
    return (InSendMessageEx(nullptr) & (ISMEX_SEND | ISMEX_NOTIFY | ISMEX_CALLBACK)) != 0;
}

bool exWnd::MenuOpen() {
    return g_menusOpen > 0;
}

exWnd* exWnd::MainWindow() {
    return g_mainWindow;
}

void exWnd::SetMainWindow(exWnd* window) {
    g_mainWindow = window;
}

void exWnd::SetHelpHandler(void (*handler)()) {
    g_helpHandler = handler;
}

exWndMap* WindowMap() {
    static exWndMap map;
    return g_mapDestroyed ? nullptr : &map;
}

exWndMap::~exWndMap() {
    // Unbinding erases entries, so take them one at a time from the front.
    while (!empty()) {
        exWnd* object = begin()->second;
        erase(begin());
        object->Detach(false);
    }
    g_mapDestroyed = true;
}

void SetPendingObject(exWnd* object) {
    g_pendingObject = object;
}

exWnd* PendingObject() {
    return g_pendingObject;
}

// Reflection of notifications to the child control they concern.
class exWndRouting {
public:
    static bool Reflect(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        switch (message) {
        case WM_DRAWITEM: {
            auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
            exWnd* child = item != nullptr && item->CtlType != ODT_MENU ? exWnd::FromHandle(item->hwndItem) : nullptr;
            if (child == nullptr) return false;
            child->drawItemNotHandled_ = false;
            child->OnDrawItem(item);
            result = TRUE;
            return !child->drawItemNotHandled_;
        }
        case WM_MEASUREITEM: {
            auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
            if (item == nullptr || item->CtlType == ODT_MENU || item->CtlID == 0) return false;
            exWnd* child = exWnd::FromHandle(exWnd::FindDescendant(window, static_cast<int>(item->CtlID)));
            if (child == nullptr) return false;
            child->measureItemNotHandled_ = false;
            child->OnMeasureItem(item);
            result = TRUE;
            return !child->measureItemNotHandled_;
        }
        case WM_COMPAREITEM: {
            auto* item = reinterpret_cast<COMPAREITEMSTRUCT*>(lParam);
            exWnd* child = item != nullptr ? exWnd::FromHandle(item->hwndItem) : nullptr;
            if (child == nullptr) return false;
            child->compareItemNotHandled_ = false;
            result = child->OnCompareItem(item);
            return !child->compareItemNotHandled_;
        }
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            exWnd* child = header != nullptr && header->idFrom != 0 ? exWnd::FromHandle(header->hwndFrom) : nullptr;
            return child != nullptr && child->OnNotify(header, &result);
        }
        case WM_COMMAND: {
            if (LOWORD(wParam) == 0 || lParam == 0) return false;
            exWnd* child = exWnd::FromHandle(reinterpret_cast<HWND>(lParam));
            if (child == nullptr || !child->OnCommand(HIWORD(wParam))) return false;
            result = 0;
            return true;
        }
        default:
            return false;
        }
    }
};

void BindPendingObject(HWND window) {
    exWnd* object = g_pendingObject;
    g_pendingObject = nullptr;
    if (object == nullptr || object->Handle() != nullptr || exWnd::FromHandle(window) != nullptr) return;
    object->Attach(window);
}

LRESULT CALLBACK exWnd::SharedWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (window == nullptr) return 0;
    exWnd* object = FromHandle(window);
    if (object == nullptr && (message == WM_NCCREATE || message == WM_CREATE)) {
        BindPendingObject(window);
        object = FromHandle(window);
    }
    if (object == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    if (IsSystemAnnouncement(message) && SentFromAnotherThread()) return 0;
    if (CarriesPointer(message) && SentFromAnotherThread() && !ReadableFromAnotherThread(window, message, lParam))
        return 0;
    // A control is closed only with its dialog: the system's default would
    // destroy it on request, and a dialog without its field is wedged.
    if ((message == WM_CLOSE || message == WM_SYSCOMMAND) && (GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) != 0)
        return 0;

    if (message == WM_SETFONT) {
        object->font_ = reinterpret_cast<HFONT>(wParam);
        for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
            ::SendMessageW(child, WM_SETFONT, wParam, lParam);
    }

    if (message == WM_ENTERMENULOOP || message == WM_CONTEXTMENU) ++g_menusOpen;
    if (message == WM_EXITMENULOOP && g_menusOpen > 0) --g_menusOpen;
    LRESULT result = 0;
    if (!exWndRouting::Reflect(window, message, wParam, lParam, result))
        result = object->WindowProc(message, wParam, lParam);
    if (message == WM_CONTEXTMENU && g_menusOpen > 0) --g_menusOpen;

    if (IsControlColorMessage(message) && lParam != 0) {
        if (exWnd* child = FromHandle(reinterpret_cast<HWND>(lParam)))
            child->OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HBRUSH*>(&result));
    }
    if (message == WM_DESTROY && g_mainWindow != nullptr && g_mainWindow->Handle() == window) PostQuitMessage(0);
    if (message == WM_NCDESTROY) {
        // Looked up again: the handler may have unbound the object itself.
        if (exWnd* still = FromHandle(window)) still->Detach(false);
    }
    return result;
}

exWnd::exWnd()
    : previousProc_(nullptr), minTrackWidth_(0), minTrackHeight_(0), font_(nullptr), drawItemNotHandled_(false),
      measureItemNotHandled_(false), compareItemNotHandled_(false), handle_(nullptr) {}

exWnd::~exWnd() {
    Detach(true);
}

LRESULT exWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_HELP) {
        if (g_helpHandler != nullptr) g_helpHandler();
        return 0;
    }
    if (previousProc_ != nullptr && previousProc_ != SharedWindowProc)
        return CallWindowProcW(previousProc_, handle_, message, wParam, lParam);
    return DefWindowProcW(handle_, message, wParam, lParam);
}

bool exWnd::IsDialogMessage(MSG*) {
    return false;
}

void exWnd::OnSubclassed() {}

bool exWnd::PreTranslateMessage(MSG*) {
    return false;
}

void exWnd::OnDrawItem(DRAWITEMSTRUCT*) {
    drawItemNotHandled_ = true;
}

void exWnd::OnMeasureItem(MEASUREITEMSTRUCT*) {
    measureItemNotHandled_ = true;
}

int exWnd::OnCompareItem(COMPAREITEMSTRUCT* item) {
    compareItemNotHandled_ = true;
    if (item == nullptr || item->itemID1 == item->itemID2) return 0;
    return item->itemID1 < item->itemID2 ? -1 : 1;
}

bool exWnd::OnNotify(NMHDR*, LRESULT* result) {
    if (result != nullptr) *result = 0;
    return false;
}

bool exWnd::OnCommand(UINT) {
    return false;
}

void exWnd::OnCtlColor(HDC, HBRUSH*) {}

bool exWnd::SubclassDlgItem(HWND parent, int controlId) {
    if (handle_ != nullptr || parent == nullptr || controlId == 0) return false;
    HWND control = GetDlgItem(parent, controlId);
    return control != nullptr && SubclassWindow(control);
}

bool exWnd::SubclassWindow(HWND window) {
    if (handle_ != nullptr || previousProc_ != nullptr) return false;
    const bool attached = Attach(window);
    OnSubclassed();
    return attached;
}

bool exWnd::Attach(HWND window) {
    if (window == nullptr) return false;
    if (handle_ == window) return true;
    if (handle_ != nullptr || previousProc_ != nullptr) return false;
    exWndMap* map = WindowMap();
    if (map == nullptr) return false;
    // One object per handle: a second one would take over the map entry and
    // leave the first believing it is still bound.
    if (map->count(window) != 0) return false;

    const auto font = reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0));
    if (font != nullptr) font_ = font;
    const auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC));
    if (current != SharedWindowProc) {
        previousProc_ = current;
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SharedWindowProc));
    }
    handle_ = window;
    (*map)[window] = this;
    GuardTheQueue();
    return true;
}

void exWnd::Detach(bool destroy) {
    if (handle_ == nullptr) return;
    const HWND window = handle_;
    if (IsWindow(window)) {
        if (destroy) {
            DestroyWindow(window);
            // WM_NCDESTROY has unbound the object already.
            if (handle_ == nullptr) return;
        }
        if (IsWindow(window) && previousProc_ != nullptr &&
            reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC)) == SharedWindowProc)
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc_));
    }
    if (exWndMap* map = WindowMap()) {
        const auto entry = map->find(window);
        if (entry != map->end() && entry->second == this) map->erase(entry);
    }
    handle_ = nullptr;
    previousProc_ = nullptr;
    minTrackWidth_ = 0;
    minTrackHeight_ = 0;
    font_ = nullptr;
}

exWnd* exWnd::FromHandle(HWND window) {
    if (window == nullptr) return nullptr;
    exWndMap* map = WindowMap();
    if (map == nullptr) return nullptr;
    const auto entry = map->find(window);
    return entry == map->end() ? nullptr : entry->second;
}

HWND exWnd::FindDescendant(HWND parent, int controlId) {
    if (parent == nullptr) return nullptr;
    if (HWND direct = GetDlgItem(parent, controlId)) {
        HWND deeper = FindDescendant(direct, controlId);
        return deeper != nullptr ? deeper : direct;
    }
    for (HWND child = GetTopWindow(parent); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
        if (HWND found = FindDescendant(child, controlId)) return found;
    return nullptr;
}

LONG exWnd::GetStyle() const {
    return handle_ != nullptr ? GetWindowLongW(handle_, GWL_STYLE) : 0;
}

LONG exWnd::GetExStyle() const {
    return handle_ != nullptr ? GetWindowLongW(handle_, GWL_EXSTYLE) : 0;
}

int exWnd::ModifyLong(int index, LONG remove, LONG add, bool refresh) {
    if (handle_ == nullptr) return 0;
    const LONG old = GetWindowLongW(handle_, index);
    const LONG changed = (old & ~remove) | add;
    if (changed == old) return 0;
    SetWindowLongW(handle_, index, changed);
    if (refresh) SetWindowPos(handle_, nullptr, 0, 0, 0, 0, kFrameChangedFlags);
    return 1;
}

int exWnd::ModifyStyle(LONG remove, LONG add, bool refresh) {
    return ModifyLong(GWL_STYLE, remove, add, refresh);
}

int exWnd::ModifyStyleEx(LONG remove, LONG add, bool refresh) {
    return ModifyLong(GWL_EXSTYLE, remove, add, refresh);
}

LRESULT exWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return handle_ != nullptr ? ::SendMessageW(handle_, message, wParam, lParam) : 0;
}

bool exWnd::CenterWindow(HWND centerOn) {
    if (centerOn == nullptr) {
        exWnd* main = g_mainWindow;
        if (main != nullptr && main->Handle() != handle_ && GetWindow(handle_, GW_OWNER) == nullptr)
            centerOn = main->Handle();
    }
    if (!IsWindow(handle_) || (GetStyle() & WS_CHILD) != 0) return false;

    HWND reference = IsWindow(centerOn) ? centerOn : GetWindow(handle_, GW_OWNER);
    RECT centre{};
    RECT bounds{};
    const LONG referenceStyle = reference != nullptr ? GetWindowLongW(reference, GWL_STYLE) : 0;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (reference != nullptr && (referenceStyle & (WS_VISIBLE | WS_MINIMIZE)) == WS_VISIBLE) {
        GetWindowRect(reference, &centre);
        GetMonitorInfoW(MonitorFromWindow(reference, MONITOR_DEFAULTTONEAREST), &monitor);
        bounds = monitor.rcWork;
    } else {
        const POINT origin{0, 0};
        GetMonitorInfoW(MonitorFromPoint(origin, MONITOR_DEFAULTTOPRIMARY), &monitor);
        centre = bounds = monitor.rcWork;
    }
    RECT own{};
    GetWindowRect(handle_, &own);
    const POINT position = CenteredPosition(own, centre, bounds);
    SetWindowPos(handle_, nullptr, position.x, position.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

exstring WindowTextOf(HWND window) {
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) return exstring();
    exstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, &text[0], length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}
