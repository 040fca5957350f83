#pragma once
// What an LED's tooltip says, asked of the system on the window's thread.

#include <string>

#include "display/drive_tip_text.h"
#include "monitor/drive_history.h"

// The drive's kind, label and file system, without the system's box for a drive without media.
VolumeFacts AskVolumeFacts(int slot);
// As Explorer writes sizes: the separator of the user's own settings, "." where none is set.
void AskDecimalSeparator(char (&decimal)[4]);
// The text of slot's tooltip now, from the facts asked when it opened; `minute` gets the minute
// read for the chart below the text, and `chart` whether there is one.
std::string TipTextNow(int slot, const VolumeFacts& facts, const char (&decimal)[4],
                       DriveMinute* minute, bool* chart);
// The same, everything asked afresh.
std::string DriveTipText(int slot);
