#include "search/scan.h"

#include <commctrl.h>
#include <stdio.h>
#include <string.h>

#include "app/resstring.h"
#include "app/settings.h"
#include "app/text.h"
#include "resource.h"
#include "search/condition.h"
#include "search/header.h"
#include "spi/plugins.h"
#include "ui/lists.h"
#include "ui/resultlist.h"
#include "ui/results.h"
#include "ui/mainwnd.h"

namespace {

// Under Wine every key-state, foreground or queue query is a round trip to
// the server, as costly as reading a whole file: the stop test runs at most
// this often (ms), which still stops a search at once for the user.
constexpr DWORD kStopPollMs = 20;
// Found rows reach the window this often (ms), so the list visibly grows. A
// hand-over costs the window thread a copy of the batch's texts, nothing per
// row (the list learns its count on a timer of its own). Batches come at
// most every twenty times what the last one took, and at least every
// kFlushMaxMs.
constexpr DWORD kFlushMs = 100;
constexpr DWORD kFlushMaxMs = 1000;
// The status bar shows the directory being walked at most this often (ms):
// each new text repaints it, which costs more than walking a small folder,
// and a name shown for less is not read anyway.
constexpr DWORD kStatusMs = 500;
constexpr int kStatusSimplePart = 255;

// What the walk reads and keeps for one run. The condition and exclude lists
// are read once at the start: their panes are disabled for the whole run.
struct ScanWalk {
    HWND owner;
    HWND statusBar;
    int32_t recurse;
    Condition* conditions;  // heap array
    int conditionCount;
    char (*excludes)[kPathSize];  // heap array, lower-cased, empty rows left out
    int excludeCount;
    bool excludeRows;  // the exclude list has rows: directory texts are lower-cased
    uint32_t fileCount;
    uint32_t byteTotal;  // low 32 bits of each listed size, wrapping
    DWORD lastStopTest;
    DWORD batchStarted;
    DWORD flushMs;  // age at which a batch is handed over
    RowBatch* batch;  // heap
    char status[kPathSize];  // the directory the status bar is to show
    bool statusDue;          // status differs from what the bar shows
    DWORD lastStatus;
};

void readConditions(ScanWalk& w, HWND list) {
    int count = listRowCount(list);
    w.conditions = static_cast<Condition*>(textAlloc(sizeof(Condition) * (count > 0 ? count : 1)));
    for (int row = 0; w.conditions && row < count; ++row) {
        if (const Condition* c = conditionListItem(list, row)) w.conditions[w.conditionCount++] = *c;
    }
}

void readExcludes(ScanWalk& w, HWND list) {
    int count = listRowCount(list);
    w.excludeRows = count > 0;
    w.excludes = static_cast<char(*)[kPathSize]>(textAlloc(kPathSize * (count > 0 ? count : 1)));
    for (int row = 0; w.excludes && row < count; ++row) {
        char* text = w.excludes[w.excludeCount];
        LVITEMA item = {};
        item.pszText = text;
        item.cchTextMax = kPathSize;
        SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
        // An empty fragment occurs in every path and would skip the whole search.
        if (text[0] == '\0') continue;
        strLowerAscii(text);
        ++w.excludeCount;
    }
}

bool excluded(const ScanWalk& w, const char* directory) {
    for (int i = 0; i < w.excludeCount; ++i) {
        if (strFind(directory, w.excludes[i])) return true;
    }
    return false;
}

bool sizeMatches(const ScanWalk& w, uint32_t width, uint32_t height) {
    return conditionAnyMatch(w.conditions, w.conditionCount, width, height);
}

// last: the walk's final hand-over, sent even without rows, after which the
// list shows every row at once.
void flushRows(ScanWalk& w, bool last = false) {
    RowBatch& b = *w.batch;
    if (b.count || last) {
        DWORD start = GetTickCount();
        SendMessageA(w.owner, WMU_SCAN_ROWS, last, reinterpret_cast<LPARAM>(&b));
        DWORD took = GetTickCount() - start;
        w.flushMs = took * 20 < kFlushMs ? kFlushMs : took * 20 > kFlushMaxMs ? kFlushMaxMs : took * 20;
    }
    b.count = 0;
    b.used = 1;  // pool[0] stays the empty text
    b.directory = 0;
}

uint32_t poolAddBytes(RowBatch& b, const void* bytes, size_t length) {
    uint32_t at = b.used;
    memcpy(b.pool + at, bytes, length);
    b.used += static_cast<uint32_t>(length);
    return at;
}

uint32_t poolAdd(RowBatch& b, const char* text) {
    return text[0] ? poolAddBytes(b, text, strlen(text) + 1) : 0;
}

// Texts of one found row; the directory is copied once per batch.
struct RowTexts {
    const char* fileName;
    const char* pictureSize;
    const char* fileSize;
    const char* fullPath;
    const char* handledBy;
};

// The name's sort key is made here, on the worker, so that the window's
// first sort by name does not make one for every row while the user waits.
void addRow(ScanWalk& w, const RowTexts& t) {
    RowBatch* b = w.batch;
    unsigned char key[kSortKeyRoom];
    size_t keyLength = resultSortKey(t.fileName, resultsSortTextLength(t.fileName), key, sizeof key);
    // Counted with the directory, which a flush makes due again.
    size_t need = strlen(t.fileName) + strlen(t.pictureSize) + strlen(t.fileSize) + strlen(t.handledBy) +
                  strlen(t.fullPath) + 5 + keyLength;
    if (b->count == kBatchRows || b->used + need > kBatchPool) flushRows(w);
    if (b->count == 0) w.batchStarted = GetTickCount();
    if (!b->directory) b->directory = poolAdd(*b, t.fullPath);
    FoundRow& row = b->rows[b->count++];
    row.nameKeyLength = static_cast<uint32_t>(keyLength);
    row.nameKey = keyLength ? poolAddBytes(*b, key, keyLength) : 0;
    uint32_t* text = row.text;
    text[kResultColumnFileName] = poolAdd(*b, t.fileName);
    text[kResultColumnPictureSize] = poolAdd(*b, t.pictureSize);
    text[kResultColumnFileSize] = poolAdd(*b, t.fileSize);
    text[kResultColumnFullPath] = b->directory;
    text[kResultColumnHandledBy] = poolAdd(*b, t.handledBy);
}

void showDirectory(ScanWalk& w, DWORD now) {
    w.statusDue = false;
    w.lastStatus = now;
    SendMessageA(w.statusBar, SB_SETTEXTA, kStatusSimplePart | SBT_POPOUT, reinterpret_cast<LPARAM>(w.status));
}

// Before every entry: hands waiting rows over once they are flushMs old,
// shows the directory being walked once kStatusMs have passed since the
// last one was shown, and runs the stop test every kStopPollMs.
bool stopDue(ScanWalk& w) {
    DWORD now = GetTickCount();
    if (w.batch->count && now - w.batchStarted >= w.flushMs) flushRows(w);
    if (w.statusDue && now - w.lastStatus >= kStatusMs) showDirectory(w, now);
    if (now - w.lastStopTest < kStopPollMs) return false;
    w.lastStopTest = now;
    return scanStopRequested(w.owner);
}

void sizeText(char* text, size_t size, uint32_t width, uint32_t height) {
    snprintf(text, size, "%d x %d", static_cast<int32_t>(width), static_cast<int32_t>(height));
}

// The plug-in walk over an already read header: the first enabled plug-in
// whose size matches a condition wins; one that knows the file but reports
// a size matching nothing does not end the walk.
const SusiePlugin* pluginMatch(const ScanWalk& w, const char* name, const unsigned char* header,
                               PictureSize& size) {
    for (SusiePlugin* p = spiList; p; p = p->next) {
        if (p->enabled && spiPictureSize(*p, name, header, size, w.owner) && sizeMatches(w, size.width, size.height))
            return p;
    }
    return nullptr;
}

void scanFile(ScanWalk& w, const WIN32_FIND_DATAA& found, const char* directory) {
    const bool listAll = appSettings.ListupAllFiles != 0;
    bool insert = listAll;
    char picture[32] = "";
    const char* pictureText = picture;
    const char* handledBy = "";
    HANDLE file = CreateFileA(found.cFileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    PictureSize size = {0, 0};
    if (file == INVALID_HANDLE_VALUE) {
        pictureText = "-Err-";
    } else if (appSettings.FastScan) {
        int known = probeHeaderSize(probeFileFromHandle(&file), found.cFileName, w.owner, size);
        CloseHandle(file);
        if (known && sizeMatches(w, size.width, size.height)) {
            insert = true;
            sizeText(picture, sizeof picture, size.width, size.height);
        }
    } else {
        unsigned char header[kSusieHeaderSize];
        spiReadHeader(file, header);
        CloseHandle(file);
        if (const SusiePlugin* p = pluginMatch(w, found.cFileName, header, size)) {
            insert = true;
            sizeText(picture, sizeof picture, size.width, size.height);
            handledBy = p->fileName;
        } else {
            pictureText = "---";
        }
    }
    if (!insert) return;
    char fileSize[16];
    snprintf(fileSize, sizeof fileSize, "%d", static_cast<int32_t>(found.nFileSizeLow));
    addRow(w, RowTexts{found.cFileName, pictureText, fileSize, directory, handledBy});
    ++w.fileCount;
    w.byteTotal += found.nFileSizeLow;
}

bool isDotEntry(const char* name) {
    return strcmp(name, ".") == 0 || strcmp(name, "..") == 0;
}

int scanDirectory(ScanWalk& w);

// A subdirectory that cannot be made current (no access, path too long) is
// skipped: the walk never climbs out of a directory it did not enter.
int scanSubdirectory(ScanWalk& w, const char* name) {
    if (!SetCurrentDirectoryA(name)) return 1;
    int result = scanDirectory(w);
    SetCurrentDirectoryA("..");
    w.batch->directory = 0;  // rows from here on are the parent's again
    return result;
}

// Walks the current directory; 0 when the user stopped the search.
int scanDirectory(ScanWalk& w) {
    char directory[kPathSize];
    DWORD got = GetCurrentDirectoryA(sizeof directory, directory);
    if (got == 0 || got >= sizeof directory) return 1;
    if (w.excludeRows) {
        pathAddBackslash(directory, sizeof directory);
        strLowerAscii(directory);
        if (excluded(w, directory)) return 1;
    }
    w.batch->directory = 0;
    strCopyFit(w.status, sizeof w.status, directory);
    w.statusDue = true;

    WIN32_FIND_DATAA found;
    HANDLE listing = FindFirstFileA("*.*", &found);
    if (listing == INVALID_HANDLE_VALUE) return 1;
    int result = 1;
    do {
        if (stopDue(w)) {
            result = 0;
            break;
        }
        if (isDotEntry(found.cFileName)) continue;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && w.recurse) {
            if (!scanSubdirectory(w, found.cFileName)) {
                result = 0;
                break;
            }
            continue;
        }
        scanFile(w, found, directory);
    } while (FindNextFileA(listing, &found));
    FindClose(listing);
    return result;
}

void reportTotals(const ScanWalk& w) {
    char text[256];
    if (w.fileCount == 0) {
        strCopyFit(text, sizeof text, resString(IDS_NO_MATCH) ? resString(IDS_NO_MATCH) : "");
    } else {
        const char* format = resString(IDS_FOUND_SUMMARY);
        snprintf(text, sizeof text, format ? format : "%u %u", w.fileCount, w.byteTotal);
    }
    SendMessageA(w.statusBar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text));
}

