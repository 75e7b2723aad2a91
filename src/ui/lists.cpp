#include "ui/lists.h"

#include <shellapi.h>
#include <string.h>

#include <algorithm>

#include "app/settings.h"
#include "app/text.h"
#include "dialogs/strips.h"
#include "search/condition.h"
#include "search/scan.h"
#include "ui/mainwnd.h"
#include "ui/toolist.h"

// One row's sort value: its item data, its text (at most the first 29
// characters count) and the number that text begins with.
struct SortEntry {
    LPARAM param;
    uint32_t number;
    char text[30];
};

namespace {

void toggleCheck(HWND list, int row) {
    listSetCheckImage(list, row,
                      listCheckImage(list, row) == kCheckImageUnchecked ? kCheckImageChecked : kCheckImageUnchecked);
}

void setItemState(HWND list, int row, UINT state, UINT mask) {
    LVITEMA item = {};
    item.stateMask = mask;
    item.state = state;
    SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

void setAllChecks(HWND window, int image) {
    HWND list = mainResultList(window);
    for (int row = 0, count = listRowCount(list); row < count; ++row) listSetCheckImage(list, row, image);
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

void previewRow(HWND window, int row) {
    char path[kPathSize];
    bool known = resultRowPath(window, row, path) != 0;
    SendMessageA(mainPikture(window), WM_USER, 0, known ? reinterpret_cast<LPARAM>(path) : 0);
}

// Each row's item data with its text of column, sorted by item data.
SortEntry* readSortKeys(HWND list, int column, int& count) {
    count = listRowCount(list);
    SortEntry* keys = static_cast<SortEntry*>(textAlloc(sizeof(SortEntry) * (count > 0 ? count : 1)));
    if (!keys) return nullptr;
    for (int row = 0; row < count; ++row) {
        LVITEMA item = {};
        item.mask = LVIF_PARAM | LVIF_TEXT;
        item.iItem = row;
        item.iSubItem = column;
        item.pszText = keys[row].text;
        item.cchTextMax = sizeof keys[row].text;
        SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        keys[row].param = item.lParam;
        keys[row].number = static_cast<uint32_t>(parseDigits(keys[row].text));
    }
    std::sort(keys, keys + count, [](const SortEntry& a, const SortEntry& b) { return a.param < b.param; });
    return keys;
}

const SortEntry* findKey(const SortKey& key, LPARAM param) {
    const SortEntry* begin = key.keys;
    const SortEntry* end = begin + key.keyCount;
    const SortEntry* at = std::lower_bound(begin, end, param,
                                           [](const SortEntry& e, LPARAM p) { return e.param < p; });
    return at != end && at->param == param ? at : nullptr;
}

template <typename T>
int threeWay(T a, T b) {
    return a < b ? -1 : a > b ? 1 : 0;
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
    SortKey key = {mainResultList(window), column, tag, nullptr, 0};
    key.keys = readSortKeys(key.list, column, key.keyCount);
    if (!key.keys) return;
    SendMessageA(key.list, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&key),
                 reinterpret_cast<LPARAM>(listSortCompare));
    textFree(key.keys);
}

// The focus test comes first: a search's every inserted row notifies, and
// finding the result list costs window messages.
void onItemChanged(HWND window, const NMLISTVIEW& change) {
    if (!(change.uChanged & LVIF_STATE) || !(change.uNewState & LVIS_FOCUSED)) return;
    if (change.hdr.hwndFrom == mainResultList(window)) previewRow(window, change.iItem);
}

// Enter with OldEnterOperation set: toggle the focused row's mark and move
// the focus and selection one row down.
void toggleAndStepDown(HWND list) {
    int row = listFocusedRow(list);
    if (row < 0) return;
    toggleCheck(list, row);
    setItemState(list, row, 0, LVIS_FOCUSED | LVIS_SELECTED);
    if (row + 1 < listRowCount(list)) setItemState(list, row + 1, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
}

void onEnter(HWND window) {
    HWND list = mainResultList(window);
    if (GetFocus() != list) return;
    if (appSettings.OldEnterOperation) {
        toggleAndStepDown(list);
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

void checkAll(HWND window) {
    setAllChecks(window, kCheckImageChecked);
}

void uncheckAll(HWND window) {
    setAllChecks(window, kCheckImageUnchecked);
}

void checkInvert(HWND window) {
    HWND list = mainResultList(window);
    for (int row = 0, count = listRowCount(list); row < count; ++row)
        toggleCheck(list, row);
}

void checkToggleAll(HWND window) {
    HWND list = mainResultList(window);
    int count = listRowCount(list);
    int row = 0;
    while (row < count && listCheckImage(list, row) == kCheckImageUnchecked) ++row;
    if (row == count) {
        checkAll(window);
    } else {
        uncheckAll(window);
    }
}

int CALLBACK listSortCompare(LPARAM first, LPARAM second, LPARAM keyParameter) {
    const SortKey& key = *reinterpret_cast<const SortKey*>(keyParameter);
    if (key.tag == kSortInsertionOrder) return threeWay<int32_t>(static_cast<int32_t>(first), static_cast<int32_t>(second));
    const SortEntry* a = findKey(key, first);
    const SortEntry* b = findKey(key, second);
    int result = 0;
    if (a && b) {
        switch (key.column) {
        case kResultColumnFileName:
        case kResultColumnFullPath:
        case kResultColumnHandledBy:
            result = lstrcmpA(a->text, b->text);
            break;
        case kResultColumnFileSize:
            result = threeWay(a->number, b->number);
            break;
        }
    }
    return (key.tag & 0xFFFF) ? -result : result;
}

LRESULT listsOnNotify(HWND window, const NMHDR& header) {
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

int listCheckImage(HWND list, int row) {
    return static_cast<int>(SendMessageA(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK) >> 12);
}

void listSetCheckImage(HWND list, int row, int image) {
    setItemState(list, row, INDEXTOSTATEIMAGEMASK(image), LVIS_STATEIMAGEMASK);
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
