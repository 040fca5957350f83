// What Windows reports about Blinkbar's windows, for the end-to-end tests: screenshots cannot see
// styles, layered alpha, control ids, menu check marks or the text of a message box.
//   wininfo window TITLE    the top-level window and its children
//   wininfo menu            the items of the popup menu that is open now
//   wininfo text TITLE      the caption texts inside a window (a message box's question)
//   wininfo box             the title and texts of the message box or standard dialog open now
//   wininfo close TITLE     sends WM_CLOSE to the window
//   wininfo count-events TITLE SECONDS  messages the window's thread takes from its queue
//   wininfo taskbar-created broadcasts "TaskbarCreated", as a restarted shell does
//   wininfo lose-tray-icon TITLE  removes that bar's notification-area icon, as a crashed shell
//                                  loses it
//   wininfo version FILE    the version resource and icon count Explorer shows for a file
//   wininfo monitors        the monitors Windows reports, primary first
//   wininfo stats TITLE     the window's process: memory, handles, GDI and USER objects
//   wininfo model-uistate TITLE  gives the window and its children Windows' keyboard cues, which
//                           Wine lacks
//   wininfo command TITLE ITEMS [TIMES]  posts menu commands ("7,8": 7 then 8) as picking them
//                                         does, the whole list TIMES over; prints "pid=" the
//                                         window's process
//   wininfo ended PID SECONDS  waits until that process has ended, its handles closed
//   wininfo stay            waits until ended: Wine ends its desktop (explorer /desktop) a few
//                           seconds after the last program counted on it leaves, and this helper's
//                           serving process is not counted; on Windows a desktop lasts as long as
//                           its session
//   wininfo post TITLE MESSAGE WPARAM LPARAM [focus]  posts any message (numbers in decimal or 0x
//                           hex); "focus": to the window with the keyboard focus on its thread
//   wininfo hold FILE SECONDS  keeps FILE open without sharing, as another program may
//   wininfo hold-read FILE SECONDS  keeps FILE open for reading, sharing only reading
//   wininfo tip             the visible tooltip: the text it shows, its lines joined by "|";
//                           its client area on the screen, "X Y W H"; its auto-pop delay in ms
//   wininfo load LIBRARY    loads a library as a program that leaves the search order alone does
//   wininfo start LINE      starts a program by the command line, bare names searched as Windows
//   does
//   wininfo key PATH        "present" and the values of HKEY_CURRENT_USER\PATH, "name=value" a
//                           line, or "absent"
//   wininfo settle [report] waits until every bar's thread has taken and handled what was sent
//                           to it before (posted commands, keys, clicks), 5 s at most each;
//                           "report": how, in "wininfo-settle.txt" beside the program
//   wininfo menu-state      "open" while a popup menu shows, else "closed"
//   wininfo shell           "answers" where the desktop shell serves its windows (ShellWindows
//                           with the desktop in it), as for a signed-in user; else "no shell"
//   wininfo acc TITLE [LETTER]  each child of the window as a screen reader finds it (the window's
//                           client object, its children, and each child window's own client
//                           object): "id=N name|description|value|role|state|default action";
//                           LETTER: then the default action of the LED whose name begins "LETTER:"
//   wininfo define-drive LETTER [UNIXPATH]  gives the folder UNIXPATH the drive letter, or takes
//                           the letter away, through Wine's mount manager as winecfg does (a
//                           link in dosdevices alone is a drive to some questions and not others)
//   wininfo winevents TITLE SECONDS COUNT  "listening", then for SECONDS, or until COUNT have
//                           come, the focus and name changes that window's process tells screen
//                           readers of: "focus id=N" or "name id=N" (N the control's number)
//   wininfo serve           answers the commands above, one a line on standard input with its
//                           arguments split by tabs, each answer ending in a line "\x1f" TOKEN
//                           RC (TOKEN the request's first field): one Wine start for a whole suite

#include <windows.h>
#include <dbt.h>
#include <exdisp.h>
#include <shellapi.h>
#include <winioctl.h>
#include <shlobj.h>
#include <commctrl.h>
#include <oleacc.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "find_window.h"

namespace {

// Every wait of the helper's own, stretched as the tests' waits are on a slower machine
// (E2E_SLOW=3: three times as long).
DWORD Waited(DWORD ms) {
    static const double slow = [] {
        const char* text = std::getenv("E2E_SLOW");
        const double factor = text ? std::atof(text) : 1.0;
        return factor >= 1.0 ? factor : 1.0;
    }();
    return static_cast<DWORD>(ms * slow);
}

// An action's failure in its own words, for the test that asked.
int Failed(const char* what) {
    std::printf("%s: error %lu\n", what, GetLastError());
    return 1;
}

int NoWindow(const char* title) {
    std::printf("no window titled \"%s\"\n", title);
    return 1;
}

void PrintRect(const char* name, const RECT& r) {
    std::printf(" %s=%ld,%ld,%ld,%ld", name, r.left, r.top, r.right - r.left, r.bottom - r.top);
}

BOOL CALLBACK PrintChild(HWND child, LPARAM parentValue) {
    HWND parent = reinterpret_cast<HWND>(parentValue);
    if (GetParent(child) != parent) return TRUE;
    char cls[64] = {}, text[256] = {};
    GetClassNameA(child, cls, sizeof cls);
    GetWindowTextA(child, text, sizeof text);
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    std::printf("child id=%d class=%s visible=%d", GetDlgCtrlID(child), cls,
                IsWindowVisible(child) ? 1 : 0);
    PrintRect("rect", r);
    const auto font = reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0));
    LOGFONTA lf{};
    if (font && GetObjectA(font, sizeof lf, &lf)) {
        std::printf(" font=\"%s\",%ld,%ld", lf.lfFaceName, lf.lfHeight, lf.lfWeight);
    }
    if (std::strcmp(cls, "Button") == 0 || std::strcmp(cls, "Static") == 0 ||
        std::strcmp(cls, "msctls_trackbar32") == 0) {
        std::printf(" checked=%ld", static_cast<long>(SendMessageA(child, BM_GETCHECK, 0, 0)));
    }
    if (std::strcmp(cls, "msctls_trackbar32") == 0) {
        std::printf(" pos=%ld min=%ld max=%ld", static_cast<long>(SendMessageA(child, 0x400, 0, 0)),
                    static_cast<long>(SendMessageA(child, 0x401, 0, 0)),
                    static_cast<long>(SendMessageA(child, 0x402, 0, 0)));
    }
    std::printf(" focus=%d text=\"%s\"\n", GetFocus() == child ? 1 : 0, text);
    return TRUE;
}

