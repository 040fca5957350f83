// Where the settings file lives, and loading and saving it through the process-wide file.
#include <windows.h>

#include "app/app_state.h"
#include "settings/path_text_win.h"
#include "settings/settings_store.h"

std::string ProgramDirectory() {
    // Grow until the whole path fits: a cut path would put the settings somewhere else.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return std::string();
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        if (path.size() >= 32768 * 2) return std::string(); // beyond any Windows path
        path.resize(path.size() * 2);
    }
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::string()
                                       : Utf8FromWidePath(path.substr(0, slash + 1));
}

ScreenBounds CurrentScreenBounds() {
    ScreenBounds screen;
    screen.PrimaryWidth = GetSystemMetrics(SM_CXSCREEN);
    screen.PrimaryHeight = GetSystemMetrics(SM_CYSCREEN);
    screen.TouchesAMonitor = [](int left, int top, int right, int bottom) {
        const RECT bar{left, top, right, bottom};
        return MonitorFromRect(&bar, MONITOR_DEFAULTTONULL) != nullptr;
    };
    return screen;
}

void LoadSettings() {
    AppState.SettingsPath = ProgramDirectory() + kSettingsFileName;
    SettingsFile::Open(AppState.SettingsPath);
    SettingsFile::SelectGroup(kSettingsGroup);
    ReadSettingsFields(SettingsFile::Document, CurrentScreenBounds());
    SettingsFile::Close(); // writes back only the text of a cut-off save, read from its copy
}

void SaveSettings() {
    // The bar's real position, not the start-up fields: dragging moves the window only.
    RECT bar{AppState.WinX, AppState.WinY, 0, 0};
    if (AppState.WindowHandle) GetWindowRect(AppState.WindowHandle, &bar);
    SettingsFile::Create(AppState.SettingsPath);
    WriteSettingsFields(SettingsFile::Document, bar.left, bar.top);
    SettingsFile::Close();
}
