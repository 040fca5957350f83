#include "app/modal_win.h"

namespace {

BOOL CALLBACK DisableOne(HWND window, LPARAM context) {
    auto& scope = *reinterpret_cast<ModalScope*>(context);
    if (GetWindowThreadProcessId(window, nullptr) != scope.Thread) return TRUE;
    if (!IsWindowVisible(window) || !IsWindowEnabled(window) || window == scope.Foreground)
        return TRUE;
    if (scope.Count == 64) return FALSE;
    EnableWindow(window, FALSE);
    scope.Disabled[scope.Count++] = window;
    return TRUE;
}

} // namespace

ModalScope BeginModal() {
    ModalScope scope;
    scope.Thread = GetCurrentThreadId();
    scope.Foreground = GetForegroundWindow();
    EnumWindows(DisableOne, reinterpret_cast<LPARAM>(&scope));
    DWORD process = 0;
    if (scope.Foreground) GetWindowThreadProcessId(scope.Foreground, &process);
    scope.Owner = process == GetCurrentProcessId() ? scope.Foreground : nullptr;
    return scope;
}

void EndModal(const ModalScope& scope) {
    for (int i = 0; i < scope.Count; ++i) EnableWindow(scope.Disabled[i], TRUE);
}
