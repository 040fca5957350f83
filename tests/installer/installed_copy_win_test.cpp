// The installer's decisions on real files, processes, windows and the desktop shell.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/win_handles.h"
#include "installer/installed_copy_win.h"
#include "support/win_test_window.h"

namespace {

constexpr DWORD kShareReadWrite = FILE_SHARE_READ | FILE_SHARE_WRITE;

std::wstring Fresh(const wchar_t* name) {
    const std::wstring path = TestProgramDirectory() + name;
    DeleteFileW(path.c_str());
    UniqueFile made(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    return path;
}

UniqueFile Open(const std::wstring& path, DWORD share) {
    return UniqueFile(
        CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr));
}

// Closes a handle from another thread after a while, as another program lets go of a file.
struct LetGo {
    HANDLE File;
    DWORD Ms;
};
DWORD WINAPI LetGoLater(void* p) {
    auto* letGo = static_cast<LetGo*>(p);
    Sleep(letGo->Ms);
    CloseHandle(letGo->File);
    return 0;
}
UniqueKernelHandle HoldFor(UniqueFile file, DWORD ms, LetGo& letGo) {
    letGo = {file.release(), ms};
    return UniqueKernelHandle(CreateThread(nullptr, 0, LetGoLater, &letGo, 0, nullptr));
}

// What a second thread saw of the installer's window while the installer waited.
struct Watch {
    HWND Owner;
    DWORD Ms; // how long to look
    bool NoticeShown = false, OwnerDisabled = false, OwnerAnswered = false;
    wchar_t Said[512] = {};
};
DWORD WINAPI WatchTheWait(void* p) {
    auto* watch = static_cast<Watch*>(p);
    for (DWORD start = GetTickCount(); GetTickCount() - start < watch->Ms && !watch->NoticeShown;
         Sleep(20)) {
        HWND notice = FindWindowW(L"BlinkbarSetupWait", L"Please wait");
        if (!notice) continue;
        watch->NoticeShown = IsWindowVisible(notice) != FALSE;
        GetWindowTextW(GetWindow(notice, GW_CHILD), watch->Said, 512);
        watch->OwnerDisabled = !IsWindowEnabled(watch->Owner);
        DWORD_PTR ignored = 0;
        watch->OwnerAnswered =
            SendMessageTimeoutW(watch->Owner, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &ignored) != 0;
    }
    return 0;
}

TEST(InstalledCopy, OnlyAHandleRefusingWriteSharingHoldsTheFileAndAShortHoldIsWaitedOut) {
    const std::wstring path = Fresh(L"held.tmp");
    EXPECT_FALSE(FileHeld(path.c_str()));
    EXPECT_FALSE(FileHeld((path + L".missing").c_str()));
    {
        UniqueFile shared = Open(path, kShareReadWrite);
        ASSERT_TRUE(shared);
        EXPECT_FALSE(FileHeld(path.c_str())) << "write sharing: the installer may write it";
    }
    // Held most of a second: waited out, with the wizard disabled, answering, and a notice
    // saying what is waited for.
    HWND owner = CreateWindowExW(0, L"STATIC", L"wizard", WS_POPUP, 0, 0, 300, 200, nullptr,
                                 nullptr, nullptr, nullptr);
    LetGo letGo{};
    UniqueKernelHandle holder = HoldFor(Open(path, FILE_SHARE_READ), 800, letGo);
    EXPECT_TRUE(FileHeld(path.c_str()));
    Watch watch{owner, 5000};
    UniqueKernelHandle watcher(CreateThread(nullptr, 0, WatchTheWait, &watch, 0, nullptr));
    EXPECT_TRUE(WaitUntilFree(path.c_str(), 20000, L"Please wait", path.c_str(), owner));
    WaitForSingleObject(watcher.get(), INFINITE);
    EXPECT_TRUE(watch.NoticeShown && watch.OwnerDisabled && watch.OwnerAnswered)
        << watch.NoticeShown << watch.OwnerDisabled << watch.OwnerAnswered;
    EXPECT_EQ(watch.Said, path) << "the notice names the file";
    EXPECT_TRUE(IsWindowEnabled(owner) && !FindWindowW(L"BlinkbarSetupWait", nullptr))
        << "the wizard back, the notice gone";
    WaitForSingleObject(holder.get(), INFINITE);

    // Held longer than the wait: the answer is "held", and a silent wait shows nothing.
    holder = HoldFor(Open(path, FILE_SHARE_READ), 1000, letGo);
    watch = Watch{owner, 300};
    watcher.reset(CreateThread(nullptr, 0, WatchTheWait, &watch, 0, nullptr));
    EXPECT_FALSE(WaitUntilFree(path.c_str(), 300, L"Please wait", L"", owner));
    WaitForSingleObject(watcher.get(), INFINITE);
    EXPECT_FALSE(watch.NoticeShown);
    WaitForSingleObject(holder.get(), INFINITE);
    DestroyWindow(owner);
}

// The installer's way with its plugin, as NSIS has it (Source/exehead/exec.c, EW_REGISTERDLL):
// the library by GetModuleHandle, else loaded; the function called with the stack and the extra
// parameters; FreeLibrary after the call unless the plugin registered a callback, which is told
// NSPIM_UNLOAD (0) when the installer ends, and the library freed then.
struct StackItem {
    StackItem* Next;
    wchar_t Text[1024];
};
using PluginCallback = UINT_PTR(__cdecl*)(int);
struct Extra {
    void* ExecFlags = nullptr;
    void* ExecuteCodeSegment = nullptr;
    void* ValidateFilename = nullptr;
    int(__stdcall* RegisterPluginCallback)(HMODULE, PluginCallback);
};
struct Installer {
    static inline HMODULE Staying = nullptr;
    static inline PluginCallback Callback = nullptr;
    static int __stdcall Register(HMODULE library, PluginCallback callback) {
        if (Staying == library) return 1;
        Staying = library;
        Callback = callback;
        return 0;
    }
    std::wstring Library = TestProgramDirectory() + L"..\\..\\BlinkbarSetup.dll";
    HWND Wizard = nullptr;
    std::wstring Call(const char* function, std::initializer_list<const wchar_t*> arguments) {
        StackItem* top = nullptr;
        for (auto it = std::rbegin(arguments); it != std::rend(arguments); ++it) {
            auto* item = static_cast<StackItem*>(GlobalAlloc(GPTR, sizeof(StackItem)));
            lstrcpynW(item->Text, *it, 1024);
            item->Next = top;
            top = item;
        }
        HMODULE library = GetModuleHandleW(Library.c_str());
        if (!library) library = LoadLibraryW(Library.c_str());
        using Function = void(__cdecl*)(HWND, int, wchar_t*, StackItem**, Extra*);
        auto call =
            reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, function)));
        if (!call) return L"no such function";
        Extra extra{};
        extra.RegisterPluginCallback = Register;
        call(Wizard, 1024, nullptr, &top, &extra);
        if (library != Staying) FreeLibrary(library);
        std::wstring answer = top ? top->Text : L"nothing";
        while (top) {
            StackItem* next = top->Next;
            GlobalFree(top);
            top = next;
        }
        return answer;
    }
    void End() {
        if (!Staying) return;
        Callback(0);
        FreeLibrary(Staying);
        Staying = nullptr;
    }
};

