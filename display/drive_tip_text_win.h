#pragma once
// What an LED's tooltip says.

#include <string>

#include "display/drive_tip_text.h"
#include "monitor/drive_history.h"

// As Explorer writes sizes: the separator of the user's own settings, "." where none is set.
void AskDecimalSeparator(char (&decimal)[4]);
// The text of slot's tooltip now, with `facts`; `minute` gets the minute read for the chart below
// the text, and `chart` whether there is one.
std::string TipTextNow(int slot, const VolumeFacts& facts, const char (&decimal)[4],
                       DriveMinute* minute, bool* chart);
// The same with the facts known now, which are asked again where a few seconds old: never waits.
std::string DriveTipText(int slot);
