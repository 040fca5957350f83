#pragma once
// What an LED's tooltip says, asked of the system on the window's thread.

#include <string>

#include "display/drive_tip_text.h"
#include "monitor/drive_history.h"

// The drive's kind, label and file system, without the system's box for a drive without media.
VolumeFacts AskVolumeFacts(int slot);
// The room on slot's drive, asked on a thread of its own: a moment's wait for the answer (a
// local drive's comes at once), else `facts` goes without it until TakeVolumeSpace has it. While an
// earlier question is still unanswered (a lost server's) none is asked.
void AskVolumeSpace(int slot, VolumeFacts* facts);
// Fills in an answer for slot's drive that has come since; true when `facts` took one.
bool TakeVolumeSpace(int slot, VolumeFacts* facts);
// As Explorer writes sizes: the separator of the user's own settings, "." where none is set.
void AskDecimalSeparator(char (&decimal)[4]);
// The text of slot's tooltip now, from the facts asked when it opened; `minute` gets the minute
// read for the chart below the text, and `chart` whether there is one.
std::string TipTextNow(int slot, const VolumeFacts& facts, const char (&decimal)[4],
                       DriveMinute* minute, bool* chart);
// The same, everything asked afresh.
std::string DriveTipText(int slot);