int Window(const char* title) {
    HWND w = FindWindowA(nullptr, title);
    if (!w) {
        std::printf("none\n");
        return 1;
    }
    // Our thread's view of the focus: attach to the window's input.
    const DWORD barThread = GetWindowThreadProcessId(w, nullptr);
    AttachThreadInput(GetCurrentThreadId(), barThread, TRUE);
    RECT r{}, c{};
    GetWindowRect(w, &r);
    GetClientRect(w, &c);
    const LONG style = GetWindowLongA(w, GWL_STYLE), ex = GetWindowLongA(w, GWL_EXSTYLE);
    std::printf("window visible=%d enabled=%d", IsWindowVisible(w) ? 1 : 0,
                IsWindowEnabled(w) ? 1 : 0);
    PrintRect("rect", r);
    std::printf(" client=%ld,%ld style=0x%08lx exstyle=0x%08lx topmost=%d toolwindow=%d", c.right,
                c.bottom, static_cast<unsigned long>(style), static_cast<unsigned long>(ex),
                (ex & WS_EX_TOPMOST) ? 1 : 0, (ex & WS_EX_TOOLWINDOW) ? 1 : 0);
    BYTE alpha = 0;
    DWORD flags = 0;
    COLORREF key = 0;
    if ((ex & WS_EX_LAYERED) && GetLayeredWindowAttributes(w, &key, &alpha, &flags))
        std::printf(" layered=1 alpha=%u", alpha);
    else
        std::printf(" layered=%d alpha=none", (ex & WS_EX_LAYERED) ? 1 : 0);
    std::printf(" foreground=%d\n", GetForegroundWindow() == w ? 1 : 0);
    EnumChildWindows(w, PrintChild, reinterpret_cast<LPARAM>(w));
    // A helper that stays up must not keep sharing the program's input state.
    AttachThreadInput(GetCurrentThreadId(), barThread, FALSE);
    return 0;
}

// Sets one of the hook library's procedures on the thread of window `w`; null where it cannot.
// The library is loaded once and stays, as the helper may answer many questions.
HHOOK HookThreadOf(HWND w, const char* procedure, int type) {
    static HMODULE library = [] {
        char path[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, path, MAX_PATH);
        if (char* slash = std::strrchr(path, '\\')) std::strcpy(slash + 1, "wininfo_hook.dll");
        return LoadLibraryA(path);
    }();
    const auto proc =
        reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(library, procedure)));
    return proc ? SetWindowsHookExA(type, proc, library, GetWindowThreadProcessId(w, nullptr))
                : nullptr;
}

// A menu handle means nothing in another process: a hook library reads the open menu from
// inside the program's thread and writes it beside the program.
int Menu() {
    HWND popup = FindVisibleWindowOfClass("#32768");
    if (!popup) {
        std::printf("no menu\n");
        return 1;
    }
    HHOOK hook = HookThreadOf(popup, "WininfoHook", WH_CALLWNDPROC);
    if (!hook) {
        std::printf("no hook: error %lu\n", GetLastError());
        return 1;
    }
    SendMessageTimeoutA(popup, RegisterWindowMessageA("WininfoDumpMenu"), 0, 0, SMTO_NORMAL,
                        Waited(5000), nullptr);
    UnhookWindowsHookEx(hook);
    return 0;
}

// Counts the messages the program's thread takes from its queue (each one an event of its loop)
// over the given seconds; the hook library writes the count beside the program.
int CountEvents(const char* title, int seconds) {
    HWND w = FindWindowA(nullptr, title);
    if (!w) return 1;
    HHOOK countHook = HookThreadOf(w, "WininfoCountHook", WH_GETMESSAGE);
    HHOOK controlHook = HookThreadOf(w, "WininfoHook", WH_CALLWNDPROC);
    if (!countHook || !controlHook) return 1;
    SendMessageTimeoutA(w, RegisterWindowMessageA("WininfoResetCount"), 0, 0, SMTO_NORMAL,
                        Waited(5000), nullptr);
    Sleep(static_cast<DWORD>(seconds) * 1000);
    SendMessageTimeoutA(w, RegisterWindowMessageA("WininfoReportCount"), 0, 0, SMTO_NORMAL,
                        Waited(5000), nullptr);
    UnhookWindowsHookEx(countHook);
    UnhookWindowsHookEx(controlHook);
    return 0;
}

