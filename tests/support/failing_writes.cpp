// Linked into the settings tests in place of the program's settings write: writes go through
// unless a test asks one to stop part-way, as on a full disk.
#include "support/failing_writes.h"

#include <algorithm>

#include "settings/settings_write_win.h"

namespace {
int gWritesToPass = -1; // -1: none fails
size_t gBytesKept = 0;
} // namespace

void FailSettingsWriteAfter(int writesToPass, size_t bytesKept) {
    gWritesToPass = writesToPass;
    gBytesKept = bytesKept;
}

bool WriteSettingsBytes(HANDLE file, const std::string& bytes) {
    const bool fails = gWritesToPass == 0;
    if (gWritesToPass >= 0) --gWritesToPass;
    const DWORD size =
        static_cast<DWORD>(fails ? std::min(gBytesKept, bytes.size()) : bytes.size());
    DWORD written = 0;
    return WriteFile(file, bytes.data(), size, &written, nullptr) && written == size && !fails;
}
