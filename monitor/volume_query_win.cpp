// The shipped source of disk counters: the volume's IOCTL_DISK_PERFORMANCE record.
#include <windows.h>
#include <winioctl.h>

#include <cstring>

#include "app/win_handles.h"
#include "monitor/activity_probe.h"
#include "monitor/drive_scan.h"

uint32_t ExistingDriveSlots() {
    return (GetLogicalDrives() >> 2) & ((1u << 24) - 1); // bit 0 is A:, the slots start at C:
}

VolumeQuery QueryVolumeCounters(const char* path, DiskCounters* counters) {
    // No access rights: the control code is FILE_ANY_ACCESS, so nothing of the volume's data is
    // needed and an unprivileged user can ask.
    UniqueFile volume(CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    if (!volume) return VolumeQuery::NotOpened;

    unsigned char record[DiskPerformanceSize];
    std::memset(record, 0, sizeof record);
    DWORD returned = 0;
    const BOOL ok = DeviceIoControl(volume.get(), IOCTL_DISK_PERFORMANCE, nullptr, 0, record,
                                    sizeof record, &returned, nullptr);
    // A driver that does not support the query leaves the record undefined (Wine leaves it as
    // it was): never compare such a record against the history.
    if (!ok || returned < 48) return VolumeQuery::QueryFailed;
    *counters = CountersFromDiskPerformance(record);
    return VolumeQuery::Answered;
}

bool QueryVolumeSpace(const wchar_t* root, uint64_t* freeBytes, uint64_t* totalBytes) {
    ULARGE_INTEGER available{}, total{};
    if (!GetDiskFreeSpaceExW(root, &available, &total, nullptr)) return false;
    *freeBytes = available.QuadPart;
    *totalBytes = total.QuadPart;
    return true;
}
