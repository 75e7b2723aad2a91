#include "dialogs/about.h"

#include <stdio.h>

#include "app/text.h"
#include "resource.h"

namespace {

// Centres dialog over owner's client area without resizing it; a dialog
// larger than the area reaches equally past both sides.
void centreOverOwner(HWND dialog) {
    HWND owner = GetWindow(dialog, GW_OWNER);
    RECT area;
    RECT box;
    if (!owner || !GetClientRect(owner, &area) || !GetWindowRect(dialog, &box)) return;
    MapWindowPoints(owner, nullptr, reinterpret_cast<POINT*>(&area), 2);
    const int width = box.right - box.left;
    const int height = box.bottom - box.top;
    const int x = area.left + ((area.right - area.left) - width) / 2;
    const int y = area.top + ((area.bottom - area.top) - height) / 2;
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void onInit(HWND dialog) {
    FileVersion version;
    versionReadSelf(version);
    char text[64];
    snprintf(text, sizeof text, "Version %d.%d.%d.%d", version.major, version.minor, version.build,
             version.revision);
    SetDlgItemTextA(dialog, IDC_VERSION_TEXT, text);
    centreOverOwner(dialog);
}

}  // namespace

int versionRead(const char* path, FileVersion& version) {
    version = {};
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &handle);
    if (size == 0) return 0;
    void* block = textAlloc(size);
    if (!block) return 0;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    int read = GetFileVersionInfoA(path, 0, size, block) &&
               VerQueryValueA(block, "\\", reinterpret_cast<void**>(&fixed), &length) && fixed &&
               length >= sizeof(VS_FIXEDFILEINFO);
    if (read) {
        version.major = HIWORD(fixed->dwFileVersionMS);
        version.minor = LOWORD(fixed->dwFileVersionMS);
        version.build = HIWORD(fixed->dwFileVersionLS);
        version.revision = LOWORD(fixed->dwFileVersionLS);
    }
    textFree(block);
    return read;
}

int versionReadSelf(FileVersion& version) {
    char path[kPathSize];
    DWORD got = GetModuleFileNameA(nullptr, path, sizeof path);
    if (got == 0 || got >= sizeof path) {
        version = {};
        return 0;
    }
    return versionRead(path, version);
}

INT_PTR CALLBACK aboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        onInit(dialog);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) SendMessageA(dialog, WM_CLOSE, 0, 0);
        return TRUE;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

void aboutRun(HWND owner) {
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUT), owner, aboutProc, 0);
}
