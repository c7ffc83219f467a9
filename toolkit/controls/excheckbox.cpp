#include "excheckbox.h"

#include <vssym32.h>

#include <algorithm>

#include "../draw/exfont.h"
#include "../draw/mirroring.h"
#include "../draw/shapes.h"
#include "../theme/extheme.h"
#include "exbasedlg.h"

namespace {

constexpr DWORD kTypeMask = BS_TYPEMASK;

// Room beside the text for the box, the gap and the margins.
constexpr int kTextMargin = 6;

struct MetricsCache {
    bool valid = false;
    HFONT font = nullptr;
    bool systemColors = false;
    exCheckBox::BoxMetrics metrics;
};

MetricsCache& SharedMetrics() {
    static MetricsCache cache;
    return cache;
}

exCheckBox::BoxMetrics MeasureBox(HWND window, HFONT font, HTHEME theme) {
    exCheckBox::BoxMetrics metrics;
    const UniqueWindowDc windowDc(window);
    const HDC dc = windowDc.Get();
    if (dc == nullptr) return metrics;
    HGDIOBJ previous = font != nullptr ? SelectObject(dc, font) : nullptr;
    SIZE zero{};
    if (GetTextExtentPoint32W(dc, L"0", 1, &zero)) metrics.gap = zero.cx / 2;
    ThemeState& themeState = Theme();
    if (themeState.SystemColors()) {
        SIZE part{};
        if (theme != nullptr && SUCCEEDED(GetThemePartSize(theme, dc, BP_CHECKBOX, 1, nullptr, TS_DRAW, &part))) {
            metrics.box = part;
        } else {
            metrics.box.cx = 13 * GetDeviceCaps(dc, LOGPIXELSX) / 96;
            metrics.box.cy = 13 * GetDeviceCaps(dc, LOGPIXELSY) / 96;
        }
    } else {
        const int side = std::max(13, themeState.MetricsOf(font).height);
        metrics.box = SIZE{side, side};
    }
    if (previous != nullptr) SelectObject(dc, previous);
    return metrics;
}

} // namespace

bool exCheckBox::IsCheckKind(DWORD type) {
    return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX;
}

exCheckBox::~exCheckBox() {
    Detach(true);
}

exCheckBox::BoxMetrics exCheckBox::Metrics(bool recompute) {
    MetricsCache& cache = SharedMetrics();
    const bool systemColors = Theme().SystemColors();
    if (recompute || !cache.valid || cache.font != Font() || cache.systemColors != systemColors) {
        cache.metrics = MeasureBox(Handle(), Font(), ThemeData());
        cache.font = Font();
        cache.systemColors = systemColors;
        cache.valid = true;
    }
    return cache.metrics;
}

bool exCheckBox::UseSystemDrawing() {
    return IsCheckKind(ButtonStyle() & kTypeMask) ? Theme().SystemColors() : exButton::UseSystemDrawing();
}

void exCheckBox::SetAutoSize(bool on) {
    autoSize_ = on;
    AdjustLayout();
}

bool exCheckBox::BoxAtRight() const {
    return (ButtonStyle() & BS_LEFTTEXT) != 0 || (GetExStyle() & WS_EX_RIGHT) != 0;
}

void exCheckBox::OnSubclassed() {
    if (Handle() == nullptr) return;
    checkState_ = static_cast<int>(SendMessage(BM_GETCHECK)) & 3;
    DWORD style = LOWORD(GetStyle());
    if (!IsCheckKind(style & kTypeMask)) style = (style & ~DWORD{0xC}) | 3;
    Bind(style);
}

bool exCheckBox::OnCommand(UINT notificationCode) {
    if (notificationCode != BN_CLICKED || !IsOwnerDrawn()) return false;
    if ((ButtonStyle() & kTypeMask) != BS_AUTOCHECKBOX) return false;
    checkState_ = checkState_ == BST_UNCHECKED ? BST_CHECKED : BST_UNCHECKED;
    Redraw();
    // The parent still receives the click.
    return false;
}

