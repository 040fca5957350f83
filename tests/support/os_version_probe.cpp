// Prints what GetVersionExA reports to this process and the code the version gate makes of it,
// and exits with that code. Built twice: with the program's resources (its manifest) and without.
#include <windows.h>

#include <cstdio>

#include "app/startup.h"

int main() {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    OSVERSIONINFOA v{};
    v.dwOSVersionInfoSize = sizeof v;
    GetVersionExA(&v);
#pragma GCC diagnostic pop
    int code = OsVersionCode();
    std::printf("%lu.%lu %d %d\n", v.dwMajorVersion, v.dwMinorVersion, code,
                OsVersionAdmitted(code) ? 1 : 0);
    return code;
}
