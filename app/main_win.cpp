// The program's entry point. It takes nothing from the command line or the environment.
#include <windows.h>

#include "app/app_state.h"
#include "app/monitoring.h"
#include "app/startup_win.h"
#include "display/led_images.h"
#include "monitor/drive_scan.h"
#include "monitor/timer_service.h"
#include "settings/settings_store.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    TimerService::Open();
    InitConstantState();
    LoadSettings();

    AppState.WindowHandle = CreateBarWindow(instance);
    RenderLedImages();

    StartMonitoring();
    ScanFixedDrives(); // on this thread the hand-over runs at once
    AppState.PresentDrivesPrev = AppState.PresentDrives;
    DrawPresenceMarkers();

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    EndProgram();
}

// The program throws nothing; should the runtime ever give up (out of memory inside the standard
// library), end quietly. Replacing the default handler also keeps its symbol demangler, a sixth of
// the executable, out of the program.
namespace __gnu_cxx {
void __verbose_terminate_handler() { ExitProcess(3); }
} // namespace __gnu_cxx
