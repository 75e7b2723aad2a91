// The main window's lists and the entry strips, driven by the messages a
// user's clicks and keys produce: strips adding and replacing rows, the
// result sort, Enter, Tab and the check-state operations.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "app/settings.h"
#include "app/startup.h"
#include "app/text.h"
#include "dialogs/strips.h"
#include "resource.h"
#include "search/condition.h"
#include "support/notices.h"
#include "support/windows.h"
#include "ui/lists.h"
#include "ui/mainwnd.h"
#include "ui/resultlist.h"
#include "ui/toolist.h"

namespace {

int rowCount(HWND list) {
    return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
}

class Lists : public ::testing::Test {
protected:
    void SetUp() override {
        window = testMainWindowOpen();
        ASSERT_NE(window, nullptr);
        SetForegroundWindow(window);
        saved = appSettings;
        conditions = mainState(window)->conditionList;
        results = mainState(window)->resultList;
    }
    void TearDown() override {
        dialogWatchEnd();
        appSettings = saved;
        SendMessageA(conditions, LVM_DELETEALLITEMS, 0, 0);
        testMainWindowClose(window);
    }

    // Result rows as the search appends them.
    void addResults(const std::vector<std::pair<std::string, std::string>>& nameAndSize) {
        std::vector<TestResultRow> rows;
        for (const auto& row : nameAndSize) rows.push_back({row.first, "", row.second, "", ""});
        testAddResults(window, rows);
    }
    std::string names() {
        std::string all;
        for (int r = 0; r < rowCount(results); ++r) all += (r ? "," : "") + listCellText(results, r, 0);
        return all;
    }
    void notify(HWND from, UINT code, int subItem = 0) {
        NMLISTVIEW n = {};
        n.hdr.hwndFrom = from;
        n.hdr.code = code;
        n.iItem = -1;
        n.iSubItem = subItem;
        SendMessageA(window, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&n));
    }
    std::string checks() {
        std::string all;
        for (int r = 0; r < rowCount(results); ++r)
            all += std::to_string(SendMessageA(results, LVM_GETITEMSTATE, r, LVIS_STATEIMAGEMASK) >> 12);
        return all;
    }
    void setCheck(int row, int image) { testSetResultCheck(window, row, image); }
    void focusRow(HWND list, int row) {
        LVITEMA item = {};
        item.stateMask = item.state = LVIS_FOCUSED | LVIS_SELECTED;
        SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    }
    StripTarget* target(HWND list, int row) {
        StripTarget* t = static_cast<StripTarget*>(textAlloc(sizeof(StripTarget)));
        t->list = list;
        t->row = row;
        return t;
    }

    HWND window = nullptr, conditions = nullptr, results = nullptr;
    AppSettings saved;
};

TEST_F(Lists, TheConditionStripAddsARowAndEditsOneInPlace) {
    conditionRowAdd(conditions, Condition{800, 600, 0});
    conditionRowAdd(conditions, Condition{1024, 768, 1});
    conditionRowAdd(conditions, Condition{1920, 1080, 5});
    std::string shown;
    dialogWatchBegin([&](HWND strip, int) {
        shown = std::to_string(GetDlgItemInt(strip, IDC_WIDTH_EDIT, nullptr, FALSE)) + "/" +
                std::to_string(GetDlgItemInt(strip, IDC_HEIGHT_EDIT, nullptr, FALSE)) + "/" +
                std::to_string(SendDlgItemMessageA(strip, IDC_OPERATOR_COMBO, CB_GETCURSEL, 0, 0));
        SetDlgItemInt(strip, IDC_WIDTH_EDIT, 1280, FALSE);
        SetDlgItemTextA(strip, IDC_HEIGHT_EDIT, "");
        SendDlgItemMessageA(strip, IDC_OPERATOR_COMBO, CB_SETCURSEL, 3, 0);
        PostMessageA(strip, WM_COMMAND, IDOK, 0);
    });
    stripRunCondition(window, target(conditions, 1));
    EXPECT_EQ(shown, "1024/768/1");
    stripRunCondition(window, target(conditions, -1));
    EXPECT_EQ(shown, "0/0/0");
    dialogWatchEnd();
    ASSERT_EQ(rowCount(conditions), 4);
    std::vector<std::string> rows;
    for (int r = 0; r < 4; ++r) {
        const Condition* c = conditionListItem(conditions, r);
        rows.push_back(listCellText(conditions, r, 0) + " " + listCellText(conditions, r, 1) + " " +
                       std::to_string(c->width) + "," + std::to_string(c->height) + "," + std::to_string(c->cond));
    }
    EXPECT_EQ(rows, (std::vector<std::string>{"800 x 600 == 800,600,0", "1280 x 0 >= 1280,0,3",
                                              "1920 x 1080 > 1920,1080,5", "1280 x 0 >= 1280,0,3"}));
}

