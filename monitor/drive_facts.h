#pragma once
// What each drive is (its type, label, file system and room), kept on the window's thread and
// asked of the system on threads of their own: a drive that does not answer holds nothing up.

#include <cstdint>

#include "display/drive_tip_text.h"

// The parts of a question. The type is asked with every question; the label and file system
// come together.
enum DriveFactKind : unsigned { FactType = 1, FactLabel = 2, FactRoom = 4, AllFacts = 7 };

// How long an unanswered question may take before its drive is said to be "not answering", and
// how old a label or a room may be before a tip or a screen reader has it asked again (a label
// can change without Windows saying so).
inline constexpr uint32_t FactsPatienceMs = 1000;
inline constexpr uint32_t FactsFreshMs = 2000;
inline constexpr uint32_t FactsNeverAgain = UINT32_MAX; // an age limit: asked only while unknown

// One drive, window's thread only.
struct DriveFactsSlot {
    VolumeFacts Facts;
    unsigned Known = 0;          // kinds answered at least once since the drive last changed
    unsigned Asking = 0;         // kinds of the question under way, 0 when none
    unsigned Wanted = 0;         // kinds asked for meanwhile, asked when it ends
    uint32_t AskedAt = 0;        // when the question under way started (ms clock)
    uint32_t AnsweredAt[3] = {}; // when type, label and room were last answered
};

// The kinds to ask now: those unknown, or answered longer ago than their limit (0: always;
// FactsNeverAgain: only while unknown). A type is asked with anything else.
unsigned FactsToAsk(const DriveFactsSlot& slot, uint32_t now, uint32_t typeAge, uint32_t labelAge,
                    uint32_t roomAge);

// Starts a question of `kinds` (the caller then asks the system) or, while one is under way,
// keeps them for the next; true when a question is to be asked now.
bool BeginFactsQuestion(DriveFactsSlot& slot, unsigned kinds, uint32_t now);

// Takes the answer of the question under way; returns FactType when the type changed and FactLabel
// when what a screen reader names the drive by did (its type or label). Kinds wanted meanwhile stay
// in Wanted.
// `answer` has an empty label and file system where they could not be read.
unsigned TakeFactsAnswer(DriveFactsSlot& slot, const VolumeFacts& answer, uint32_t now);

// Windows says the drive came or went: everything known of it is asked again.
void ForgetFacts(DriveFactsSlot& slot);

// What a tip and a screen reader show: what is known, and "not answering" while a question has
// outlasted FactsPatienceMs.
VolumeFacts FactsShown(const DriveFactsSlot& slot, uint32_t now);

// The fixed and the network drives among the 24 slots (slot s at bit s-1), by the types known.
void DriveTypeBits(const DriveFactsSlot (&slots)[24], uint32_t* fixed, uint32_t* network);
