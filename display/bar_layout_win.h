#pragma once
// The bar's windows on user32.

#include <windows.h>

// Arranges the LEDs, sizes and shows the bar topmost, places or hides the minimize button,
// refreshes the menu's check marks and re-applies the opacity.
// `keepActivation`: a change of scale, which may come with a dialog open, leaves the active
// window as it is. Elsewhere the bar is activated as it shows, as it always was: under Wine a
// bar laid out without activation at start-up did not follow the next drag (seen).
void LayoutBar(bool keepActivation = false);
// The bar's outer size with LEDs of `edge` pixels and the minimize button at a scale: what
// LayoutBar makes it, and what Windows is told before a change of scale.
SIZE BarOuterSize(int edge, int dpi);
// True while LayoutBar runs: its moves can bring messages that must not lay the bar out again.
bool LayingOutBar();
// Control 5000 at the right end of the bar.
void CreateMinimizeButton();
// Its tooltip, once the bar has been painted (comctl32 is loaded then).
void CreateMinimizeButtonTip();
// The tip closed and quiet while nobody can see the bar; back with `silent` false.
void SilenceMinimizeButtonTip(bool silent);
// The button's tooltip window stands apart from the bar and goes with it.
void DestroyMinimizeButtonTip();
// The button tip's font for the bar's scale (after a change of scale).
void ApplyMinimizeButtonTipFont();
