#include "support/windows.h"

#include <commctrl.h>
#include <string.h>

#include <memory>

#include "app/startup.h"
#include "resource.h"
#include "support/batch.h"
#include "ui/divider.h"
#include "ui/mainwnd.h"
#include "ui/pikture.h"
#include "ui/resultlist.h"
#include "ui/toolist.h"

namespace {

const char kRecordingClass[] = "trawlixTestRecorder";

LRESULT CALLBACK recordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<RecordingWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && (message == WM_KEYDOWN || message == WM_KEYUP || message == WM_COMMAND ||
                 message == WM_NOTIFY || message == WM_DROPFILES)) {
        LPARAM kept = message == WM_NOTIFY ? static_cast<LPARAM>(reinterpret_cast<NMHDR*>(lParam)->code) : lParam;
        self->received.push_back({message, wParam, kept});
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

RecordingWindow::RecordingWindow(int width, int height) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = recordingProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = kRecordingClass;
        registered = RegisterClassA(&wc) != 0;
    }
    window = CreateWindowExA(0, kRecordingClass, "test", WS_POPUP | WS_VISIBLE, 0, 0, width, height,
                             nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

RecordingWindow::~RecordingWindow() {
    DestroyWindow(window);
}

bool RecordingWindow::got(UINT message, WPARAM wParam) const {
    for (const ReceivedMessage& m : received) {
        if (m.message == message && m.wParam == wParam) return true;
    }
    return false;
}

int RecordingWindow::notifications(UINT code) const {
    int count = 0;
    for (const ReceivedMessage& m : received) count += m.message == WM_NOTIFY && static_cast<UINT>(m.lParam) == code;
    return count;
}

long bitmapTopLeftColour(HBITMAP bitmap) {
    if (!bitmap) return -1;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    COLORREF c = GetPixel(dc, 0, 0);
    SelectObject(dc, old);
    DeleteDC(dc);
    return GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c);
}

void pumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void registerProgramClasses() {
    static bool done = false;
    if (done) return;
    InitCommonControls();
    dividerInit();
    toolistInit();
    piktureInit();
    done = true;
}

HWND testMainWindowOpen() {
    registerProgramClasses();
    HWND window = mainWindowCreate();
    if (!window) return nullptr;
    SetWindowPos(window, nullptr, 0, 0, 900, 700, SWP_NOZORDER);
    ShowWindow(window, SW_SHOW);
    return window;
}

void testMainWindowClose(HWND window) {
    if (IsWindow(window)) DestroyWindow(window);
    UnregisterClassA(kMainClass, GetModuleHandleA(nullptr));
    pumpMessages();
    MSG quit;
    PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

std::string listCellText(HWND list, int row, int column) {
    char text[300] = {};
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

void testAddResults(HWND window, const std::vector<TestResultRow>& rows, bool last) {
    std::unique_ptr<RowBatch> batch(new RowBatch());
    batch->used = 1;
    auto add = [&](const std::string& text) { return batchText(*batch, text); };
    for (const TestResultRow& row : rows) {
        FoundRow& found = batch->rows[batch->count++];
        found.text[kResultColumnFileName] = add(row.name);
        found.text[kResultColumnPictureSize] = add(row.picture);
        found.text[kResultColumnFileSize] = add(row.size);
        found.text[kResultColumnFullPath] = add(row.folder);
        found.text[kResultColumnHandledBy] = add(row.handledBy);
    }
    SendMessageA(window, WMU_SCAN_ROWS, last, reinterpret_cast<LPARAM>(batch.get()));
}

void testSetResultCheck(HWND window, int row, int image) {
    MainWindowState* s = mainState(window);
    resultsRow(s->results->store, row).check = static_cast<uint8_t>(image);
    InvalidateRect(s->resultList, nullptr, FALSE);
}
