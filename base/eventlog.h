// Entries for the Windows Event Log, written by a thread of their own: a
// caller only queues, and never waits on the log service. Entries go out only
// while the source is registered, so a copy that was never installed says
// nothing.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "uniquehandle.h"

struct EventEntry {
    WORD type = EVENTLOG_INFORMATION_TYPE;
    DWORD id = 0;
    std::vector<std::wstring> strings;
};

// The registry key of a source in the Application log.
std::wstring EventSourceKeyPath(const std::wstring& source);
bool EventSourceRegistered(const std::wstring& source);

class EventLogWriter {
public:
    explicit EventLogWriter(std::wstring source);
    // Writes what is queued, waiting at most kDrainMs for the log service.
    ~EventLogWriter();
    EventLogWriter(const EventLogWriter&) = delete;
    EventLogWriter& operator=(const EventLogWriter&) = delete;

    // Queues one entry; false when it is dropped (the queue is full, or no
    // thread could be started).
    bool Post(EventEntry entry);

    static constexpr size_t kQueueLimit = 64;
    static constexpr DWORD kDrainMs = 2000;

private:
    struct Shared;
    static DWORD WINAPI Work(void* shared) noexcept;

    // Shared with the thread, which keeps it alive should the drain time out.
    std::shared_ptr<Shared> shared_;
    UniqueHandle thread_;
};
