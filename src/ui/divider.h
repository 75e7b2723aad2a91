// The divider: a child window that splits its client area between two panes,
// side by side or stacked, with a 4-pixel bar the user drags.
#pragma once

#include <stdint.h>

#include "app/platform.h"
#include "resource.h"

extern const char kDividerClass[];  // "qlx_dividerWnd"

// The pane message (WMU_DIVIDER_PANE): operation in the high word of wParam, pane
// index in the low word. 0x00000 / 0x00001 set pane 0 / 1 to lParam and lay
// out (answer lParam); 0x10000 / 0x10001 answer pane 0 / 1.
constexpr WPARAM kDividerSetPane0 = 0x00000;
constexpr WPARAM kDividerSetPane1 = 0x00001;
constexpr WPARAM kDividerGetPane0 = 0x10000;
constexpr WPARAM kDividerGetPane1 = 0x10001;

struct DividerState {
    int32_t orientation;  // 0: pane 0 left of pane 1; 1: pane 0 above pane 1
    HWND panes[2];
    int32_t position;     // pane 0's width or height, in pixels
    int32_t grabOffset;   // from the bar's leading edge to where a drag began
};

// Registers the class; 1 on success. dividerTerm has nothing to undo.
int dividerInit();
void dividerTerm();

// Creates a visible divider child of parent; orientation 0 or 1.
HWND dividerCreate(HWND parent, int orientation);

// One pane of a divider, or none.
HWND dividerPane(HWND divider, int index);
