#pragma once
// Libraries that Windows does not always take from its own folder are loaded by full path from
// the system folder: a copy of the same name beside the program must never run inside it.

#include <windows.h>

// The library of that file name in the system folder, loaded for the life of the process; null
// when it is not there.
HMODULE LoadSystemLibrary(const wchar_t* fileName);

// A function of a library by name, as its own type; null when the library or the name is missing.
template <typename Function> Function FindFunction(HMODULE library, const char* name) {
    return library
               ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)))
               : nullptr;
}
