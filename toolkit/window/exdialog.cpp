#include "exdialog.h"

#include <cstring>
#include <cwchar>
#include <map>
#include <string>

#include "../../base/diagnostics.h"
#include "exapp.h"
#include "layoutdirection.h"

namespace {

const DWORD kPopupTemplateStyle = 0x82C800C0;  // WS_POPUP|WS_CLIPCHILDREN|WS_CAPTION|WS_SYSMENU|DS_MODALFRAME|DS_SETFONT
const DWORD kChildTemplateStyle = 0x46000440;  // WS_CHILD|WS_CLIPSIBLINGS|WS_CLIPCHILDREN|DS_CONTROL|DS_SETFONT
const DWORD kTemplateButtonStyle = 0x56010000;
const size_t kHeaderSize = 64;
const size_t kItemSize = 28;
const size_t kClassNameUnits = 11;
const size_t kFaceNameUnits = 9;

void Put16(std::vector<uint8_t>& bytes, size_t offset, uint16_t value) {
    std::memcpy(&bytes[offset], &value, sizeof(value));
}

void Put32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value) {
    std::memcpy(&bytes[offset], &value, sizeof(value));
}

void PutText(std::vector<uint8_t>& bytes, size_t offset, const wchar_t* text, size_t units) {
    for (size_t i = 0; i < units && text[i] != L'\0'; ++i) Put16(bytes, offset + 2 * i, static_cast<uint16_t>(text[i]));
}

uint16_t Get16(const uint8_t* bytes, size_t offset) {
    uint16_t value;
    std::memcpy(&value, bytes + offset, sizeof(value));
    return value;
}

HINSTANCE ApplicationInstance() {
    exApp* app = TheApp();
    HINSTANCE instance = app != nullptr ? app->Instance() : nullptr;
    return instance != nullptr ? instance : GetModuleHandleW(nullptr);
}

bool IsUsableButton(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    return button != nullptr && (GetWindowLongW(button, GWL_STYLE) & WS_VISIBLE) != 0 && IsWindowEnabled(button);
}

} // namespace

unsigned TemplateItemCount(const uint8_t* dialogTemplate, size_t size) {
    if (dialogTemplate == nullptr || size < 18) return 0;
    return Get16(dialogTemplate, Get16(dialogTemplate, 2) == 0xFFFF ? 16 : 8);
}

std::wstring TemplateClassName(const uint8_t* dialogTemplate, size_t size) {
    if (dialogTemplate == nullptr || size < 18) return {};
    const bool extended = Get16(dialogTemplate, 2) == 0xFFFF;
    size_t offset = extended ? 26 : 18;
    auto skipField = [&](size_t& at) -> bool {
        if (at + 2 > size) return false;
        const uint16_t first = Get16(dialogTemplate, at);
        if (first == 0) {
            at += 2;
        } else if (first == 0xFFFF) {
            at += 4;
        } else {
            while (at + 2 <= size && Get16(dialogTemplate, at) != 0) at += 2;
            at += 2;
        }
        return at <= size;
    };
    if (!skipField(offset) || offset + 2 > size) return {};  // the menu
    const uint16_t first = Get16(dialogTemplate, offset);
    if (first == 0 || first == 0xFFFF) return {};
    std::wstring name;
    for (; offset + 2 <= size && Get16(dialogTemplate, offset) != 0; offset += 2)
        name += static_cast<wchar_t>(Get16(dialogTemplate, offset));
    return name;
}

ATOM RegisterDialogClass(const wchar_t* name, HINSTANCE instance) {
    static std::map<std::wstring, ATOM> registered;
    const auto known = registered.find(name);
    if (known != registered.end()) return known->second;
    WNDCLASSW dialogClass{};
    if (!GetClassInfoW(nullptr, MAKEINTATOM(32770), &dialogClass)) return 0;
    dialogClass.lpszClassName = name;
    dialogClass.hInstance = instance;
    const ATOM atom = RegisterClassW(&dialogClass);
    if (atom != 0) registered[name] = atom;
    return atom;
}

exDialog::exDialog(uint32_t templateId)
    : endResult_(0), templateId_(templateId), pointSize_(9), faceName_(L"Segoe UI"), className_(L"exThemeWnd") {}

exDialog::~exDialog() = default;

bool exDialog::BeginTemplate(int16_t cx, int16_t cy, bool popup, unsigned reserveItems) {
    template_.assign(kHeaderSize + kItemSize * reserveItems, 0);
    Put32(template_, 0, popup ? kPopupTemplateStyle : kChildTemplateStyle);
    Put16(template_, 14, static_cast<uint16_t>(cx));
    Put16(template_, 16, static_cast<uint16_t>(cy));
    PutText(template_, 20, className_, kClassNameUnits - 1);
    Put16(template_, 44, pointSize_);
    PutText(template_, 46, faceName_, kFaceNameUnits - 1);
    return true;
}

