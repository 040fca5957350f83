#include <windows.h>

#include "app/session_watch.h"

bool InRemoteSession() {
    return GetSystemMetrics(SM_REMOTESESSION) != 0;
}
