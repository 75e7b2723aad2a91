// The plug-in settings dialog over real plug-ins: rows, moves, Apply and
// what it leaves in spiList and the settings file, the plug-in's own
// settings window, resizing.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "app/arch.h"
#include "app/settings.h"
#include "resource.h"
#include "spi/plugins.h"
#include "spi/spidialog.h"
#include "support/testdirs.h"
#include "support/windows.h"

namespace {

const char* const kNames[] = {"twinred" TRAWLIX_PLUGIN_EXTENSION, "twinblue" TRAWLIX_PLUGIN_EXTENSION,
                              "noconfig" TRAWLIX_PLUGIN_EXTENSION};

class PluginDialog : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(loadTestPlugins(folders, {"twinred", "twinblue", "noconfig"}));
        spiList->next->enabled = 0;  // twinblue starts unchecked
    }
    void TearDown() override {
        if (dialog) DestroyWindow(dialog);
        spiListUnload(spiList);
        spiList = nullptr;
    }
    void open() {
        dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PLUGINS), owner.window,
                                    spiSettingsProc, 0);
        ASSERT_NE(dialog, nullptr);
        list = GetDlgItem(dialog, IDC_PLUGIN_LIST);
    }
    void close() {
        DestroyWindow(dialog);
        dialog = nullptr;
    }
    void press(int button) { SendMessageA(dialog, WM_COMMAND, button, 0); }
    void select(std::initializer_list<int> rows) {
        for (int row : rows) ListView_SetItemState(list, row, LVIS_SELECTED, LVIS_SELECTED);
    }
    // The rows as "name" with "+" when checked.
    std::vector<std::string> rows() {
        std::vector<std::string> all;
        for (int r = 0; r < ListView_GetItemCount(list); ++r)
            all.push_back(listCellText(list, r, 0) + (ListView_GetCheckState(list, r) ? "+" : ""));
        return all;
    }
    // spiList the same way.
    static std::vector<std::string> plugins() {
        std::vector<std::string> all;
        for (SusiePlugin* p = spiList; p; p = p->next) all.push_back(std::string(p->fileName) + (p->enabled ? "+" : ""));
        return all;
    }
    static std::string name(int index, const char* mark = "") { return std::string(kNames[index]) + mark; }

    RecordingWindow owner;
    std::vector<std::unique_ptr<TempFolder>> folders;
    HWND dialog = nullptr;
    HWND list = nullptr;
};

TEST_F(PluginDialog, RowsMirrorTheListAndNothingChangesWithoutApply) {
    SusiePlugin* head = spiList;
    open();
    EXPECT_EQ(rows(), (std::vector<std::string>{name(0, "+"), name(1), name(2, "+")}));
    EXPECT_EQ(listCellText(list, 0, 1), "Trawlix test plug-in");
    ListView_SetCheckState(list, 0, FALSE);
    select({2});
    press(IDC_PLUGIN_UP);
    close();
    EXPECT_EQ(spiList, head);
    EXPECT_EQ(plugins(), (std::vector<std::string>{name(0, "+"), name(1), name(2, "+")}));
}

TEST_F(PluginDialog, UpAndDownMoveSelectedBlocksOnePlace) {
    struct Case {
        std::initializer_list<int> selected;
        int button;
        std::vector<int> order;
    } cases[] = {
        {{0, 2}, IDC_PLUGIN_UP, {0, 2, 1}},    // row 0 stays, row 2 rises past row 1
        {{1, 2}, IDC_PLUGIN_UP, {1, 2, 0}},    // a block moves as a whole
        {{0, 2}, IDC_PLUGIN_DOWN, {1, 0, 2}},  // the mirror image
        {{0, 1}, IDC_PLUGIN_DOWN, {2, 0, 1}},
    };
    for (const Case& c : cases) {
        open();
        select(c.selected);
        press(c.button);
        std::vector<std::string> expected;
        for (int index : c.order) expected.push_back(name(index, index == 1 ? "" : "+"));
        EXPECT_EQ(rows(), expected);
        for (int r = 0; r < 3; ++r)  // the selection moved with its rows
            EXPECT_EQ(ListView_GetItemState(list, r, LVIS_SELECTED) != 0,
                      std::find(c.selected.begin(), c.selected.end(), c.order[r]) != c.selected.end());
        close();
    }
}

