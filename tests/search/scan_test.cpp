// The walk over real directory trees, without a main window: a request in,
// rows and status texts out to a plain window of the test's own. What is
// listed, with which texts and totals; excludes, stops, batches, skipped
// subdirectories, and both size paths.
#include <gtest/gtest.h>

#include <windows.h>
#include <string.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/arch.h"
#include "app/resstring.h"
#include "resource.h"
#include "search/rowbatch.h"
#include "search/scan.h"
#include "spi/plugins.h"
#include "support/notices.h"
#include "support/testdirs.h"

namespace {

// What a walk handed its window.
struct Sink {
    HWND window = nullptr;
    volatile LONG cancel = 0;
    bool cancelOnFirstBatch = false;
    std::vector<std::string> rows;  // "name|picture size|file size|folder|handled by"
    std::vector<uint32_t> batches;  // the row count of each hand-over
    int lastBatches = 0;
    std::string summary;
};

LRESULT CALLBACK sinkProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Sink* sink = reinterpret_cast<Sink*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (sink && message == WMU_SCAN_ROWS) {
        const RowBatch& b = *reinterpret_cast<const RowBatch*>(lParam);
        for (uint32_t i = 0; i < b.count; ++i) {
            std::string row;
            for (int c = 0; c < kResultColumnCount; ++c) row += (c ? "|" : "") + std::string(b.pool + b.rows[i].text[c]);
            sink->rows.push_back(row);
        }
        sink->batches.push_back(b.count);
        sink->lastBatches += wParam != 0;
        if (sink->cancelOnFirstBatch) sink->cancel = 1;
        return 0;
    }
    if (sink && message == WMU_WORKER_STATUS && wParam == kStatusSummary) {
        sink->summary = reinterpret_cast<const char*>(lParam);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class Walk : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = sinkProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "trawlixTestSink";
        RegisterClassA(&wc);
        sink.window = CreateWindowA("trawlixTestSink", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                    GetModuleHandleA(nullptr), nullptr);
        SetWindowLongPtrA(sink.window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&sink));
        conditions.push_back(Condition{640, 480, 0});
    }
    void TearDown() override {
        spiListUnload(spiList);
        spiList = nullptr;
        DestroyWindow(sink.window);
    }

    std::string file(const std::string& relative, const std::vector<unsigned char>& bytes) {
        std::string path = root.path + "\\" + relative;
        EXPECT_TRUE(writeFile(path, bytes)) << path;
        return path;
    }
    void folder(const std::string& relative) {
        CreateDirectoryA((root.path + "\\" + relative).c_str(), nullptr);
    }

    // Walks directory with the fixture's conditions, excludes and modes, on this thread.
    void run(const std::string& directory, int recurse) {
        sink.rows.clear();
        sink.batches.clear();
        sink.lastBatches = 0;
        sink.cancel = 0;
        ScanRequest* r = scanRequestNew(directory.c_str(), static_cast<int32_t>(conditions.size()),
                                        static_cast<int32_t>(excludes.size()));
        ASSERT_NE(r, nullptr);
        r->ticket = WorkerTicket{sink.window, &sink.cancel, 1};
        r->recurse = recurse;
        r->fastScan = fastScan;
        r->listAll = listAll;
        if (!sizesPath.empty()) r->sizesPath = strDupExtra(sizesPath.c_str(), 0);
        r->pluginSet = spiEnabledSetId("");
        for (const Condition& c : conditions) r->conditions[r->conditionCount++] = c;
        for (const std::string& e : excludes) scanRequestExclude(*r, e.c_str());
        scanRun(*r);
        scanRequestFree(r);
    }
    std::string all() const {
        std::string text;
        for (const std::string& row : sink.rows) text += row + "\n";
        return text;
    }
    // The totals text the string table gives for count files of bytes.
    static std::string summary(uint32_t count, uint32_t bytes) {
        if (count == 0) return resString(IDS_NO_MATCH);
        char text[256];
        snprintf(text, sizeof text, resString(IDS_FOUND_SUMMARY), count, bytes);
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

    Sink sink;
    std::string sizesPath;  // the remembered sizes' file; none: nothing is remembered
    std::vector<Condition> conditions;
    std::vector<std::string> excludes;
    int32_t fastScan = 1;
    int32_t listAll = 0;
    TempFolder root;
    std::vector<std::unique_ptr<TempFolder>> plugins;
};

