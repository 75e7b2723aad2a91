// The main window built in this process: its pane tree, toolbars, columns,
// tooltips, layout, closing, and the wait for a running worker.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "app/resstring.h"
#include "app/startup.h"
#include "app/text.h"
#include "resource.h"
#include "search/condition.h"
#include "support/windows.h"
#include "ui/divider.h"
#include "ui/mainwnd.h"
#include "ui/resultlist.h"
#include "ui/toolist.h"

namespace {

std::string classOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        window = testMainWindowOpen();
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override { testMainWindowClose(window); }

    struct Button {
        int image;
        int command;
        bool enabled;
        BYTE style;
    };
    std::vector<Button> buttons(HWND toolbar) {
        std::vector<Button> result;
        int count = static_cast<int>(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            TBBUTTON b = {};
            SendMessageA(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&b));
            result.push_back({b.iBitmap, b.idCommand, (b.fsState & TBSTATE_ENABLED) != 0, b.fsStyle});
        }
        return result;
    }
    std::vector<std::string> columns(HWND list) {
        std::vector<std::string> result;
        HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
        int count = static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            char text[64] = {};
            LVCOLUMNA column = {};
            column.mask = LVCF_TEXT | LVCF_WIDTH;
            column.pszText = text;
            column.cchTextMax = sizeof text;
            SendMessageA(list, LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
            result.push_back(std::string(text) + "/" + std::to_string(column.cx));
        }
        return result;
    }

    HWND window = nullptr;
};

TEST_F(MainWindow, EveryAccessorFindsItsPane) {
    MainWindowState* s = mainState(window);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(classOf(s->rootDivider), kDividerClass);
    EXPECT_EQ(s->worker.id, 0u);
    EXPECT_EQ(s->shellMenu, nullptr);
    EXPECT_EQ(classOf(mainState(window)->resultToolist), kToolistClass);
    EXPECT_EQ(classOf(mainState(window)->pikture), "qlx_pikturewnd");
    HWND lists[] = {mainState(window)->conditionList, mainState(window)->excludeList, mainState(window)->resultList};
    HWND toolbars[] = {mainState(window)->conditionToolbar, mainState(window)->excludeToolbar, mainState(window)->resultToolbar};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(classOf(lists[i]), "SysListView32") << i;
        EXPECT_EQ(classOf(toolbars[i]), "ToolbarWindow32") << i;
        for (int j = 0; j < i; ++j) {
            EXPECT_NE(lists[i], lists[j]);
            EXPECT_NE(toolbars[i], toolbars[j]);
        }
    }
    EXPECT_EQ(GetParent(mainState(window)->resultToolist), s->rootDivider);
    EXPECT_EQ(GetParent(GetParent(mainState(window)->pikture)), dividerPane(s->rootDivider, 0));
}

TEST_F(MainWindow, ToolbarsCarryTheirButtonsInOrder) {
    std::vector<Button> result = buttons(mainState(window)->resultToolbar);
    ASSERT_EQ(result.size(), 15u);
    const int commands[] = {CMD_FIND, CMD_STOP, 0, CMD_CHECK_STATE, 0, CMD_COPY, CMD_MOVE, CMD_TRASH,
                            0, CMD_WALLPAPER, 0, 0, CMD_SETTINGS, 0, CMD_HELP};
    const int images[] = {3, 4, 0, 7, 0, 5, 6, 12, 0, 13, 0, 0, 9, 0, 8};
    for (int i = 0; i < 15; ++i) {
        EXPECT_EQ(result[i].command, commands[i]) << i;
        EXPECT_EQ(result[i].image, images[i]) << i;
        if (commands[i] == 0) {
            EXPECT_EQ(result[i].style, BTNS_SEP) << i;
        } else {
            EXPECT_EQ(result[i].enabled, commands[i] != CMD_STOP) << i;
            EXPECT_EQ(result[i].style, commands[i] == CMD_STOP ? BTNS_BUTTON : BTNS_DROPDOWN) << i;
        }
    }
    std::vector<Button> condition = buttons(mainState(window)->conditionToolbar);
    ASSERT_EQ(condition.size(), 4u);
    EXPECT_EQ(condition[2].command, CMD_CONDITION_SETS);
    EXPECT_EQ(condition[2].style, BTNS_DROPDOWN);
    EXPECT_EQ(condition[0].style, BTNS_BUTTON);
    std::vector<Button> exclude = buttons(mainState(window)->excludeToolbar);
    ASSERT_EQ(exclude.size(), 3u);
    EXPECT_EQ(exclude[1].command, CMD_DELETE_EXCLUDES);
    EXPECT_EQ(exclude[1].image, 1);
}

