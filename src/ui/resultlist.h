// The result list: an owner-data list view that shows the main window's
// result store. It asks for each visible row's texts and check image; the
// store is changed only here, on the window thread, and the list is told the
// new row count after every change (during a search, a few times a second).
#pragma once

#include <stdint.h>

#include "app/platform.h"

#include <commctrl.h>

#include "app/text.h"
#include "ui/results.h"

// One per main window (MainWindowState::results); never released.
struct ResultList {
    ResultStore store;
    HWND list;  // the owner-data list view that shows store
    // The program is putting the focus back on the row it was on before a
    // reorder: the preview already shows that row.
    bool refocusing;
    DWORD compactedAt;  // tick of the last compaction during a file action
    DWORD compactCost;  // the ms it took
    // The focused row as the list last reported it, -1 for none: asking the
    // list walks every row when none has the focus.
    int focused;
    bool countDue;   // rows were handed over that the list's count lacks (IDT_RESULT_COUNT runs)
    DWORD countMs;   // the timer's period: fifty times what telling the count last took
};

// How a file action settles a row.
constexpr uint32_t kSettleUncheck = 0;
constexpr uint32_t kSettleRemove = 1;

// What a file action's worker hands WMU_RESULTS_NEXT: the row it has just
// settled (-1: none) and how, and room for the next row's path; one round
// trip a row.
struct ResultRequest {
    int32_t settled;
    uint32_t how;
    char path[kPathSize + 1];  // the path and the second NUL of the shell's list
};

// Ties r to list, a list view created with LVS_OWNERDATA, and makes the list
// ask for check images too.
void resultListInit(ResultList& r, HWND list);

ResultStore& resultStore(HWND window);

// Appends a batch of found rows (WMU_SCAN_ROWS). The list learns its new
// count on a timer (IDT_RESULT_COUNT), not with every batch: under Wine a
// new count redraws the scroll bar, which takes tens of milliseconds, while
// a batch costs a copy. last: the search's final batch; the count is told
// at once. The rows above are not painted again.
void resultListAppend(HWND window, const RowBatch& batch, bool last);
// Tells the list the rows handed over since it last learned its count.
void resultListShowCount(HWND window);
// Empties the store and the list (WMU_RESULTS_CLEAR).
void resultListClear(HWND window);

// For a file action's worker (WMU_RESULTS_NEXT): settles the row request
// names (unchecked, or marked to leave), then answers the first checked row
// at or after from, its full path in request.path (empty when it does not
// fit), or -1. Rows settled as removed leave the list every half second or
// so (the list keeps its row count, places past the last row empty, until
// resultListCompact with every row); from counts the rows as they were
// before that.
// r is window's (asked once a row, it comes from the caller).
int resultListNextChecked(ResultList& r, HWND window, uint32_t from, ResultRequest& request);

// Removes the rows marked to leave before place upTo (WMU_RESULTS_COMPACT;
// past the last row: every one); returns how many.
uint32_t resultListCompact(HWND window, uint32_t upTo);

// Sorts by column (descending when asked); column < 0: the order found.
void resultListSort(HWND window, int column, bool descending);

// The check-state operations on every row.
void checkAll(HWND window);
void uncheckAll(HWND window);
void checkInvert(HWND window);
// Checks every row when none is checked, else unchecks every row.
void checkToggleAll(HWND window);
// Toggles row's check mark; the focused row is previewed again.
void resultListToggle(HWND window, int row);

// Shows row's picture in the preview (nothing for a path that does not fit).
void resultListPreview(HWND window, int row);

// The sort key of a text as lstrcmpA orders texts (a ResultKeyFn).
size_t resultSortKey(const char* text, size_t length, unsigned char* key, size_t keySize);

// Follows the list's focus (its LVN_ITEMCHANGED).
void resultListNoteFocus(HWND window, const NMLISTVIEW& change);

// The result list's own notifications: row texts and check images asked
// for, a click on a check box, Space. Returns true when handled.
bool resultListOnNotify(HWND window, const NMHDR& header);
