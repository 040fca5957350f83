#pragma once
// Monitors of different scales that Wine cannot show, for the two-monitor model of the bar's
// tests: while a model is set, the program's monitor lookup answers from it.

#include <windows.h>

struct ModelledMonitors {
    int Count = 0; // 0: what Windows reports
    RECT Area[2]{};
    int Dpi[2]{};
};
extern ModelledMonitors gModelledMonitors;

// The modelled monitor holding most of `r` (by area; the first of equals).
int ModelledMonitorHolding(const RECT& r);
