// The settings file through the real profile functions: defaults, round
// trips, the list rules, plug-in flags and order, and damaged files.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "app/resstring.h"
#include "app/settings.h"
#include "spi/plugins.h"
#include "support/notices.h"
#include "support/testdirs.h"

namespace {

char* heapText(const std::string& text) {
    return strDupExtra(text.c_str(), 0);
}

class Settings : public ::testing::Test {
protected:
    void SetUp() override {
        ini = folder.path + "\\trawlix.ini";
        appSettings = AppSettings();
        conditionSets = nullptr;
        spiList = nullptr;
    }
    void TearDown() override {
        settingsSaveTo((folder.path + "\\scratch.ini").c_str(), 1);  // frees every list
        spiListFree(spiList);
        spiList = nullptr;
    }

    std::string read(const char* key, const char* section = kIniSection) {
        char value[4096];
        GetPrivateProfileStringA(section, key, "<absent>", value, sizeof value, ini.c_str());
        return value;
    }
    void write(const char* key, const std::string& value, const char* section = kIniSection) {
        WritePrivateProfileStringA(section, key, value.c_str(), ini.c_str());
    }

    // Appends a record standing for a loaded plug-in; no library behind it.
    void addPlugin(const char* fileName) {
        SusiePlugin* p = static_cast<SusiePlugin*>(textAlloc(sizeof(SusiePlugin)));
        strCopyFit(p->fileName, sizeof p->fileName, fileName);
        p->enabled = 1;
        SusiePlugin** link = &spiList;
        while (*link) link = &(*link)->next;
        *link = p;
    }
    std::vector<std::string> pluginOrder() {
        std::vector<std::string> names;
        for (SusiePlugin* p = spiList; p; p = p->next) names.push_back(p->fileName);
        return names;
    }

    static std::vector<std::string> paths(const RecentDir* list) {
        std::vector<std::string> result;
        for (; list; list = list->next) result.push_back(list->path);
        return result;
    }

