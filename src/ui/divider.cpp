#include "ui/divider.h"

#include "ui/layout.h"
#include "ui/windowslot.h"

const char kDividerClass[] = "qlx_dividerWnd";

namespace {

constexpr int32_t kInitialPosition = 200;

int32_t extentOf(HWND window, const DividerState& s) {
    RECT client;
    GetClientRect(window, &client);
    return s.orientation == 0 ? client.right : client.bottom;
}

void dividerLayout(HWND window, const DividerState& s) {
    RECT client;
    GetClientRect(window, &client);
    PaneRect rects[2];
    if (!dividerPaneRects(s.orientation, s.position, client.right, client.bottom, rects[0], rects[1]))
        return;
    for (int i = 0; i < 2; ++i) {
        if (!s.panes[i]) continue;
        SetWindowPos(s.panes[i], nullptr, rects[i].x, rects[i].y, rects[i].width, rects[i].height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

LRESULT onCreate(HWND window, const CREATESTRUCTA* create) {
    DividerState* s = slotStateCreate<DividerState>(window);
    if (!s) return -1;
    s->orientation = static_cast<int32_t>(reinterpret_cast<INT_PTR>(create->lpCreateParams));
    s->position = kInitialPosition;
    return 0;
}

LRESULT onPaneMessage(HWND window, DividerState& s, WPARAM wParam, LPARAM lParam) {
    UINT operation = HIWORD(wParam);
    UINT index = LOWORD(wParam);
    if (operation > 1) {
        DefWindowProcA(window, WMU_DIVIDER_PANE, wParam, lParam);
        return 0;
    }
    if (index > 1) return 0;
    if (operation == 1) return reinterpret_cast<LRESULT>(s.panes[index]);
    s.panes[index] = reinterpret_cast<HWND>(lParam);
    dividerLayout(window, s);
    return lParam;
}

void onMouseMove(HWND window, DividerState& s, int x, int y) {
    SetCursor(LoadCursorA(nullptr, s.orientation == 0 ? IDC_SIZEWE : IDC_SIZENS));
    if (GetCapture() != window) return;
    int32_t along = s.orientation == 0 ? x : y;
    s.position = dividerDragPosition(along, s.grabOffset, extentOf(window, s));
    dividerLayout(window, s);
}

void onButtonDown(HWND window, DividerState& s, int x, int y) {
    SetCapture(window);
    int32_t extent = extentOf(window, s);
    if (s.position > extent - 4) s.position = extent - 4;
    s.grabOffset = (s.orientation == 0 ? x : y) - s.position;
}

LRESULT CALLBACK dividerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) return onCreate(window, reinterpret_cast<CREATESTRUCTA*>(lParam));
    DividerState* s = slotState<DividerState>(window);
    if (!s) return DefWindowProcA(window, message, wParam, lParam);
    // Mouse coordinates are signed 16-bit: negative left of or above the window.
    const int x = static_cast<short>(LOWORD(lParam));
    const int y = static_cast<short>(HIWORD(lParam));
    switch (message) {
    case WMU_DIVIDER_PANE:
        return onPaneMessage(window, *s, wParam, lParam);
    case WM_SIZE:
        dividerLayout(window, *s);
        return 0;
    case WM_MOUSEMOVE:
        onMouseMove(window, *s, x, y);
        return 0;
    case WM_LBUTTONDOWN:
        onButtonDown(window, *s, x, y);
        return 0;
    case WM_LBUTTONUP:
        ReleaseCapture();
        return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
        return SendMessageA(GetParent(window), message, wParam, lParam);
    case WM_DESTROY:
        slotStateDestroy(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int dividerInit() {
    return slotClassRegister(kDividerClass, dividerProc, 0, nullptr,
                             reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
}

void dividerTerm() {}

HWND dividerCreate(HWND parent, int orientation) {
    return CreateWindowExA(0, kDividerClass, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent, nullptr,
                           GetModuleHandleA(nullptr), reinterpret_cast<void*>(static_cast<INT_PTR>(orientation)));
}

HWND dividerPane(HWND divider, int index) {
    return reinterpret_cast<HWND>(
        SendMessageA(divider, WMU_DIVIDER_PANE, index == 0 ? kDividerGetPane0 : kDividerGetPane1, 0));
}
