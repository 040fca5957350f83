// The two dialogs on user32 and comctl32.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "app/app_state.h"
#include "app/event_layer.h"
#include "app/event_layer_win.h"
#include "app/numbering.h"
#include "app/system_library_win.h"
#include "dialogs/dialog_layout.h"
#include "dialogs/dialogs_win.h"
#include "dialogs/transparency.h"
#include "display/bar_layout.h"
#include "display/bar_layout_win.h"
#include "display/gdi_store_win.h"
#include "display/led_images.h"
#include "display/screen_scale_win.h"
#include "settings/settings_store.h"

namespace {

constexpr const char* kDialogClass = "BlinkbarDialog";
constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
HWND gOpenDialog = nullptr;
UniqueFont gOpenDialogFont; // the font the open dialog's controls were made with, once replaced

// A client area of the 96-dpi design at the bar's scale.
RECT ScaledClient(int width, int height) {
    return RECT{0, 0, ScaleForDpi(width, AppState.Dpi), ScaleForDpi(height, AppState.Dpi)};
}

// Creates window `number` as the dialogs open: hidden, owned by the bar, topmost, a tool window,
// placed below the bar, then shown and active.
HWND OpenDialogWindow(int number, const char* title, int clientWidth, int clientHeight) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    if (!GetClassInfoA(instance, kDialogClass, &wc)) {
        wc.lpfnWndProc = EventWindowProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kDialogClass;
        RegisterClassA(&wc);
    }
    RECT frame = ScaledClient(clientWidth, clientHeight);
    AdjustFrameForDpi(&frame, kDialogStyle, 0, AppState.Dpi);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    RECT bar{};
    GetWindowRect(AppState.WindowHandle, &bar);
    const DialogPlace place =
        PlaceDialog({bar.left, bar.top, bar.right - bar.left, bar.bottom - bar.top}, width);
    HWND dialog = CreateWindowExA(0, kDialogClass, title, kDialogStyle, place.Left, place.Top,
                                  width, height, AppState.WindowHandle, nullptr, instance, nullptr);
    RegisterEventWindow(dialog, number);
    gOpenDialog = dialog;
    SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetWindowLongA(dialog, GWL_EXSTYLE, GetWindowLongA(dialog, GWL_EXSTYLE) | WS_EX_TOOLWINDOW);
    SetWindowPos(dialog, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
    SetActiveWindow(dialog);
    return dialog;
}

// Moves the dialog below the bar and shows it. The tool-window frame is smaller than the one it
// was created with: the size is made again from the client area.
void ShowDialogWindow(HWND dialog, int clientWidth, int clientHeight) {
    RECT frame = ScaledClient(clientWidth, clientHeight);
    AdjustFrameForDpi(&frame, static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE)),
                      static_cast<DWORD>(GetWindowLongA(dialog, GWL_EXSTYLE)), AppState.Dpi);
    RECT bar{}, place{};
    GetWindowRect(AppState.WindowHandle, &bar);
    GetWindowRect(dialog, &place);
    SetWindowPos(dialog, nullptr, place.left, bar.top + ScaleForDpi(50, AppState.Dpi),
                 frame.right - frame.left, frame.bottom - frame.top, SWP_NOZORDER);
    ShowWindow(dialog, SW_SHOW);
}

// `place` is the 96-dpi table's; the control stands at the bar's scale.
HWND AddControl(HWND dialog, const char* cls, const char* text, DWORD style, const PixelRect& place,
                int number) {
    const PixelRect r = ScaleRectForDpi(place, AppState.Dpi);
    HWND control = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, r.X, r.Y, r.W, r.H,
                                   dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(number)),
                                   GetModuleHandleA(nullptr), nullptr);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(NumberedFont(Num::DialogFont)),
                 TRUE);
    return control;
}

void CloseDialogWindow(HWND dialog) {
    ForgetEventWindow(dialog);
    DestroyWindow(dialog);
    gOpenDialog = nullptr;
    gOpenDialogFont.reset(); // after the controls that used it
}

} // namespace

