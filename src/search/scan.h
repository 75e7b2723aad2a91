// The search: a worker thread walks a directory tree, learns every file's
// picture size (fast header reader or the enabled plug-ins) and hands the
// matching rows to the window that asked, in batches. It reads nothing but
// its request.
#pragma once

#include <stdint.h>

#include "app/platform.h"
#include "app/text.h"
#include "app/worker.h"
#include "search/condition.h"

// What one search does, built on the window thread. The heap arrays and
// the directory belong to the request; scanRequestFree frees them all.
struct ScanRequest {
    WorkerTicket ticket;
    char* directory;
    int32_t recurse;
    Condition* conditions;
    int32_t conditionCount;
    // Path fragments that skip a directory: lower-cased, no empty one (an
    // empty fragment occurs in every path and would skip the whole search).
    char (*excludes)[kPathSize];
    int32_t excludeCount;
    int32_t fastScan;  // the built-in header reader instead of the plug-ins
    int32_t listAll;   // every file, with or without a known size
    // The remembered sizes' file (a heap text; none: nothing is remembered),
    // and the id of the enabled plug-ins' set, which reads sizes unless fastScan.
    char* sizesPath;
    uint64_t pluginSet;
};

// A request for directory with room for conditionCount conditions and
// excludeCount fragments (both counts start at 0), or none when the heap
// refuses.
ScanRequest* scanRequestNew(const char* directory, int32_t conditionCount, int32_t excludeCount);
// Adds fragment (lower-cased; an empty one is left out).
void scanRequestExclude(ScanRequest& request, const char* fragment);
void scanRequestFree(ScanRequest* request);

// What a search tells its window (WMU_WORKER_STATUS's wParam; lParam the text):
constexpr WPARAM kStatusWalking = 0;  // the directory being walked
constexpr WPARAM kStatusSummary = 1;  // what was found, once the walk has ended

// The thread procedure; takes ownership of the ScanRequest. Sends the rows
// (WMU_SCAN_ROWS, the last with wParam 1) and the status texts to the
// ticket's window, posts WMU_WORKER_DONE last. Returns 0.
DWORD WINAPI scanWorker(void* request);

// The walk itself, on the calling thread, with the messages scanWorker
// sends but the done message. The current directory is the same after.
void scanRun(const ScanRequest& request);
