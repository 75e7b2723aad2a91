#include "dialogs/strips.h"

#include <commctrl.h>

#include "app/text.h"
#include "dialogs/dirprompt.h"
#include "resource.h"
#include "search/condition.h"

namespace {

// The open marker in the dialog's user slot: the StripTarget, or 1 for the
// set-name strip; 0 once the strip is ending.
LONG_PTR openMarker(HWND strip) {
    return GetWindowLongPtrA(strip, DWLP_USER);
}

void setMarker(HWND strip, LONG_PTR value) {
    SetWindowLongPtrA(strip, DWLP_USER, value);
}

StripTarget* targetOf(HWND strip) {
    return reinterpret_cast<StripTarget*>(openMarker(strip));
}

// Puts the strip over the list's client origin, or over row when it is one,
// and gives the main window back its input.
void place(HWND strip, HWND list, int row) {
    POINT at = {0, 0};
    ClientToScreen(list, &at);
    RECT bounds = {};
    bounds.left = LVIR_BOUNDS;
    if (row != -1 && SendMessageA(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&bounds))) {
        at.x += bounds.left;
        at.y += bounds.top;
    }
    // Not activated yet: that comes when the dialog box shows the strip, filled.
    SetWindowPos(strip, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EnableWindow(GetParent(strip), TRUE);
}

// True when window is strip or is owned, at any depth, by it: the folder
// browser the exclude strip opens does not count as leaving the strip.
bool ownedBy(HWND window, HWND strip) {
    for (; window; window = GetWindow(window, GW_OWNER)) {
        if (window == strip) return true;
    }
    return false;
}

// Ends the strip with value; a target it still holds is released.
void finish(HWND strip, INT_PTR value, bool releaseTarget) {
    if (releaseTarget) textFree(targetOf(strip));
    setMarker(strip, 0);
    EndDialog(strip, value);
}

// The endings all strips share; true when message was fully handled here.
bool commonEnding(HWND strip, UINT message, WPARAM wParam, LPARAM lParam, bool ownsTarget) {
    switch (message) {
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE && openMarker(strip) &&
            !ownedBy(reinterpret_cast<HWND>(lParam), strip))
            SendMessageA(strip, WM_CLOSE, 0, 0);
        return false;  // the dialog manager still saves and restores the focus
    case WM_CLOSE:
        SendMessageA(strip, WM_COMMAND, IDCANCEL, 0);
        return true;
    case WM_COMMAND:
        if (LOWORD(wParam) != IDCANCEL) return false;
        if (openMarker(strip)) finish(strip, 0, ownsTarget);
        return true;
    }
    return false;
}

void conditionFill(HWND strip, const StripTarget& target) {
    HWND combo = GetDlgItem(strip, IDC_OPERATOR_COMBO);
    for (const char* text : condOperatorText) SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    SendMessageA(combo, CB_SETCURSEL, 0, 0);
    if (target.row == -1) return;
    const Condition* condition = conditionListItem(target.list, target.row);
    if (!condition) return;
    SetDlgItemInt(strip, IDC_WIDTH_EDIT, condition->width, FALSE);
    SetDlgItemInt(strip, IDC_HEIGHT_EDIT, condition->height, FALSE);
    SendMessageA(combo, CB_SETCURSEL, condition->cond, 0);
}

void conditionOk(HWND strip) {
    StripTarget* target = targetOf(strip);
    Condition* condition = target ? static_cast<Condition*>(textAlloc(sizeof(Condition))) : nullptr;
    if (!condition) return;
    condition->width = GetDlgItemInt(strip, IDC_WIDTH_EDIT, nullptr, FALSE);
    condition->height = GetDlgItemInt(strip, IDC_HEIGHT_EDIT, nullptr, FALSE);
    LRESULT selected = SendDlgItemMessageA(strip, IDC_OPERATOR_COMBO, CB_GETCURSEL, 0, 0);
    condition->cond = selected < 0 ? 0 : static_cast<int32_t>(selected);
    int index = target->row;
    if (index == -1) {
        index = static_cast<int>(SendMessageA(target->list, LVM_GETITEMCOUNT, 0, 0));
    } else {
        // Its deletion notice releases the old record.
        SendMessageA(target->list, LVM_DELETEITEM, index, 0);
    }
    conditionListInsert(target->list, index, condition);
    finish(strip, 0, true);
}

