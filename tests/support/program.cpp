#include "support/program.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <stddef.h>

#include <functional>
#include <vector>

#include "app/text.h"
#include "resource.h"
#include "support/notices.h"
#include "ui/mainwnd.h"
#include "ui/pikture.h"

namespace {

constexpr DWORD kPatience = 60000;  // ms to wait for a window, a worker or the exit: room for a loaded machine

struct WindowSearch {
    DWORD process;
    const char* className;  // none: any
    HWND found;
};

std::string classOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

BOOL CALLBACK findVisible(HWND window, LPARAM context) {
    WindowSearch* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->process || !IsWindowVisible(window)) return TRUE;
    if (search->className && classOf(window) != search->className) return TRUE;
    search->found = window;
    return FALSE;
}

// Waits until done() holds; after the patience ran out, fails saying what
// never came. Returns whether it came.
bool waitUntil(const std::function<bool()>& done, const std::function<std::string()>& what) {
    for (DWORD waited = 0; !done(); waited += 10) {
        if (waited >= kPatience) {
            ADD_FAILURE() << what();
            return false;
        }
        Sleep(10);
    }
    return true;
}

void waitGone(HWND window) {
    waitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); },
              [&] { return "window \"" + windowText(window) + "\" (" + classOf(window) + ") never went"; });
}

struct ToolbarSearch {
    int command;
    HWND found;
};

