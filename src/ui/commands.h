// The main window's toolbar commands: a click on a button's face, and the
// drop-down menu under a button's arrow with the item chosen from it.
#pragma once

#include "app/platform.h"
#include "ui/mainstate.h"

#include <commctrl.h>

struct RecentDir;
struct ConditionSet;

// The guide Help opens, beside the program.
constexpr char kGuideName[] = "trawlix.txt";

// Carries out the button command of the window; other ids do nothing.
void mainCommand(MainWindowState& s, int command);

// TBN_DROPDOWN from one of window's toolbars: shows the button's menu under
// it and acts on the item chosen; the settings menu opens again after each
// choice while reShowSetting is on. Returns the notification's answer.
LRESULT mainDropDown(MainWindowState& s, const NMTOOLBARA& notice);

// A new popup menu holding a copy of every item (submenus copied too) of
// menu resource menuId; the caller destroys it. None when it cannot load.
HMENU menuCopyPopup(int menuId);

// The position of the button with command on toolbar, or -1.
int toolbarButtonIndex(HWND toolbar, int command);

// Appends one item per entry, ids IDM_RECENT_FIRST upward, in list order,
// after removing the grayed header when there is an entry. markRecurse
// checks the entries searched with subdirectories.
void recentMenuFill(HMENU menu, const RecentDir* list, bool markRecurse);
void recentMenuFill(HMENU menu, const ConditionSet* sets);
