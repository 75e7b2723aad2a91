#include "app/startup.h"

#include <commctrl.h>
#include <objbase.h>
#include <string.h>

#include "app/resstring.h"
#include "app/settings.h"
#include "dialogs/dirprompt.h"
#include "resource.h"
#include "spi/plugins.h"
#include "spi/route.h"
#include "ui/divider.h"
#include "ui/mainwnd.h"
#include "ui/pikture.h"
#include "ui/toolist.h"
#include "ui/windowslot.h"

namespace {

void fatal(int textId) {
    resMessageBox(nullptr, textId, kCaptionFatal, MB_OK | MB_ICONERROR);
}

// A plug-in call that takes longer than this many seconds is taken for hung
// (PluginTimeLimit in the settings file; 0 or none: this default).
constexpr int kPluginTimeLimitSeconds = 10;

// Asks for the plug-in directory until one yields plug-ins or the user goes
// on without: the prompt when SPIDir is empty, the warning when nothing loads.
void loadPlugins(const char* iniPath) {
    UINT seconds = GetPrivateProfileIntA(kIniSection, "PluginTimeLimit", kPluginTimeLimitSeconds, iniPath);
    const DWORD limitMs = (seconds ? (seconds < 3600 ? seconds : 3600) : kPluginTimeLimitSeconds) * 1000;
    for (;;) {
        GetPrivateProfileStringA(kIniSection, "SPIDir", "", appSettings.SPIDir,
                                 sizeof appSettings.SPIDir, iniPath);
        if (appSettings.SPIDir[0] == '\0') {
            INT_PTR result = dirPromptRun(nullptr, resString(IDS_PROMPT_PLUGIN_DIR), false);
            char* chosen = dirPromptPath(result);
            // The prompt refuses paths that do not fit a path buffer.
            if (chosen && strCopyFit(appSettings.SPIDir, sizeof appSettings.SPIDir, chosen)) {
                WritePrivateProfileStringA(kIniSection, "SPIDir", appSettings.SPIDir, iniPath);
            } else {
                strCopyFit(appSettings.SPIDir, sizeof appSettings.SPIDir, ".");
            }
            textFree(chosen);
        }
        if (spiLoadHosted(appSettings.SPIDir, limitMs)) return;
        if (resMessageBox(nullptr, IDS_NO_PLUGIN, kCaptionWarning, MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
            return;
        WritePrivateProfileStringA(kIniSection, "SPIDir", nullptr, iniPath);
    }
}

void runMessageLoop() {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Everything after the controls are registered; returns to run teardown T1.
void runMainWindow() {
    HWND window = mainWindowCreate();
    if (!window) return;
    char iniPath[kPathSize];
    if (!settingsIniPath(iniPath)) iniPath[0] = '\0';
    loadPlugins(iniPath);
    if (!settingsLoad()) return;

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    ShowWindow(window, (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT);
    runMessageLoop();

    // A worker still running would use the settings and plug-in records freed below.
    mainWorkerStopAndWait(window);
    settingsSave(1);
    spiHostsEnd();
    spiListFree(spiList);
    spiList = nullptr;
}

}  // namespace

HWND mainWindowCreate() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!slotClassRegister(kMainClass, mainWndProc, CS_HREDRAW | CS_VREDRAW, LoadCursorA(nullptr, IDC_ARROW),
                           reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1),
                           LoadIconA(instance, MAKEINTRESOURCEA(IDI_APP)))) {
        fatal(IDS_REGISTER_FAILED);
        return nullptr;
    }
    HWND window = CreateWindowExA(0, kMainClass, resString(IDS_MAIN_TITLE),
                                  WS_OVERLAPPED | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                                  nullptr, instance, nullptr);
    if (!window) fatal(IDS_CREATE_FAILED);
    return window;
}

void appMain() {
    InitCommonControls();
    CoInitialize(nullptr);
    if (!dividerInit()) {
        fatal(IDS_DIVIDER_INIT_FAILED);
    } else {
        if (!toolistInit()) {
            fatal(IDS_TOOLIST_INIT_FAILED);
        } else {
            if (!piktureInit()) {
                fatal(IDS_PIKTURE_INIT_FAILED);
            } else {
                runMainWindow();
                piktureTerm();  // T1
            }
            toolistTerm();  // T2
        }
        dividerTerm();  // T3
    }
    resStringRelease();  // T4
    CoUninitialize();
    ExitProcess(0);
}
