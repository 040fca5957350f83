#include "monitor/drive_facts.h"

#include <cstring>

#include "monitor/drive_scan.h"

namespace {

bool Stale(const DriveFactsSlot& slot, int part, uint32_t now, uint32_t limit) {
    const unsigned kind = 1u << part;
    if (limit == FactsNeverAgain) return !(slot.Known & kind);
    return !(slot.Known & kind) || now - slot.AnsweredAt[part] >= limit;
}

} // namespace

unsigned FactsToAsk(const DriveFactsSlot& slot, uint32_t now, uint32_t typeAge, uint32_t labelAge,
                    uint32_t roomAge) {
    unsigned kinds = 0;
    if (Stale(slot, 0, now, typeAge)) kinds |= FactType;
    if (Stale(slot, 1, now, labelAge)) kinds |= FactLabel | FactType;
    if (Stale(slot, 2, now, roomAge)) kinds |= FactRoom | FactType;
    return kinds;
}

bool BeginFactsQuestion(DriveFactsSlot& slot, unsigned kinds, uint32_t now) {
    if (!kinds) return false;
    if (slot.Asking) {
        // The question under way may have been asked before what is wanted now changed.
        slot.Wanted |= kinds;
        return false;
    }
    slot.Asking = kinds | slot.Wanted | FactType;
    slot.Wanted = 0;
    slot.AskedAt = now;
    return true;
}

unsigned TakeFactsAnswer(DriveFactsSlot& slot, const VolumeFacts& answer, uint32_t now) {
    const unsigned kinds = slot.Asking;
    slot.Asking = 0;
    VolumeFacts& facts = slot.Facts;
    const VolumeFacts before = facts;
    facts.DriveType = answer.DriveType;
    // A root that is gone has no label and no room any more, whatever was asked.
    const bool root = answer.DriveType > 1;
    if ((kinds & FactLabel) || !root) {
        std::memcpy(facts.Label, answer.Label, sizeof facts.Label);
        std::memcpy(facts.FileSystem, answer.FileSystem, sizeof facts.FileSystem);
        if (!root) facts.Label[0] = facts.FileSystem[0] = '\0';
        facts.Label[sizeof facts.Label - 1] = facts.FileSystem[sizeof facts.FileSystem - 1] = '\0';
    }
    if ((kinds & FactRoom) || !root) {
        facts.SpaceKnown = root && answer.SpaceKnown;
        facts.FreeBytes = answer.FreeBytes;
        facts.TotalBytes = answer.TotalBytes;
    }
    const unsigned answered = root ? kinds : AllFacts;
    slot.Known |= answered;
    for (int part = 0; part < 3; ++part) {
        if (answered & (1u << part)) slot.AnsweredAt[part] = now;
    }
    unsigned changed = 0;
    if (facts.DriveType != before.DriveType) changed |= FactType | FactLabel;
    if (std::strcmp(facts.Label, before.Label) != 0) changed |= FactLabel;
    return changed;
}

void ForgetFacts(DriveFactsSlot& slot) {
    slot.Known = 0;
}

VolumeFacts FactsShown(const DriveFactsSlot& slot, uint32_t now) {
    VolumeFacts facts = slot.Facts;
    facts.NotAnswering = slot.Asking && now - slot.AskedAt >= FactsPatienceMs;
    return facts;
}

void DriveTypeBits(const DriveFactsSlot (&slots)[24], uint32_t* fixed, uint32_t* network) {
    *fixed = *network = 0;
    for (int i = 0; i < 24; ++i) {
        if (slots[i].Facts.DriveType == DriveTypeFixed) *fixed |= 1u << i;
        if (slots[i].Facts.DriveType == DriveTypeNetwork) *network |= 1u << i;
    }
}
