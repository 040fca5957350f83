#include "installer/installed_copy_win.h"

#include <exdisp.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

#include "app/system_library_win.h"
#include "app/win_handles.h"

namespace {

constexpr const wchar_t* kBarClass = L"BlinkbarBar"; // the bar's window class
constexpr DWORD kQueryLimitedInformation = 0x1000;   // PROCESS_QUERY_LIMITED_INFORMATION, Vista

bool FileIdentity(const wchar_t* path, BY_HANDLE_FILE_INFORMATION& info) {
    // Reading attributes only: a running program's file opens so on every Windows.
    UniqueFile file(CreateFileW(path, FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    return file && GetFileInformationByHandle(file.get(), &info);
}

// Dispatches this thread's messages for up to `ms`; false once WM_QUIT came (put back for the
// caller's own loop), so that a wait never swallows the end of the program.
bool DispatchMessagesFor(DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return false;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        const DWORD spent = GetTickCount() - start;
        if (spent >= ms) return true;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - spent, QS_ALLINPUT);
    }
}

// A small window that says what the installer waits for; its owner is disabled meanwhile, as a
// message box disables it, so that nothing on the page is pressed twice during the wait.
class WaitNotice {
  public:
    WaitNotice(const wchar_t* title, const wchar_t* text, HWND owner) {
        if (!text || !*text) return;
        WNDCLASSW cls{};
        cls.lpfnWndProc = DefWindowProcW; // no code of ours: the plugin may be unloaded later
        cls.hInstance = GetModuleHandleW(nullptr);
        cls.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32514)); // IDC_WAIT
        cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        cls.lpszClassName = kClass;
        RegisterClassW(&cls); // already there from an earlier wait: fine
        RECT frame{0, 0, 460, 96};
        const DWORD style = WS_POPUP | WS_CAPTION;
        AdjustWindowRectEx(&frame, style, FALSE, WS_EX_DLGMODALFRAME);
        const int w = frame.right - frame.left, h = frame.bottom - frame.top;
        RECT around{};
        if (!owner || !IsWindowVisible(owner) || !GetWindowRect(owner, &around))
            SystemParametersInfoW(SPI_GETWORKAREA, 0, &around, 0);
        window_ = CreateWindowExW(
            WS_EX_DLGMODALFRAME, kClass, title, style, (around.left + around.right - w) / 2,
            (around.top + around.bottom - h) / 2, w, h, owner, nullptr, cls.hInstance, nullptr);
        if (!window_) return;
        HWND label = CreateWindowExW(0, L"STATIC", text, WS_CHILD | WS_VISIBLE | SS_LEFT, 14, 14,
                                     432, 68, window_, nullptr, cls.hInstance, nullptr);
        SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                     FALSE);
        if (owner && IsWindowEnabled(owner)) {
            EnableWindow(owner, FALSE);
            disabled_ = owner;
        }
        // Not activated: nothing in it takes a key, and the wizard keeps its place as the
        // active window for when the wait ends.
        ShowWindow(window_, SW_SHOWNOACTIVATE);
        UpdateWindow(window_);
    }
    WaitNotice(const WaitNotice&) = delete;
    WaitNotice& operator=(const WaitNotice&) = delete;
    ~WaitNotice() {
        // The owner first, so that activation goes back to it and not to another program.
        if (disabled_) EnableWindow(disabled_, TRUE);
        if (window_) DestroyWindow(window_);
        UnregisterClassW(kClass, GetModuleHandleW(nullptr));
    }

  private:
    static constexpr const wchar_t* kClass = L"BlinkbarSetupWait";
    HWND window_ = nullptr;
    HWND disabled_ = nullptr;
};

// A VARIANT holding a 32-bit integer, as the shell's automation objects take numbers.
VARIANT IntegerVariant(int value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

// The desktop shell's own IShellDispatch2: the desktop window's view, its background object and
// that object's Application. Null where no shell answers (Explorer not running, another shell).
bool DesktopShell(UniqueCom<IShellDispatch2>& shell) {
    UniqueCom<IShellWindows> windows;
    if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                                windows.put_void())))
        return false;
    VARIANT desktop = IntegerVariant(CSIDL_DESKTOP), root;
    VariantInit(&root);
    long window = 0;
    UniqueCom<IDispatch> found;
    UniqueCom<IServiceProvider> services;
    UniqueCom<IShellBrowser> browser;
    UniqueCom<IShellView> view;
    UniqueCom<IDispatch> background;
    UniqueCom<IShellFolderViewDual> folderView;
    UniqueCom<IDispatch> application;
    return windows->FindWindowSW(&desktop, &root, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                                 found.put()) == S_OK &&
           found && SUCCEEDED(found->QueryInterface(IID_IServiceProvider, services.put_void())) &&
           SUCCEEDED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser,
                                            browser.put_void())) &&
           SUCCEEDED(browser->QueryActiveShellView(view.put())) &&
           SUCCEEDED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.put_void())) &&
           SUCCEEDED(background->QueryInterface(IID_IShellFolderViewDual, folderView.put_void())) &&
           SUCCEEDED(folderView->get_Application(application.put())) &&
           SUCCEEDED(application->QueryInterface(IID_IShellDispatch2, shell.put_void()));
}

} // namespace

