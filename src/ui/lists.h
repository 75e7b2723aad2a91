// What the main window's three lists do beyond a list view's own behaviour:
// condition rows and their records, deleting selected rows, double-click and
// Enter, Tab between the panes, preview of the focused result, the result
// sort by column, and the check-state operations.
#pragma once

#include <stdint.h>

#include "app/platform.h"

#include <commctrl.h>

struct Condition;
struct ConditionSet;

// The sortTag meaning insertion order: column 0xFFFF, ascending.
constexpr uint32_t kSortInsertionOrder = 0xFFFF0000u;

// Handed to listSortCompare through LVM_SORTITEMS. keys are the rows' sort
// values by item data, read once before the sort (the list cannot change
// while it sorts); kept sorted by item data.
struct SortEntry;
struct SortKey {
    HWND list;
    int column;
    uint32_t tag;  // the sortTag the sort runs under
    SortEntry* keys;
    int keyCount;
};

// Check-box state images of a row.
constexpr int kCheckImageUnchecked = 1;
constexpr int kCheckImageChecked = 2;

// The number of rows of list.
int listRowCount(HWND list);
// The row's check-box state image; a row counts as checked unless this is
// kCheckImageUnchecked.
int listCheckImage(HWND list, int row);
void listSetCheckImage(HWND list, int row, int image);

// The row of list that has the focus, or -1.
int listFocusedRow(HWND list);

// A condition or exclude strip over row of list (-1: a new row at the end);
// the main window is redrawn after it.
void listStripOpen(HWND window, HWND list, int row, bool condition);

// Appends a row showing a heap copy of condition, which the row owns.
void conditionRowAdd(HWND list, const Condition& condition);
// Replaces every condition row by copies of set's conditions, in order.
void conditionListLoad(HWND window, const ConditionSet& set);
// Deletes every selected row of list.
void deleteSelectedRows(HWND list);

// The check-state operations on the result list of window.
void checkAll(HWND window);
void uncheckAll(HWND window);
void checkInvert(HWND window);
// Checks every row when none is checked, else unchecks every row.
void checkToggleAll(HWND window);

// Orders two rows by their item data under key; negative, 0 or positive.
int CALLBACK listSortCompare(LPARAM first, LPARAM second, LPARAM key);

// The notifications of the lists that reach the main window window; returns
// the answer the list expects (0 but where a notification asks otherwise).
LRESULT listsOnNotify(HWND window, const NMHDR& header);
// Enter and Tab forwarded by the lists and toolbars.
void listsOnKeyDown(HWND window, WPARAM key);
