#include "search/condition.h"

#include <stdio.h>

#include "app/text.h"

#ifdef _WIN32
#include <commctrl.h>
#endif

const char* const condOperatorText[kConditionOperatorCount] = {
    "==", "!=", "<=", ">=", "<", ">",
};

bool conditionMatch(const Condition& condition, uint32_t width, uint32_t height) {
    const uint32_t w = condition.width;
    const uint32_t h = condition.height;
    switch (condition.cond) {
    case 0: return w == width && h == height;
    case 1: return w != width || h != height;
    case 2: return w <= width && h <= height;
    case 3: return w >= width && h >= height;
    case 4: return w < width && h < height;
    case 5: return w > width && h > height;
    default: return false;
    }
}

bool conditionAnyMatch(const Condition* conditions, int count, uint32_t width, uint32_t height) {
    for (int i = 0; i < count; ++i) {
        if (conditionMatch(conditions[i], width, height)) return true;
    }
    return false;
}

int conditionSizeText(const Condition& condition, char* text, size_t size) {
    // The row shows the fields as signed numbers, as stored sets print them.
    int written = snprintf(text, size, "%d x %d", static_cast<int32_t>(condition.width),
                           static_cast<int32_t>(condition.height));
    if (written >= 0 && static_cast<size_t>(written) < size) return 1;
    if (size > 0) text[0] = '\0';
    return 0;
}

#ifdef _WIN32

const Condition* conditionListItem(HWND list, int row) {
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return nullptr;
    return reinterpret_cast<const Condition*>(item.lParam);
}

int conditionListInsert(HWND list, int index, Condition* condition) {
    char text[32];
    conditionSizeText(*condition, text, sizeof text);
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = index;
    item.pszText = text;
    item.lParam = reinterpret_cast<LPARAM>(condition);
    int row = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0) {
        textFree(condition);
        return -1;
    }
    bool known = condition->cond >= 0 && condition->cond < kConditionOperatorCount;
    LVITEMA sub = {};
    sub.iSubItem = 1;
    sub.pszText = const_cast<char*>(known ? condOperatorText[condition->cond] : "");
    SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&sub));
    return row;
}

bool conditionListMatch(HWND list, uint32_t width, uint32_t height) {
    int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
        const Condition* condition = conditionListItem(list, row);
        if (condition && conditionMatch(*condition, width, height)) return true;
    }
    return false;
}

#endif
