#include "exmsgbox.h"


#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "../../text/pathutil.h"
#include "../../text/textutil.h"
#include "../draw/exfont.h"
#include "../draw/mirroring.h"
#include "../theme/extheme.h"
#include "../window/exapp.h"
#include "exstatic.h"
#include "exsysicon.h"

namespace {

const wchar_t kBoxClass[] = L"exMsgBox00";
const int kFirstButton = 1001;
const int kCheckBoxId = 1004;
// The id the system's own box gives its text, where tools look for it.
const int kMessageId = 0xFFFF;
const DWORD kMessageStyle = WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL;
const DWORD kCheckBoxStyle = BS_AUTOCHECKBOX | BS_TOP | BS_MULTILINE;
const UINT kTextFormat = DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX | DT_EDITCONTROL;

// Dialog units.
const int kWideTextUnits = 278;
const int kButtonUnitsX = 50;
const int kButtonUnitsY = 14;
const int kButtonGapUnits = 4;

const int kButtonIdCount = 11;  // IDOK .. IDCONTINUE
const wchar_t* const kBuiltInCaptions[kButtonIdCount] = {
    L"OK", L"Cancel", L"&Abort", L"&Retry", L"&Ignore", L"&Yes", L"&No", L"&Close", L"Help", L"&Try Again",
    L"&Continue"};
// User32 keeps its own button captions as strings 800 .. 810, in id order.
const UINT kUser32CaptionBase = 800;
const int kLongestSystemCaption = 63;

struct ButtonSet {
    int count;
    int ids[3];  // rightmost first
    int escape;  // what Esc and the close box give; 0 for none
};

ButtonSet ButtonsOf(UINT style) {
    switch (style & MB_TYPEMASK) {
    case MB_OK: return {1, {IDOK, 0, 0}, IDOK};
    case MB_OKCANCEL: return {2, {IDCANCEL, IDOK, 0}, IDCANCEL};
    case MB_YESNOCANCEL: return {3, {IDCANCEL, IDNO, IDYES}, IDCANCEL};
    case MB_YESNO: return {2, {IDNO, IDYES, 0}, IDNO};
    default: return {0, {0, 0, 0}, 0};
    }
}

bool HasCancelButton(const ButtonSet& set) {
    return std::find(set.ids, set.ids + set.count, IDCANCEL) != set.ids + set.count;
}

// The icon flags a style stands for once the type's default is applied.
UINT IconFlagsOf(UINT style) {
    const UINT icon = style & MB_ICONMASK;
    if (icon != 0) return icon;
    switch (style & MB_TYPEMASK) {
    case MB_OK: return MB_ICONINFORMATION;
    case MB_OKCANCEL: return MB_ICONWARNING;
    case MB_YESNOCANCEL: case MB_YESNO: return MB_ICONQUESTION;
    default: return 0;
    }
}

HICON IconOf(UINT iconFlags) {
    switch (iconFlags) {
    case MB_ICONERROR: return SystemIcons().Get(kIconErrorLarge);
    case MB_ICONQUESTION: return SystemIcons().Get(kIconQuestionLarge);
    case MB_ICONWARNING: return SystemIcons().Get(kIconWarningLarge);
    case MB_ICONINFORMATION: return SystemIcons().Get(kIconInformationLarge);
    default: return nullptr;
    }
}

struct CaptionTable {
    bool loaded = false;
    exstring defaults[kButtonIdCount];
    exstring overrides[kButtonIdCount];
};

CaptionTable& Captions() {
    static CaptionTable table;
    return table;
}

void LoadDefaultCaptions(CaptionTable& table) {
    table.loaded = true;
    exstring system[kButtonIdCount];
    bool usable = false;
    if (HMODULE user32 = GetModuleHandleW(L"User32.dll")) {
        usable = true;
        for (int i = 0; i < kButtonIdCount && usable; ++i) {
            wchar_t buffer[260] = {};
            const int length = LoadStringW(user32, kUser32CaptionBase + static_cast<UINT>(i), buffer, 260);
            usable = length > 0 && length <= kLongestSystemCaption;
            if (usable) system[i] = exstring(buffer, static_cast<size_t>(length));
        }
    }
    // All or nothing, so the captions of one box never mix two sources.
    for (int i = 0; i < kButtonIdCount; ++i) table.defaults[i] = usable ? system[i] : exstring(kBuiltInCaptions[i]);
}

// Candidate text widths, first the plain one, then ever larger shares of the
// work area.
void CandidateWidths(int wideText, int workWidth, int reserved, int (&widths)[4]) {
    widths[0] = wideText - reserved;
    widths[1] = workWidth * 5 / 8 - reserved;
    widths[2] = workWidth * 3 / 4 - reserved;
    widths[3] = workWidth * 7 / 8 - reserved;
}

} // namespace

