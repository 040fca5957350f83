// Loaded into Blinkbar's process by a window hook that wininfo sets: a menu handle means nothing
// in another process, so the items of the open popup menu are read from inside and written to
// a file in the program's own folder ("wininfo-menu.txt"); so are the message count and the
// process's resource counts ("wininfo-stats.txt"), which Wine does not report to other processes.
#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cstring>

#include "find_window.h"

namespace {

void DumpMenu() {
    HWND popup = FindVisibleWindowOfClass("#32768");
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (char* slash = std::strrchr(path, '\\')) std::strcpy(slash + 1, "wininfo-menu.txt");
    FILE* out = std::fopen(path, "w");
    if (!out) return;
    const auto menu = popup ? reinterpret_cast<HMENU>(SendMessageA(popup, 0x01E1, 0, 0)) : nullptr;
    const int count = menu ? GetMenuItemCount(menu) : -1;
    if (count < 0) std::fprintf(out, "no menu\n");
    for (int i = 0; i < count; ++i) {
        char text[128] = {};
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = sizeof text;
        GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info);
        if (info.fType & MFT_SEPARATOR)
            std::fprintf(out, "separator\n");
        else
            std::fprintf(out, "item %u checked=%d \"%s\"\n", info.wID,
                         (info.fState & MFS_CHECKED) ? 1 : 0, text);
    }
    std::fclose(out);
}

// Messages the program's thread has taken out of its queue since the last reset: each one is an
// event of its loop. -1 until a reset arrives, so that a count that never started reads as such.
long gRetrieved = -1;

void WriteCount() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (char* slash = std::strrchr(path, '\\')) std::strcpy(slash + 1, "wininfo-count.txt");
    if (FILE* out = std::fopen(path, "w")) {
        std::fprintf(out, "%ld\n", gRetrieved);
        std::fclose(out);
    }
    gRetrieved = -1;
}

BOOL CALLBACK CountOwnWindow(HWND w, LPARAM context) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == GetCurrentProcessId()) {
        ++*reinterpret_cast<long*>(context);
        EnumChildWindows(w, CountOwnWindow, context);
    }
    return TRUE;
}

// Memory, kernel handles, GDI objects and windows of this process. Where GetGuiResources and
// GetProcessHandleCount answer 0 (Wine), the tables are probed: Wine takes a bare 16-bit GDI
// handle as "whatever lives in that slot", and a kernel handle is a multiple of 4.
void WriteStats() {
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    long gdi = static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
    if (gdi == 0)
        for (ULONG_PTR slot = 1; slot < 0x10000; ++slot)
            if (GetObjectType(reinterpret_cast<HGDIOBJ>(slot))) ++gdi;
    long user = static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
    if (user == 0) EnumWindows(CountOwnWindow, reinterpret_cast<LPARAM>(&user));
    DWORD handles = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handles);
    if (handles == 0) {
        DWORD flags;
        for (ULONG_PTR h = 4; h < 0x10000; h += 4)
            if (GetHandleInformation(reinterpret_cast<HANDLE>(h), &flags)) ++handles;
    }
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (char* slash = std::strrchr(path, '\\')) std::strcpy(slash + 1, "wininfo-stats.txt");
    if (FILE* out = std::fopen(path, "w")) {
        std::fprintf(out, "private_kb=%lu working_set_kb=%lu handles=%lu gdi=%ld user=%ld\n",
                     static_cast<unsigned long>(memory.PagefileUsage / 1024),
                     static_cast<unsigned long>(memory.WorkingSetSize / 1024),
                     static_cast<unsigned long>(handles), gdi, user);
        std::fclose(out);
    }
}

// Windows' keyboard cues, which Wine 8 lacks (its DefWindowProc answers WM_QUERYUISTATE with 0,
// every cue shown, and ignores WM_CHANGEUISTATE): as "WM_CHANGEUISTATE" (Microsoft Learn) has it,
// a request to a child goes up to the top-level window, whose default procedure applies it and
// tells itself and every child with WM_UPDATEUISTATE; WM_QUERYUISTATE answers the state. The
// bar and its children are subclassed to that rule, starting hidden, as the bar set it when it
// made its LEDs.
WPARAM gUiState = UISF_HIDEFOCUS;

BOOL CALLBACK TellUpdate(HWND child, LPARAM wParam) {
    SendMessageA(child, WM_UPDATEUISTATE, static_cast<WPARAM>(wParam), 0);
    return TRUE;
}

