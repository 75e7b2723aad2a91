// Copying, moving, trashing and deleting the checked rows of the result list
// on a worker thread, with rename, overwrite or skip on a name clash.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "app/platform.h"

// Operations, numbered as the shell numbers them.
constexpr uint32_t kFileOpMove = 1;
constexpr uint32_t kFileOpCopy = 2;
constexpr uint32_t kFileOpDelete = 3;

// Name-clash policies (the setting HowtoWhenAlreadyExist); any other value
// lets the shell ask the user.
constexpr int32_t kClashRename = 0;
constexpr int32_t kClashOverwrite = 1;
constexpr int32_t kClashSkip = 2;

// Handed by a launcher to the worker, which frees it first. destination is
// not copied: it must stay valid until the worker has ended, and the worker
// drops one trailing backslash from it in place (a drive root keeps its own).
struct FileOpJob {
    HWND owner;
    char* destination;  // copy and move; none for delete
    int32_t toTrash;    // delete: 1 to the recycle bin, 0 outright
    uint32_t operation; // kFileOpMove, kFileOpCopy or kFileOpDelete
};

// The launchers: count the checked rows of owner's result list (none: says
// so), ask for confirmation and, on Yes, start the worker. destination as in
// FileOpJob.
void fileOpCopy(HWND owner, char* destination);
void fileOpMove(HWND owner, char* destination);
void fileOpRemove(HWND owner, int toTrash);

// The thread procedure; takes ownership of the FileOpJob. Returns 0.
DWORD WINAPI fileOpWorker(void* job);

// Turns target (a path in a buffer of size bytes) into the first name that
// does not exist, numbering the file name before its extension: sunset.jpg
// becomes sunset(1).jpg, then sunset(2).jpg; a name without an extension is
// numbered at its end. Only the file-name part is ever changed. Returns 1, or
// 0 (target unchanged) when no free name fits the buffer.
int fileOpFreeName(char* target, size_t size);
