// The divider, toolist and preview controls as real windows, driven with the
// messages a user's actions produce.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "app/settings.h"
#include "spi/plugins.h"
#include "support/testdirs.h"
#include "support/windows.h"
#include "ui/divider.h"
#include "ui/pikture.h"
#include "ui/toolist.h"

namespace {

RECT childRect(HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

class Controls : public ::testing::Test {
protected:
    void SetUp() override { registerProgramClasses(); }
};

class Divider : public Controls {
protected:
    void SetUp() override {
        Controls::SetUp();
        divider = dividerCreate(parent.window, 0);
        ASSERT_NE(divider, nullptr);
        MoveWindow(divider, 0, 0, 600, 400, TRUE);
        for (HWND& pane : panes) {
            pane = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, divider,
                                   nullptr, nullptr, nullptr);
        }
    }
    LRESULT paneMessage(WPARAM wParam, HWND pane = nullptr) {
        return SendMessageA(divider, WMU_DIVIDER_PANE, wParam, reinterpret_cast<LPARAM>(pane));
    }
    DividerState& state() { return *reinterpret_cast<DividerState*>(GetWindowLongPtrA(divider, 0)); }
    void drag(int from, int to) {
        SendMessageA(divider, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from, 10));
        SendMessageA(divider, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to, 10));
        SendMessageA(divider, WM_LBUTTONUP, 0, MAKELPARAM(to, 10));
    }

    RecordingWindow parent;
    HWND divider = nullptr;
    HWND panes[2] = {};
};

TEST_F(Divider, SetsAndGetsItsPanes) {
    EXPECT_EQ(paneMessage(kDividerGetPane0), 0);
    EXPECT_EQ(paneMessage(kDividerSetPane0, panes[0]), reinterpret_cast<LRESULT>(panes[0]));
    EXPECT_EQ(paneMessage(kDividerSetPane1, panes[1]), reinterpret_cast<LRESULT>(panes[1]));
    EXPECT_EQ(dividerPane(divider, 0), panes[0]);
    EXPECT_EQ(dividerPane(divider, 1), panes[1]);
    EXPECT_EQ(paneMessage(0x00002, panes[0]), 0);
    EXPECT_EQ(paneMessage(0x10002), 0);
    EXPECT_EQ(paneMessage(0x20000, panes[1]), 0);
    EXPECT_EQ(dividerPane(divider, 0), panes[0]);

    RECT left = childRect(panes[0]);
    RECT right = childRect(panes[1]);
    EXPECT_EQ(left.right, 200);
    EXPECT_EQ(right.left, 204);
    EXPECT_EQ(right.right, 600);
}

TEST_F(Divider, DraggingFollowsTheMouseAndStopsAtBothEdges) {
    paneMessage(kDividerSetPane0, panes[0]);
    paneMessage(kDividerSetPane1, panes[1]);
    drag(202, 302);
    EXPECT_EQ(state().position, 300);
    EXPECT_EQ(childRect(panes[0]).right, 300);
    drag(301, 900);
    EXPECT_EQ(state().position, 596);
    drag(597, static_cast<WORD>(-50));  // left of the window
    EXPECT_EQ(state().position, 0);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(Divider, ShrinkingKeepsTheStoredPosition) {
    paneMessage(kDividerSetPane0, panes[0]);
    paneMessage(kDividerSetPane1, panes[1]);
    MoveWindow(divider, 0, 0, 150, 400, TRUE);
    EXPECT_EQ(childRect(panes[0]).right, 146);
    EXPECT_EQ(state().position, 200);
    MoveWindow(divider, 0, 0, 600, 400, TRUE);
    EXPECT_EQ(childRect(panes[0]).right, 200);
}

TEST_F(Divider, PassesKeysToItsParent) {
    SendMessageA(divider, WM_KEYDOWN, 'A', 0);
    SendMessageA(divider, WM_KEYUP, VK_TAB, 0);
    EXPECT_TRUE(parent.got(WM_KEYDOWN, 'A'));
    EXPECT_TRUE(parent.got(WM_KEYUP, VK_TAB));
}

class Toolist : public Controls {
protected:
    void SetUp() override {
        Controls::SetUp();
        toolist = toolistCreate(owner.window, owner.window);
        ASSERT_NE(toolist, nullptr);
        MoveWindow(toolist, 0, 0, 400, 300, TRUE);
        toolbar = reinterpret_cast<HWND>(SendMessageA(toolist, WMU_TOOLIST_PART, kToolistToolbar, 0));
        list = reinterpret_cast<HWND>(SendMessageA(toolist, WMU_TOOLIST_PART, kToolistList, 0));
    }
    RecordingWindow owner;
    HWND toolist = nullptr, toolbar = nullptr, list = nullptr;
};

TEST_F(Toolist, AnswersItsMessage) {
    char name[64];
    GetClassNameA(toolbar, name, sizeof name);
    EXPECT_STREQ(name, "ToolbarWindow32");
    GetClassNameA(list, name, sizeof name);
    EXPECT_STREQ(name, "SysListView32");
    EXPECT_EQ(static_cast<uint32_t>(SendMessageA(toolist, WMU_TOOLIST_PART, kToolistGetSortTag, 0)), 0xFFFF0000u);
    EXPECT_EQ(SendMessageA(toolist, WMU_TOOLIST_PART, kToolistSetSortTag, 0x12345), 0x12345);
    EXPECT_EQ(SendMessageA(toolist, WMU_TOOLIST_PART, kToolistGetSortTag, 0), 0x12345);
    EXPECT_EQ(SendMessageA(toolist, WMU_TOOLIST_PART, 4, 0), 0);
    EXPECT_EQ(SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & 0x25, 0x25);
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageA(toolbar, TB_GETIMAGELIST, 0, 0)), toolistImages);
    EXPECT_EQ(ImageList_GetImageCount(toolistImages), 14);
}

