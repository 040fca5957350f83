// A library planted beside the program, as a download folder may hold one: built as winmm.dll
// and winspool.drv, it writes "NAME-loaded.txt" beside itself when any process loads
// it, and refuses every timer. The program must never load it.
#define WIN32_LEAN_AND_MEAN // keeps mmsystem.h out
#include <windows.h>

// Declared here, not from mmsystem.h, which marks them as imported.
using MMRESULT = UINT;
constexpr MMRESULT TIMERR_NOCANDO = 97;

extern "C" {

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    wchar_t path[MAX_PATH + 32] = {};
    DWORD end = GetModuleFileNameW(self, path, MAX_PATH);
    while (end > 0 && path[end] != L'.') --end; // NAME.dll or NAME.drv
    lstrcpyW(path + end, L"-loaded.txt");
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return TRUE;
}

__declspec(dllexport) MMRESULT WINAPI timeGetDevCaps(void*, UINT) {
    return TIMERR_NOCANDO;
}
__declspec(dllexport) MMRESULT WINAPI timeBeginPeriod(UINT) {
    return TIMERR_NOCANDO;
}
__declspec(dllexport) MMRESULT WINAPI timeEndPeriod(UINT) {
    return TIMERR_NOCANDO;
}
__declspec(dllexport) MMRESULT WINAPI timeSetEvent(UINT, UINT, void*, DWORD_PTR, UINT) {
    return 0;
}
__declspec(dllexport) MMRESULT WINAPI timeKillEvent(UINT) {
    return TIMERR_NOCANDO;
}

} // extern "C"