exstring GetButtonText(int id) {
    if (id < 1 || id > kButtonIdCount) return {};
    CaptionTable& table = Captions();
    if (!table.loaded) LoadDefaultCaptions(table);
    const exstring& override = table.overrides[id - 1];
    return override.empty() ? table.defaults[id - 1] : override;
}

void SetButtonTexts(const wchar_t* ok, const wchar_t* cancel, const wchar_t* yes, const wchar_t* no) {
    CaptionTable& table = Captions();
    const std::pair<int, const wchar_t*> texts[] = {{IDOK, ok}, {IDCANCEL, cancel}, {IDYES, yes}, {IDNO, no}};
    for (const auto& entry : texts)
        if (entry.second != nullptr) table.overrides[entry.first - 1] = entry.second;
}

exMessageBox::exMessageBox(const exstring& text, UINT style, const exstring& caption, const wchar_t* checkText,
                           bool checkState)
    : exBaseDlg(0), style_(style), caption_(caption), text_(text), checkText_(checkText), checkState_(checkState) {
    BeginTemplate(188, 106, true, 4);
    for (int i = 0; i < 3; ++i)
        AddTemplateButton(static_cast<uint16_t>(kFirstButton + i), static_cast<int16_t>(i == 0 ? 7 : i == 1 ? 67 : 131),
                          85, 50, 14);
    AddTemplateButton(kCheckBoxId, 0, 0, 0, 0);

    SetTemplateClassName(kBoxClass);
    AddTemplateItemStyle(3, kCheckBoxStyle);
}

exMessageBox::~exMessageBox() = default;

void exMessageBox::SubclassControls() {
    for (int i = 0; i < 3; ++i) buttons_[i].SubclassDlgItem(Handle(), kFirstButton + i);
    checkBox_.SubclassDlgItem(Handle(), kCheckBoxId);
}

BOOL exMessageBox::OnInitDialog() {
    exBaseDlg::OnInitDialog();
    icon_ = IconOf(IconFlagsOf(style_));
    SetWindowTextW(Handle(), caption_.c_str());
    PrepareButtons();
    PrepareCheckBox();
    PrepareMessage();
    SizeAndPlace();
    CenterWindow(GetWindow(Handle(), GW_OWNER));
    return FALSE;  // the focus is on the default button already
}

void exMessageBox::PrepareButtons() {
    const ButtonSet set = ButtonsOf(style_);
    // The k-th button of the set, counted from the right, goes to 1003, 1002, 1001.
    for (int k = 0; k < 3; ++k) {
        HWND button = buttons_[2 - k].Handle();
        if (button == nullptr) continue;
        if (k < set.count) {
            SetWindowLongPtrW(button, GWLP_ID, set.ids[k]);
            SetWindowTextW(button, GetButtonText(set.ids[k]).c_str());
            ShowWindow(button, SW_SHOW);
        } else {
            ShowWindow(button, SW_HIDE);
        }
    }
    if (set.count == 0) return;
    // The program's boxes all default to their leftmost button.
    const int defaultId = set.ids[set.count - 1];
    SendMessage(DM_SETDEFID, static_cast<WPARAM>(defaultId), 0);
    if (HWND button = GetDlgItem(Handle(), defaultId))
        SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(button), 1);
}

