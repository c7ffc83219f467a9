#include "exsysicon.h"

#include <shellapi.h>

#include "../draw/drawservices.h"

namespace {

struct StockIcon {
    int key;
    int stockId;      // SHSTOCKICONID
    int fallbackId;   // icon resource in user32
    int systemId;     // OIC_ icon, the last resort
};

const StockIcon kStockIcons[] = {
    {kIconInformationLarge, 79, 104, 32516}, {kIconInformationSmall, 79, 104, 32516},
    {kIconWarningLarge, 78, 101, 32515},     {kIconWarningSmall, 78, 101, 32515},
    {kIconErrorLarge, 80, 103, 32513},       {kIconErrorSmall, 80, 103, 32513},
    {kIconQuestionLarge, 23, 102, 32514},    {kIconQuestionSmall, 23, 102, 32514},
};

using SHGetStockIconInfoFn = HRESULT(WINAPI*)(int, UINT, SHSTOCKICONINFO*);
using LoadIconWithScaleDownFn = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);

} // namespace

UINT SystemDpi() {
    const UniqueWindowDc screen(nullptr);
    const int dpi = screen.Held() ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
    return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

int IconSizeForDpi(int standard, int reported, UINT dpi) {
    const int scaled = MulDiv(standard, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
    return reported > scaled ? reported : scaled;
}

SIZE IconBitmapSize(HICON icon) {
    ICONINFO info{};
    SIZE size{0, 0};
    if (icon == nullptr || !GetIconInfo(icon, &info)) return size;
    const UniqueBitmap color(info.hbmColor), mask(info.hbmMask);
    BITMAP bitmap{};
    HBITMAP measured = info.hbmColor != nullptr ? info.hbmColor : info.hbmMask;
    if (measured != nullptr && GetObjectW(measured, sizeof(bitmap), &bitmap) != 0) {
        size.cx = bitmap.bmWidth;
        // A monochrome icon keeps its AND and XOR masks one above the other.
        size.cy = info.hbmColor != nullptr ? bitmap.bmHeight : bitmap.bmHeight / 2;
    }
    return size;
}

exsysicon& SystemIcons() {
    static exsysicon icons;
    return icons;
}

exsysicon::~exsysicon() = default;

bool exsysicon::IsSmallKey(int key) {
    return key >= kIconAppLarge && key <= kIconQuestionSmall && key % 2 == 0;
}

void exsysicon::RecordSystemSizes() {
    const UINT dpi = SystemDpi();
    const int large = IconSizeForDpi(32, GetSystemMetrics(SM_CXICON), dpi);
    const int small = IconSizeForDpi(16, GetSystemMetrics(SM_CXSMICON), dpi);
    sizes_[kIconInformationLarge] = SIZE{large, large};
    sizes_[kIconInformationSmall] = SIZE{small, small};
}

void exsysicon::Load() {
    if (loaded_) return;
    loaded_ = true;
    RecordSystemSizes();

    const drawservices::ComGuard com;
    const UniqueModule user32(LoadLibraryW(L"User32.dll"));
    const auto getStockIcon = reinterpret_cast<SHGetStockIconInfoFn>(
        reinterpret_cast<void*>(drawservices::LookUpEntryPoint(L"Shell32.dll", "SHGetStockIconInfo")));
    const auto scaleDown = reinterpret_cast<LoadIconWithScaleDownFn>(
        reinterpret_cast<void*>(drawservices::LookUpEntryPoint(L"comctl32.dll", "LoadIconWithScaleDown")));
    for (const StockIcon& icon : kStockIcons) {
        const bool small = IsSmallKey(icon.key);
        if (getStockIcon != nullptr) {
            SHSTOCKICONINFO info{};
            info.cbSize = sizeof(info);
            if (SUCCEEDED(getStockIcon(icon.stockId, SHGSI_ICON | (small ? SHGSI_SMALLICON : 0), &info)) &&
                info.hIcon != nullptr)
                stock_[icon.key].Reset(info.hIcon);
        }
        const SIZE size = sizes_[small ? kIconInformationSmall : kIconInformationLarge];
        // A stock icon of another size would be drawn stretched.
        const auto stock = stock_.find(icon.key);
        if (stock != stock_.end() && IconBitmapSize(stock->second.Get()).cx != size.cx) stock_.erase(stock);
        HICON fallback = user32.Held() ? static_cast<HICON>(LoadImageW(user32.Get(), MAKEINTRESOURCEW(icon.fallbackId),
                                                                       IMAGE_ICON, size.cx, size.cy, 0))
                                       : nullptr;
        // Not every user32 carries those resources (Wine's does not); the
        // system icons always exist. Scaled down from their largest image
        // rather than shared, since a shared icon keeps its first size.
        if (fallback == nullptr && scaleDown != nullptr &&
            FAILED(scaleDown(nullptr, MAKEINTRESOURCEW(icon.systemId), size.cx, size.cy, &fallback)))
            fallback = nullptr;
        if (fallback != nullptr) ownedFallbacks_.emplace_back(fallback);
        if (fallback == nullptr)
            fallback = static_cast<HICON>(
                LoadImageW(nullptr, MAKEINTRESOURCEW(icon.systemId), IMAGE_ICON, size.cx, size.cy, LR_SHARED));
        fallback_[icon.key] = fallback;
    }
}

HICON exsysicon::Get(int key) {
    // The system's icons load on first use; the application's own are set.
    if (key >= kIconInformationLarge && key <= kIconQuestionSmall) Load();
    const auto stock = stock_.find(key);
    if (stock != stock_.end() && stock->second.Held()) return stock->second.Get();
    const auto fallback = fallback_.find(key);
    return fallback != fallback_.end() ? fallback->second : nullptr;
}

void exsysicon::Set(int key, HICON icon) {
    // The same icon again stays; another one replaces the old, which goes.
    UniqueIcon& slot = stock_[key];
    if (slot.Get() != icon) slot.Reset(icon);
}

HCURSOR HandCursor() {
    static const HCURSOR hand = LoadCursorW(nullptr, IDC_HAND);
    return hand;
}
