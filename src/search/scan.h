// The search: a worker thread walks a directory tree, learns every file's
// picture size (fast header reader or the enabled plug-ins) and hands the
// matching rows to the window thread, which appends them to the result list.
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

// Result-list columns.
constexpr int kResultColumnFileName = 0;
constexpr int kResultColumnPictureSize = 1;
constexpr int kResultColumnFileSize = 2;
constexpr int kResultColumnFullPath = 3;
constexpr int kResultColumnHandledBy = 4;

// Rows found by the worker and not yet in the list. Texts live in pool; a
// row names them by offset. Filled on the worker thread, read by
// scanInsertRows on the window thread while the worker waits.
constexpr uint32_t kBatchRows = 4096;
constexpr uint32_t kBatchPool = 1024 * 1024;
struct FoundRow {
    uint32_t fileName, pictureSize, fileSize, fullPath, handledBy;
};
struct RowBatch {
    uint32_t count;
    uint32_t used;        // bytes of pool in use; offset 0 is the empty text
    uint32_t directory;   // offset of the current directory's text, 0 when not copied yet
    FoundRow rows[kBatchRows];
    char pool[kBatchPool];
};

// Starts a search of directory (and its subdirectories when recurse) for
// owner, the main window. Refuses with a message, starting nothing, when the
// condition list is empty or the directory cannot be made current.
void scanStart(HWND owner, const char* directory, int recurse);

// The thread procedure; takes ownership of the ScanJob. Returns 0.
DWORD WINAPI scanWorker(void* job);

// Appends the batch's rows to the result list in order, each with the row
// count at its insertion as item data, with the list's redrawing held back
// meanwhile. Runs on the window thread (message WMU_SCAN_ROWS).
void scanInsertRows(HWND list, const RowBatch& batch);

// True when the user asked the running search to stop: Escape held while
// owner is the foreground window, or WM_APP waiting in this thread's queue
// (other messages found there are dropped).
bool scanStopRequested(HWND owner);

// Enables or disables what could change a search or start another run: the
// condition and exclude panes, and the result tools (resultToolsEnable).
void searchControlsEnable(HWND owner, bool enable);
// The result pane's run buttons to enable, Stop find to the opposite.
void resultToolsEnable(HWND owner, bool enable);
