#pragma once
// The 19 commands of the right-click menu.

// Questions: title "Blinkbar", Yes/No with the question mark.
inline constexpr const char* kQuestionTitle = "Blinkbar";
inline constexpr unsigned kQuestionFlags = 0x24; // MB_YESNO | MB_ICONQUESTION
inline constexpr int AnswerYes = 6;
inline constexpr const char* kRestoreQuestion = "Do you want to restore Blinkbar defaults?";
inline constexpr const char* kExitQuestion = "Do you want to exit?";
inline constexpr const char* kUninstallQuestion =
    "Do you want to uninstall Blinkbar?\n\nProbably the first ever to appear from within the "
    "software :-)";
inline constexpr const char* kUninstallerName = "unins000.exe";
inline constexpr const char* kUninstallerSwitches = " /NORESTART /SILENT";

// Platform side: runs menu item 1..19; Exit and Uninstall may end the process.
void RunCommand(int item);
// Platform side: the session ends, or an installer closes the program to replace it (as Windows'
// Restart Manager does): what Exit does once the user said yes. Does not return.
void ExitWithoutAsking();
