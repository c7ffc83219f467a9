#include "mgtbgdlg.h"

#include <atomic>
#include <thread>
#include <vector>

#include "../base/uniquehandle.h"
#include "../settings/registry.h"
#include "../text/pathutil.h"
#include "../toolkit/draw/expaintdc.h"
#include "../toolkit/draw/shapes.h"
#include "../toolkit/theme/extheme.h"
#include "../toolkit/window/accessibility.h"
#include "../toolkit/window/layoutdirection.h"
#include "backgroundlayout.h"
#include "pictureheader.h"
#include "picturedecode.h"
#include "mgtlocker.h"

namespace {

const wchar_t kWindowClass[] = L"MGTBACKWND";
const UINT kPictureReady = WM_APP + 50;
const UINT kComposeFirst = WM_APP + 51;
const DWORD kWindowStyle = WS_POPUP;
const DWORD kWindowExStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW;

FILETIME LastWriteTime(const exstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return FILETIME{};
    return data.ftLastWriteTime;
}

// Files larger than this are not read: no picture the lock may show needs more.
constexpr LONGLONG kMaxPictureFileBytes = 320ll * 1024 * 1024;

// The whole file, read and closed at once, so that the user can replace or
// delete the picture while the lock shows it.
bool ReadWholeFile(const exstring& path, std::vector<uint8_t>& bytes) {
    const UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Held()) return false;
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(file.Get(), &size) && size.QuadPart > 0 && size.QuadPart <= kMaxPictureFileBytes;
    if (ok) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        ok = ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) && read == bytes.size();
    }
    return ok;
}

bool TooLarge(long long width, long long height) {
    return width > 0 && height > 0 &&
           static_cast<unsigned long long>(width) * static_cast<unsigned long long>(height) >
               mgtBgDlg::kMaxPicturePixels;
}

bool SameTime(const FILETIME& a, const FILETIME& b) {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

} // namespace

struct mgtBgDlg::Picture {
    exstring path;
    FILETIME written{};
    ScreenPicture shown;
};

// One read of the picture file on a thread of its own: a path on a share that
// does not answer must not stall the thread that runs the hooks. The reading
// thread owns nothing but this record, shared with the window.
struct mgtBgDlg::PictureRead {
    exstring path;
    SIZE screen{0, 0};  // the primary monitor's size
    FILETIME cachedWritten{};  // of the picture in use for `path` and `screen`, if any
    bool haveCached = false;
    std::atomic<HWND> notify{nullptr};
    // Written by the reading thread before `done`.
    bool unchanged = false;
    std::unique_ptr<Picture> picture;  // null: no picture to show
    std::atomic<bool> done{false};
};

namespace {

std::atomic<unsigned long> decodes{0};

bool Decode(const std::vector<uint8_t>& bytes, SIZE screen, ScreenPicture& picture) {
    ++decodes;
    // Refused before the decoder allocates anything for it.
    PictureSize header;
    if (PictureSizeFromHeader(bytes.data(), bytes.size(), header) && TooLarge(header.width, header.height))
        return false;
    return DecodeForScreen(bytes.data(), bytes.size(), screen, mgtBgDlg::kMaxPicturePixels, picture);
}

SIZE PrimarySize(RECT& primary) {
    GetWindowRect(GetDesktopWindow(), &primary);
    return SIZE{primary.right - primary.left, primary.bottom - primary.top};
}

bool SameSize(SIZE a, SIZE b) {
    return a.cx == b.cx && a.cy == b.cy;
}

} // namespace

mgtBgDlg::mgtBgDlg(const mgtSettings& settings) : mgtBaseDlg(0), settings_(settings) {
    blockClose = true;
    BeginTemplate(100, 100, true, 4);
    SetTemplateStyles(kWindowStyle, kWindowExStyle);
    SetTemplateClassName(kWindowClass);
}

mgtBgDlg::~mgtBgDlg() {
    if (read_) read_->notify = nullptr;
}

unsigned long mgtBgDlg::Decodes() {
    return decodes.load();
}

