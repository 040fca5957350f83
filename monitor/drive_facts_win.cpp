// Drive facts on kernel32: one question per drive at a time, on a thread that may wait as long as
// the drive makes it; the answer is handed to the window's thread without waiting for it.
#include "monitor/drive_facts_win.h"

#include <windows.h>

#include <atomic>

#include "app/app_state.h"
#include "app/win_handles.h"
#include "display/drive_tips_win.h"
#include "display/led_controls_win.h"
#include "monitor/activity_probe.h"
#include "monitor/drive_facts.h"
#include "monitor/drive_scan.h"
#include "monitor/monitor_messages_win.h"

namespace {

// What a question's thread found. It alone writes its slot's answer while the question is under
// way; the window's thread reads it only after the hand-over, whose release of `Done` publishes.
struct DriveAnswer {
    unsigned Kinds;
    VolumeFacts Said;
    std::atomic<int> Done;
};

DriveAnswer gAnswers[24];
DriveFactsSlot gSlots[24]; // window's thread only

void Utf8Of(const wchar_t* wide, char* out, int size) {
    if (!WideCharToMultiByte(CP_UTF8, 0, wide, -1, out, size, nullptr, nullptr)) out[0] = '\0';
}

DWORD WINAPI AnswerDriveQuestion(void* parameter) {
    const int slot = static_cast<int>(reinterpret_cast<INT_PTR>(parameter));
    DriveAnswer& answer = gAnswers[slot - 1];
    // A removable or optical drive without media must not bring up the system's error box.
    const QuietErrorsScope quiet;
    const wchar_t root[4] = {static_cast<wchar_t>(L'B' + slot), L':', L'\\', L'\0'};
    VolumeFacts& said = answer.Said;
    said.DriveType = static_cast<int>(GetDriveTypeW(root));
    said.SpaceKnown = false;
    said.Label[0] = said.FileSystem[0] = '\0';
    if (said.DriveType > DRIVE_NO_ROOT_DIR && (answer.Kinds & FactLabel)) {
        wchar_t label[MAX_PATH + 1] = {}, fileSystem[MAX_PATH + 1] = {};
        if (GetVolumeInformationW(root, label, MAX_PATH + 1, nullptr, nullptr, nullptr, fileSystem,
                                  MAX_PATH + 1)) {
            Utf8Of(label, said.Label, sizeof said.Label);
            Utf8Of(fileSystem, said.FileSystem, sizeof said.FileSystem);
        }
    }
    if (said.DriveType > DRIVE_NO_ROOT_DIR && (answer.Kinds & FactRoom))
        said.SpaceKnown = QueryVolumeSpace(root, &said.FreeBytes, &said.TotalBytes);
    answer.Done.store(1, std::memory_order_release);
    SendNotifyMessageA(AppState.WindowHandle, MsgDriveAnswer, static_cast<WPARAM>(slot), 0);
    return 0;
}

void StartQuestion(int slot) {
    DriveFactsSlot& facts = gSlots[slot - 1];
    DriveAnswer& answer = gAnswers[slot - 1];
    answer.Kinds = facts.Asking;
    answer.Done.store(0, std::memory_order_relaxed);
    // A small stack: the thread makes three calls. Not waited for: a question may never return.
    const HANDLE thread = CreateThread(nullptr, 64 * 1024, AnswerDriveQuestion,
                                       reinterpret_cast<void*>(static_cast<INT_PTR>(slot)),
                                       STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (thread) {
        CloseHandle(thread);
    } else {
        facts.Wanted |= facts.Asking; // asked again by the next question of it
        facts.Asking = 0;
    }
}

void PublishDriveTypes() {
    uint32_t fixed = 0, network = 0;
    DriveTypeBits(gSlots, &fixed, &network);
    StorePresentDrives(fixed);
    StoreNetworkDrives(network);
}

} // namespace

void AskDriveFacts(int slot, uint32_t typeAge, uint32_t labelAge, uint32_t roomAge) {
    if (slot < 1 || slot > 24) return;
    DriveFactsSlot& facts = gSlots[slot - 1];
    const uint32_t now = GetTickCount();
    if (BeginFactsQuestion(facts, FactsToAsk(facts, now, typeAge, labelAge, roomAge), now))
        StartQuestion(slot);
}

VolumeFacts DriveFactsNow(int slot) {
    return slot >= 1 && slot <= 24 ? FactsShown(gSlots[slot - 1], GetTickCount()) : VolumeFacts();
}

void ScanDrivesNow() {
    // The drive list itself is the system's own and comes at once; only the drives' types need
    // the drives.
    const uint32_t named = (GetLogicalDrives() >> 2) & ((1u << 24) - 1);
    const uint32_t now = GetTickCount();
    for (int slot = 1; slot <= 24; ++slot) {
        DriveFactsSlot& facts = gSlots[slot - 1];
        if (named & (1u << (slot - 1))) {
            // Every scan asks the type; what a drive never told (at start, after a change) too.
            AskDriveFacts(slot, 0, FactsNeverAgain, FactsNeverAgain);
        } else if (!facts.Asking) {
            // No such root: known at once, no question needed.
            facts.Facts = VolumeFacts();
            facts.Facts.DriveType = DRIVE_NO_ROOT_DIR;
            facts.Known = AllFacts;
            for (uint32_t& at : facts.AnsweredAt) at = now;
        }
    }
    StoreExistingDrives(ExistingDriveSlots());
    PublishDriveTypes();
}

void ForgetDriveFacts(uint32_t slots) {
    for (int slot = 1; slot <= 24; ++slot) {
        if (slots & (1u << (slot - 1))) {
            ForgetFacts(gSlots[slot - 1]);
            AskDriveFacts(slot, 0, 0, 0);
        }
    }
}

void TakeDriveAnswer(int slot) {
    if (slot < 1 || slot > 24) return;
    DriveFactsSlot& facts = gSlots[slot - 1];
    const DriveAnswer& answer = gAnswers[slot - 1];
    if (!facts.Asking || !answer.Done.load(std::memory_order_acquire)) return;
    const uint32_t now = GetTickCount();
    const unsigned changed = TakeFactsAnswer(facts, answer.Said, now);
    if (changed & FactType) PublishDriveTypes();
    if (changed & FactLabel) NoteLedNamesChanged(1u << (slot - 1));
    RefreshDriveTipOf(slot);
    if (facts.Wanted) {
        const unsigned wanted = facts.Wanted;
        facts.Wanted = 0;
        if (BeginFactsQuestion(facts, wanted, now)) StartQuestion(slot);
    }
}
