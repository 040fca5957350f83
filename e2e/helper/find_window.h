#pragma once
// The first visible top-level window of a class ("#32768" a popup menu, "#32770" a dialog box).
#include <windows.h>

#include <cstring>

struct WindowSearch {
    const char* Class;
    HWND Found;
};

inline BOOL CALLBACK MatchWindowClass(HWND w, LPARAM context) {
    auto& search = *reinterpret_cast<WindowSearch*>(context);
    char cls[64] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (std::strcmp(cls, search.Class) != 0 || !IsWindowVisible(w)) return TRUE;
    search.Found = w;
    return FALSE;
}

inline HWND FindVisibleWindowOfClass(const char* className) {
    WindowSearch search{className, nullptr};
    EnumWindows(MatchWindowClass, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}
