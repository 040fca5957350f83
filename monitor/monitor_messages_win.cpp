#include "monitor/monitor_messages_win.h"

#include "app/app_state.h"
#include "monitor/activity_poller.h"
#include "monitor/drive_scan.h"

bool RequestLedSwitches() {
    // Not PostMessage: a posted message would come out of the event wait as an event.
    return SendNotifyMessageA(AppState.WindowHandle, MsgApplyLedSwitches, 0, 0) != FALSE;
}

bool HandleMonitorMessage(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case MsgApplyLedSwitches:
        ApplyLedSwitches();
        return true;
    case MsgPresentDrives:
        StorePresentDrives(static_cast<uint32_t>(wParam));
        return true;
    default:
        return false;
    }
}
