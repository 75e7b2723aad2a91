#include "search/scan.h"

#include <stdio.h>
#include <string.h>

#include "app/resstring.h"
#include "app/text.h"
#include "resource.h"
#include "search/condition.h"
#include "search/header.h"
#include "search/rowbatch.h"
#include "search/sizestore.h"
#include "search/sortkey.h"
#include "spi/plugins.h"
#include "spi/route.h"

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
// The remembered sizes keep at most this many files, the directories
// searched longest ago leaving first.
constexpr uint64_t kSizeEntryLimit = 4000000;
// A plug-in is remembered by its place among the enabled ones, in a byte.
constexpr uint32_t kMaxRememberedPlugins = 255;
// A store file larger than this is not read (the 32-bit address space).
constexpr uint64_t kSizeStoreMaxBytes = 1ull << 30;
// A folder's files wait for their rows in groups of at most this many, so
// the plug-ins are asked about a group at once (a host answers it in one
// round trip) and the rows still come in listing order.
constexpr uint32_t kPendingFiles = 256;

struct PendingFiles;

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
    // The remembered sizes, while remember holds: what the readers made of
    // each file is looked up before it is opened, and kept for next time.
    SizeStore store;
    bool remember;
    uint64_t reader;  // who reads sizes in this walk (kSizeReaderFast, or the plug-in set's id)
    // The plug-ins enabled at the start, in asking order.
    SusiePlugin* plugins[kMaxRememberedPlugins];
    uint32_t pluginCount;
    PendingFiles* pending;  // heap
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

// What the readers made of one file, and what of it is to be remembered.
struct FileResult {
    bool opened;  // false: the file could not be opened ("-Err-"), and is not remembered
    bool matched;  // its size matches a condition
    PictureSize size;
    const SusiePlugin* by;  // plug-in mode: the one whose size matched
    SizeFacts facts;
    bool rememberable;
};

// Opens a file met for its head; r.opened says whether it could be.
HANDLE openPicture(const char* name, FileResult& r) {
    HANDLE file = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    r.opened = file != INVALID_HANDLE_VALUE;
    return file;
}

void readFast(ScanWalk& w, const char* name, FileResult& r) {
    HANDLE file = openPicture(name, r);
    if (file == INVALID_HANDLE_VALUE) return;
    const bool known = probeHeaderSize(probeFileFromHandle(&file), name, w.owner, r.size) != 0;
    CloseHandle(file);
    r.matched = known && sizeMatches(w, r.size.width, r.size.height);
    r.facts = SizeFacts{known ? r.size.width : 0, known ? r.size.height : 0, known, 0xFF, 0};
    r.rememberable = true;
}

// Whether a plug-in of the walk's set was turned off since it started (a
// fault): what the set reads then is not what it read.
bool pluginSetChanged(const ScanWalk& w) {
    for (uint32_t i = 0; i < w.pluginCount; ++i)
        if (!w.plugins[i]->enabled) return true;
    return false;
}

// What the plug-ins made of a file: the first enabled plug-in whose size
// matches a condition wins; one that knows the file but reports a size
// matching nothing does not end the asking. What they said is remembered
// when at most one of them knew the file.
void takeAnswer(const ScanWalk& w, const SpiSizeAnswer& a, FileResult& r) {
    r.opened = a.opened != 0;
    const bool knew = a.knew != 0;
    r.facts = SizeFacts{knew ? a.firstWidth : 0, knew ? a.firstHeight : 0, knew, knew ? a.firstKnew : kSpiNone,
                        a.asked};
    r.matched = a.matchedBy != kSpiNone && a.matchedBy < w.pluginCount;
    if (r.matched) {
        r.size = PictureSize{a.width, a.height};
        r.by = w.plugins[a.matchedBy];
    }
    r.rememberable = a.knew <= 1 && !a.unsure && !pluginSetChanged(w);
}

// The outcome from what was remembered, when that decides it: the same
// answers the readers gave then, under today's conditions.
bool replay(const ScanWalk& w, const SizeFacts& f, FileResult& r) {
    r.opened = true;
    r.facts = f;
    r.rememberable = true;
    if (w.request->fastScan) {
        r.size = PictureSize{f.width, f.height};
        r.matched = f.known && sizeMatches(w, f.width, f.height);
        return true;
    }
    if (pluginSetChanged(w)) return false;
    const bool complete = f.asked == w.pluginCount;  // every plug-in was asked
    if (!f.known) return complete;
    if (f.plugin >= f.asked || f.asked > w.pluginCount) return false;
    if (sizeMatches(w, f.width, f.height)) {
        r.matched = true;
        r.size = PictureSize{f.width, f.height};
        r.by = w.plugins[f.plugin];
        return true;
    }
    // The plug-ins after the one that knew it were not all asked: they must be now.
    return complete;
}

uint64_t fileTime(const FILETIME& t) {
    return static_cast<uint64_t>(t.dwHighDateTime) << 32 | t.dwLowDateTime;
}