void exMessageBox::PrepareCheckBox() {
    HWND box = checkBox_.Handle();
    if (box == nullptr) return;
    if (checkText_ == nullptr) {
        ShowWindow(box, SW_HIDE);
        return;
    }
    SetWindowTextW(box, checkText_);
    ::SendMessageW(box, BM_SETCHECK, checkState_ ? BST_CHECKED : BST_UNCHECKED, 0);
    ShowWindow(box, SW_SHOW);
}

// The text lives in a static of its own, as in the system's box, so that a
// screen reader reads it with the box.
void exMessageBox::PrepareMessage() {
    HWND text = CreateWindowExW(0, L"Static", text_.c_str(), kMessageStyle, 0, 0, 0, 0, Handle(),
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kMessageId)),
                                reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(Handle(), GWLP_HINSTANCE)), nullptr);
    if (text == nullptr) return;
    ::SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
    message_.SetFixedHeight(true);
    if (!message_.SubclassWindow(text)) DestroyWindow(text);
}

RECT exMessageBox::WorkArea() const {
    HWND reference = GetParent(Handle());
    if (reference == nullptr) reference = GetWindow(Handle(), GW_OWNER);
    if (reference == nullptr) {
        const exApp* app = TheApp();
        const exWnd* main = app != nullptr ? app->MainWindow() : nullptr;
        if (main != nullptr) reference = main->Handle();
    }
    RECT work{};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (reference != nullptr && GetMonitorInfoW(MonitorFromWindow(reference, MONITOR_DEFAULTTOPRIMARY), &monitor))
        work = monitor.rcWork;
    else
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

SIZE exMessageBox::MeasureTextBlock(const int (&candidates)[4], int availableHeight) const {
    SIZE textSize{0, 0};
    for (int width : candidates) {
        if (width <= 0) continue;
        RECT measured{0, 0, width, 0};
        int height = MeasureText(text_.c_str(), kTextFormat, Handle(), Font(), measured);
        int textWidth = measured.right - measured.left;
        // A short text gets a wider, flatter block rather than a narrow column.
        const int pleasing = std::min(3 * height, candidates[0]);
        if (textWidth < pleasing) {
            RECT wider{0, 0, pleasing, 0};
            height = MeasureText(text_.c_str(), kTextFormat, Handle(), Font(), wider);
            textWidth = pleasing;
        }
        // The static wraps a little short of its width.
        textSize = SIZE{textWidth + exStatic::kWrapSlack, height};
        if (height <= availableHeight) break;
    }
    return textSize;
}

SIZE exMessageBox::FitCheckBox(int limit) {
    // The width is fitted to the text; the box's own layout then settles the height.
    exCheckBox& box = checkBox_;
    const exCheckBox::BoxMetrics boxMetrics = box.Metrics(false);
    const int beside = boxMetrics.box.cx + boxMetrics.gap + 6;
    RECT measured{0, 0, std::max(limit - beside, 1), 0};
    const UINT format = exCheckBox::TextFormat(box.ButtonStyle(), true) &
                        ~UINT{DT_LEFT | DT_RIGHT | DT_CENTER | DT_VCENTER | DT_BOTTOM};
    MeasureText(checkText_, format, box.Handle(), Font(), measured);
    const int width = std::min(limit, static_cast<int>(measured.right - measured.left) + beside);
    SetWindowPos(box.Handle(), nullptr, 0, 0, width, 1, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT boxRect{};
    GetWindowRect(box.Handle(), &boxRect);
    return SIZE{boxRect.right - boxRect.left, boxRect.bottom - boxRect.top};
}

void exMessageBox::SizeAndPlace() {
    HWND window = Handle();
    HFONT font = Font();
    const ThemeMetrics& metrics = Theme().Metrics();
    const int mX = metrics.marginX;
    const int mY = metrics.marginY;
    const POINT buttonPixels = DialogUnitsToPixels(font, kButtonUnitsX, kButtonUnitsY);
    const SIZE button{buttonPixels.x, buttonPixels.y};
    const int gap = DialogUnitsToPixels(font, kButtonGapUnits, 0).x;
    const int wideText = DialogUnitsToPixels(font, kWideTextUnits, 0).x;

    RECT windowRect{}, client{};
    GetWindowRect(window, &windowRect);
    GetClientRect(window, &client);
    const int frameX = (windowRect.right - windowRect.left) - (client.right - client.left);
    const int frameY = (windowRect.bottom - windowRect.top) - (client.bottom - client.top);

    const RECT work = WorkArea();
    const SIZE iconSize = IconBitmapSize(icon_);
    const int iconColumn = icon_ != nullptr ? iconSize.cx + mX : 0;

    int candidates[4];
    CandidateWidths(wideText, work.right - work.left, iconColumn + 4 * mX + frameX, candidates);
    const int availableHeight = (work.bottom - work.top) - 4 * mY - frameY - button.cy;

    const SIZE textSize = MeasureTextBlock(candidates, availableHeight);
    const ButtonSet set = ButtonsOf(style_);
    const int buttonRow = set.count > 0 ? mX + (set.count - 1) * gap + set.count * button.cx : 0;
    int contentWidth = std::max(static_cast<int>(textSize.cx), buttonRow);
    int contentHeight = std::max(static_cast<int>(iconSize.cy), static_cast<int>(textSize.cy));

    if (checkText_ != nullptr && checkBox_.Handle() != nullptr) {
        // Within the widest plain text line.
        const SIZE box = FitCheckBox(iconColumn + mX + candidates[0]);
        contentWidth = std::max(contentWidth, static_cast<int>(box.cx) - iconColumn - mX);
        contentHeight += box.cy + mY;
    }

    RECT outer{0, 0, iconColumn + contentWidth + 4 * mX, contentHeight + 4 * mY + button.cy};
    AdjustWindowRectEx(&outer, static_cast<DWORD>(GetStyle()), FALSE, static_cast<DWORD>(GetExStyle()));
    int outerWidth = outer.right - outer.left;
    if (outerWidth < wideText && !caption_.empty()) outerWidth = FitCaption(outerWidth, wideText);

    SetWindowPos(window, nullptr, 0, 0, outerWidth, outer.bottom - outer.top, SWP_NOMOVE | SWP_NOZORDER);
    PlaceControls(button, gap);
}

// The width that shows the whole caption next to the caption buttons, but
// never more than `maxWidth` and never less than `windowWidth`.
int exMessageBox::FitCaption(int windowWidth, int maxWidth) const {
    NONCLIENTMETRICSW nonClient{};
    nonClient.cbSize = sizeof(nonClient);
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(nonClient), &nonClient, 0)) return windowWidth;
    exfont captionFont;
    if (!captionFont.Create(nonClient.lfCaptionFont)) return windowWidth;
    RECT measured{0, 0, 0, 0};
    MeasureText(caption_.c_str(), DT_SINGLELINE | DT_NOPREFIX, Handle(), captionFont.Handle(), measured);

    // Measured on the window as it is now: what lies beside the title bar
    // does not change with the width.
    RECT windowRect{};
    GetWindowRect(Handle(), &windowRect);
    const int currentWidth = windowRect.right - windowRect.left;
    TITLEBARINFO titleBar{};
    titleBar.cbSize = sizeof(titleBar);
    int titleWidth = 0;
    if (GetTitleBarInfo(Handle(), &titleBar)) titleWidth = titleBar.rcTitleBar.right - titleBar.rcTitleBar.left;
    if (titleWidth <= 0) {
        RECT client{};
        GetClientRect(Handle(), &client);
        titleWidth = client.right - client.left;
    }
    const int wanted =
        (currentWidth - titleWidth) + nonClient.iCaptionWidth + (measured.right - measured.left) + 10;
    return std::max(windowWidth, std::min(wanted, maxWidth));
}

