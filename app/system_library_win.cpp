#include "app/system_library_win.h"

HMODULE LoadSystemLibrary(const wchar_t* fileName) {
    wchar_t path[MAX_PATH + 64];
    const UINT length = GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    UINT end = length;
    path[end++] = L'\\';
    for (const wchar_t* c = fileName; *c && end < MAX_PATH + 63; ++c) path[end++] = *c;
    path[end] = L'\0';
    return LoadLibraryW(path);
}