BOOL CALLBACK findToolbar(HWND window, LPARAM context) {
    ToolbarSearch* search = reinterpret_cast<ToolbarSearch*>(context);
    if (classOf(window) == TOOLBARCLASSNAMEA && SendMessageA(window, TB_COMMANDTOINDEX, search->command, 0) >= 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK findResultList(HWND window, LPARAM context) {
    HWND header = reinterpret_cast<HWND>(SendMessageA(window, LVM_GETHEADER, 0, 0));
    if (classOf(window) == WC_LISTVIEWA && SendMessageA(header, HDM_GETITEMCOUNT, 0, 0) == 5) {
        *reinterpret_cast<HWND*>(context) = window;
        return FALSE;
    }
    return TRUE;
}

// Shift pressed or released as a person does it: at the X server (XTEST,
// through xdotool, which Wine starts as the Unix program it is). Wine
// re-reads the modifier keys from the X server whenever one of its windows
// gains the X focus; a press injected into Wine alone (SendInput) is then
// taken back at a moment no test can know, and the program sees Shift up.
// Pressed at the X server, the two agree. Returns once Wine's own key state
// shows the change, so whatever input follows is queued behind it.
void shiftKey(bool down) {
    char press[] = "xdotool keydown shift", release[] = "xdotool keyup shift";
    char* command = down ? press : release;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION helper = {};  // a Unix program: no handle comes back
    if (!CreateProcessA("Z:\\usr\\bin\\xdotool", command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &helper)) {
        ADD_FAILURE() << "xdotool did not start: " << command;
        return;
    }
    waitUntil([&] { return (GetAsyncKeyState(VK_SHIFT) < 0) == down; },
              [&] { return std::string("Shift never went ") + (down ? "down" : "up") + " at the X server"; });
}

// Keys through the input queue, each pressed and released, to whatever has
// the keyboard: the foreground window's thread, a menu it tracks.
void sendKeys(const std::vector<WORD>& keys) {
    std::vector<INPUT> inputs;
    for (WORD key : keys) {
        for (DWORD flags : {0ul, static_cast<unsigned long>(KEYEVENTF_KEYUP)}) {
            INPUT input = {};
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = key;
            input.ki.dwFlags = flags;
            inputs.push_back(input);
        }
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// A left click with the mouse at point (screen coordinates), through the
// input queue, once the pointer is there: a motion the X server reports late
// could otherwise move it after it was placed.
void mouseClick(POINT point) {
    waitUntil(
        [&] {
            SetCursorPos(point.x, point.y);
            POINT now = {};
            return GetCursorPos(&now) && now.x == point.x && now.y == point.y;
        },
        [] { return std::string("the pointer never stayed where it was put"); });
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, inputs, sizeof(INPUT));
}

// The next visible top-level window of className (none: any) of process,
// or none once the process ended or after the patience ran out.
HWND waitWindow(const PROCESS_INFORMATION& process, const char* className) {
    for (DWORD waited = 0; waited < kPatience; waited += 20) {
        WindowSearch search = {process.dwProcessId, className, nullptr};
        EnumWindows(findVisible, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        if (WaitForSingleObject(process.hProcess, 20) == WAIT_OBJECT_0) return nullptr;
    }
    return nullptr;
}

bool isSeparator(HMENU menu, int position, UINT* id) {
    MENUITEMINFOA item = {};
    item.cbSize = sizeof item;
    item.fMask = MIIM_ID | MIIM_FTYPE;
    GetMenuItemInfoA(menu, position, TRUE, &item);
    *id = item.wID;
    return (item.fType & MFT_SEPARATOR) != 0;
}

// Down presses from no highlight to the item with id: separators are passed over.
int pressesTo(HMENU menu, UINT id) {
    int count = 0;
    for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i) {
        UINT itemId = 0;
        if (isSeparator(menu, i, &itemId)) continue;
        ++count;
        if (itemId == id) return count;
    }
    return 0;
}

// The items a press can reach once entries were appended: the header goes.
int reachableWithEntries(HMENU menu) {
    int count = 0;
    for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i) {
        UINT itemId = 0;
        if (!isSeparator(menu, i, &itemId) && itemId != IDM_RECENT_HEADER) ++count;
    }
    return count;
}

}  // namespace

Program::Program() {
    exe = folder.path + "\\trawlix.exe";
    ini = folder.path + "\\trawlix.ini";
    CopyFileA(shippedPath("trawlix.exe").c_str(), exe.c_str(), FALSE);
    // Its plug-in hosts: its own architecture's beside it, the other's below.
    CopyFileA(shippedPath("trawlix-spihost.exe").c_str(), (folder.path + "\\trawlix-spihost.exe").c_str(), FALSE);
    const char* foreign = sizeof(void*) == 8 ? "x86" : "x64";
    CreateDirectoryA((folder.path + "\\" + foreign).c_str(), nullptr);
    CopyFileA(shippedPath((std::string(foreign) + "\\trawlix-spihost.exe").c_str()).c_str(),
              (folder.path + "\\" + foreign + "\\trawlix-spihost.exe").c_str(), FALSE);
}

Program::~Program() {
    if (!process.hProcess) return;
    if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
}

void Program::start() {
    if (process.hProcess) {
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    process = {};
    main = nullptr;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    CreateProcessA(exe.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, folder.path.c_str(), &startup,
                   &process);
}

HWND Program::nextWindow() {
    return waitWindow(process, nullptr);
}

HWND Program::nextDialog() {
    return waitWindow(process, "#32770");
}

HWND Program::mainWindow() {
    if (!main) main = waitWindow(process, kMainClass);
    return main;
}

BOOL CALLBACK findPreviewPane(HWND window, LPARAM context) {
    if (classOf(window) == kPiktureClass) {
        *reinterpret_cast<HWND*>(context) = window;
        return FALSE;
    }
    return TRUE;
}

// The primary a screen colour is, or 0: a lossy picture's quadrants come
// near their colours, not onto them.
char primaryOf(COLORREF c) {
    const int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
    if (r > 200 && g < 60 && b < 60) return 'R';
    if (g > 200 && r < 60 && b < 60) return 'G';
    if (b > 200 && r < 60 && g < 60) return 'B';
    return 0;
}

// Whether the red, green and blue seen on screen (their centres, x and y
// sums over counts) lie as corners says they do.
bool placedAs(const std::string& corners, const double (&x)[3], const double (&y)[3], const int (&count)[3]) {
    const char* const primaries = "RGB";
    for (int a = 0; a < 3; ++a) {
        const size_t at = corners.find(primaries[a]);
        if (at == std::string::npos || count[a] < 4) return false;
        for (int b = 0; b < 3; ++b) {
            const size_t other = corners.find(primaries[b]);
            if (other == std::string::npos || a == b) continue;
            // Corner index: bit 0 the column, bit 1 the row.
            const int columns = int(at & 1) - int(other & 1), rows = int(at >> 1) - int(other >> 1);
            const double dx = x[a] / count[a] - x[b] / count[b], dy = y[a] / count[a] - y[b] / count[b];
            if ((columns > 0 && dx <= 0) || (columns < 0 && dx >= 0) || (rows > 0 && dy <= 0) || (rows < 0 && dy >= 0))
                return false;
        }
    }
    return true;
}

bool Program::waitPreviewOf(const std::string& corners) {
    HWND pane = nullptr;
    EnumChildWindows(mainWindow(), findPreviewPane, reinterpret_cast<LPARAM>(&pane));
    if (!pane) return false;
    for (DWORD waited = 0; waited < kPatience; waited += 50) {
        RECT r;
        GetWindowRect(pane, &r);
        HDC screen = GetDC(nullptr);
        double x[3] = {}, y[3] = {};
        int count[3] = {};
        for (LONG py = r.top + 4; py < r.bottom - 4; py += 4) {
            for (LONG px = r.left + 4; px < r.right - 4; px += 4) {
                const char p = primaryOf(GetPixel(screen, px, py));
                if (!p) continue;
                const int i = p == 'R' ? 0 : p == 'G' ? 1 : 2;
                x[i] += px;
                y[i] += py;
                ++count[i];
            }
        }
        ReleaseDC(nullptr, screen);
        if (placedAs(corners, x, y, count)) return true;
        Sleep(50);
    }
    return false;
}

HWND Program::resultList() {
    HWND list = nullptr;
    EnumChildWindows(mainWindow(), findResultList, reinterpret_cast<LPARAM>(&list));
    return list;
}

int Program::resultRows() {
    return static_cast<int>(SendMessageA(resultList(), LVM_GETITEMCOUNT, 0, 0));
}

// Sends message to window of process with a block that lives in the
// process: data copied in before, copied back after. Returns the answer.
LRESULT sendWithBlock(HANDLE process, HWND window, UINT message, WPARAM wParam, void* data, size_t size) {
    void* remote = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote) return 0;
    WriteProcessMemory(process, remote, data, size, nullptr);
    LRESULT answer = SendMessageA(window, message, wParam, reinterpret_cast<LPARAM>(remote));
    ReadProcessMemory(process, remote, data, size, nullptr);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    return answer;
}

std::string Program::resultText(int row, int column) {
    struct Block {
        LVITEMA item;
        char text[kPathSize];
    } block = {};
    block.item.iSubItem = column;
    block.item.cchTextMax = sizeof block.text;
    // The text pointer must name the block's own text where it will be.
    void* remote = VirtualAllocEx(process.hProcess, nullptr, sizeof block, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote) return "";
    block.item.pszText = static_cast<Block*>(remote)->text;
    WriteProcessMemory(process.hProcess, remote, &block, sizeof block, nullptr);
    SendMessageA(resultList(), LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(remote));
    ReadProcessMemory(process.hProcess, remote, &block, sizeof block, nullptr);
    VirtualFreeEx(process.hProcess, remote, 0, MEM_RELEASE);
    block.text[sizeof block.text - 1] = '\0';
    return block.text;
}

int Program::resultCheck(int row) {
    return static_cast<int>(SendMessageA(resultList(), LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK) >> 12);
}

void Program::clickCheckBox(int row) {
    HWND list = resultList();
    RECT box = {};
    box.left = LVIR_BOUNDS;
    if (!waitForeground() || !sendWithBlock(process.hProcess, list, LVM_GETITEMRECT, row, &box, sizeof box)) {
        ADD_FAILURE() << "row " << row << " has no place to click";
        return;
    }
    // The check box is the row's first image, at its left end. The press
    // is posted to the list: a pointer moved from here is not always where
    // the program's desktop has it.
    LPARAM at = MAKELPARAM(box.left + 8, (box.top + box.bottom) / 2);
    PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(list, WM_LBUTTONUP, 0, at);
}

bool Program::waitResultCheck(int row, int image) {
    return waitUntil([&] { return resultCheck(row) == image; },
                     [&] { return "row " + std::to_string(row) + " never showed check image " + std::to_string(image); });
}

void Program::answerBox(const std::string& text, int button) {
    HWND box = nextDialog();
    if (!box) {
        ADD_FAILURE() << "expected the box: " << text << ended();
        return;
    }
    EXPECT_EQ(messageBoxText(box), text);
    PostMessageA(box, WM_COMMAND, button, 0);
    waitGone(box);
}

void Program::finishDialog(HWND dialog, int command) {
    PostMessageA(dialog, WM_COMMAND, command, 0);
    waitGone(dialog);
}

std::string Program::answerAnyBox(int button) {
    HWND box = nextDialog();
    if (!box) return "";
    std::string text = messageBoxText(box);
    PostMessageA(box, WM_COMMAND, button, 0);
    waitGone(box);
    return text;
}

void Program::answerPrompt(const std::string& prompt, const char* path, bool recurse) {
    HWND dialog = nextDialog();
    if (!dialog || !GetDlgItem(dialog, IDC_PATH_EDIT)) {
        ADD_FAILURE() << "expected the directory prompt: " << prompt << ended();
        return;
    }
    EXPECT_EQ(windowText(GetDlgItem(dialog, IDC_PROMPT_TEXT)), prompt);
    if (path) SendMessageA(GetDlgItem(dialog, IDC_PATH_EDIT), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path));
    HWND box = GetDlgItem(dialog, IDC_RECURSE_CHECK);
    if (box && IsWindowVisible(box)) SendMessageA(box, BM_SETCHECK, recurse ? BST_CHECKED : BST_UNCHECKED, 0);
    PostMessageA(dialog, WM_COMMAND, path ? IDOK : IDCANCEL, 0);
    waitGone(dialog);
}

