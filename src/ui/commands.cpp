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
#include "ui/launch.h"
#include "ui/lists.h"
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

void errorBox(const MainWindowState& s, int textId) {
    resMessageBox(s.window, textId, kCaptionError, MB_OK | MB_ICONERROR);
}

const DirOperation* dirOperation(int command) {
    for (const DirOperation& op : kDirOperations)
        if (op.command == command) return &op;
    return nullptr;
}

// Runs op on path; the worker gets a copy.
void launch(MainWindowState& s, const DirOperation& op, char* path, int32_t recurse) {
    if (op.command == CMD_FIND) {
        launchSearch(s, path, recurse);
    } else {
        launchFileAction(s, op.command == CMD_COPY ? kFileOpCopy : kFileOpMove, path, 0);
    }
}

// Puts path (a heap text) first in op's recent list and runs op on it. A
// path the list declines, as it names a directory already listed, is freed.
void pushAndLaunch(MainWindowState& s, const DirOperation& op, char* path, int32_t recurse) {
    const bool kept = recentDirPush(appSettings.*op.list, path, recurse);
    launch(s, op, path, recurse);
    if (!kept) textFree(path);
}

// The prompt's heap path, or none when cancelled; recurse from its box.
char* askDirectory(const MainWindowState& s, const DirOperation& op, int32_t& recurse) {
    INT_PTR result = dirPromptRun(s.window, resString(op.prompt), op.offerRecurse);
    recurse = op.offerRecurse ? dirPromptRecurseEntry(result) : 0;
    return dirPromptPath(result);
}

