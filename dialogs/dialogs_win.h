#pragma once
// The drive configuration and transparency dialogs, each with its own loop on the event layer.

#include "app/win_handles.h"

// "Show/Hide Drive": on "Save Changes" stores the new mask, renders, lays out and saves; the
// close box discards.
void DriveConfigDialog();
// "Adjust Window Transparency": the bar follows the slider live; closing keeps the value.
void TransparencyDialog();
// A dialog font that a change of scale replaced: the open dialog's controls still draw with it, so
// it lives until the dialog closes. Without an open dialog it goes at once.
void KeepDialogFontWhileOpen(UniqueFont font);
