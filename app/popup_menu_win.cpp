// Popup menu 0 on user32.
#include <windows.h>

#include "app/app_state.h"
#include "app/popup_menu.h"
#include "app/win_handles.h"

namespace {

UniqueMenu gMenu;

void SetChecked(int item, int on) {
    if (on < 0) return;
    SetMenuItemChecked(item, on != 0);
}

} // namespace

void BuildPopupMenu() {
    gMenu.reset(CreatePopupMenu());
    MenuRow rows[MenuRowCount];
    PopupMenuRows(AppState.VersionText, rows);
    for (const MenuRow& row : rows) {
        if (row.Number == 0)
            AppendMenuA(gMenu.get(), MF_SEPARATOR, 0, nullptr);
        else
            AppendMenuA(gMenu.get(), MF_STRING, static_cast<UINT_PTR>(row.Number),
                        row.Text.c_str());
    }
}

void DestroyPopupMenu() {
    gMenu.reset();
}

bool IsMenuItemChecked(int item) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE;
    if (!GetMenuItemInfoA(gMenu.get(), static_cast<UINT>(item), FALSE, &info)) return false;
    return (info.fState & MFS_CHECKED) != 0;
}

void SetMenuItemChecked(int item, bool on) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE;
    if (!GetMenuItemInfoA(gMenu.get(), static_cast<UINT>(item), FALSE, &info)) return;
    info.fState =
        on ? (info.fState | MFS_CHECKED) : (info.fState & ~static_cast<UINT>(MFS_CHECKED));
    SetMenuItemInfoA(gMenu.get(), static_cast<UINT>(item), FALSE, &info);
}

void UpdateMenuChecks() {
    const MenuChecks checks =
        MenuChecksFor(AppState.Locked, AppState.MinimizeButton, AppState.IconSize);
    SetChecked(MenuLock, checks.Lock);
    SetChecked(MenuMinimizeButton, checks.MinimizeButton);
    for (int i = 0; i < 3; ++i) SetChecked(MenuIconSize1 + i, checks.Size[i]);
}

namespace {

void TrackMenu(HWND window, int x, int y, UINT flags) {
    // Without being the foreground window, the menu would not close when the user clicks
    // elsewhere.
    SetForegroundWindow(window);
    TrackPopupMenu(gMenu.get(), flags, x, y, 0, window, nullptr);
}

} // namespace

void ShowPopupMenu(HWND window) {
    POINT at{};
    GetCursorPos(&at);
    TrackMenu(window, at.x - 1, at.y - 1, TPM_RIGHTBUTTON);
}

void ShowPopupMenuAtFocus(HWND window) {
    HWND focus = GetFocus();
    if (!focus || GetAncestor(focus, GA_ROOT) != window) focus = window;
    RECT r{};
    GetWindowRect(focus, &r);
    TrackMenu(window, r.left, r.bottom, 0);
}