void exCheckBox::GetColors(const DRAWITEMSTRUCT* item, ButtonPaintState& state) {
    exButton::GetColors(item, state);
    if (!IsCheckKind(ButtonStyle() & kTypeMask)) return;
    const ColorScheme& colors = Theme().Scheme();
    const COLORREF buttonFace = state.face;
    state.face = colors.background;
    state.boxFill = state.disabled ? buttonFace : colors.fieldBackground;
    state.boxBorder = state.hot || state.disabled ? state.border : colors.line;
}

UINT exCheckBox::TextFormat(DWORD buttonStyle, bool showCues) {
    UINT format = DT_NOCLIP | DT_EDITCONTROL;
    switch (buttonStyle & BS_CENTER) {
    case BS_RIGHT: format |= DT_RIGHT; break;
    case BS_CENTER: format |= DT_CENTER; break;
    default: format |= DT_LEFT; break;
    }
    format |= (buttonStyle & BS_MULTILINE) != 0 ? DT_WORDBREAK : DT_SINGLELINE;
    switch (buttonStyle & BS_VCENTER) {
    case BS_TOP: format |= DT_TOP; break;
    case BS_BOTTOM: format |= DT_BOTTOM; break;
    default: format |= DT_VCENTER; break;
    }
    if (!showCues) format |= DT_HIDEPREFIX;
    return format;
}

void exCheckBox::DrawState(HDC dc, const RECT& rect, int state) {
    const DWORD style = ButtonStyle();
    if (!IsCheckKind(style & kTypeMask)) {
        exButton::DrawState(dc, rect, state);
        return;
    }
    SolidFill(dc, rect, PaintState().face);
    RECT content = rect;
    InflateRect(&content, -2, -3);

    const BoxMetrics metrics = Metrics(false);
    const bool atRight = BoxAtRight();
    const RECT box = PlaceBox(content, metrics.box, style, atRight);
    DrawBox(dc, box);

    RECT textRect = content;
    if (atRight) {
        textRect.left += 1;
        textRect.right = box.left - metrics.gap - 1;
    } else {
        textRect.left = box.right + metrics.gap + 1;
        textRect.right -= 1;
    }
    DrawLabel(dc, textRect);
}

RECT exCheckBox::PlaceBox(const RECT& content, SIZE size, DWORD style, bool atRight) {
    RECT box{};
    box.left = atRight ? content.right - size.cx : content.left;
    switch (style & BS_VCENTER) {
    case BS_TOP: box.top = content.top; break;
    case BS_BOTTOM: box.top = content.bottom - size.cy; break;
    default: box.top = content.top + (content.bottom - content.top - size.cy) / 2; break;
    }
    box.right = box.left + size.cx;
    box.bottom = box.top + size.cy;
    return box;
}

void exCheckBox::DrawBox(HDC dc, const RECT& box) {
    const ButtonPaintState& paint = PaintState();
    const COLORREF mark = checkState_ == BST_UNCHECKED ? kNoColor : paint.boxBorder;
    CheckMark(dc, box, paint.boxFill, paint.boxBorder, mark, 1.0);
}

void exCheckBox::DrawLabel(HDC dc, RECT textRect) {
    const ButtonPaintState& paint = PaintState();
    const UINT format = TextFormat(ButtonStyle(), paint.showCues);
    RECT measured = textRect;
    MeasureText(Text().c_str(), format & ~UINT{DT_VCENTER | DT_BOTTOM}, dc, measured);
    const int textWidth = measured.right - measured.left;
    const int textHeight = measured.bottom - measured.top;
    if ((format & DT_RIGHT) != 0) measured.left = textRect.right - textWidth;
    else if ((format & DT_CENTER) != 0) measured.left = textRect.left + (textRect.right - textRect.left - textWidth) / 2;
    if ((format & DT_BOTTOM) != 0) measured.top = textRect.bottom - textHeight;
    else if ((format & DT_VCENTER) != 0) measured.top = textRect.top + (textRect.bottom - textRect.top - textHeight) / 2;
    measured.right = measured.left + textWidth;
    measured.bottom = measured.top + textHeight;
    // DT_VCENTER only works on single lines: wrapped text starts where it was placed.
    if ((format & DT_WORDBREAK) != 0) textRect.top = measured.top;

    SetTextColor(dc, paint.text);
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, Text().c_str(), -1, &textRect, format | ReadingOrderFormat(dc));
    if (paint.drawFocus && textWidth > 0) {
        InflateRect(&measured, 1, 1);
        FocusFrame(dc, measured, paint.text);
    }
}

