#pragma once
// What makes a message box or the colour chooser modal for the whole thread.

#include <windows.h>

struct ModalScope {
    DWORD Thread = 0;
    HWND Foreground = nullptr;
    HWND Owner = nullptr; // the foreground window when it is ours, else none
    HWND Disabled[64] = {};
    int Count = 0;
};

// Disables every visible, enabled top-level window of this thread but the foreground one, and
// names the owner for the modal window.
ModalScope BeginModal();
// Enables again exactly the windows BeginModal disabled.
void EndModal(const ModalScope& scope);
