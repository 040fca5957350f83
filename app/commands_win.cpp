// What each menu command does, in its fixed order of stopping, working, saving and restarting.
#include <windows.h>

#include <string>

#include "app/app_state.h"
#include "app/commands.h"
#include "app/main_loop.h"
#include "app/monitoring.h"
#include "app/popup_menu.h"
#include "app/startup.h"
#include "app/startup_win.h"
#include "app/tray_mode.h"
#include "dialogs/dialogs_win.h"
#include "display/bar_layout_win.h"
#include "display/color_chooser.h"
#include "display/led_images.h"
#include "settings/path_text_win.h"
#include "settings/settings_store.h"

namespace {

bool AskYes(const char* question) {
    // Anything but Yes, a box that could not be shown included, counts as No.
    return ShowMessageBox(kQuestionTitle, question, kQuestionFlags) == AnswerYes;
}

void PickColor(LedColor which) {
    StopMonitoring();
    ChooseLedColor(which);
    SaveSettings(); // also after a cancel: the file then holds the bar's current position
    StartMonitoring();
}

void SetIconSize(int size) {
    StopMonitoring();
    AppState.IconSize = size;
    RenderLedImages();
    LayoutBar();
    SaveSettings();
    StartMonitoring();
}

void ToggleMinimizeButton() {
    const bool wasShown = IsMenuItemChecked(MenuMinimizeButton);
    SetMenuItemChecked(MenuMinimizeButton, !wasShown);
    AppState.MinimizeButton = wasShown ? 0 : 8;
    LayoutBar();
    SaveSettings();
}

void ToggleLock() {
    const bool wasLocked = IsMenuItemChecked(MenuLock);
    SetMenuItemChecked(MenuLock, !wasLocked);
    AppState.Locked = wasLocked ? 0 : 1;
    SaveSettings();
}

void RestoreBlinkbarDefaults() {
    StopMonitoring();
    if (AskYes(kRestoreQuestion)) {
        RestoreDefaults();
        SaveSettings();
        RenderLedImages();
        LayoutBar();
    }
    StartMonitoring();
}

void ExitBlinkbar() {
    StopMonitoring();
    if (!AskYes(kExitQuestion)) {
        StartMonitoring();
        return;
    }
    ExitWithoutAsking();
}

void UninstallBlinkbar() {
    StopMonitoring();
    if (!AskYes(kUninstallQuestion)) {
        StartMonitoring();
        return;
    }
    CloseBarWindow();
    const std::string folder = ProgramDirectory();
    AppState.SettingsPath = folder + kSettingsFileName;
    DeleteFileW(WidePathFromUtf8(AppState.SettingsPath).c_str());
    // A replacement or copy left by a cut-off save would otherwise bring the settings back.
    DeleteFileW(WidePathFromUtf8(AppState.SettingsPath + ".tmp").c_str());
    DeleteFileW(WidePathFromUtf8(AppState.SettingsPath + ".new").c_str());
    Sleep(300);
    LaunchProgram("\"" + folder + kUninstallerName + "\"", kUninstallerSwitches, folder);
    EndProgram();
}

} // namespace

void ExitWithoutAsking() {
    StopMonitoring();
    SaveSettings(); // while the bar still stands where the user left it
    CloseBarWindow();
    EndProgram();
}

void RunCommand(int item) {
    HWND bar = AppState.WindowHandle;
    switch (item) {
    case MenuAbout:
        ShowMessageBox("About Blinkbar " + AppState.VersionText, AppState.AboutText, 0);
        break;
    case MenuConfigureDrives:
        StopMonitoring();
        DriveConfigDialog(); // saves by itself when the user saves
        StartMonitoring();
        break;
    case MenuReadColor:
        PickColor(LedColor::Read);
        break;
    case MenuWriteColor:
        PickColor(LedColor::Write);
        break;
    case MenuBackColor:
        PickColor(LedColor::Back);
        break;
    case MenuTextColor:
        PickColor(LedColor::Text);
        break;
    case MenuTransparency:
        StopMonitoring();
        TransparencyDialog();
        SaveSettings();
        Sleep(500);
        StartMonitoring();
        break;
    case MenuIconSize1:
    case MenuIconSize2:
    case MenuIconSize3:
        SetIconSize(item - MenuIconSize1 + 1);
        break;
    case MenuMinimizeButton:
        ToggleMinimizeButton();
        break;
    case MenuWindowOnTop:
        SetWindowPos(bar, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        break;
    case MenuNotOnTop:
        SetWindowPos(bar, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        break;
    case MenuLock:
        ToggleLock();
        break;
    case MenuSavePosition:
        SaveSettings();
        break;
    case MenuToTray:
        EnterTrayMode();
        break;
    case MenuRestoreDefaults:
        RestoreBlinkbarDefaults();
        break;
    case MenuExit:
        ExitBlinkbar();
        break;
    case MenuUninstall:
        UninstallBlinkbar();
        break;
    default:
        break;
    }
}
