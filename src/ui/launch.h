// Starting the main window's workers and following them: a search or a file
// action gets a request built here from the window's state, the controls
// that could change it are disabled, and they come back when the worker
// reports done. Stop and Escape ask the worker through its cancel flag.
#pragma once

#include <stdint.h>

#include "app/platform.h"
#include "ui/mainstate.h"

// A search of directory (and its subdirectories when recurse). Refuses with
// a message, starting nothing, when the condition list is empty or the
// directory cannot be made current.
void launchSearch(MainWindowState& s, const char* directory, int32_t recurse);

// A copy or move of the checked rows to destination, or (destination none)
// their trip to the recycle bin (toTrash) or deletion: counts the checked
// rows (none: says so), asks, and on Yes drops destination's trailing
// backslash in place (a recent entry is remembered so) and starts the worker.
void launchFileAction(MainWindowState& s, uint32_t operation, char* destination, int32_t toTrash);

// Stop: asks the running worker to end at its next safe point.
void launchStop(MainWindowState& s);
// Asks the running worker to stop and waits until it has ended.
void launchStopAndWait(MainWindowState& s);

// A worker's status text (WMU_WORKER_STATUS).
void launchStatus(MainWindowState& s, WPARAM what, const char* text);
// A worker's last message (WMU_WORKER_DONE): the window is whole again.
void launchDone(MainWindowState& s, uint32_t serial);
