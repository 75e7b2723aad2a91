#include "fileops/fileop.h"

#include <commctrl.h>
#include <shellapi.h>
#include <stdio.h>
#include <string.h>

#include "app/resstring.h"
#include "app/text.h"
#include "resource.h"

namespace {

// A numbered name is looked for this far; a folder holding every one of them
// fails the row rather than keeping the worker busy for hours.
constexpr unsigned kMaxNameNumber = 99999;

// The questions after a failed row name the system call that failed; they
// are not translated.
const char kTransferFailed[] = "SHFileOperation(FO_COPY/FO_MOVE) Failed!!\ncontinue?";
const char kTrashFailed[] = "SHFileOperation(FO_DELETE) Failed!!\nContinue?";
const char kDeleteFailed[] = "DeleteFile Failed!!\nContinue?";

enum class Outcome { done, skipped, failed };

bool pathExists(const char* path) {
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

// Makes destination current, creating it with all its parents when the user
// agrees. False ends the run before any file is touched.
bool destinationEnter(const char* destination) {
    if (SetCurrentDirectoryA(destination)) return true;
    if (resMessageBox(nullptr, IDS_CREATE_DESTINATION, kCaptionConfirm, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return false;
    if (pathMakeDirs(destination) && SetCurrentDirectoryA(destination)) return true;
    resMessageBox(nullptr, IDS_DESTINATION_FAILED, kCaptionError, MB_OK | MB_ICONERROR);
    return false;
}

// Runs one shell operation on from (double-NUL-terminated) to to. A run the
// user cancelled in one of the shell's own dialogs has not done its work.
bool shellOperation(HWND owner, UINT function, const char* from, const char* to, FILEOP_FLAGS flags) {
    char target[kPathSize + 1] = {};  // the shell reads a list: a second NUL ends it
    if (to && !strCopyFit(target, kPathSize, to)) return false;
    SHFILEOPSTRUCTA operation = {};
    operation.hwnd = owner;
    operation.wFunc = function;
    operation.pFrom = from;
    operation.pTo = to ? target : nullptr;
    operation.fFlags = flags;
    return SHFileOperationA(&operation) == 0 && !operation.fAnyOperationsAborted;
}

// The files this run placed at the destination, so that a later source of
// the same name is never taken for a clash to overwrite or skip.
struct Placed {
    char** paths;  // heap texts, owned
    size_t count, capacity;
};

void placedAdd(Placed& placed, const char* path) {
    if (placed.count == placed.capacity) {
        size_t capacity = placed.capacity ? placed.capacity * 2 : 16;
        char** grown = static_cast<char**>(textAlloc(capacity * sizeof(char*)));
        if (!grown) return;
        if (placed.count) memcpy(grown, placed.paths, placed.count * sizeof(char*));
        textFree(placed.paths);
        placed.paths = grown;
        placed.capacity = capacity;
    }
    if (char* copy = strDupExtra(path, 0)) placed.paths[placed.count++] = copy;
}

bool placedHas(const Placed& placed, const char* path) {
    for (size_t i = 0; i < placed.count; ++i)
        if (lstrcmpiA(placed.paths[i], path) == 0) return true;
    return false;
}

void placedFree(Placed& placed) {
    for (size_t i = 0; i < placed.count; ++i) textFree(placed.paths[i]);
    textFree(placed.paths);
    placed = {};
}

// The size of the file at path; false when there is no file.
bool fileSize(const char* path, uint64_t& size) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data) || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    size = static_cast<uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
    return true;
}

// A free name beside path (in its folder) ending in suffix, into out (kPathSize bytes).
bool siblingName(char* out, const char* path, const char* suffix) {
    if (!strCopyFit(out, kPathSize, path) || !strAppendFit(out, kPathSize, suffix)) return false;
    return !pathExists(out) || fileOpFreeName(out, kPathSize);
}

// A second name for source in its own folder, kept until the operation's
// outcome is known: a hard link, so nothing is copied, and a file the shell
// lost (deleted outright, moved and truncated) can be put back.
// A file another program holds open without letting it go fails here, as
// it would in the shell: its kept name could not be dropped either.
bool keepMake(const char* source, char* keep) {
    HANDLE file = CreateFileA(source, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return siblingName(keep, source, ".trawlix-keep") && CreateHardLinkA(keep, source, nullptr);
}

// Puts source back from its kept name when it is gone, else drops the kept name.
void keepRestore(const char* keep, const char* source) {
    if (pathExists(source) || !MoveFileA(keep, source)) DeleteFileA(keep);
}

// Copies or moves source into the destination directory under the clash
// policy, and checks the outcome itself: the shell may report success for a
// file that a full or read-only disk cut short or never took.
Outcome transferRow(const FileOpRequest& job, const char* source, Placed& placed) {
    char target[kPathSize];
    if (!strCopyFit(target, sizeof target, job.destination)) return Outcome::failed;
    pathAddBackslash(target, sizeof target);
    size_t used = strlen(target);
    if (used == 0 || target[used - 1] != '\\' || !strAppendFit(target, sizeof target, pathFileName(source)))
        return Outcome::failed;  // the whole target would not fit a path
    uint64_t size = 0;
    if (!fileSize(source, size)) return Outcome::failed;
    const char* to = job.destination;
    char fresh[kPathSize];  // overwrite: the new file lands here, and replaces the old one once whole
    bool replace = false;
    FILEOP_FLAGS flags = FOF_ALLOWUNDO;
    if (pathExists(target)) {
        // A file this run placed is no clash: a second source of its name is numbered.
        switch (placedHas(placed, target) ? kClashRename : job.clashPolicy) {
        case kClashRename:
            if (!fileOpFreeName(target, sizeof target)) return Outcome::failed;
            to = target;
            break;
        case kClashOverwrite:
            // The file is already where it is to go; overwriting it with
            // itself could only lose it.
            if (lstrcmpiA(source, target) == 0) return Outcome::skipped;
            if (!siblingName(fresh, target, ".trawlix-new")) return Outcome::failed;
            to = fresh;
            replace = true;
            break;
        case kClashSkip:
            return Outcome::skipped;
        }
    }
    const char* written = to == job.destination ? target : to;
    bool existed = pathExists(written);  // the shell's own clash question
    char keep[kPathSize];
    bool kept = job.operation == kFileOpMove && keepMake(source, keep);
    uint64_t got = 0;
    bool whole = shellOperation(job.ticket.report, job.operation, source, to, flags) && fileSize(written, got) &&
                 got == size && (job.operation != kFileOpMove || !pathExists(source));
    if (whole && replace) {
        whole = MoveFileExA(fresh, target, MOVEFILE_REPLACE_EXISTING) != 0;
        if (whole) written = target;
    }
    if (!whole) {
        // What this run wrote goes, unless it is the only copy left.
        if (!existed && (kept || pathExists(source))) DeleteFileA(written);
        if (kept) keepRestore(keep, source);
        return Outcome::failed;
    }
    if (kept) DeleteFileA(keep);
    placedAdd(placed, target);
    return Outcome::done;
}

// The item count and size of the recycle bin of the drive holding the file
// at path, as the shell reports them.
bool binQuery(const char* path, SHQUERYRBINFO& info) {
    char folder[kPathSize];
    if (!strCopyFit(folder, sizeof folder, path)) return false;
    *pathFileName(folder) = '\0';
    info = {};
    info.cbSize = sizeof info;
    return SUCCEEDED(SHQueryRecycleBinA(folder, &info));
}

// Sends source to the recycle bin and nowhere else. The shell deletes
// outright what its bin cannot take (no bin on the drive, a bin it cannot
// make, a full disk); a file the bin did not take whole is put back and its
// row fails.
Outcome trashRow(const FileOpRequest& job, const char* source) {
    uint64_t size = 0;
    char keep[kPathSize];
    SHQUERYRBINFO before, after;
    if (!fileSize(source, size) || !binQuery(source, before) || !keepMake(source, keep)) return Outcome::failed;
    bool binned = shellOperation(job.ticket.report, FO_DELETE, source, nullptr, FOF_ALLOWUNDO | FOF_NOCONFIRMATION) &&
                  !pathExists(source) && binQuery(source, after) && after.i64NumItems > before.i64NumItems &&
                  after.i64Size >= before.i64Size + static_cast<int64_t>(size);
    if (!binned) {
        keepRestore(keep, source);
        return Outcome::failed;
    }
    DeleteFileA(keep);
    return Outcome::done;
}

Outcome removeRow(const FileOpRequest& job, const char* source) {
    if (job.toTrash) return trashRow(job, source);
    return DeleteFileA(source) ? Outcome::done : Outcome::failed;
}

// Works through the checked rows from the top, asking the window for each
// (the result store is the window thread's); a row whose file left the
// list's folder leaves the list. Between rows it stops when asked: the row
// just handed out is left as it is. Returns false when stopped.
bool processRows(const FileOpRequest& job) {
    const HWND owner = job.ticket.report;
    const char* failed = job.operation != kFileOpDelete ? kTransferFailed : job.toTrash ? kTrashFailed : kDeleteFailed;
    Placed placed = {};
    WorkerPoll poll = {GetTickCount()};
    ResultRequest request = {};
    request.settled = -1;
    bool stopped = false;
    for (uint32_t from = 0;;) {
        int row = static_cast<int>(SendMessageA(owner, WMU_RESULTS_NEXT, from, reinterpret_cast<LPARAM>(&request)));
        request.settled = -1;
        if (row < 0) break;
        // Asked after the request, which settled the row before.
        if (workerStopAsked(job.ticket, poll)) {
            stopped = true;
            break;
        }
        from = static_cast<uint32_t>(row) + 1;
        char* source = request.path;
        source[strlen(source) + 1] = '\0';  // the shell's list ends in a second NUL
        // A path that does not fit comes empty: that row's failure; nothing
        // else is tried in its place.
        Outcome outcome = Outcome::failed;
        if (source[0])
            outcome = job.operation == kFileOpDelete ? removeRow(job, source) : transferRow(job, source, placed);
        if (outcome == Outcome::skipped) continue;
        if (outcome == Outcome::failed) {
            // The rows already done leave before the question: the list
            // shows what is left. The rows before from are fewer then.
            from -= static_cast<uint32_t>(SendMessageA(owner, WMU_RESULTS_COMPACT, from, 0));
            if (resMessageBoxText(owner, failed, kCaptionError, MB_YESNO | MB_ICONERROR) != IDYES) break;
            continue;
        }
        // Settled with the next request.
        if (job.operation != kFileOpCopy || job.uncheckCopied) {
            request.settled = row;
            request.how = job.operation != kFileOpCopy ? kSettleRemove : kSettleUncheck;
        }
    }
    SendMessageA(owner, WMU_RESULTS_COMPACT, UINT32_MAX, 0);
    placedFree(placed);
    return !stopped;
}

}  // namespace

FileOpRequest* fileOpRequestNew(uint32_t operation, const char* destination) {
    FileOpRequest* r = static_cast<FileOpRequest*>(textAlloc(sizeof(FileOpRequest)));
    if (!r) return nullptr;
    *r = {};
    r->operation = operation;
    if (destination && !(r->destination = strDupExtra(destination, 0))) {
        textFree(r);
        return nullptr;
    }
    return r;
}

void fileOpRequestFree(FileOpRequest* request) {
    if (!request) return;
    textFree(request->destination);
    textFree(request);
}

DWORD WINAPI fileOpWorker(void* parameter) {
    FileOpRequest* job = static_cast<FileOpRequest*>(parameter);
    char saved[kPathSize];
    DWORD got = GetCurrentDirectoryA(sizeof saved, saved);
    bool restore = got > 0 && got < sizeof saved;
    if ((!job->destination || destinationEnter(job->destination)) && !processRows(*job)) {
        const char* text = resString(IDS_ACTION_STOPPED);
        SendMessageA(job->ticket.report, WMU_WORKER_STATUS, kStatusStopped, reinterpret_cast<LPARAM>(text ? text : ""));
    }
    if (restore) SetCurrentDirectoryA(saved);
    const WorkerTicket ticket = job->ticket;
    fileOpRequestFree(job);
    workerDone(ticket);
    return 0;
}

void fileOpDestinationTrim(char* destination) {
    size_t length = strlen(destination);
    if (!pathStripBackslash(destination)) return;
    size_t left = length - 1;
    if (left == 0 || (left == 2 && destination[1] == ':')) destination[left] = '\\';
}

int fileOpFreeName(char* target, size_t size) {
    char* name = pathFileName(target);
    char* dot = strLastChar(name, '.');
    // A leading dot starts a name (".profile"), not an extension.
    char* at = dot && dot != name ? dot : name + strlen(name);
    size_t head = static_cast<size_t>(at - target);
    char* trial = static_cast<char*>(textAlloc(size));
    if (!trial) return 0;
    memcpy(trial, target, head);
    int found = 0;
    for (unsigned n = 1; n <= kMaxNameNumber && !found; ++n) {
        int written = snprintf(trial + head, size - head, "(%u)%s", n, at);
        if (written < 0 || static_cast<size_t>(written) >= size - head) break;  // grows no shorter
        found = !pathExists(trial);
    }
    if (found) memcpy(target, trial, strlen(trial) + 1);
    textFree(trial);
    return found;
}
