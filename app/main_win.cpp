// The program's entry point. It takes nothing from the command line or the environment.
#include <windows.h>

#include "app/startup.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    StartProgram();
}

// The program throws nothing; should the runtime ever give up (out of memory inside the standard
// library), end quietly. Replacing the default handler also keeps its symbol demangler, a sixth of
// the executable, out of the program.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    ExitProcess(3);
}
} // namespace __gnu_cxx
