// The plug-in settings dialog: which plug-ins the search asks, in which
// order, and each plug-in's own settings window.
#pragma once

#include "app/platform.h"

struct SusiePlugin;

// Kept in the dialog's user slot from opening to destruction. The margins
// keep the list and buttons anchored to the right and bottom edges.
struct SpiDialogAnchors {
    int listRight;   // client width minus the list's width
    int listBottom;  // client height minus the list's height
    int buttonRight[4];  // per button (close, apply, up, down): client width minus its left edge
    int buttonTop[4];
    // The records spiList held at opening, which the rows point at. Once
    // Apply has replaced them they are released with the dialog.
    SusiePlugin* opened;
    bool applied;
};

// The dialog procedure. The rows work on the records of spiList; Apply puts
// copies of them, in row order with the rows' check marks, into a new
// spiList. Ends with 0.
INT_PTR CALLBACK spiSettingsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Shows the dialog modally over owner. Only while no worker runs: the
// records Apply replaces are released when it closes.
void spiSettingsRun(HWND owner);