void exMessageBox::PlaceControls(SIZE button, int gap) {
    const ThemeMetrics& metrics = Theme().Metrics();
    RECT inner{};
    GetClientRect(Handle(), &inner);
    inner.left += metrics.marginX * 3 / 2;
    inner.right -= metrics.marginX * 3 / 2;
    inner.top += metrics.marginY;
    inner.bottom -= metrics.marginY;

    const int buttonTop = inner.bottom - button.cy;
    int x = inner.right - button.cx;
    for (int i = 2; i >= 0; --i, x -= button.cx + gap)
        if (buttons_[i].Handle() != nullptr)
            SetWindowPos(buttons_[i].Handle(), nullptr, x, buttonTop, button.cx, button.cy,
                         SWP_NOZORDER | SWP_NOACTIVATE);

    PlaceMessage();
    HWND box = checkBox_.Handle();
    if (checkText_ == nullptr || box == nullptr) return;
    RECT boxRect{};
    GetWindowRect(box, &boxRect);
    // Widening lets the box's own layout lower its height first.
    SetWindowPos(box, nullptr, 0, 0, inner.right - inner.left, boxRect.bottom - boxRect.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    GetWindowRect(box, &boxRect);
    const int height = boxRect.bottom - boxRect.top;
    SetWindowPos(box, nullptr, inner.left, buttonTop - metrics.marginY - height, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The icon's corner and the text's column, within the client area.
RECT exMessageBox::ContentArea(const RECT& client) const {
    const ThemeMetrics& metrics = Theme().Metrics();
    return RECT{client.left + 2 * metrics.marginX, client.top + metrics.marginY, client.right - 2 * metrics.marginX,
                client.bottom - metrics.marginY};
}

// Beside the icon, centred on it when shorter.
void exMessageBox::PlaceMessage() {
    if (message_.Handle() == nullptr) return;
    RECT client{};
    GetClientRect(Handle(), &client);
    RECT text = ContentArea(client);
    const SIZE iconSize = icon_ != nullptr ? IconBitmapSize(icon_) : SIZE{0, 0};
    if (icon_ != nullptr) text.left += iconSize.cx + Theme().Metrics().marginX;
    RECT measured{0, 0, std::max(static_cast<int>(text.right - text.left) - exStatic::kWrapSlack, 1), 0};
    const int height = text_.empty() ? 0 : MeasureText(text_.c_str(), kTextFormat, Handle(), Font(), measured);
    if (height < iconSize.cy) text.top += iconSize.cy / 2 - height / 2;
    SetWindowPos(message_.Handle(), nullptr, text.left, text.top, text.right - text.left, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void exMessageBox::OnDraw(HDC dc, const RECT& client) {
    if (icon_ == nullptr) return;
    const RECT content = ContentArea(client);
    const SIZE iconSize = IconBitmapSize(icon_);
    DrawIconUnmirrored(dc, content.left, content.top, icon_, iconSize.cx, iconSize.cy);
}

// Esc or the close box on a box without a Cancel button: the type's own
// answer, as long as closing is allowed at all.
bool exMessageBox::EndByEscape() {
    const ButtonSet set = ButtonsOf(style_);
    if (HasCancelButton(set) || set.escape == 0) return false;
    HMENU systemMenu = GetSystemMenu(Handle(), FALSE);
    if (systemMenu == nullptr) return false;
    const UINT state = GetMenuState(systemMenu, SC_CLOSE, MF_BYCOMMAND);
    if (state == static_cast<UINT>(-1) || (state & (MF_GRAYED | MF_DISABLED)) != 0) return false;
    EndDialog(set.escape);
    return true;
}

LRESULT exMessageBox::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    static constexpr exMessageEntry<exMessageBox> kHandlers[] = {
        {WM_COMMAND, &exMessageBox::OnCommandMessage},
        {WM_CLOSE, &exMessageBox::OnClose},
        {WM_DESTROY, &exMessageBox::OnDestroy},
        {WM_PAINT, &exMessageBox::OnPaint},
        {WM_ERASEBKGND, &exMessageBox::OnEraseBkgnd},
    };
    exMessage current{message, wParam, lParam};
    if (const exHandled result = DispatchToHandler(*this, kHandlers, current)) return *result;
    return exBaseDlg::WindowProc(message, wParam, lParam);
}

exHandled exMessageBox::OnCommandMessage(exMessage& message) {
    const int id = LOWORD(message.wParam);
    if (id == IDCANCEL) {
        if (EndByEscape()) return 0;
        return kNotHandled;
    }
    // Only a click on one of the buttons ends the box; the check box stays.
    if (id == kCheckBoxId || message.lParam == 0 || HIWORD(message.wParam) != BN_CLICKED) return kNotHandled;
    EndDialog(id);
    return 0;
}

exHandled exMessageBox::OnClose(exMessage&) {
    // The base would end with IDCANCEL at once; the close box answers as Esc does.
    return SendMessage(WM_COMMAND, IDCANCEL, 0);
}

exHandled exMessageBox::OnDestroy(exMessage&) {
    if (checkBox_.Handle() != nullptr)
        checkState_ = ::SendMessageW(checkBox_.Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
    return kNotHandled;
}

exHandled exMessageBox::OnPaint(exMessage&) {
    // The icon is the dialog's own drawing, so it paints in both modes.
    PaintClient(Handle(), Font(), true);
    return 0;
}

exHandled exMessageBox::OnEraseBkgnd(exMessage& message) {
    if (message.wParam != 0) return 1;
    return kNotHandled;
}

bool exMessageBox::PreTranslateMessage(MSG* message) {
    if (message != nullptr && message->message == WM_KEYDOWN && message->wParam == 'C' &&
        GetAsyncKeyState(VK_CONTROL) < 0 && !text_.empty() &&
        (message->hwnd == Handle() || IsChild(Handle(), message->hwnd)))
        CopyTextToClipboard();
    return false;
}

void exMessageBox::CopyTextToClipboard() const {
    if (!OpenClipboard(Handle())) return;
    EmptyClipboard();
    const size_t bytes = (text_.size() + 1) * sizeof(wchar_t);
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes)) {
        if (void* target = GlobalLock(memory)) {
            std::memcpy(target, text_.c_str(), text_.size() * sizeof(wchar_t));
            GlobalUnlock(memory);
            // The clipboard owns the block only once SetClipboardData succeeds.
            if (SetClipboardData(CF_UNICODETEXT, memory) == nullptr) GlobalFree(memory);
        } else {
            GlobalFree(memory);
        }
    }
    CloseClipboard();
}

int ShowMessageBox(HWND owner, const exstring& text, UINT style, const wchar_t* caption, const wchar_t* checkText,
                   bool* checkState) {
    std::unique_ptr<exMessageBox> box;
    try {
        exstring body = text;
        Trim(body, L"\r\n", kTrimLeading);
        exstring title = caption != nullptr ? exstring(caption) : exstring();
        if (title.empty()) {
            const exApp* app = TheApp();
            if (app != nullptr) title = app->Name();
        }
        if (title.empty()) title = FileNameOf(ModulePath(false));
        CleanMenuText(title, kMenuDotsTwoOrMore);
        box.reset(new exMessageBox(body, style, title, checkText, checkState != nullptr && *checkState));
    } catch (const std::bad_alloc&) {
        return -1;
    }
    const int result = static_cast<int>(box->DoModal(owner));
    if (checkState != nullptr) *checkState = checkText != nullptr && box->CheckState();
    return result;
}