BOOL CALLBACK PrintText(HWND child, LPARAM) {
    char cls[64] = {}, text[512] = {};
    GetClassNameA(child, cls, sizeof cls);
    GetWindowTextA(child, text, sizeof text);
    // Another process's edit field keeps its text itself: only WM_GETTEXT reaches it.
    if (!std::strcmp(cls, "Edit"))
        SendMessageTimeoutA(child, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                            SMTO_ABORTIFHUNG, Waited(2000), nullptr);
    if (text[0]) {
        for (char* p = text; *p; ++p)
            if (*p == '\n')
                *p = '|';
            else if (*p == '\r')
                *p = ' ';
        std::printf("%s: %s\n", cls, text);
    }
    return TRUE;
}

struct TitleSearch {
    const char* Prefix;
    HWND Found;
};

BOOL CALLBACK MatchTitlePrefix(HWND w, LPARAM context) {
    auto& search = *reinterpret_cast<TitleSearch*>(context);
    char text[256] = {};
    GetWindowTextA(w, text, sizeof text);
    if (!IsWindowVisible(w) || std::strncmp(text, search.Prefix, std::strlen(search.Prefix)))
        return TRUE;
    search.Found = w;
    return FALSE;
}

// The window titled exactly TITLE, else the first visible one whose title starts with it (NSIS
// ends its titles with a space, and may name the page after them).
HWND WindowTitled(const char* title) {
    HWND w = FindWindowA(nullptr, title);
    if (!w) {
        TitleSearch search{title, nullptr};
        EnumWindows(MatchTitlePrefix, reinterpret_cast<LPARAM>(&search));
        w = search.Found;
    }
    return w;
}

int Text(const char* title) {
    HWND w = WindowTitled(title);
    if (!w) {
        std::printf("none\n");
        return 1;
    }
    EnumChildWindows(w, PrintText, 0);
    return 0;
}

BOOL CALLBACK ListOne(HWND w, LPARAM) {
    char cls[64] = {}, text[128] = {};
    GetClassNameA(w, cls, sizeof cls);
    GetWindowTextA(w, text, sizeof text);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    std::printf("%p pid=%lu visible=%d class=%s text=\"%s\"\n", static_cast<void*>(w),
                static_cast<unsigned long>(pid), IsWindowVisible(w) ? 1 : 0, cls, text);
    return TRUE;
}

// The standard dialog that is open (a message box, the colour chooser): its title and texts.
int Box() {
    HWND box = FindVisibleWindowOfClass("#32770");
    if (!box) {
        std::printf("no box\n");
        return 1;
    }
    char title[256] = {};
    GetWindowTextA(box, title, sizeof title);
    std::printf("title: %s\n", title);
    EnumChildWindows(box, PrintText, 0);
    return 0;
}

BOOL CALLBACK PrintMonitor(HMONITOR monitor, HDC, RECT*, LPARAM) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoA(monitor, &info);
    std::printf("monitor");
    PrintRect("rect", info.rcMonitor);
    std::printf(" primary=%d\n", (info.dwFlags & MONITORINFOF_PRIMARY) ? 1 : 0);
    return TRUE;
}

// The process behind the window writes its figures beside itself (the hook library).
int Stats(const char* title) {
    HWND w = FindWindowA(nullptr, title);
    if (!w) return 1;
    HHOOK hook = HookThreadOf(w, "WininfoHook", WH_CALLWNDPROC);
    if (!hook) return 1;
    DWORD_PTR ignored;
    const LRESULT answered = SendMessageTimeoutA(w, RegisterWindowMessageA("WininfoReportStats"), 0,
                                                 0, SMTO_NORMAL, Waited(10000), &ignored);
    UnhookWindowsHookEx(hook);
    return answered ? 0 : 1;
}

// The bar a user sees: the bar's class with that title, a shown one before a hidden one. A bare
// FindWindow takes whichever comes first in the z-order, also a question box titled like the bar
// or a hidden window of another process.
HWND FindBar(const char* title) {
    HWND hidden = nullptr;
    for (HWND w = FindWindowExA(nullptr, nullptr, "BlinkbarBar", title); w;
         w = FindWindowExA(nullptr, w, "BlinkbarBar", title)) {
        if (IsWindowVisible(w)) return w;
        if (!hidden) hidden = w;
    }
    return hidden ? hidden : FindWindowA(nullptr, title);
}

