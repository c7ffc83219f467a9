#include "taskmgrpolicy.h"

#include <cstring>
#include <vector>

#include "../base/diagnostics.h"
#include "registry.h"

namespace {

// The record: a DWORD 1 when the value existed (then its type and data
// follow), 0 when it did not.
struct RecordHeader {
    DWORD existed;
    DWORD type;
};

} // namespace

bool TaskManagerPolicy::HasRecord() const {
    const UniqueKey key = OpenKey(store_.userRoot, store_.keyPath, false);
    return key && QueryValue(key.Get(), kRecordName).Size() >= sizeof(DWORD);
}

void TaskManagerPolicy::Close() {
    if (!HasRecord()) {
        const UniqueKey policy = OpenKey(store_.userRoot, store_.policyKeyPath, false);
        DWORD type = REG_NONE;
        SetLastError(ERROR_SUCCESS);
        const ByteBuffer prior = policy ? QueryValue(policy.Get(), kValueName, &type) : ByteBuffer();
        const bool existed = policy && (!prior.Empty() || GetLastError() == ERROR_SUCCESS);
        const RecordHeader header{existed ? 1u : 0u, existed ? type : static_cast<DWORD>(REG_NONE)};
        std::vector<uint8_t> record(sizeof(header) + prior.Size());
        std::memcpy(record.data(), &header, sizeof(header));
        if (!prior.Empty()) std::memcpy(record.data() + sizeof(header), prior.Data(), prior.Size());
        // Without a record the user's state could not be put back: leave it.
        if (!WriteValue(store_.userRoot, store_.keyPath, kRecordName, record.data(),
                        static_cast<DWORD>(record.size()), REG_BINARY))
            return;
    }
    const DWORD closed = 1;
    if (!WriteValue(store_.userRoot, store_.policyKeyPath, kValueName, &closed, sizeof(closed), REG_DWORD))
        WriteDiagnostic(DiagEvent::kRegistryNotWritten, kDiagTaskManagerPolicy);
}

bool TaskManagerPolicy::Hold() {
    const UniqueKey policy = OpenKey(store_.userRoot, store_.policyKeyPath, false);
    DWORD type = REG_NONE;
    const ByteBuffer value = policy ? QueryValue(policy.Get(), kValueName, &type) : ByteBuffer();
    DWORD closed = 0;
    if (type == REG_DWORD && value.Size() == sizeof(closed)) std::memcpy(&closed, value.Data(), sizeof(closed));
    if (closed == 1) return false;
    Close();
    return true;
}

void TaskManagerPolicy::Restore() {
    const UniqueKey key = OpenKey(store_.userRoot, store_.keyPath, false);
    const ByteBuffer record = key ? QueryValue(key.Get(), kRecordName) : ByteBuffer();
    if (record.Size() < sizeof(DWORD)) return;
    RecordHeader header{0, REG_NONE};
    std::memcpy(&header, record.Data(), record.Size() < sizeof(header) ? sizeof(DWORD) : sizeof(header));
    bool restored = false;
    if (header.existed != 0 && record.Size() >= sizeof(header)) {
        const DWORD size = static_cast<DWORD>(record.Size() - sizeof(header));
        restored = WriteValue(store_.userRoot, store_.policyKeyPath, kValueName,
                              size > 0 ? record.Data() + sizeof(header) : nullptr, size, header.type);
    } else {
        const LSTATUS status = RegDeleteKeyValueW(store_.userRoot, store_.policyKeyPath.c_str(), kValueName);
        restored = status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    }
    // The record goes only once the state is back, so that a later start tries again.
    if (restored) RegDeleteKeyValueW(store_.userRoot, store_.keyPath.c_str(), kRecordName);
}
