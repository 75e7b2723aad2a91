#include "support/notices.h"

#include <algorithm>
#include <vector>

namespace {

std::function<void(HWND, int)> currentAct;
int seen = 0;
HHOOK hook = nullptr;
UINT_PTR pollTimer = 0;
std::vector<HWND> handled;

void actOnce(HWND dialog) {
    if (std::find(handled.begin(), handled.end(), dialog) != handled.end()) return;
    handled.push_back(dialog);
    currentAct(dialog, seen++);
}

// Message boxes of other threads of this process (a worker's), which the
// hook does not see; the shell's progress windows are left alone.
BOOL CALLBACK pollWindow(HWND window, LPARAM) {
    DWORD process = 0;
    DWORD thread = GetWindowThreadProcessId(window, &process);
    char className[32] = {};
    GetClassNameA(window, className, sizeof className);
    if (process == GetCurrentProcessId() && thread != GetCurrentThreadId() && IsWindowVisible(window) &&
        lstrcmpA(className, "#32770") == 0 && GetDlgItem(window, 0xFFFF))
        actOnce(window);
    return TRUE;
}

void CALLBACK pollProc(HWND, UINT, UINT_PTR, DWORD) {
    if (!currentAct) return;
    handled.erase(std::remove_if(handled.begin(), handled.end(), [](HWND w) { return !IsWindow(w); }),
                  handled.end());
    EnumWindows(pollWindow, 0);
}

// A dialog is activated once its controls are in place: the moment to act.
// It may be activated again before the posted answer closes it (when its
// owner comes to the front): each dialog is acted on once.
LRESULT CALLBACK watchProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && currentAct) {
        HWND dialog = reinterpret_cast<HWND>(wParam);
        char className[32] = {};
        GetClassNameA(dialog, className, sizeof className);
        if (lstrcmpA(className, "#32770") == 0) actOnce(dialog);
    }
    if (code == HCBT_DESTROYWND) {
        HWND window = reinterpret_cast<HWND>(wParam);
        handled.erase(std::remove(handled.begin(), handled.end(), window), handled.end());
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}

}  // namespace

void dialogWatchBegin(std::function<void(HWND, int)> act) {
    currentAct = std::move(act);
    seen = 0;
    handled.clear();
    hook = SetWindowsHookExA(WH_CBT, watchProc, nullptr, GetCurrentThreadId());
    pollTimer = SetTimer(nullptr, 0, 50, pollProc);
}

void dialogWatchEnd() {
    if (hook) UnhookWindowsHookEx(hook);
    hook = nullptr;
    if (pollTimer) KillTimer(nullptr, pollTimer);
    pollTimer = 0;
    currentAct = nullptr;
}

// WM_GETTEXT, unlike GetWindowText, also reads controls of other processes.
std::string windowText(HWND window) {
    char text[1024] = {};
    SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

std::string messageBoxText(HWND box) {
    return windowText(GetDlgItem(box, 0xFFFF));
}

void noticeWatchBegin(NoticeWatch& watch) {
    dialogWatchBegin([&watch](HWND box, int) {
        ++watch.count;
        watch.text = messageBoxText(box);
        watch.caption = windowText(box);
        watch.owner = GetWindow(box, GW_OWNER);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
}

void noticeWatchEnd() {
    dialogWatchEnd();
}