// Posts marks to each bar until its thread takes one with no input queued: posted messages are
// taken in order, so what was posted before (a menu's WM_COMMAND) has been handled by then, or a
// modal loop it opened is running; and input comes out after posted messages, so a mark taken
// while keys or clicks wait says nothing yet, and the next one is posted (the hook decides).
int Settle(bool report) {
    // Events of this settle's own, named by a number its marks carry: a hook left in a thread
    // by an earlier settle (Wine removes another thread's hook lazily) answers only its own.
    static unsigned settles = 0;
    const unsigned nonce =
        (GetTickCount() << 4 ^ GetCurrentProcessId() << 12 ^ ++settles) & 0x3FFFFFFF;
    char name[2][48];
    std::snprintf(name[0], sizeof name[0], "WininfoMarkTaken%x", nonce);
    std::snprintf(name[1], sizeof name[1], "WininfoMarkSeen%x", nonce);
    HANDLE taken = CreateEventA(nullptr, FALSE, FALSE, name[0]);
    HANDLE seen = CreateEventA(nullptr, FALSE, FALSE, name[1]);
    const UINT mark = RegisterWindowMessageA("WininfoMark");
    // The bars first: the search cannot go on from a window that went while it was settled.
    HWND bars[16] = {};
    int count = 0;
    for (HWND w = FindWindowExA(nullptr, nullptr, "BlinkbarBar", nullptr); w && count < 16;
         w = FindWindowExA(nullptr, w, "BlinkbarBar", nullptr))
        bars[count++] = w;
    int busy = 0;
    for (int i = 0; i < count && taken && seen; ++i) {
        HWND w = bars[i];
        HHOOK hook = HookThreadOf(w, "WininfoMarkHook", WH_GETMESSAGE);
        const DWORD start = GetTickCount();
        bool settled = false;
        // One mark outstanding at a time, 5 s at most for each bar.
        const DWORD most = Waited(5000);
        for (WPARAM n = 0; hook && !settled && GetTickCount() - start < most; ++n) {
            ResetEvent(seen);
            if (!PostMessageA(w, mark, n, static_cast<LPARAM>(nonce << 1 | (report ? 1 : 0))))
                break;
            HANDLE either[2] = {taken, seen};
            const DWORD spent = GetTickCount() - start;
            const DWORD woke =
                WaitForMultipleObjects(2, either, FALSE, spent < most ? most - spent : 0);
            settled = woke == WAIT_OBJECT_0;
            if (woke != WAIT_OBJECT_0 + 1) break;
            Sleep(10); // input was still queued: let the thread take it
        }
        // A bar that went meanwhile (its Exit, say) has nothing left to take.
        if (!settled && IsWindow(w)) ++busy;
        if (hook) UnhookWindowsHookEx(hook);
    }
    for (HANDLE h : {taken, seen})
        if (h) CloseHandle(h);
    std::printf(busy || !taken || !seen ? "busy\n" : "settled\n");
    return busy || !taken || !seen ? 1 : 0;
}

// To the window itself, or (toFocus) to the one with the keyboard focus on its thread, where
// Windows puts the keys it sends.
int Post(const char* title, UINT message, WPARAM wParam, LPARAM lParam, bool toFocus) {
    HWND w = FindBar(title);
    if (!w) return NoWindow(title);
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    if (toFocus) {
        GetGUIThreadInfo(GetWindowThreadProcessId(w, nullptr), &thread);
        if (!thread.hwndFocus) return Failed("no window of that thread has the keyboard focus");
        w = thread.hwndFocus;
    }
    return PostMessageA(w, message, wParam, lParam) ? 0 : Failed("PostMessage failed");
}

int Commands(const char* title, const char* items, int times) {
    HWND w = FindBar(title);
    if (!w) return NoWindow(title);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    std::printf("pid=%lu\n", static_cast<unsigned long>(pid));
    for (int i = 0; i < times; ++i)
        for (const char* p = items; *p;) {
            char* end = nullptr;
            const unsigned long item = std::strtoul(p, &end, 10);
            if (end == p) return Failed("not a list of numbers");
            if (!PostMessageA(w, WM_COMMAND, item, 0)) return Failed("PostMessage failed");
            p = *end == ',' ? end + 1 : end;
        }
    return 0;
}

// A process is gone when a wait on its handle returns, not when its window or its Unix side goes:
// its handles close, and a file it was deleting goes, only then. TerminateProcess's documentation:
// it "is asynchronous", and the wait tells when it is done; Wine ends a process whose Unix side
// was killed the same way, when its server notices.
int Ended(DWORD pid, int seconds) {
    if (pid == 0) {
        std::printf("no process id\n");
        return 1;
    }
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!process) {
        // Only "no such process" says it is gone; any other refusal says nothing about it.
        const DWORD error = GetLastError();
        if (error == ERROR_INVALID_PARAMETER)
            std::printf("ended\n");
        else
            std::printf("unknown: error %lu\n", error);
        return error == ERROR_INVALID_PARAMETER ? 0 : 1;
    }
    const bool ended =
        WaitForSingleObject(process, Waited(static_cast<DWORD>(seconds) * 1000)) == WAIT_OBJECT_0;
    CloseHandle(process);
    std::printf(ended ? "ended\n" : "running\n");
    return ended ? 0 : 1;
}

// A file opened without sharing, held for some seconds. "read" holds it as a virus scanner or a
// backup does: read, sharing only reading, so the file cannot be written but the program in it can
// still be started.
int Hold(const char* what, const char* name, int seconds) {
    const bool read = !std::strcmp(what, "hold-read");
    HANDLE h = CreateFileA(name, GENERIC_READ | (read ? 0 : GENERIC_WRITE),
                           read ? FILE_SHARE_READ : 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        std::printf("not held: %lu\n", GetLastError());
        return 1;
    }
    std::printf("held\n");
    std::fflush(stdout);
    Sleep(static_cast<DWORD>(seconds) * 1000);
    CloseHandle(h);
    return 0;
}

