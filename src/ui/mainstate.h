// The main window's record: every window it is built of, the result store
// and list, and the running worker. mainCreate fills it; the window
// procedure hands it to each handler. One per main window, in its window
// slot 0; never released (the process ends after the message loop).
#pragma once

#include "app/platform.h"
#include "app/worker.h"

struct IContextMenu2;
struct ResultList;

struct MainWindowState {
    HWND window;
    HWND rootDivider;
    HWND statusBar;
    HWND conditionList;
    HWND conditionToolbar;
    HWND excludeList;
    HWND excludeToolbar;
    HWND pikture;
    HWND resultToolist;  // keeps the sort state (its sort tag)
    HWND resultToolbar;
    HWND resultList;     // shows results
    ResultList* results;  // the result store and its list
    // The search or file action running; its requests point at worker.cancel.
    Worker worker;
    IContextMenu2* shellMenu;  // while the shell context menu is on screen
};
