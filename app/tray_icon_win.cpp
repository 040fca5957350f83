// The notification area of the shell that runs.
#include "app/system_library_win.h"
#include "app/tray_mode_win.h"

// shell32 and the libraries it brings are looked up the first time the icon is wanted, not at
// start-up, where loading them costs more than the rest of the bar's making.
BOOL NotifyIcon(DWORD action, NOTIFYICONDATAA* icon) {
    static const auto notify = FindFunction<decltype(&Shell_NotifyIconA)>(
        LoadSystemLibrary(L"shell32.dll"), "Shell_NotifyIconA");
    return notify ? notify(action, icon) : FALSE;
}
