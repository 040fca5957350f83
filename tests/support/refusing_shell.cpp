// The notification area for the end-to-end test build: Wine's shell takes every icon, Windows'
// can refuse one (a shell still starting after sign-in, or one that lost its tray). While
// "tray.txt" beside the program says "refuse", adds and changes are refused; otherwise they go to
// the real shell. Each add asked for is counted in "tray-adds.txt".
#include <cstdio>
#include <cstring>

#include "app/system_library_win.h"
#include "app/tray_mode_win.h"

namespace {
long gAdds = 0;

void Beside(const char* name, char (&path)[MAX_PATH]) {
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (char* slash = std::strrchr(path, '\\')) std::strcpy(slash + 1, name);
}
} // namespace

BOOL NotifyIcon(DWORD action, NOTIFYICONDATAA* icon) {
    char path[MAX_PATH], said[16] = {};
    if (action == NIM_ADD) {
        Beside("tray-adds.txt", path);
        if (FILE* out = std::fopen(path, "w")) {
            std::fprintf(out, "%ld\n", ++gAdds);
            std::fclose(out);
        }
    }
    Beside("tray.txt", path);
    if (FILE* in = std::fopen(path, "r")) {
        std::fgets(said, sizeof said, in);
        std::fclose(in);
    }
    if (action != NIM_DELETE && !std::strncmp(said, "refuse", 6)) return FALSE;
    static const auto notify = FindFunction<decltype(&Shell_NotifyIconA)>(
        LoadSystemLibrary(L"shell32.dll"), "Shell_NotifyIconA");
    return notify ? notify(action, icon) : FALSE;
}
