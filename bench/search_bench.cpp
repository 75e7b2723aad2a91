// The search's speed against a bare Win32 walk of the same tree, in one run:
// the bare walk lists, opens, reads a header and closes every file; the
// search runs in the real main window, rows and all. Median of 3 rounds,
// after a warm-up walk. Usage: search_bench TREE PLUGIN_DIR [bare|fast|plugin]
// With a mode, one timed round of that alone (for tracing server requests).
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
#include "app/startup.h"
#include "search/condition.h"
#include "search/scan.h"
#include "spi/plugins.h"
#include "ui/divider.h"
#include "ui/launch.h"
#include "ui/lists.h"
#include "ui/mainwnd.h"
#include "ui/pikture.h"
#include "ui/toolist.h"

namespace {

// Walks the current directory the way the search does; returns files met.
unsigned bareWalk() {
    unsigned files = 0;
    WIN32_FIND_DATAA found;
    HANDLE listing = FindFirstFileA("*.*", &found);
    if (listing == INVALID_HANDLE_VALUE) return 0;
    do {
        if (!strcmp(found.cFileName, ".") || !strcmp(found.cFileName, "..")) continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (SetCurrentDirectoryA(found.cFileName)) {
                files += bareWalk();
                SetCurrentDirectoryA("..");
            }
            continue;
        }
        HANDLE file = CreateFileA(found.cFileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
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

double timeBareWalk(const char* tree, unsigned& files) {
    char saved[MAX_PATH];
    GetCurrentDirectoryA(sizeof saved, saved);
    SetCurrentDirectoryA(tree);
    double start = seconds();
    files = bareWalk();
    double took = seconds() - start;
    SetCurrentDirectoryA(saved);
    return took;
}

double timeSearch(HWND window, const char* tree, int& rows) {
    double start = seconds();
    MainWindowState* s = mainState(window);
    launchSearch(*s, tree, 1);
    // Like the program's own loop, the window thread sleeps until a message
    // comes (the worker's done message last) instead of polling.
    while (s->worker.thread) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, INFINITE, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    double took = seconds() - start;
    rows = static_cast<int>(SendMessageA(s->resultList, LVM_GETITEMCOUNT, 0, 0));
    return took;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
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
    if (!spiLoadAll(argv[2])) fprintf(stderr, "search_bench: no plug-in in %s\n", argv[2]);

    unsigned files = 0;
    timeBareWalk(tree, files);  // warms the cache
    if (argc > 3) {
        int rows = 0;
        double took = 0;
        if (!strcmp(argv[3], "bare")) {
            took = timeBareWalk(tree, files);
        } else {
            appSettings.FastScan = strcmp(argv[3], "fast") == 0;
            took = timeSearch(window, tree, rows);
        }
        PROCESS_MEMORY_COUNTERS memory = {};
        memory.cb = sizeof memory;
        GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
        printf("%s: %u files, %d rows, %.0f files/s, peak working set %.1f MB\n", argv[3], files, rows,
               files / took, memory.PeakWorkingSetSize / 1048576.0);
        fflush(stdout);
        ExitProcess(0);
    }
    std::vector<double> bare, fast, plugin;
    int fastRows = 0, pluginRows = 0;
    for (int round = 0; round < 3; ++round) {
        bare.push_back(timeBareWalk(tree, files));
        appSettings.FastScan = 1;
        fast.push_back(timeSearch(window, tree, fastRows));
        appSettings.FastScan = 0;
        plugin.push_back(timeSearch(window, tree, pluginRows));
    }
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
    fflush(stdout);
    ExitProcess(0);
}
