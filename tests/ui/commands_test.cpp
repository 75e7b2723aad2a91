// The menus the toolbar buttons open: copies of the resources, the check
// marks of the settings menu, and the recent entries appended.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/settings.h"
#include "resource.h"
#include "ui/commands.h"
#include "ui/settingsmenu.h"

namespace {

UINT stateOf(HMENU menu, UINT id) {
    MENUITEMINFOA item = {};
    item.cbSize = sizeof item;
    item.fMask = MIIM_STATE;
    GetMenuItemInfoA(menu, id, FALSE, &item);
    return item.fState;
}

std::vector<UINT> checkedIds(HMENU menu) {
    std::vector<UINT> ids;
    for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i) {
        MENUITEMINFOA item = {};
        item.cbSize = sizeof item;
        item.fMask = MIIM_STATE | MIIM_ID;
        GetMenuItemInfoA(menu, i, TRUE, &item);
        if (item.fState & MFS_CHECKED) ids.push_back(item.wID);
    }
    return ids;
}

class SettingsMenu : public ::testing::Test {
protected:
    void SetUp() override {
        saved = appSettings;
        AppSettings cleared = {};
        appSettings = cleared;
    }
    void TearDown() override { appSettings = saved; }
    AppSettings saved;
};

TEST_F(SettingsMenu, MarksShowTheValuesInForceAndKeepTheGrayedItemsGrayed) {
    appSettings.PreviewStretchMode = 4;
    appSettings.OldEnterOperation = 7;  // hand-edited: the old-style Enter all the same
    appSettings.UsePreviewPane = 1;
    appSettings.HowtoWhenAlreadyExist = 2;
    appSettings.TBWallDefaultStyle = 1;
    appSettings.FastScan = 1;
    HMENU menu = menuCopyPopup(IDR_MENU_SETTINGS);
    ASSERT_NE(menu, nullptr);
    settingsMenuMarks(menu);
    EXPECT_EQ(checkedIds(menu), (std::vector<UINT>{IDM_WALL_DEFAULT_TILE, IDM_FAST_SCAN, IDM_USE_PREVIEW_PANE,
                                                   IDM_STRETCH_HALFTONE, IDM_ENTER_TOGGLES_CHECK, IDM_EXIST_SKIP}));
    EXPECT_EQ(stateOf(menu, IDM_USE_PREVIEW_PANE), UINT(MF_GRAYED | MFS_CHECKED));
    EXPECT_EQ(stateOf(menu, IDM_KEEP_HIERARCHY), UINT(MF_GRAYED));
    // The write-now submenu came along with the copy, usable after the
    // resource's own menu is gone.
    HMENU writeNow = GetSubMenu(menu, GetMenuItemCount(menu) - 1);
    EXPECT_EQ(GetMenuItemID(writeNow, 0), UINT(IDM_WRITE_NOW));
    DestroyMenu(menu);
}

TEST(RecentMenu, EntriesFollowTheItemsAndOnlyRecursiveSearchesAreChecked) {
    char a[] = "C:\\a", b[] = "C:\\b", c[] = "C:\\c";
    RecentDir third = {c, INT32_MIN, nullptr}, second = {b, 0, &third}, first = {a, 1, &second};
    HMENU menu = menuCopyPopup(IDR_MENU_SEARCH);
    recentMenuFill(menu, &first, true);
    EXPECT_EQ(GetMenuItemCount(menu), 5);  // item 1, separator, three entries: the header went
    EXPECT_EQ(GetMenuItemID(menu, 2), UINT(IDM_RECENT_FIRST));
    EXPECT_EQ(GetMenuItemID(menu, 4), UINT(IDM_RECENT_FIRST + 2));
    EXPECT_EQ(checkedIds(menu), (std::vector<UINT>{IDM_RECENT_FIRST, IDM_RECENT_FIRST + 2}));
    DestroyMenu(menu);

    menu = menuCopyPopup(IDR_MENU_COPY);
    recentMenuFill(menu, static_cast<const RecentDir*>(nullptr), false);
    EXPECT_EQ(GetMenuItemCount(menu), 3);  // nothing to list: the grayed header stays
    EXPECT_EQ(stateOf(menu, IDM_RECENT_HEADER), UINT(MF_GRAYED));
    DestroyMenu(menu);
}

}  // namespace
