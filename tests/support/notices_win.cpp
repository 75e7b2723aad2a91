#include "support/notices.h"

#include <algorithm>
#include <vector>

namespace {

std::function<void(HWND, int)> currentAct;
int seen = 0;
HHOOK hook = nullptr;
std::vector<HWND> handled;

// A dialog is activated once its controls are in place: the moment to act.
// It may be activated again before the posted answer closes it (when its
// owner comes to the front): each dialog is acted on once.
LRESULT CALLBACK watchProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && currentAct) {
        HWND dialog = reinterpret_cast<HWND>(wParam);
        char className[32] = {};
        GetClassNameA(dialog, className, sizeof className);
        if (lstrcmpA(className, "#32770") == 0 &&
            std::find(handled.begin(), handled.end(), dialog) == handled.end()) {
            handled.push_back(dialog);
            currentAct(dialog, seen++);
        }
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
}

void dialogWatchEnd() {
    if (hook) UnhookWindowsHookEx(hook);
    hook = nullptr;
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
