// The search in a real main window over real directory trees: what is
// listed, with which texts, totals and item data; excludes, stops, skipped
// subdirectories, and both size paths.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/arch.h"
#include "app/resstring.h"
#include "app/settings.h"
#include "app/startup.h"
#include "resource.h"
#include "search/condition.h"
#include "search/scan.h"
#include "spi/plugins.h"
#include "support/notices.h"
#include "support/testdirs.h"
#include "support/windows.h"
#include "ui/lists.h"
#include "ui/mainwnd.h"
#include "ui/resultlist.h"

namespace {

class Search : public ::testing::Test {
protected:
    void SetUp() override {
        window = testMainWindowOpen();
        ASSERT_NE(window, nullptr);
        saved = appSettings;
        appSettings.FastScan = 1;
        appSettings.ListupAllFiles = 0;
        addCondition(640, 480, 0);
    }
    void TearDown() override {
        spiListUnload(spiList);
        spiList = nullptr;
        appSettings = saved;
        SendMessageA(mainConditionList(window), LVM_DELETEALLITEMS, 0, 0);
        testMainWindowClose(window);
    }

    void addCondition(uint32_t width, uint32_t height, int32_t cond) {
        conditionRowAdd(mainConditionList(window), Condition{width, height, cond});
    }
    void addExclude(const char* text) {
        HWND list = mainExcludeList(window);
        LVITEMA item = {};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
        item.pszText = const_cast<char*>(text);
        SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    std::string file(const std::string& relative, const std::vector<unsigned char>& bytes) {
        std::string path = root.path + "\\" + relative;
        EXPECT_TRUE(writeFile(path, bytes)) << path;
        return path;
    }
    void folder(const std::string& relative) {
        CreateDirectoryA((root.path + "\\" + relative).c_str(), nullptr);
    }

    // Runs a search to its end, answering messages as the window thread does.
    void run(const std::string& directory, int recurse, bool stopOnceRunning = false) {
        scanStart(window, directory.c_str(), recurse);
        MainWindowState* s = mainState(window);
        HWND toolbar = mainResultToolbar(window);
        DWORD until = GetTickCount() + 30000;
        while (s->workerThreadId && GetTickCount() < until) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            pumpMessages();
            if (stopOnceRunning && SendMessageA(toolbar, TB_ISBUTTONENABLED, CMD_STOP, 0)) {
                PostThreadMessageA(s->workerThreadId, WM_APP, 0, 0);
                stopOnceRunning = false;
            }
        }
        ASSERT_EQ(s->workerThreadId, 0u) << "the search did not end";
        pumpMessages();
    }
    // "name|picture size|file size|folder|handled by" of every row, in list order.
    std::vector<std::string> rows() {
        HWND list = mainResultList(window);
        std::vector<std::string> all;
        for (int r = 0, n = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); r < n; ++r) {
            std::string row;
            for (int c = 0; c < 5; ++c) row += (c ? "|" : "") + listCellText(list, r, c);
            all.push_back(row);
        }
        return all;
    }
    // The totals text the string table gives for count files of bytes.
    static std::string summary(uint32_t count, uint32_t bytes) {
        if (count == 0) return resString(IDS_NO_MATCH);
        char text[256];
        snprintf(text, sizeof text, resString(IDS_FOUND_SUMMARY), count, bytes);
        return text;
    }
    std::string status() {
        char text[256] = {};
        SendMessageA(mainState(window)->statusBar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
        return text;
    }
    void loadPlugins(std::initializer_list<const char*> names) {
        for (const char* name : names) {
            plugins.emplace_back(new TempFolder);
            std::string spi = std::string(name) + TRAWLIX_PLUGIN_EXTENSION;
            CopyFileA((buildFolder("testplugins") + spi).c_str(), (plugins.back()->path + "\\" + spi).c_str(), FALSE);
            ASSERT_EQ(spiLoadAll(plugins.back()->path.c_str()), 1) << name;
        }
    }

    HWND window = nullptr;
    AppSettings saved;
    TempFolder root;
    std::vector<std::unique_ptr<TempFolder>> plugins;
};

TEST_F(Search, ListsMatchesInWalkOrderWithTheirTextsTotalsAndInsertIndex) {
    file("a.bmp", bmpFile(640, 480));
    file("b.bmp", bmpFile(800, 600));
    file("notes.txt", std::vector<unsigned char>(10, 'x'));
    folder("sub");
    file("sub\\c.bmp", bmpFile(640, 480));
    run(root.path, 1);
    std::vector<std::string> got = rows();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0], "a.bmp|640 x 480|54|" + root.path + "|");
    EXPECT_EQ(got[1], "c.bmp|640 x 480|54|" + root.path + "\\sub|");
    EXPECT_EQ(status(), summary(2, 108));
    HWND list = mainResultList(window);
    for (uint32_t r = 0; r < 2; ++r) EXPECT_EQ(resultsRow(resultStore(window), r).insertIndex, r);
    EXPECT_TRUE(IsWindowEnabled(list));
    EXPECT_FALSE(SendMessageA(mainResultToolbar(window), TB_ISBUTTONENABLED, CMD_STOP, 0));
}

