// The in-place entry strips: borderless one-line modal boxes that open over
// the list they change (a new entry over the list's top edge, an edit over
// its row), re-enable the main window, and cancel themselves when activation
// leaves them. OK or Enter commits, Esc or a click elsewhere abandons.
#pragma once

#include <stdint.h>

#include "app/platform.h"

// What a condition or exclude strip changes. Allocated by the caller from
// the process heap; the strip takes ownership and frees it however it ends.
struct StripTarget {
    HWND list;
    int32_t row;  // -1: add a row at the end; otherwise the row to edit
};

// Template 116, init parameter a StripTarget*. Ends with 0; on OK the row
// holds the new Condition (the old row's record is released by its deletion).
INT_PTR CALLBACK conditionStripProc(HWND strip, UINT message, WPARAM wParam, LPARAM lParam);
// Template 120, init parameter a StripTarget*. Ends with 0; on OK the row
// holds the typed path (at most 259 characters, possibly empty).
INT_PTR CALLBACK excludeStripProc(HWND strip, UINT message, WPARAM wParam, LPARAM lParam);
// Template 122, init parameter the condition list. Ends with 0 when
// cancelled, else a heap text with the typed name that the caller frees.
INT_PTR CALLBACK setNameStripProc(HWND strip, UINT message, WPARAM wParam, LPARAM lParam);

// Runs a condition or exclude strip over target's list, owned by owner;
// takes ownership of target. Runs the set-name strip over list; returns its
// heap text or none.
void stripRunCondition(HWND owner, StripTarget* target);
void stripRunExclude(HWND owner, StripTarget* target);
char* stripRunSetName(HWND owner, HWND list);