TEST_F(Walk, ListsMatchesInWalkOrderWithTheirTextsAndTotals) {
    file("a.bmp", bmpFile(640, 480));
    file("b.bmp", bmpFile(800, 600));
    file("notes.txt", std::vector<unsigned char>(10, 'x'));
    folder("sub");
    file("sub\\c.bmp", bmpFile(640, 480));
    for (int recurse : {1, 0}) {
        run(root.path, recurse);
        std::vector<std::string> want = {"a.bmp|640 x 480|54|" + root.path + "|"};
        if (recurse) want.push_back("c.bmp|640 x 480|54|" + root.path + "\\sub|");
        EXPECT_EQ(sink.rows, want) << recurse;
        EXPECT_EQ(sink.summary, summary(static_cast<uint32_t>(want.size()), 54 * static_cast<uint32_t>(want.size())));
        EXPECT_EQ(sink.lastBatches, 1);
    }
}

TEST_F(Walk, ListingAllFilesMarksWhatCouldNotBeOpenedOrSized) {
    file("a.bmp", bmpFile(640, 480));
    file("notes.txt", std::vector<unsigned char>(10, 'x'));
    folder("sub");
    file("twin.dat", std::vector<unsigned char>{'T', 'W', 'I', 'N'});
    listAll = 1;
    struct Case {
        int fastScan;
        const char* text;  // column 1 of notes.txt
    };
    for (Case c : {Case{1, ""}, Case{0, "---"}}) {
        fastScan = c.fastScan;
        if (!c.fastScan && !spiList) loadPlugins({"twinred"});
        run(root.path, 0);
        EXPECT_NE(all().find("notes.txt|" + std::string(c.text) + "|10|"), std::string::npos) << all();
        // With subdirectories off, a subdirectory is a row that cannot be opened.
        EXPECT_NE(all().find("sub|-Err-|0|"), std::string::npos) << all();
        EXPECT_EQ(sink.rows.size(), 4u) << all();
    }
}

// WebP, AVIF, HEIC and JPEG XL pictures from Debian's encoders are listed
// with the size a viewer shows, by the fast reader and the shipped plug-in
// alike.
TEST_F(Walk, TheNewFormatsAreListedWithTheirSizesInBothModes) {
    const std::vector<ModernPicture> pictures = modernPictures();
    ASSERT_EQ(pictures.size(), 21u);
    conditions.push_back(Condition{1, 1, 2});  // 1 x 1 <= every picture
    for (int mode : {1, 0}) {
        fastScan = mode;
        if (!mode) {
            ASSERT_TRUE(loadTestPlugins(plugins, {"wic"}));
        }
        run(buildFolder("testpictures") + "modern", 0);
        std::map<std::string, std::string> byName;
        for (const std::string& row : sink.rows) byName[row.substr(0, row.find('|'))] = row;
        const std::string by = mode ? "" : "wic" TRAWLIX_PLUGIN_EXTENSION;
        for (const ModernPicture& m : pictures) {
            const std::string& row = byName[m.name];
            const std::string size = std::to_string(m.width) + " x " + std::to_string(m.height);
            EXPECT_EQ(row.substr(0, m.name.size() + size.size() + 2), m.name + "|" + size + "|") << all();
            EXPECT_EQ(row.substr(row.rfind('|')), "|" + by) << row;
        }
        EXPECT_EQ(sink.rows.size(), pictures.size()) << all();
    }
}

TEST_F(Walk, TheSecondPluginsSizeMatchesWhenTheFirstsDoesNot) {
    fastScan = 0;
    conditions = {Condition{1024, 768, 0}};
    loadPlugins({"twinred", "twinblue"});
    file("twin.dat", std::vector<unsigned char>{'T', 'W', 'I', 'N'});
    run(root.path, 0);
    ASSERT_EQ(sink.rows.size(), 1u);
    EXPECT_EQ(sink.rows[0], "twin.dat|1024 x 768|4|" + root.path + "|twinblue" TRAWLIX_PLUGIN_EXTENSION);
}

