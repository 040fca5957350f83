// Stands in for the installer's unins000.exe in end-to-end tests: records the command line it was
// given and the folder it runs in, as UTF-8 lines in "uninstall-record.txt" beside itself.
#include <windows.h>

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
    CloseHandle(file);
    return 0;
}
