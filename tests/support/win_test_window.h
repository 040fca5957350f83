#pragma once
// A stand-in for the bar in Windows-side tests: a hidden window whose procedure hands the
// monitoring messages to the program, with the 24 LED image controls.

#include <windows.h>

#include <string>

struct TestBar {
    HWND Window = nullptr;
    int ScanMessages = 0;          // scans handed over
    DWORD AnswerThread = 0;        // the thread that took the last drive's answer
    int QueuedMonitorMessages = 0; // monitoring messages that came out of the queue as events
};

extern TestBar gTestBar;

// Creates the window and controls and makes it AppState.WindowHandle.
void CreateTestBar();
void DestroyTestBar();

// Runs the message loop on this thread for about `ms` milliseconds.
void PumpMessagesFor(DWORD ms);
// Pumps until `done` holds, polling every 20 ms, for at most `ms`; whether it came to hold.
template <typename Done> bool PumpMessagesUntil(Done done, DWORD ms) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start >= ms) return false;
        PumpMessagesFor(20);
    }
    return true;
}

// The bitmap LED control `control` shows now.
HBITMAP ControlImage(int control);

// The pixels of a bitmap, top row first, as 0x00RRGGBB.
struct Pixels {
    int Width = 0;
    int Height = 0;
    std::basic_string<DWORD> Data;
    DWORD At(int x, int y) const { return Data[static_cast<size_t>(y) * Width + x]; }
};
Pixels ReadPixels(HBITMAP bitmap);

// 0x00RRGGBB of a colour as the tests compare pixels.
DWORD Rgb(int red, int green, int blue);

// The directory of the running test program, with its separator.
std::wstring TestProgramDirectory();
