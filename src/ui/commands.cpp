#include "ui/commands.h"

#include <shellapi.h>

#include "app/resstring.h"
#include "app/settings.h"
#include "app/text.h"
#include "dialogs/about.h"
#include "dialogs/dirprompt.h"
#include "dialogs/strips.h"
#include "fileops/fileop.h"
#include "fileops/wallpaper.h"
#include "resource.h"
#include "search/scan.h"
#include "ui/lists.h"
#include "ui/mainwnd.h"
#include "ui/resultlist.h"
#include "ui/settingsmenu.h"

namespace {

// Captions of a menu item are read into 256 bytes, offered as 254 characters.
constexpr int kMenuTextSize = 256;
constexpr UINT kMenuTextOffered = 254;

// The three commands that work on a directory: the list that remembers
// their directories, the prompt that asks for one and the option that
// makes them always ask.
struct DirOperation {
    int command;
    int prompt;
    bool offerRecurse;
    RecentDir* AppSettings::*list;
    int32_t AppSettings::*alwaysAsk;
};
constexpr DirOperation kDirOperations[] = {
    {CMD_FIND, IDS_PROMPT_SEARCH, true, &AppSettings::recentScandir, &AppSettings::TBFindAlwaysAsk},
    {CMD_COPY, IDS_PROMPT_COPY, false, &AppSettings::recentCopydir, &AppSettings::TBCopyAlwaysAsk},
    {CMD_MOVE, IDS_PROMPT_MOVE, false, &AppSettings::recentMovedir, &AppSettings::TBMoveAlwaysAsk},
};

// The drop-down menu of each button that has one.
struct ButtonMenu {
    int command;
    int menu;
};
constexpr ButtonMenu kButtonMenus[] = {
    {CMD_CONDITION_SETS, IDR_MENU_SETS}, {CMD_FIND, IDR_MENU_SEARCH},   {CMD_COPY, IDR_MENU_COPY},
    {CMD_MOVE, IDR_MENU_MOVE},           {CMD_HELP, IDR_MENU_HELP},     {CMD_CHECK_STATE, IDR_MENU_CHECK},
    {CMD_SETTINGS, IDR_MENU_SETTINGS},   {CMD_TRASH, IDR_MENU_TRASH},   {CMD_WALLPAPER, IDR_MENU_WALLPAPER},
};

// Shift held at the moment of the choice: as the key that chose a menu item
// saw it, or as it is now. Under Wine a menu's keyboard takes the X
// server's key state, so the first alone can miss a key pressed before the
// menu opened, the second one pressed while it tracks.
bool shiftHeld() {
    return GetKeyState(VK_SHIFT) < 0 || GetAsyncKeyState(VK_SHIFT) < 0;
}

void errorBox(HWND window, int textId) {
    resMessageBox(window, textId, kCaptionError, MB_OK | MB_ICONERROR);
}

const DirOperation* dirOperation(int command) {
    for (const DirOperation& op : kDirOperations)
        if (op.command == command) return &op;
    return nullptr;
}

// Runs op on path. The text must outlive the worker: a recent entry's path,
// or one the main window holds.
void launch(HWND window, const DirOperation& op, char* path, int32_t recurse) {
    if (op.command == CMD_FIND) {
        scanStart(window, path, recurse);
    } else if (op.command == CMD_COPY) {
        fileOpCopy(window, path);
    } else {
        fileOpMove(window, path);
    }
}

// Puts path (a heap text) first in op's recent list and runs op on it. A
// path the list declines, as it names a directory already listed, is kept
// by the main window until the worker using it has ended.
void pushAndLaunch(HWND window, const DirOperation& op, char* path, int32_t recurse) {
    if (!recentDirPush(appSettings.*op.list, path, recurse)) mainHoldPath(window, path);
    launch(window, op, path, recurse);
}

// The prompt's heap path, or none when cancelled; recurse from its box.
char* askDirectory(HWND window, const DirOperation& op, int32_t& recurse) {
    INT_PTR result = dirPromptRun(window, resString(op.prompt), op.offerRecurse);
    recurse = op.offerRecurse ? dirPromptRecurseEntry(result) : 0;
    return dirPromptPath(result);
}

void onDirButton(HWND window, const DirOperation& op) {
    RecentDir* recent = appSettings.*op.list;
    if (!(appSettings.*op.alwaysAsk) && recent) {
        launch(window, op, recent->path, recent->recurse);
        return;
    }
    int32_t recurse = 0;
    char* path = askDirectory(window, op, recurse);
    if (path) pushAndLaunch(window, op, path, recurse);
}

// Unlinks entry index of list and returns it, or none.
RecentDir* recentUnlink(RecentDir*& list, int index) {
    RecentDir** link = &list;
    for (; *link && index > 0; --index) link = &(*link)->next;
    RecentDir* node = *link;
    if (node) *link = node->next;
    return node;
}

// Item 1 asks as the button does; an entry leaves its place in the list.
// With Shift held at this moment nothing runs, so the entry is gone.
void onDirMenu(HWND window, const DirOperation& op, int id) {
    int32_t recurse = 0;
    char* path = nullptr;
    if (id == IDM_FIRST) {
        path = askDirectory(window, op, recurse);
    } else if (RecentDir* node = recentUnlink(appSettings.*op.list, id - IDM_RECENT_FIRST)) {
        path = node->path;
        recurse = op.command == CMD_FIND ? node->recurse : 0;
        textFree(node);
    }
    if (!path) return;
    if (shiftHeld()) {
        textFree(path);
        return;
    }
    pushAndLaunch(window, op, path, recurse);
}

void saveSet(HWND window) {
    HWND list = mainConditionList(window);
    if (listRowCount(list) == 0) {
        errorBox(window, IDS_NO_CONDITIONS_TO_SAVE);
        return;
    }
    char* name = stripRunSetName(window, list);
    if (!name) return;
    conditionSetStore(list, name);
    // A set of that name already stored keeps its own name text.
    if (!conditionSets || conditionSets->name != name) textFree(name);
}

// The question is sized to the name, however long: never cut or overrun.
bool confirmSetDelete(HWND window, const char* name) {
    return resMessageBoxFormat(window, IDS_CONFIRM_DELETE_SET, kCaptionConfirm, MB_YESNO | MB_ICONWARNING, name) ==
           IDYES;
}

// Item 1 saves the list; a set is loaded and moved to the front, or with
// Shift held deleted once the user agrees.
void onSetsMenu(HWND window, int id) {
    if (id == IDM_FIRST) {
        saveSet(window);
        return;
    }
    ConditionSet** link = &conditionSets;
    for (int index = id - IDM_RECENT_FIRST; *link && index > 0; --index) link = &(*link)->next;
    ConditionSet* set = *link;
    if (!set) return;
    if (shiftHeld()) {
        if (!confirmSetDelete(window, set->name)) return;
        *link = set->next;
        conditionSetFree(set);
        return;
    }
    *link = set->next;
    set->next = conditionSets;
    conditionSets = set;
    conditionListLoad(window, *set);
}

void openHelp(HWND window) {
    if (resMessageBox(window, IDS_NO_HELP, kCaptionConfirm, MB_YESNO | MB_ICONQUESTION) == IDYES)
        ShellExecuteA(window, nullptr, "trawlix.txt", nullptr, nullptr, SW_SHOWNORMAL);
}

void setFocusedWallpaper(HWND window, int32_t style) {
    int row = listFocusedRow(mainResultList(window));
    if (row < 0) {
        errorBox(window, IDS_SELECT_WALLPAPER);
        return;
    }
    char path[kPathSize];
    if (!resultRowPath(window, row, path)) {
        errorBox(window, IDS_PATH_TOO_LONG);
        return;
    }
    wallpaperSet(path, style, window);
}

void onTrashButton(HWND window) {
    bool erase = shiftHeld();
    if (appSettings.TBTrashIsDelete) erase = !erase;
    fileOpRemove(window, erase ? 0 : 1);
}

void onStop(HWND window) {
    DWORD worker = mainState(window)->workerThreadId;
    if (worker) PostThreadMessageA(worker, WM_APP, 0, 0);
}

// The settings button's face opens its menu as its arrow does.
void openSettingsMenu(HWND window) {
    NMTOOLBARA notice = {};
    notice.hdr.hwndFrom = mainResultToolbar(window);
    notice.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(notice.hdr.hwndFrom));
    notice.hdr.code = TBN_DROPDOWN;
    notice.iItem = CMD_SETTINGS;
    SendMessageA(window, WM_NOTIFY, notice.hdr.idFrom, reinterpret_cast<LPARAM>(&notice));
}

