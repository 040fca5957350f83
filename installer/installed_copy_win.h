#pragma once
// What the installer and the uninstaller decide about the installed Blinkbar, and what they do to
// it. Which copy runs is told by its program file: Windows holds a running program's file (it maps
// it as the process's image, on XP as on 11), but a virus scanner, a backup or Explorer reading
// the icon hold it a moment too, and a Blinkbar running from elsewhere (a portable folder,
// Scoop's) is not the one replaced.

#include <windows.h>

// True when the file cannot be opened for writing because a handle on it refuses write sharing.
// A read-only or denied file is not held: writing it fails where it is written, and says so.
bool FileHeld(const wchar_t* path);

// True when both paths lead to one file (volume serial and file index), whatever the case, short
// names or links along the way.
bool SameFile(const wchar_t* a, const wchar_t* b);

// The program file of process `pid` into `out` (room for `size` characters); false when it cannot
// be read.
bool ProcessImage(DWORD pid, wchar_t* out, DWORD size);

// The window of the Blinkbar whose process runs `program` itself, or null.
HWND InstalledBar(const wchar_t* program);

enum class Holder { Free, InstalledBar, Other };
Holder WhoHoldsProgram(const wchar_t* program);

// Waits up to `ms` for the file to be free; true when it is. While it waits, every message of this
// thread is dispatched, so that no window of the installer stops answering, and where `text` is
// not empty a small window titled `title` says what it waits for, with `owner` disabled meanwhile.
bool WaitUntilFree(const wchar_t* path, DWORD ms, const wchar_t* title, const wchar_t* text,
                   HWND owner);

enum class EndAnswer { Ended, Refused, NoAnswer };
// Asks the bar to end as the end of a session does (WM_QUERYENDSESSION, then WM_ENDSESSION, both
// with ENDSESSION_CLOSEAPP): a bar that refuses, or does not answer within `ms`, is told nothing
// more and runs on.
EndAnswer EndAsSessionEnds(HWND bar, UINT ms);

// Starts `program` through the desktop shell's own ShellExecute, so that it runs as the signed-in
// user: not the caller's child, lent no rights of an elevated caller, and outside its job. `show`
// is the start-up show state. False when no shell answers; nothing is started then.
bool StartThroughShell(const wchar_t* program, int show);

// Deletes the file and waits up to `ms` until its name has gone: a handle opened with delete
// sharing leaves the name in place, delete-pending, until it closes (Windows before 10 1903, FAT
// volumes, Wine), and the folder cannot be removed meanwhile. A read-only file is made writable
// first. True when the name is gone.
bool RemoveFile(const wchar_t* path, DWORD ms);
