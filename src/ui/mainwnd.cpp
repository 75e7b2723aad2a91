#include "ui/mainwnd.h"

#include <commctrl.h>

#include "app/resstring.h"
#include "app/text.h"
#include "resource.h"
#include "search/condition.h"
#include "ui/commands.h"
#include "ui/divider.h"
#include "ui/launch.h"
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
    return reinterpret_cast<HWND>(SendMessageA(toolist, WMU_TOOLIST_PART, part, 0));
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
    SendMessageA(divider, WMU_DIVIDER_PANE, index == 0 ? kDividerSetPane0 : kDividerSetPane1,
                 reinterpret_cast<LPARAM>(pane));
}

void mainCreate(MainWindowState* s, HWND window);

LRESULT onCreate(HWND window) {
    MainWindowState* s = slotStateCreate<MainWindowState>(window);
    if (!s) return -1;
    s->results = static_cast<ResultList*>(textAlloc(sizeof(ResultList)));
    if (!s->results) return -1;
    *s->results = {};
    mainCreate(s, window);
    return 0;
}

void onSize(MainWindowState& s, WPARAM wParam, LPARAM lParam) {
    SendMessageA(s.statusBar, WM_SIZE, wParam, lParam);
    RECT status;
    GetClientRect(s.statusBar, &status);
    SetWindowPos(s.rootDivider, nullptr, 0, 0, LOWORD(lParam), HIWORD(lParam) - status.bottom,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void onClose(MainWindowState& s) {
    // The default handling destroys the window: a worker still running
    // would lose the window its rows, buttons and state live in.
    launchStopAndWait(s);
    // Each row's Condition is released as the list reports the row's deletion.
    SendMessageA(s.conditionList, LVM_DELETEALLITEMS, 0, 0);
    resultListClear(*s.results);
    PostQuitMessage(0);
}

LRESULT onNotify(MainWindowState& s, NMHDR* header) {
    // The tooltip of a button is the string whose id is its command.
    if (header->code == TTN_NEEDTEXTA) {
        NMTTDISPINFOA* tip = reinterpret_cast<NMTTDISPINFOA*>(header);
        tip->lpszText = MAKEINTRESOURCEA(header->idFrom);
    }
    if (header->code == TBN_DROPDOWN) return mainDropDown(s, *reinterpret_cast<NMTOOLBARA*>(header));
    return listsOnNotify(s, *header);
}

// Builds the whole interior of a new main window into its record.
void mainCreate(MainWindowState* s, HWND window) {
    s->window = window;
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

    s->resultToolist = result;
    s->resultToolbar = toolistPart(result, kToolistToolbar);
    addButtons(s->resultToolbar, kResultButtons, GetKeyState(VK_SHIFT) < 0);
    s->resultList = toolistPart(result, kToolistList);
    addColumns(s->resultList, kResultColumns);

    s->conditionToolbar = toolistPart(condition, kToolistToolbar);
    addButtons(s->conditionToolbar, kConditionButtons, false);
    s->conditionList = toolistPart(condition, kToolistList);
    makePlainList(s->conditionList);
    addColumns(s->conditionList, kConditionColumns);

    s->excludeToolbar = toolistPart(exclude, kToolistToolbar);
    addButtons(s->excludeToolbar, kExcludeButtons, false);
    s->excludeList = toolistPart(exclude, kToolistList);
    makePlainList(s->excludeList);
    addColumns(s->excludeList, kExcludeColumns);

    s->pikture = pikture;
    resultListInit(*s->results, s->resultList, window, pikture);
    s->rootDivider = root;
    s->statusBar = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, window,
                                   nullptr, GetModuleHandleA(nullptr), nullptr);
    SendMessageA(s->statusBar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>("Welcome to trawlix"));
}

}  // namespace

MainWindowState* mainState(HWND window) {
    return slotState<MainWindowState>(window);
}

LRESULT CALLBACK mainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE && onCreate(window) < 0) return -1;
    if (MainWindowState* s = mainState(window)) {
        switch (message) {
        case WM_SIZE:
            onSize(*s, wParam, lParam);
            break;
        case WM_CLOSE:
            onClose(*s);
            break;
        case WM_COMMAND:
            mainCommand(*s, LOWORD(wParam));
            return 0;
        case WM_NOTIFY:
            // Answered here: asking the default procedure for its 0 costs a
            // system call for every row a search inserts.
            return onNotify(*s, reinterpret_cast<NMHDR*>(lParam));
        case WM_KEYDOWN:
            listsOnKeyDown(*s, wParam);
            break;
        case WM_CONTEXTMENU:
            shellContextMenu(*s, lParam);
            break;
        case WM_INITMENUPOPUP:
        case WM_DRAWITEM:
        case WM_MEASUREITEM:
            shellMenuForward(*s, message, wParam, lParam);
            break;
        case WMU_SCAN_ROWS:
            resultListAppend(*s->results, *reinterpret_cast<const RowBatch*>(lParam), wParam != 0);
            return 0;
        case WMU_RESULTS_NEXT:
            return resultListNextChecked(*s->results, static_cast<uint32_t>(wParam),
                                         *reinterpret_cast<ResultRequest*>(lParam));
        case WMU_RESULTS_COMPACT:
            return resultListCompact(*s->results, static_cast<uint32_t>(wParam));
        case WMU_WORKER_STATUS:
            launchStatus(*s, wParam, reinterpret_cast<const char*>(lParam));
            return 0;
        case WMU_WORKER_DONE:
            launchDone(*s, static_cast<uint32_t>(wParam));
            return 0;
        case WM_TIMER:
            if (wParam == IDT_RESULT_COUNT) resultListShowCount(*s->results);
            return 0;
        }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void mainWorkerStopAndWait(HWND window) {
    if (MainWindowState* s = mainState(window)) launchStopAndWait(*s);
}
