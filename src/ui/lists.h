// What the main window's three lists do beyond a list view's own behaviour:
// condition rows and their records, deleting selected rows, double-click and
// Enter, Tab between the panes, preview of the focused result and the cycle
// of result sorts by column. The result rows themselves: ui/resultlist.h.
#pragma once

#include <stdint.h>

#include "app/platform.h"
#include "ui/mainstate.h"
#include "ui/toolist.h"

#include <commctrl.h>

struct Condition;
struct ConditionSet;

// The sortTag meaning insertion order: column 0xFFFF, ascending.
constexpr uint32_t kSortInsertionOrder = 0xFFFF0000u;

// A condition or exclude strip over row of list (-1: a new row at the end);
// the main window is redrawn after it.
void listStripOpen(HWND window, HWND list, int row, bool condition);

// Appends a row showing a heap copy of condition, which the row owns.
void conditionRowAdd(HWND list, const Condition& condition);
// Replaces every condition row of list by copies of set's conditions, in order.
void conditionListLoad(HWND list, const ConditionSet& set);
// Deletes every selected row of list.
void deleteSelectedRows(HWND list);

// The notifications of the lists that reach the main window; returns the
// answer the list expects (0 but where a notification asks otherwise).
LRESULT listsOnNotify(MainWindowState& s, const NMHDR& header);
// Enter and Tab forwarded by the lists and toolbars.
void listsOnKeyDown(MainWindowState& s, WPARAM key);