TEST_F(Search, ListingAllFilesMarksWhatCouldNotBeOpenedOrSized) {
    file("a.bmp", bmpFile(640, 480));
    file("notes.txt", std::vector<unsigned char>(10, 'x'));
    folder("sub");
    file("twin.dat", std::vector<unsigned char>{'T', 'W', 'I', 'N'});
    appSettings.ListupAllFiles = 1;
    struct Case {
        int fastScan;
        const char* text;  // column 1 of notes.txt
    };
    for (Case c : {Case{1, ""}, Case{0, "---"}}) {
        appSettings.FastScan = c.fastScan;
        if (!c.fastScan && !spiList) loadPlugins({"twinred"});
        run(root.path, 0);
        std::vector<std::string> got = rows();
        std::string all;
        for (const std::string& row : got) all += row + "\n";
        EXPECT_NE(all.find("notes.txt|" + std::string(c.text) + "|10|"), std::string::npos) << all;
        // With subdirectories off, a subdirectory is a row that cannot be opened.
        EXPECT_NE(all.find("sub|-Err-|0|"), std::string::npos) << all;
        EXPECT_EQ(got.size(), 4u) << all;
    }
}

// WebP, AVIF, HEIC and JPEG XL pictures from Debian's encoders are listed
// with the size a viewer shows, by the fast reader and the shipped plug-in
// alike.
TEST_F(Search, TheNewFormatsAreListedWithTheirSizesInBothModes) {
    const std::vector<ModernPicture> pictures = modernPictures();
    ASSERT_EQ(pictures.size(), 16u);
    addCondition(1, 1, 2);  // 1 x 1 <= every picture
    for (int fastScan : {1, 0}) {
        appSettings.FastScan = fastScan;
        if (!fastScan) {
            ASSERT_TRUE(loadTestPlugins(plugins, {"wic"}));
        }
        run(buildFolder("testpictures") + "modern", 0);
        std::map<std::string, std::string> byName;
        std::string all;
        for (const std::string& row : rows()) {
            byName[row.substr(0, row.find('|'))] = row;
            all += row + "\n";
        }
        const std::string by = fastScan ? "" : "wic" TRAWLIX_PLUGIN_EXTENSION;
        for (const ModernPicture& m : pictures) {
            const std::string& row = byName[m.name];
            const std::string size = std::to_string(m.width) + " x " + std::to_string(m.height);
            EXPECT_EQ(row.substr(0, m.name.size() + size.size() + 2), m.name + "|" + size + "|") << all;
            EXPECT_EQ(row.substr(row.rfind('|')), "|" + by) << row;
        }
        EXPECT_EQ(rows().size(), pictures.size()) << all;
    }
}

TEST_F(Search, TheSecondPluginsSizeMatchesWhenTheFirstsDoesNot) {
    appSettings.FastScan = 0;
    SendMessageA(mainConditionList(window), LVM_DELETEALLITEMS, 0, 0);
    addCondition(1024, 768, 0);
    loadPlugins({"twinred", "twinblue"});
    file("twin.dat", std::vector<unsigned char>{'T', 'W', 'I', 'N'});
    run(root.path, 0);
    std::vector<std::string> got = rows();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0], "twin.dat|1024 x 768|4|" + root.path + "|twinblue" TRAWLIX_PLUGIN_EXTENSION);
}

