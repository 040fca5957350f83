#include "settings/settings_store.h"

#include <climits>

#include "app/app_state.h"
#include "display/bar_layout.h"
#include "display/led_images.h"

namespace {

int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return 99;
}

std::string ReadColorText(const SettingsDocument& doc, const char* key, const char* fallback) {
    std::string text = UpperColorText(SettingsReadString(doc, key, ""));
    return text.empty() ? std::string(fallback) : text;
}

void DeriveColors() {
    AppState.ReadRgb = ParseColorHex(AppState.ReadColor);
    AppState.WriteRgb = ParseColorHex(AppState.WriteColor);
    AppState.BackRgb = ParseColorHex(AppState.BackColor);
    AppState.TextRgb = ParseColorHex(AppState.TextColor);
}

int ClampedSum(int a, int b) {
    const int64_t sum = static_cast<int64_t>(a) + b;
    return sum > INT_MAX ? INT_MAX : static_cast<int>(sum);
}

void PlaceBarOnScreen(const ScreenBounds& screen) {
    const BarGeometry bar = ComputeBarLayout(AppState.Drives, AppState.IconPixels,
                                             ScaleForDpi(AppState.MinimizeButton, AppState.Dpi));
    PlaceOnScreen(&AppState.WinX, &AppState.WinY, bar.ClientWidth, bar.ClientHeight, screen);
}

} // namespace

// A bar that would show on some monitor stays where it is. One that would stand on none (beyond
// every edge, or in the gap between monitors of unequal size) comes back by the rule of the
// primary screen: past its right or bottom edge means its middle. Wholly left of or above the
// primary screen means its middle too, or the bar would be out of reach for good.
void PlaceOnScreen(int* x, int* y, int width, int height, const ScreenBounds& screen) {
    const int right = ClampedSum(*x, width);
    const int bottom = ClampedSum(*y, height);
    if (screen.TouchesAMonitor && screen.TouchesAMonitor(*x, *y, right, bottom)) return;
    if (*x > screen.PrimaryWidth || right <= 0) *x = screen.PrimaryWidth / 2;
    if (*y > screen.PrimaryHeight || bottom <= 0) *y = screen.PrimaryHeight / 2;
}

int32_t ToNumber(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    uint32_t base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i < text.size() && text[i] == '%') {
        base = 2;
        ++i;
    }
    uint32_t value = 0;
    for (; i < text.size(); ++i) {
        const int digit = DigitValue(text[i]);
        if (static_cast<uint32_t>(digit) >= base) break;
        value = value * base + static_cast<uint32_t>(digit);
    }
    return static_cast<int32_t>(negative ? 0u - value : value);
}

std::string UpperColorText(const std::string& text) {
    std::string upper = text;
    for (char& ch : upper) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'a' && c <= 'z') || c >= 224) ch = static_cast<char>(c - 32);
    }
    return upper;
}

void ReadSettingsFields(const SettingsDocument& doc, const ScreenBounds& screen) {
    AppState.WinX = SettingsReadInteger(doc, "WinX", 400);
    AppState.WinY = SettingsReadInteger(doc, "WinY", 10);
    AppState.Locked = SettingsReadInteger(doc, "Locked", 0);

    AppState.Drives = SettingsReadString(doc, "Drives", "").substr(0, 24);
    if (AppState.Drives.empty()) AppState.Drives = kAllDrives;

    AppState.ReadColor = ReadColorText(doc, "ReadColor", kDefaultReadColor);
    AppState.WriteColor = ReadColorText(doc, "WriteColor", kDefaultWriteColor);
    AppState.BackColor = ReadColorText(doc, "BackColor", kDefaultBackColor);
    AppState.TextColor = ReadColorText(doc, "TextColor", kDefaultTextColor);
    DeriveColors();

    AppState.IconSize = ToNumber(SettingsReadString(doc, "IconSize", "1"));
    if (AppState.IconSize < 1) AppState.IconSize = 1;
    if (AppState.IconSize > 3) AppState.IconSize = 3;

    AppState.Transparency = ToNumber(SettingsReadString(doc, "Transparency", "255"));
    if (AppState.Transparency < 40) AppState.Transparency = 40;
    if (AppState.Transparency > 255) AppState.Transparency = 255;

    AppState.HddDetectInterval = ToNumber(SettingsReadString(doc, "HDD Detect Interval", "10"));
    if (AppState.HddDetectInterval == 0 || AppState.HddDetectInterval > 10000000) {
        AppState.HddDetectInterval = 10;
    }

    // 1 and anything above 8 show the strip, 0 hides it; 2..8 and negatives keep the start value.
    const int32_t minimize = ToNumber(SettingsReadString(doc, "Minimize Button", "0"));
    if (minimize == 0)
        AppState.MinimizeButton = 0;
    else if (minimize == 1 || minimize > 8)
        AppState.MinimizeButton = 8;

    LedMetrics metrics;
    if (LedMetricsForSize(AppState.IconSize, &metrics, AppState.Dpi)) {
        AppState.IconPixels = metrics.IconPixels;
        AppState.LetterFontSize = metrics.LetterFontSize;
        AppState.LetterTop = metrics.LetterTop;
    }
    // Last: whether the bar shows on a monitor depends on its size.
    PlaceBarOnScreen(screen);
}

void WriteSettingsFields(SettingsDocument& doc, int barLeft, int barTop) {
    SettingsWriteComment(doc, "Blinkbar " + AppState.VersionText + " by the Blinkbar team");
    SettingsWriteComment(doc, "https://blinkbar.example.org");
    SettingsWriteComment(doc, "");
    SettingsSelectGroup(doc, kSettingsGroup);
    SettingsWriteInteger(doc, "WinX", barLeft);
    SettingsWriteInteger(doc, "WinY", barTop);
    SettingsWriteInteger(doc, "Locked", AppState.Locked);
    SettingsWriteString(doc, "Drives", AppState.Drives);
    SettingsWriteString(doc, "ReadColor", UpperColorText(AppState.ReadColor));
    SettingsWriteString(doc, "WriteColor", UpperColorText(AppState.WriteColor));
    SettingsWriteString(doc, "BackColor", UpperColorText(AppState.BackColor));
    SettingsWriteString(doc, "TextColor", UpperColorText(AppState.TextColor));
    SettingsWriteString(doc, "IconSize", std::to_string(AppState.IconSize));
    SettingsWriteString(doc, "Transparency", std::to_string(AppState.Transparency));
    SettingsWriteString(doc, "HDD Detect Interval", std::to_string(AppState.HddDetectInterval));
    if (AppState.MinimizeButton == 8)
        SettingsWriteString(doc, "Minimize Button", "1");
    else if (AppState.MinimizeButton == 0)
        SettingsWriteString(doc, "Minimize Button", "0");
}

void RestoreDefaults() {
    AppState.Locked = 0;
    AppState.Drives = kAllDrives;
    AppState.ReadColor = kDefaultReadColor;
    AppState.WriteColor = kDefaultWriteColor;
    AppState.BackColor = kDefaultBackColor;
    AppState.TextColor = kDefaultTextColor;
    AppState.IconSize = 1;
    AppState.Transparency = 255;
    AppState.MinimizeButton = 0;
    // Only the start-up position; the bar stays where it is and the next save stores that.
    AppState.WinX = 400;
    AppState.WinY = 10;
    DeriveColors();
}
