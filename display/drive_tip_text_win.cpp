// The facts of an LED's tooltip, on kernel32.
#include "display/drive_tip_text_win.h"

#include <windows.h>

#include "app/app_state.h"
#include "app/numbering.h"
#include "app/win_handles.h"
#include "settings/path_text_win.h"

void AskDecimalSeparator(char (&decimal)[4]) {
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, decimal, sizeof decimal) < 2)
        lstrcpynA(decimal, ".", sizeof decimal);
}

VolumeFacts AskVolumeFacts(int slot) {
    VolumeFacts facts;
    const std::string& root = AppState.DriveRoots[slot];
    facts.DriveType = static_cast<int>(GetDriveTypeA(root.c_str()));
    if (facts.DriveType <= DRIVE_NO_ROOT_DIR) return facts;
    // A removable or optical drive without media must not bring up the system's error box.
    const ErrorModeScope quiet(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    wchar_t label[MAX_PATH + 1] = {}, fileSystem[MAX_PATH + 1] = {};
    const std::wstring wideRoot = WidePathFromUtf8(root);
    if (GetVolumeInformationW(wideRoot.c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr,
                              fileSystem, MAX_PATH + 1)) {
        facts.Label = Utf8FromWidePath(label);
        facts.FileSystem = Utf8FromWidePath(fileSystem);
    }
    return facts;
}

std::string TipTextNow(int slot, const VolumeFacts& facts, const char (&decimal)[4],
                       DriveMinute* minute, bool* chart) {
    const DriveRates rates = ReadDriveRates(slot);
    *chart = TipHasChart(facts, rates);
    if (*chart) *minute = ReadDriveMinute(slot);
    return FormatDriveTip(AppState.DriveLetters[slot - 1], facts, rates,
                          *chart ? MinutePeak(*minute) : 0, decimal);
}

std::string DriveTipText(int slot) {
    if (slot < Num::FirstDriveSlot || slot > Num::LastDriveSlot) return std::string();
    char decimal[4];
    AskDecimalSeparator(decimal);
    DriveMinute minute;
    bool chart = false;
    return TipTextNow(slot, AskVolumeFacts(slot), decimal, &minute, &chart);
}
