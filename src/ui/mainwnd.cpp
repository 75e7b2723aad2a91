#include "ui/mainwnd.h"

#include <commctrl.h>

#include "app/resstring.h"
#include "app/text.h"
#include "resource.h"
#include "search/condition.h"
#include "ui/commands.h"
#include "ui/divider.h"
#include "ui/lists.h"
#include "ui/pikture.h"
#include "ui/resultlist.h"
#include "ui/shellmenu.h"
#include "ui/toolist.h"
#include "ui/windowslot.h"

const char kMainClass[] = "trawlixMainWnd";

namespace {

struct ButtonSpec {
    int image;
    int command;  // 0 for a separator
    bool enabled;
    bool dropDown;
};

constexpr int kStopImageShifted = 10;

// The result pane's toolbar; the Stop image is swapped when Shift is held at start.
constexpr ButtonSpec kResultButtons[] = {
    {3, CMD_FIND, true, true},       {4, CMD_STOP, false, false},       {0, 0, false, false},
    {7, CMD_CHECK_STATE, true, true}, {0, 0, false, false},             {5, CMD_COPY, true, true},
    {6, CMD_MOVE, true, true},       {12, CMD_TRASH, true, true},       {0, 0, false, false},
    {13, CMD_WALLPAPER, true, true}, {0, 0, false, false},              {0, 0, false, false},
    {9, CMD_SETTINGS, true, true},   {0, 0, false, false},              {8, CMD_HELP, true, true},
};
constexpr ButtonSpec kConditionButtons[] = {
    {0, CMD_ADD_CONDITION, true, false}, {1, CMD_DELETE_CONDITIONS, true, false},
    {2, CMD_CONDITION_SETS, true, true}, {0, 0, false, false},
};
constexpr ButtonSpec kExcludeButtons[] = {
    {0, CMD_ADD_EXCLUDE, true, false}, {1, CMD_DELETE_EXCLUDES, true, false}, {0, 0, false, false},
};

struct ColumnSpec {
    int text;
    int width;
};

constexpr ColumnSpec kResultColumns[] = {
    {IDS_COL_FILENAME, 200}, {IDS_COL_PICTURESIZE, 100}, {IDS_COL_FILESIZE, 100},
    {IDS_COL_FULLPATH, 100}, {IDS_COL_HANDLEDBY, 100},
};
constexpr ColumnSpec kConditionColumns[] = {{IDS_COL_PICTURESIZE, 100}, {IDS_COL_CONDITION, 50}};
constexpr ColumnSpec kExcludeColumns[] = {{IDS_COL_EXCLUDEPATH, 150}};

HWND toolistPart(HWND toolist, WPARAM part) {
    return reinterpret_cast<HWND>(SendMessageA(toolist, WM_USER, part, 0));
}

HWND leftDivider(HWND window) {
    MainWindowState* s = mainState(window);
    return s ? dividerPane(s->rootDivider, 0) : nullptr;
}

HWND lowerLeftDivider(HWND window) {
    return dividerPane(leftDivider(window), 1);
}

template <size_t N>
void addButtons(HWND toolbar, const ButtonSpec (&specs)[N], bool shiftHeld) {
    for (const ButtonSpec& b : specs) {
        TBBUTTON button = {};
        button.iBitmap = b.command == CMD_STOP && shiftHeld ? kStopImageShifted : b.image;
        button.idCommand = b.command;
        button.fsState = b.enabled ? TBSTATE_ENABLED : 0;
        button.fsStyle = b.command == 0 ? BTNS_SEP : b.dropDown ? BTNS_DROPDOWN : BTNS_BUTTON;
        SendMessageA(toolbar, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&button));
    }
    SendMessageA(toolbar, TB_AUTOSIZE, 0, 0);
}

template <size_t N>
void addColumns(HWND list, const ColumnSpec (&specs)[N]) {
    for (size_t i = 0; i < N; ++i) {
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<char*>(resString(specs[i].text));
        column.cx = specs[i].width;
        SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
}

// The condition and exclude lists: no sorting header, no check boxes.
void makePlainList(HWND list) {
    SetWindowLongPtrA(list, GWL_STYLE, GetWindowLongPtrA(list, GWL_STYLE) | LVS_NOSORTHEADER);
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    SetWindowLongPtrA(header, GWL_STYLE, GetWindowLongPtrA(header, GWL_STYLE) & ~HDS_BUTTONS);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES, 0);
}

