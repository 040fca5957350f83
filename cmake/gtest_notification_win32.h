// GoogleTest's Notification is written with std::mutex, which the win32 thread model of this
// mingw-w64 does not have. This one is a Windows manual-reset event; GoogleTest uses it only to
// start its helper threads. Force-included into every translation unit of the Windows build, so
// it must stand alone.
#pragma once
#if defined(__cplusplus) && defined(_WIN32)
#include <windows.h>

namespace testing {
namespace internal {

class Notification {
  public:
    Notification() : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~Notification() { CloseHandle(event_); }
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;
    void Notify() { SetEvent(event_); }
    void WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

  private:
    HANDLE event_;
};

} // namespace internal
} // namespace testing
#endif
