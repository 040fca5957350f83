#pragma once
// Each drive's type, label, file system and room, asked on a thread of the drive's own; the
// window's thread keeps the answers and never waits for one.

#include <cstdint>

#include "display/drive_tip_text.h"

// Window thread: asks slot's drive what is older than the given limits (see FactsToAsk) unless
// a question of it is under way, which asks it once it ends.
void AskDriveFacts(int slot, uint32_t typeAge, uint32_t labelAge, uint32_t roomAge);
// Window thread: what is known of slot's drive now ("not answering" included).
VolumeFacts DriveFactsNow(int slot);
// Window thread: the letters that exist now, each drive's type asked; the presence markers and
// the letters the tick asks follow each answer.
void ScanDrivesNow();
// Window thread: Windows said these drives (bit s-1 for slot s) came or went: all asked again.
void ForgetDriveFacts(uint32_t slots);
// Window thread: takes slot's answer, handed over by its question's thread (MsgDriveAnswer).
void TakeDriveAnswer(int slot);