HMENU copyItems(HMENU from) {
    HMENU popup = CreatePopupMenu();
    if (!popup) return nullptr;
    for (int i = 0, count = GetMenuItemCount(from); i < count; ++i) {
        char text[kMenuTextSize] = {};
        MENUITEMINFOA item = {};
        item.cbSize = sizeof item;
        item.fMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_CHECKMARKS | MIIM_TYPE | MIIM_DATA;
        item.dwTypeData = text;
        item.cch = kMenuTextOffered;
        if (!GetMenuItemInfoA(from, i, TRUE, &item)) continue;
        // The loaded menu goes with its submenus: the copy gets its own.
        if (item.hSubMenu) item.hSubMenu = copyItems(item.hSubMenu);
        item.dwTypeData = text;
        InsertMenuItemA(popup, i, TRUE, &item);
    }
    return popup;
}

HMENU buildMenu(int command) {
    int menuId = 0;
    for (const ButtonMenu& b : kButtonMenus)
        if (b.command == command) menuId = b.menu;
    HMENU menu = menuId ? menuCopyPopup(menuId) : nullptr;
    if (!menu) return nullptr;
    if (command == CMD_CONDITION_SETS) recentMenuFill(menu, conditionSets);
    if (const DirOperation* op = dirOperation(command))
        recentMenuFill(menu, appSettings.*op->list, command == CMD_FIND);
    if (command == CMD_SETTINGS) settingsMenuMarks(menu);
    return menu;
}

