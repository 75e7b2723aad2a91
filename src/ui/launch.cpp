#include "ui/launch.h"

#include <commctrl.h>

#include "app/resstring.h"
#include "app/settings.h"
#include "fileops/fileop.h"
#include "resource.h"
#include "search/scan.h"
#include "spi/plugins.h"
#include "ui/toolist.h"
#include "ui/resultlist.h"

namespace {

constexpr int kStatusSimplePart = 255;

void toolbarEnable(HWND toolbar, int command, bool enable) {
    SendMessageA(toolbar, TB_ENABLEBUTTON, command, MAKELPARAM(enable ? TRUE : FALSE, 0));
}

// The result pane's run buttons to enable, Stop to the opposite.
void resultToolsEnable(MainWindowState& s, bool enable) {
    constexpr int kRunButtons[] = {CMD_FIND, CMD_COPY, CMD_MOVE, CMD_TRASH, CMD_WALLPAPER, CMD_CHECK_STATE,
                                   CMD_SETTINGS};
    for (int command : kRunButtons) toolbarEnable(s.resultToolbar, command, enable);
    toolbarEnable(s.resultToolbar, CMD_STOP, !enable);
}

// What could change a search or start another run: the condition and
// exclude panes too.
void searchControlsEnable(MainWindowState& s, bool enable) {
    toolbarEnable(s.conditionToolbar, CMD_ADD_CONDITION, enable);
    toolbarEnable(s.conditionToolbar, CMD_DELETE_CONDITIONS, enable);
    toolbarEnable(s.conditionToolbar, CMD_CONDITION_SETS, enable);
    EnableWindow(s.conditionList, enable);
    toolbarEnable(s.excludeToolbar, CMD_ADD_EXCLUDE, enable);
    toolbarEnable(s.excludeToolbar, CMD_DELETE_EXCLUDES, enable);
    EnableWindow(s.excludeList, enable);
}

// The window while a worker runs (running) or after: the result list and
// the run buttons, the condition and exclude panes during a search, and the
// status bar's single part that shows a search's directories.
void runningShow(MainWindowState& s, bool running, bool search) {
    if (search) searchControlsEnable(s, !running);
    resultToolsEnable(s, !running);
    EnableWindow(s.resultList, !running);
    SendMessageA(s.statusBar, SB_SIMPLE, running, 0);
}

// Starts proc on request as the window's worker; a request no thread took is freed here.
template <typename Request>
void start(MainWindowState& s, LPTHREAD_START_ROUTINE proc, Request* request, void (*requestFree)(Request*),
           bool search) {
    runningShow(s, true, search);
    if (!workerStart(s.worker, proc, request)) {
        requestFree(request);
        runningShow(s, false, search);
    }
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

// The search's request from the condition and exclude lists as they are now.
ScanRequest* scanRequestOf(MainWindowState& s, const char* directory, int32_t recurse) {
    const int conditions = listRowCount(s.conditionList);
    const int excludes = listRowCount(s.excludeList);
    ScanRequest* r = scanRequestNew(directory, conditions, excludes);
    if (!r) return nullptr;
    r->ticket = workerTicket(s.worker, s.window);
    r->recurse = recurse;
    r->fastScan = appSettings.FastScan;
    r->listAll = appSettings.ListupAllFiles;
    char sizes[kPathSize];
    if (appSettings.RememberSizes && settingsSizesPath(sizes)) r->sizesPath = strDupExtra(sizes, 0);
    if (!r->fastScan) r->pluginSet = spiEnabledSetId(appSettings.SPIDir);
    for (int row = 0; row < conditions; ++row) {
        if (const Condition* c = conditionListItem(s.conditionList, row)) r->conditions[r->conditionCount++] = *c;
    }
    for (int row = 0; row < excludes; ++row) {
        char text[kPathSize] = "";
        LVITEMA item = {};
        item.pszText = text;
        item.cchTextMax = kPathSize;
        SendMessageA(s.excludeList, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
        scanRequestExclude(*r, text);
    }
    return r;
}

// The question before a file action, and its icon.
struct ActionQuestion {
    int text;
    int caption;
    UINT icon;
};

ActionQuestion questionOf(uint32_t operation, int32_t toTrash) {
    if (operation == kFileOpCopy) return {IDS_CONFIRM_COPY, kCaptionConfirm, MB_ICONQUESTION};
    if (operation == kFileOpMove) return {IDS_CONFIRM_MOVE, kCaptionConfirm, MB_ICONQUESTION};
    if (toTrash) return {IDS_CONFIRM_TRASH, kCaptionConfirm, MB_ICONQUESTION};
    return {IDS_CONFIRM_DELETE, kCaptionWarning, MB_ICONEXCLAMATION};
}

}  // namespace

void launchSearch(MainWindowState& s, const char* directory, int32_t recurse) {
    if (listRowCount(s.conditionList) == 0) {
        resMessageBox(s.window, IDS_ADD_CONDITION_FIRST, kCaptionError, MB_OK | MB_ICONERROR);
        return;
    }
    // Walking whatever directory happens to be current instead would be worse.
    if (!directoryEnterable(directory)) {
        resMessageBox(s.window, IDS_SEARCH_DIR_FAILED, kCaptionError, MB_OK | MB_ICONERROR);
        return;
    }
    ScanRequest* request = scanRequestOf(s, directory, recurse);
    if (!request) return;
    resultListClear(*s.results);
    start(s, scanWorker, request, scanRequestFree, true);
}

void launchFileAction(MainWindowState& s, uint32_t operation, char* destination, int32_t toTrash) {
    int count = static_cast<int>(resultsCheckedCount(s.results->store));
    if (count == 0) {
        resMessageBox(s.window, IDS_NO_CHECKED, kCaptionError, MB_OK | MB_ICONERROR);
        return;
    }
    // Copy and move name the destination after the count; the others have no %s.
    const ActionQuestion q = questionOf(operation, toTrash);
    if (resMessageBoxFormat(s.window, q.text, q.caption, MB_YESNO | q.icon, count, destination ? destination : "") !=
        IDYES)
        return;
    if (destination) fileOpDestinationTrim(destination);
    FileOpRequest* request = fileOpRequestNew(operation, destination);
    if (!request) return;
    request->ticket = workerTicket(s.worker, s.window);
    request->toTrash = toTrash;
    request->clashPolicy = appSettings.HowtoWhenAlreadyExist;
    request->uncheckCopied = appSettings.UncheckWhenFOPSuccessful;
    start(s, fileOpWorker, request, fileOpRequestFree, false);
}

void launchStop(MainWindowState& s) {
    if (s.worker.thread) s.worker.cancel = 1;
}

void launchStopAndWait(MainWindowState& s) {
    if (!s.worker.thread) return;
    workerStopAndWait(s.worker);
    // The done message that comes later is stale: the window is restored here.
    runningShow(s, false, true);
}

void launchStatus(MainWindowState& s, WPARAM what, const char* text) {
    if (what == kStatusWalking) {
        SendMessageA(s.statusBar, SB_SETTEXTA, kStatusSimplePart | SBT_POPOUT, reinterpret_cast<LPARAM>(text));
    } else {
        SendMessageA(s.statusBar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    }
}

void launchDone(MainWindowState& s, uint32_t serial) {
    // Both kinds are restored alike: what a file action left disabled is
    // enabled already.
    if (workerFinish(s.worker, serial)) runningShow(s, false, true);
}