Installer gInstaller;
std::wstring gNestedAnswer, gHeldPath;
LRESULT CALLBACK WizardProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_APP) // a page's button clicked again while the first click's call still waits
        gNestedAnswer = gInstaller.Call("WaitFree", {gHeldPath.c_str(), L"20000", L"", L""});
    return DefWindowProcW(w, m, wp, lp);
}

TEST(InstalledCopy, ACallFromInsideAWaitStartsNoSecondWaitAndThePluginStaysLoaded) {
    WNDCLASSW wizardClass{};
    wizardClass.lpfnWndProc = WizardProc;
    wizardClass.lpszClassName = L"TestWizard";
    RegisterClassW(&wizardClass);
    gInstaller.Wizard = CreateWindowExW(0, L"TestWizard", L"wizard", WS_POPUP, 0, 0, 300, 200,
                                        nullptr, nullptr, nullptr, nullptr);
    const std::wstring path = gHeldPath = Fresh(L"nested.tmp");
    LetGo letGo{};
    UniqueKernelHandle holder = HoldFor(Open(path, FILE_SHARE_READ), 600, letGo);
    PostMessageW(gInstaller.Wizard, WM_APP, 0, 0);
    EXPECT_EQ(gInstaller.Call("WaitFree", {path.c_str(), L"20000", L"Please wait", L""}), L"free");
    EXPECT_EQ(gNestedAnswer, L"busy") << "the second call answered at once, without a wait";
    EXPECT_TRUE(GetModuleHandleW(gInstaller.Library.c_str())) << "loaded until the installer ends";
    EXPECT_EQ(gInstaller.Call("WaitFree", {path.c_str(), L"100", L"", L""}), L"free")
        << "a call after the wait is no longer busy";
    gInstaller.End();
    EXPECT_FALSE(GetModuleHandleW(gInstaller.Library.c_str())) << "freed at the end";
    WaitForSingleObject(holder.get(), INFINITE);
    DestroyWindow(gInstaller.Wizard);
}

