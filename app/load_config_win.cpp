// The program's load configuration, read by the Windows loader before any of the program's code
// runs. Its one setting: the libraries that the libraries Blinkbar imports import in turn are
// looked for in the system folder only (Windows 10 1607 and later read it), never beside the
// program, where a download folder may hold a planted copy of one. Earlier Windows ignore the
// field; start-up narrows the search for them as soon as the program runs.
#include <windows.h>

#include "app/newer_windows.h"

namespace {

// The first 64 bytes of IMAGE_LOAD_CONFIG_DIRECTORY32, all zero but its size and
// DependentLoadFlags (at byte 54): no security cookie, no SafeSEH table. 64 is also the size the
// Windows XP loader insists on.
struct LoadConfig64 {
    DWORD Size;
    DWORD Before[12]; // time stamp, versions, heap and lock settings
    WORD CSDVersion;
    WORD DependentLoadFlags;
    DWORD After[2]; // edit list, security cookie
};
static_assert(sizeof(LoadConfig64) == 64);

} // namespace

// The linker finds the record by this name and points the PE header's directory at it.
extern "C" __attribute__((used)) const LoadConfig64 _load_config_used = {
    sizeof(LoadConfig64), {}, 0, Newer::LoadLibrarySearchSystem32, {}};