TEST_F(Lists, AStripCancelledByAClickElsewhereChangesNothing) {
    HWND excludes = mainState(window)->excludeList;
    dialogWatchBegin([&](HWND strip, int) {
        SetDlgItemTextA(strip, IDC_PATH_EDIT, "thumbs");
        PostMessageA(strip, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(window));
    });
    stripRunExclude(window, target(excludes, -1));
    stripRunCondition(window, target(conditions, -1));
    EXPECT_EQ(rowCount(excludes), 0);
    EXPECT_EQ(rowCount(conditions), 0);

    // An empty path is still a row; Esc in the name strip gives none, Save an empty text.
    dialogWatchBegin([](HWND strip, int) { PostMessageA(strip, WM_COMMAND, IDOK, 0); });
    stripRunExclude(window, target(excludes, -1));
    ASSERT_EQ(rowCount(excludes), 1);
    EXPECT_EQ(listCellText(excludes, 0, 0), "");
    char* name = stripRunSetName(window, conditions);
    ASSERT_NE(name, nullptr);
    EXPECT_STREQ(name, "");
    textFree(name);
    dialogWatchBegin([](HWND strip, int) { PostMessageA(strip, WM_COMMAND, IDCANCEL, 0); });
    EXPECT_EQ(stripRunSetName(window, conditions), nullptr);
}

TEST_F(Lists, HeaderClicksCycleAscendingDescendingAndFoundOrder) {
    addResults({{"b.png", "20"}, {"c.png", "3"}, {"a.png", "100"}});
    struct Click {
        int column;
        const char* order;
    };
    for (Click c : {Click{0, "a.png,b.png,c.png"}, Click{0, "c.png,b.png,a.png"}, Click{0, "b.png,c.png,a.png"},
                    Click{2, "c.png,b.png,a.png"}, Click{2, "a.png,b.png,c.png"}}) {
        notify(results, LVN_COLUMNCLICK, c.column);
        EXPECT_EQ(names(), c.order) << "column " << c.column;
    }
}

TEST_F(Lists, EnterWithTheOldOperationTogglesAndWalksDown) {
    appSettings.OldEnterOperation = 1;
    addResults({{"a", "1"}, {"b", "2"}, {"c", "3"}});
    setCheck(1, 2);
    SetFocus(results);
    focusRow(results, 0);
    for (int i = 0; i < 3; ++i) SendMessageA(window, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(checks(), "212");
    EXPECT_EQ(SendMessageA(results, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED), -1);
}

TEST_F(Lists, CheckOperationsSetEveryRow) {
    addResults({{"a", "1"}, {"b", "2"}, {"c", "3"}});
    setCheck(1, 2);
    checkInvert(*mainState(window)->results);
    EXPECT_EQ(checks(), "212");
    checkToggleAll(*mainState(window)->results);
    EXPECT_EQ(checks(), "111");
    checkToggleAll(*mainState(window)->results);
    EXPECT_EQ(checks(), "222");
    uncheckAll(*mainState(window)->results);
    EXPECT_EQ(checks(), "111");
}

// The list keeps no rows of its own: a click on a row's check box and Space
// on the focused row change the store's mark, which the list then answers.
TEST_F(Lists, ACheckBoxClickAndSpaceToggleTheRowsMark) {
    addResults({{"a", "1"}, {"b", "2"}, {"c", "3"}});
    RECT box = {};
    box.left = LVIR_BOUNDS;
    ASSERT_TRUE(SendMessageA(results, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&box)));
    LPARAM at = MAKELPARAM(box.left + 8, (box.top + box.bottom) / 2);
    SendMessageA(results, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(results, WM_LBUTTONUP, 0, at);
    EXPECT_EQ(checks(), "121");
    SetFocus(results);
    focusRow(results, 2);
    SendMessageA(results, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(checks(), "122");
}

TEST_F(Lists, TabWalksTheFourPanesAndStartsFromAToolbar) {
    HWND ring[] = {conditions, mainState(window)->excludeList, mainState(window)->pikture, results};
    SetFocus(mainState(window)->resultToolbar);
    SendMessageA(window, WM_KEYDOWN, VK_TAB, 0);
    EXPECT_EQ(GetFocus(), conditions);
    for (int i = 1; i <= 4; ++i) {
        SendMessageA(window, WM_KEYDOWN, VK_TAB, 0);
        EXPECT_EQ(GetFocus(), ring[i % 4]) << i;
    }
}

TEST_F(Lists, DeletingSelectedConditionsRemovesExactlyThoseRows) {
    for (uint32_t w : {1u, 2u, 3u, 4u}) conditionRowAdd(conditions, Condition{w, w, 0});
    for (int r : {0, 2}) {
        LVITEMA item = {};
        item.stateMask = item.state = LVIS_SELECTED;
        SendMessageA(conditions, LVM_SETITEMSTATE, r, reinterpret_cast<LPARAM>(&item));
    }
    deleteSelectedRows(conditions);
    ASSERT_EQ(rowCount(conditions), 2);
    EXPECT_EQ(listCellText(conditions, 0, 0) + "," + listCellText(conditions, 1, 0), "2 x 2,4 x 4");
}

}  // namespace

namespace {

// Emptying the result list needs no notice per row (its rows own nothing);
// the condition list's rows own their records and must be told one by one.
TEST_F(Lists, OnlyConditionRowsAreToldOneByOneWhenAListIsEmptied) {
    struct Case {
        HWND list;
        LRESULT perRowNoticesWaived;
    } cases[] = {{results, TRUE}, {conditions, FALSE}};
    for (const Case& c : cases) {
        NMLISTVIEW n = {};
        n.hdr.hwndFrom = c.list;
        n.hdr.code = LVN_DELETEALLITEMS;
        n.iItem = -1;
        EXPECT_EQ(SendMessageA(window, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&n)), c.perRowNoticesWaived);
    }
}

}  // namespace