void onDirButton(MainWindowState& s, const DirOperation& op) {
    RecentDir* recent = appSettings.*op.list;
    if (!(appSettings.*op.alwaysAsk) && recent) {
        launch(s, op, recent->path, recent->recurse);
        return;
    }
    int32_t recurse = 0;
    char* path = askDirectory(s, op, recurse);
    if (path) pushAndLaunch(s, op, path, recurse);
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
void onDirMenu(MainWindowState& s, const DirOperation& op, int id) {
    int32_t recurse = 0;
    char* path = nullptr;
    if (id == IDM_FIRST) {
        path = askDirectory(s, op, recurse);
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
    pushAndLaunch(s, op, path, recurse);
}

void saveSet(const MainWindowState& s) {
    HWND list = s.conditionList;
    if (listRowCount(list) == 0) {
        errorBox(s, IDS_NO_CONDITIONS_TO_SAVE);
        return;
    }
    char* name = stripRunSetName(s.window, list);
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
void onSetsMenu(MainWindowState& s, int id) {
    if (id == IDM_FIRST) {
        saveSet(s);
        return;
    }
    ConditionSet** link = &conditionSets;
    for (int index = id - IDM_RECENT_FIRST; *link && index > 0; --index) link = &(*link)->next;
    ConditionSet* set = *link;
    if (!set) return;
    if (shiftHeld()) {
        if (!confirmSetDelete(s.window, set->name)) return;
        *link = set->next;
        conditionSetFree(set);
        return;
    }
    *link = set->next;
    set->next = conditionSets;
    conditionSets = set;
    conditionListLoad(s.conditionList, *set);
}

// The guide beside the program, whatever directory is current (a search
// makes the folder it walks current).
void openHelp(const MainWindowState& s) {
    if (resMessageBox(s.window, IDS_NO_HELP, kCaptionConfirm, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    char guide[kPathSize];
    DWORD got = GetModuleFileNameA(nullptr, guide, sizeof guide);
    if (got == 0 || got >= sizeof guide) return;
    *pathFileName(guide) = '\0';
    if (strAppendFit(guide, sizeof guide, kGuideName))
        ShellExecuteA(s.window, nullptr, guide, nullptr, nullptr, SW_SHOWNORMAL);
}

void removeChecked(MainWindowState& s, bool toTrash) {
    launchFileAction(s, kFileOpDelete, nullptr, toTrash ? 1 : 0);
}

void setFocusedWallpaper(const MainWindowState& s, int32_t style) {
    int row = listFocusedRow(s.resultList);
    if (row < 0) {
        errorBox(s, IDS_SELECT_WALLPAPER);
        return;
    }
    char path[kPathSize];
    if (!resultsRowPath(s.results->store, static_cast<uint32_t>(row), path, kPathSize)) {
        errorBox(s, IDS_PATH_TOO_LONG);
        return;
    }
    wallpaperSet(path, style, s.window);
}

void onTrashButton(MainWindowState& s) {
    bool erase = shiftHeld();
    if (appSettings.TBTrashIsDelete) erase = !erase;
    removeChecked(s, !erase);
}

// The settings button's face opens its menu as its arrow does.
void openSettingsMenu(const MainWindowState& s) {
    NMTOOLBARA notice = {};
    notice.hdr.hwndFrom = s.resultToolbar;
    notice.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(notice.hdr.hwndFrom));
    notice.hdr.code = TBN_DROPDOWN;
    notice.iItem = CMD_SETTINGS;
    SendMessageA(s.window, WM_NOTIFY, notice.hdr.idFrom, reinterpret_cast<LPARAM>(&notice));
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

void onMenuChoice(MainWindowState& s, int command, int id) {
    if (const DirOperation* op = dirOperation(command)) {
        onDirMenu(s, *op, id);
        return;
    }
    if (command == CMD_CONDITION_SETS) {
        onSetsMenu(s, id);
        return;
    }
    if (command == CMD_SETTINGS) {
        settingsMenuApply(s, id);
        return;
    }
    switch (id) {
    case IDM_HELP_CONTENTS: openHelp(s); break;
    case IDM_ABOUT: aboutRun(s.window); break;
    case IDM_CHECK_ALL: checkAll(*s.results); break;
    case IDM_UNCHECK_ALL: uncheckAll(*s.results); break;
    case IDM_CHECK_INVERT: checkInvert(*s.results); break;
    case IDM_TRASH_RECYCLE: removeChecked(s, true); break;
    case IDM_TRASH_ERASE: removeChecked(s, false); break;
    case IDM_WALL_NONE: wallpaperSet(nullptr, kWallCenter, s.window); break;
    case IDM_WALL_CENTER: setFocusedWallpaper(s, kWallCenter); break;
    case IDM_WALL_TILE: setFocusedWallpaper(s, kWallTile); break;
    case IDM_WALL_STRETCH: setFocusedWallpaper(s, kWallStretch); break;
    }
}

}  // namespace

void mainCommand(MainWindowState& s, int command) {
    if (const DirOperation* op = dirOperation(command)) {
        onDirButton(s, *op);
        return;
    }
    switch (command) {
    case CMD_ADD_CONDITION: listStripOpen(s.window, s.conditionList, -1, true); break;
    case CMD_DELETE_CONDITIONS: deleteSelectedRows(s.conditionList); break;
    case CMD_ADD_EXCLUDE: listStripOpen(s.window, s.excludeList, -1, false); break;
    case CMD_DELETE_EXCLUDES: deleteSelectedRows(s.excludeList); break;
    case CMD_CONDITION_SETS:
        if (conditionSets) {
            conditionListLoad(s.conditionList, *conditionSets);
        } else {
            saveSet(s);
        }
        break;
    case CMD_STOP: launchStop(s); break;
    case CMD_HELP: openHelp(s); break;
    case CMD_CHECK_STATE: checkToggleAll(*s.results); break;
    case CMD_SETTINGS: openSettingsMenu(s); break;
    case CMD_TRASH: onTrashButton(s); break;
    case CMD_WALLPAPER: setFocusedWallpaper(s, appSettings.TBWallDefaultStyle); break;
    }
}

LRESULT mainDropDown(MainWindowState& s, const NMTOOLBARA& notice) {
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
        chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY, at.x, at.y, 0, s.window, nullptr);
        if (chosen) onMenuChoice(s, command, chosen);
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