LRESULT CALLBACK PlainProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return DefWindowProcW(w, m, wp, lp);
}

TEST(InstalledCopy, TheInstalledBarIsTheProcessWhoseImageIsThatVeryFile) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring upper = self;
    for (auto& c : upper) c = static_cast<wchar_t>(towupper(c));
    // Another program file on the same volume: a copy of this one.
    const std::wstring other = TestProgramDirectory() + L"other-program.exe";
    ASSERT_TRUE(CopyFileW(self, other.c_str(), FALSE));
    EXPECT_TRUE(SameFile(self, upper.c_str()) && !SameFile(self, other.c_str()));

    WNDCLASSW cls{};
    cls.lpfnWndProc = PlainProc;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = L"BlinkbarBar";
    RegisterClassW(&cls);
    HWND bar = CreateWindowExW(0, L"BlinkbarBar", L"Blinkbar", WS_POPUP, 0, 0, 10, 10, nullptr,
                               nullptr, cls.hInstance, nullptr);
    EXPECT_EQ(InstalledBar(upper.c_str()), bar) << "the path spelt another way";
    EXPECT_EQ(WhoHoldsProgram(self), Holder::InstalledBar) << "a running program holds its file";
    EXPECT_EQ(InstalledBar(other.c_str()), nullptr);
    EXPECT_EQ(WhoHoldsProgram(other.c_str()), Holder::Free);
    {
        UniqueFile scanner = Open(other, FILE_SHARE_READ);
        EXPECT_EQ(WhoHoldsProgram(other.c_str()), Holder::Other) << "held, but no bar runs it";
    }
    DestroyWindow(bar);
    EXPECT_EQ(WhoHoldsProgram(self), Holder::Other) << "no bar window: something else holds it";
    DeleteFileW(other.c_str());
}

// A bar on a thread of its own that answers the end of the session after `Delay` ms with `Agree`.
struct EndingBar {
    BOOL Agree;
    DWORD Delay;
    HWND Window = nullptr;
    LPARAM QueryFlags = 0;
    int Ends = 0;
    WPARAM EndWparam = 0;
    LPARAM EndFlags = 0;
};
LRESULT CALLBACK EndingBarProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    auto* bar = reinterpret_cast<EndingBar*>(GetWindowLongPtrW(w, GWLP_USERDATA));
    if (bar && m == WM_QUERYENDSESSION) {
        bar->QueryFlags = lp;
        Sleep(bar->Delay);
        return bar->Agree;
    }
    if (bar && m == WM_ENDSESSION) {
        ++bar->Ends;
        bar->EndWparam = wp;
        bar->EndFlags = lp;
    }
    return DefWindowProcW(w, m, wp, lp);
}
DWORD WINAPI RunEndingBar(void* p) {
    auto* bar = static_cast<EndingBar*>(p);
    HWND w = CreateWindowExW(0, L"BlinkbarEndingBar", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(bar));
    bar->Window = w;
    const DWORD until = GetTickCount() + bar->Delay + 300; // every late answer taken
    for (MSG msg; GetTickCount() < until;) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    DestroyWindow(w);
    return 0;
}