BOOL mgtBgDlg::OnInitDialog() {
    mgtBaseDlg::OnInitDialog();
    // Right to left too, the cover shows the picture as it is, not its mirror image.
    ModifyStyleEx(WS_EX_LAYOUTRTL, 0, false);
    // The first frame is the plain colour, filled straight onto the window:
    // the screen is covered before a screen-sized bitmap, the clock's fonts
    // or the picture exist. The picture's read starts now; the rest is
    // composed once the window has been painted.
    CoverVirtualScreen();
    RecheckPicture();
    // A queue filled by another program refuses the post: composed now then.
    if (!PostMessageW(Handle(), kComposeFirst, 0, 0)) Compose();
    return TRUE;
}

COLORREF mgtBgDlg::Color() const {
    return (settings_.bgColor & 0xFF000000u) != 0 ? GetSysColor(COLOR_BACKGROUND) : settings_.bgColor;
}

exstring mgtBgDlg::PictureCandidate() const {
    exstring path = settings_.bgImage;
    if (path.EqualsNoCase(L"system")) {
        DWORD type = REG_NONE;
        const ByteBuffer value = ReadValue(L"Control Panel\\Desktop", L"WallPaper", &type);
        path.clear();
        if ((type == REG_SZ || type == REG_EXPAND_SZ) && value.Size() >= sizeof(wchar_t))
            path.assign(reinterpret_cast<const wchar_t*>(value.Data()), value.Size() / sizeof(wchar_t));
        path.resize(TextLength(path.c_str()));
    }
    // Loaded from the expanded path: the unexpanded text names no file.
    return ExpandPath(path);
}

void mgtBgDlg::ReadPictureFile(const std::shared_ptr<PictureRead>& read) {
    if (PathKind(read->path) == kPathFile) {
        const FILETIME written = LastWriteTime(read->path);
        read->unchanged = read->haveCached && SameTime(read->cachedWritten, written);
        std::vector<uint8_t> bytes;
        if (!read->unchanged && ReadWholeFile(read->path, bytes)) {
            auto picture = std::make_unique<Picture>();
            picture->path = read->path;
            picture->written = written;
            if (Decode(bytes, read->screen, picture->shown)) read->picture = std::move(picture);
        }
    }
    read->done.store(true, std::memory_order_release);
    if (HWND notify = read->notify.load()) PostMessageW(notify, kPictureReady, 0, 0);
}

void mgtBgDlg::StartPictureRead(const exstring& path, SIZE screen) {
    const ULONGLONG now = GetTickCount64();
    if (read_ && !read_->done.load(std::memory_order_acquire)) {
        if (read_->path == path && SameSize(read_->screen, screen) && now - readStarted_ < kPictureReadLimitMs)
            return;
        // Given up: whatever it finds later goes nowhere.
        read_->notify = nullptr;
    }
    auto read = std::make_shared<PictureRead>();
    read->path = path;
    read->screen = screen;
    read->haveCached = picture_ && picture_->path == path && SameSize(picture_->shown.screen, screen);
    if (read->haveCached) read->cachedWritten = picture_->written;
    read->notify = Handle();
    try {
        std::thread(ReadPictureFile, read).detach();
    } catch (...) {
        return;  // no thread: the colour stays
    }
    read_ = std::move(read);
    readStarted_ = now;
}

bool mgtBgDlg::FinishPictureLoad() {
    if (!read_) return true;
    if (!read_->done.load(std::memory_order_acquire)) return false;
    const std::shared_ptr<PictureRead> read = std::move(read_);
    if (!read->unchanged) picture_ = std::move(read->picture);
    Compose();
    if (Handle() != nullptr) RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE);
    return true;
}

void mgtBgDlg::RecheckPicture() {
    const exstring path = PictureCandidate();
    if (path.empty()) {
        picture_.reset();
    } else {
        RECT primary{};
        StartPictureRead(path, PrimarySize(primary));
    }
}

bool mgtBgDlg::Render(bool recheck) {
    if (recheck) RecheckPicture();
    return Compose();
}

namespace {

exstring SpokenClock(const ClockText& text) {
    exstring spoken = text.time.empty() ? exstring() : text.time + L", " + text.date;
    if (!text.message.empty()) spoken += (spoken.empty() ? L"" : L". ") + text.message;
    return spoken;
}

} // namespace

