// Prints what the 50 ms tick and a full render cost on this machine. Figures, not assertions.
#include <windows.h>

#include <cstdio>

#include "app/app_state.h"
#include "display/led_images.h"
#include "monitor/activity_poller.h"
#include "support/win_test_window.h"

namespace {

double Seconds(const FILETIME& t) {
    ULARGE_INTEGER v;
    v.LowPart = t.dwLowDateTime;
    v.HighPart = t.dwHighDateTime;
    return static_cast<double>(v.QuadPart) / 1e7;
}

// CPU seconds (user + kernel) this process has used so far.
double ProcessCpu() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    return Seconds(kernel) + Seconds(user);
}

double Now() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

} // namespace

int main() {
    ResetAppState();
    InitConstantState();
    AppState.IconSize = 1;
    AppState.TextRgb = {255, 255, 255};
    AppState.ReadRgb = {0, 216, 0};
    AppState.WriteRgb = {255, 38, 38};
    CreateTestBar();
    AppState.MonitorActive = 1;

    constexpr int kTicks = 400;
    double wall = Now(), cpu = ProcessCpu();
    for (int i = 0; i < kTicks; ++i) PollActivity();
    wall = Now() - wall;
    cpu = ProcessCpu() - cpu;
    std::printf("PollActivity (24 real volume probes): %.1f us wall, %.1f us CPU per tick;"
                " at 20 ticks a second that is %.2f %% of a core in this process\n",
                wall / kTicks * 1e6, cpu / kTicks * 1e6, cpu / kTicks * 20 * 100);

    constexpr int kRenders = 20;
    for (int size = 1; size <= 3; ++size) {
        AppState.IconSize = size;
        wall = Now();
        for (int i = 0; i < kRenders; ++i) RenderLedImages();
        wall = Now() - wall;
        std::printf("RenderLedImages at size %d: %.2f ms per render of 96 images\n", size,
                    wall / kRenders * 1e3);
    }
    DestroyTestBar();
    return 0;
}