bool exDialog::AddTemplateButton(uint16_t id, int16_t x, int16_t y, int16_t cx, int16_t cy) {
    if (template_.size() < kHeaderSize) return false;
    const uint16_t count = Get16(template_.data(), 8);
    const size_t offset = kHeaderSize + kItemSize * count;
    if (template_.size() < offset + kItemSize) template_.resize(offset + kItemSize, 0);
    Put32(template_, offset, kTemplateButtonStyle);
    Put16(template_, offset + 8, static_cast<uint16_t>(x));
    Put16(template_, offset + 10, static_cast<uint16_t>(y));
    Put16(template_, offset + 12, static_cast<uint16_t>(cx));
    Put16(template_, offset + 14, static_cast<uint16_t>(cy));
    Put16(template_, offset + 16, id);
    Put16(template_, offset + 18, 0xFFFF);
    Put16(template_, offset + 20, 0x0080);
    Put16(template_, 8, static_cast<uint16_t>(count + 1));
    return true;
}

bool exDialog::SetTemplateClassName(const wchar_t* name) {
    if (template_.size() < kHeaderSize || name == nullptr || wcslen(name) != kClassNameUnits - 1) return false;
    PutText(template_, 20, name, kClassNameUnits - 1);
    return true;
}

bool exDialog::SetTemplateStyles(DWORD style, DWORD exStyle) {
    if (template_.size() < kHeaderSize) return false;
    Put32(template_, 0, style);
    Put32(template_, 4, exStyle);
    return true;
}

bool exDialog::AddTemplateItemStyle(unsigned index, DWORD bits) {
    const size_t offset = kHeaderSize + kItemSize * index;
    if (template_.size() < kHeaderSize || index >= Get16(template_.data(), 8)) return false;
    uint32_t style = 0;
    std::memcpy(&style, &template_[offset], sizeof(style));
    Put32(template_, offset, style | bits);
    return true;
}

bool MirrorTopLevelTemplate(std::vector<uint8_t>& dialogTemplate) {
    if (dialogTemplate.size() < 16) return false;
    const bool extended = Get16(dialogTemplate.data(), 2) == 0xFFFF;
    const size_t styleAt = extended ? 12 : 0, exStyleAt = extended ? 8 : 4;
    uint32_t style = 0, exStyle = 0;
    std::memcpy(&style, &dialogTemplate[styleAt], sizeof(style));
    std::memcpy(&exStyle, &dialogTemplate[exStyleAt], sizeof(exStyle));
    if ((style & WS_CHILD) != 0) return false;
    Put32(dialogTemplate, exStyleAt, exStyle | WS_EX_LAYOUTRTL);
    return true;
}

bool exDialog::Create(HWND parent) {
    if (Handle() != nullptr || PreviousProc() != nullptr) return false;
    const HINSTANCE instance = ApplicationInstance();
    if (instance == nullptr) return false;
    const uint8_t* dialogTemplate = nullptr;
    size_t size = 0;
    if (templateId_ != 0) {
        HRSRC resource = FindResourceW(instance, MAKEINTRESOURCEW(templateId_), MAKEINTRESOURCEW(5));
        HGLOBAL loaded = resource != nullptr ? LoadResource(instance, resource) : nullptr;
        dialogTemplate = loaded != nullptr ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
        size = resource != nullptr ? SizeofResource(instance, resource) : 0;
    } else if (!template_.empty()) {
        dialogTemplate = template_.data();
        size = template_.size();
    }
    if (dialogTemplate == nullptr) return false;
    // A window without controls (the lock's background) covers the screen
    // before the control library has loaded.
    if (exApp* app = TheApp(); app != nullptr && TemplateItemCount(dialogTemplate, size) > 0)
        app->StartCommonControls();
    const std::wstring className = TemplateClassName(dialogTemplate, size);
    if (!className.empty()) RegisterDialogClass(className.c_str(), instance);

    // Right to left, a top-level dialog is mirrored whatever its owner: an
    // owned window would otherwise take the layout of its owner.
    std::vector<uint8_t> mirrored;
    if (IsRightToLeft()) {
        mirrored.assign(dialogTemplate, dialogTemplate + size);
        if (MirrorTopLevelTemplate(mirrored)) dialogTemplate = mirrored.data();
    }
    SetPendingObject(this);
    HWND window =
        templateId_ != 0 && mirrored.empty()
            ? CreateDialogParamW(instance, MAKEINTRESOURCEW(templateId_), parent, DialogProc, 0)
            : CreateDialogIndirectParamW(instance, reinterpret_cast<const DLGTEMPLATE*>(dialogTemplate), parent,
                                         DialogProc, 0);
    if (PendingObject() == this) SetPendingObject(nullptr);
    return window != nullptr;
}