// The window thread of process PID's bar kept busy for some seconds, inside a hook: a program
// that answers no message, as one stuck in a long disk wait does. Unlike a suspended thread, it
// then takes what was sent to it meanwhile, as Windows delivers a message whose sender gave up
// waiting (SendMessageTimeout: the receiver still processes it).
int Busy(DWORD pid, int seconds) {
    HWND bar = nullptr;
    for (HWND w = FindWindowExA(nullptr, nullptr, "BlinkbarBar", nullptr); w;
         w = FindWindowExA(nullptr, w, "BlinkbarBar", nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == pid) bar = w;
    }
    HANDLE now = CreateEventA(nullptr, FALSE, FALSE, "WininfoBusyNow");
    HHOOK hook = bar ? HookThreadOf(bar, "WininfoBusyHook", WH_GETMESSAGE) : nullptr;
    const DWORD ms = static_cast<DWORD>(seconds) * 1000;
    if (!hook || !PostMessageA(bar, RegisterWindowMessageA("WininfoBusy"), ms, 0) ||
        WaitForSingleObject(now, Waited(5000)) != WAIT_OBJECT_0) {
        std::printf("not busy\n");
        return 1;
    }
    std::printf("busy\n");
    std::fflush(stdout);
    Sleep(ms + 1000); // the hook's code stays loaded until the thread has left it
    UnhookWindowsHookEx(hook);
    CloseHandle(now);
    return 0;
}

int Shell() {
    const HRESULT com = CoInitialize(nullptr);
    IShellWindows* windows = nullptr;
    bool answers = false;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER,
                                   IID_IShellWindows, reinterpret_cast<void**>(&windows)))) {
        VARIANT desktop, root;
        VariantInit(&desktop);
        VariantInit(&root);
        desktop.vt = VT_I4;
        desktop.lVal = CSIDL_DESKTOP;
        long window = 0;
        IDispatch* found = nullptr;
        answers = windows->FindWindowSW(&desktop, &root, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                                        &found) == S_OK;
        if (found) found->Release();
        windows->Release();
    }
    if (SUCCEEDED(com)) CoUninitialize();
    std::printf(answers ? "answers\n" : "no shell\n");
    return answers ? 0 : 1;
}

// Types TEXT into the first visible edit box of the window titled TITLE, as a user types a folder.
BOOL CALLBACK FindEdit(HWND w, LPARAM found) {
    char cls[16] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (std::strcmp(cls, "Edit") != 0 || !IsWindowVisible(w)) return TRUE;
    *reinterpret_cast<HWND*>(found) = w;
    return FALSE;
}

int SetText(const char* title, const char* text) {
    HWND w = WindowTitled(title), edit = nullptr;
    if (w) EnumChildWindows(w, FindEdit, reinterpret_cast<LPARAM>(&edit));
    DWORD_PTR ignored = 0;
    if (!edit || !SendMessageTimeoutA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text),
                                      SMTO_ABORTIFHUNG, Waited(2000), &ignored)) {
        std::printf("no edit box\n");
        return 1;
    }
    std::printf("set\n");
    return 0;
}

// Runs COMMAND inside a job object and waits for it, as PowerShell's "Start-Process -Wait" does
// (it waits until the job holds no process: the installer and everything it started), then says
// how it exited and how many processes were still in the job after up to five seconds more.
int Job(char* command, int seconds) {
    HANDLE job = CreateJobObjectA(nullptr, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!job ||
        !CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                        nullptr, &startup, &process) ||
        !AssignProcessToJobObject(job, process.hProcess)) {
        std::printf("failed: %lu\n", GetLastError());
        return 1;
    }
    ResumeThread(process.hThread);
    WaitForSingleObject(process.hProcess, Waited(static_cast<DWORD>(seconds) * 1000));
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process.hProcess, &code);
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info{};
    for (int i = 0; i < 50; ++i) {
        if (!QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &info, sizeof info,
                                       nullptr)) {
            std::printf("unreadable: %lu\n", GetLastError());
            return 1;
        }
        if (info.ActiveProcesses == 0) break;
        Sleep(100);
    }
    std::printf("exit=%lu left=%lu\n", code, info.ActiveProcesses);
    return 0;
}

// What Explorer's properties show: the version strings, the fixed version and the icons.
int Version(const char* file) {
    DWORD ignored = 0, size = GetFileVersionInfoSizeA(file, &ignored);
    if (!size) {
        std::printf("no version\n");
        return 1;
    }
    std::string data(size, '\0');
    if (!GetFileVersionInfoA(file, 0, size, data.data())) return 1;
    for (const char* name : {"FileVersion", "ProductVersion", "ProductName", "FileDescription"}) {
        std::string path = std::string("\\StringFileInfo\\040904B0\\") + name;
        char* value = nullptr;
        UINT length = 0;
        if (VerQueryValueA(data.data(), path.c_str(), reinterpret_cast<void**>(&value), &length))
            std::printf("%s=%s\n", name, value);
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length))
        std::printf("fixed=%lu.%lu.%lu.%lu\n", fixed->dwFileVersionMS >> 16,
                    fixed->dwFileVersionMS & 0xFFFF, fixed->dwFileVersionLS >> 16,
                    fixed->dwFileVersionLS & 0xFFFF);
    std::printf("icons=%u\n", ExtractIconExA(file, -1, nullptr, nullptr, 0));
    return 0;
}

// The visible tooltip: the text it shows (it keeps its title empty and answers WM_GETTEXT with
// the text), its client area on the screen, and how long it stays while the pointer rests.
int Tip() {
    HWND tip = FindVisibleWindowOfClass("tooltips_class32");
    char text[512] = {};
    DWORD_PTR length = 0, delay = 0;
    RECT client{};
    POINT origin{0, 0};
    if (!tip ||
        !SendMessageTimeoutA(tip, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                             SMTO_ABORTIFHUNG, Waited(2000), &length) ||
        !SendMessageTimeoutA(tip, TTM_GETDELAYTIME, TTDT_AUTOPOP, 0, SMTO_ABORTIFHUNG, Waited(2000),
                             &delay) ||
        !GetClientRect(tip, &client) || !ClientToScreen(tip, &origin)) {
        std::printf("no tip\n");
        return 1;
    }
    for (char* c = text; *c; ++c)
        if (*c == '\n') *c = '|';
    std::printf("%s\n%ld %ld %ld %ld\n%lu\n", text, origin.x, origin.y, client.right, client.bottom,
                static_cast<unsigned long>(delay));
    return 0;
}

