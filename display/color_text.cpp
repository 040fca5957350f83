#include "display/color_text.h"

namespace {

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    // Stored files may hold anything; the historic reading of a stray character is kept so that
    // such a file draws exactly as it always did.
    return static_cast<int>(static_cast<signed char>(c)) - 55;
}

int32_t ParsePiece(const std::string& text, size_t from) {
    uint32_t value = 0; // unsigned, so overlong garbage wraps instead of overflowing
    for (size_t i = from; i < from + 2 && i < text.size(); ++i) {
        value = value * 16u + static_cast<uint32_t>(HexDigitValue(text[i]));
    }
    return static_cast<int32_t>(value);
}

void AppendHexByte(std::string& out, int32_t value) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const auto v = static_cast<uint32_t>(value) & 0xFFu;
    out += kDigits[v >> 4];
    out += kDigits[v & 0xFu];
}

} // namespace

std::string FormatColorHex(const RgbColor& color) {
    std::string text;
    text.reserve(6);
    AppendHexByte(text, color.Red);
    AppendHexByte(text, color.Green);
    AppendHexByte(text, color.Blue);
    return text;
}

RgbColor ParseColorHex(const std::string& text) {
    RgbColor color;
    color.Red = ParsePiece(text, 0);
    color.Green = ParsePiece(text, 2);
    // Blue is the last two characters, so a short text overlaps the green piece.
    color.Blue = ParsePiece(text, text.size() >= 2 ? text.size() - 2 : 0);
    return color;
}

uint32_t PackColor(const RgbColor& color) {
    return static_cast<uint32_t>(color.Red) + static_cast<uint32_t>(color.Green) * 256u +
           static_cast<uint32_t>(color.Blue) * 65536u;
}

RgbColor UnpackColor(uint32_t packed) {
    return RgbColor{static_cast<int32_t>(packed & 0xFFu),
                    static_cast<int32_t>((packed >> 8) & 0xFFu),
                    static_cast<int32_t>((packed >> 16) & 0xFFu)};
}