TEST_F(Walk, APluginThatFaultsIsNamedOnceAndTheSoundOneListsEveryPicture) {
    fastScan = 0;
    conditions = {Condition{800, 600, 0}};
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
        ASSERT_EQ(sink.rows.size(), 3u) << search;
        EXPECT_EQ(sink.rows[2], "c.dat|800 x 600|4|" + root.path + "|twinred" TRAWLIX_PLUGIN_EXTENSION);
    }
    dialogWatchEnd();
    SetEnvironmentVariableA("TESTSPI_FAULT", nullptr);
    ASSERT_EQ(boxes.size(), 1u);  // the second search never asked it
    EXPECT_NE(boxes[0].find("faulty" TRAWLIX_PLUGIN_EXTENSION), std::string::npos) << boxes[0];
    EXPECT_NE(boxes[0].find("a.dat"), std::string::npos) << boxes[0];
}

TEST_F(Walk, ExcludeFragmentsSkipTreesAndLowerCaseThePaths) {
    folder("Pics");
    folder("Pics\\Thumbs");
    folder("ThumbsUp");
    folder("Keep");
    file("Pics\\Thumbs\\x.bmp", bmpFile(640, 480));
    file("ThumbsUp\\y.bmp", bmpFile(640, 480));
    file("Keep\\z.bmp", bmpFile(640, 480));
    excludes = {"Thumbs", ""};  // an empty fragment must not skip everything
    run(root.path, 1);
    std::string lower = root.path + "\\keep\\";
    CharLowerA(&lower[0]);
    EXPECT_EQ(sink.rows, std::vector<std::string>{"z.bmp|640 x 480|54|" + lower + "|"});

    excludes.push_back(root.path);
    run(root.path, 1);
    EXPECT_TRUE(sink.rows.empty());
    EXPECT_EQ(sink.summary, summary(0, 0));
}

// More rows than one batch holds: every row comes once, in batches no
// larger than the limit. A stop asked for when the first batch arrives
// keeps that batch's rows (and the one whose turn it was) and walks no
// further; either way the current directory is as it was.
TEST_F(Walk, BatchesCarryEveryRowOnceAndAStopKeepsWhatWasHandedOver) {
    const uint32_t total = kBatchRows + 4;
    listAll = 1;
    for (uint32_t i = 0; i < total; ++i) {
        char name[32];
        snprintf(name, sizeof name, "f%05u.txt", i);
        file(name, {});
    }
    char before[MAX_PATH];
    GetCurrentDirectoryA(sizeof before, before);
    for (bool stop : {false, true}) {
        sink.cancelOnFirstBatch = stop;
        run(root.path, 0);
        char after[MAX_PATH];
        GetCurrentDirectoryA(sizeof after, after);
        EXPECT_STREQ(after, before) << stop;
        for (uint32_t count : sink.batches) EXPECT_LE(count, kBatchRows) << stop;
        std::map<std::string, int> seen;
        for (const std::string& row : sink.rows) ++seen[row.substr(0, row.find('|'))];
        for (const auto& name : seen) EXPECT_EQ(name.second, 1) << name.first;
        const uint32_t found = static_cast<uint32_t>(sink.rows.size());
        EXPECT_EQ(sink.summary, summary(found, 0)) << stop;
        if (stop) {
            ASSERT_FALSE(sink.batches.empty());
            EXPECT_GE(found, sink.batches[0]);
            EXPECT_LE(found, sink.batches[0] + 1);
            EXPECT_LT(found, total);
        } else {
            EXPECT_EQ(found, total);
        }
    }
}

TEST_F(Walk, ASubdirectoryThatCannotBeEnteredIsSkippedNotClimbedOutOf) {
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
    ASSERT_EQ(sink.rows.size(), 2u);
    EXPECT_EQ(sink.rows[0].substr(0, 6), "a.bmp|");
    EXPECT_EQ(sink.rows[1].substr(0, 6), "z.bmp|");
}

