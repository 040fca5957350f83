#pragma once
// The shell's notification area, behind one call: the end-to-end test build links a shell of its
// own in its place (tests/support/refusing_shell.cpp).

#include <windows.h>
#include <shellapi.h>

// Shell_NotifyIconA; FALSE where the shell refused, or shell32 is missing.
BOOL NotifyIcon(DWORD action, NOTIFYICONDATAA* icon);
