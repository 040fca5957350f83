// LED tooltips: the drive's label, file system, kind and rates, refreshed once a second while
// shown.
#include "display/drive_tips_win.h"

#include <commctrl.h>

#include "app/app_state.h"
#include "app/numbering.h"
#include "display/led_images.h"
#include "display/screen_scale_win.h"
#include "monitor/drive_rates.h"
#include "settings/path_text_win.h"

namespace {

constexpr UINT_PTR kRefreshTimer = 0x7A2;
HWND gTips = nullptr;
char gText[512];
int gShownSlot = 0;      // the LED whose tip is up, 0 when none
VolumeFacts gShownFacts; // asked once when that tip opened

VolumeFacts AskVolumeFacts(int slot) {
    VolumeFacts facts;
    const std::string& root = AppState.DriveRoots[slot];
    facts.DriveType = static_cast<int>(GetDriveTypeA(root.c_str()));
    if (facts.DriveType <= DRIVE_NO_ROOT_DIR) return facts;
    // A removable or optical drive without media must not bring up the system's error box.
    const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    wchar_t label[MAX_PATH + 1] = {}, fileSystem[MAX_PATH + 1] = {};
    const std::wstring wideRoot = WidePathFromUtf8(root);
    if (GetVolumeInformationW(wideRoot.c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr,
                              fileSystem, MAX_PATH + 1)) {
        facts.Label = Utf8FromWidePath(label);
        facts.FileSystem = Utf8FromWidePath(fileSystem);
    }
    SetErrorMode(previous);
    return facts;
}

std::string TipFor(int slot, const VolumeFacts& facts) {
    return FormatDriveTip(AppState.DriveLetters[slot - 1], facts, ReadDriveRates(slot));
}

void CopyText(const std::string& text) {
    lstrcpynA(gText, text.c_str(), sizeof gText);
}

int SlotOfTool(UINT_PTR tool) {
    const int slot = GetDlgCtrlID(reinterpret_cast<HWND>(tool));
    return slot >= Num::FirstDriveSlot && slot <= Num::LastDriveSlot ? slot : 0;
}

} // namespace

std::string DriveTipText(int slot) {
    if (slot < Num::FirstDriveSlot || slot > Num::LastDriveSlot) return std::string();
    return TipFor(slot, AskVolumeFacts(slot));
}

void CreateDriveTips() {
    HWND bar = AppState.WindowHandle;
    // Not owned by the bar, like the button's tooltip: an owned topmost window would keep the bar
    // from being made topmost again.
    gTips = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                            WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
    SendMessageA(gTips, TTM_SETMAXTIPWIDTH, 0, ScaleForDpi(400, AppState.Dpi)); // several lines
    ApplyTooltipFont(gTips);
    for (int slot = Num::FirstLedControl; slot <= Num::LastLedControl; ++slot) {
        TOOLINFOA tool{};
        tool.cbSize = TTTOOLINFOA_V1_SIZE;
        // No TTF_SUBCLASS: the subclass would stand in front of every message to the control, the
        // image switches included, and look up its window property each time. The LED controls'
        // own procedure relays the mouse instead (RelayDriveTipMouse).
        tool.uFlags = TTF_IDISHWND;
        tool.hwnd = bar;
        tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(bar, slot));
        tool.lpszText = LPSTR_TEXTCALLBACKA;
        SendMessageA(gTips, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void ApplyDriveTipFont() {
    if (gTips) SendMessageA(gTips, TTM_SETMAXTIPWIDTH, 0, ScaleForDpi(400, AppState.Dpi));
    ApplyTooltipFont(gTips);
}

void RelayDriveTipMouse(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!gTips || message < WM_MOUSEFIRST || message > WM_MOUSELAST) return;
    const DWORD at = GetMessagePos();
    MSG relayed{control,
                message,
                wParam,
                lParam,
                static_cast<DWORD>(GetMessageTime()),
                POINT{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))}};
    SendMessageA(gTips, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

void DestroyDriveTips() {
    if (gTips) DestroyWindow(gTips);
    gTips = nullptr;
    gShownSlot = 0;
}

bool HandleDriveTipMessage(HWND bar, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message == WM_TIMER && wParam == kRefreshTimer) {
        if (gShownSlot) {
            CopyText(TipFor(gShownSlot, gShownFacts));
            TOOLINFOA tool{};
            tool.cbSize = TTTOOLINFOA_V1_SIZE;
            tool.hwnd = bar;
            tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(bar, gShownSlot));
            tool.lpszText = gText;
            SendMessageA(gTips, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
        }
        *result = 0;
        return true;
    }
    if (message != WM_NOTIFY || !gTips) return false;
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->hwndFrom != gTips) return false;
    const int slot = SlotOfTool(header->idFrom);
    switch (header->code) {
    case TTN_GETDISPINFOA: {
        auto* info = reinterpret_cast<NMTTDISPINFOA*>(lParam);
        if (slot != gShownSlot) {
            gShownFacts = slot ? AskVolumeFacts(slot) : VolumeFacts();
            gShownSlot = slot;
        }
        CopyText(slot ? TipFor(slot, gShownFacts) : std::string());
        info->lpszText = gText;
        break;
    }
    case TTN_SHOW:
        SetTimer(bar, kRefreshTimer, 1000, nullptr);
        break;
    case TTN_POP: {
        KillTimer(bar, kRefreshTimer);
        // Back to asking: the next time this tip opens it starts from fresh facts.
        TOOLINFOA tool{};
        tool.cbSize = TTTOOLINFOA_V1_SIZE;
        tool.hwnd = bar;
        tool.uId = header->idFrom;
        tool.lpszText = LPSTR_TEXTCALLBACKA;
        SendMessageA(gTips, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
        gShownSlot = 0;
        break;
    }
    default:
        return false;
    }
    *result = 0;
    return true;
}