TEST_F(Toolist, ReturnAndTabGoToTheOwnerNotTheList) {
    LVCOLUMNA column = {};
    column.mask = LVCF_WIDTH;
    column.cx = 100;
    ListView_InsertColumn(list, 0, &column);
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.pszText = const_cast<char*>("row");
    ListView_InsertItem(list, &item);
    ListView_SetItemState(list, 0, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
    SetFocus(list);
    owner.received.clear();

    SendMessageA(list, WM_KEYDOWN, VK_RETURN, 0);
    SendMessageA(list, WM_KEYUP, VK_RETURN, 0);
    SendMessageA(list, WM_KEYDOWN, VK_TAB, 0);
    SendMessageA(toolbar, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(owner.got(WM_KEYDOWN, VK_RETURN));
    EXPECT_TRUE(owner.got(WM_KEYUP, VK_RETURN));
    EXPECT_TRUE(owner.got(WM_KEYDOWN, VK_TAB));
    EXPECT_EQ(owner.notifications(NM_RETURN), 0);  // the list never acted on it

    // Other keys are the list's own: Space toggles the focused row's check box.
    SendMessageA(list, WM_KEYDOWN, VK_SPACE, 0);
    SendMessageA(list, WM_KEYUP, VK_SPACE, 0);
    EXPECT_FALSE(owner.got(WM_KEYDOWN, VK_SPACE));
    EXPECT_TRUE(ListView_GetCheckState(list, 0));
}

TEST_F(Toolist, ForwardsNotificationsAndCommandsToItsOwner) {
    TBBUTTON button = {};
    button.idCommand = 40006;
    button.fsState = TBSTATE_ENABLED;
    button.fsStyle = BTNS_BUTTON;
    SendMessageA(toolbar, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&button));
    SendMessageA(toolist, WM_COMMAND, 40006, reinterpret_cast<LPARAM>(toolbar));
    EXPECT_TRUE(owner.got(WM_COMMAND, 40006));
    LVITEMA item = {};
    ListView_InsertItem(list, &item);
    EXPECT_GT(owner.notifications(LVN_INSERTITEM), 0);
}

TEST_F(Toolist, KeepsTheListDirectlyBelowTheToolbar) {
    for (int height : {300, 120, 500}) {
        MoveWindow(toolist, 0, 0, 300, height, TRUE);
        RECT bar, client;
        GetClientRect(toolbar, &bar);
        GetClientRect(toolist, &client);
        RECT below = childRect(list);
        EXPECT_EQ(below.top, bar.bottom);
        EXPECT_EQ(below.bottom, client.bottom);
        EXPECT_EQ(below.right, client.right);
    }
}

class Pikture : public Controls {
protected:
    static void SetUpTestSuite() {
        spiLoadAll(buildFolder("plugins").c_str());
        appSettings.KeepAspectRatio = 1;
        appSettings.PreviewStretchMode = COLORONCOLOR;
    }
    static void TearDownTestSuite() {
        spiListUnload(spiList);
        spiList = nullptr;
    }
    void SetUp() override {
        Controls::SetUp();
        pikture = piktureCreate(parent.window);
        ASSERT_NE(pikture, nullptr);
        RECT frame = {0, 0, 200, 200};
        AdjustWindowRectEx(&frame, WS_CHILD, FALSE, WS_EX_CLIENTEDGE);
        MoveWindow(pikture, 0, 0, frame.right - frame.left, frame.bottom - frame.top, TRUE);
    }
    PiktureState& state() { return *reinterpret_cast<PiktureState*>(GetWindowLongPtrA(pikture, 0)); }
    void show(const char* name) {
        std::string path = buildFolder("testpictures") + name;
        SendMessageA(pikture, WMU_PIKTURE_SHOW, 0, reinterpret_cast<LPARAM>(path.c_str()));
    }
    COLORREF pixel(int x, int y) {
        UpdateWindow(pikture);
        HDC dc = GetDC(pikture);
        COLORREF c = GetPixel(dc, x, y);
        ReleaseDC(pikture, dc);
        return c;
    }

    RecordingWindow parent;
    HWND pikture = nullptr;
};

TEST_F(Pikture, FitsThePictureKeepingItsAspect) {
    RECT client;
    GetClientRect(pikture, &client);
    ASSERT_EQ(client.right, 200);
    ASSERT_EQ(client.bottom, 200);
    show("wide.png");  // 400 x 300: drawn 200 x 150 at (0, 25)
    ASSERT_NE(state().bitmap, nullptr);
    EXPECT_EQ(state().fitMode, 1);
    EXPECT_EQ(pixel(100, 10), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(pixel(50, 60), RGB(255, 0, 0));
    EXPECT_EQ(pixel(150, 150), RGB(255, 255, 255));
    EXPECT_EQ(pixel(100, 190), GetSysColor(COLOR_BTNFACE));
}

TEST_F(Pikture, ARightClickShowsActualSizeAroundTheCursor) {
    show("wide.png");
    SendMessageA(pikture, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(100, 100));
    EXPECT_EQ(state().fitMode, 0);
    EXPECT_EQ(state().scrollX, 100);
    EXPECT_EQ(state().scrollY, 50);
    EXPECT_EQ(GetFocus(), pikture);
    // Picture (100, 50) is drawn at the top-left: inside the red quadrant.
    EXPECT_EQ(pixel(5, 5), RGB(255, 0, 0));
    // Picture (300, 250) at (200, 200) lies past the client; (199, 199) is white.
    EXPECT_EQ(pixel(195, 195), RGB(255, 255, 255));
    SendMessageA(pikture, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(100, 100));
    EXPECT_EQ(state().fitMode, 1);
}

TEST_F(Pikture, PansWithTheArrowKeysAndPaintsBackgroundPastTheEdges) {
    show("wide.png");
    SendMessageA(pikture, WM_KEYDOWN, VK_SPACE, 0);  // actual size at the centre
    EXPECT_EQ(state().fitMode, 0);
    state().scrollX = 0;
    state().scrollY = 0;
    SendMessageA(pikture, WM_KEYDOWN, VK_LEFT, 0);
    SendMessageA(pikture, WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(state().scrollX, -1);
    EXPECT_EQ(state().scrollY, -1);
    state().scrollX = -50;
    InvalidateRect(pikture, nullptr, FALSE);
    EXPECT_EQ(pixel(10, 10), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(pixel(60, 10), RGB(255, 0, 0));
}

TEST_F(Pikture, OtherKeysGoToTheParent) {
    SendMessageA(pikture, WM_KEYDOWN, VK_RETURN, 0);
    SendMessageA(pikture, WM_KEYUP, 'X', 0);
    EXPECT_TRUE(parent.got(WM_KEYDOWN, VK_RETURN));
    EXPECT_TRUE(parent.got(WM_KEYUP, 'X'));
    EXPECT_FALSE(parent.got(WM_KEYDOWN, VK_LEFT));
}

TEST_F(Pikture, ClearingOrAFailedDecodeLeavesThePaneEmpty) {
    show("wide.png");
    ASSERT_NE(state().path, nullptr);
    SendMessageA(pikture, WMU_PIKTURE_SHOW, 0, 0);
    EXPECT_EQ(state().bitmap, nullptr);
    EXPECT_EQ(state().path, nullptr);
    EXPECT_EQ(pixel(100, 100), GetSysColor(COLOR_BTNFACE));
    show("no-such-picture.png");
    EXPECT_EQ(state().bitmap, nullptr);
    SendMessageA(pikture, WM_LBUTTONDBLCLK, 0, 0);  // nothing to open
}

TEST_F(Pikture, LeftButtonPansOnlyAtActualSize) {
    show("wide.png");
    SendMessageA(pikture, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    EXPECT_NE(GetCapture(), pikture);
    EXPECT_EQ(GetFocus(), pikture);
    SendMessageA(pikture, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(0, 0));
    SendMessageA(pikture, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    EXPECT_EQ(GetCapture(), pikture);
    SendMessageA(pikture, WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(GetCapture(), nullptr);
}

}  // namespace
