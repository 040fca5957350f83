#pragma once
// The drive configuration and transparency dialogs, each with its own loop on the event layer.

// "Show/Hide Drive": on "Save Changes" stores the new mask, renders, lays out and saves; the
// close box discards.
void DriveConfigDialog();
// "Adjust Window Transparency": the bar follows the slider live; closing keeps the value.
void TransparencyDialog();
