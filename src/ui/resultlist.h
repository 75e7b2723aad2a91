// The result list: an owner-data list view that shows the main window's
// result store. It asks for each visible row's texts and check image; the
// store is changed only here, on the window thread, and the list is told the
// new row count after every change (during a search, a few times a second).
#pragma once

#include <stdint.h>

#include "app/platform.h"

#include <commctrl.h>

#include "app/text.h"
#include "fileops/fileop.h"
#include "search/rowbatch.h"
#include "ui/results.h"

// One per main window (MainWindowState::results); never released.
struct ResultList {
    ResultStore store;
    HWND list;  // the owner-data list view that shows store
    HWND window;   // the main window: its timer tells the list its count
    HWND pikture;  // the preview of the focused row
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

// Ties r to list, a list view created with LVS_OWNERDATA, and makes the list
// ask for check images too; window's timer counts rows in, pikture previews.
// A check mark set on a row by a message to the list (as another program
// sets one) goes to the store.
void resultListInit(ResultList& r, HWND list, HWND window, HWND pikture);

// Appends a batch of found rows (WMU_SCAN_ROWS). The list learns its new
// count on a timer (IDT_RESULT_COUNT), not with every batch: under Wine a
// new count redraws the scroll bar, which takes tens of milliseconds, while
// a batch costs a copy. last: the search's final batch; the count is told
// at once. The rows above are not painted again.
void resultListAppend(ResultList& r, const RowBatch& batch, bool last);
// Tells the list the rows handed over since it last learned its count.
void resultListShowCount(ResultList& r);
// Empties the store and the list.
void resultListClear(ResultList& r);

// For a file action's worker (WMU_RESULTS_NEXT): settles the row request
// names (unchecked, or marked to leave), then answers the first checked row
// at or after from, its full path in request.path (empty when it does not
// fit), or -1. Rows settled as removed leave the list every half second or
// so (the list keeps its row count, places past the last row empty, until
// resultListCompact with every row); from counts the rows as they were
// before that.
int resultListNextChecked(ResultList& r, uint32_t from, ResultRequest& request);

// Removes the rows marked to leave before place upTo (WMU_RESULTS_COMPACT;
// past the last row: every one); returns how many.
uint32_t resultListCompact(ResultList& r, uint32_t upTo);

// Sorts by column (descending when asked); column < 0: the order found.
void resultListSort(ResultList& r, int column, bool descending);

// The check-state operations on every row.
void checkAll(ResultList& r);
void uncheckAll(ResultList& r);
void checkInvert(ResultList& r);
// Checks every row when none is checked, else unchecks every row.
void checkToggleAll(ResultList& r);
// Toggles row's check mark; the focused row is previewed again.
void resultListToggle(ResultList& r, int row);

// Shows row's picture in the preview (nothing for a path that does not fit).
void resultListPreview(ResultList& r, int row);

// Follows the list's focus (its LVN_ITEMCHANGED).
void resultListNoteFocus(ResultList& r, const NMLISTVIEW& change);

// The result list's own notifications: row texts and check images asked
// for, a click on a check box, Space. Returns true when handled.
bool resultListOnNotify(ResultList& r, const NMHDR& header);