    TempFolder folder;
    std::string ini;
};

TEST_F(Settings, AFirstStartGivesDefaultsAndTheFirstSaveWritesEveryKeyButThePluginFolder) {
    addPlugin("b.spi");
    addPlugin("A.spi");
    ASSERT_EQ(settingsLoadFrom(ini.c_str()), 1);
    EXPECT_STREQ(appSettings.SPIDir, ".");
    EXPECT_EQ(appSettings.UsePreviewPane, 1);
    EXPECT_EQ(appSettings.KeepAspectRatio, 1);
    EXPECT_EQ(appSettings.PreviewStretchMode, 4);
    EXPECT_EQ(appSettings.HowtoWhenAlreadyExist, 2);
    EXPECT_EQ(appSettings.TBWallDefaultStyle, 2);
    EXPECT_EQ(appSettings.FastScan, 0);
    EXPECT_EQ(appSettings.recentMovedirItems, 5);
    EXPECT_EQ(appSettings.recentScandir, nullptr);
    EXPECT_EQ(conditionSets, nullptr);
    EXPECT_EQ(pluginOrder(), (std::vector<std::string>{"b.spi", "A.spi"}));
    EXPECT_EQ(spiList->enabled, 1);

    settingsSaveTo(ini.c_str(), 0);
    for (const char* key : {"UsePreviewPane", "KeepAspectRatio", "PreviewStretchMode",
                            "KeepPreviewWindowPos", "UncheckWhenFOPSuccessful", "HowtoWhenAlreadyExist",
                            "ListupAllFiles", "FastScan", "OldEnterOperation", "TBFindAlwaysAsk",
                            "TBCopyAlwaysAsk", "TBMoveAlwaysAsk", "TBTrashIsDelete", "TBWallDefaultStyle",
                            "reShowSetting", "recentScandirItems", "recentCopydirItems", "recentMovedirItems"}) {
        EXPECT_NE(read(key), "<absent>") << key;
    }
    EXPECT_EQ(read("PreviewStretchMode"), "4");
    EXPECT_EQ(read("SPIDir"), "<absent>");
    EXPECT_EQ(read("a.spi", kIniPluginSection), "3");  // lower-cased key, position 1, enabled
    EXPECT_EQ(read("b.spi", kIniPluginSection), "1");
}

TEST_F(Settings, EverythingSurvivesARoundTripAndTwoSavesWriteTheSameFile) {
    addPlugin("wic.spi");
    ASSERT_EQ(settingsLoadFrom(ini.c_str()), 1);
    appSettings.FastScan = 1;
    appSettings.PreviewStretchMode = 3;
    appSettings.HowtoWhenAlreadyExist = 0;
    appSettings.recentCopydirItems = 9;
    appSettings.OldEnterOperation = 7;
    recentDirPush(appSettings.recentScandir, heapText("D:\\walls"), 0);
    recentDirPush(appSettings.recentScandir, heapText("E:\\pics"), INT32_MIN);
    recentDirPush(appSettings.recentCopydir, heapText("F:\\keep"), 0);
    recentDirPush(appSettings.recentMovedir, heapText("G:\\moved"), 0);
    ConditionSet* set = static_cast<ConditionSet*>(textAlloc(sizeof(ConditionSet)));
    set->name = heapText("wide screens");
    set->itemCount = 2;
    set->items = static_cast<Condition**>(textAlloc(2 * sizeof(Condition*)));
    set->items[0] = static_cast<Condition*>(textAlloc(sizeof(Condition)));
    *set->items[0] = {1920, 1080, 2};
    set->items[1] = static_cast<Condition*>(textAlloc(sizeof(Condition)));
    *set->items[1] = {2147483648u, 5, 1};
    conditionSets = set;
    spiList->enabled = 0;

    settingsSaveTo(ini.c_str(), 0);
    std::string first = readFile(ini);
    settingsSaveTo(ini.c_str(), 0);
    EXPECT_EQ(readFile(ini), first);
    EXPECT_EQ(read("recentScandirRecurse0"), "-2147483648");
    EXPECT_EQ(read("ConditionSet0.1.width"), "-2147483648");

    settingsSaveTo(ini.c_str(), 1);
    EXPECT_EQ(appSettings.recentScandir, nullptr);
    EXPECT_EQ(appSettings.recentCopydir, nullptr);
    EXPECT_EQ(appSettings.recentMovedir, nullptr);
    EXPECT_EQ(conditionSets, nullptr);
    EXPECT_EQ(readFile(ini), first);

    appSettings = AppSettings();
    spiList->enabled = 1;
    ASSERT_EQ(settingsLoadFrom(ini.c_str()), 1);
    EXPECT_EQ(appSettings.FastScan, 1);
    EXPECT_EQ(appSettings.PreviewStretchMode, 3);
    EXPECT_EQ(appSettings.HowtoWhenAlreadyExist, 0);
    EXPECT_EQ(appSettings.recentCopydirItems, 9);
    EXPECT_EQ(appSettings.OldEnterOperation, 7);
    EXPECT_EQ(paths(appSettings.recentScandir), (std::vector<std::string>{"E:\\pics", "D:\\walls"}));
    EXPECT_EQ(appSettings.recentScandir->recurse, INT32_MIN);
    EXPECT_EQ(appSettings.recentScandir->next->recurse, 0);
    EXPECT_EQ(paths(appSettings.recentCopydir), (std::vector<std::string>{"F:\\keep"}));
    EXPECT_EQ(paths(appSettings.recentMovedir), (std::vector<std::string>{"G:\\moved"}));
    ASSERT_NE(conditionSets, nullptr);
    EXPECT_STREQ(conditionSets->name, "wide screens");
    ASSERT_EQ(conditionSets->itemCount, 2u);
    EXPECT_EQ(conditionSets->items[0]->width, 1920u);
    EXPECT_EQ(conditionSets->items[0]->cond, 2);
    EXPECT_EQ(conditionSets->items[1]->width, 2147483648u);
    EXPECT_EQ(conditionSets->items[1]->height, 5u);
    EXPECT_EQ(conditionSets->next, nullptr);
    EXPECT_EQ(spiList->enabled, 0);
}

TEST_F(Settings, ASetWithoutConditionsStopsTheProgramAndLeavesTheFileAlone) {
    write("ConditionSet0.Name", "broken");
    write("ConditionSet0.1.width", "640");
    std::string before = readFile(ini);
    NoticeWatch watch;
    noticeWatchBegin(watch);
    EXPECT_EQ(settingsLoadFrom(ini.c_str()), 0);
    noticeWatchEnd();
    expectSingleNotice(watch, resString(9), resString(kCaptionFatal), nullptr);
    EXPECT_EQ(readFile(ini), before);
}

TEST_F(Settings, ListsEndAtTheFirstMissingKeyAndTheNextSaveTrimsThere) {
    write("ConditionSet0.Name", "gappy");
    write("ConditionSet0.0.width", "800");
    write("ConditionSet0.0.height", "600");
    write("ConditionSet0.2.width", "1024");
    write("recentScandir0", "C:\\a");
    write("recentScandir1", "C:\\b");
    write("recentScandir3", "C:\\d");
    write("recentCopydir0", "");  // empty counts as absent
    write("recentCopydir1", "C:\\never");
    ASSERT_EQ(settingsLoadFrom(ini.c_str()), 1);
    ASSERT_NE(conditionSets, nullptr);
    EXPECT_EQ(conditionSets->itemCount, 1u);
    EXPECT_EQ(conditionSets->items[0]->cond, 0);  // missing cond reads 0
    EXPECT_EQ(paths(appSettings.recentScandir), (std::vector<std::string>{"C:\\a", "C:\\b"}));
    EXPECT_EQ(appSettings.recentCopydir, nullptr);

    settingsSaveTo(ini.c_str(), 0);
    EXPECT_EQ(read("ConditionSet0.1.width"), "<absent>");
    EXPECT_EQ(read("ConditionSet0.2.width"), "1024");  // orphaned
    EXPECT_EQ(read("ConditionSet1.Name"), "<absent>");
    EXPECT_EQ(read("recentScandir2"), "<absent>");
    EXPECT_EQ(read("recentScandir3"), "C:\\d");  // orphaned
}

TEST_F(Settings, AnEmptyScanListStillSavesTheOtherLists) {
    write("recentScandir0", "C:\\old");
    ASSERT_EQ(settingsLoadFrom(ini.c_str()), 1);
    recentDirFree(appSettings.recentScandir);
    appSettings.recentScandir = nullptr;
    recentDirPush(appSettings.recentMovedir, heapText("M:\\to"), 0);
    settingsSaveTo(ini.c_str(), 0);
    EXPECT_EQ(read("recentScandir0"), "<absent>");
    EXPECT_EQ(read("recentMovedir0"), "M:\\to");
}

TEST_F(Settings, OverlongTextsAreNeverCutOrOverrun) {
    std::string longPath = "C:\\" + std::string(300, 'p');
    std::string longName(2000, 'n');
    write("recentScandir0", "C:\\short");
    write("recentScandir1", longPath);
    write("recentScandir2", "C:\\after");
    write("ConditionSet0.Name", longName);
    write("ConditionSet0.0.width", "1");
    write("SPIDir", longPath);
    ASSERT_EQ(settingsLoadFrom(ini.c_str()), 1);
    EXPECT_EQ(paths(appSettings.recentScandir), (std::vector<std::string>{"C:\\short", "C:\\after"}));
    ASSERT_NE(conditionSets, nullptr);
    EXPECT_EQ(std::string(conditionSets->name), longName);
    EXPECT_STREQ(appSettings.SPIDir, ".");
}

TEST_F(Settings, PluginValuesCarryTheEnabledFlagAndTheOrder) {
    for (const char* name : {"one.spi", "Two.spi", "three.spi", "four.spi", "five.spi"}) addPlugin(name);
    write("one.spi", "5", kIniPluginSection);    // enabled, order 2
    write("two.spi", "0", kIniPluginSection);    // disabled, order 0
    write("three.spi", "2", kIniPluginSection);  // disabled, order 1
    write("four.spi", "-3", kIniPluginSection);  // hand-edited: below 0
    write("five.spi", "-6", kIniPluginSection);  // hand-edited: below 0, disabled
    ASSERT_EQ(settingsLoadFrom(ini.c_str()), 1);
    EXPECT_EQ(pluginOrder(),
              (std::vector<std::string>{"four.spi", "five.spi", "Two.spi", "three.spi", "one.spi"}));
    std::vector<int> enabled;
    for (SusiePlugin* p = spiList; p; p = p->next) enabled.push_back(p->enabled);
    EXPECT_EQ(enabled, (std::vector<int>{1, 0, 0, 0, 1}));

    settingsSaveTo(ini.c_str(), 0);
    EXPECT_EQ(read("four.spi", kIniPluginSection), "1");
    EXPECT_EQ(read("five.spi", kIniPluginSection), "2");
    EXPECT_EQ(read("two.spi", kIniPluginSection), "4");
    EXPECT_EQ(read("three.spi", kIniPluginSection), "6");
    EXPECT_EQ(read("one.spi", kIniPluginSection), "9");
}

TEST_F(Settings, EqualOrdersKeepDiscoveryOrder) {
    for (const char* name : {"z.spi", "y.spi", "x.spi"}) addPlugin(name);
    write("z.spi", "3", kIniPluginSection);
    write("y.spi", "1", kIniPluginSection);
    ASSERT_EQ(settingsLoadFrom(ini.c_str()), 1);
    EXPECT_EQ(pluginOrder(), (std::vector<std::string>{"y.spi", "x.spi", "z.spi"}));
    settingsSaveTo(ini.c_str(), 0);
    EXPECT_EQ(read("y.spi", kIniPluginSection), "1");
    EXPECT_EQ(read("x.spi", kIniPluginSection), "3");
}

TEST_F(Settings, RecentDirectoriesCompareIgnoringCaseAndATrailingBackslash) {
    RecentDir* list = nullptr;
    char* first = heapText("d:\\pics\\");
    ASSERT_EQ(recentDirPush(list, first, 0), 1);
    EXPECT_EQ(list->path, first);
    char* same = heapText("D:\\PICS");
    EXPECT_EQ(recentDirPush(list, same, INT32_MIN), 0);
    EXPECT_EQ(list->next, nullptr);
    EXPECT_EQ(list->recurse, 0);
    textFree(same);  // declined: still the caller's
    char* other = heapText("D:\\pics\\new");
    EXPECT_EQ(recentDirPush(list, other, 1), 1);
    EXPECT_EQ(paths(list), (std::vector<std::string>{"D:\\pics\\new", "d:\\pics\\"}));
    // Only A to Z fold: other bytes compare as stored.
    char* accented = heapText("D:\\PICS\xC4");
    EXPECT_EQ(recentDirPush(list, accented, 0), 1);
    appSettings.recentScandir = list;
}

TEST_F(Settings, StoringUnderAnExistingNameReplacesItsConditionsAndMovesItFirst) {
    HWND owner = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    HWND list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | LVS_REPORT, 0, 0, 10, 10, owner,
                                nullptr, nullptr, nullptr);
    ASSERT_NE(list, nullptr);
    Condition rows[] = {{1024, 768, 0}, {1920, 1080, 3}};
    auto setRows = [&](int count) {
        ListView_DeleteAllItems(list);
        for (int i = 0; i < count; ++i) {
            LVITEMA item = {};
            item.mask = LVIF_PARAM;
            item.iItem = i;
            item.lParam = reinterpret_cast<LPARAM>(&rows[i]);
            ListView_InsertItem(list, &item);
        }
    };
    setRows(1);
    char* alpha = heapText("alpha");
    conditionSetStore(list, alpha);
    char* beta = heapText("beta");
    conditionSetStore(list, beta);
    ASSERT_EQ(conditionSets->name, beta);  // a new set takes the name it is given

