#include "ui/pikture.h"

#include <shellapi.h>

#include "app/settings.h"
#include "app/text.h"
#include "spi/plugins.h"
#include "ui/layout.h"
#include "ui/windowslot.h"

const char kPiktureClass[] = "qlx_pikturewnd";

namespace {

void repaint(HWND window) {
    InvalidateRect(window, nullptr, FALSE);
}

// The picture's size as its bitmap header reports it; false when unreadable.
bool pictureSize(HBITMAP bitmap, int32_t& w, int32_t& h) {
    if (!bitmap) return false;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    HDC dc = CreateCompatibleDC(nullptr);
    int got = GetDIBits(dc, bitmap, 0, 0, nullptr, &info, DIB_RGB_COLORS);
    DeleteDC(dc);
    if (!got) return false;
    w = info.bmiHeader.biWidth;
    h = info.bmiHeader.biHeight < 0 ? -info.bmiHeader.biHeight : info.bmiHeader.biHeight;
    return true;
}

void clearPicture(PiktureState& s) {
    if (s.bitmap) DeleteObject(s.bitmap);
    textFree(s.path);
    s.bitmap = nullptr;
    s.path = nullptr;
}

LRESULT onPictureMessage(HWND window, PiktureState& s, const char* path) {
    clearPicture(s);
    if (path) {
        HBITMAP bitmap = spiDecode(path, GetAncestor(window, GA_ROOT));
        if (bitmap) {
            s.bitmap = bitmap;
            s.fitMode = 1;
            s.path = strDupExtra(path, 0);
        }
    }
    repaint(window);
    return 0;
}

// Copies the picture at actual size; what lies past its edges keeps the
// background already painted.
void paintActualSize(HDC dc, HDC picture, const PiktureState& s, int32_t w, int32_t h, int32_t cw,
                     int32_t ch) {
    int32_t left = s.scrollX < 0 ? -s.scrollX : 0;
    int32_t top = s.scrollY < 0 ? -s.scrollY : 0;
    int32_t right = w - s.scrollX < cw ? w - s.scrollX : cw;
    int32_t bottom = h - s.scrollY < ch ? h - s.scrollY : ch;
    if (right <= left || bottom <= top) return;
    BitBlt(dc, left, top, right - left, bottom - top, picture, s.scrollX + left, s.scrollY + top, SRCCOPY);
}

void onPaint(HWND window, const PiktureState& s) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    int32_t w = 0, h = 0;
    if (pictureSize(s.bitmap, w, h)) {
        HDC picture = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(picture, s.bitmap);
        if (s.fitMode) {
            SetStretchBltMode(dc, appSettings.PreviewStretchMode);
            PaneRect to;
            if (piktureFitRect(client.right, client.bottom, w, h, appSettings.KeepAspectRatio != 0, to))
                StretchBlt(dc, to.x, to.y, to.width, to.height, picture, 0, 0, w, h, SRCCOPY);
        } else {
            paintActualSize(dc, picture, s, w, h, client.right, client.bottom);
        }
        SelectObject(picture, old);
        DeleteDC(picture);
    }
    if (GetFocus() == window) DrawFocusRect(dc, &client);
    EndPaint(window, &ps);
}

void onModeSwitch(HWND window, PiktureState& s, int32_t mx, int32_t my) {
    s.fitMode = 1 - s.fitMode;
    if (!s.fitMode) {
        int32_t w = 0, h = 0;
        RECT client;
        GetClientRect(window, &client);
        if (pictureSize(s.bitmap, w, h)) {
            piktureZoomOffsets(client.right, client.bottom, w, h, mx, my, s.scrollX, s.scrollY);
        } else {
            s.scrollX = s.scrollY = 0;
        }
    }
    SetFocus(window);
    repaint(window);
}

void onButtonDown(HWND window, PiktureState& s) {
    if (!s.fitMode) {
        POINT p;
        GetCursorPos(&p);
        s.dragX = p.x;
        s.dragY = p.y;
        SetCapture(window);
    }
    SetFocus(window);
}

void onMouseMove(HWND window, PiktureState& s) {
    if (GetCapture() != window) return;
    POINT p;
    GetCursorPos(&p);
    s.scrollX += s.dragX - p.x;
    s.scrollY += s.dragY - p.y;
    s.dragX = p.x;
    s.dragY = p.y;
    SetCursor(LoadCursorA(nullptr, IDC_SIZEALL));
    repaint(window);
}

// Arrow keys pan by 1, 10 with Shift, 50 with Ctrl (Ctrl wins); Space
// switches modes at the centre; every other key goes to the parent.
LRESULT onKey(HWND window, PiktureState& s, UINT message, WPARAM key, LPARAM lParam) {
    bool down = message == WM_KEYDOWN;
    if (key == VK_SPACE) {
        if (down) {
            RECT client;
            GetClientRect(window, &client);
            SendMessageA(window, WM_RBUTTONDOWN, 0, MAKELPARAM(client.right / 2, client.bottom / 2));
        }
        return 0;
    }
    if (key != VK_LEFT && key != VK_RIGHT && key != VK_UP && key != VK_DOWN)
        return SendMessageA(GetParent(window), message, key, lParam);
    if (down) {
        int32_t step = GetKeyState(VK_CONTROL) < 0 ? 50 : GetKeyState(VK_SHIFT) < 0 ? 10 : 1;
        if (key == VK_LEFT) s.scrollX -= step;
        if (key == VK_RIGHT) s.scrollX += step;
        if (key == VK_UP) s.scrollY -= step;
        if (key == VK_DOWN) s.scrollY += step;
    }
    repaint(window);
    return 0;
}

LRESULT onCreate(HWND window) {
    PiktureState* s = slotStateCreate<PiktureState>(window);
    if (!s) return -1;
    s->fitMode = 1;
    SetWindowLongPtrA(window, GWL_EXSTYLE, GetWindowLongPtrA(window, GWL_EXSTYLE) | WS_EX_CLIENTEDGE);
    return 0;
}

LRESULT CALLBACK piktureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) return onCreate(window);
    PiktureState* s = slotState<PiktureState>(window);
    if (!s) return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case WMU_PIKTURE_SHOW:
        return onPictureMessage(window, *s, reinterpret_cast<const char*>(lParam));
    case WM_SIZE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        repaint(window);
        return 0;
    case WM_PAINT:
        onPaint(window, *s);
        return 0;
    case WM_LBUTTONDOWN:
        onButtonDown(window, *s);
        return 0;
    case WM_MBUTTONDOWN:
        SetFocus(window);
        return 0;
    case WM_MOUSEMOVE:
        onMouseMove(window, *s);
        return 0;
    case WM_LBUTTONUP:
        ReleaseCapture();
        return 0;
    case WM_LBUTTONDBLCLK:
        if (s->path) ShellExecuteA(nullptr, nullptr, s->path, nullptr, nullptr, SW_SHOWNORMAL);
        return 0;
    case WM_RBUTTONDOWN:
        onModeSwitch(window, *s, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
        return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
        return onKey(window, *s, message, wParam, lParam);
    case WM_DESTROY:
        clearPicture(*s);
        slotStateDestroy(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int piktureInit() {
    return slotClassRegister(kPiktureClass, piktureProc, CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS,
                             LoadCursorA(nullptr, IDC_ARROW), nullptr);
}

void piktureTerm() {}

HWND piktureCreate(HWND parent) {
    return CreateWindowExA(WS_EX_CLIENTEDGE, kPiktureClass, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                           parent, nullptr, GetModuleHandleA(nullptr), nullptr);
}
