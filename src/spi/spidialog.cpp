#include "spi/spidialog.h"

#include <commctrl.h>

#include "app/resstring.h"
#include "resource.h"
#include "spi/plugins.h"
#include "spi/route.h"

namespace {

constexpr int kButtons[4] = {IDOK, IDC_PLUGIN_APPLY, IDC_PLUGIN_UP, IDC_PLUGIN_DOWN};
constexpr int kCheckedImage = 2;
constexpr int kUncheckedImage = 1;

SpiDialogAnchors* anchorsOf(HWND dialog) {
    return reinterpret_cast<SpiDialogAnchors*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

RECT clientRectOf(HWND dialog, HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

int rowCount(HWND list) {
    return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
}

UINT rowState(HWND list, int row, UINT mask) {
    return static_cast<UINT>(SendMessageA(list, LVM_GETITEMSTATE, row, mask));
}

int rowCheckImage(HWND list, int row) {
    return static_cast<int>(rowState(list, row, LVIS_STATEIMAGEMASK) >> 12);
}

void setRowState(HWND list, int row, UINT state, UINT mask) {
    LVITEMA item = {};
    item.state = state;
    item.stateMask = mask;
    SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

SusiePlugin* rowRecord(HWND list, int row) {
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return reinterpret_cast<SusiePlugin*>(item.lParam);
}

// A row for plugin at index: its file name, its description as the plug-in
// gives it now, its check mark and the selection state given.
void insertRow(HWND list, int index, SusiePlugin* plugin, int image, UINT selection) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_STATE;
    item.iItem = index;
    item.pszText = plugin->fileName;
    item.lParam = reinterpret_cast<LPARAM>(plugin);
    item.state = selection;
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    int row = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0) return;
    setRowState(list, row, INDEXTOSTATEIMAGEMASK(image), LVIS_STATEIMAGEMASK);
    char description[kSpiDescriptionSize];
    spiDescription(*plugin, description);
    LVITEMA sub = {};
    sub.iSubItem = 1;
    sub.pszText = description;
    SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&sub));
}

void moveRow(HWND list, int from, int to) {
    SusiePlugin* plugin = rowRecord(list, from);
    UINT selection = rowState(list, from, LVIS_SELECTED | LVIS_FOCUSED);
    int image = rowCheckImage(list, from);
    SendMessageA(list, LVM_DELETEITEM, from, 0);
    insertRow(list, to, plugin, image, selection);
}

bool selected(HWND list, int row) {
    return rowState(list, row, LVIS_SELECTED) != 0;
}

// Each selected row whose neighbour in direction step is not selected moves
// one place, so a block of selected rows moves as a whole and stops at an end.
void onMove(HWND list, int step) {
    const int count = rowCount(list);
    if (step < 0) {
        for (int row = 1; row < count; ++row)
            if (selected(list, row) && !selected(list, row - 1)) moveRow(list, row, row - 1);
    } else {
        for (int row = count - 2; row >= 0; --row)
            if (selected(list, row) && !selected(list, row + 1)) moveRow(list, row, row + 1);
    }
}

// Copies of the rows' records, in row order with the rows' check marks,
// become spiList. The copies of an earlier Apply go: no row refers to them.
void onApply(HWND dialog, SpiDialogAnchors& anchors) {
    HWND list = GetDlgItem(dialog, IDC_PLUGIN_LIST);
    SusiePlugin* head = nullptr;
    SusiePlugin** link = &head;
    for (int row = 0, count = rowCount(list); row < count; ++row) {
        SusiePlugin* copy = static_cast<SusiePlugin*>(textAlloc(sizeof(SusiePlugin)));
        if (!copy) {
            spiListFree(head);
            return;
        }
        *copy = *rowRecord(list, row);
        copy->enabled = rowCheckImage(list, row) == kCheckedImage ? 1 : 0;
        if (copy->enabled) copy->faulted = 0;  // enabled again by the user's own choice
        copy->next = nullptr;
        *link = copy;
        link = &copy->next;
    }
    SusiePlugin* replaced = spiList;
    spiList = head;
    if (anchors.applied) spiListFree(replaced);
    anchors.applied = true;
}

