#pragma once
// Libraries that Windows does not always take from its own folder are loaded by full path from
// the system folder: a copy of the same name beside the program must never run inside it. A full
// path protects only that file: the libraries it imports are looked for as if by bare name, the
// program's folder first, unless the search is narrowed for the whole process.

#include <windows.h>

// First thing at start-up: every library loaded from now on, and those it imports, comes from the
// system folder only (SetDefaultDllDirectories: Windows 8, and 7 with its loader update). Where
// kernel32 lacks it (XP, Vista, 7 without KB2533623), only the current folder leaves the search
// (SetDllDirectoryW(L"")) and LoadSystemLibrary has each library's imports looked for beside it
// instead; a system library that later loads another by bare name on its own still looks in the
// program's folder first there, which nothing in this process can change.
void RestrictLibrarySearch();

// The library of that file name in the system folder, loaded for the life of the process; null
// when it is not there.
HMODULE LoadSystemLibrary(const wchar_t* fileName);

// comctl32, for the tooltips and the dialogs' slider, loaded and its classes registered on the
// first call; false when it could not be loaded. Not at start-up, where the first paint needs none
// of it, but on XP and 2003 (LoadsControlsLibraryFirst).
bool LoadCommonControls();
// COM on the window's thread, started on the first call: the shell's start of a program and the
// answers to screen readers use it, the first paint does not.
void StartCom();

// A function of a library by name, as its own type; null when the library or the name is missing.
template <typename Function> Function FindFunction(HMODULE library, const char* name) {
    return library
               ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)))
               : nullptr;
}