// The walk proper, between the window's set-up and its restoration.
void runWalk(HWND owner, const ScanJob& job) {
    ScanWalk w = {};
    w.owner = owner;
    w.statusBar = mainState(owner)->statusBar;
    w.recurse = job.recurse;
    w.lastStopTest = GetTickCount();
    w.lastStatus = w.lastStopTest - kStatusMs;  // the first directory shows at once
    w.flushMs = kFlushMs;
    readConditions(w, mainConditionList(owner));
    readExcludes(w, mainExcludeList(owner));
    w.batch = static_cast<RowBatch*>(textAlloc(sizeof(RowBatch)));

    char saved[kPathSize];
    DWORD got = GetCurrentDirectoryA(sizeof saved, saved);
    bool restore = got > 0 && got < sizeof saved;
    // scanStart checked the directory; one that vanished since is not walked.
    bool entered = SetCurrentDirectoryA(job.directory) != 0;
    SendMessageA(w.statusBar, SB_SIMPLE, TRUE, 0);
    SendMessageA(owner, WMU_RESULTS_CLEAR, 0, 0);
    if (entered && w.batch && w.conditions && w.excludes) {
        w.batch->used = 1;
        scanDirectory(w);
        flushRows(w, true);
    }
    reportTotals(w);
    SendMessageA(w.statusBar, SB_SIMPLE, FALSE, 0);
    if (restore) SetCurrentDirectoryA(saved);
    textFree(w.batch);
    textFree(w.excludes);
    textFree(w.conditions);
}

