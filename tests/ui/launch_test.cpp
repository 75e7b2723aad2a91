// The search as the main window starts and follows it: refusals, the
// controls while it runs and after, Stop; and how its rows reach the result
// list, and marks another program sets there.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "app/resstring.h"
#include "resource.h"
#include "search/condition.h"
#include "support/notices.h"
#include "support/testdirs.h"
#include "support/windows.h"
#include "ui/launch.h"
#include "ui/lists.h"
#include "ui/mainwnd.h"
#include "ui/resultlist.h"

namespace {

class SearchWindow : public ::testing::Test {
protected:
    void SetUp() override {
        window = testMainWindowOpen();
        ASSERT_NE(window, nullptr);
        s = mainState(window);
    }
    void TearDown() override {
        SendMessageA(s->conditionList, LVM_DELETEALLITEMS, 0, 0);
        testMainWindowClose(window);
    }
    bool enabled(HWND toolbar, int command) { return SendMessageA(toolbar, TB_ISBUTTONENABLED, command, 0) != 0; }
    // Waits for the worker's done message, answering messages as the window thread does.
    void finish() {
        for (DWORD until = GetTickCount() + 120000; s->worker.thread && GetTickCount() < until;) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            pumpMessages();
        }
        ASSERT_EQ(s->worker.thread, nullptr) << "the search did not end";
    }

    HWND window = nullptr;
    MainWindowState* s = nullptr;
    TempFolder root;
};

TEST_F(SearchWindow, RefusesWithoutConditionsOrWithADirectoryItCannotEnter) {
    struct Case {
        bool conditions;
        std::string directory;
        int message;
    };
    for (const Case& c : {Case{false, root.path, IDS_ADD_CONDITION_FIRST},
                          Case{true, root.path + "\\missing", IDS_SEARCH_DIR_FAILED}}) {
        if (c.conditions) conditionRowAdd(s->conditionList, Condition{1, 1, 0});
        NoticeWatch watch;
        noticeWatchBegin(watch);
        launchSearch(*s, c.directory.c_str(), 1);
        noticeWatchEnd();
        EXPECT_EQ(watch.count, 1);
        EXPECT_EQ(watch.text, resString(c.message));
        EXPECT_EQ(s->worker.thread, nullptr);
    }
}

// While a search runs, what could change it is disabled and Stop enabled;
// Stop ends it, and every control comes back with the totals shown.
TEST_F(SearchWindow, ARunningSearchHoldsItsControlsAndStopEndsIt) {
    for (int i = 0; i < 50; ++i) writeFile(root.path + "\\p" + std::to_string(i) + ".bmp", bmpFile(640, 480));
    conditionRowAdd(s->conditionList, Condition{640, 480, 0});
    launchSearch(*s, root.path.c_str(), 1);
    ASSERT_NE(s->worker.thread, nullptr);
    EXPECT_TRUE(enabled(s->resultToolbar, CMD_STOP));
    EXPECT_FALSE(enabled(s->resultToolbar, CMD_FIND));
    EXPECT_FALSE(enabled(s->conditionToolbar, CMD_ADD_CONDITION));
    EXPECT_FALSE(IsWindowEnabled(s->conditionList));
    EXPECT_FALSE(IsWindowEnabled(s->resultList));
    SendMessageA(window, WM_COMMAND, CMD_STOP, 0);
    finish();
    EXPECT_FALSE(enabled(s->resultToolbar, CMD_STOP));
    EXPECT_TRUE(enabled(s->resultToolbar, CMD_FIND));
    EXPECT_TRUE(enabled(s->conditionToolbar, CMD_ADD_CONDITION));
    EXPECT_TRUE(IsWindowEnabled(s->conditionList));
    EXPECT_TRUE(IsWindowEnabled(s->resultList));
    const int rows = listRowCount(s->resultList);
    EXPECT_LE(rows, 50);
    char text[256] = {};
    SendMessageA(s->statusBar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    char want[256];
    snprintf(want, sizeof want, resString(IDS_FOUND_SUMMARY), rows, rows * 54);
    EXPECT_STREQ(text, rows ? want : resString(IDS_NO_MATCH));
}

// count rows named r0, r1, ... as one batch.
std::vector<TestResultRow> rowBatch(int count) {
    std::vector<TestResultRow> rows;
    for (int i = 0; i < count; ++i) rows.push_back({"r" + std::to_string(i), "", "", "", ""});
    return rows;
}

bool rowWaitsForPaint(HWND list, int row) {
    RECT box = {};
    box.left = LVIR_BOUNDS;
    SendMessageA(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&box));
    HRGN update = CreateRectRgn(0, 0, 0, 0);
    GetUpdateRgn(list, update, FALSE);
    bool waits = PtInRegion(update, (box.left + box.right) / 2, (box.top + box.bottom) / 2) != 0;
    DeleteObject(update);
    return waits;
}

// A batch repaints its own rows; the rows above it stay as painted, unless
// something had damaged them before the batch came.
TEST_F(SearchWindow, ABatchRepaintsItsRowsAndWhatWasDamagedOnly) {
    HWND list = s->resultList;
    for (bool damagedBefore : {false, true}) {
        resultListClear(*s->results);
        testAddResults(window, rowBatch(2));
        UpdateWindow(list);
        if (damagedBefore) InvalidateRect(list, nullptr, FALSE);
        testAddResults(window, rowBatch(2));
        EXPECT_EQ(rowWaitsForPaint(list, 0), damagedBefore);
        EXPECT_TRUE(rowWaitsForPaint(list, 2)) << damagedBefore;
        EXPECT_TRUE(rowWaitsForPaint(list, 3)) << damagedBefore;
        UpdateWindow(list);
    }
}

// During a search the list learns its row count on a timer, not with every
// batch (each new count redraws its scroll bar); the last batch shows every
// row at once.
TEST_F(SearchWindow, TheListLearnsItsCountOnATimerAndWithTheLastBatch) {
    HWND list = s->resultList;
    auto shown = [&] { return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0); };
    resultListClear(*s->results);
    testAddResults(window, rowBatch(2), false);
    testAddResults(window, rowBatch(3), false);
    EXPECT_EQ(shown(), 0);
    for (DWORD until = GetTickCount() + 60000; shown() != 5 && GetTickCount() < until;) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        pumpMessages();
    }
    EXPECT_EQ(shown(), 5);
    testAddResults(window, rowBatch(1), false);
    testAddResults(window, {}, true);
    EXPECT_EQ(shown(), 6);
}

// Automation and accessibility tools set check marks with LVM_SETITEMSTATE;
// the list keeps no state of its own, so the marks land in the store.
TEST_F(SearchWindow, MarksAnotherProgramSetsReachTheStore) {
    testAddResults(window, rowBatch(3));
    auto mark = [&](int row, int image) {
        LVITEMA item = {};
        item.stateMask = LVIS_STATEIMAGEMASK;
        item.state = INDEXTOSTATEIMAGEMASK(image);
        SendMessageA(s->resultList, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    };
    auto checks = [&] {
        std::string all;
        for (uint32_t r = 0; r < s->results->store.count; ++r) all += std::to_string(resultsRow(s->results->store, r).check);
        return all;
    };
    mark(1, kCheckImageChecked);
    EXPECT_EQ(checks(), "121");
    mark(-1, kCheckImageChecked);
    EXPECT_EQ(checks(), "222");
    mark(0, kCheckImageUnchecked);
    EXPECT_EQ(checks(), "122");
}

}  // namespace