void setPane(HWND divider, int index, HWND pane) {
    SendMessageA(divider, WM_USER, index == 0 ? kDividerSetPane0 : kDividerSetPane1,
                 reinterpret_cast<LPARAM>(pane));
}

LRESULT onCreate(HWND window) {
    MainWindowState* s = slotStateCreate<MainWindowState>(window);
    if (!s) return -1;
    s->results = static_cast<ResultList*>(textAlloc(sizeof(ResultList)));
    if (!s->results) return -1;
    mainCreate(window);
    s->workerThreadId = 0;
    s->shellMenu = nullptr;
    s->heldPath = nullptr;
    return 0;
}

void onSize(HWND window, WPARAM wParam, LPARAM lParam) {
    MainWindowState* s = mainState(window);
    SendMessageA(s->statusBar, WM_SIZE, wParam, lParam);
    RECT status;
    GetClientRect(s->statusBar, &status);
    SetWindowPos(s->rootDivider, nullptr, 0, 0, LOWORD(lParam), HIWORD(lParam) - status.bottom,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void onClose(HWND window) {
    // The default handling destroys the window: a worker still running
    // would lose the window its rows, buttons and state live in.
    mainWorkerStopAndWait(window);
    mainHoldPath(window, nullptr);
    // Each row's Condition is released as the list reports the row's deletion.
    SendMessageA(mainConditionList(window), LVM_DELETEALLITEMS, 0, 0);
    resultListClear(window);
    PostQuitMessage(0);
}

LRESULT onNotify(HWND window, NMHDR* header) {
    // The tooltip of a button is the string whose id is its command.
    if (header->code == TTN_NEEDTEXTA) {
        NMTTDISPINFOA* tip = reinterpret_cast<NMTTDISPINFOA*>(header);
        tip->lpszText = MAKEINTRESOURCEA(header->idFrom);
    }
    if (header->code == TBN_DROPDOWN) return mainDropDown(window, *reinterpret_cast<NMTOOLBARA*>(header));
    return listsOnNotify(window, *header);
}

}  // namespace

MainWindowState* mainState(HWND window) {
    return slotState<MainWindowState>(window);
}

void mainCreate(HWND window) {
    MainWindowState* s = mainState(window);
    HWND root = dividerCreate(window, 0);
    HWND left = dividerCreate(root, 1);
    HWND lowerLeft = dividerCreate(left, 1);
    // The result rows are the store's: the list asks for what it shows.
    HWND result = toolistCreate(root, window, LVS_OWNERDATA);
    HWND condition = toolistCreate(left, window);
    HWND exclude = toolistCreate(lowerLeft, window);
    HWND pikture = piktureCreate(lowerLeft);

    setPane(lowerLeft, 0, exclude);
    setPane(lowerLeft, 1, pikture);
    setPane(left, 0, condition);
    setPane(left, 1, lowerLeft);
    setPane(root, 0, left);
    setPane(root, 1, result);

    addButtons(toolistPart(result, kToolistToolbar), kResultButtons, GetKeyState(VK_SHIFT) < 0);
    HWND resultList = toolistPart(result, kToolistList);
    addColumns(resultList, kResultColumns);
    resultListInit(*s->results, resultList);

    addButtons(toolistPart(condition, kToolistToolbar), kConditionButtons, false);
    HWND conditionList = toolistPart(condition, kToolistList);
    makePlainList(conditionList);
    addColumns(conditionList, kConditionColumns);

    addButtons(toolistPart(exclude, kToolistToolbar), kExcludeButtons, false);
    HWND excludeList = toolistPart(exclude, kToolistList);
    makePlainList(excludeList);
    addColumns(excludeList, kExcludeColumns);

    s->rootDivider = root;
    s->statusBar = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, window,
                                   nullptr, GetModuleHandleA(nullptr), nullptr);
    SendMessageA(s->statusBar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>("Welcome to trawlix"));
}

