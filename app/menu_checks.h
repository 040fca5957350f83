#pragma once
// The popup menu's check marks follow AppState: every layout of the bar refreshes them, so every
// command that lays the bar out shows its new state in the menu (window's thread).

void UpdateMenuChecks();
