// The facts of an LED's tooltip, on kernel32.
#include "display/drive_tip_text_win.h"

#include <windows.h>

#include "app/app_state.h"
#include "app/numbering.h"
#include "app/system_library_win.h"
#include "app/win_handles.h"
#include "monitor/activity_probe.h"
#include "settings/path_text_win.h"

namespace {

// One question of a drive's room at a time, on a thread of its own. That thread alone writes it
// until it ends; the window's thread reads it only after seeing the thread's handle signalled,
// which publishes the whole answer.
struct SpaceQuestion {
    wchar_t Root[4] = {};
    int Slot = 0;
    bool Answered = false;
    uint64_t Free = 0, Total = 0;
};
SpaceQuestion gQuestion;
UniqueKernelHandle gAsker; // the thread while its answer has not been collected

DWORD WINAPI AnswerSpaceQuestion(void*) {
    const QuietErrorsScope quiet;
    gQuestion.Answered = QueryVolumeSpace(gQuestion.Root, &gQuestion.Free, &gQuestion.Total);
    return 0;
}

// True when no question is under way, a finished one collected; waits up to `ms` for it.
bool NoQuestionUnderWay(DWORD ms) {
    if (gAsker && WaitForSingleObject(gAsker.get(), ms) != WAIT_OBJECT_0) return false;
    gAsker.reset();
    return true;
}

} // namespace

void AskVolumeSpace(int slot, VolumeFacts* facts) {
    facts->SpaceKnown = false;
    if (facts->DriveType <= DRIVE_NO_ROOT_DIR || !NoQuestionUnderWay(0)) return;
    gQuestion.Slot = slot;
    gQuestion.Answered = false;
    const char letter = AppState.DriveLetters[slot - 1];
    const wchar_t root[4] = {static_cast<wchar_t>(letter), L':', L'\\', L'\0'};
    lstrcpynW(gQuestion.Root, root, 4);
    DWORD id = 0;
    gAsker.reset(CreateThread(nullptr, 0, AnswerSpaceQuestion, nullptr, 0, &id));
    if (gAsker) NoQuestionUnderWay(100);
    TakeVolumeSpace(slot, facts);
}

bool TakeVolumeSpace(int slot, VolumeFacts* facts) {
    if (facts->SpaceKnown || !NoQuestionUnderWay(0) || gQuestion.Slot != slot ||
        !gQuestion.Answered)
        return false;
    facts->SpaceKnown = true;
    facts->FreeBytes = gQuestion.Free;
    facts->TotalBytes = gQuestion.Total;
    return true;
}

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
    const QuietErrorsScope quiet;
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
    VolumeFacts facts = AskVolumeFacts(slot);
    AskVolumeSpace(slot, &facts);
    return TipTextNow(slot, facts, decimal, &minute, &chart);
}
