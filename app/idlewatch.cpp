#include "idlewatch.h"

#include <algorithm>

namespace {

// QUERY_USER_NOTIFICATION_STATE values (shellapi.h), kept here so that the
// decisions build without the Windows headers.
constexpr int kBusy = 2;                   // QUNS_BUSY: a full-screen program
constexpr int kRunningD3dFullScreen = 3;   // QUNS_RUNNING_D3D_FULL_SCREEN
constexpr int kPresentationMode = 4;       // QUNS_PRESENTATION_MODE
constexpr uint32_t kDisplayRequired = 2;   // ES_DISPLAY_REQUIRED

} // namespace

uint32_t ClampIdleSeconds(uint64_t stored) {
    if (stored == 0) return 0;
    return static_cast<uint32_t>(std::clamp<uint64_t>(stored, kIdleLockMinSeconds, kIdleLockMaxSeconds));
}

uint32_t IdleMs(uint32_t now, uint32_t lastInput, uint32_t countingSince) {
    // Signed differences survive the wrap of the 32-bit tick after 49.7 days.
    const bool inputIsLater = static_cast<int32_t>(lastInput - countingSince) > 0;
    const uint32_t from = inputIsLater ? lastInput : countingSince;
    const int32_t idle = static_cast<int32_t>(now - from);
    return idle > 0 ? static_cast<uint32_t>(idle) : 0;
}

bool PostponesIdleLock(int notificationState, uint32_t executionState) {
    const bool screenTaken = notificationState == kBusy || notificationState == kRunningD3dFullScreen ||
                             notificationState == kPresentationMode;
    return screenTaken || (executionState & kDisplayRequired) != 0;
}

IdleStep NextIdleStep(uint32_t timeoutSeconds, uint32_t idleMs, bool lockRunning, bool postponed) {
    IdleStep step;
    if (timeoutSeconds == 0) return step;
    const uint32_t timeoutMs = timeoutSeconds * 1000;
    if (lockRunning || postponed) {
        step.waitMs = timeoutMs;
        return step;
    }
    if (idleMs >= timeoutMs) {
        step.lock = true;
        step.waitMs = timeoutMs;
        return step;
    }
    step.waitMs = std::max(timeoutMs - idleMs, kIdleShortestWaitMs);
    return step;
}
