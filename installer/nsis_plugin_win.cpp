// The installer's plugin (BlinkbarSetup.dll): the decisions about the installed Blinkbar, for the
// NSIS script, which keeps the pages, files, registry, shortcuts and messages. NSIS calls each
// exported function as documented for its plugins (Contrib/ExDLL): cdecl, with the wizard's window
// (null before it shows and in a silent run), the size of its strings, its variables and its
// stack. A call's arguments are on that stack, the first on top; each function leaves one answer
// there. Stack entries are GlobalAlloc'd, and popping one frees it.
//   Holder PATH                      free | bar (the Blinkbar running that file) | other
//   WaitFree PATH MS TITLE TEXT      free | held; TEXT shown while it waits, "" for none
//   EndBar PATH MS                   ended | refused | no answer | none (no such bar runs)
//   StartAsUser PATH                 started | no shell
//   Remove PATH MS                   removed | held
#include <windows.h>

#include "installer/installed_copy_win.h"

struct NsisStackItem {
    NsisStackItem* next;
    wchar_t text[1]; // as long as the string size NSIS gives
};

namespace {

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
    extern "C" __declspec(dllexport) void __cdecl name(HWND wizard, int size, wchar_t*,            \
                                                       NsisStackItem** top, void*)

NSIS_FUNCTION(Holder) {
    (void)wizard;
    Call call{top, size};
    wchar_t path[kRoom];
    call.Pop(path);
    static const wchar_t* const kSaid[] = {L"free", L"bar", L"other"}; // as Holder counts
    call.Push(kSaid[static_cast<int>(WhoHoldsProgram(path))]);
}

NSIS_FUNCTION(WaitFree) {
    Call call{top, size};
    wchar_t path[kRoom], title[kRoom], text[kRoom];
    call.Pop(path);
    const DWORD ms = call.PopNumber();
    call.Pop(title);
    call.Pop(text);
    call.Push(WaitUntilFree(path, ms, title, text, wizard) ? L"free" : L"held");
}

NSIS_FUNCTION(EndBar) {
    (void)wizard;
    Call call{top, size};
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
    Call call{top, size};
    wchar_t path[kRoom];
    call.Pop(path);
    call.Push(StartThroughShell(path, SW_SHOWNORMAL) ? L"started" : L"no shell");
}

NSIS_FUNCTION(Remove) {
    (void)wizard;
    Call call{top, size};
    wchar_t path[kRoom];
    call.Pop(path);
    call.Push(RemoveFile(path, call.PopNumber()) ? L"removed" : L"held");
}
