// The LED colours through comdlg32's colour chooser.
#include <windows.h>
#include <commdlg.h>

#include "app/app_state.h"
#include "app/modal_win.h"
#include "app/system_library_win.h"
#include "display/bar_layout_win.h"
#include "display/color_chooser.h"
#include "display/color_text.h"
#include "display/led_images.h"

namespace {

// The chooser's sixteen custom colours, kept for the whole run and never saved.
COLORREF gCustomColors[16];

struct ColorFields {
    std::string* Text;
    RgbColor* Numbers;
};

ColorFields FieldsOf(LedColor which) {
    switch (which) {
    case LedColor::Read:
        return {&AppState.ReadColor, &AppState.ReadRgb};
    case LedColor::Write:
        return {&AppState.WriteColor, &AppState.WriteRgb};
    case LedColor::Back:
        return {&AppState.BackColor, &AppState.BackRgb};
    case LedColor::Text:
    default:
        return {&AppState.TextColor, &AppState.TextRgb};
    }
}

} // namespace

void ChooseLedColor(LedColor which) {
    const ColorFields fields = FieldsOf(which);
    const auto current = static_cast<COLORREF>(PackColor(*fields.Numbers));
    gCustomColors[0] = current;
    ModalScope modal = BeginModal();
    CHOOSECOLORA chooser{};
    chooser.lStructSize = sizeof chooser; // 36
    chooser.hwndOwner = modal.Owner;
    chooser.rgbResult = current;
    chooser.lpCustColors = gCustomColors;
    chooser.Flags = CC_RGBINIT;
    // Looked up when first needed: comdlg32 costs start-up time the bar does not need.
    static const auto choose =
        FindFunction<decltype(&ChooseColorA)>(LoadSystemLibrary(L"comdlg32.dll"), "ChooseColorA");
    const BOOL chosen = choose && choose(&chooser);
    EndModal(modal);
    if (!chosen) return; // cancelled: nothing changes, nothing is redrawn
    *fields.Numbers = UnpackColor(chooser.rgbResult);
    *fields.Text = FormatColorHex(*fields.Numbers);
    RenderLedImages();
    LayoutBar();
}
