#include "ui/shellmenu.h"

#include <commctrl.h>
#include <string.h>

#include "app/text.h"
#include "ui/toolist.h"
#include "ui/resultlist.h"

namespace {

constexpr UINT kFirstCommand = 1;
constexpr UINT kLastCommand = 0x7FFF;

// A fresh one-item list holding a copy of item (task memory).
LPITEMIDLIST copyOneItem(const SHITEMID* item) {
    USHORT size = item->cb;
    BYTE* copy = static_cast<BYTE*>(CoTaskMemAlloc(size + sizeof(USHORT)));
    if (!copy) return nullptr;
    memcpy(copy, item, size);
    memset(copy + size, 0, sizeof(USHORT));
    return reinterpret_cast<LPITEMIDLIST>(copy);
}

const SHITEMID* nextItem(const SHITEMID* item) {
    return reinterpret_cast<const SHITEMID*>(reinterpret_cast<const BYTE*>(item) + item->cb);
}

// Binds from folder down every item of list but the last. Returns the folder
// that holds the last item (folder itself is released when left) and sets
// last to it; none when a bind fails, with everything released.
IShellFolder* bindToParent(IShellFolder* folder, LPCITEMIDLIST list, const SHITEMID*& last) {
    const SHITEMID* item = &list->mkid;
    if (!item->cb) {  // the desktop itself has no item menu here
        folder->Release();
        return nullptr;
    }
    while (item->cb && nextItem(item)->cb) {
        LPITEMIDLIST one = copyOneItem(item);
        IShellFolder* child = nullptr;
        if (one) folder->BindToObject(one, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&child));
        CoTaskMemFree(one);
        folder->Release();
        if (!child) return nullptr;
        folder = child;
        item = nextItem(item);
    }
    last = item;
    return folder;
}

// Shows menu at point and carries out the chosen command.
void trackMenu(HWND window, IContextMenu2* menu, LPARAM point) {
    HMENU popup = CreatePopupMenu();
    if (!popup) return;
    if (SUCCEEDED(menu->QueryContextMenu(popup, 0, kFirstCommand, kLastCommand, CMF_NORMAL))) {
        UINT chosen = static_cast<UINT>(TrackPopupMenu(popup, TPM_RETURNCMD, static_cast<short>(LOWORD(point)),
                                                       static_cast<short>(HIWORD(point)), 0, window, nullptr));
        DestroyMenu(popup);
        popup = nullptr;
        if (chosen) {
            CMINVOKECOMMANDINFO invoke = {};
            invoke.cbSize = sizeof invoke;
            invoke.hwnd = window;
            invoke.lpVerb = MAKEINTRESOURCEA(chosen - kFirstCommand);
            invoke.nShow = SW_SHOWNORMAL;
            menu->InvokeCommand(&invoke);
        }
    }
    if (popup) DestroyMenu(popup);
}

void showMenuOf(MainWindowState& s, IShellFolder* folder, LPCITEMIDLIST item, LPARAM point) {
    IContextMenu* menu = nullptr;
    if (FAILED(folder->GetUIObjectOf(s.window, 1, &item, IID_IContextMenu, nullptr, reinterpret_cast<void**>(&menu))) ||
        !menu)
        return;
    IContextMenu2* menu2 = nullptr;
    menu->QueryInterface(IID_IContextMenu2, reinterpret_cast<void**>(&menu2));
    menu->Release();
    if (!menu2) return;
    s.shellMenu = menu2;
    trackMenu(s.window, menu2, point);
    s.shellMenu = nullptr;
    menu2->Release();
}

}  // namespace

LPITEMIDLIST shellParsePath(HWND owner, IShellFolder* folder, const char* path) {
    WCHAR wide[kPathSize];
    if (!MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, path, -1, wide, kPathSize)) return nullptr;
    LPITEMIDLIST list = nullptr;
    if (FAILED(folder->ParseDisplayName(owner, nullptr, wide, nullptr, &list, nullptr))) return nullptr;
    return list;
}

void shellContextMenu(MainWindowState& s, LPARAM point) {
    HWND list = s.resultList;
    if (GetFocus() != list) return;
    int row = listFocusedRow(list);
    char path[kPathSize];
    if (row < 0 || !resultsRowPath(s.results->store, static_cast<uint32_t>(row), path, kPathSize)) return;

    IShellFolder* folder = nullptr;
    if (FAILED(SHGetDesktopFolder(&folder)) || !folder) return;
    LPITEMIDLIST full = shellParsePath(s.window, folder, path);
    if (!full) {
        folder->Release();
        return;
    }
    const SHITEMID* last = nullptr;
    folder = bindToParent(folder, full, last);
    LPITEMIDLIST item = folder ? copyOneItem(last) : nullptr;
    CoTaskMemFree(full);
    if (item) showMenuOf(s, folder, item, point);
    if (folder) folder->Release();
    CoTaskMemFree(item);
}

bool shellMenuForward(MainWindowState& s, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!s.shellMenu) return false;
    s.shellMenu->HandleMenuMsg(message, wParam, lParam);
    return true;
}