void onDoubleClick(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_PLUGIN_LIST);
    int row = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    if (row < 0) return;
    if (spiConfigure(*rowRecord(list, row), dialog) == kSusieNoDialog) MessageBeep(MB_ICONASTERISK);
}

void addColumn(HWND list, int index, int width, int titleId) {
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = width;
    column.pszText = const_cast<char*>(resString(titleId) ? resString(titleId) : "");
    SendMessageA(list, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column));
}

BOOL onInit(HWND dialog) {
    SpiDialogAnchors* anchors = static_cast<SpiDialogAnchors*>(textAlloc(sizeof(SpiDialogAnchors)));
    if (!anchors) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(anchors));
    RECT client;
    GetClientRect(dialog, &client);
    HWND list = GetDlgItem(dialog, IDC_PLUGIN_LIST);
    RECT listRect = clientRectOf(dialog, list);
    anchors->listRight = client.right - (listRect.right - listRect.left);
    anchors->listBottom = client.bottom - (listRect.bottom - listRect.top);
    for (int i = 0; i < 4; ++i) {
        RECT button = clientRectOf(dialog, GetDlgItem(dialog, kButtons[i]));
        anchors->buttonRight[i] = client.right - button.left;
        anchors->buttonTop[i] = button.top;
    }
    anchors->opened = spiList;

    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    addColumn(list, 0, 100, IDS_COL_PLUGIN_FILENAME);
    addColumn(list, 1, 350, IDS_COL_DESCRIPTION);
    int row = 0;
    for (SusiePlugin* p = spiList; p; p = p->next, ++row)
        insertRow(list, row, p, p->enabled ? kCheckedImage : kUncheckedImage, 0);
    return TRUE;
}

void onSize(HWND dialog, int width, int height) {
    const SpiDialogAnchors* anchors = anchorsOf(dialog);
    for (int i = 0; i < 4; ++i)
        SetWindowPos(GetDlgItem(dialog, kButtons[i]), nullptr, width - anchors->buttonRight[i], anchors->buttonTop[i],
                     0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(GetDlgItem(dialog, IDC_PLUGIN_LIST), nullptr, 0, 0, width - anchors->listRight,
                 height - anchors->listBottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void onDestroy(HWND dialog) {
    SpiDialogAnchors* anchors = anchorsOf(dialog);
    SetWindowLongPtrA(dialog, DWLP_USER, 0);
    if (anchors && anchors->applied) spiListFree(anchors->opened);
    textFree(anchors);
}

void onCommand(HWND dialog, int command) {
    switch (command) {
    case IDC_PLUGIN_UP:
        onMove(GetDlgItem(dialog, IDC_PLUGIN_LIST), -1);
        break;
    case IDC_PLUGIN_DOWN:
        onMove(GetDlgItem(dialog, IDC_PLUGIN_LIST), 1);
        break;
    case IDC_PLUGIN_APPLY:
        onApply(dialog, *anchorsOf(dialog));
        break;
    case IDOK:
    case IDCANCEL:
        EndDialog(dialog, 0);
        break;
    }
}

}  // namespace

INT_PTR CALLBACK spiSettingsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) return onInit(dialog);
    if (!anchorsOf(dialog)) return FALSE;
    switch (message) {
    case WM_COMMAND:
        onCommand(dialog, LOWORD(wParam));
        return TRUE;
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom == IDC_PLUGIN_LIST && header->code == NM_DBLCLK) onDoubleClick(dialog);
        return FALSE;  // the list's own answers stay the default ones
    }
    case WM_SIZE:
        onSize(dialog, LOWORD(lParam), HIWORD(lParam));
        return TRUE;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    case WM_DESTROY:
        onDestroy(dialog);
        return TRUE;
    }
    return FALSE;
}

void spiSettingsRun(HWND owner) {
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PLUGINS), owner, spiSettingsProc, 0);
}
