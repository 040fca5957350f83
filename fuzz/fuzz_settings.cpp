// Arbitrary bytes as a settings file: parse, load every key as start-up does, then compose and
// parse again; the second reading must give the same entries.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "app/app_state.h"
#include "settings/settings_file.h"
#include "settings/settings_store.h"

// The load reaches the display code only for the metrics table; nothing here draws.
void DrawPresenceMarkers() {}
void RenderLedImages() {}

// Two monitors of unequal height side by side: 1024 x 768 and 1280 x 1024 to its right.
bool TwoMonitors(int left, int top, int right, int bottom) {
    const auto overlaps = [&](int l, int t, int r, int b) {
        return left < r && l < right && top < b && t < bottom;
    };
    return overlaps(0, 0, 1024, 768) || overlaps(1024, 0, 2304, 1024);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SettingsDocument doc;
    doc.HasFile = true;
    ParseSettingsText(reinterpret_cast<const char*>(data), size, doc);

    // Every read of start-up, against the whole range of screens.
    const ScreenBounds screen{1024, 768, size % 3 == 0 ? nullptr : TwoMonitors};
    SettingsSelectGroup(doc, kSettingsGroup);
    ReadSettingsFields(doc, screen);
    SettingsSelectGroup(doc, "");
    SettingsReadString(doc, "Drives", "x");
    SettingsReadInteger(doc, "WinX", 400);

    // Compose and read back: the same entries, in the same order. A plain file whose first
    // written line happens to start with the byte order mark reads back as UTF-8; the format has
    // no way to say otherwise, and the program never writes back a file it read.
    const std::string text = ComposeSettingsText(doc);
    if (!doc.Utf8 && text.rfind("\xEF\xBB\xBF", 0) == 0) return 0;
    SettingsDocument again;
    again.HasFile = true;
    ParseSettingsText(text.data(), text.size(), again);
    if (again.Entries != doc.Entries || again.Utf8 != doc.Utf8) std::abort();
    if (ComposeSettingsText(again) != text) std::abort();

    // A save of what was loaded loads back to the same settings.
    SettingsDocument saved;
    saved.HasFile = true;
    WriteSettingsFields(saved, AppState.WinX, AppState.WinY);
    const int iconSize = AppState.IconSize, alpha = AppState.Transparency;
    // A mask cut to 24 characters may end in a blank, which the reader trims; blanks hide a
    // drive either way.
    std::string drives = AppState.Drives;
    while (!drives.empty() && (drives.back() == ' ' || drives.back() == '\t')) drives.pop_back();
    const std::string read = AppState.ReadColor;
    const std::string savedText = ComposeSettingsText(saved);
    SettingsDocument reloaded;
    reloaded.HasFile = true;
    ParseSettingsText(savedText.data(), savedText.size(), reloaded);
    SettingsSelectGroup(reloaded, kSettingsGroup);
    ReadSettingsFields(reloaded, ScreenBounds{1 << 30, 1 << 30, nullptr});
    if (AppState.IconSize != iconSize || AppState.Transparency != alpha) std::abort();
    if (AppState.Drives != drives || AppState.ReadColor != read) std::abort();
    return 0;
}
