// The yardstick for Blinkbar's running cost: nothing but the 24 volume queries every 50 ms that a
// disk-activity indicator cannot do without, on the same kind of timer. With the argument
// "present" it asks only the letters that named a drive when it started.
#include <windows.h>
#include <mmsystem.h>

namespace {

DWORD gLetters = ~0u; // bit 0 is A:

void CALLBACK Tick(UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR) {
    char path[] = "\\\\.\\C:";
    for (char letter = 'C'; letter <= 'Z'; ++letter) {
        if (!(gLetters & (1u << (letter - 'A')))) continue;
        path[4] = letter;
        HANDLE volume = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
        if (volume == INVALID_HANDLE_VALUE) continue;
        unsigned char record[88] = {};
        DWORD got = 0;
        DeviceIoControl(volume, 0x70020, nullptr, 0, record, sizeof record, &got, nullptr);
        CloseHandle(volume);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
    if (arguments && lstrcmpA(arguments, "present") == 0) gLetters = GetLogicalDrives();
    timeBeginPeriod(1);
    timeSetEvent(50, 0, Tick, 0, TIME_PERIODIC | TIME_CALLBACK_FUNCTION);
    Sleep(INFINITE);
    return 0;
}
