// The main loop and program launches on user32, kernel32 and shell32.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "app/app_state.h"
#include "app/commands.h"
#include "app/event_layer.h"
#include "app/main_loop.h"
#include "app/numbering.h"
#include "app/popup_menu.h"
#include "app/system_library_win.h"
#include "app/tray_mode.h"
#include "dialogs/transparency.h"
#include "settings/path_text_win.h"

int LaunchProgram(const std::string& file, const std::string& parameters,
                  const std::string& folder) {
    // Wide calls: the program's folder may have a name the code page cannot spell.
    std::wstring line = WidePathFromUtf8(LaunchCommandLine(file, parameters));
    const std::wstring directory = WidePathFromUtf8(folder);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                       nullptr, directory.empty() ? nullptr : directory.c_str(), &startup,
                       &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return 1;
    }
    const std::wstring target = WidePathFromUtf8(UnquotedFile(file));
    const std::wstring arguments = WidePathFromUtf8(parameters);
    const std::wstring shellFolder = WidePathFromUtf8(LaunchFolder(file, folder));
    SHELLEXECUTEINFOW shell{};
    shell.cbSize = sizeof shell;
    // No box of the shell's own: a program that is not there (a copy without its uninstaller)
    // would otherwise leave this process waiting, hidden, for someone to answer it.
    shell.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    shell.lpVerb = L"Open";
    shell.lpFile = target.c_str();
    shell.lpParameters = arguments.empty() ? nullptr : arguments.c_str();
    shell.lpDirectory = shellFolder.empty() ? nullptr : shellFolder.c_str();
    shell.nShow = SW_SHOWNORMAL;
    StartCom(); // the shell may hand the start to an extension
    // Looked up when first needed: shell32 costs start-up time the bar does not need.
    static const auto execute = FindFunction<decltype(&ShellExecuteExW)>(
        LoadSystemLibrary(L"shell32.dll"), "ShellExecuteExW");
    if (!execute || !execute(&shell)) return 0;
    if (shell.hProcess) CloseHandle(shell.hProcess);
    return 1;
}

namespace {

// The Windows folder's own Explorer, named by its full path: a bare name is looked for in this
// program's folder first, and a download folder may hold an "explorer.exe" of anyone's. The
// shared Windows folder, not a Terminal Server user's private one.
std::string ExplorerPath() {
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemWindowsDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::string();
    std::wstring path(folder, length);
    if (path.back() != L'\\') path += L'\\';
    return Utf8FromWidePath(path + L"explorer.exe");
}

} // namespace

void RunMainLoop() {
    HWND bar = AppState.WindowHandle;
    for (;;) {
        const int code = WaitEvent();
        const int object = EventObject();
        if (IsDriveDoubleClick(code, object, AppState.Drives) ||
            IsDriveOpenRequest(code, EventClickType(), object, AppState.Drives)) {
            if (const std::string explorer = ExplorerPath(); !explorer.empty())
                LaunchProgram(explorer, DriveRootParameter(object, AppState.DriveLetters), "");
        }
        // The thread's own view of the button, which follows swapped buttons.
        const bool leftHeld = (GetKeyState(VK_LBUTTON) & 0x8000) != 0;
        // A pressed push button captures the mouse until the release that makes its click.
        const HWND captured = GetCapture();
        const bool buttonHolds =
            captured && captured == GetDlgItem(bar, Num::MinimizeButtonControl);
        if (ShouldRequestDrag(AppState.Locked, object, leftHeld, buttonHolds)) {
            SendMessageA(bar, WM_NCLBUTTONDOWN, HTCAPTION, 0);
        }
        if (IsRightPress(code)) ShowPopupMenu(bar);
        if (IsKeyboardMenu(code)) ShowPopupMenuAtFocus(bar);
        if (IsMinimizeButtonClick(code, EventObject())) {
            EnterTrayMode();
            continue;
        }
        if (IsWheel(code)) {
            AppState.Transparency =
                WheelTransparency(AppState.Transparency, static_cast<uint32_t>(EventWParam()));
            ApplyTransparency(bar, AppState.Transparency);
        }
        if (IsMenuCommand(code)) RunCommand(EventObject());
        Sleep(1);
    }
}
