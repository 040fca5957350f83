#pragma once
// No system box for a drive without media while a drive is asked. Windows 7 and later keep the
// error mode per thread; XP and Vista have only the process's, and two questions that each saved
// and restored it could interleave (one restoring the other's quiet mode for good, or the
// other's question left loud). There the overlapping quiet spans share it: the first to begin
// sets it and keeps the mode it found, the last to end puts that back. Callers serialize calls.

struct SharedQuietMode {
    int Spans = 0;
    unsigned Kept = 0;
};

// `set` sets the process's mode and returns the one it replaced (SetErrorMode).
template <typename SetMode>
void BeginSharedQuiet(SharedQuietMode& shared, unsigned quiet, SetMode set) {
    if (shared.Spans++ == 0) shared.Kept = set(quiet);
}

template <typename SetMode> void EndSharedQuiet(SharedQuietMode& shared, SetMode set) {
    if (shared.Spans > 0 && --shared.Spans == 0) set(shared.Kept);
}