LRESULT CALLBACK UiStateModel(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto previous = reinterpret_cast<WNDPROC>(GetPropA(w, "WininfoUiProc"));
    if (message == WM_QUERYUISTATE) return static_cast<LRESULT>(gUiState);
    if (message == WM_CHANGEUISTATE) {
        if (GetWindowLongA(w, GWL_STYLE) & WS_CHILD)
            return SendMessageA(GetParent(w), message, wParam, lParam);
        const WPARAM flags = HIWORD(wParam);
        if (LOWORD(wParam) == UIS_SET) gUiState |= flags;
        if (LOWORD(wParam) == UIS_CLEAR) gUiState &= ~flags;
        SendMessageA(w, WM_UPDATEUISTATE, wParam, 0);
        EnumChildWindows(w, TellUpdate, static_cast<LPARAM>(wParam));
        return 0;
    }
    return CallWindowProcA(previous, w, message, wParam, lParam);
}

BOOL CALLBACK ModelUiState(HWND w, LPARAM) {
    if (GetPropA(w, "WininfoUiProc")) return TRUE;
    SetPropA(w, "WininfoUiProc",
             reinterpret_cast<HANDLE>(
                 SetWindowLongPtrA(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(UiStateModel))));
    return TRUE;
}

void ModelUiStateOf(HWND bar) {
    // The subclassed windows call into this library from now on: it stays loaded.
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<const char*>(&gUiState), &self);
    ModelUiState(bar, 0);
    EnumChildWindows(bar, ModelUiState, 0);
}

} // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK
    WininfoCountHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE && gRetrieved >= 0) ++gRetrieved;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

namespace {
bool gInputAtFirstMark = false;

bool InputQueued() {
    return (HIWORD(GetQueueStatus(QS_INPUT)) & QS_INPUT) != 0;
}
} // namespace

// Marks posted behind whatever the program's queue holds, one after another (wParam counts them).
// GetMessage takes posted messages before input, so a mark can overtake keys and clicks still
// queued: only a mark taken with no input left says that the thread has taken, and handled,
// everything sent before it (it is back in its message wait). Whether input was queued at the
// first mark goes beside the program ("wininfo-settle.txt") where the marks ask for it (lParam's
// lowest bit):
// the tests' positive control of that order.
extern "C" __declspec(dllexport) LRESULT CALLBACK
    WininfoMarkHook(int code, WPARAM wParam, LPARAM lParam) {
    const auto* taken = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE &&
        taken->message == RegisterWindowMessageA("WininfoMark")) {
        const bool input = InputQueued();
        if (taken->wParam == 0) gInputAtFirstMark = input;
        // The settle's own events: the number in lParam above its lowest bit names them.
        const unsigned nonce = static_cast<unsigned>(taken->lParam) >> 1;
        char name[2][48];
        std::snprintf(name[0], sizeof name[0], "WininfoMarkTaken%x", nonce);
        std::snprintf(name[1], sizeof name[1], "WininfoMarkSeen%x", nonce);
        if (HANDLE seen = OpenEventA(EVENT_MODIFY_STATE, FALSE, name[1])) {
            SetEvent(seen);
            CloseHandle(seen);
        }
        char path[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, path, MAX_PATH);
        if (char* slash = std::strrchr(path, '\\')) std::strcpy(slash + 1, "wininfo-settle.txt");
        FILE* out = !input && (taken->lParam & 1) ? std::fopen(path, "w") : nullptr;
        if (out) {
            std::fprintf(out, "input-at-first-mark=%d marks=%u\n", gInputAtFirstMark ? 1 : 0,
                         static_cast<unsigned>(taken->wParam) + 1);
            std::fclose(out);
        }
        if (!input) {
            if (HANDLE done = OpenEventA(EVENT_MODIFY_STATE, FALSE, name[0])) {
                SetEvent(done);
                CloseHandle(done);
            }
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The mark's cousin: the thread that takes it stays inside this hook for wParam milliseconds,
// answering nothing, as a thread stuck in a slow disk does; messages sent to it meanwhile wait.
extern "C" __declspec(dllexport) LRESULT CALLBACK
    WininfoBusyHook(int code, WPARAM wParam, LPARAM lParam) {
    const auto* posted = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE &&
        posted->message == RegisterWindowMessageA("WininfoBusy")) {
        if (HANDLE now = OpenEventA(EVENT_MODIFY_STATE, FALSE, "WininfoBusyNow")) {
            SetEvent(now);
            CloseHandle(now);
        }
        Sleep(static_cast<DWORD>(posted->wParam));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

extern "C" __declspec(dllexport) LRESULT CALLBACK
    WininfoHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (sent->message == RegisterWindowMessageA("WininfoDumpMenu")) DumpMenu();
        if (sent->message == RegisterWindowMessageA("WininfoResetCount")) gRetrieved = 0;
        if (sent->message == RegisterWindowMessageA("WininfoReportCount")) WriteCount();
        if (sent->message == RegisterWindowMessageA("WininfoReportStats")) WriteStats();
        if (sent->message == RegisterWindowMessageA("WininfoModelUiState"))
            ModelUiStateOf(sent->hwnd);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
