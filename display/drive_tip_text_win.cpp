// The text of an LED's tooltip, on kernel32.
#include "display/drive_tip_text_win.h"

#include <windows.h>

#include "app/app_state.h"
#include "app/numbering.h"
#include "monitor/drive_facts.h"
#include "monitor/drive_facts_win.h"

void AskDecimalSeparator(char (&decimal)[4]) {
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, decimal, sizeof decimal) < 2)
        lstrcpynA(decimal, ".", sizeof decimal);
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
    // What is known now; anything a few seconds old is asked again, and a change of the name
    // the reader heard is announced when the answer comes.
    AskDriveFacts(slot, FactsFreshMs, FactsFreshMs, FactsFreshMs);
    return TipTextNow(slot, DriveFactsNow(slot), decimal, &minute, &chart);
}