void onMenuChoice(HWND window, int command, int id) {
    if (const DirOperation* op = dirOperation(command)) {
        onDirMenu(window, *op, id);
        return;
    }
    if (command == CMD_CONDITION_SETS) {
        onSetsMenu(window, id);
        return;
    }
    if (command == CMD_SETTINGS) {
        settingsMenuApply(window, id);
        return;
    }
    switch (id) {
    case IDM_HELP_CONTENTS: openHelp(window); break;
    case IDM_ABOUT: aboutRun(window); break;
    case IDM_CHECK_ALL: checkAll(window); break;
    case IDM_UNCHECK_ALL: uncheckAll(window); break;
    case IDM_CHECK_INVERT: checkInvert(window); break;
    case IDM_TRASH_RECYCLE: fileOpRemove(window, 1); break;
    case IDM_TRASH_ERASE: fileOpRemove(window, 0); break;
    case IDM_WALL_NONE: wallpaperSet(nullptr, kWallCenter, window); break;
    case IDM_WALL_CENTER: setFocusedWallpaper(window, kWallCenter); break;
    case IDM_WALL_TILE: setFocusedWallpaper(window, kWallTile); break;
    case IDM_WALL_STRETCH: setFocusedWallpaper(window, kWallStretch); break;
    }
}

}  // namespace

void mainCommand(HWND window, int command) {
    if (const DirOperation* op = dirOperation(command)) {
        onDirButton(window, *op);
        return;
    }
    switch (command) {
    case CMD_ADD_CONDITION: listStripOpen(window, mainConditionList(window), -1, true); break;
    case CMD_DELETE_CONDITIONS: deleteSelectedRows(mainConditionList(window)); break;
    case CMD_ADD_EXCLUDE: listStripOpen(window, mainExcludeList(window), -1, false); break;
    case CMD_DELETE_EXCLUDES: deleteSelectedRows(mainExcludeList(window)); break;
    case CMD_CONDITION_SETS:
        if (conditionSets) {
            conditionListLoad(window, *conditionSets);
        } else {
            saveSet(window);
        }
        break;
    case CMD_STOP: onStop(window); break;
    case CMD_HELP: openHelp(window); break;
    case CMD_CHECK_STATE: checkToggleAll(window); break;
    case CMD_SETTINGS: openSettingsMenu(window); break;
    case CMD_TRASH: onTrashButton(window); break;
    case CMD_WALLPAPER: setFocusedWallpaper(window, appSettings.TBWallDefaultStyle); break;
    }
}

LRESULT mainDropDown(HWND window, const NMTOOLBARA& notice) {
    HWND toolbar = notice.hdr.hwndFrom;
    const int command = notice.iItem;
    RECT button = {};
    SendMessageA(toolbar, TB_GETITEMRECT, toolbarButtonIndex(toolbar, command), reinterpret_cast<LPARAM>(&button));
    POINT at = {button.left, button.bottom};
    ClientToScreen(toolbar, &at);
    int chosen = 0;
    do {
        HMENU menu = buildMenu(command);
        if (!menu) break;
        chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY, at.x, at.y, 0, window, nullptr);
        if (chosen) onMenuChoice(window, command, chosen);
        DestroyMenu(menu);
    } while (command == CMD_SETTINGS && chosen && appSettings.reShowSetting);
    return TBDDRET_DEFAULT;
}

HMENU menuCopyPopup(int menuId) {
    HMENU loaded = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(menuId));
    if (!loaded) return nullptr;
    HMENU popup = copyItems(loaded);
    DestroyMenu(loaded);
    return popup;
}

int toolbarButtonIndex(HWND toolbar, int command) {
    int count = static_cast<int>(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TBBUTTON button = {};
        SendMessageA(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
        if (button.idCommand == command) return i;
    }
    return -1;
}

void recentMenuFill(HMENU menu, const RecentDir* list, bool markRecurse) {
    if (list) DeleteMenu(menu, IDM_RECENT_HEADER, MF_BYCOMMAND);
    for (int id = IDM_RECENT_FIRST; list; list = list->next, ++id) {
        AppendMenuA(menu, MF_STRING, id, list->path);
        if (markRecurse && list->recurse) CheckMenuItem(menu, id, MF_BYCOMMAND | MF_CHECKED);
    }
}

void recentMenuFill(HMENU menu, const ConditionSet* sets) {
    if (sets) DeleteMenu(menu, IDM_RECENT_HEADER, MF_BYCOMMAND);
    for (int id = IDM_RECENT_FIRST; sets; sets = sets->next, ++id) AppendMenuA(menu, MF_STRING, id, sets->name);
}