void KeepDialogFontWhileOpen(UniqueFont font) {
    // Only the first replaced font is the controls': later ones went to the minimize button alone,
    // which the layout has given the newest.
    if (gOpenDialog && !gOpenDialogFont) gOpenDialogFont = std::move(font);
}

void DriveConfigDialog() {
    HWND dialog = OpenDialogWindow(Num::DriveDialogWindow, kDriveDialogTitle, DriveDialogWidth,
                                   DriveDialogHeight);
    ShowDialogWindow(dialog, DriveDialogWidth, DriveDialogHeight);
    HWND boxes[24] = {};
    for (int slot = Num::FirstDriveSlot; slot <= Num::LastDriveSlot; ++slot) {
        const char letter[2] = {AppState.DriveLetters[slot - 1], '\0'};
        boxes[slot - 1] = AddControl(dialog, "Button", letter, BS_AUTOCHECKBOX | WS_TABSTOP,
                                     DriveCheckBoxRect(slot), Num::DriveCheckBoxBase + slot);
        if (SlotShown(AppState.Drives, slot))
            SendMessageA(boxes[slot - 1], BM_SETCHECK, BST_CHECKED, 0);
    }
    AddControl(dialog, "Button", kSaveChangesText, BS_PUSHBUTTON | WS_TABSTOP, SaveChangesRect(),
               Num::SaveChangesButton);

    for (;;) {
        const int code = WaitEvent();
        bool ticked[24] = {};
        for (int i = 0; i < 24; ++i)
            ticked[i] = SendMessageA(boxes[i], BM_GETCHECK, 0, 0) == BST_CHECKED;
        const std::string mask = MaskFromChecks(ticked);
        const int object = EventObject();
        if (MustTickAgain(mask, object)) {
            SendMessageA(boxes[object - Num::DriveCheckBoxBase - 1], BM_SETCHECK, BST_CHECKED, 0);
        }
        if (object == Num::SaveChangesButton) {
            AppState.Drives = mask;
            CloseDialogWindow(dialog);
            RenderLedImages();
            LayoutBar();
            SaveSettings();
            return;
        }
        if (code == EventCloseRequest) { // the close box or Alt+F4: nothing changes
            CloseDialogWindow(dialog);
            return;
        }
        Sleep(1);
    }
}

void TransparencyDialog() {
    HWND dialog = OpenDialogWindow(Num::TransparencyDialogWindow, kTransparencyDialogTitle,
                                   TransparencyDialogWidth, TransparencyDialogHeight);
    HWND slider = nullptr, value = nullptr;
    for (const DialogControl& c : kTransparencyControls) {
        if (!c.Text) {
            LoadCommonControls(); // loaded with the tooltips after the first paint, as a rule
            slider = AddControl(dialog, TRACKBAR_CLASSA, nullptr, WS_TABSTOP | TBS_HORZ, c.Rect,
                                c.Number);
            SendMessageA(slider, TBM_SETRANGEMIN, FALSE, MinTransparency);
            SendMessageA(slider, TBM_SETRANGEMAX, TRUE, MaxTransparency);
        } else {
            HWND label = AddControl(dialog, "Static", c.Text, c.Text[0] ? SS_LEFT : SS_CENTER,
                                    c.Rect, c.Number);
            if (!c.Text[0]) value = label;
        }
    }
    SetWindowTextA(value, std::to_string(AppState.Transparency).c_str());
    SendMessageA(slider, TBM_SETPOS, TRUE, AppState.Transparency);
    ShowDialogWindow(dialog, TransparencyDialogWidth, TransparencyDialogHeight);
    SetFocus(slider);

    for (;;) {
        const int code = WaitEvent();
        if (EventObject() == Num::TransparencySlider) {
            AppState.Transparency =
                ClampTransparency(static_cast<int>(SendMessageA(slider, TBM_GETPOS, 0, 0)));
            ApplyTransparency(AppState.WindowHandle, AppState.Transparency);
            SetWindowTextA(value, std::to_string(AppState.Transparency).c_str());
        }
        if (code == EventCloseRequest) {
            CloseDialogWindow(dialog);
            return;
        }
        Sleep(1);
    }
}