INT_PTR CALLBACK exDialog::DialogProc(HWND window, UINT message, WPARAM, LPARAM) noexcept {
    if (message == WM_VKEYTOITEM || message == WM_CHARTOITEM) return -1;
    if (message != WM_INITDIALOG) return FALSE;
    BindPendingObject(window);
    auto* dialog = dynamic_cast<exDialog*>(FromHandle(window));
    if (dialog == nullptr) return TRUE;
    dialog->endResult_ = 0;
    // A dialog that places itself while initialising is not centred.
    RECT before{};
    GetWindowRect(window, &before);
    dialog->SubclassControls();
    const BOOL result = dialog->OnInitDialog();
    RECT after{};
    GetWindowRect(window, &after);
    if (EqualRect(&before, &after) && dialog->Handle() == window) dialog->CenterWindow(nullptr);
    return result;
}

void exDialog::SubclassControls() {}

BOOL exDialog::OnInitDialog() {
    return TRUE;
}

bool exDialog::IsDialogMessage(MSG* message) {
    return Handle() != nullptr && ::IsDialogMessageW(Handle(), message);
}

bool exDialog::EndDialog(INT_PTR result) {
    if (Handle() == nullptr) return false;
    endResult_ = result == 0 ? IDCANCEL : result;
    PostMessageW(Handle(), WM_NULL, 0, 0);
    return true;
}

LRESULT exDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    exApp* app = TheApp();
    const bool isMain = app != nullptr && app->MainWindow() == this;
    switch (message) {
    case WM_CLOSE:
        if (isMain) DestroyWindow(Handle());
        else EndDialog(IDCANCEL);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(Font());
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if ((id != IDOK && id != IDCANCEL) || (GetStyle() & WS_CHILD) != 0) break;
        bool honoured = IsUsableButton(Handle(), id);
        if (!honoured && id == IDCANCEL) honoured = (GetStyle() & WS_SYSMENU) != 0 && !isMain;
        if (honoured) {
            EndDialog(id);
            if (isMain) DestroyWindow(Handle());
        }
        return 0;
    }
    case WM_GETMINMAXINFO: {
        const LRESULT result = exWnd::WindowProc(message, wParam, lParam);
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        if (info != nullptr && MinTrackWidth() != 0 && MinTrackHeight() != 0)
            info->ptMinTrackSize = POINT{MinTrackWidth(), MinTrackHeight()};
        return result;
    }
    default:
        break;
    }
    return exWnd::WindowProc(message, wParam, lParam);
}

INT_PTR exDialog::DoModal(HWND parent) {
    if (Handle() != nullptr) return -1;
    HWND owner = parent;
    if (owner == nullptr) {
        exApp* app = TheApp();
        exWnd* main = app != nullptr ? app->MainWindow() : nullptr;
        if (main != nullptr && main->Handle() != nullptr) {
            owner = GetLastActivePopup(main->Handle());
            if (owner == nullptr) owner = main->Handle();
        }
    }
    while (owner != nullptr && (GetWindowLongW(owner, GWL_STYLE) & WS_CHILD) != 0) owner = GetParent(owner);

    bool reenable = false;
    if (owner != nullptr && owner != GetDesktopWindow() && IsWindowEnabled(owner)) {
        EnableWindow(owner, FALSE);
        reenable = true;
    }
    endResult_ = 0;
    if (!Create(owner)) {
        WriteDiagnostic(DiagEvent::kWindowNotCreated, kDiagModalDialog);
        if (reenable) EnableWindow(owner, TRUE);
        return -1;
    }
    ShowWindow(Handle(), SW_SHOW);

    MSG message;
    for (;;) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0 || got == -1) break;
        exApp* app = TheApp();
        if (app != nullptr && app->PreTranslateMessage(&message)) continue;
        if (PreTranslateMessage(&message)) continue;
        if (!IsDialogMessage(&message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (endResult_ != 0) break;
    }

    if (reenable) EnableWindow(owner, TRUE);
    if (Handle() != nullptr && GetActiveWindow() == Handle() && owner != nullptr) SetActiveWindow(owner);
    if (Handle() != nullptr && IsWindow(Handle())) DestroyWindow(Handle());
    return endResult_;
}
