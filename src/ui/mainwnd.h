// The main window: builds the pane tree (three dividers holding three
// toolists and the preview) and the status bar into its record, lays them
// out, gives the toolbar tooltips, routes every message to its handler and
// closes.
#pragma once

#include "app/platform.h"
#include "ui/mainstate.h"

extern const char kMainClass[];  // "trawlixMainWnd"

LRESULT CALLBACK mainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The record of a main window, for start-up and for tests that look inside;
// none before its creation.
MainWindowState* mainState(HWND window);

// Asks a running worker to stop and waits until it has ended, so nothing it
// uses is freed under it. Returns at once when none runs.
void mainWorkerStopAndWait(HWND window);
