#pragma once

#include <cstdint>
// The bar's opacity: 40 (most see-through) to 255 (opaque).

inline constexpr int MinTransparency = 40;
inline constexpr int MaxTransparency = 255;

int ClampTransparency(int alpha);

// The mouse wheel: 10 per whole notch of 120, up more opaque, clamped. The high word of the
// wheel message's wParam carries the signed distance; finer steps than a notch do nothing.
int WheelTransparency(int alpha, uint32_t wParam);

// Platform side: makes the bar a layered tool window at `alpha`. Always 0.
int ApplyTransparency(struct HWND__* window, int alpha);
