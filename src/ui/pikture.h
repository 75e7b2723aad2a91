// The pikture: the preview pane. Shows one picture file decoded through the
// plug-ins, fitted to the window or at actual size, panned by mouse or keys.
#pragma once

#include <stdint.h>

#include "app/platform.h"
#include "resource.h"

extern const char kPiktureClass[];  // "qlx_pikturewnd"

// The picture message (WMU_PIKTURE_SHOW): lParam is a full path to show, or 0 to
// clear the pane; answers 0. wParam is unused.
struct PiktureState {
    HBITMAP bitmap;  // owned; none when nothing is shown
    int32_t fitMode;  // 1: fitted to the window; 0: actual size
    char* path;       // owned heap copy of the shown file's path
    int32_t scrollX, scrollY;  // picture pixel drawn at the top-left in actual size
    int32_t dragX, dragY;      // last cursor position (screen) while panning
};

// Registers the class; nonzero on success. piktureTerm has nothing to undo.
int piktureInit();
void piktureTerm();

// Creates a visible preview child of parent.
HWND piktureCreate(HWND parent);