void Program::click(int command) {
    // Queued behind what was sent before, ahead of the sends that follow.
    SendNotifyMessageA(mainWindow(), WM_COMMAND, command, 0);
}

HWND Program::shiftClick(int command) {
    HWND toolbar = nullptr;
    RECT button = buttonRect(command, &toolbar);
    if (!toolbar || !waitForeground()) return nullptr;
    MapWindowPoints(toolbar, nullptr, reinterpret_cast<POINT*>(&button), 2);
    shiftKey(true);
    mouseClick({(button.left + button.right) / 2, (button.top + button.bottom) / 2});
    HWND dialog = nextDialog();  // shown once the click has read Shift
    shiftKey(false);
    if (!dialog) ADD_FAILURE() << "the click on button " << command << " opened nothing" << ended();
    return dialog;
}

void Program::addCondition(const char* width, const char* height, int operatorIndex) {
    click(CMD_ADD_CONDITION);
    HWND strip = nextDialog();
    if (!strip) {
        ADD_FAILURE() << "the condition strip did not open" << ended();
        return;
    }
    SendDlgItemMessageA(strip, IDC_WIDTH_EDIT, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(width));
    SendDlgItemMessageA(strip, IDC_HEIGHT_EDIT, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(height));
    SendDlgItemMessageA(strip, IDC_OPERATOR_COMBO, CB_SETCURSEL, operatorIndex, 0);
    finishDialog(strip, IDOK);
}

