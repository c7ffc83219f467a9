#include "accessibility.h"

#include <oleacc.h>

namespace {

// Defined here: the import library that holds them would load oleacc.dll at
// every start, where only this helper needs it, and only through COM.
const GUID kAnnotationService = {0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
const GUID kAnnotationInterface = {0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
const GUID kNameProperty = {0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};
const GUID kDescriptionProperty = {0x4d48dfe4, 0xbd3f, 0x491f, {0xa6, 0x48, 0x49, 0x2d, 0x6f, 0x20, 0xc5, 0x88}};
// The live-region property of UI Automation, which the annotation service
// carries into the proxies.
const GUID kLiveSettingProperty = {0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};

// Marks the hidden labels this helper makes, so that a second name reuses one.
const int kHiddenLabelId = 0xFFFE;

// The system's annotation service for one call, with COM for as long as it.
class AnnotationService {
public:
    AnnotationService() : comStarted_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        if (FAILED(CoCreateInstance(kAnnotationService, nullptr, CLSCTX_INPROC_SERVER, kAnnotationInterface,
                                    reinterpret_cast<void**>(&service_))))
            service_ = nullptr;
    }
    ~AnnotationService() {
        if (service_ != nullptr) service_->Release();
        if (comStarted_) CoUninitialize();
    }
    AnnotationService(const AnnotationService&) = delete;
    AnnotationService& operator=(const AnnotationService&) = delete;

    bool SetText(HWND window, const MSAAPROPID& property, const exstring& text) {
        return service_ != nullptr &&
               SUCCEEDED(service_->SetHwndPropStr(window, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, property,
                                                  text.c_str()));
    }
    bool SetNumber(HWND window, const MSAAPROPID& property, LONG number) {
        if (service_ == nullptr) return false;
        VARIANT value{};
        value.vt = VT_I4;
        value.lVal = number;
        return SUCCEEDED(service_->SetHwndProp(window, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, property, value));
    }

private:
    bool comStarted_;
    IAccPropServices* service_ = nullptr;
};

bool IsEdit(HWND window) {
    wchar_t name[16] = {};
    return RealGetWindowClassW(window, name, 16) > 0 && lstrcmpiW(name, L"Edit") == 0;
}

// An invisible static right before `edit` in creation order: the proxies
// name an edit after the first static before it, seen or not.
bool PlaceHiddenLabel(HWND edit, const exstring& name) {
    HWND label = HiddenLabelOf(edit);
    if (label == nullptr) {
        const HWND parent = GetParent(edit);
        label = CreateWindowExW(0, L"Static", L"", WS_CHILD | SS_LEFT | SS_NOPREFIX, 0, 0, 0, 0, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kHiddenLabelId)),
                                reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(edit, GWLP_HINSTANCE)), nullptr);
        if (label == nullptr) return false;
        const HWND before = GetWindow(edit, GW_HWNDPREV);
        SetWindowPos(label, before != nullptr ? before : HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
    }
    return SetWindowTextW(label, name.c_str()) != FALSE;
}

} // namespace

HWND HiddenLabelOf(HWND edit) {
    const HWND before = edit != nullptr ? GetWindow(edit, GW_HWNDPREV) : nullptr;
    if (before == nullptr || GetDlgCtrlID(before) != kHiddenLabelId || IsWindowVisible(before)) return nullptr;
    return before;
}

bool SetAccessibleName(HWND control, const exstring& name) {
    if (control == nullptr) return false;
    const bool labelled = IsEdit(control) && PlaceHiddenLabel(control, name);
    return AnnotationService().SetText(control, kNameProperty, name) || labelled;
}

bool SetAccessibleDescription(HWND window, const exstring& text) {
    return window != nullptr && AnnotationService().SetText(window, kDescriptionProperty, text);
}

bool MakeLiveRegion(HWND region, LiveSetting setting) {
    return region != nullptr && AnnotationService().SetNumber(region, kLiveSettingProperty, static_cast<LONG>(setting));
}

// Windows 10's readers follow the live-region event through UI Automation;
// older ones and other clients of Active Accessibility follow the name change.
void AnnounceChange(HWND region) {
    if (region == nullptr) return;
    NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, region, OBJID_CLIENT, CHILDID_SELF);
    NotifyWinEvent(EVENT_OBJECT_LIVEREGIONCHANGED, region, OBJID_CLIENT, CHILDID_SELF);
}
