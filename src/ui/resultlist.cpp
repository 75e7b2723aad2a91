#include "ui/resultlist.h"

#include <string.h>

#include "app/text.h"
#include "resource.h"
#include "ui/toolist.h"

namespace {

// Rows a file action settled as removed leave the list at most this often
// (ms): each time the list is repainted.
constexpr DWORD kCompactMs = 500;
// A search's rows reach the list's count at least this often (ms), and at
// most every fifty times what telling it took (2% of the window's time),
// capped at kCountMaxMs: the list grows visibly without the scroll bar's
// redraws slowing the search.
constexpr DWORD kCountMs = 250;
constexpr DWORD kCountMaxMs = 1500;

// Tells the list its row count. Rows already shown stay as they are, and the
// view does not scroll: only what changed is painted.
void showCount(HWND list, const ResultStore& store, bool repaintAll) {
    SendMessageA(list, LVM_SETITEMCOUNT, store.count,
                 repaintAll ? 0 : LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
}

void redrawRow(HWND list, int row) {
    SendMessageA(list, LVM_REDRAWITEMS, row, row);
}

void setFocusRow(HWND list, int row) {
    LVITEMA item = {};
    item.stateMask = item.state = LVIS_FOCUSED | LVIS_SELECTED;
    SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

// The list keeps focus and selection by position; after the rows moved, the
// focus goes back to the row it was on (none when that row left), the
// selection with it, and the view stays where it was. Without tellCount the
// list keeps its row count: places past the store's last row show empty.
template <typename Reorder>
void reorderKeepingFocus(ResultList& r, Reorder reorder, bool tellCount = true) {
    HWND list = r.list;
    int focused = r.focused;
    bool hadFocus = focused >= 0 && static_cast<uint32_t>(focused) < r.store.count;
    uint32_t focusedIndex = hadFocus ? resultsRow(r.store, static_cast<uint32_t>(focused)).insertIndex : 0;
    int top = static_cast<int>(SendMessageA(list, LVM_GETTOPINDEX, 0, 0));
    bool selected = tellCount && SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0) != 0;
    uint32_t count = tellCount ? static_cast<uint32_t>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)) : 0;
    reorder(r.store);
    // Emptying the count drops every selection range and the focus at once;
    // clearing them row by row would cost a call per row. A new count costs
    // the list time by the row: told only when it changed.
    if (selected) SendMessageA(list, LVM_SETITEMCOUNT, 0, 0);
    if (selected || (tellCount && count != r.store.count))
        SendMessageA(list, LVM_SETITEMCOUNT, r.store.count, LVSICF_NOSCROLL);
    if (tellCount && top > 0 && r.store.count) {
        int last = top + static_cast<int>(SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0)) - 1;
        SendMessageA(list, LVM_ENSUREVISIBLE, static_cast<uint32_t>(last) < r.store.count ? last : r.store.count - 1, FALSE);
    }
    int row = hadFocus ? resultsFindInsertIndex(r.store, focusedIndex) : -1;
    r.refocusing = true;
    if (row >= 0) {
        setFocusRow(list, row);
    } else if (hadFocus && !selected && static_cast<uint32_t>(focused) < r.store.count) {
        LVITEMA item = {};
        item.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
        SendMessageA(list, LVM_SETITEMSTATE, focused, reinterpret_cast<LPARAM>(&item));
    }
    r.refocusing = false;
    r.focused = row;
    InvalidateRect(list, nullptr, FALSE);
}

// Rows marked before place upTo leave; with upTo past the last row, every
// marked row leaves and the store is whole again.
uint32_t compactNow(ResultList& r, uint32_t upTo) {
    DWORD start = GetTickCount();
    uint32_t gone = 0;
    bool whole = upTo >= r.store.count;
    if (r.store.marked || (whole && r.store.gap)) {
        // Telling the list a new count redraws its scroll bar, which under
        // Wine costs more than all the rest: while the action runs, rows
        // leave without it, and the list learns its count at the end.
        reorderKeepingFocus(
            r, [&](ResultStore& store) { gone = whole ? resultsCompact(store) : resultsCompactTo(store, upTo); },
            whole);
    }
    r.compactedAt = GetTickCount();
    r.compactCost = r.compactedAt - start;
    return gone;
}

// The text into the list's buffer, cut to fit as the list cuts its own.
void copyText(char* to, int size, const char* text) {
    size_t length = strlen(text);
    if (length >= static_cast<size_t>(size)) length = static_cast<size_t>(size) - 1;
    memcpy(to, text, length);
    to[length] = '\0';
}

