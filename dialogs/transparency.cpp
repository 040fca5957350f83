#include "dialogs/transparency.h"

int ClampTransparency(int alpha) {
    if (alpha < MinTransparency) return MinTransparency;
    if (alpha > MaxTransparency) return MaxTransparency;
    return alpha;
}

int WheelTransparency(int alpha, uint32_t wParam) {
    const int distance = static_cast<int16_t>(wParam >> 16);
    const int notches = -(distance / 120); // C++ division truncates toward zero
    return ClampTransparency(alpha - 10 * notches);
}