// A file met in the listing, waiting for its row.
struct PendingFile {
    char name[kPathSize];
    uint64_t bytes, written;
    DWORD sizeLow;
    bool settled;  // result holds what the readers made of it
    FileResult result;
};

struct PendingFiles {
    uint32_t count;
    PendingFile files[kPendingFiles];
    // The names of the files still to settle, and what the plug-ins said.
    const char* names[kPendingFiles];
    SpiSizeAnswer answers[kPendingFiles];
};

// The row of a settled file, remembered first where that holds.
void emitFile(ScanWalk& w, const PendingFile& f, const char* directory, SizeDir& dir) {
    const FileResult& r = f.result;
    if (w.remember && r.opened && r.rememberable) sizeDirRemember(dir, f.name, f.bytes, f.written, w.reader, r.facts);

    if (!r.matched && !w.request->listAll) return;
    char picture[32] = "";
    const char* pictureText = picture;
    if (!r.opened) {
        pictureText = "-Err-";
    } else if (r.matched) {
        sizeText(picture, sizeof picture, r.size.width, r.size.height);
    } else if (!w.request->fastScan) {
        pictureText = "---";
    }
    char fileSize[16];
    snprintf(fileSize, sizeof fileSize, "%d", static_cast<int32_t>(f.sizeLow));
    addRow(w, RowTexts{f.name, pictureText, fileSize, directory, r.by ? r.by->fileName : ""});
    ++w.fileCount;
    w.byteTotal += f.sizeLow;
}

bool stopAsked(void* walk) {
    return stopDue(*static_cast<ScanWalk*>(walk));
}

// Asks the plug-ins about the waiting files not yet settled (here: the
// current directory's full name), then hands every file's row over in
// listing order. asking false: the user stopped, and the waiting files go
// unlisted. Returns false when the user stopped meanwhile.
bool settlePending(ScanWalk& w, const char* here, const char* directory, SizeDir& dir, bool asking) {
    PendingFiles& p = *w.pending;
    if (!asking) {
        p.count = 0;
        return true;
    }
    uint32_t waiting = 0;
    for (uint32_t i = 0; i < p.count; ++i)
        if (!p.files[i].settled) p.names[waiting++] = p.files[i].name;
    uint32_t answered = 0;
    if (waiting)
        answered = spiSizes(w.plugins, w.pluginCount, here, p.names, waiting, w.request->conditions,
                            w.request->conditionCount, p.answers, w.owner, stopAsked, &w);
    uint32_t next = 0;
    bool going = answered == waiting;
    for (uint32_t i = 0; i < p.count && going; ++i) {
        PendingFile& f = p.files[i];
        if (!f.settled) takeAnswer(w, p.answers[next++], f.result);
        emitFile(w, f, directory, dir);
        // A hand-over of rows the window took as the moment to stop.
        going = !*w.request->ticket.cancel;
    }
    p.count = 0;
    return going;
}

// Settles the file at once where the remembered sizes or the fast reader
// can; the plug-ins are asked later, for a group.
bool queueFile(ScanWalk& w, const WIN32_FIND_DATAA& found, const char* here, const char* directory, SizeDir& dir) {
    PendingFile& f = w.pending->files[w.pending->count++];
    strCopyFit(f.name, sizeof f.name, found.cFileName);
    f.bytes = static_cast<uint64_t>(found.nFileSizeHigh) << 32 | found.nFileSizeLow;
    f.written = fileTime(found.ftLastWriteTime);
    f.sizeLow = found.nFileSizeLow;
    f.result = {};
    SizeFacts facts;
    f.settled = w.remember && sizeDirFind(dir, f.name, f.bytes, f.written, w.reader, facts) && replay(w, facts, f.result);
    if (!f.settled) {
        f.result = {};
        if (w.request->fastScan) {
            readFast(w, f.name, f.result);
            f.settled = true;
        }
    }
    if (w.pending->count < kPendingFiles) return true;
    return settlePending(w, here, directory, dir, true);
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
    SizeDir dir = {};
    if (w.remember) sizeDirOpen(w.store, dir, directory);  // by its own name, before any lower-casing
    char here[kPathSize];  // the same, for a plug-in host
    strCopyFit(here, sizeof here, directory);
    int result = 1;
    bool walked = false;
    if (w.request->excludeCount) {
        pathAddBackslash(directory, sizeof directory);
        strLowerAscii(directory);
    }
    if (!w.request->excludeCount || !excluded(*w.request, directory)) {
        w.batch->directory = 0;
        strCopyFit(w.status, sizeof w.status, directory);
        w.statusDue = true;
        WIN32_FIND_DATAA found;
        HANDLE listing = FindFirstFileA("*.*", &found);
        if (listing != INVALID_HANDLE_VALUE) {
            do {
                if (stopDue(w)) {
                    result = 0;
                    break;
                }
                if (isDotEntry(found.cFileName)) continue;
                if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && w.request->recurse) {
                    // The files met so far get their rows before the subdirectory's.
                    if (!settlePending(w, here, directory, dir, true) || !scanSubdirectory(w, found.cFileName)) {
                        result = 0;
                        break;
                    }
                    continue;
                }
                if (!queueFile(w, found, here, directory, dir)) {
                    result = 0;
                    break;
                }
            } while (FindNextFileA(listing, &found));
            walked = result && GetLastError() == ERROR_NO_MORE_FILES;
            FindClose(listing);
            if (!settlePending(w, here, directory, dir, result != 0)) {
                result = 0;
                walked = false;
            }
        }
    }
    // Only a directory listed to its end replaces what was remembered of it.
    if (w.remember) sizeDirClose(w.store, dir, walked);
    return result;
}

