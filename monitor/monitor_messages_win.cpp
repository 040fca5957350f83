#include "monitor/monitor_messages_win.h"

#include <dbt.h>

#include "app/app_state.h"
#include "display/led_controls_win.h"
#include "monitor/activity_poller.h"
#include "monitor/drive_facts_win.h"
#include "monitor/drive_scan.h"

bool RequestLedSwitches() {
    // Not PostMessage: a posted message would come out of the event wait as an event.
    return SendNotifyMessageA(AppState.WindowHandle, MsgApplyLedSwitches, 0, 0) != FALSE;
}

bool HandleMonitorMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case MsgApplyLedSwitches:
        ApplyLedSwitches();
        return true;
    case MsgScanDrives:
        ScanDrivesNow();
        return true;
    case MsgDriveAnswer:
        TakeDriveAnswer(static_cast<int>(wParam));
        return true;
    case WM_DEVICECHANGE:
        // A volume that comes or goes between two scans: its letter is asked from now on, or
        // no longer. The default handling goes on either way.
        if ((wParam == DBT_DEVICEARRIVAL || wParam == DBT_DEVICEREMOVECOMPLETE) && lParam) {
            const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam);
            if (header->dbch_devicetype == DBT_DEVTYP_VOLUME &&
                header->dbch_size >= sizeof(DEV_BROADCAST_VOLUME)) {
                // The unit mask counts from A; the slots from C.
                const auto* volume = reinterpret_cast<const DEV_BROADCAST_VOLUME*>(lParam);
                const uint32_t slots = volume->dbcv_unitmask >> 2;
                NoteLedNamesChanged(slots);
                ForgetDriveFacts(slots & ((1u << 24) - 1));
                if (wParam == DBT_DEVICEARRIVAL) {
                    // A network drive mapped: not asked, as the scan leaves it out.
                    if (!(volume->dbcv_flags & DBTF_NET)) NoteVolumesArrived(slots);
                } else {
                    NoteVolumesRemoved(slots);
                }
            }
        }
        return false;
    default:
        return false;
    }
}
