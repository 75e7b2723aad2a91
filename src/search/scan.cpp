#include "search/scan.h"

#include <stdio.h>
#include <string.h>

#include "app/resstring.h"
#include "app/text.h"
#include "resource.h"
#include "search/condition.h"
#include "search/header.h"
#include "search/rowbatch.h"
#include "search/sortkey.h"
#include "spi/plugins.h"

namespace {

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

// What the walk keeps for one run, beside its request.
struct ScanWalk {
    const ScanRequest* request;
    HWND owner;  // the ticket's window: rows, status texts and plug-in notices go there
    uint32_t fileCount;
    uint32_t byteTotal;  // low 32 bits of each listed size, wrapping
    WorkerPoll poll;
    DWORD batchStarted;
    DWORD flushMs;  // age at which a batch is handed over
    RowBatch* batch;  // heap
    char status[kPathSize];  // the directory the status bar is to show
    bool statusDue;          // status differs from what the bar shows
    DWORD lastStatus;
};

bool excluded(const ScanRequest& r, const char* directory) {
    for (int i = 0; i < r.excludeCount; ++i) {
        if (strFind(directory, r.excludes[i])) return true;
    }
    return false;
}

bool sizeMatches(const ScanWalk& w, uint32_t width, uint32_t height) {
    return conditionAnyMatch(w.request->conditions, w.request->conditionCount, width, height);
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
    SendMessageA(w.owner, WMU_WORKER_STATUS, kStatusWalking, reinterpret_cast<LPARAM>(w.status));
}

// Before every entry: hands waiting rows over once they are flushMs old,
// shows the directory being walked once kStatusMs have passed since the
// last one was shown, and runs the stop test.
bool stopDue(ScanWalk& w) {
    DWORD now = GetTickCount();
    if (w.batch->count && now - w.batchStarted >= w.flushMs) flushRows(w);
    if (w.statusDue && now - w.lastStatus >= kStatusMs) showDirectory(w, now);
    return workerStopAsked(w.request->ticket, w.poll);
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
    bool insert = w.request->listAll != 0;
    char picture[32] = "";
    const char* pictureText = picture;
    const char* handledBy = "";
    HANDLE file = CreateFileA(found.cFileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    PictureSize size = {0, 0};
    if (file == INVALID_HANDLE_VALUE) {
        pictureText = "-Err-";
    } else if (w.request->fastScan) {
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
    if (w.request->excludeCount) {
        pathAddBackslash(directory, sizeof directory);
        strLowerAscii(directory);
        if (excluded(*w.request, directory)) return 1;
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
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && w.request->recurse) {
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
    SendMessageA(w.owner, WMU_WORKER_STATUS, kStatusSummary, reinterpret_cast<LPARAM>(text));
}

}  // namespace

ScanRequest* scanRequestNew(const char* directory, int32_t conditionCount, int32_t excludeCount) {
    ScanRequest* r = static_cast<ScanRequest*>(textAlloc(sizeof(ScanRequest)));
    if (!r) return nullptr;
    *r = {};
    r->directory = strDupExtra(directory, 0);
    r->conditions = static_cast<Condition*>(textAlloc(sizeof(Condition) * (conditionCount > 0 ? conditionCount : 1)));
    r->excludes = static_cast<char(*)[kPathSize]>(textAlloc(kPathSize * (excludeCount > 0 ? excludeCount : 1)));
    if (!r->directory || !r->conditions || !r->excludes) {
        scanRequestFree(r);
        return nullptr;
    }
    return r;
}

void scanRequestExclude(ScanRequest& request, const char* fragment) {
    if (!fragment[0] || !strCopyFit(request.excludes[request.excludeCount], kPathSize, fragment)) return;
    strLowerAscii(request.excludes[request.excludeCount++]);
}

void scanRequestFree(ScanRequest* request) {
    if (!request) return;
    textFree(request->directory);
    textFree(request->conditions);
    textFree(request->excludes);
    textFree(request);
}

void scanRun(const ScanRequest& request) {
    ScanWalk w = {};
    w.request = &request;
    w.owner = request.ticket.report;
    w.poll.lastKeyTest = GetTickCount();
    w.lastStatus = w.poll.lastKeyTest - kStatusMs;  // the first directory shows at once
    w.flushMs = kFlushMs;
    w.batch = static_cast<RowBatch*>(textAlloc(sizeof(RowBatch)));

    char saved[kPathSize];
    DWORD got = GetCurrentDirectoryA(sizeof saved, saved);
    bool restore = got > 0 && got < sizeof saved;
    // The launcher checked the directory; one that vanished since is not walked.
    if (SetCurrentDirectoryA(request.directory) && w.batch) {
        w.batch->used = 1;
        scanDirectory(w);
        flushRows(w, true);
    }
    reportTotals(w);
    if (restore) SetCurrentDirectoryA(saved);
    textFree(w.batch);
}

DWORD WINAPI scanWorker(void* parameter) {
    ScanRequest* request = static_cast<ScanRequest*>(parameter);
    const WorkerTicket ticket = request->ticket;
    scanRun(*request);
    scanRequestFree(request);
    workerDone(ticket);
    return 0;
}