RECT mgtBgDlg::PlaceClock(const RECT& virtualScreen, const RECT& primary) {
    const RECT none{0, 0, 0, 0};
    // The band also carries the owner's message, with or without the clock.
    if (!settings_.showClock && settings_.lockMessage.empty()) return none;
    const POINT origin{primary.left - virtualScreen.left, primary.top - virtualScreen.top};
    const RECT area = ClockArea(origin, SIZE{primary.right - primary.left, primary.bottom - primary.top}, IsRightToLeft());
    if (area.right <= area.left || !clockFonts_.Make(area)) return none;
    return settings_.lockMessage.empty() ? area : WithMessageRoom(area, origin);
}

bool mgtBgDlg::MakeClockBand() {
    const int width = clockArea_.right - clockArea_.left, height = clockArea_.bottom - clockArea_.top;
    // Made again only for another size, and given back when the clock goes.
    if (background_.BitmapWidth() != width || background_.BitmapHeight() != height) background_.Release();
    HDC dc = nullptr;
    if (width > 0 && height > 0) {
        const UniqueWindowDc windowDc(Handle());
        if (windowDc.Held()) dc = background_.Get(windowDc.Get(), width, height);
    }
    if (dc == nullptr) {
        clockArea_ = RECT{0, 0, 0, 0};
        return false;
    }
    // Drawn in window coordinates: the bitmap's corner is the band's.
    SetViewportOrgEx(dc, -clockArea_.left, -clockArea_.top, nullptr);
    return true;
}

void mgtBgDlg::DrawClockNow() {
    SYSTEMTIME now{};
    now_(&now);
    clockText_ = settings_.showClock ? FormatClock(now) : ClockText();
    clockText_.message = settings_.lockMessage;
    DrawClock(background_.Dc(), clockArea_, clockText_, clockFonts_, ClockColorsFor(HighContrastOn()));
    // The band is painted: the background carries its text for screen readers.
    if (Handle() != nullptr) SetAccessibleName(Handle(), SpokenClock(clockText_));
    // Re-armed for the next minute boundary each time, so it never drifts.
    if (Handle() != nullptr) SetTimer(Handle(), kClockTimer, MillisecondsToNextMinute(now), nullptr);
}

void mgtBgDlg::UpdateClock() {
    if (IsRectEmpty(&clockArea_)) return;
    PaintScene(background_.Dc(), clockArea_);
    DrawClockNow();
    if (Handle() != nullptr) InvalidateRect(Handle(), &clockArea_, FALSE);
}

