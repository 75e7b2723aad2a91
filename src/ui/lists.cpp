#include "ui/lists.h"

#include <shellapi.h>
#include <string.h>

#include "app/settings.h"
#include "app/text.h"
#include "dialogs/strips.h"
#include "search/condition.h"
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

void openFocusedResult(const MainWindowState& s) {
    int row = listFocusedRow(s.resultList);
    char path[kPathSize];
    if (row < 0 || !resultsRowPath(s.results->store, static_cast<uint32_t>(row), path, kPathSize)) return;
    ShellExecuteA(s.window, nullptr, path, nullptr, nullptr, SW_SHOWNORMAL);
}

void onDoubleClick(const MainWindowState& s, HWND source) {
    if (source == s.conditionList) {
        editFocusedRow(s.window, source, true);
    } else if (source == s.excludeList) {
        editFocusedRow(s.window, source, false);
    } else if (source == s.resultList) {
        openFocusedResult(s);
    }
}

// Header click on column: ascending, descending, insertion order, again.
// The toolist keeps the sort state as its sort tag.
void sortByColumn(MainWindowState& s, int column) {
    HWND toolist = s.resultToolist;
    uint32_t tag = static_cast<uint32_t>(SendMessageA(toolist, WMU_TOOLIST_PART, kToolistGetSortTag, 0));
    if (static_cast<int>(tag >> 16) == column) {
        ++tag;
        if ((tag & 0xFFFF) >= 2) tag = kSortInsertionOrder;
    } else {
        tag = static_cast<uint32_t>(column) << 16;
    }
    SendMessageA(toolist, WMU_TOOLIST_PART, kToolistSetSortTag, static_cast<LPARAM>(tag));
    resultListSort(*s.results, tag == kSortInsertionOrder ? -1 : column, (tag & 0xFFFF) != 0);
}

// Not while the program puts the focus back after a reorder: the preview
// already shows that row.
void onItemChanged(MainWindowState& s, const NMLISTVIEW& change) {
    if (change.hdr.hwndFrom != s.resultList) return;
    resultListNoteFocus(*s.results, change);
    if (!(change.uChanged & LVIF_STATE) || !(change.uNewState & LVIS_FOCUSED)) return;
    if (!s.results->refocusing) resultListPreview(*s.results, change.iItem);
}

// Enter with OldEnterOperation set: toggle the focused row's mark and move
// the focus and selection one row down.
void toggleAndStepDown(MainWindowState& s) {
    HWND list = s.resultList;
    int row = listFocusedRow(list);
    if (row < 0) return;
    resultListToggle(*s.results, row);
    setItemState(list, row, 0, LVIS_FOCUSED | LVIS_SELECTED);
    if (row + 1 < listRowCount(list)) setItemState(list, row + 1, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
}

void onEnter(MainWindowState& s) {
    HWND list = s.resultList;
    if (GetFocus() != list) return;
    if (appSettings.OldEnterOperation) {
        toggleAndStepDown(s);
        return;
    }
    NMHDR header = {list, 0, static_cast<UINT>(NM_DBLCLK)};
    SendMessageA(s.window, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
}

void onTab(const MainWindowState& s) {
    HWND ring[] = {s.conditionList, s.excludeList, s.pikture, s.resultList};
    constexpr int kRing = sizeof ring / sizeof ring[0];
    HWND focus = GetFocus();
    int next = 0;
    for (int i = 0; i < kRing; ++i) {
        if (ring[i] == focus) next = (i + 1) % kRing;
    }
    SetFocus(ring[next]);
}

}  // namespace

void conditionRowAdd(HWND list, const Condition& condition) {
    Condition* copy = static_cast<Condition*>(textAlloc(sizeof(Condition)));
    if (!copy) return;
    *copy = condition;
    conditionListInsert(list, listRowCount(list), copy);
}

void conditionListLoad(HWND list, const ConditionSet& set) {
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    for (uint32_t i = 0; i < set.itemCount; ++i) conditionRowAdd(list, *set.items[i]);
}

void deleteSelectedRows(HWND list) {
    for (;;) {
        int row = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
        if (row < 0 || !SendMessageA(list, LVM_DELETEITEM, row, 0)) return;
    }
}

LRESULT listsOnNotify(MainWindowState& s, const NMHDR& header) {
    if (header.hwndFrom == s.resultList && resultListOnNotify(*s.results, header)) return 0;
    switch (header.code) {
    case LVN_DELETEALLITEMS:
        // Result rows own nothing: no notice per row is needed, and a search
        // that empties ten thousand rows would wait for ten thousand. The
        // condition rows own their records and are told one by one.
        return header.hwndFrom == s.resultList ? TRUE : FALSE;
    case LVN_DELETEITEM:
        if (header.hwndFrom == s.conditionList)
            textFree(reinterpret_cast<Condition*>(reinterpret_cast<const NMLISTVIEW&>(header).lParam));
        break;
    case NM_DBLCLK:
        onDoubleClick(s, header.hwndFrom);
        break;
    case LVN_ITEMCHANGED:
        onItemChanged(s, reinterpret_cast<const NMLISTVIEW&>(header));
        break;
    case LVN_COLUMNCLICK:
        if (header.hwndFrom == s.resultList) sortByColumn(s, reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
        break;
    }
    return 0;
}

void listsOnKeyDown(MainWindowState& s, WPARAM key) {
    if (key == VK_RETURN) onEnter(s);
    if (key == VK_TAB) onTab(s);
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
