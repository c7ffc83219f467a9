#include "exwndtimer.h"

#include <map>
#include <mutex>
#include <utility>

namespace {

constexpr UINT kTimerPeriodMs = 1000;

using TimerKey = std::pair<UINT_PTR, HWND>;

std::mutex& RegistryLock() {
    static std::mutex lock;
    return lock;
}

std::map<TimerKey, exWndTimer*>& Registry() {
    static std::map<TimerKey, exWndTimer*> registry;
    return registry;
}

} // namespace

void exWndTimer::OnTimer(UINT_PTR) {}

exWndTimer::~exWndTimer() {
    const std::lock_guard<std::mutex> guard(RegistryLock());
    auto& registry = Registry();
    for (auto entry = registry.begin(); entry != registry.end();) {
        if (entry->second == this) {
            KillTimer(entry->first.second, entry->first.first);
            entry = registry.erase(entry);
        } else {
            ++entry;
        }
    }
}

bool exWndTimer::Start() {
    if (window_ == nullptr) return false;
    {
        const std::lock_guard<std::mutex> guard(RegistryLock());
        auto& registry = Registry();
        if (id_ != 0) {
            const auto entry = registry.find(TimerKey(id_, window_));
            if (entry == registry.end() || entry->second != this) return false;
        } else {
            UINT_PTR candidate = kFirstId;
            while (candidate < kFirstId + kIdsPerWindow && registry.count(TimerKey(candidate, window_)) != 0)
                ++candidate;
            if (candidate == kFirstId + kIdsPerWindow) return false;
            registry[TimerKey(candidate, window_)] = this;
            id_ = candidate;
        }
    }
    SetTimer(window_, id_, kTimerPeriodMs, nullptr);
    return true;
}

bool exWndTimer::Stop() {
    if (window_ == nullptr || id_ == 0) return false;
    KillTimer(window_, id_);
    window_ = nullptr;
    id_ = 0;
    return true;
}

void exWndTimer::StopAllOfWindow(HWND window) {
    const std::lock_guard<std::mutex> guard(RegistryLock());
    auto& registry = Registry();
    for (auto entry = registry.begin(); entry != registry.end();) {
        if (entry->first.second == window) {
            entry->second->Stop();
            entry = registry.erase(entry);
        } else {
            ++entry;
        }
    }
}