TEST_F(Search, APluginThatFaultsIsNamedOnceAndTheSoundOneListsEveryPicture) {
    appSettings.FastScan = 0;
    SendMessageA(mainConditionList(window), LVM_DELETEALLITEMS, 0, 0);
    addCondition(800, 600, 0);
    SetEnvironmentVariableA("TESTSPI_FAULT", "GetPictureInfo:access");
    loadPlugins({"faulty", "twinred"});
    for (const char* name : {"a.dat", "b.dat", "c.dat"}) file(name, std::vector<unsigned char>{'T', 'W', 'I', 'N'});
    std::vector<std::string> boxes;
    dialogWatchBegin([&](HWND box, int) {
        boxes.push_back(messageBoxText(box));
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    for (int search = 0; search < 2; ++search) {
        run(root.path, 0);
        std::vector<std::string> got = rows();
        ASSERT_EQ(got.size(), 3u) << search;
        EXPECT_EQ(got[2], "c.dat|800 x 600|4|" + root.path + "|twinred" TRAWLIX_PLUGIN_EXTENSION);
    }
    dialogWatchEnd();
    SetEnvironmentVariableA("TESTSPI_FAULT", nullptr);
    ASSERT_EQ(boxes.size(), 1u);  // the second search never asked it
    EXPECT_NE(boxes[0].find("faulty" TRAWLIX_PLUGIN_EXTENSION), std::string::npos) << boxes[0];
    EXPECT_NE(boxes[0].find("a.dat"), std::string::npos) << boxes[0];
}

TEST_F(Search, ExcludeFragmentsSkipTreesAndLowerCaseThePaths) {
    folder("Pics");
    folder("Pics\\Thumbs");
    folder("ThumbsUp");
    folder("Keep");
    file("Pics\\Thumbs\\x.bmp", bmpFile(640, 480));
    file("ThumbsUp\\y.bmp", bmpFile(640, 480));
    file("Keep\\z.bmp", bmpFile(640, 480));
    addExclude("Thumbs");
    addExclude("");  // an empty row must not skip everything
    run(root.path, 1);
    std::vector<std::string> got = rows();
    ASSERT_EQ(got.size(), 1u);
    std::string lower = root.path + "\\keep\\";
    CharLowerA(&lower[0]);
    EXPECT_EQ(got[0], "z.bmp|640 x 480|54|" + lower + "|");

    addExclude(root.path.c_str());
    run(root.path, 1);
    EXPECT_TRUE(rows().empty());
    EXPECT_EQ(status(), summary(0, 0));
}

TEST_F(Search, AStopKeepsTheRowsFoundAndRestoresTheCurrentDirectory) {
    for (int d = 0; d < 20; ++d) {
        std::string sub = "d" + std::to_string(d);
        folder(sub);
        for (int f = 0; f < 100; ++f) file(sub + "\\p" + std::to_string(f) + ".bmp", bmpFile(640, 480));
    }
    char before[MAX_PATH];
    GetCurrentDirectoryA(sizeof before, before);
    run(root.path, 1, true);
    size_t found = rows().size();
    EXPECT_LT(found, 2000u);
    EXPECT_EQ(status(), summary(static_cast<uint32_t>(found), static_cast<uint32_t>(found * 54)));
    char after[MAX_PATH];
    GetCurrentDirectoryA(sizeof after, after);
    EXPECT_STREQ(after, before);
}

TEST_F(Search, ASubdirectoryThatCannotBeEnteredIsSkippedNotClimbedOutOf) {
    folder("start");
    file("outside.bmp", bmpFile(640, 480));
    file("start\\a.bmp", bmpFile(640, 480));
    file("start\\z.bmp", bmpFile(640, 480));
    // A path far over 260 characters, made through the long-path prefix.
    std::wstring deep = L"\\\\?\\";
    for (char ch : root.path + "\\start\\m") deep += static_cast<wchar_t>(ch);
    deep += std::wstring(230, L'n');
    ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr));
    run(root.path + "\\start", 1);
    std::vector<std::string> got = rows();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].substr(0, 6), "a.bmp|");
    EXPECT_EQ(got[1].substr(0, 6), "z.bmp|");
}

