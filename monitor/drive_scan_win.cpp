// The drive scan on kernel32, and its hand-over to the window's thread.
#include <windows.h>

#include "app/app_state.h"
#include "monitor/drive_scan.h"
#include "monitor/monitor_messages_win.h"

void ScanFixedDrives() {
    char buffer[DriveRootsBufferSize + 1] = {}; // one spare zero so the last entry always ends
    GetLogicalDriveStringsA(DriveRootsBufferSize, buffer);
    uint32_t network = 0;
    const uint32_t bits = PresenceBitsFromDriveRoots(
        buffer, [](const char* root) { return static_cast<int>(GetDriveTypeA(root)); }, &network);
    // Drawing belongs to the window's thread. A sent notification runs there inside its message
    // wait (directly, when this already is that thread) and never makes the timer thread wait.
    SendNotifyMessageA(AppState.WindowHandle, MsgPresentDrives, bits,
                       static_cast<LPARAM>(ExistingDriveSlots() & ~network));
}