TEST_F(MainWindow, ListsHaveTheirColumnsAndStyles) {
    // Headers in the user's language: the string table decides.
    auto heading = [](int id, int width) { return std::string(resString(id)) + "/" + std::to_string(width); };
    EXPECT_EQ(columns(mainState(window)->resultList),
              (std::vector<std::string>{heading(IDS_COL_FILENAME, 200), heading(IDS_COL_PICTURESIZE, 100),
                                        heading(IDS_COL_FILESIZE, 100), heading(IDS_COL_FULLPATH, 100),
                                        heading(IDS_COL_HANDLEDBY, 100)}));
    EXPECT_EQ(columns(mainState(window)->conditionList),
              (std::vector<std::string>{heading(IDS_COL_PICTURESIZE, 100), heading(IDS_COL_CONDITION, 50)}));
    EXPECT_EQ(columns(mainState(window)->excludeList), (std::vector<std::string>{heading(IDS_COL_EXCLUDEPATH, 150)}));
    for (HWND list : {mainState(window)->conditionList, mainState(window)->excludeList}) {
        EXPECT_NE(GetWindowLongPtrA(list, GWL_STYLE) & LVS_NOSORTHEADER, 0);
        EXPECT_EQ(SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_CHECKBOXES, 0);
    }
    EXPECT_NE(SendMessageA(mainState(window)->resultList, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_CHECKBOXES, 0);
}

TEST_F(MainWindow, StatusBarWelcomesAndTooltipsComeFromTheStringTable) {
    char text[64] = {};
    SendMessageA(mainState(window)->statusBar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "Welcome to trawlix");
    NMTTDISPINFOA tip = {};
    tip.hdr.hwndFrom = mainState(window)->resultToolbar;
    tip.hdr.idFrom = CMD_FIND;
    tip.hdr.code = TTN_NEEDTEXTA;
    SendMessageA(window, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&tip));
    EXPECT_EQ(tip.lpszText, MAKEINTRESOURCEA(CMD_FIND));
}

TEST_F(MainWindow, LaysOutThePanesAboveTheStatusBar) {
    RECT client, status, root;
    GetClientRect(window, &client);
    GetClientRect(mainState(window)->statusBar, &status);
    GetWindowRect(mainState(window)->rootDivider, &root);
    EXPECT_EQ(root.right - root.left, client.right);
    EXPECT_EQ(root.bottom - root.top, client.bottom - status.bottom);
    RECT condition;
    GetWindowRect(GetParent(mainState(window)->conditionList), &condition);
    EXPECT_EQ(condition.right - condition.left, 200);
    EXPECT_EQ(condition.bottom - condition.top, 200);
}

TEST_F(MainWindow, ClosingReleasesEveryConditionAndQuits) {
    HWND list = mainState(window)->conditionList;
    std::vector<Condition*> records;
    for (int i = 0; i < 3; ++i) {
        Condition* c = static_cast<Condition*>(textAlloc(sizeof(Condition)));
        *c = {uint32_t(800 + i), 600, 0};
        records.push_back(c);
        LVITEMA item = {};
        item.mask = LVIF_PARAM;
        item.iItem = i;
        item.lParam = reinterpret_cast<LPARAM>(c);
        ListView_InsertItem(list, &item);
    }
    for (Condition* c : records) ASSERT_TRUE(HeapValidate(GetProcessHeap(), 0, c));
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    for (Condition* c : records) EXPECT_FALSE(HeapValidate(GetProcessHeap(), 0, c));
    MSG quit;
    ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 0u);
}

TEST_F(MainWindow, ResultRowPathJoinsFolderAndNameButNeverCuts) {
    HWND list = mainState(window)->resultList;
    auto addRow = [&](const std::string& name, const std::string& folder) {
        testAddResults(window, {{name, "", "", folder, ""}});
        return ListView_GetItemCount(list) - 1;
    };
    char path[kPathSize];
    int row = addRow("dawn.jpg", "D:\\walls");
    ASSERT_EQ(resultsRowPath(mainState(window)->results->store, static_cast<uint32_t>(row), path, kPathSize), 1);
    EXPECT_STREQ(path, "D:\\walls\\dawn.jpg");
    row = addRow("x.png", "D:\\");
    ASSERT_EQ(resultsRowPath(mainState(window)->results->store, static_cast<uint32_t>(row), path, kPathSize), 1);
    EXPECT_STREQ(path, "D:\\x.png");
    row = addRow(std::string(100, 'n') + ".png", "D:\\" + std::string(200, 'f'));
    EXPECT_EQ(resultsRowPath(mainState(window)->results->store, static_cast<uint32_t>(row), path, kPathSize), 0);
    EXPECT_STREQ(path, "");
}

struct FakeWorker {
    const volatile LONG* cancel;
    volatile bool ended;
};

DWORD WINAPI fakeWorker(void* context) {
    FakeWorker* worker = static_cast<FakeWorker*>(context);
    while (!*worker->cancel) Sleep(1);
    Sleep(200);  // still working after the stop was asked for
    worker->ended = true;
    return 0;
}

TEST_F(MainWindow, ShutdownStopsAndWaitsForARunningWorker) {
    MainWindowState* s = mainState(window);
    FakeWorker worker = {&s->worker.cancel, false};
    ASSERT_TRUE(workerStart(s->worker, fakeWorker, &worker));
    mainWorkerStopAndWait(window);
    EXPECT_TRUE(worker.ended);
    EXPECT_EQ(s->worker.thread, nullptr);
    EXPECT_EQ(s->worker.id, 0u);
    mainWorkerStopAndWait(window);  // none running: returns at once
}

}  // namespace
