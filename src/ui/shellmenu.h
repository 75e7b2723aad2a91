// The shell's own context menu for the focused result file, with the
// forwarding its owner-drawn items and submenus need while it is open.
#pragma once

#include "app/platform.h"
#include "ui/mainstate.h"

#include <shlobj.h>

// The item identifier list of path relative to folder (task memory, the
// caller frees it with CoTaskMemFree), or none when the folder cannot parse it.
LPITEMIDLIST shellParsePath(HWND owner, IShellFolder* folder, const char* path);

// WM_CONTEXTMENU at point (the message's lParam): shows the menu of the
// focused result row while the result list has the keyboard focus, and
// carries out the chosen command.
void shellContextMenu(MainWindowState& s, LPARAM point);

// Hands a menu message to the open shell menu; true when one is open.
bool shellMenuForward(MainWindowState& s, UINT message, WPARAM wParam, LPARAM lParam);
