#include "eventlog.h"

#include <condition_variable>
#include <deque>
#include <mutex>

struct EventLogWriter::Shared {
    std::wstring source;
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<EventEntry> queue;
    bool stopping = false;
};

std::wstring EventSourceKeyPath(const std::wstring& source) {
    return L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\" + source;
}

bool EventSourceRegistered(const std::wstring& source) {
    HKEY opened = nullptr;
    const UniqueRegistryKey key(
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, EventSourceKeyPath(source).c_str(), 0, KEY_READ, &opened) == ERROR_SUCCESS
            ? opened
            : nullptr);
    return key.Held();
}

namespace {

void Write(HANDLE log, const EventEntry& entry) {
    std::vector<const wchar_t*> strings;
    for (const std::wstring& text : entry.strings) strings.push_back(text.c_str());
    ReportEventW(log, entry.type, 0, entry.id, nullptr, static_cast<WORD>(strings.size()), 0,
                 strings.empty() ? nullptr : strings.data(), nullptr);
}

} // namespace

EventLogWriter::EventLogWriter(std::wstring source) : shared_(std::make_shared<Shared>()) {
    shared_->source = std::move(source);
}

EventLogWriter::~EventLogWriter() {
    {
        std::lock_guard<std::mutex> hold(shared_->mutex);
        shared_->stopping = true;
    }
    shared_->wake.notify_all();
    if (!thread_.Held()) return;
    WaitForSingleObject(thread_.Get(), kDrainMs);
}

bool EventLogWriter::Post(EventEntry entry) {
    std::unique_lock<std::mutex> hold(shared_->mutex);
    if (shared_->stopping || shared_->queue.size() >= kQueueLimit) return false;
    if (!thread_.Held()) {
        // The thread holds its own reference, given back when it ends.
        auto* reference = new std::shared_ptr<Shared>(shared_);
        thread_.Reset(CreateThread(nullptr, 0, Work, reference, 0, nullptr));
        if (!thread_.Held()) {
            delete reference;
            return false;
        }
    }
    shared_->queue.push_back(std::move(entry));
    hold.unlock();
    shared_->wake.notify_one();
    return true;
}

DWORD WINAPI EventLogWriter::Work(void* reference) noexcept {
    const std::unique_ptr<std::shared_ptr<Shared>> owned(static_cast<std::shared_ptr<Shared>*>(reference));
    Shared& shared = **owned;
    // Looked at once: a source registered while the program runs counts from its next start.
    HANDLE log = EventSourceRegistered(shared.source) ? RegisterEventSourceW(nullptr, shared.source.c_str()) : nullptr;
    std::unique_lock<std::mutex> hold(shared.mutex);
    for (;;) {
        shared.wake.wait(hold, [&] { return shared.stopping || !shared.queue.empty(); });
        if (shared.queue.empty()) break;
        EventEntry entry = std::move(shared.queue.front());
        shared.queue.pop_front();
        hold.unlock();
        if (log != nullptr) Write(log, entry);
        hold.lock();
    }
    hold.unlock();
    if (log != nullptr) DeregisterEventSource(log);
    return 0;
}