void copyText(WCHAR* to, int size, const char* text) {
    if (!MultiByteToWideChar(CP_ACP, 0, text, -1, to, size)) to[size - 1] = L'\0';
}

// A row's text and check image, as the list asks (LVITEMA or LVITEMW).
template <typename Item>
void onDispInfo(const ResultStore& store, Item& item) {
    bool text = (item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0;
    if (item.iItem < 0 || static_cast<uint32_t>(item.iItem) >= store.count) {
        // A place rows left during a file action: empty, without a box.
        if (text) item.pszText[0] = 0;
        if (item.mask & LVIF_STATE) item.state &= ~LVIS_STATEIMAGEMASK;
        return;
    }
    const ResultRow& row = resultsRow(store, static_cast<uint32_t>(item.iItem));
    if (text && item.iSubItem >= 0 && item.iSubItem < kResultColumnCount)
        copyText(item.pszText, item.cchTextMax, row.text[item.iSubItem]);
    if ((item.mask & LVIF_STATE) && (item.stateMask & LVIS_STATEIMAGEMASK))
        item.state = (item.state & ~LVIS_STATEIMAGEMASK) | INDEXTOSTATEIMAGEMASK(row.check);
}

// A click on a row's check box. The list's own toggling does nothing for
// rows it does not keep, so the program toggles the row itself.
void onClick(ResultList& r, const NMITEMACTIVATE& click) {
    LVHITTESTINFO hit = {};
    hit.pt = click.ptAction;
    int row = static_cast<int>(SendMessageA(click.hdr.hwndFrom, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (row >= 0 && (hit.flags & LVHT_ONITEMSTATEICON)) resultListToggle(r, row);
}

void setAllChecks(ResultList& r, uint8_t image) {
    resultsCheckAll(r.store, image);
    InvalidateRect(r.list, nullptr, FALSE);
}

// A check mark set on row (-1: every row) by a message to the list, as
// automation and accessibility tools set one: an owner-data list keeps no
// state image and tells its owner nothing of it, so the store takes it.
void setMark(ResultList& r, int row, const LVITEMA& item) {
    if (!(item.stateMask & LVIS_STATEIMAGEMASK)) return;
    const uint8_t image = static_cast<uint8_t>((item.state & LVIS_STATEIMAGEMASK) >> 12);
    if (!image) return;
    if (row < 0) {
        resultsCheckAll(r.store, image);
    } else if (static_cast<uint32_t>(row) < r.store.count) {
        resultsRow(r.store, static_cast<uint32_t>(row)).check = image;
    }
    InvalidateRect(r.list, nullptr, FALSE);
}

// The result list's own procedure in front of the list view's: marks set
// on rows reach the store. LVITEMA and LVITEMW share the fields read.
LRESULT CALLBACK markingProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    const LVITEMA* item = reinterpret_cast<const LVITEMA*>(lParam);
    ResultList& r = *reinterpret_cast<ResultList*>(data);
    if (item && message == LVM_SETITEMSTATE) setMark(r, static_cast<int>(wParam), *item);
    if (item && (message == LVM_SETITEMA || message == LVM_SETITEMW) && (item->mask & LVIF_STATE) &&
        item->iSubItem == 0)
        setMark(r, item->iItem, *item);
    return DefSubclassProc(list, message, wParam, lParam);
}

}  // namespace

void resultListInit(ResultList& r, HWND list, HWND window, HWND pikture) {
    r.list = list;
    r.window = window;
    r.pikture = pikture;
    SetWindowSubclass(list, markingProc, 0, reinterpret_cast<DWORD_PTR>(&r));
    r.focused = -1;
    SendMessageA(list, LVM_SETCALLBACKMASK, LVIS_STATEIMAGEMASK, 0);
}

void resultListAppend(ResultList& r, const RowBatch& batch, bool last) {
    const bool added = resultsAppend(r.store, batch);
    if (last) {
        resultListShowCount(r);
    } else if (added && !r.countDue) {
        r.countDue = true;
        SetTimer(r.window, IDT_RESULT_COUNT, r.countMs < kCountMs ? kCountMs : r.countMs, nullptr);
    }
}

void resultListShowCount(ResultList& r) {
    if (r.countDue) KillTimer(r.window, IDT_RESULT_COUNT);
    r.countDue = false;
    if (static_cast<uint32_t>(SendMessageA(r.list, LVM_GETITEMCOUNT, 0, 0)) == r.store.count) return;
    const DWORD start = GetTickCount();
    showCount(r.list, r.store, false);
    const DWORD took = (GetTickCount() - start) * 50;
    r.countMs = took < kCountMs ? kCountMs : took > kCountMaxMs ? kCountMaxMs : took;
}

void resultListClear(ResultList& r) {
    if (r.countDue) KillTimer(r.window, IDT_RESULT_COUNT);
    r.countDue = false;
    r.countMs = kCountMs;
    r.focused = -1;
    // An empty list stays as it is: emptying it repaints it whole.
    const bool shown = r.store.count != 0 || SendMessageA(r.list, LVM_GETITEMCOUNT, 0, 0) != 0;
    resultsClear(r.store);
    if (shown) showCount(r.list, r.store, true);
}

int resultListNextChecked(ResultList& r, uint32_t from, ResultRequest& request) {
    if (request.settled >= 0 && static_cast<uint32_t>(request.settled) < r.store.count) {
        uint32_t row = static_cast<uint32_t>(request.settled);
        if (request.how == kSettleRemove) {
            if (!r.store.marked) r.compactedAt = GetTickCount();
            resultsMarkRemoved(r.store, row);
        } else {
            resultsRow(r.store, row).check = kCheckImageUnchecked;
            redrawRow(r.list, static_cast<int>(row));
        }
    }
    request.path[0] = '\0';
    // A compaction moves only the rows passed since the last, yet it asks
    // for a repaint: it comes at most a twentieth of the time. Every marked
    // row lies before from: the worker settles rows in order.
    DWORD due = r.compactCost * 20 > kCompactMs ? r.compactCost * 20 : kCompactMs;
    if (r.store.marked && GetTickCount() - r.compactedAt >= due) {
        uint32_t gone = compactNow(r, from);
        from = from >= gone ? from - gone : 0;
    }
    int32_t row = resultsNextChecked(r.store, from);
    if (row >= 0) resultsRowPath(r.store, static_cast<uint32_t>(row), request.path, kPathSize);
    return row;
}

uint32_t resultListCompact(ResultList& r, uint32_t upTo) {
    return compactNow(r, upTo);
}

void resultListSort(ResultList& r, int column, bool descending) {
    reorderKeepingFocus(r, [&](ResultStore& store) { resultsSort(store, column, descending, resultSortKey); });
}

void checkAll(ResultList& r) {
    setAllChecks(r, kCheckImageChecked);
}

void uncheckAll(ResultList& r) {
    setAllChecks(r, kCheckImageUnchecked);
}

void checkInvert(ResultList& r) {
    resultsCheckInvert(r.store);
    InvalidateRect(r.list, nullptr, FALSE);
}

void checkToggleAll(ResultList& r) {
    if (resultsCheckedCount(r.store) == 0) {
        checkAll(r);
    } else {
        uncheckAll(r);
    }
}

void resultListPreview(ResultList& r, int row) {
    char path[kPathSize];
    // A row of -1 (no focus) is past every row: refused like one.
    bool known = resultsRowPath(r.store, static_cast<uint32_t>(row), path, kPathSize) != 0;
    SendMessageA(r.pikture, WMU_PIKTURE_SHOW, 0, known ? reinterpret_cast<LPARAM>(path) : 0);
}

void resultListToggle(ResultList& r, int row) {
    if (row < 0 || static_cast<uint32_t>(row) >= r.store.count) return;
    resultsCheckToggle(r.store, static_cast<uint32_t>(row));
    redrawRow(r.list, row);
    // As for any state change of the focused row, its picture is shown again.
    if (row == listFocusedRow(r.list)) resultListPreview(r, row);
}

void resultListNoteFocus(ResultList& r, const NMLISTVIEW& change) {
    if (!(change.uChanged & LVIF_STATE)) return;
    if (change.uNewState & LVIS_FOCUSED) {
        if (change.iItem >= 0) r.focused = change.iItem;
    } else if ((change.uOldState & LVIS_FOCUSED) && (change.iItem < 0 || change.iItem == r.focused)) {
        r.focused = -1;
    }
}

bool resultListOnNotify(ResultList& r, const NMHDR& header) {
    switch (header.code) {
    case LVN_GETDISPINFOA:
        onDispInfo(r.store, reinterpret_cast<NMLVDISPINFOA*>(const_cast<NMHDR*>(&header))->item);
        return true;
    case LVN_GETDISPINFOW:
        onDispInfo(r.store, reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(&header))->item);
        return true;
    case NM_CLICK:
        onClick(r, reinterpret_cast<const NMITEMACTIVATE&>(header));
        return true;
    case LVN_KEYDOWN:
        if (reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == VK_SPACE)
            resultListToggle(r, listFocusedRow(header.hwndFrom));
        return true;
    }
    return false;
}