LRESULT CALLBACK mainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE && onCreate(window) < 0) return -1;
    if (MainWindowState* s = mainState(window)) {
        switch (message) {
        case WM_SIZE:
            onSize(window, wParam, lParam);
            break;
        case WM_CLOSE:
            onClose(window);
            break;
        case WM_COMMAND:
            mainCommand(window, LOWORD(wParam));
            return 0;
        case WM_NOTIFY:
            // Answered here: asking the default procedure for its 0 costs a
            // system call for every row a search inserts.
            return onNotify(window, reinterpret_cast<NMHDR*>(lParam));
        case WM_KEYDOWN:
            listsOnKeyDown(window, wParam);
            break;
        case WM_CONTEXTMENU:
            shellContextMenu(window, lParam);
            break;
        case WM_INITMENUPOPUP:
        case WM_DRAWITEM:
        case WM_MEASUREITEM:
            shellMenuForward(window, message, wParam, lParam);
            break;
        case WMU_SCAN_ROWS:
            resultListAppend(window, *reinterpret_cast<const RowBatch*>(lParam), wParam != 0);
            return 0;
        case WMU_RESULTS_CLEAR:
            resultListClear(window);
            return 0;
        case WMU_RESULTS_NEXT:
            return resultListNextChecked(*s->results, window, static_cast<uint32_t>(wParam),
                                         *reinterpret_cast<ResultRequest*>(lParam));
        case WMU_RESULTS_COMPACT:
            return resultListCompact(window, static_cast<uint32_t>(wParam));
        case WM_TIMER:
            if (wParam == IDT_RESULT_COUNT) resultListShowCount(window);
            return 0;
        }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND mainConditionList(HWND window) {
    return toolistPart(dividerPane(leftDivider(window), 0), kToolistList);
}

HWND mainConditionToolbar(HWND window) {
    return toolistPart(dividerPane(leftDivider(window), 0), kToolistToolbar);
}

HWND mainExcludeList(HWND window) {
    return toolistPart(dividerPane(lowerLeftDivider(window), 0), kToolistList);
}

HWND mainExcludeToolbar(HWND window) {
    return toolistPart(dividerPane(lowerLeftDivider(window), 0), kToolistToolbar);
}

HWND mainPikture(HWND window) {
    return dividerPane(lowerLeftDivider(window), 1);
}

HWND mainResultToolist(HWND window) {
    MainWindowState* s = mainState(window);
    return s ? dividerPane(s->rootDivider, 1) : nullptr;
}

HWND mainResultList(HWND window) {
    return toolistPart(mainResultToolist(window), kToolistList);
}

HWND mainResultToolbar(HWND window) {
    return toolistPart(mainResultToolist(window), kToolistToolbar);
}

int resultRowPath(HWND window, int row, char* path) {
    // A row of -1 (no focus) is past every row: refused like one.
    return resultsRowPath(resultStore(window), static_cast<uint32_t>(row), path, kPathSize);
}

int mainWorkerStart(HWND window, LPTHREAD_START_ROUTINE proc, void* job) {
    MainWindowState* state = mainState(window);
    // Suspended until the id is stored, so the worker's clearing it as its
    // last act can never come first.
    HANDLE thread = CreateThread(nullptr, 0, proc, job, CREATE_SUSPENDED,
                                 const_cast<DWORD*>(&state->workerThreadId));
    if (!thread) {
        state->workerThreadId = 0;
        return 0;
    }
    ResumeThread(thread);
    CloseHandle(thread);
    return 1;
}

void mainHoldPath(HWND window, char* path) {
    MainWindowState* s = mainState(window);
    if (!s) {
        textFree(path);
        return;
    }
    // Were a worker running, it could still read the old text: kept then.
    if (!s->workerThreadId) textFree(s->heldPath);
    s->heldPath = path;
}

void mainWorkerStopAndWait(HWND window) {
    MainWindowState* s = mainState(window);
    DWORD id = s ? s->workerThreadId : 0;
    if (!id) return;
    HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, id);
    PostThreadMessageA(id, WM_APP, 0, 0);
    if (!thread) return;  // already gone
    // Keep answering messages: the worker may be sending to windows of this thread.
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    CloseHandle(thread);
}
