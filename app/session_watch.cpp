#include "app/session_watch.h"

namespace {

// The event codes of WM_WTSSESSION_CHANGE.
constexpr uint32_t kConsoleConnect = 1, kConsoleDisconnect = 2, kRemoteConnect = 3,
                   kRemoteDisconnect = 4, kSessionLock = 7, kSessionUnlock = 8;

} // namespace

int PauseReasonsAfterSessionChange(int reasons, uint32_t sessionEvent) {
    switch (sessionEvent) {
    case kSessionLock:
        return reasons | PauseLocked;
    case kSessionUnlock:
        return reasons & ~PauseLocked;
    case kConsoleDisconnect:
    case kRemoteDisconnect:
        return reasons | PauseDisconnected;
    case kConsoleConnect:
        return reasons & ~PauseDisconnected;
    case kRemoteConnect:
        return reasons & ~(PauseDisconnected | PauseDisplayOff);
    default:
        return reasons;
    }
}

DisplayNotice DisplayNoticeFor(int major, int minor) {
    if (major < 6) return DisplayNotice::None;
    return major == 6 && minor < 2 ? DisplayNotice::MonitorPower : DisplayNotice::SessionDisplay;
}

int PauseReasonsAfterDisplayState(int reasons, uint32_t displayState, bool shownThere) {
    return displayState == 0 && shownThere ? reasons | PauseDisplayOff : reasons & ~PauseDisplayOff;
}