RECT Program::buttonRect(int command, HWND* toolbar) {
    ToolbarSearch search = {command, nullptr};
    EnumChildWindows(mainWindow(), findToolbar, reinterpret_cast<LPARAM>(&search));
    *toolbar = search.found;
    RECT button = {};
    if (!search.found) {
        ADD_FAILURE() << "no toolbar has button " << command;
        return button;
    }
    // Asked into the program's own memory.
    int index = static_cast<int>(SendMessageA(search.found, TB_COMMANDTOINDEX, command, 0));
    void* remote = VirtualAllocEx(process.hProcess, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
    SendMessageA(search.found, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(remote));
    ReadProcessMemory(process.hProcess, remote, &button, sizeof button, nullptr);
    VirtualFreeEx(process.hProcess, remote, 0, MEM_RELEASE);
    return button;
}

bool Program::waitForeground() {
    return waitUntil(
        [&] {
            DWORD owner = 0;
            GetWindowThreadProcessId(GetForegroundWindow(), &owner);
            if (owner == process.dwProcessId) return true;
            SetForegroundWindow(mainWindow());
            return false;
        },
        [] { return std::string("the program never came to the front"); });
}

// Waits until the program's window thread has taken a message posted to
// toolbar now, so everything posted before it was taken too. A sent message
// proves less: it is answered inside any loop that peeks, among them the
// one in which a toolbar, after its drop-down menu closed, throws away the
// clicks still waiting for it. The posted message flips the toolbar's anchor
// highlight, which nothing else here uses; it is flipped back after.
static bool postedTaken(HWND toolbar) {
    const bool anchor = SendMessageA(toolbar, TB_GETANCHORHIGHLIGHT, 0, 0) != 0;
    PostMessageA(toolbar, TB_SETANCHORHIGHLIGHT, !anchor, 0);
    bool taken = waitUntil([&] { return (SendMessageA(toolbar, TB_GETANCHORHIGHLIGHT, 0, 0) != 0) != anchor; },
                           [] { return std::string("the program never took a posted message"); });
    SendMessageA(toolbar, TB_SETANCHORHIGHLIGHT, anchor, 0);
    return taken;
}

static bool menuShows(DWORD process) {
    WindowSearch search = {process, "#32768", nullptr};
    EnumWindows(findVisible, reinterpret_cast<LPARAM>(&search));
    return search.found != nullptr;
}

void Program::openMenu(int command) {
    HWND toolbar = nullptr;
    RECT button = buttonRect(command, &toolbar);
    if (!toolbar || !waitForeground()) return;
    // Not while a box that just closed still holds the window disabled.
    if (!waitUntil([&] { return IsWindowEnabled(mainWindow()) != 0; },
                   [] { return std::string("the main window stayed disabled"); }))
        return;
    const LPARAM at = MAKELPARAM(button.right - 3, (button.top + button.bottom) / 2);
    // A click reaches the menu loop, which shows the menu before it takes
    // the next posted message; or the toolbar threw it away with the clicks
    // left from its last menu, and it is posted again. Each try waits for
    // proof that the one before was used up, so a menu never opens twice.
    for (DWORD waited = GetTickCount(); GetTickCount() - waited < kPatience;) {
        if (!postedTaken(toolbar)) break;  // what came before is done
        // The pointer out of the way: a menu opening under it highlights an item.
        SetCursorPos(0, GetSystemMetrics(SM_CYSCREEN) - 1);
        PostMessageA(toolbar, WM_LBUTTONDOWN, MK_LBUTTON, at);
        if (!postedTaken(toolbar)) break;
        if (menuShows(process.dwProcessId)) return;
    }
    ADD_FAILURE() << "the menu of button " << command << " did not open" << ended();
}

void Program::pick(int presses, bool intoSubmenu, bool shift) {
    HWND menu = waitWindow(process, "#32768");
    if (!menu || !waitForeground()) {
        ADD_FAILURE() << "no menu to choose from";
        return;
    }
    if (shift) shiftKey(true);
    // Home highlights the first item whatever the pointer rests on; each
    // Down passes over the separators. The keys reach the menu as a
    // person's would, behind the Shift press.
    std::vector<WORD> keys = {VK_HOME};
    for (int i = 1; i < presses; ++i) keys.push_back(VK_DOWN);
    if (intoSubmenu) keys.push_back(VK_RIGHT);
    keys.push_back(VK_RETURN);
    sendKeys(keys);
    waitGone(menu);
    if (!shift) return;
    // Answered after the choice read Shift (in a box it opened, or after it).
    SendMessageA(mainWindow(), WM_NULL, 0, 0);
    shiftKey(false);
}

void Program::choose(int command, int presses, bool shift) {
    openMenu(command);
    pick(presses, false, shift);
}

bool Program::menuOpen() {
    SendMessageA(mainWindow(), WM_NULL, 0, 0);  // in a menu's loop, if one reopened
    return menuShows(process.dwProcessId);
}

void Program::waitIdle() {
    // Answered only once the program's window thread is back in its loop,
    // after a launcher has stored its worker's id.
    SendMessageA(mainWindow(), WM_NULL, 0, 0);
    auto* state = reinterpret_cast<const char*>(GetWindowLongPtrA(mainWindow(), 0));
    for (DWORD waited = 0; state && waited < kPatience; waited += 20) {
        DWORD worker = 0;
        if (!ReadProcessMemory(process.hProcess, state + offsetof(MainWindowState, worker) + offsetof(Worker, id), &worker,
                               sizeof worker, nullptr) || worker == 0)
            return;
        Sleep(20);
    }
    ADD_FAILURE() << "the worker did not end" << ended();
}

void Program::close() {
    HWND window = mainWindow();
    if (!window) {
        ADD_FAILURE() << "expected the main window" << ended();
        return;
    }
    PostMessageA(window, WM_CLOSE, 0, 0);
}

std::string Program::ended() const {
    DWORD code = 0;
    if (WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0 || !GetExitCodeProcess(process.hProcess, &code))
        return "";
    char text[64];
    snprintf(text, sizeof text, " (the program had ended, exit code 0x%08lX)", static_cast<unsigned long>(code));
    return text;
}

DWORD Program::exitCode() {
    if (WaitForSingleObject(process.hProcess, kPatience) != WAIT_OBJECT_0) return ~0u;
    DWORD code = ~0u;
    GetExitCodeProcess(process.hProcess, &code);
    return code;
}

std::string Program::read(const char* key) const {
    char value[4096];
    GetPrivateProfileStringA("trawlix", key, "<absent>", value, sizeof value, ini.c_str());
    return value;
}

void Program::write(const char* key, const std::string& value) const {
    WritePrivateProfileStringA("trawlix", key, value.c_str(), ini.c_str());
}

int menuPresses(int menuId, int id) {
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(menuId));
    int count = pressesTo(menu, id);
    DestroyMenu(menu);
    return count;
}

int menuEntryPresses(int menuId, int entry) {
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(menuId));
    int count = reachableWithEntries(menu);
    DestroyMenu(menu);
    return count + entry + 1;
}

int menuLastPresses(int menuId) {
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(menuId));
    int count = reachableWithEntries(menu);
    DestroyMenu(menu);
    return count;
}

void pressKey(HWND window, WORD key) {
    PostMessageA(window, WM_KEYDOWN, key, 1);
    PostMessageA(window, WM_KEYUP, key, 0xC0000001);
}
