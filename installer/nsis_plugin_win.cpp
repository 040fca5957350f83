// The installer's plugin (BlinkbarSetup.dll): the decisions about the installed Blinkbar, for the
// NSIS script, which keeps the pages, files, registry, shortcuts and messages. NSIS calls each
// exported function as documented for its plugins (Contrib/ExDLL): cdecl, with the wizard's window
// (null before it shows and in a silent run), the size of its strings, its variables and its
// stack. A call's arguments are on that stack, the first on top; each function leaves one answer
// there. Stack entries are GlobalAlloc'd, and popping one frees it.
//   Holder PATH                      free | bar (the Blinkbar running that file) | other
//   WaitFree PATH MS TITLE TEXT      free | held | busy; TEXT shown while it waits, "" for none
//   EndBar PATH MS                   ended | refused | no answer | none (no such bar runs)
//   StartAsUser PATH                 started | no shell | busy
//   Remove PATH MS                   removed | held | busy
// The three that wait dispatch the wizard's messages meanwhile, so a second click (Finish again)
// can call in from inside the wait: such a call answers "busy" at once and starts no second wait.
#include <windows.h>

#include "installer/installed_copy_win.h"

struct NsisStackItem {
    NsisStackItem* next;
    wchar_t text[1]; // as long as the string size NSIS gives
};

// What NSIS 2.42 and later pass besides the stack (Contrib/ExDLL/pluginapi.h, extra_parameters).
struct NsisExtra {
    void* execFlags;
    int(__stdcall* executeCodeSegment)(int, HWND);
    void(__stdcall* validateFilename)(wchar_t*);
    int(__stdcall* registerPluginCallback)(HMODULE, UINT_PTR(__cdecl*)(int));
};

extern "C" IMAGE_DOS_HEADER __ImageBase; // this library's own module

namespace {

// NSIS frees a plugin after each call (GetModuleHandle, the call, FreeLibrary), unless the plugin
// registered a callback: then it stays until the installer ends. A call made from inside another
// one's wait would otherwise unload the library that the outer call still runs in.
UINT_PTR __cdecl Unloading(int) {
    return 0;
}

void Stay(NsisExtra* extra) {
    if (extra && extra->registerPluginCallback)
        extra->registerPluginCallback(reinterpret_cast<HMODULE>(&__ImageBase), Unloading);
}

bool gWaiting = false;

// Marks a call that dispatches messages; `Busy` when another one is under way already.
struct WaitingCall {
    bool Busy = gWaiting;
    WaitingCall() { gWaiting = true; }
    ~WaitingCall() { gWaiting = Busy; }
};

constexpr int kRoom = 1024; // NSIS's own string size: a path, a number or a message

struct Call {
    NsisStackItem** top;
    int size;

    // The next argument into `out`; an empty text where the script gave none.
    void Pop(wchar_t (&out)[kRoom]) {
        out[0] = L'\0';
        NsisStackItem* item = top ? *top : nullptr;
        if (!item) return;
        lstrcpynW(out, item->text, size < kRoom ? size : kRoom);
        *top = item->next;
        GlobalFree(item);
    }

    DWORD PopNumber() {
        wchar_t text[kRoom];
        Pop(text);
        DWORD n = 0;
        for (const wchar_t* c = text; *c >= L'0' && *c <= L'9'; ++c) n = n * 10 + (*c - L'0');
        return n;
    }

    void Push(const wchar_t* text) {
        if (!top || size <= 0) return;
        auto* item = static_cast<NsisStackItem*>(
            GlobalAlloc(GPTR, sizeof(NsisStackItem) + static_cast<SIZE_T>(size) * sizeof(wchar_t)));
        if (!item) return;
        lstrcpynW(item->text, text, size);
        item->next = *top;
        *top = item;
    }
};

} // namespace

#define NSIS_FUNCTION(name)                                                                        \
    static void name##Call(HWND wizard, Call& call);                                               \
    extern "C" __declspec(dllexport) void __cdecl name(HWND wizard, int size, wchar_t*,            \
                                                       NsisStackItem** top, NsisExtra* extra) {    \
        Stay(extra);                                                                               \
        Call call{top, size};                                                                      \
        name##Call(wizard, call);                                                                  \
    }                                                                                              \
    static void name##Call(HWND wizard, Call& call)

NSIS_FUNCTION(Holder) {
    (void)wizard;
    wchar_t path[kRoom];
    call.Pop(path);
    static const wchar_t* const kSaid[] = {L"free", L"bar", L"other"}; // as Holder counts
    call.Push(kSaid[static_cast<int>(WhoHoldsProgram(path))]);
}

NSIS_FUNCTION(WaitFree) {
    wchar_t path[kRoom], title[kRoom], text[kRoom];
    call.Pop(path);
    const DWORD ms = call.PopNumber();
    call.Pop(title);
    call.Pop(text);
    const WaitingCall waiting;
    if (waiting.Busy) return call.Push(L"busy");
    call.Push(WaitUntilFree(path, ms, title, text, wizard) ? L"free" : L"held");
}

NSIS_FUNCTION(EndBar) {
    (void)wizard;
    wchar_t path[kRoom];
    call.Pop(path);
    const DWORD ms = call.PopNumber();
    HWND bar = InstalledBar(path);
    if (!bar) return call.Push(L"none");
    static const wchar_t* const kSaid[] = {L"ended", L"refused", L"no answer"}; // as EndAnswer
    call.Push(kSaid[static_cast<int>(EndAsSessionEnds(bar, ms))]);
}

NSIS_FUNCTION(StartAsUser) {
    (void)wizard;
    wchar_t path[kRoom];
    call.Pop(path);
    const WaitingCall waiting;
    if (waiting.Busy) return call.Push(L"busy");
    call.Push(StartThroughShell(path, SW_SHOWNORMAL) ? L"started" : L"no shell");
}

NSIS_FUNCTION(Remove) {
    (void)wizard;
    wchar_t path[kRoom];
    call.Pop(path);
    const DWORD ms = call.PopNumber();
    const WaitingCall waiting;
    if (waiting.Busy) return call.Push(L"busy");
    call.Push(RemoveFile(path, ms) ? L"removed" : L"held");
}