TEST_F(PluginDialog, ApplyMakesTheRowsTheListAndASaveKeepsItAcrossARestart) {
    open();
    select({2});
    press(IDC_PLUGIN_UP);
    press(IDC_PLUGIN_UP);
    ListView_SetCheckState(list, 1, FALSE);
    ListView_SetCheckState(list, 2, TRUE);
    press(IDC_PLUGIN_APPLY);
    press(IDC_PLUGIN_APPLY);  // the same rows give the same list again
    const std::vector<std::string> applied = {name(2, "+"), name(0), name(1, "+")};
    EXPECT_EQ(plugins(), applied);
    close();
    open();
    EXPECT_EQ(rows(), applied);
    close();

    TempFolder settings;
    std::string ini = settings.path + "\\trawlix.ini";
    settingsSaveTo(ini.c_str(), 0);
    // A restart: the plug-ins load in folder order, then the settings order them.
    spiListUnload(spiList);
    spiList = nullptr;
    ASSERT_TRUE(loadTestPlugins(folders, {"twinred", "twinblue", "noconfig"}));
    ASSERT_TRUE(settingsLoadFrom(ini.c_str()));
    EXPECT_EQ(plugins(), applied);
}

TEST_F(PluginDialog, DoubleClickOpensThePluginsOwnSettingsWindow) {
    typedef int(WINAPI * ConfigCalls)(HWND*, int*);
    auto calls = reinterpret_cast<ConfigCalls>(
        reinterpret_cast<void*>(GetProcAddress(spiList->next->next->moduleHandle, "TestConfigCalls")));
    ASSERT_NE(calls, nullptr);
    open();
    NMHDR click = {list, IDC_PLUGIN_LIST, static_cast<UINT>(NM_DBLCLK)};
    SendMessageA(dialog, WM_NOTIFY, IDC_PLUGIN_LIST, reinterpret_cast<LPARAM>(&click));
    HWND parent = nullptr;
    int function = 0;
    EXPECT_EQ(calls(&parent, &function), 0);  // no row has the focus
    ListView_SetItemState(list, 2, LVIS_FOCUSED, LVIS_FOCUSED);
    SendMessageA(dialog, WM_NOTIFY, IDC_PLUGIN_LIST, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(calls(&parent, &function), 1);
    EXPECT_EQ(parent, dialog);
    EXPECT_EQ(function, 1);
}

TEST_F(PluginDialog, ResizingKeepsTheButtonsAndTheListsMarginsAnchored) {
    open();
    auto rectOf = [&](HWND control) {
        RECT r;
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        return r;
    };
    RECT client;
    GetClientRect(dialog, &client);
    RECT apply = rectOf(GetDlgItem(dialog, IDC_PLUGIN_APPLY));
    RECT listRect = rectOf(list);
    RECT window;
    GetWindowRect(dialog, &window);
    SetWindowPos(dialog, nullptr, 0, 0, window.right - window.left + 100, window.bottom - window.top + 50,
                 SWP_NOMOVE | SWP_NOZORDER);
    RECT grown;
    GetClientRect(dialog, &grown);
    RECT apply2 = rectOf(GetDlgItem(dialog, IDC_PLUGIN_APPLY));
    RECT list2 = rectOf(list);
    EXPECT_EQ(grown.right - apply2.left, client.right - apply.left);
    EXPECT_EQ(apply2.top, apply.top);
    EXPECT_EQ(grown.right - list2.right, client.right - listRect.right);
    EXPECT_EQ(grown.bottom - list2.bottom, client.bottom - listRect.bottom);
    EXPECT_EQ(list2.left, listRect.left);
}

}  // namespace
