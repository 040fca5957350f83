#include "app/app_state.h"

#include <new>

#include "app/numbering.h"

AppStateRecord AppState;

void ResetAppState() {
    AppState.~AppStateRecord();
    new (&AppState) AppStateRecord();
}

void InitConstantState() {
    AppState.DriveLetters = kDriveLetters;
    for (auto& root : AppState.DriveRoots) root.clear();
    for (int slot = Num::FirstDriveSlot; slot <= Num::LastDriveSlot; ++slot) {
        AppState.DriveRoots[slot] = std::string(1, AppState.DriveLetters[slot - 1]) + ":\\";
    }
    AppState.VersionText = "V1.02 - January 2009";
    AppState.AboutText = "Blinkbar 2009 by the Blinkbar team\n";
    AppState.AboutText += "https://blinkbar.example.org\nteam@blinkbar.example.org\n\n";
    AppState.AboutText += "Disk activity code 2009, Blinkbar team, team@blinkbar.example.org\n";
    AppState.AboutText += "\nCheck the ReadMe_vx.xx.rtf file for more info.";
}