// Tells the window TITLE that the volume LETTER has arrived, as Windows does when a drive is
// attached: WM_DEVICECHANGE with a volume record, which the send carries across processes.
int VolumeArrival(const char* title, char letter) {
    HWND w = FindWindowA(nullptr, title);
    if (!w || letter < 'A' || letter > 'Z') return NoWindow(title);
    DEV_BROADCAST_VOLUME volume{};
    volume.dbcv_size = sizeof volume;
    volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
    volume.dbcv_unitmask = 1u << (letter - 'A');
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutA(w, WM_DEVICECHANGE, DBT_DEVICEARRIVAL,
                            reinterpret_cast<LPARAM>(&volume), SMTO_ABORTIFHUNG, Waited(2000),
                            &answer))
        return 0;
    return Failed("WM_DEVICECHANGE not answered");
}

// Wine's own control of its mount manager (include/ddk/mountmgr.h, WINE_MOUNTMGR_EXTENSIONS).
struct WineUnixDrive {
    ULONG Size, Type, FsType;
    DWORD Serial;
    ULONGLONG UnixDev;
    WCHAR Letter;
    USHORT MountPointOffset, DeviceOffset, LabelOffset;
};

int DefineDrive(char letter, const char* unixPath) {
    constexpr DWORD kDefineUnixDrive =
        CTL_CODE(0x6D, 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);
    HANDLE manager =
        CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (manager == INVALID_HANDLE_VALUE) return Failed("no mount manager");
    char buffer[sizeof(WineUnixDrive) + MAX_PATH] = {};
    auto* drive = reinterpret_cast<WineUnixDrive*>(buffer);
    drive->Letter = static_cast<WCHAR>(letter | 0x20);
    drive->Type = DRIVE_FIXED;
    drive->Size = sizeof(WineUnixDrive);
    if (unixPath) {
        lstrcpynA(buffer + sizeof(WineUnixDrive), unixPath, MAX_PATH);
        drive->MountPointOffset = sizeof(WineUnixDrive);
        drive->Size += lstrlenA(unixPath) + 1;
    }
    DWORD returned = 0;
    const BOOL done = DeviceIoControl(manager, kDefineUnixDrive, drive, drive->Size, nullptr, 0,
                                      &returned, nullptr);
    CloseHandle(manager);
    return done ? 0 : Failed("the mount manager refused");
}

// The values of a key of the current user's registry; a key that is not there is "absent",
// any other refusal "unreadable", so that a failed read never passes for a removed entry.
int Key(const char* path) {
    HKEY key = nullptr;
    const LONG opened = RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key);
    if (opened != ERROR_SUCCESS) {
        std::printf(opened == ERROR_FILE_NOT_FOUND ? "absent\n" : "unreadable: error %ld\n",
                    opened);
        return 1;
    }
    std::printf("present\n");
    for (DWORD i = 0;; ++i) {
        char name[256] = {};
        BYTE data[2048] = {};
        DWORD nameLength = sizeof name, type = 0, size = sizeof data - 1;
        if (RegEnumValueA(key, i, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS)
            break;
        if (type == REG_DWORD)
            std::printf("%s=0x%lx\n", name, *reinterpret_cast<DWORD*>(data));
        else
            std::printf("%s=%s\n", name, reinterpret_cast<char*>(data));
    }
    RegCloseKey(key);
    return 0;
}

std::string Said(HRESULT answer, BSTR text) {
    if (answer == S_FALSE || (SUCCEEDED(answer) && !text)) return std::string();
    if (FAILED(answer)) return "error " + std::to_string(static_cast<unsigned long>(answer));
    char out[1024] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out, sizeof out - 1, nullptr, nullptr);
    SysFreeString(text);
    return out;
}

int Accessible(const char* title, const char* act) {
    HWND window = WindowTitled(title);
    if (!window) return NoWindow(title);
    CoInitialize(nullptr);
    IAccessible* client = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, OBJID_CLIENT, IID_IAccessible,
                                          reinterpret_cast<void**>(&client))))
        return Failed("AccessibleObjectFromWindow");
    long count = 0;
    client->get_accChildCount(&count);
    VARIANT children[64];
    long got = 0;
    if (FAILED(AccessibleChildren(client, 0, count < 64 ? count : 64, children, &got)))
        return Failed("AccessibleChildren");
    bool acted = false;
    for (long i = 0; i < got; ++i) {
        HWND child = nullptr;
        if (children[i].vt == VT_DISPATCH && children[i].pdispVal) {
            IAccessible* object = nullptr;
            if (SUCCEEDED(children[i].pdispVal->QueryInterface(
                    IID_IAccessible, reinterpret_cast<void**>(&object)))) {
                WindowFromAccessibleObject(object, &child);
                object->Release();
            }
            children[i].pdispVal->Release();
        }
        IAccessible* led = nullptr;
        if (!child || FAILED(AccessibleObjectFromWindow(child, OBJID_CLIENT, IID_IAccessible,
                                                        reinterpret_cast<void**>(&led))))
            continue;
        VARIANT self{};
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        BSTR text[4] = {};
        const HRESULT answers[4] = {
            led->get_accName(self, &text[0]), led->get_accDescription(self, &text[1]),
            led->get_accValue(self, &text[2]), led->get_accDefaultAction(self, &text[3])};
        const std::string name = Said(answers[0], text[0]), description = Said(answers[1], text[1]),
                          value = Said(answers[2], text[2]), action = Said(answers[3], text[3]);
        VARIANT role{}, state{};
        led->get_accRole(self, &role);
        led->get_accState(self, &state);
        std::printf("id=%d %s|%s|%s|%ld|0x%lx|%s\n", GetDlgCtrlID(child), name.c_str(),
                    description.c_str(), value.c_str(), role.vt == VT_I4 ? role.lVal : -1,
                    state.vt == VT_I4 ? state.lVal : -1L, action.c_str());
        if (act && name.size() >= 2 && name[0] == act[0] && name[1] == ':') {
            if (FAILED(led->accDoDefaultAction(self))) return Failed("accDoDefaultAction");
            acted = true;
        }
        led->Release();
    }
    client->Release();
    if (act && !acted) {
        std::printf("no child named \"%s:...\"\n", act);
        return 1;
    }
    return 0;
}

