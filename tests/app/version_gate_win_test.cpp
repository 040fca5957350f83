// The manifest's supportedOS entries decide what GetVersionExA tells the program on Windows 8.1
// and later. Wine emulates that from its per-program version setting, so the gate can be tried
// against "Windows 10" here: the probe built with the program's resources must see 10.0 and be
// admitted, the same probe without them sees what unmanifested programs see.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

bool UnderWine() {
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version");
}

std::string Folder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s = path;
    return s.substr(0, s.find_last_of('\\') + 1);
}

// Wine reads HKCU\Software\Wine\AppDefaults\<exe>\Version when the program starts.
struct WineVersionFor {
    std::string Key;
    WineVersionFor(const std::string& exe, const char* version)
        : Key("Software\\Wine\\AppDefaults\\" + exe) {
        HKEY k;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, Key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k,
                            nullptr) == ERROR_SUCCESS) {
            RegSetValueExA(k, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                           static_cast<DWORD>(strlen(version) + 1));
            RegCloseKey(k);
        }
    }
    ~WineVersionFor() { RegDeleteKeyA(HKEY_CURRENT_USER, Key.c_str()); }
};

// Runs the probe and returns its one line of output.
std::string RunProbe(const std::string& exe) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE readEnd, writeEnd;
    if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) return "no pipe";
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd;
    si.hStdError = writeEnd;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi{};
    std::string cmd = "\"" + Folder() + exe + "\"";
    BOOL started =
        CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    CloseHandle(writeEnd);
    std::string out;
    if (started) {
        char buf[256];
        DWORD n;
        while (ReadFile(readEnd, buf, sizeof buf, &n, nullptr) && n) out.append(buf, n);
        WaitForSingleObject(pi.hProcess, 10000);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    CloseHandle(readEnd);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
    return started ? out : "not started";
}

TEST(VersionGate, ManifestShowsWindows10AndTheGateAdmitsIt) {
    if (!UnderWine()) GTEST_SKIP() << "the Windows version is set per program only under Wine";
    struct Case {
        const char* Version;
        const char* Exe;
        const char* Expected; // "major.minor code admitted"
    } cases[] = {
        {"win10", "os_version_probe.exe", "10.0 100 1"},
        {"win10", "os_version_probe_plain.exe", "6.2 70 1"},
        {"win81", "os_version_probe.exe", "6.3 70 1"},
        {"winxp", "os_version_probe.exe", "5.1 60 1"},
        {"win2k", "os_version_probe.exe", "5.0 50 1"},
    };
    for (const Case& c : cases) {
        WineVersionFor setting(c.Exe, c.Version);
        EXPECT_EQ(c.Expected, RunProbe(c.Exe)) << c.Exe << " as " << c.Version;
    }
}

} // namespace
