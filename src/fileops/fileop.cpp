#include "fileops/fileop.h"

#include <commctrl.h>
#include <shellapi.h>
#include <stdio.h>
#include <string.h>

#include "app/resstring.h"
#include "app/settings.h"
#include "app/text.h"
#include "resource.h"
#include "search/scan.h"
#include "ui/lists.h"
#include "ui/mainwnd.h"

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

int checkedRowCount(HWND list) {
    int checked = 0;
    for (int row = 0, count = listRowCount(list); row < count; ++row) {
        if (listCheckImage(list, row) != kCheckImageUnchecked) ++checked;
    }
    return checked;
}

// Counts, confirms and starts the worker; see fileOpCopy.
void launch(HWND owner, const FileOpJob& job, int textId, int captionId, UINT icon) {
    int count = checkedRowCount(mainResultList(owner));
    if (count == 0) {
        resMessageBox(owner, IDS_NO_CHECKED, kCaptionError, MB_OK | MB_ICONERROR);
        return;
    }
    // Copy and move name the destination after the count; the others have no %s.
    int answer = resMessageBoxFormat(owner, textId, captionId, MB_YESNO | icon, count,
                                     job.destination ? job.destination : "");
    if (answer != IDYES) return;
    FileOpJob* copy = static_cast<FileOpJob*>(textAlloc(sizeof(FileOpJob)));
    if (!copy) return;
    *copy = job;
    if (!mainWorkerStart(owner, fileOpWorker, copy)) textFree(copy);
}

// Drops one trailing backslash, except the one of a root ("D:\", "\"):
// without it "D:" would name that drive's current directory instead.
void destinationTrim(char* destination) {
    size_t length = strlen(destination);
    if (!pathStripBackslash(destination)) return;
    size_t left = length - 1;
    if (left == 0 || (left == 2 && destination[1] == ':')) destination[left] = '\\';
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

// Copies or moves source into the destination directory under the clash policy.
Outcome transferRow(const FileOpJob& job, const char* source) {
    char target[kPathSize];
    if (!strCopyFit(target, sizeof target, job.destination)) return Outcome::failed;
    pathAddBackslash(target, sizeof target);
    size_t used = strlen(target);
    if (used == 0 || target[used - 1] != '\\' || !strAppendFit(target, sizeof target, pathFileName(source)))
        return Outcome::failed;  // the whole target would not fit a path
    const char* to = job.destination;
    FILEOP_FLAGS flags = FOF_ALLOWUNDO;
    if (pathExists(target)) {
        switch (appSettings.HowtoWhenAlreadyExist) {
        case kClashRename:
            if (!fileOpFreeName(target, sizeof target)) return Outcome::failed;
            to = target;
            break;
        case kClashOverwrite:
            // The file is already where it is to go; overwriting it with
            // itself could only lose it.
            if (lstrcmpiA(source, target) == 0) return Outcome::skipped;
            flags |= FOF_NOCONFIRMATION;
            break;
        case kClashSkip:
            return Outcome::skipped;
        }
    }
    return shellOperation(job.owner, job.operation, source, to, flags) ? Outcome::done : Outcome::failed;
}

Outcome removeRow(const FileOpJob& job, const char* source) {
    if (job.toTrash)
        return shellOperation(job.owner, FO_DELETE, source, nullptr, FOF_ALLOWUNDO | FOF_NOCONFIRMATION)
                   ? Outcome::done
                   : Outcome::failed;
    return DeleteFileA(source) ? Outcome::done : Outcome::failed;
}

// Works through the checked rows from the top; a row whose file left the
// list's folder is deleted from it.
void processRows(const FileOpJob& job, HWND list) {
    const char* failed = job.operation != kFileOpDelete ? kTransferFailed : job.toTrash ? kTrashFailed : kDeleteFailed;
    int count = listRowCount(list);
    for (int row = 0; row < count; ++row) {
        if (listCheckImage(list, row) == kCheckImageUnchecked) continue;
        char source[kPathSize + 1] = {};  // the path and the second NUL of the shell's list
        Outcome outcome = Outcome::failed;
        // A path that does not fit is that row's failure; nothing else is
        // tried in its place.
        if (resultRowPath(job.owner, row, source))
            outcome = job.operation == kFileOpDelete ? removeRow(job, source) : transferRow(job, source);
        if (outcome == Outcome::skipped) continue;
        if (outcome == Outcome::failed) {
            if (resMessageBoxText(job.owner, failed, kCaptionError, MB_YESNO | MB_ICONERROR) != IDYES) break;
            continue;
        }
        if (job.operation == kFileOpCopy) {
            if (appSettings.UncheckWhenFOPSuccessful) listSetCheckImage(list, row, kCheckImageUnchecked);
            continue;
        }
        SendMessageA(list, LVM_DELETEITEM, row, 0);
        --row;  // the next row moved up into this place
        --count;
    }
}

}  // namespace

void fileOpCopy(HWND owner, char* destination) {
    launch(owner, {owner, destination, 0, kFileOpCopy}, IDS_CONFIRM_COPY, kCaptionConfirm, MB_ICONQUESTION);
}

void fileOpMove(HWND owner, char* destination) {
    launch(owner, {owner, destination, 0, kFileOpMove}, IDS_CONFIRM_MOVE, kCaptionConfirm, MB_ICONQUESTION);
}

void fileOpRemove(HWND owner, int toTrash) {
    if (toTrash) {
        launch(owner, {owner, nullptr, 1, kFileOpDelete}, IDS_CONFIRM_TRASH, kCaptionConfirm, MB_ICONQUESTION);
    } else {
        launch(owner, {owner, nullptr, 0, kFileOpDelete}, IDS_CONFIRM_DELETE, kCaptionWarning, MB_ICONEXCLAMATION);
    }
}

DWORD WINAPI fileOpWorker(void* parameter) {
    FileOpJob job = *static_cast<FileOpJob*>(parameter);
    textFree(parameter);
    HWND owner = job.owner;
    HWND list = mainResultList(owner);
    HWND status = mainState(owner)->statusBar;
    resultToolsEnable(owner, false);
    EnableWindow(list, FALSE);

    char saved[kPathSize];
    DWORD got = GetCurrentDirectoryA(sizeof saved, saved);
    bool restore = got > 0 && got < sizeof saved;
    if (job.destination) destinationTrim(job.destination);
    if (!job.destination || destinationEnter(job.destination)) {
        SendMessageA(status, SB_SIMPLE, TRUE, 0);
        processRows(job, list);
    }
    SendMessageA(status, SB_SIMPLE, FALSE, 0);
    if (restore) SetCurrentDirectoryA(saved);
    resultToolsEnable(owner, true);
    EnableWindow(list, TRUE);
    mainState(owner)->workerThreadId = 0;
    return 0;
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