int gWinEvents = 0;

void CALLBACK PrintWinEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG, DWORD,
                            DWORD) {
    if (object != OBJID_CLIENT || !window) return;
    ++gWinEvents;
    std::printf("%s id=%d\n", event == EVENT_OBJECT_FOCUS ? "focus" : "name", GetDlgCtrlID(window));
    std::fflush(stdout);
}

int WinEvents(const char* title, int seconds, int count) {
    HWND window = WindowTitled(title);
    if (!window) return NoWindow(title);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HWINEVENTHOOK hooks[2] = {};
    for (int i = 0; i < 2; ++i) {
        const DWORD event = i ? EVENT_OBJECT_NAMECHANGE : EVENT_OBJECT_FOCUS;
        hooks[i] =
            SetWinEventHook(event, event, nullptr, PrintWinEvent, pid, 0, WINEVENT_OUTOFCONTEXT);
        if (!hooks[i]) return Failed("SetWinEventHook");
    }
    std::printf("listening\n");
    std::fflush(stdout);
    const DWORD end = GetTickCount() + Waited(static_cast<DWORD>(seconds) * 1000);
    for (DWORD now = GetTickCount(); static_cast<LONG>(end - now) > 0 && gWinEvents < count;
         now = GetTickCount()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, end - now, QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    }
    for (HWINEVENTHOOK hook : hooks) UnhookWinEvent(hook);
    return 0;
}

// Gives the window and its children Windows' keyboard cues, which Wine lacks (the hook library's
// UiStateModel): from now on they hold the state the program asks for.
int ModelUiState(const char* title) {
    HWND w = FindBar(title);
    if (!w) return NoWindow(title);
    HHOOK hook = HookThreadOf(w, "WininfoHook", WH_CALLWNDPROC);
    if (!hook) return Failed("no hook");
    const bool sent = SendMessageTimeoutA(w, RegisterWindowMessageA("WininfoModelUiState"), 0, 0,
                                          SMTO_NORMAL, Waited(5000), nullptr) != 0;
    UnhookWindowsHookEx(hook);
    return sent ? 0 : Failed("no answer");
}

