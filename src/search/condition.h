// Resolution conditions: a size and a comparison, and how a list of them
// decides whether a picture is kept.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "app/platform.h"

// The condition's size stands left of the operator, the picture's right:
// 1024 x 768 with "<=" keeps pictures at least 1024 wide and 768 high.
// The layout is what condition-list rows and stored sets hold.
struct Condition {
    uint32_t width;
    uint32_t height;
    int32_t cond;  // index into condOperatorText
};
static_assert(sizeof(Condition) == 12, "three 32-bit fields");

constexpr int kConditionOperatorCount = 6;

// "==", "!=", "<=", ">=", "<", ">" in index order; the order of the operator
// drop-down and the value stored in the INI file.
extern const char* const condOperatorText[kConditionOperatorCount];

// True when the condition holds for a picture of width x height; all
// comparisons are unsigned 32-bit, and an unknown operator never holds.
bool conditionMatch(const Condition& condition, uint32_t width, uint32_t height);

// True when at least one of the count conditions holds for width x height.
bool conditionAnyMatch(const Condition* conditions, int count, uint32_t width, uint32_t height);

// Writes the row text "%d x %d" of the condition's size into text (size
// bytes). Returns 1, or 0 when it does not fit.
int conditionSizeText(const Condition& condition, char* text, size_t size);

#ifdef _WIN32
// The Condition a row of the condition list view carries as its item data,
// read by list-view messages; none when the row has none.
const Condition* conditionListItem(HWND list, int row);

// Inserts a row at index showing condition ("%d x %d" and the operator
// text) with condition as its item data; the row takes ownership of it (it
// is released when the row is deleted). Returns the row's index, or -1 when
// the list refused it and condition was freed.
int conditionListInsert(HWND list, int index, Condition* condition);

// True when at least one row of the condition list view holds. Reads the row
// count and every row's Condition (its item data) afresh by list-view
// messages, so a worker thread may call it for a list the window thread owns.
bool conditionListMatch(HWND list, uint32_t width, uint32_t height);
#endif
