// The search's speed against a bare Win32 walk of the same tree, in one run:
// the bare walk lists, opens, reads a header and closes every file; the
// search runs in the real main window, rows and all. Each mode's first
// search starts with no remembered sizes; its repeated search has them. The
// floor is a walk that only lists. Median of 3 rounds, after a warm-up walk.
// Usage: search_bench TREE PLUGIN_DIR [bare|fast|plugin|memory]
// With a mode, one timed round of that alone (for tracing server requests);
// memory: a first and a repeated fast search with their committed memory.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <psapi.h>

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include "app/settings.h"
#include "clock.h"
#include "hosted.h"
#include "app/startup.h"
#include "search/condition.h"
#include "search/scan.h"
#include "spi/plugins.h"
#include "spi/route.h"
#include "ui/divider.h"
#include "ui/launch.h"
#include "ui/lists.h"
#include "ui/mainwnd.h"
#include "ui/pikture.h"
#include "ui/toolist.h"

namespace {

// Walks the current directory the way the search does; returns files met.
// open: each file is opened and its head read, as a search without
// remembered sizes does.
unsigned bareWalk(bool open = true) {
    unsigned files = 0;
    WIN32_FIND_DATAA found;
    HANDLE listing = FindFirstFileA("*.*", &found);
    if (listing == INVALID_HANDLE_VALUE) return 0;
    do {
        if (!strcmp(found.cFileName, ".") || !strcmp(found.cFileName, "..")) continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (SetCurrentDirectoryA(found.cFileName)) {
                files += bareWalk(open);
                SetCurrentDirectoryA("..");
            }
            continue;
        }
        HANDLE file = open ? CreateFileA(found.cFileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr)
                           : INVALID_HANDLE_VALUE;
        if (file != INVALID_HANDLE_VALUE) {
            char header[64];
            DWORD got = 0;
            ReadFile(file, header, sizeof header, &got, nullptr);
            CloseHandle(file);
        }
        ++files;
    } while (FindNextFileA(listing, &found));
    FindClose(listing);
    return files;
}

double timeBareWalk(const char* tree, unsigned& files, bool open = true) {
    char saved[MAX_PATH];
    GetCurrentDirectoryA(sizeof saved, saved);
    SetCurrentDirectoryA(tree);
    double start = seconds();
    files = bareWalk(open);
    double took = seconds() - start;
    SetCurrentDirectoryA(saved);
    return took;
}

