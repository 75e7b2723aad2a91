// Subclass procedures the program's windows and dialogs share. Sending a
// window WMU_SUBCLASS_INSTALL through a procedure (a direct call) installs
// that procedure, the one it replaces kept in the window's user-data slot.
#pragma once

#include "app/platform.h"

// Sends Return and Tab to the parent instead of the window.
LRESULT CALLBACK toolistKeyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Sends dropped files to the parent.
LRESULT CALLBACK dropForwardProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