TEST_F(Walk, ASizeOver2GiBShowsNegativeAndAddsInFull) {
    listAll = 1;
    std::string path = file("huge.txt", {});
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    LARGE_INTEGER size;
    size.QuadPart = 3LL << 30;
    SetFilePointerEx(h, size, nullptr, FILE_BEGIN);
    ASSERT_TRUE(SetEndOfFile(h));
    CloseHandle(h);
    run(root.path, 0);
    EXPECT_EQ(sink.rows, std::vector<std::string>{"huge.txt||-1073741824|" + root.path + "|"});
    EXPECT_EQ(sink.summary, summary(1, 3221225472u));
}

// Under code page 932 a name's second byte can be a backslash (0x5C): a
// bytewise search would take "<kanji>keep" for "\keep".
TEST_F(Walk, NamesWithABackslashTrailByteAreFoundAndExcludedByWholeCharacters) {
    if (GetACP() != 932) GTEST_SKIP() << "needs code page 932";
    const std::string kanji = "\x95\x5c";  // its trail byte is 0x5C
    for (const std::string& dir : {kanji, kanji + "keep", std::string("keep")}) {
        folder(dir);
        file(dir + "\\" + kanji + ".bmp", bmpFile(640, 480));
    }
    run(root.path, 1);
    ASSERT_EQ(sink.rows.size(), 3u);
    EXPECT_NE(all().find(kanji + ".bmp|640 x 480|54|" + root.path + "\\" + kanji + "|"), std::string::npos) << all();

    excludes = {"\\keep\\"};
    run(root.path, 1);
    ASSERT_EQ(sink.rows.size(), 2u) << all();
    EXPECT_NE(all().find(kanji + "keep\\"), std::string::npos) << all();
}

// Sets a file's last write an hour or more back, as a collection's files are:
// a time stamp close to the search that read it is never trusted.
void age(const std::string& path, int minutes) {
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t = {{now.dwLowDateTime, now.dwHighDateTime}};
    t.QuadPart -= static_cast<uint64_t>(minutes) * 60 * 10000000;
    FILETIME then = {t.LowPart, t.HighPart};
    SetFileTime(file, nullptr, nullptr, &then);
    CloseHandle(file);
}

// A search that remembered the sizes, then a change, then the same search
// again, in each mode: it lists exactly what a search that remembers
// nothing lists.
TEST_F(Walk, ARepeatedSearchListsWhatASearchWithoutRememberedSizesLists) {
    TempFolder store;
    std::string at;  // the case's own folder under root
    auto picture = [&](const std::string& name, uint32_t width, uint32_t height, int minutes = 120,
                       bool withPixels = false) {
        age(file(at + "\\" + name, bmpFile(width, height, withPixels)), minutes);
    };
    struct Change {
        const char* what;
        std::function<void()> apply;
    };
    const std::vector<Change> changes = {
        {"nothing", [] {}},
        {"a picture replaced, a new time stamp", [&] { picture("a.bmp", 800, 600, 90); }},
        {"a picture replaced, a new size", [&] { picture("a.bmp", 640, 480, 120, true); }},
        {"a picture deleted", [&] { DeleteFileA((root.path + "\\" + at + "\\b.bmp").c_str()); }},
        {"a picture added", [&] { picture("sub\\new.bmp", 640, 480); }},
        {"a folder renamed",
         [&] { MoveFileA((root.path + "\\" + at + "\\sub").c_str(), (root.path + "\\" + at + "\\moved").c_str()); }},
        {"the conditions changed", [&] { conditions = {Condition{800, 600, 0}}; }},
        {"FastScan switched", [&] { fastScan = !fastScan; }},
        {"a plug-in turned off", [&] { spiList->enabled = 0; }},
        {"the plug-ins re-ordered",
         [&] {
             SusiePlugin* first = spiList;
             spiList = first->next;
             first->next = spiList->next;
             spiList->next = first;
         }},
        {"the store's folder cannot be written", [&] { sizesPath = root.path + "\\missing\\trawlix.sizes"; }},
    };
    loadPlugins({"twinred", "twinblue"});
    int index = 0;
    for (const Change& c : changes) {
        for (int mode : {1, 0}) {
            SCOPED_TRACE(std::string(c.what) + (mode ? ", fast" : ", plug-ins"));
            at = "case" + std::to_string(index++);
            folder(at);
            folder(at + "\\sub");
            picture("a.bmp", 640, 480);
            picture("b.bmp", 1024, 768);
            picture("sub\\c.bmp", 640, 480);
            age(file(at + "\\twin.dat", {'T', 'W', 'I', 'N'}), 120);
            age(file(at + "\\notes.txt", std::vector<unsigned char>(10, 'x')), 120);
            conditions = {Condition{640, 480, 0}, Condition{1024, 768, 0}};
            listAll = 1;
            fastScan = mode;
            sizesPath = store.path + "\\trawlix.sizes";
            const std::string directory = root.path + "\\" + at;
            run(directory, 1);  // remembers
            c.apply();
            run(directory, 1);
            const std::vector<std::string> repeated = sink.rows;
            sizesPath.clear();
            run(directory, 1);
            EXPECT_EQ(repeated, sink.rows);
            EXPECT_GE(sink.rows.size(), 4u);
            // As the case found them.
            SusiePlugin* p = spiList;
            if (p->next && strcmp(p->fileName, p->next->fileName) < 0) {  // twinred first
                spiList = p->next;
                p->next = spiList->next;
                spiList->next = p;
            }
            for (p = spiList; p; p = p->next) p->enabled = 1;
        }
    }
}

