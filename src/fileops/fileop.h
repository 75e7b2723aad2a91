// Copying, moving, trashing and deleting the checked rows of the result list
// on a worker thread, with rename, overwrite or skip on a name clash. The
// worker reads only its request and asks the window for each row.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "app/platform.h"
#include "app/text.h"
#include "app/worker.h"

// Operations, numbered as the shell numbers them.
constexpr uint32_t kFileOpMove = 1;
constexpr uint32_t kFileOpCopy = 2;
constexpr uint32_t kFileOpDelete = 3;

// Name-clash policies (the setting HowtoWhenAlreadyExist); any other value
// lets the shell ask the user.
constexpr int32_t kClashRename = 0;
constexpr int32_t kClashOverwrite = 1;
constexpr int32_t kClashSkip = 2;

// What one file action does, built on the window thread; the worker frees
// it (fileOpRequestFree) with the destination it owns.
struct FileOpRequest {
    WorkerTicket ticket;
    char* destination;    // copy and move: a heap copy; none for delete
    int32_t toTrash;      // delete: 1 to the recycle bin, 0 outright
    uint32_t operation;   // kFileOpMove, kFileOpCopy or kFileOpDelete
    int32_t clashPolicy;  // kClashRename, kClashOverwrite, kClashSkip or another: the shell asks
    int32_t uncheckCopied;  // a copied row is unchecked
};

// A request for operation with a copy of destination (none: delete), or
// none when the heap refuses.
FileOpRequest* fileOpRequestNew(uint32_t operation, const char* destination);
void fileOpRequestFree(FileOpRequest* request);

// How a file action settles a row.
constexpr uint32_t kSettleUncheck = 0;
constexpr uint32_t kSettleRemove = 1;

// What the worker hands WMU_RESULTS_NEXT: the row it has just settled (-1:
// none) and how, and room for the next checked row's path (empty when the
// path does not fit); one round trip a row. The answer is that row, or -1.
struct ResultRequest {
    int32_t settled;
    uint32_t how;
    char path[kPathSize + 1];  // the path and the second NUL of the shell's list
};

// What a file action tells its window (WMU_WORKER_STATUS's wParam; lParam the text):
constexpr WPARAM kStatusStopped = 2;  // the user stopped it; rows not reached stay checked

// The thread procedure; takes ownership of the FileOpRequest. Works through
// the checked rows the window hands out (WMU_RESULTS_NEXT), between rows
// stopping when asked; posts WMU_WORKER_DONE last. Returns 0.
DWORD WINAPI fileOpWorker(void* request);

// Drops one trailing backslash from destination in place, except the one of
// a root ("D:\\", "\\"): without it "D:" would name that drive's current
// directory instead.
void fileOpDestinationTrim(char* destination);

// Turns target (a path in a buffer of size bytes) into the first name that
// does not exist, numbering the file name before its extension: sunset.jpg
// becomes sunset(1).jpg, then sunset(2).jpg; a name without an extension is
// numbered at its end. Only the file-name part is ever changed. Returns 1, or
// 0 (target unchanged) when no free name fits the buffer.
int fileOpFreeName(char* target, size_t size);
