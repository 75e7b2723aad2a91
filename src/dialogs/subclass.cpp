#include "dialogs/subclass.h"

#include <shellapi.h>

#include "resource.h"

namespace {

// The procedure a subclass replaced, kept in the window's user-data slot.
WNDPROC savedProc(HWND window) {
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

LRESULT installSubclass(HWND window, WNDPROC proc) {
    SetWindowLongPtrA(window, GWLP_USERDATA, GetWindowLongPtrA(window, GWLP_WNDPROC));
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
    return 0;
}

}  // namespace

LRESULT CALLBACK toolistKeyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WMU_SUBCLASS_INSTALL) return installSubclass(window, toolistKeyProc);
    if ((message == WM_KEYDOWN || message == WM_KEYUP) && (wParam == VK_RETURN || wParam == VK_TAB))
        return SendMessageA(GetParent(window), message, wParam, lParam);
    return CallWindowProcA(savedProc(window), window, message, wParam, lParam);
}

LRESULT CALLBACK dropForwardProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WMU_SUBCLASS_INSTALL) return installSubclass(window, dropForwardProc);
    if (message == WM_DROPFILES) return SendMessageA(GetParent(window), message, wParam, lParam);
    return CallWindowProcA(savedProc(window), window, message, wParam, lParam);
}
