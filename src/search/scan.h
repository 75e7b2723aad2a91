// The search: a worker thread walks a directory tree, learns every file's
// picture size (fast header reader or the enabled plug-ins) and hands the
// matching rows to the window thread, which appends them to the result store.
#pragma once

#include <stdint.h>

#include "app/platform.h"

// Handed by scanStart to the worker, which frees it first. directory is not
// copied: it must stay valid until the worker has ended.
struct ScanJob {
    HWND owner;
    const char* directory;
    int32_t recurse;
};

// Starts a search of directory (and its subdirectories when recurse) for
// owner, the main window. Refuses with a message, starting nothing, when the
// condition list is empty or the directory cannot be made current.
void scanStart(HWND owner, const char* directory, int recurse);

// The thread procedure; takes ownership of the ScanJob. Returns 0.
DWORD WINAPI scanWorker(void* job);

// True when the user asked the running search to stop: Escape held while
// owner is the foreground window, or WM_APP waiting in this thread's queue
// (other messages found there are dropped).
bool scanStopRequested(HWND owner);

// Enables or disables what could change a search or start another run: the
// condition and exclude panes, and the result tools (resultToolsEnable).
void searchControlsEnable(HWND owner, bool enable);
// The result pane's run buttons to enable, Stop find to the opposite.
void resultToolsEnable(HWND owner, bool enable);