void excludeFill(HWND strip, const StripTarget& target) {
    if (target.row == -1) return;
    char path[kPathSize] = "";
    LVITEMA item = {};
    item.pszText = path;
    item.cchTextMax = sizeof path;
    SendMessageA(target.list, LVM_GETITEMTEXTA, target.row, reinterpret_cast<LPARAM>(&item));
    SetDlgItemTextA(strip, IDC_PATH_EDIT, path);
}

void excludeBrowse(HWND strip) {
    char path[kPathSize];
    // A click elsewhere while the browser was open has ended the strip.
    if (!folderBrowse(strip, path) || !openMarker(strip)) return;
    HWND edit = GetDlgItem(strip, IDC_PATH_EDIT);
    SetWindowTextA(edit, path);
    int length = GetWindowTextLengthA(edit);
    SendMessageA(edit, EM_SETSEL, length, length);
    SetFocus(edit);
}

void excludeOk(HWND strip) {
    StripTarget* target = targetOf(strip);
    if (!target) return;
    // A longer text would be cut by the path buffer: the strip stays open.
    if (SendDlgItemMessageA(strip, IDC_PATH_EDIT, WM_GETTEXTLENGTH, 0, 0) >= static_cast<LRESULT>(kPathSize)) {
        MessageBeep(MB_ICONHAND);
        return;
    }
    char path[kPathSize];
    GetDlgItemTextA(strip, IDC_PATH_EDIT, path, sizeof path);
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.pszText = path;
    if (target->row == -1) {
        item.iItem = static_cast<int>(SendMessageA(target->list, LVM_GETITEMCOUNT, 0, 0));
        SendMessageA(target->list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    } else {
        item.iItem = target->row;
        SendMessageA(target->list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    finish(strip, 0, true);
}

// The name the set-name strip on this thread ended with: Wine keeps only
// the low 32 bits of a 64-bit EndDialog value, which would cut a heap
// address, so stripRunSetName reads it from here.
thread_local char* setNameResult = nullptr;

void setNameSave(HWND strip) {
    HWND edit = GetDlgItem(strip, IDC_SET_NAME_EDIT);
    size_t length = static_cast<size_t>(SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0));
    char* name = static_cast<char*>(textAlloc(length + 1));
    if (!name) return;
    GetWindowTextA(edit, name, static_cast<int>(length + 1));
    setNameResult = name;
    finish(strip, reinterpret_cast<INT_PTR>(name), false);
}

// Opening for the two strips that take a StripTarget.
void openOnTarget(HWND strip, LPARAM parameter) {
    setMarker(strip, parameter);
    StripTarget* target = targetOf(strip);
    place(strip, target->list, target->row);
}

}  // namespace

INT_PTR CALLBACK conditionStripProc(HWND strip, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        openOnTarget(strip, lParam);
        conditionFill(strip, *targetOf(strip));
        return TRUE;
    }
    if (commonEnding(strip, message, wParam, lParam, true)) return TRUE;
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
        conditionOk(strip);
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK excludeStripProc(HWND strip, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        openOnTarget(strip, lParam);
        excludeFill(strip, *targetOf(strip));
        return TRUE;
    }
    if (commonEnding(strip, message, wParam, lParam, true)) return TRUE;
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
        excludeOk(strip);
        return TRUE;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDC_BROWSE) {
        excludeBrowse(strip);
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK setNameStripProc(HWND strip, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        setMarker(strip, 1);
        place(strip, reinterpret_cast<HWND>(lParam), -1);
        return TRUE;
    }
    if (commonEnding(strip, message, wParam, lParam, false)) return TRUE;
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
        setNameSave(strip);
        return TRUE;
    }
    return FALSE;
}

namespace {

INT_PTR runStrip(HWND owner, int templateId, DLGPROC proc, LPARAM parameter) {
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), owner, proc, parameter);
}

}  // namespace

void stripRunCondition(HWND owner, StripTarget* target) {
    // A strip that never opened never took the target.
    if (runStrip(owner, IDD_CONDITION_STRIP, conditionStripProc, reinterpret_cast<LPARAM>(target)) == -1)
        textFree(target);
}

void stripRunExclude(HWND owner, StripTarget* target) {
    if (runStrip(owner, IDD_EXCLUDE_STRIP, excludeStripProc, reinterpret_cast<LPARAM>(target)) == -1)
        textFree(target);
}

char* stripRunSetName(HWND owner, HWND list) {
    setNameResult = nullptr;
    runStrip(owner, IDD_SET_NAME_STRIP, setNameStripProc, reinterpret_cast<LPARAM>(list));
    char* name = setNameResult;
    setNameResult = nullptr;
    return name;
}
