// The drive scan's hand-over to the window's thread.
#include <windows.h>

#include "app/app_state.h"
#include "monitor/drive_scan.h"
#include "monitor/monitor_messages_win.h"

void ScanFixedDrives() {
    // The scan belongs to the window's thread, which keeps what the drives said. A sent
    // notification runs there inside its message wait (directly, when this already is that
    // thread) and never makes the timer thread wait.
    SendNotifyMessageA(AppState.WindowHandle, MsgScanDrives, 0, 0);
}