RECT mgtBgDlg::CoverVirtualScreen() {
    const RECT virtualScreen{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                             GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                             GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    // Placed only: the window is topmost from its creation, and restacking a
    // shown background here could lift it over its own dialog at X level
    // under Wine; keeping it on top is the watchdog's part.
    if (Handle() != nullptr)
        SetWindowPos(Handle(), nullptr, virtualScreen.left, virtualScreen.top,
                     virtualScreen.right - virtualScreen.left, virtualScreen.bottom - virtualScreen.top,
                     SWP_NOACTIVATE | SWP_NOZORDER);
    return virtualScreen;
}

bool mgtBgDlg::Compose() {
    composed_ = true;
    const RECT virtualScreen = CoverVirtualScreen();

    RECT primary{};
    const SIZE primarySize = PrimarySize(primary);
    const LONG left = primary.left - virtualScreen.left, top = primary.top - virtualScreen.top;
    primaryPlace_ = RECT{left, top, left + primarySize.cx, top + primarySize.cy};
    // Made for another monitor size: stretched until it is made again.
    if (picture_ && !SameSize(picture_->shown.screen, primarySize)) StartPictureRead(picture_->path, primarySize);
    // The colour and the picture are painted straight from what is kept:
    // only the clock, drawn over them, needs a bitmap, no larger than its band.
    clockArea_ = PlaceClock(virtualScreen, primary);
    if (MakeClockBand()) {
        PaintScene(background_.Dc(), clockArea_);
        DrawClockNow();
    } else if (Handle() != nullptr) {
        KillTimer(Handle(), kClockTimer);
    }
    return true;
}

void mgtBgDlg::Paint(HDC dc, const RECT& part) const {
    const int saved = SaveDC(dc);
    RECT copied{};
    if (background_.Dc() != nullptr && IntersectRect(&copied, &part, &clockArea_)) {
        BitBlt(dc, copied.left, copied.top, copied.right - copied.left, copied.bottom - copied.top, background_.Dc(),
               copied.left, copied.top, SRCCOPY);
        ExcludeClipRect(dc, clockArea_.left, clockArea_.top, clockArea_.right, clockArea_.bottom);
    }
    PaintScene(dc, part);
    RestoreDC(dc, saved);
}

void mgtBgDlg::PaintScene(HDC dc, const RECT& part) const {
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, part.left, part.top, part.right, part.bottom);
    // An opaque picture hides the colour: it is filled only around it, so
    // that no pixel is painted twice. A picture still being read, or none,
    // leaves the colour.
    const bool opaque = picture_ && picture_->shown.opaque;
    if (opaque) {
        DrawScreenPicture(dc, primaryPlace_, picture_->shown);
        ExcludeClipRect(dc, primaryPlace_.left, primaryPlace_.top, primaryPlace_.right, primaryPlace_.bottom);
    }
    SolidFill(dc, part, Color());
    if (picture_ && !opaque) DrawScreenPicture(dc, primaryPlace_, picture_->shown);
    RestoreDC(dc, saved);
}

LRESULT mgtBgDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    static constexpr exMessageEntry<mgtBgDlg> kHandlers[] = {
        {WM_PAINT, &mgtBgDlg::OnPaint},
        {kComposeFirst, &mgtBgDlg::OnComposeFirst},
        {WM_ERASEBKGND, &mgtBgDlg::OnEraseBkgnd},
        {WM_TIMER, &mgtBgDlg::OnTimer},
        {WM_TIMECHANGE, &mgtBgDlg::OnTimeChange},
        {kPictureReady, &mgtBgDlg::OnPictureReady},
        {WM_SYSCOLORCHANGE, &mgtBgDlg::OnDisplayOrSettingChange},
        {WM_SETTINGCHANGE, &mgtBgDlg::OnDisplayOrSettingChange},
        {WM_DISPLAYCHANGE, &mgtBgDlg::OnDisplayOrSettingChange},
    };
    exMessage current{message, wParam, lParam};
    if (const exHandled result = DispatchToHandler(*this, kHandlers, current)) return *result;
    return mgtBaseDlg::WindowProc(message, wParam, lParam);
}

exHandled mgtBgDlg::OnPaint(exMessage&) {
    exPaintDC paint(Handle(), nullptr);
    if (paint.Dc() != nullptr) Paint(paint.Dc(), paint.Paint().rcPaint);
    return 0;
}

exHandled mgtBgDlg::OnComposeFirst(exMessage&) {
    // Once only: whatever changes later composes through its own message.
    // The first frame showed the rest already; only the clock is new.
    if (!composed_ && Compose()) InvalidateRect(Handle(), &clockArea_, FALSE);
    return 0;
}

exHandled mgtBgDlg::OnEraseBkgnd(exMessage&) {
    return 1;
}

exHandled mgtBgDlg::OnTimer(exMessage& message) {
    if (message.wParam != kClockTimer) return kNotHandled;
    UpdateClock();
    return 0;
}

exHandled mgtBgDlg::OnTimeChange(exMessage&) {
    // The clock was set: show it now, and wait for the new minute.
    UpdateClock();
    return kNotHandled;
}

exHandled mgtBgDlg::OnPictureReady(exMessage&) {
    FinishPictureLoad();
    return 0;
}

exHandled mgtBgDlg::OnDisplayOrSettingChange(exMessage& message) {
    // A display change keeps the picture; another setting may have
    // replaced the wallpaper, which is read again off this thread.
    Render(message.id != WM_DISPLAYCHANGE);
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE);
    return kNotHandled;
}