// One of two programs searching at once, started by the test below: the
// walk keeps the current directory, which is the process's, so two
// searches at once are two processes.
TEST_F(Walk, OneOfTwoProgramsSearching) {
    char directory[MAX_PATH], sizes[MAX_PATH];
    if (!GetEnvironmentVariableA("TRAWLIX_CHILD_SEARCH", directory, sizeof directory) ||
        !GetEnvironmentVariableA("TRAWLIX_CHILD_SIZES", sizes, sizeof sizes))
        GTEST_SKIP() << "started by TwoProgramsSearchingAtOnceLeaveASoundStore";
    sizesPath = sizes;
    run(directory, 0);
    EXPECT_EQ(sink.rows.size(), 20u);
}

// Two programs searching at once over the same store: each lists what it
// finds, and the store that is left (the last written) serves a third.
TEST_F(Walk, TwoProgramsSearchingAtOnceLeaveASoundStore) {
    TempFolder store;
    sizesPath = store.path + "\\trawlix.sizes";
    for (int i = 0; i < 20; ++i) age(file("p" + std::to_string(i) + ".bmp", bmpFile(640, 480)), 120);
    SetEnvironmentVariableA("TRAWLIX_CHILD_SEARCH", root.path.c_str());
    SetEnvironmentVariableA("TRAWLIX_CHILD_SIZES", sizesPath.c_str());
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    HANDLE children[2] = {};
    for (HANDLE& child : children) {
        char command[] = "ui_tests --gtest_filter=Walk.OneOfTwoProgramsSearching";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        ASSERT_TRUE(CreateProcessA(self, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
        CloseHandle(process.hThread);
        child = process.hProcess;
    }
    SetEnvironmentVariableA("TRAWLIX_CHILD_SEARCH", nullptr);
    SetEnvironmentVariableA("TRAWLIX_CHILD_SIZES", nullptr);
    EXPECT_EQ(WaitForMultipleObjects(2, children, TRUE, 120000), WAIT_OBJECT_0) << "the two searches did not end";
    for (HANDLE child : children) {
        DWORD code = ~0u;
        GetExitCodeProcess(child, &code);
        EXPECT_EQ(code, 0u);
        CloseHandle(child);
    }
    run(root.path, 0);
    EXPECT_EQ(sink.rows.size(), 20u);
    EXPECT_NE(GetFileAttributesA(sizesPath.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