TEST_F(Search, ASizeOver2GiBShowsNegativeAndAddsInFull) {
    appSettings.ListupAllFiles = 1;
    std::string path = file("huge.txt", {});
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    LARGE_INTEGER size;
    size.QuadPart = 3LL << 30;
    SetFilePointerEx(h, size, nullptr, FILE_BEGIN);
    ASSERT_TRUE(SetEndOfFile(h));
    CloseHandle(h);
    run(root.path, 0);
    std::vector<std::string> got = rows();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0], "huge.txt||-1073741824|" + root.path + "|");
    EXPECT_EQ(status(), summary(1, 3221225472u));
}

TEST_F(Search, RefusesWithoutConditionsOrWithADirectoryItCannotEnter) {
    struct Case {
        bool conditions;
        std::string directory;
        int message;
    };
    for (const Case& c : {Case{false, root.path, IDS_ADD_CONDITION_FIRST},
                          Case{true, root.path + "\\missing", IDS_SEARCH_DIR_FAILED}}) {
        if (!c.conditions) SendMessageA(mainConditionList(window), LVM_DELETEALLITEMS, 0, 0);
        if (c.conditions) addCondition(1, 1, 0);
        NoticeWatch watch;
        noticeWatchBegin(watch);
        scanStart(window, c.directory.c_str(), 1);
        noticeWatchEnd();
        EXPECT_EQ(watch.count, 1);
        EXPECT_EQ(watch.text, resString(c.message));
        EXPECT_EQ(mainState(window)->workerThreadId, 0u);
    }
}

// Under code page 932 a name's second byte can be a backslash (0x5C): a
// bytewise search would take "<kanji>keep" for "\keep".
TEST_F(Search, NamesWithABackslashTrailByteAreFoundAndExcludedByWholeCharacters) {
    if (GetACP() != 932) GTEST_SKIP() << "needs code page 932";
    const std::string kanji = "\x95\x5c";  // its trail byte is 0x5C
    for (const std::string& dir : {kanji, kanji + "keep", std::string("keep")}) {
        folder(dir);
        file(dir + "\\" + kanji + ".bmp", bmpFile(640, 480));
    }
    run(root.path, 1);
    std::vector<std::string> got = rows();
    ASSERT_EQ(got.size(), 3u);
    std::string all;
    for (const std::string& row : got) all += row + "\n";
    EXPECT_NE(all.find(kanji + ".bmp|640 x 480|54|" + root.path + "\\" + kanji + "|"), std::string::npos) << all;

    addExclude("\\keep\\");
    run(root.path, 1);
    got = rows();
    all.clear();
    for (const std::string& row : got) all += row + "\n";
    ASSERT_EQ(got.size(), 2u) << all;
    EXPECT_NE(all.find(kanji + "keep\\"), std::string::npos) << all;
}

}  // namespace

namespace {

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
TEST_F(Search, ABatchRepaintsItsRowsAndWhatWasDamagedOnly) {
    HWND list = mainResultList(window);
    for (bool damagedBefore : {false, true}) {
        SendMessageA(window, WMU_RESULTS_CLEAR, 0, 0);
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
TEST_F(Search, TheListLearnsItsCountOnATimerAndWithTheLastBatch) {
    HWND list = mainResultList(window);
    auto shown = [&] { return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0); };
    SendMessageA(window, WMU_RESULTS_CLEAR, 0, 0);
    testAddResults(window, rowBatch(2), false);
    testAddResults(window, rowBatch(3), false);
    EXPECT_EQ(shown(), 0);
    for (DWORD until = GetTickCount() + 10000; shown() != 5 && GetTickCount() < until;) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        pumpMessages();
    }
    EXPECT_EQ(shown(), 5);
    testAddResults(window, rowBatch(1), false);
    testAddResults(window, {}, true);
    EXPECT_EQ(shown(), 6);
}

}  // namespace
