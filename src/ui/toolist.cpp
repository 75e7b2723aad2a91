#include "ui/toolist.h"

#include "dialogs/subclass.h"
#include "resource.h"
#include "ui/windowslot.h"

const char kToolistClass[] = "qlx_toolistWnd";
HIMAGELIST toolistImages = nullptr;

namespace {

// What toolistCreate hands to WM_CREATE.
struct ToolistCreate {
    HWND owner;
    DWORD listStyle;
};

constexpr uint32_t kInitialSortTag = 0xFFFF0000u;
constexpr DWORD kToolbarStyle = WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS |
                                CCS_NODIVIDER | CCS_TOP;  // 0x50000941
constexpr DWORD kListStyle = WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS;  // 0x50000009
constexpr DWORD kListExStyle = LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT;  // 0x25

LRESULT onCreate(HWND window, const CREATESTRUCTA* create) {
    ToolistState* s = slotStateCreate<ToolistState>(window);
    if (!s) return -1;
    const ToolistCreate& params = *static_cast<const ToolistCreate*>(create->lpCreateParams);
    s->owner = params.owner;
    HINSTANCE instance = GetModuleHandleA(nullptr);

    s->toolbar = CreateWindowExA(0, TOOLBARCLASSNAMEA, "", kToolbarStyle, 0, 0, 0, 0, window,
                                 nullptr, instance, nullptr);
    toolistKeyProc(s->toolbar, WMU_SUBCLASS_INSTALL, 0, 0);
    SendMessageA(s->toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageA(s->toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(toolistImages));
    SendMessageA(s->toolbar, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);

    s->list = CreateWindowExA(0, WC_LISTVIEWA, "", kListStyle | params.listStyle, 0, 0, 0, 0, window, nullptr,
                              instance, nullptr);
    toolistKeyProc(s->list, WMU_SUBCLASS_INSTALL, 0, 0);
    SendMessageA(s->list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, kListExStyle);
    s->sortTag = kInitialSortTag;
    return 0;
}

void onSize(HWND window, const ToolistState& s, WPARAM wParam, LPARAM lParam) {
    SendMessageA(s.toolbar, WM_SIZE, wParam, lParam);
    RECT bar, client;
    GetClientRect(s.toolbar, &bar);
    GetClientRect(window, &client);
    SetWindowPos(s.list, nullptr, 0, bar.bottom, client.right, client.bottom - bar.bottom,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT onToolistMessage(ToolistState& s, WPARAM wParam, LPARAM lParam) {
    switch (wParam) {
    case kToolistToolbar: return reinterpret_cast<LRESULT>(s.toolbar);
    case kToolistList: return reinterpret_cast<LRESULT>(s.list);
    case kToolistGetSortTag: return static_cast<LRESULT>(s.sortTag);
    case kToolistSetSortTag:
        s.sortTag = static_cast<uint32_t>(lParam);
        return static_cast<LRESULT>(s.sortTag);
    }
    return 0;
}

LRESULT CALLBACK toolistProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) return onCreate(window, reinterpret_cast<CREATESTRUCTA*>(lParam));
    ToolistState* s = slotState<ToolistState>(window);
    if (!s) return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case WMU_TOOLIST_PART:
        return onToolistMessage(*s, wParam, lParam);
    case WM_SIZE:
        onSize(window, *s, wParam, lParam);
        return 0;
    case WM_NOTIFY:
    case WM_COMMAND:
    case WM_KEYDOWN:
    case WM_KEYUP:
        return SendMessageA(s->owner, message, wParam, lParam);
    case WM_DESTROY:
        slotStateDestroy(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int toolistInit() {
    if (!slotClassRegister(kToolistClass, toolistProc, 0, nullptr, nullptr)) return 0;
    toolistImages = ImageList_LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_TOOLBAR), 16, 4,
                                         RGB(255, 0, 255), IMAGE_BITMAP, 0);
    return toolistImages ? 1 : 0;
}

void toolistTerm() {
    if (toolistImages) ImageList_Destroy(toolistImages);
    toolistImages = nullptr;
}

HWND toolistCreate(HWND parent, HWND owner, DWORD listStyle) {
    ToolistCreate params = {owner, listStyle};
    return CreateWindowExA(WS_EX_CLIENTEDGE, kToolistClass, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                           parent, nullptr, GetModuleHandleA(nullptr), &params);
}

int listRowCount(HWND list) {
    return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
}

int listFocusedRow(HWND list) {
    return static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}