    setRows(2);
    rows[0].width = 800;  // the set holds copies, not the rows' records
    char* again = heapText("alpha");
    conditionSetStore(list, again);
    EXPECT_EQ(conditionSets->name, alpha);  // keeps the text it had
    textFree(again);
    ASSERT_EQ(conditionSets->itemCount, 2u);
    EXPECT_EQ(conditionSets->items[0]->width, 800u);
    EXPECT_EQ(conditionSets->items[1]->cond, 3);
    EXPECT_NE(conditionSets->items[0], &rows[0]);
    EXPECT_STREQ(conditionSets->next->name, "beta");
    EXPECT_EQ(conditionSets->next->next, nullptr);
    DestroyWindow(owner);
}

TEST_F(Settings, ASetWithAnEmptyNameIsNotWrittenSoLaterSetsSurvive) {
    for (const char* name : {"", "kept"}) {
        ConditionSet* set = static_cast<ConditionSet*>(textAlloc(sizeof(ConditionSet)));
        set->name = heapText(name);
        set->itemCount = 1;
        set->items = static_cast<Condition**>(textAlloc(sizeof(Condition*)));
        set->items[0] = static_cast<Condition*>(textAlloc(sizeof(Condition)));
        set->next = conditionSets;
        conditionSets = set;
    }
    settingsSaveTo(ini.c_str(), 1);
    ASSERT_EQ(settingsLoadFrom(ini.c_str()), 1);
    ASSERT_NE(conditionSets, nullptr);
    EXPECT_STREQ(conditionSets->name, "kept");
    EXPECT_EQ(conditionSets->next, nullptr);
}

TEST(SettingsIniPath, ReplacesTheFileNamesExtensionOnly) {
    char path[kPathSize];
    ASSERT_EQ(settingsIniPathFor("C:\\Apps\\trawlix.exe", path), 1);
    EXPECT_STREQ(path, "C:\\Apps\\trawlix.ini");
    ASSERT_EQ(settingsIniPathFor("C:\\my.apps\\trawlix", path), 1);
    EXPECT_STREQ(path, "C:\\my.apps\\trawlix.ini");
    std::string tooLong = "C:\\" + std::string(254, 'x') + ".exe";
    EXPECT_EQ(settingsIniPathFor(tooLong.c_str(), path), 0);
    ASSERT_EQ(settingsIniPath(path), 1);
    EXPECT_NE(std::string(path).find("app_tests.ini"), std::string::npos) << path;
}

}  // namespace