bool FileHeld(const wchar_t* path) {
    UniqueFile file(CreateFileW(path, GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    return !file && GetLastError() == ERROR_SHARING_VIOLATION;
}

bool SameFile(const wchar_t* a, const wchar_t* b) {
    BY_HANDLE_FILE_INFORMATION first{}, second{};
    return FileIdentity(a, first) && FileIdentity(b, second) &&
           first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
           first.nFileIndexHigh == second.nFileIndexHigh &&
           first.nFileIndexLow == second.nFileIndexLow;
}

bool ProcessImage(DWORD pid, wchar_t* out, DWORD size) {
    using QueryImageName = BOOL(WINAPI*)(HANDLE, DWORD, wchar_t*, DWORD*);
    if (auto query = FindFunction<QueryImageName>(GetModuleHandleW(L"kernel32.dll"),
                                                  "QueryFullProcessImageNameW")) {
        // Vista on: the limited right, which a process of another integrity level grants too.
        UniqueKernelHandle process(OpenProcess(kQueryLimitedInformation, FALSE, pid));
        DWORD length = size;
        if (process && query(process.get(), 0, out, &length) && length > 0) return true;
    }
    // XP: psapi, from the system folder.
    using ModuleFileName = DWORD(WINAPI*)(HANDLE, HMODULE, wchar_t*, DWORD);
    auto name =
        FindFunction<ModuleFileName>(LoadSystemLibrary(L"psapi.dll"), "GetModuleFileNameExW");
    UniqueKernelHandle process(
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
    return name && process && name(process.get(), nullptr, out, size) > 0;
}

HWND InstalledBar(const wchar_t* program) {
    for (HWND w = FindWindowExW(nullptr, nullptr, kBarClass, nullptr); w;
         w = FindWindowExW(nullptr, w, kBarClass, nullptr)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        wchar_t image[MAX_PATH * 2] = {};
        if (pid && ProcessImage(pid, image, MAX_PATH * 2) && SameFile(image, program)) return w;
    }
    return nullptr;
}

Holder WhoHoldsProgram(const wchar_t* program) {
    if (!FileHeld(program)) return Holder::Free;
    return InstalledBar(program) ? Holder::InstalledBar : Holder::Other;
}

bool WaitUntilFree(const wchar_t* path, DWORD ms, const wchar_t* title, const wchar_t* text,
                   HWND owner) {
    if (!FileHeld(path)) return true;
    WaitNotice notice(title, text, owner);
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD spent = GetTickCount() - start;
        if (spent >= ms) return !FileHeld(path);
        if (!DispatchMessagesFor(ms - spent < 100 ? ms - spent : 100)) return !FileHeld(path);
        if (!FileHeld(path)) return true;
    }
}

EndAnswer EndAsSessionEnds(HWND bar, UINT ms) {
    DWORD_PTR agreed = 0;
    if (!SendMessageTimeoutW(bar, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP, SMTO_ABORTIFHUNG, ms,
                             &agreed))
        return EndAnswer::NoAnswer;
    if (!agreed) return EndAnswer::Refused;
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(bar, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP, SMTO_ABORTIFHUNG, ms,
                        &ignored);
    return EndAnswer::Ended;
}

bool StartThroughShell(const wchar_t* program, int show) {
    const HRESULT com = CoInitialize(nullptr); // S_FALSE where the caller has it already
    bool started = false;
    {
        // A shell that is still coming up (just after sign-in, or a slow machine) gets a few
        // seconds; where none runs at all, that is all this costs.
        UniqueCom<IShellDispatch2> shell;
        for (int attempt = 0; attempt < 10 && !DesktopShell(shell); ++attempt)
            DispatchMessagesFor(500);
        BSTR file = shell ? SysAllocString(program) : nullptr;
        if (file) {
            VARIANT none;
            VariantInit(&none);
            // The show state as a number: an empty VARIANT becomes SW_HIDE under some shells, and
            // a program's first window then follows that.
            started = SUCCEEDED(shell->ShellExecute(file, none, none, none, IntegerVariant(show)));
            SysFreeString(file);
        }
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return started;
}

bool RemoveFile(const wchar_t* path, DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        // Windows refuses to delete a read-only file; the installer replaces one, so the
        // uninstaller removes one too (as NSIS's own Delete does).
        const DWORD attributes = GetFileAttributesW(path);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
            SetFileAttributesW(path, attributes & ~FILE_ATTRIBUTE_READONLY);
        DeleteFileW(path);
        if (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) {
            const DWORD error = GetLastError();
            if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return true;
        }
        if (GetTickCount() - start >= ms || !DispatchMessagesFor(100)) return false;
    }
}
