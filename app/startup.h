#pragma once
// Start-up's plain rules: which Windows this is, and which ones Blinkbar runs on.

#include <string>

// What GetVersionExA reported. ExtendedOk: the second call with the extended record answered,
// giving ProductType (1 = workstation).
struct OsVersionInfo {
    bool Ok = false;
    int PlatformId = 0;
    int Major = 0;
    int Minor = 0;
    bool ExtendedOk = false;
    int ProductType = 0;
};

// 10/30/40 the 9x family, 5 NT 3, 20 NT 4, 50 2000, 60 XP, 65 Server 2003, 70 a major-6
// workstation, 75 a major-6 server, 100 anything the table does not know.
int OsVersionCodeFrom(const OsVersionInfo& info);
// 2000, XP, major-6 workstations and unknown (newer) versions run.
bool OsVersionAdmitted(int code);
// XP and 2003: the manifest sends the controls' classes (STATIC, BUTTON, the boxes' buttons) to
// comctl32 version 6, but user32 loads no library for a redirected class before Vista, so the
// program loads it before its first control or message box, or none is made. Vista and later
// load it themselves with the first control.
bool LoadsControlsLibraryFirst(int code);

inline constexpr const char* kMutexName = "Blinkbar";
inline constexpr const char* kRefusedVersionTitle = "Information";
inline constexpr const char* kRefusedVersionText =
    "This Operating System is not suitable for Blinkbar!\nCheck Readme_vx.xx.rtf for details";

// Platform side.
int OsVersionCode();
[[noreturn]] void StartProgram();
int ShowMessageBox(const std::string& title, const std::string& text, unsigned flags);
