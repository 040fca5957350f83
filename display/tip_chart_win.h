#pragma once
// The minute's chart under an LED's tooltip text, drawn with GDI.

#include <windows.h>

#include "monitor/drive_history.h"

// The chart at the bar's scale in the bottom left corner of `client`.
void DrawTipChart(HDC dc, const RECT& client, const DriveMinute& minute);
// Where the chart's columns are, for an update of only that part of the tip.
RECT TipChartColumns(const RECT& client);
// The tip's WM_PAINT: its own paint and the chart (through WM_PRINTCLIENT) off the screen, copied
// at once.
void PaintTipOffScreen(HWND tips);
