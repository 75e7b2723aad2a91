// The toolist: a flat toolbar over a report list view with check boxes, both
// forwarding what happens in them to one owner window (its children's keys
// through dialogs/subclass.h).
#pragma once

#include <stdint.h>

#include "app/platform.h"
#include "resource.h"

#include <commctrl.h>

extern const char kToolistClass[];  // "qlx_toolistWnd"

// The toolist message (WMU_TOOLIST_PART): wParam 0 answers the toolbar, 1 the list,
// 2 sortTag; 3 stores lParam in sortTag and answers it; others answer 0.
constexpr WPARAM kToolistToolbar = 0;
constexpr WPARAM kToolistList = 1;
constexpr WPARAM kToolistGetSortTag = 2;
constexpr WPARAM kToolistSetSortTag = 3;

struct ToolistState {
    HWND owner;  // receives every notification, command and key
    HWND toolbar;
    HWND list;
    uint32_t sortTag;  // kept for the owner, never interpreted here
};

// The image strip every toolbar shares, from toolistInit to toolistTerm.
extern HIMAGELIST toolistImages;

// Registers the class and loads toolistImages; 1 on success.
int toolistInit();
// Destroys toolistImages.
void toolistTerm();

// Creates a visible toolist child of parent that forwards to owner; its list
// gets listStyle (LVS_OWNERDATA, say) on top of the usual styles.
HWND toolistCreate(HWND parent, HWND owner, DWORD listStyle = 0);

// The number of rows of list.
int listRowCount(HWND list);

// The row of list that has the focus, or -1.
int listFocusedRow(HWND list);
