// Stands in for the installer's unins000.exe in end-to-end tests, and for a program the installer
// starts: records the command line it was given, the folder it runs in, and the show state it was
// started with and the process that started it ("show=1 parent=PID"; "show=default" without
// STARTF_USESHOWWINDOW), as UTF-8 lines in "uninstall-record.txt" beside itself.
#include <windows.h>
#include <tlhelp32.h>

#include <cwchar>

namespace {

void WriteUtf8Line(HANDLE file, const wchar_t* text) {
    char bytes[4096];
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes, sizeof bytes - 2, nullptr, nullptr);
    if (n <= 0) return;
    bytes[n - 1] = '\n';
    DWORD written = 0;
    WriteFile(file, bytes, static_cast<DWORD>(n), &written, nullptr);
}

DWORD ParentProcess() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    DWORD parent = 0;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !parent;
         more = Process32NextW(snapshot, &entry))
        if (entry.th32ProcessID == GetCurrentProcessId()) parent = entry.th32ParentProcessID;
    CloseHandle(snapshot);
    return parent;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t path[MAX_PATH * 2] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH * 2 - 32);
    DWORD slash = length;
    while (slash > 0 && path[slash - 1] != L'\\') --slash;
    lstrcpyW(path + slash, L"uninstall-record.txt");
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    WriteUtf8Line(file, GetCommandLineW());
    wchar_t folder[MAX_PATH * 2] = {};
    GetCurrentDirectoryW(MAX_PATH * 2, folder);
    WriteUtf8Line(file, folder);
    STARTUPINFOW start{};
    start.cb = sizeof start;
    GetStartupInfoW(&start);
    wchar_t how[64];
    if (start.dwFlags & STARTF_USESHOWWINDOW)
        swprintf(how, 64, L"show=%u parent=%lu", start.wShowWindow, ParentProcess());
    else
        swprintf(how, 64, L"show=default parent=%lu", ParentProcess());
    WriteUtf8Line(file, how);
    CloseHandle(file);
    return 0;
}
