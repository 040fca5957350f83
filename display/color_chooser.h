#pragma once
// Picking one of the four LED colours with the system colour chooser.

enum class LedColor { Read, Write, Back, Text };

// Platform side (the window's thread, timers stopped by the caller): runs the chooser; on OK stores
// the colour in both forms, renders and lays the bar out; on cancel changes nothing.
void ChooseLedColor(LedColor which);
