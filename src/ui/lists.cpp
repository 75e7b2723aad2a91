#include "ui/lists.h"

#include <shellapi.h>
#include <string.h>

#include "app/settings.h"
#include "app/text.h"
#include "dialogs/strips.h"
#include "search/condition.h"
#include "ui/mainwnd.h"
#include "ui/resultlist.h"
#include "ui/toolist.h"

namespace {

void setItemState(HWND list, int row, UINT state, UINT mask) {
    LVITEMA item = {};
    item.stateMask = mask;
    item.state = state;
    SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

void editFocusedRow(HWND window, HWND list, bool condition) {
    int row = listFocusedRow(list);
    if (row >= 0) listStripOpen(window, list, row, condition);
}

void openFocusedResult(HWND window) {
    HWND list = mainResultList(window);
    int row = listFocusedRow(list);
    char path[kPathSize];
    if (row < 0 || !resultRowPath(window, row, path)) return;
    ShellExecuteA(window, nullptr, path, nullptr, nullptr, SW_SHOWNORMAL);
}

void onDoubleClick(HWND window, HWND source) {
    if (source == mainConditionList(window)) {
        editFocusedRow(window, source, true);
    } else if (source == mainExcludeList(window)) {
        editFocusedRow(window, source, false);
    } else if (source == mainResultList(window)) {
        openFocusedResult(window);
    }
}

// Header click on column: ascending, descending, insertion order, again.
void sortByColumn(HWND window, int column) {
    HWND toolist = mainResultToolist(window);
    uint32_t tag = static_cast<uint32_t>(SendMessageA(toolist, WM_USER, kToolistGetSortTag, 0));
    if (static_cast<int>(tag >> 16) == column) {
        ++tag;
        if ((tag & 0xFFFF) >= 2) tag = kSortInsertionOrder;
    } else {
        tag = static_cast<uint32_t>(column) << 16;
    }
    SendMessageA(toolist, WM_USER, kToolistSetSortTag, static_cast<LPARAM>(tag));
    resultListSort(window, tag == kSortInsertionOrder ? -1 : column, (tag & 0xFFFF) != 0);
}

// Not while the program puts the focus back after a reorder: the preview
// already shows that row.
void onItemChanged(HWND window, const NMLISTVIEW& change) {
    if (change.hdr.hwndFrom != mainState(window)->results->list) return;
    resultListNoteFocus(window, change);
    if (!(change.uChanged & LVIF_STATE) || !(change.uNewState & LVIS_FOCUSED)) return;
    if (!mainState(window)->results->refocusing) resultListPreview(window, change.iItem);
}

// Enter with OldEnterOperation set: toggle the focused row's mark and move
// the focus and selection one row down.
void toggleAndStepDown(HWND window, HWND list) {
    int row = listFocusedRow(list);
    if (row < 0) return;
    resultListToggle(window, row);
    setItemState(list, row, 0, LVIS_FOCUSED | LVIS_SELECTED);
    if (row + 1 < listRowCount(list)) setItemState(list, row + 1, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
}

void onEnter(HWND window) {
    HWND list = mainResultList(window);
    if (GetFocus() != list) return;
    if (appSettings.OldEnterOperation) {
        toggleAndStepDown(window, list);
        return;
    }
    NMHDR header = {list, 0, static_cast<UINT>(NM_DBLCLK)};
    SendMessageA(window, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
}

void onTab(HWND window) {
    HWND ring[] = {mainConditionList(window), mainExcludeList(window), mainPikture(window),
                   mainResultList(window)};
    constexpr int kRing = sizeof ring / sizeof ring[0];
    HWND focus = GetFocus();
    int next = 0;
    for (int i = 0; i < kRing; ++i) {
        if (ring[i] == focus) next = (i + 1) % kRing;
    }
    SetFocus(ring[next]);
}

}  // namespace

int listFocusedRow(HWND list) {
    return static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}

void conditionRowAdd(HWND list, const Condition& condition) {
    Condition* copy = static_cast<Condition*>(textAlloc(sizeof(Condition)));
    if (!copy) return;
    *copy = condition;
    conditionListInsert(list, listRowCount(list), copy);
}

void conditionListLoad(HWND window, const ConditionSet& set) {
    HWND list = mainConditionList(window);
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    for (uint32_t i = 0; i < set.itemCount; ++i) conditionRowAdd(list, *set.items[i]);
}

void deleteSelectedRows(HWND list) {
    for (;;) {
        int row = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
        if (row < 0 || !SendMessageA(list, LVM_DELETEITEM, row, 0)) return;
    }
}

LRESULT listsOnNotify(HWND window, const NMHDR& header) {
    if (header.hwndFrom == mainState(window)->results->list && resultListOnNotify(window, header)) return 0;
    switch (header.code) {
    case LVN_DELETEALLITEMS:
        // Result rows own nothing: no notice per row is needed, and a search
        // that empties ten thousand rows would wait for ten thousand. The
        // condition rows own their records and are told one by one.
        return header.hwndFrom == mainResultList(window) ? TRUE : FALSE;
    case LVN_DELETEITEM:
        if (header.hwndFrom == mainConditionList(window))
            textFree(reinterpret_cast<Condition*>(reinterpret_cast<const NMLISTVIEW&>(header).lParam));
        break;
    case NM_DBLCLK:
        onDoubleClick(window, header.hwndFrom);
        break;
    case LVN_ITEMCHANGED:
        onItemChanged(window, reinterpret_cast<const NMLISTVIEW&>(header));
        break;
    case LVN_COLUMNCLICK:
        if (header.hwndFrom == mainResultList(window))
            sortByColumn(window, reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
        break;
    }
    return 0;
}

void listsOnKeyDown(HWND window, WPARAM key) {
    if (key == VK_RETURN) onEnter(window);
    if (key == VK_TAB) onTab(window);
}

int listRowCount(HWND list) {
    return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
}

void listStripOpen(HWND window, HWND list, int row, bool condition) {
    StripTarget* target = static_cast<StripTarget*>(textAlloc(sizeof(StripTarget)));
    if (!target) return;
    target->list = list;
    target->row = row;
    if (condition) {
        stripRunCondition(window, target);
    } else {
        stripRunExclude(window, target);
    }
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_FRAME);
}