// The files behind the remembered sizes: the last store, mapped for
// reading, and the new one, written under a name of its own beside it and
// put in place with one replace, so that a crash or a second program never
// leaves a torn store (the last to finish wins).
struct StoreFiles {
    HANDLE old, mapping, fresh;
    const unsigned char* view;
    char freshPath[kPathSize];
};

bool writeAt(void* context, uint64_t offset, const void* bytes, size_t length) {
    HANDLE file = static_cast<StoreFiles*>(context)->fresh;
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    DWORD wrote = 0;
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) &&
           WriteFile(file, bytes, static_cast<DWORD>(length), &wrote, nullptr) && wrote == length;
}

// Opens the store at path for store; false when neither the last store can
// be read nor a new one written (a read-only folder with no store).
bool storeFilesOpen(StoreFiles& f, const char* path, SizeStore& store) {
    f.old = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
    LARGE_INTEGER length = {};
    if (f.old != INVALID_HANDLE_VALUE && GetFileSizeEx(f.old, &length) && length.QuadPart > 0 &&
        static_cast<uint64_t>(length.QuadPart) <= kSizeStoreMaxBytes) {
        f.mapping = CreateFileMappingA(f.old, nullptr, PAGE_READONLY, 0, 0, nullptr);
        if (f.mapping) f.view = static_cast<const unsigned char*>(MapViewOfFile(f.mapping, FILE_MAP_READ, 0, 0, 0));
    }
    f.fresh = INVALID_HANDLE_VALUE;
    char suffix[32];
    snprintf(suffix, sizeof suffix, ".%lu.new", static_cast<unsigned long>(GetCurrentProcessId()));
    if (strCopyFit(f.freshPath, sizeof f.freshPath, path) && strAppendFit(f.freshPath, sizeof f.freshPath, suffix))
        f.fresh = CreateFileA(f.freshPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const SizeSink sink = {f.fresh != INVALID_HANDLE_VALUE ? writeAt : nullptr, &f};
    sizeStoreOpen(store, f.view, f.view ? static_cast<uint64_t>(length.QuadPart) : 0, sink, fileTime(now),
                  kSizeEntryLimit);
    return f.view || f.fresh != INVALID_HANDLE_VALUE;
}

// Closes both files; the new store replaces the last one when it was written whole.
void storeFilesClose(StoreFiles& f, const char* path, bool written) {
    if (f.view) UnmapViewOfFile(f.view);
    if (f.mapping) CloseHandle(f.mapping);
    if (f.old != INVALID_HANDLE_VALUE) CloseHandle(f.old);
    if (f.fresh == INVALID_HANDLE_VALUE) return;
    CloseHandle(f.fresh);
    if (!written || !MoveFileExA(f.freshPath, path, MOVEFILE_REPLACE_EXISTING)) DeleteFileA(f.freshPath);
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
    textFree(request->sizesPath);
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
    w.pending = static_cast<PendingFiles*>(textAlloc(sizeof(PendingFiles)));
    for (SusiePlugin* p = spiList; p && w.pluginCount < kMaxRememberedPlugins; p = p->next) {
        if (p->enabled) w.plugins[w.pluginCount++] = p;
    }
    w.reader = request.fastScan ? kSizeReaderFast : request.pluginSet;
    StoreFiles files = {};
    // Every enabled plug-in has a place a byte can name, or none is remembered.
    const bool stored = request.sizesPath && (request.fastScan || w.pluginCount < kMaxRememberedPlugins);
    w.remember = stored && storeFilesOpen(files, request.sizesPath, w.store);

    char saved[kPathSize];
    DWORD got = GetCurrentDirectoryA(sizeof saved, saved);
    bool restore = got > 0 && got < sizeof saved;
    // The launcher checked the directory; one that vanished since is not walked.
    if (SetCurrentDirectoryA(request.directory) && w.batch && w.pending) {
        w.batch->used = 1;
        scanDirectory(w);
        flushRows(w, true);
    }
    reportTotals(w);
    if (restore) SetCurrentDirectoryA(saved);
    if (stored) storeFilesClose(files, request.sizesPath, w.remember && sizeStoreFinish(w.store));
    textFree(w.pending);
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
