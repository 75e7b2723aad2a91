// Stages the main window for docs/screenshot.png: the real window, controls
// and plug-ins, with conditions and result rows filled in the way a search
// fills them, and the first picture previewed.
//
// Usage: screenshot_stage.exe PLUGIN_FOLDER PICTURE_FOLDER SECONDS
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <stdio.h>
#include <stdlib.h>

#include "app/resstring.h"
#include "app/settings.h"
#include "app/startup.h"
#include "app/text.h"
#include "resource.h"
#include "search/condition.h"
#include "search/header.h"
#include "spi/plugins.h"
#include "ui/divider.h"
#include "ui/mainwnd.h"
#include "ui/pikture.h"
#include "ui/toolist.h"

namespace {

void addCondition(HWND list, uint32_t width, uint32_t height, int32_t cond) {
    Condition* c = static_cast<Condition*>(textAlloc(sizeof(Condition)));
    *c = {width, height, cond};
    char size[32];
    conditionSizeText(*c, size, sizeof size);
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = ListView_GetItemCount(list);
    item.pszText = size;
    item.lParam = reinterpret_cast<LPARAM>(c);
    int row = ListView_InsertItem(list, &item);
    ListView_SetItemText(list, row, 1, const_cast<char*>(condOperatorText[cond]));
}

// Lists the pictures of folder whose header gives a size, as result rows.
int addResults(HWND list, const char* folder, DWORD& bytes) {
    char pattern[kPathSize];
    snprintf(pattern, sizeof pattern, "%s\\*.*", folder);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    int rows = 0;
    do {
        char path[kPathSize];
        snprintf(path, sizeof path, "%s\\%s", folder, found.cFileName);
        HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) continue;
        PictureSize size;
        int known = probeHeaderSize(probeFileFromHandle(&file), found.cFileName, nullptr, size);
        CloseHandle(file);
        if (!known) continue;
        char sizeText[32], fileSize[16];
        snprintf(sizeText, sizeof sizeText, "%d x %d", int(size.width), int(size.height));
        snprintf(fileSize, sizeof fileSize, "%lu", found.nFileSizeLow);
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = rows;
        item.pszText = found.cFileName;
        item.lParam = rows;
        int row = ListView_InsertItem(list, &item);
        ListView_SetItemText(list, row, 1, sizeText);
        ListView_SetItemText(list, row, 2, fileSize);
        ListView_SetItemText(list, row, 3, const_cast<char*>(folder));
        ListView_SetCheckState(list, row, rows % 2 == 0);
        bytes += found.nFileSizeLow;
        ++rows;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return rows;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (__argc < 4) return 2;
    InitCommonControls();
    CoInitialize(nullptr);
    if (!dividerInit() || !toolistInit() || !piktureInit()) return 1;
    appSettings.KeepAspectRatio = 1;  // the defaults a first start loads
    appSettings.PreviewStretchMode = HALFTONE;
    HWND window = mainWindowCreate();
    if (!window || !spiLoadAll(__argv[1])) return 1;

    addCondition(mainConditionList(window), 1920, 1080, 2);
    addCondition(mainConditionList(window), 2560, 1440, 0);
    LVITEMA exclude = {};
    exclude.mask = LVIF_TEXT;
    exclude.pszText = const_cast<char*>("\\thumbs");
    ListView_InsertItem(mainExcludeList(window), &exclude);

    HWND results = mainResultList(window);
    DWORD bytes = 0;
    int rows = addResults(results, __argv[2], bytes);
    char status[128];
    wsprintfA(status, resString(IDS_FOUND_SUMMARY), rows, bytes);
    SendMessageA(mainState(window)->statusBar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(status));

    const int shown = rows > 1 ? 1 : 0;
    ListView_SetItemState(results, shown, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
    char path[kPathSize];
    if (rows && resultRowPath(window, shown, path))
        SendMessageA(mainPikture(window), WM_USER, 0, reinterpret_cast<LPARAM>(path));

    SetWindowPos(window, nullptr, 0, 0, 1000, 680, SWP_NOZORDER);
    ShowWindow(window, SW_SHOW);
    SetTimer(window, 1, atoi(__argv[3]) * 1000, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == window) break;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    ExitProcess(0);
}