void toolbarEnable(HWND toolbar, int command, bool enable) {
    SendMessageA(toolbar, TB_ENABLEBUTTON, command, MAKELPARAM(enable ? TRUE : FALSE, 0));
}

// True when directory can be made current; the current directory is kept.
bool directoryEnterable(const char* directory) {
    char saved[kPathSize];
    DWORD got = GetCurrentDirectoryA(sizeof saved, saved);
    if (got == 0 || got >= sizeof saved) return false;
    bool entered = SetCurrentDirectoryA(directory) != 0;
    SetCurrentDirectoryA(saved);
    return entered;
}

}  // namespace

void scanStart(HWND owner, const char* directory, int recurse) {
    if (listRowCount(mainConditionList(owner)) == 0) {
        resMessageBox(owner, IDS_ADD_CONDITION_FIRST, kCaptionError, MB_OK | MB_ICONERROR);
        return;
    }
    // Walking whatever directory happens to be current instead would be worse.
    if (!directoryEnterable(directory)) {
        resMessageBox(owner, IDS_SEARCH_DIR_FAILED, kCaptionError, MB_OK | MB_ICONERROR);
        return;
    }
    ScanJob* job = static_cast<ScanJob*>(textAlloc(sizeof(ScanJob)));
    if (!job) return;
    job->owner = owner;
    job->directory = directory;
    job->recurse = recurse;
    if (!mainWorkerStart(owner, scanWorker, job)) textFree(job);
}