TEST(InstalledCopy, OnlyABarThatAgreesInTimeIsToldToEnd) {
    WNDCLASSW cls{};
    cls.lpfnWndProc = EndingBarProc;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = L"BlinkbarEndingBar";
    RegisterClassW(&cls);
    const struct {
        BOOL Agree;
        DWORD Delay;
        EndAnswer Want;
    } rows[] = {{TRUE, 0, EndAnswer::Ended},
                {FALSE, 0, EndAnswer::Refused},
                {TRUE, 1500, EndAnswer::NoAnswer}}; // agrees, but after the installer gave up
    for (const auto& row : rows) {
        EndingBar bar{row.Agree, row.Delay};
        UniqueKernelHandle thread(CreateThread(nullptr, 0, RunEndingBar, &bar, 0, nullptr));
        for (int i = 0; i < 200 && !bar.Window; ++i) Sleep(10);
        EXPECT_EQ(EndAsSessionEnds(bar.Window, 700), row.Want) << row.Delay;
        WaitForSingleObject(thread.get(), INFINITE);
        EXPECT_EQ(bar.QueryFlags, ENDSESSION_CLOSEAPP);
        EXPECT_EQ(bar.Ends, row.Want == EndAnswer::Ended ? 1 : 0) << row.Delay;
        if (bar.Ends) EXPECT_TRUE(bar.EndWparam == TRUE && bar.EndFlags == ENDSESSION_CLOSEAPP);
    }
}

// The record the stand-in program leaves when started, once it is whole.
std::string StartRecord(const std::wstring& record) {
    for (int i = 0; i < 300; ++i, Sleep(100)) {
        UniqueFile file(CreateFileW(record.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
        char text[4096] = {};
        DWORD got = 0;
        if (!file || !ReadFile(file.get(), text, sizeof text - 1, &got, nullptr)) continue;
        std::string lines(text, got);
        const size_t third = lines.find("show=");
        if (third != std::string::npos && lines.find('\n', third) != std::string::npos)
            return lines.substr(third, lines.find('\n', third) - third);
    }
    return "no record";
}

TEST(InstalledCopy, TheShellStartsTheProgramAsAskedAndNotAsOurChild) {
    const std::wstring folder = TestProgramDirectory() + L"shell-start\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring program = folder + L"program.exe", record = folder + L"uninstall-record.txt";
    ASSERT_TRUE(CopyFileW((TestProgramDirectory() + L"fake_uninstaller.exe").c_str(),
                          program.c_str(), FALSE));
    const std::string notOurs = " parent=" + std::to_string(GetCurrentProcessId());
    // SW_SHOWMINNOACTIVE first: the positive control that the record sees what was asked.
    for (int show : {SW_SHOWMINNOACTIVE, SW_SHOWNORMAL}) {
        DeleteFileW(record.c_str());
        ASSERT_TRUE(StartThroughShell(program.c_str(), show)) << "no shell answered";
        const std::string said = StartRecord(record);
        EXPECT_EQ(said.rfind("show=" + std::to_string(show) + " parent=", 0), 0u) << said;
        EXPECT_EQ(said.find(notOurs), std::string::npos) << said;
    }
}

TEST(InstalledCopy, ARemovedFileIsGoneOnlyOnceItsNameIs) {
    const std::wstring path = Fresh(L"removed.tmp");
    // Held with delete sharing: the delete succeeds, but the name stays until the holder lets go.
    LetGo letGo{};
    UniqueKernelHandle holder =
        HoldFor(Open(path, FILE_SHARE_READ | FILE_SHARE_DELETE), 500, letGo);
    EXPECT_TRUE(RemoveFile(path.c_str(), 20000));
    EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
    WaitForSingleObject(holder.get(), INFINITE);
    EXPECT_TRUE(RemoveFile(path.c_str(), 100)) << "nothing there is nothing to remove";

    Fresh(L"removed.tmp");
    UniqueFile held = Open(path, FILE_SHARE_READ);
    EXPECT_FALSE(RemoveFile(path.c_str(), 300));
    EXPECT_NE(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
    held.reset();

    // Read-only, as a copy from a CD or an unzipped download may leave the program: removed.
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(RemoveFile(path.c_str(), 300));
    EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

} // namespace
