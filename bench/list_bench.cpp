// The result list's actions at collection scale, in the real main window:
// for each row count given, the rows are handed over in the search's batches,
// then each action is timed from its message until the list has painted
// again (a move's removals: the window's time in the worker's requests); and
// the committed private memory (the address space walked with
// VirtualQuery) once the rows are in. The baseline, measured in the same run,
// is handing the rows over. Usage: list_bench ROWS...
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <memory>

#include "app/startup.h"
#include "clock.h"
#include "app/text.h"
#include "resource.h"
#include "ui/divider.h"
#include "ui/mainwnd.h"
#include "ui/pikture.h"
#include "ui/resultlist.h"
#include "ui/toolist.h"

namespace {

void pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

uint32_t poolAdd(RowBatch& batch, const char* text) {
    uint32_t at = batch.used;
    size_t length = strlen(text) + 1;
    memcpy(batch.pool + at, text, length);
    batch.used += static_cast<uint32_t>(length);
    return at;
}

// rows rows like a search's: names in no order, a folder per 500 rows. Only
// the hand-overs are timed, not the making of the batches.
double fill(HWND window, uint32_t rows) {
    std::unique_ptr<RowBatch> batch(new RowBatch());
    double took = 0;
    for (uint32_t first = 0; first < rows; first += kBatchRows) {
        batch->count = 0;
        batch->used = 1;
        uint32_t folder = 0;
        for (uint32_t i = first; i < rows && i < first + kBatchRows; ++i) {
            char text[64];
            if (i % 500 == 0 || !folder) {
                snprintf(text, sizeof text, "C:\\pictures\\set %05u", i / 500);
                folder = poolAdd(*batch, text);
            }
            FoundRow& found = batch->rows[batch->count++];
            uint32_t* row = found.text;
            snprintf(text, sizeof text, "IMG_%08u.jpg", (i * 2654435761u) % 100000000u);
            // The name's sort key, made as the search worker makes it.
            unsigned char key[kSortKeyRoom];
            size_t keyLength = resultSortKey(text, resultsSortTextLength(text), key, sizeof key);
            found.nameKey = batch->used;
            found.nameKeyLength = static_cast<uint32_t>(keyLength);
            memcpy(batch->pool + batch->used, key, keyLength);
            batch->used += static_cast<uint32_t>(keyLength);
            row[kResultColumnFileName] = poolAdd(*batch, text);
            row[kResultColumnPictureSize] = poolAdd(*batch, "1920 x 1080");
            snprintf(text, sizeof text, "%u", 100000 + (i * 40503u) % 9000000u);
            row[kResultColumnFileSize] = poolAdd(*batch, text);
            row[kResultColumnFullPath] = folder;
            row[kResultColumnHandledBy] = 0;
        }
        double start = seconds();
        const bool last = first + kBatchRows >= rows;  // the list then learns its count at once
        SendMessageA(window, WMU_SCAN_ROWS, last, reinterpret_cast<LPARAM>(batch.get()));
        took += seconds() - start;
    }
    pump();
    return took;
}

// How long the window is busy with message and the repaint it causes.
double timeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    double start = seconds();
    SendMessageA(window, message, wParam, lParam);
    if (IsWindow(window)) UpdateWindow(window);
    pump();
    return seconds() - start;
}

// What a Find does to the list before it starts its worker, timed until painted.
template <typename Call>
double timeCall(HWND window, Call call) {
    double start = seconds();
    call();
    UpdateWindow(window);
    pump();
    return seconds() - start;
}

double timeSort(HWND window, int column) {
    NMLISTVIEW click = {};
    click.hdr.hwndFrom = mainState(window)->resultList;
    click.hdr.code = LVN_COLUMNCLICK;
    click.iItem = -1;
    click.iSubItem = column;
    return timeMessage(window, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
}

// A move's worker as it asks the window: every checked row, each settled
// as removed.
DWORD WINAPI removeAll(void* parameter) {
    HWND window = static_cast<HWND>(parameter);
    ResultRequest request = {};
    request.settled = -1;
    for (uint32_t from = 0;;) {
        int row = static_cast<int>(SendMessageA(window, WMU_RESULTS_NEXT, from, reinterpret_cast<LPARAM>(&request)));
        if (row < 0) break;
        request.settled = row;
        request.how = kSettleRemove;
        from = static_cast<uint32_t>(row) + 1;
    }
    SendMessageA(window, WMU_RESULTS_COMPACT, UINT32_MAX, 0);
    return 0;
}

// The window's time in the worker's requests, summed: between them it is
// free, and the worker's round trips are not the window's work.
WNDPROC mainProc;
double busy, longest;

LRESULT CALLBACK timedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message < WMU_RESULTS_NEXT || message > WMU_RESULTS_COMPACT)
        return CallWindowProcA(mainProc, window, message, wParam, lParam);
    double start = seconds();
    LRESULT answer = CallWindowProcA(mainProc, window, message, wParam, lParam);
    double took = seconds() - start;
    busy += took;
    if (took > longest) longest = took;
    return answer;
}

double timeRemoveAll(HWND window, double& wall) {
    busy = longest = 0;
    mainProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(timedProc)));
    double start = seconds();
    HANDLE worker = CreateThread(nullptr, 0, removeAll, window, 0, nullptr);
    while (MsgWaitForMultipleObjects(1, &worker, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) pump();
    CloseHandle(worker);
    double paint = seconds();
    UpdateWindow(window);
    pump();
    busy += seconds() - paint;
    wall = seconds() - start;
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(mainProc));
    return busy;
}

void report(const char* what, double took, double target, double baseline) {
    printf("  %-34s %8.3f s  (target %.1f s: %s; ratio to hand-over %.2f)\n", what, took, target,
           took <= target ? "met" : "MISSED", took / baseline);
}

void bench(uint32_t rows) {
    HWND window = mainWindowCreate();
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    pump();
    double before = committedMb();
    double handOver = fill(window, rows);
    double after = committedMb();
    double target = rows <= 100000 ? 0.1 : 1.0;
    double memoryTarget = rows <= 100000 ? 40 : 150;
    printf("%u rows: hand-over %.3f s in all; committed private memory %.1f MB (%.1f MB before the rows; "
           "target %.0f MB: %s)\n",
           rows, handOver, after, before, memoryTarget, after <= memoryTarget ? "met" : "MISSED");
    report("second Find empties the list", timeCall(window, [&] { resultListClear(*mainState(window)->results); }),
           target, handOver);
    fill(window, rows);
    report("sort by name", timeSort(window, 0), target, handOver);
    report("sort by name, descending", timeSort(window, 0), target, handOver);
    report("sort by size", timeSort(window, 2), target, handOver);
    report("check all (none checked)", timeMessage(window, WM_COMMAND, CMD_CHECK_STATE, 0), target, handOver);
    double wall = 0;
    report("remove all rows as a move does", timeRemoveAll(window, wall), target, handOver);
    printf("  %-34s longest request %.1f ms; %.1f s in all with the worker's round trips\n", "", longest * 1000,
           wall);
    fill(window, rows);
    report("close", timeMessage(window, WM_CLOSE, 0, 0), target, handOver);
    MSG quit;
    PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    UnregisterClassA(kMainClass, GetModuleHandleA(nullptr));  // made anew by the next window
    fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    InitCommonControls();
    CoInitialize(nullptr);
    if (!dividerInit() || !toolistInit() || !piktureInit()) return 1;
    for (int i = 1; i < argc; ++i) bench(static_cast<uint32_t>(strtoul(argv[i], nullptr, 10)));
    ExitProcess(0);
}
