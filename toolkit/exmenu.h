// An owner-drawn popup menu. Owns its menu handle.
#pragma once

#include <windows.h>

class exMenu {
public:
    exMenu() = default;
    virtual ~exMenu() { Destroy(); }
    exMenu(const exMenu&) = delete;
    exMenu& operator=(const exMenu&) = delete;

    HMENU Handle() const { return menu_; }
    bool IsEmpty() const { return menu_ == nullptr; }
    void Destroy() {
        if (menu_ != nullptr) DestroyMenu(menu_);
        menu_ = nullptr;
    }

protected:
    HMENU menu_ = nullptr;
};
