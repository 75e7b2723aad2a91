#include "support/notices.h"

static NoticeWatch* current = nullptr;
static HHOOK hook = nullptr;

// A message box is activated once its text is in place; note it and close it
// with its default button, as a user pressing Enter would.
static LRESULT CALLBACK watchProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && current) {
        HWND box = reinterpret_cast<HWND>(wParam);
        char className[32] = {};
        GetClassNameA(box, className, sizeof className);
        if (lstrcmpA(className, "#32770") == 0) {
            char text[1024] = {};
            char caption[256] = {};
            GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
            GetWindowTextA(box, caption, sizeof caption);
            ++current->count;
            current->text = text;
            current->caption = caption;
            current->owner = GetWindow(box, GW_OWNER);
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        }
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}

void noticeWatchBegin(NoticeWatch& watch) {
    current = &watch;
    hook = SetWindowsHookExA(WH_CBT, watchProc, nullptr, GetCurrentThreadId());
}

void noticeWatchEnd() {
    if (hook) UnhookWindowsHookEx(hook);
    hook = nullptr;
    current = nullptr;
}