void exCheckBox::AdjustLayout() {
    HWND window = Handle();
    if (!autoSize_ || window == nullptr) return;
    const BoxMetrics metrics = Metrics(false);
    RECT current{};
    GetWindowRect(window, &current);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&current), 2);

    const int besideText = metrics.box.cx + metrics.gap + kTextMargin;
    const int width = std::max(static_cast<int>(current.right - current.left), besideText);
    const UINT format = TextFormat(ButtonStyle(), true) & ~UINT{DT_LEFT | DT_RIGHT | DT_CENTER | DT_VCENTER | DT_BOTTOM};
    RECT measured{0, 0, width - besideText, 0};
    const int textHeight = MeasureText(Text().c_str(), format, window, Font(), measured);
    const int lineHeight = std::max(Theme().MetricsOf(Font()).height, static_cast<int>(metrics.box.cy));
    const int height = std::max(textHeight + 8, lineHeight + kTextMargin);

    const RECT wanted{current.left, current.top, current.left + width, current.top + height};
    if (EqualRect(&wanted, &current)) return;
    SetWindowPos(window, nullptr, wanted.left, wanted.top, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSENDCHANGING);
}

LRESULT exCheckBox::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    static constexpr exMessageEntry<exCheckBox> kHandlers[] = {
        {BM_SETCHECK, &exCheckBox::OnSetCheck},
        {BM_GETCHECK, &exCheckBox::OnGetCheck},
        {BM_GETSTATE, &exCheckBox::OnGetState},
        {WM_SYSCOLORCHANGE, &exCheckBox::OnSysColorChange},
        {WM_SETFONT, &exCheckBox::OnSetFont},
        {WM_THEMECHANGED, &exCheckBox::OnThemeChanged},
    };
    exMessage current{message, wParam, lParam};
    if (const exHandled result = DispatchToHandler(*this, kHandlers, current)) return *result;
    return DefaultProcessing(current);
}

LRESULT exCheckBox::DefaultProcessing(const exMessage& message) {
    return exButton::WindowProc(message.id, message.wParam, message.lParam);
}

exHandled exCheckBox::OnSetCheck(exMessage& message) {
    if (!IsOwnerDrawn()) {
        const LRESULT result = DefaultProcessing(message);
        checkState_ = static_cast<int>(exButton::WindowProc(BM_GETCHECK, 0, 0)) & 3;
        return result;
    }
    int wanted = static_cast<int>(message.wParam);
    if (wanted != BST_UNCHECKED) wanted = BST_CHECKED;
    if (wanted != checkState_) {
        checkState_ = wanted;
        Redraw();
    }
    return 0;
}

exHandled exCheckBox::OnGetCheck(exMessage&) {
    if (IsOwnerDrawn()) return checkState_;
    return kNotHandled;
}

exHandled exCheckBox::OnGetState(exMessage& message) {
    if (IsOwnerDrawn()) return (DefaultProcessing(message) & ~LRESULT{3}) | checkState_;
    return kNotHandled;
}

exHandled exCheckBox::OnSysColorChange(exMessage& message) {
    // Clicks on the native control may have changed its state meanwhile.
    if (!IsOwnerDrawn()) checkState_ = static_cast<int>(exButton::WindowProc(BM_GETCHECK, 0, 0)) & 3;
    const LRESULT result = DefaultProcessing(message);
    if (!IsOwnerDrawn()) SendMessage(BM_SETCHECK, static_cast<WPARAM>(checkState_));
    Metrics(true);
    return result;
}

exHandled exCheckBox::OnSetFont(exMessage&) {
    Metrics(true);
    return kNotHandled;
}

exHandled exCheckBox::OnThemeChanged(exMessage& message) {
    const LRESULT result = DefaultProcessing(message);
    Metrics(true);
    return result;
}
