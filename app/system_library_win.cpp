#include "app/system_library_win.h"

#include <commctrl.h>

#include "app/newer_windows.h"
#include "app/quiet_errors.h"
#include "app/win_handles.h"

namespace {
bool gSearchRestricted = false;
} // namespace

void RestrictLibrarySearch() {
    HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    if (auto restrict = FindFunction<BOOL(WINAPI*)(DWORD)>(kernel32, "SetDefaultDllDirectories")) {
        gSearchRestricted = restrict(Newer::LoadLibrarySearchSystem32) != FALSE;
    }
    if (gSearchRestricted) return;
    if (auto directory = FindFunction<BOOL(WINAPI*)(const wchar_t*)>(kernel32, "SetDllDirectoryW"))
        directory(L"");
}

HMODULE LoadSystemLibrary(const wchar_t* fileName) {
    wchar_t path[MAX_PATH + 64];
    const UINT length = GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    UINT end = length;
    path[end++] = L'\\';
    for (const wchar_t* c = fileName; *c && end < MAX_PATH + 63; ++c) path[end++] = *c;
    path[end] = L'\0';
    // Without the narrowed search, the altered order looks for this library's imports in its own
    // folder, the system folder, first; the program's folder is not in that order at all.
    return gSearchRestricted ? LoadLibraryW(path)
                             : LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

bool LoadCommonControls() {
    static HMODULE library = nullptr;
    if (library) return true;
    // By bare name, unlike every other library here: the manifest asks for version 6, and the
    // loader takes a name that the activation context redirects from the side-by-side store before
    // it searches any folder ("Dynamic-Link Library Search Order"). A full path would bypass the
    // redirection and load version 5 from the system folder.
    library = LoadLibraryW(L"comctl32.dll");
    using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    if (auto init = FindFunction<InitFn>(library, "InitCommonControlsEx")) {
        const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_WIN95_CLASSES};
        init(&classes);
    }
    return library != nullptr;
}

void StartCom() {
    static bool started = false;
    if (started) return;
    started = true;
    if (auto start =
            FindFunction<HRESULT(WINAPI*)(void*)>(LoadSystemLibrary(L"ole32.dll"), "CoInitialize"))
        start(nullptr);
}

namespace {
constexpr UINT kQuiet = SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;
SharedQuietMode gSharedQuiet;
LONG gSharedQuietLock = 0;

// Windows 7 and later. Looked up on each call, not kept in a local static: the calls come from
// more than one thread, and such statics are initialised without a lock here.
using ThreadErrorModeFn = BOOL(WINAPI*)(DWORD, DWORD*);
ThreadErrorModeFn ThreadErrorMode() {
    return FindFunction<ThreadErrorModeFn>(GetModuleHandleW(L"kernel32.dll"), "SetThreadErrorMode");
}

void ShareQuiet(bool begin) {
    while (InterlockedExchange(&gSharedQuietLock, 1)) Sleep(0);
    if (begin)
        BeginSharedQuiet(gSharedQuiet, kQuiet, SetErrorMode);
    else
        EndSharedQuiet(gSharedQuiet, SetErrorMode);
    InterlockedExchange(&gSharedQuietLock, 0);
}
} // namespace

DWORD BeginQuietErrors() {
    DWORD previous = 0;
    if (const auto perThread = ThreadErrorMode())
        perThread(kQuiet, &previous);
    else
        ShareQuiet(true);
    return previous;
}

void EndQuietErrors(DWORD previous) {
    if (const auto perThread = ThreadErrorMode())
        perThread(previous, nullptr);
    else
        ShareQuiet(false);
}
