#include "dialogs/dirprompt.h"

#include <shellapi.h>
#include <shlobj.h>

#include "app/resstring.h"
#include "app/text.h"
#include "resource.h"
#include "dialogs/subclass.h"

namespace {

// The end value of the prompt running on this thread. Wine's dialog manager
// keeps only the low 32 bits of a 64-bit EndDialog value, which would cut a
// heap address or the flag in bit 63, so dirPromptRun reads the whole value
// from here; in a 32-bit process both carry the same value.
thread_local INT_PTR promptResult = 0;

void endPrompt(HWND dialog, INT_PTR result) {
    promptResult = result;
    EndDialog(dialog, result);
}

void onInit(HWND dialog, INT_PTR parameter) {
    const char* prompt = dirPromptPath(parameter);
    if (prompt) SetDlgItemTextA(dialog, IDC_PROMPT_TEXT, prompt);
    if (dirPromptRecurse(parameter)) {
        CheckDlgButton(dialog, IDC_RECURSE_CHECK, BST_CHECKED);
    } else {
        ShowWindow(GetDlgItem(dialog, IDC_RECURSE_CHECK), SW_HIDE);
    }
    HWND edit = GetDlgItem(dialog, IDC_PATH_EDIT);
    dropForwardProc(edit, WMU_SUBCLASS_INSTALL, 0, 0);
    SetWindowLongPtrA(edit, GWL_EXSTYLE, GetWindowLongPtrA(edit, GWL_EXSTYLE) | WS_EX_ACCEPTFILES);
}

// An empty path, or one too long for a path buffer, keeps the dialog open.
void onOk(HWND dialog) {
    HWND edit = GetDlgItem(dialog, IDC_PATH_EDIT);
    size_t length = static_cast<size_t>(SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0));
    if (length == 0 || length >= kPathSize) {
        resMessageBox(dialog, length == 0 ? IDS_INPUT_DIRECTORY : IDS_PATH_TOO_LONG, kCaptionError,
                      MB_OK | MB_ICONERROR);
        return;
    }
    char* path = static_cast<char*>(textAlloc(length + 1));
    if (!path) return;
    GetDlgItemTextA(dialog, IDC_PATH_EDIT, path, static_cast<int>(length + 1));
    // The box's own visibility, which its hiding at start-up sets, whether or
    // not the dialog itself is on screen yet.
    HWND check = GetDlgItem(dialog, IDC_RECURSE_CHECK);
    bool offered = (GetWindowLongPtrA(check, GWL_STYLE) & WS_VISIBLE) != 0;
    bool recurse = offered && IsDlgButtonChecked(dialog, IDC_RECURSE_CHECK) == BST_CHECKED;
    endPrompt(dialog, dirPromptPack(path, recurse));
}

void setPath(HWND dialog, const char* path) {
    HWND edit = GetDlgItem(dialog, IDC_PATH_EDIT);
    SetWindowTextA(edit, path);
    int length = GetWindowTextLengthA(edit);
    SendMessageA(edit, EM_SETSEL, length, length);
}

void onBrowse(HWND dialog) {
    char path[kPathSize];
    if (!folderBrowse(dialog, path)) return;
    setPath(dialog, path);
    SetFocus(GetDlgItem(dialog, IDC_PATH_EDIT));
}

void onDropFiles(HWND dialog, HDROP drop) {
    char path[kPathSize];
    UINT got = DragQueryFileA(drop, 0, path, sizeof path);
    DragFinish(drop);
    if (got > 0 && got < sizeof path) SetDlgItemTextA(dialog, IDC_PATH_EDIT, path);
}

}  // namespace

INT_PTR CALLBACK dirPromptProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        onInit(dialog, static_cast<INT_PTR>(lParam));
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK: onOk(dialog); return TRUE;
        case IDCANCEL: endPrompt(dialog, 0); return TRUE;
        case IDC_BROWSE: onBrowse(dialog); return TRUE;
        }
        return FALSE;
    case WM_CLOSE:
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        return TRUE;
    case WM_DROPFILES:
        onDropFiles(dialog, reinterpret_cast<HDROP>(wParam));
        return TRUE;
    }
    return FALSE;
}

INT_PTR dirPromptRun(HWND owner, const char* prompt, bool offerRecurse) {
    promptResult = 0;
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_DIRECTORY), owner, dirPromptProc,
                    static_cast<LPARAM>(dirPromptPack(prompt, offerRecurse)));
    return promptResult;
}

int folderBrowse(HWND owner, char* path) {
    BROWSEINFOA info = {};
    info.hwndOwner = owner;
    info.lpszTitle = resString(IDS_SELECT_DIRECTORY);
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    LPITEMIDLIST chosen = SHBrowseForFolderA(&info);
    if (!chosen) return 0;
    BOOL got = SHGetPathFromIDListA(chosen, path);
    CoTaskMemFree(chosen);
    return got ? 1 : 0;
}