// peak, when given, gets the highest committed private memory seen while the
// search ran (sampled every 20 ms on the window thread) and mapped the highest
// mapped views.
double timeSearch(HWND window, const char* tree, int& rows, double* peak = nullptr, double* mapped = nullptr) {
    double start = seconds();
    MainWindowState* s = mainState(window);
    launchSearch(*s, tree, 1);
    // Like the program's own loop, the window thread sleeps until a message
    // comes (the worker's done message last) instead of polling.
    while (s->worker.thread) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, peak ? 20 : INFINITE, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        if (peak) *peak = std::max(*peak, committedMb());
        if (mapped) *mapped = std::max(*mapped, committedMb(MEM_MAPPED));
    }
    double took = seconds() - start;
    rows = static_cast<int>(SendMessageA(s->resultList, LVM_GETITEMCOUNT, 0, 0));
    return took;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: search_bench TREE PLUGIN_DIR\n");
        return 2;
    }
    const char* tree = argv[1];
    InitCommonControls();
    CoInitialize(nullptr);
    if (!dividerInit() || !toolistInit() || !piktureInit()) return 1;
    HWND window = mainWindowCreate();
    if (!window) return 1;
    ShowWindow(window, SW_SHOW);
    conditionRowAdd(mainState(window)->conditionList, Condition{1920, 1080, 0});
    // The plug-ins run in their host, as in the program.
    if (!benchLoadHosted(argv[2], 10000)) fprintf(stderr, "search_bench: no plug-in in %s\n", argv[2]);

    unsigned files = 0;
    if (argc > 3) {
        // Listing alone warms what it can: the opens of one round are its own.
        timeBareWalk(tree, files, false);
        appSettings.RememberSizes = 1;
        int rows = 0;
        double took = 0;
        if (!strcmp(argv[3], "memory")) {
            // A first search and a repeated one, fast mode, from no store.
            char sizes[MAX_PATH];
            settingsSizesPath(sizes);
            DeleteFileA(sizes);
            appSettings.FastScan = 1;
            double first = 0, again = 0, mappedFirst = 0, mappedAgain = 0;
            double tookFirst = timeSearch(window, tree, rows, &first, &mappedFirst);
            took = timeSearch(window, tree, rows, &again, &mappedAgain);
            printf("memory: %u files, %d rows; committed private memory at its peak: first search %.1f MB (%.1f s), "
                   "repeated search %.1f MB (%.1f s); mapped views at their peak %.1f MB, %.1f MB\n",
                   files, rows, first, tookFirst, again, took, mappedFirst, mappedAgain);
        } else if (!strcmp(argv[3], "bare")) {
            took = timeBareWalk(tree, files);
        } else {
            appSettings.FastScan = strcmp(argv[3], "fast") == 0;
            took = timeSearch(window, tree, rows);
        }
        PROCESS_MEMORY_COUNTERS memory = {};
        memory.cb = sizeof memory;
        GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
        printf("%s: %u files, %d rows, %.3f s, %.0f files/s, peak working set %.1f MB\n", argv[3], files, rows, took,
               files / took, memory.PeakWorkingSetSize / 1048576.0);
        fflush(stdout);
        spiHostsEnd();
        ExitProcess(0);
    }
    char sizes[MAX_PATH];
    settingsSizesPath(sizes);
    appSettings.RememberSizes = 1;
    timeBareWalk(tree, files);  // warms the cache
    std::vector<double> bare, listing, fast, plugin, fastAgain, pluginAgain;
    int fastRows = 0, pluginRows = 0, againRows = 0;
    for (int round = 0; round < 3; ++round) {
        bare.push_back(timeBareWalk(tree, files));
        listing.push_back(timeBareWalk(tree, files, false));
        appSettings.FastScan = 1;
        DeleteFileA(sizes);
        fast.push_back(timeSearch(window, tree, fastRows));
        fastAgain.push_back(timeSearch(window, tree, againRows));
        appSettings.FastScan = 0;
        DeleteFileA(sizes);
        plugin.push_back(timeSearch(window, tree, pluginRows));
        pluginAgain.push_back(timeSearch(window, tree, againRows));
    }
    WIN32_FILE_ATTRIBUTE_DATA store = {};
    GetFileAttributesExA(sizes, GetFileExInfoStandard, &store);
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    double bareRate = files / median(bare);
    double fastRate = files / median(fast);
    double pluginRate = files / median(plugin);
    printf("rows: fast %d, plug-in %d; peak working set %.1f MB\n", fastRows, pluginRows,
           memory.PeakWorkingSetSize / 1048576.0);
    printf("plug-in mode: trawlix %.0f files/s, ratio %.2f\n", pluginRate, pluginRate / bareRate);
    printf("search: %u files, trawlix %.0f files/s, bare walk %.0f files/s, ratio %.2f\n", files, fastRate,
           bareRate, fastRate / bareRate);
    printf("remembered sizes: %.1f MB for %u files (%.1f MB per 100,000)\n", store.nFileSizeLow / 1048576.0, files,
           store.nFileSizeLow / 1048576.0 * 100000 / files);
    printf("repeated search: fast ratio %.2f, plug-in ratio %.2f; listing-only walk ratio %.2f\n",
           median(bare) / median(fastAgain), median(bare) / median(pluginAgain), median(bare) / median(listing));
    fflush(stdout);
    spiHostsEnd();
    ExitProcess(0);
}