int Run(int argc, char** argv) {
    if (argc >= 5 && !std::strcmp(argv[1], "winevents"))
        return WinEvents(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    if (argc >= 3 && !std::strcmp(argv[1], "define-drive"))
        return DefineDrive(argv[2][0], argc >= 4 ? argv[3] : nullptr);
    if (argc >= 3 && !std::strcmp(argv[1], "acc"))
        return Accessible(argv[2], argc >= 4 ? argv[3] : nullptr);
    if (argc >= 3 && !std::strcmp(argv[1], "window")) return Window(argv[2]);
    if (argc >= 2 && !std::strcmp(argv[1], "menu")) return Menu();
    if (argc >= 2 && !std::strcmp(argv[1], "list")) return !EnumWindows(ListOne, 0);
    if (argc >= 3 && !std::strcmp(argv[1], "text")) return Text(argv[2]);
    if (argc >= 2 && !std::strcmp(argv[1], "box")) return Box();
    if (argc >= 2 && !std::strcmp(argv[1], "tip")) return Tip();
    if (argc >= 3 && !std::strcmp(argv[1], "start")) {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!CreateProcessA(nullptr, argv[2], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &process)) {
            std::printf("failed\n");
            return 1;
        }
        WaitForSingleObject(process.hProcess, Waited(10000));
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        std::printf("started\n");
        return 0;
    }
    if (argc >= 3 && !std::strcmp(argv[1], "load")) {
        std::printf("%s\n", LoadLibraryA(argv[2]) ? "loaded" : "failed");
        return 0;
    }
    if (argc >= 3 && !std::strcmp(argv[1], "close")) {
        HWND w = FindWindowA(nullptr, argv[2]);
        if (!w) return NoWindow(argv[2]);
        // A window that answers nothing for 10 s fails the question instead of holding it.
        if (SendMessageTimeoutA(w, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, Waited(10000), nullptr))
            return 0;
        return Failed("WM_CLOSE not answered");
    }
    if (argc >= 4 && !std::strcmp(argv[1], "count-events"))
        return CountEvents(argv[2], std::atoi(argv[3]));
    if (argc >= 3 && !std::strcmp(argv[1], "version")) return Version(argv[2]);
    if (argc >= 3 && !std::strcmp(argv[1], "stats")) return Stats(argv[2]);
    if (argc >= 2 && !std::strcmp(argv[1], "monitors"))
        return !EnumDisplayMonitors(nullptr, nullptr, PrintMonitor, 0);
    if (argc >= 4 && !std::strcmp(argv[1], "command"))
        return Commands(argv[2], argv[3], argc >= 5 ? std::atoi(argv[4]) : 1);
    if (argc >= 4 && !std::strcmp(argv[1], "ended"))
        return Ended(std::strtoul(argv[2], nullptr, 10), std::atoi(argv[3]));
    if (argc >= 3 && !std::strcmp(argv[1], "model-uistate")) return ModelUiState(argv[2]);
    if (argc >= 6 && !std::strcmp(argv[1], "post"))
        return Post(argv[2], static_cast<UINT>(std::strtoul(argv[3], nullptr, 0)),
                    std::strtoul(argv[4], nullptr, 0),
                    static_cast<LPARAM>(std::strtol(argv[5], nullptr, 0)),
                    argc >= 7 && !std::strcmp(argv[6], "focus"));
    if (argc >= 4 && (!std::strcmp(argv[1], "hold") || !std::strcmp(argv[1], "hold-read")))
        return Hold(argv[1], argv[2], std::atoi(argv[3]));
    if (argc >= 4 && !std::strcmp(argv[1], "busy"))
        return Busy(std::strtoul(argv[2], nullptr, 10), std::atoi(argv[3]));
    if (argc >= 4 && !std::strcmp(argv[1], "settext")) return SetText(argv[2], argv[3]);
    if (argc >= 4 && !std::strcmp(argv[1], "volume-arrival"))
        return VolumeArrival(argv[2], argv[3][0]);
    if (argc >= 2 && !std::strcmp(argv[1], "taskbar-created")) {
        const UINT created = RegisterWindowMessageA("TaskbarCreated");
        if (!created || !SendMessageTimeoutA(HWND_BROADCAST, created, 0, 0, SMTO_ABORTIFHUNG,
                                             Waited(2000), nullptr))
            return Failed("the broadcast of TaskbarCreated failed");
        return 0;
    }
    if (argc >= 3 && !std::strcmp(argv[1], "lose-tray-icon")) {
        // As a shell that crashed has: the bar's icon (id 0) is gone from the notification area.
        NOTIFYICONDATAA icon{};
        icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
        icon.hWnd = FindBar(argv[2]);
        const bool lost = icon.hWnd && Shell_NotifyIconA(NIM_DELETE, &icon);
        std::printf(lost ? "lost\n" : "no icon\n");
        return lost ? 0 : 1;
    }
    if (argc >= 3 && !std::strcmp(argv[1], "key")) return Key(argv[2]);
    if (argc >= 4 && !std::strcmp(argv[1], "job")) return Job(argv[2], std::atoi(argv[3]));
    if (argc >= 2 && !std::strcmp(argv[1], "settle"))
        return Settle(argc >= 3 && !std::strcmp(argv[2], "report"));
    if (argc >= 2 && !std::strcmp(argv[1], "menu-place")) {
        // Where the open menu stands, and the bottom left corner of the control that has the
        // keyboard focus in the menu's owner's thread.
        HWND popup = FindVisibleWindowOfClass("#32768");
        GUITHREADINFO gui{};
        gui.cbSize = sizeof gui;
        RECT menu{}, focus{};
        if (!popup || !GetWindowRect(popup, &menu) ||
            !GetGUIThreadInfo(GetWindowThreadProcessId(FindBar("Blinkbar"), nullptr), &gui) ||
            !gui.hwndFocus || !GetWindowRect(gui.hwndFocus, &focus)) {
            std::printf("unreadable\n");
            return 1;
        }
        std::printf("menu %ld,%ld focus %ld,%ld\n", menu.left, menu.top, focus.left, focus.bottom);
        return 0;
    }
    if (argc >= 2 && !std::strcmp(argv[1], "shell")) return Shell();
    if (argc >= 2 && !std::strcmp(argv[1], "menu-state")) {
        std::printf(FindVisibleWindowOfClass("#32768") ? "open\n" : "closed\n");
        return 0;
    }
    std::printf("usage: wininfo window|menu|text|close TITLE | taskbar-created\n");
    return 2;
}

// One question a line: "TOKEN\tCOMMAND\tARGUMENT...". The token comes back on the closing line,
// so that the asker can tell its own answer from a late one to a question it gave up on.
int Serve() {
    static char line[4096];
    while (std::fgets(line, sizeof line, stdin)) {
        line[std::strcspn(line, "\r\n")] = '\0';
        char* fields[16] = {};
        int count = 0;
        for (char* p = line; p && count < 16;) {
            fields[count++] = p;
            p = std::strchr(p, '\t');
            if (p) *p++ = '\0';
        }
        if (count < 2) continue;
        const int rc = Run(count, fields);
        std::printf("\x1f%s %d\n", fields[0], rc);
        std::fflush(stdout);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    // Places in the screen's own pixels, as a DPI-aware program sees them, at any scale.
    SetProcessDPIAware();
    if (argc >= 2 && !std::strcmp(argv[1], "serve")) return Serve();
    if (argc >= 2 && !std::strcmp(argv[1], "stay")) Sleep(INFINITE);
    return Run(argc, argv);
}
