#include "lockchannel.h"

#include <utility>

namespace {

const uint32_t kMagic = 0x4D474C43;  // "MGLC"

LockChannelState* Map(HANDLE mapping) {
    return static_cast<LockChannelState*>(
        MapViewOfFile(mapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(LockChannelState)));
}

} // namespace

LockChannel::~LockChannel() {
    Close();
}

LockChannel::LockChannel(LockChannel&& other) noexcept
    : mapping_(std::move(other.mapping_)), state_(std::exchange(other.state_, nullptr)) {}

LockChannel& LockChannel::operator=(LockChannel&& other) noexcept {
    if (this != &other) {
        Close();
        mapping_ = std::move(other.mapping_);
        state_ = std::exchange(other.state_, nullptr);
    }
    return *this;
}

void LockChannel::Close() {
    if (state_ != nullptr) UnmapViewOfFile(state_);
    mapping_.Reset();
    state_ = nullptr;
}

LockChannel LockChannel::Create() {
    LockChannel channel;
    channel.mapping_.Reset(
        CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(LockChannelState), nullptr));
    if (!channel.mapping_.Held()) return channel;
    channel.state_ = Map(channel.mapping_.Get());
    if (channel.state_ == nullptr) {
        channel.Close();
        return channel;
    }
    channel.state_->magic = kMagic;
    return channel;
}

LockChannel LockChannel::Adopt(uint64_t handleValue) {
    LockChannel channel;
    if (handleValue == 0) return channel;
    const auto handle = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(handleValue));
    // Only a handle this process inherited as a mapping of the right size and
    // kind is taken; anything else named on a command line is left alone.
    LockChannelState* state = Map(handle);
    if (state == nullptr) return channel;
    MEMORY_BASIC_INFORMATION region{};
    if (VirtualQuery(state, &region, sizeof(region)) < sizeof(region) || region.RegionSize < sizeof(LockChannelState) ||
        state->magic != kMagic) {
        UnmapViewOfFile(state);
        return channel;
    }
    // Kept out of further children unless passed on explicitly.
    SetHandleInformation(handle, HANDLE_FLAG_INHERIT, 0);
    channel.mapping_.Reset(handle);
    channel.state_ = state;
    return channel;
}

HANDLE LockChannel::InheritableCopy() const {
    if (!mapping_.Held()) return nullptr;
    HANDLE copy = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), mapping_.Get(), GetCurrentProcess(), &copy, 0, TRUE, DUPLICATE_SAME_ACCESS))
        return nullptr;
    return copy;
}

uint64_t ParseHandleValue(const wchar_t* text) {
    if (text == nullptr || *text == L'\0') return 0;
    uint64_t value = 0;
    for (int digits = 0; *text != L'\0'; ++text, ++digits) {
        if (*text < L'0' || *text > L'9' || digits >= 19) return 0;
        value = value * 10 + static_cast<uint64_t>(*text - L'0');
    }
    return value;
}