DWORD WINAPI scanWorker(void* parameter) {
    ScanJob job = *static_cast<ScanJob*>(parameter);
    textFree(parameter);
    HWND owner = job.owner;
    HWND results = mainResultList(owner);
    searchControlsEnable(owner, false);
    EnableWindow(results, FALSE);
    runWalk(owner, job);
    searchControlsEnable(owner, true);
    EnableWindow(results, TRUE);
    mainState(owner)->workerThreadId = 0;
    return 0;
}

bool scanStopRequested(HWND owner) {
    // The foreground is asked only while Escape is down: one round trip less.
    if ((GetAsyncKeyState(VK_ESCAPE) & 0x8000) && GetForegroundWindow() == owner) return true;
    MSG message;
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return message.message == WM_APP;
    return false;
}

void searchControlsEnable(HWND owner, bool enable) {
    HWND conditions = mainConditionToolbar(owner);
    toolbarEnable(conditions, CMD_ADD_CONDITION, enable);
    toolbarEnable(conditions, CMD_DELETE_CONDITIONS, enable);
    toolbarEnable(conditions, CMD_CONDITION_SETS, enable);
    EnableWindow(mainConditionList(owner), enable);
    HWND excludes = mainExcludeToolbar(owner);
    toolbarEnable(excludes, CMD_ADD_EXCLUDE, enable);
    toolbarEnable(excludes, CMD_DELETE_EXCLUDES, enable);
    EnableWindow(mainExcludeList(owner), enable);
    resultToolsEnable(owner, enable);
}

void resultToolsEnable(HWND owner, bool enable) {
    HWND toolbar = mainResultToolbar(owner);
    constexpr int kRunButtons[] = {CMD_FIND, CMD_COPY, CMD_MOVE, CMD_TRASH, CMD_WALLPAPER, CMD_CHECK_STATE,
                                   CMD_SETTINGS};
    for (int command : kRunButtons) toolbarEnable(toolbar, command, enable);
    toolbarEnable(toolbar, CMD_STOP, !enable);
}
