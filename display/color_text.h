#pragma once
// LED colours as "RRGGBB" text (the settings file's form), as three numbers (the drawing form) and
// as a packed Windows colour value.

#include <cstdint>
#include <string>

struct RgbColor {
    int32_t Red = 0;
    int32_t Green = 0;
    int32_t Blue = 0;
    bool operator==(const RgbColor&) const = default;
};

// Two upper-case hex digits per component, red first. Components are expected in 0..255.
std::string FormatColorHex(const RgbColor& color);

// Never rejects: pieces of two characters are read as hex, other characters count as their
// signed code minus 55, and the numbers are kept without a range check.
RgbColor ParseColorHex(const std::string& text);

// Red + Green * 256 + Blue * 65536, deliberately without masking (wraps like 32-bit arithmetic).
uint32_t PackColor(const RgbColor& color);
RgbColor UnpackColor(uint32_t packed);
