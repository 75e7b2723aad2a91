// The plug-in host: discovery, rejection, decoding order, and soundness
// against sloppy plug-ins. Plug-ins are copied into a temporary folder per
// test; a folder per plug-in fixes the asking order.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "app/arch.h"
#include "spi/plugins.h"
#include "support/notices.h"
#include "support/testdirs.h"
#include "support/windows.h"

namespace {

typedef int(WINAPI* TestLastCall)(unsigned char* header, char* name);
typedef int(WINAPI* TestCount)();

class PluginHost : public ::testing::Test {
protected:
    void TearDown() override {
        spiListUnload(spiList);
        spiList = nullptr;
    }

    // Copies the named plug-ins ("twinred", or "wic" from the shipped ones)
    // into one fresh folder and returns its path.
    std::string folderWith(std::initializer_list<const char*> names) {
        folders.emplace_back(new TempFolder);
        const std::string& dir = folders.back()->path;
        for (const char* name : names) {
            std::string file = std::string(name) + TRAWLIX_PLUGIN_EXTENSION;
            std::string from = buildFolder(file == "wic" TRAWLIX_PLUGIN_EXTENSION ? "plugins" : "testplugins") + file;
            EXPECT_TRUE(CopyFileA(from.c_str(), (dir + "\\" + file).c_str(), FALSE)) << from;
        }
        return dir;
    }

    // Loads the plug-ins one folder each, so spiList holds them in this order.
    void loadInOrder(std::initializer_list<const char*> names) {
        for (const char* name : names) ASSERT_EQ(spiLoadAll(folderWith({name}).c_str()), 1) << name;
    }

    // spiLoadAll's result, expecting it to show no message.
    static int loadSilently(const std::string& dir) {
        NoticeWatch watch;
        noticeWatchBegin(watch);
        int result = spiLoadAll(dir.c_str());
        noticeWatchEnd();
        EXPECT_EQ(watch.count, 0);
        return result;
    }

    SusiePlugin* find(const char* fileName) {
        for (SusiePlugin* p = spiList; p; p = p->next) {
            if (lstrcmpiA(p->fileName, fileName) == 0) return p;
        }
        return nullptr;
    }

    template <typename Entry>
    Entry testExport(const char* fileName, const char* name) {
        SusiePlugin* plugin = find(fileName);
        return plugin ? reinterpret_cast<Entry>(
                            reinterpret_cast<void*>(GetProcAddress(plugin->moduleHandle, name)))
                      : nullptr;
    }

    struct FaultCase {
        PluginHost* test;
        const char* entry;
        HWND owner;
        const std::string* path;
        const unsigned char* header;
    };
    static DWORD WINAPI faultThread(void* context) {
        auto* c = static_cast<FaultCase*>(context);
        c->test->faultCase(c->entry, c->owner, *c->path, c->header);
        return 0;
    }
    // One case of the faulting plug-in before a sound one (see the test below).
    void faultCase(const std::string& entry, HWND owner, const std::string& path, const unsigned char* header) {
    loadInOrder({"faulty", "twinred"});
    SusiePlugin* faulty = spiList;
    auto calls = testExport<TestLastCall>("faulty" TRAWLIX_PLUGIN_EXTENSION, "TestLastCall");
    NoticeWatch watch;
    noticeWatchBegin(watch);
    for (int round = 0; round < 2; ++round) {
        PictureSize size{};
        EXPECT_EQ(spiPictureSize(*faulty, "a.twin", header, size, owner),
                  entry == "GetPicture" && round == 0 ? 1 : 0);
        EXPECT_EQ(spiPictureSize(*spiList->next, "a.twin", header, size, owner), 1);
        EXPECT_EQ(size.width, 800u);
        HBITMAP bitmap = spiDecode(path.c_str(), owner);
        EXPECT_EQ(topLeftColour(bitmap), 0xFF0000);  // the sound plug-in's picture
        DeleteObject(bitmap);
    }
    noticeWatchEnd();
    EXPECT_EQ(faulty->faulted, 1);
    EXPECT_EQ(faulty->enabled, 0);
    EXPECT_EQ(watch.count, 1);
    EXPECT_NE(watch.text.find("faulty" TRAWLIX_PLUGIN_EXTENSION), std::string::npos) << watch.text;
    std::vector<unsigned char> seen(kSusieHeaderSize);
    char name[MAX_PATH] = {};
    EXPECT_EQ(calls(seen.data(), name), 1 + (entry == "GetPicture"));  // never after the fault
    // Alone, the faulting plug-in leaves the preview empty.
    spiList = faulty->next;
    faulty->next = nullptr;
    spiListUnload(spiList);
    spiList = faulty;
    EXPECT_EQ(spiDecode(path.c_str(), owner), nullptr);
    spiListUnload(spiList);
    spiList = nullptr;
    }

    static long topLeftColour(HBITMAP bitmap) { return bitmapTopLeftColour(bitmap); }

    std::string pictureFile(const std::string& name, const std::string& content) {
        folders.emplace_back(new TempFolder);
        std::string path = folders.back()->path + "\\" + name;
        EXPECT_TRUE(writeFile(path, content));
        return path;
    }

    std::vector<std::unique_ptr<TempFolder>> folders;
};

std::string currentDirectory() {
    char dir[MAX_PATH];
    GetCurrentDirectoryA(sizeof dir, dir);
    return dir;
}

TEST_F(PluginHost, AMissingFolderIsReportedAndLoadsNothing) {
    NoticeWatch watch;
    noticeWatchBegin(watch);
    std::string before = currentDirectory();
    EXPECT_EQ(spiLoadAll("C:\\no\\such\\folder"), 0);
    noticeWatchEnd();
    EXPECT_EQ(spiList, nullptr);
    expectSingleNotice(watch, "SusiePlugin scan failed: can't change CWD!", "Error", nullptr);
    EXPECT_EQ(currentDirectory(), before);
}

TEST_F(PluginHost, AFolderWithoutPluginsLoadsNothingAndRestoresTheCurrentDirectory) {
    std::string dir = folderWith({});
    writeFile(dir + "\\readme.txt", std::string("not a plug-in"));
    writeFile(dir + "\\broken" TRAWLIX_PLUGIN_EXTENSION, std::string("MZ but nothing more"));
    std::string before = currentDirectory();
    EXPECT_EQ(loadSilently(dir), 0);
    EXPECT_EQ(spiList, nullptr);
    EXPECT_EQ(currentDirectory(), before);
}

TEST_F(PluginHost, KeepsOnlyCompleteVersion00INPluginsAndUnloadsTheRest) {
    std::string dir = folderWith({"wic", "oldapi", "noexport", "twinred"});
    EXPECT_EQ(spiLoadAll(dir.c_str()), 1);
    std::set<std::string> names;
    for (SusiePlugin* p = spiList; p; p = p->next) {
        names.insert(p->fileName);
        EXPECT_EQ(p->enabled, 1);
        EXPECT_EQ(p->order, 0);
        EXPECT_NE(p->GetPicture, nullptr);
    }
    EXPECT_EQ(names, (std::set<std::string>{"wic" TRAWLIX_PLUGIN_EXTENSION, "twinred" TRAWLIX_PLUGIN_EXTENSION}));
    EXPECT_EQ(GetModuleHandleA("oldapi" TRAWLIX_PLUGIN_EXTENSION), nullptr);
    EXPECT_EQ(GetModuleHandleA("noexport" TRAWLIX_PLUGIN_EXTENSION), nullptr);
    EXPECT_NE(GetModuleHandleA("twinred" TRAWLIX_PLUGIN_EXTENSION), nullptr);
}

TEST_F(PluginHost, PassesOverPluginsOfTheOtherArchitectureSilently) {
    std::string dir = folderWith({"wic"});
    const std::string foreignName = sizeof(void*) == 8 ? "twinred.spi" : "twinred.sph";
    const std::string foreign = buildFolder("foreignplugins") + foreignName;
    ASSERT_TRUE(CopyFileA(foreign.c_str(), (dir + "\\" + foreignName).c_str(), FALSE)) << foreign;
    // The other kind under this build's extension: the loader refuses it.
    ASSERT_TRUE(CopyFileA(foreign.c_str(), (dir + "\\renamed" TRAWLIX_PLUGIN_EXTENSION).c_str(), FALSE));
    EXPECT_EQ(loadSilently(dir), 1);
    ASSERT_NE(spiList, nullptr);
    EXPECT_STREQ(spiList->fileName, "wic" TRAWLIX_PLUGIN_EXTENSION);
    EXPECT_EQ(spiList->next, nullptr);
}

// Plug-ins disagree on the record past colorDepth (padded or packed); the
// host reads the size from either and never frees a text handle whose place
// it would have to guess.
TEST_F(PluginHost, ReadsTheSizeFromEitherRecordLayoutAndLeavesTheTextHandleAlone) {
    loadInOrder({"packed", "fullrecord"});
    struct Case {
        SusiePlugin* plugin;
        const char* tag;
        uint32_t width, height;
    } cases[] = {{spiList, "PACK", 1280, 1024}, {spiList->next, "FULL", 1920, 1080}};
    for (const Case& c : cases) {
        unsigned char header[kSusieHeaderSize] = {};
        memcpy(header, c.tag, 4);
        PictureSize size{};
        EXPECT_EQ(spiPictureSize(*c.plugin, "a.pic", header, size), 1) << c.tag;
        EXPECT_EQ(size.width, c.width) << c.tag;
        EXPECT_EQ(size.height, c.height) << c.tag;
    }
    EXPECT_EQ(testExport<TestCount>("packed" TRAWLIX_PLUGIN_EXTENSION, "TestHandlesHandedOut")(), 1);
    EXPECT_EQ(testExport<TestCount>("packed" TRAWLIX_PLUGIN_EXTENSION, "TestHandlesFreed")(), 0);
}

TEST_F(PluginHost, KeepsALongLibraryNameWhole) {
    loadInOrder({"long_file_name_of_a_test_plugin_over_31"});
    ASSERT_NE(spiList, nullptr);
    EXPECT_STREQ(spiList->fileName, "long_file_name_of_a_test_plugin_over_31" TRAWLIX_PLUGIN_EXTENSION);
}

TEST_F(PluginHost, ASecondLoadAppendsBehindTheFirst) {
    loadInOrder({"twinred", "twinblue", "noconfig"});
    ASSERT_NE(spiList, nullptr);
    EXPECT_STREQ(spiList->fileName, "twinred" TRAWLIX_PLUGIN_EXTENSION);
    EXPECT_STREQ(spiList->next->fileName, "twinblue" TRAWLIX_PLUGIN_EXTENSION);
    EXPECT_STREQ(spiList->next->next->fileName, "noconfig" TRAWLIX_PLUGIN_EXTENSION);
    EXPECT_EQ(spiList->next->next->ConfigurationDlg(nullptr, 1), kSusieNoDialog);
}

TEST_F(PluginHost, IsSupportedSeesAShortFileFollowedByZeros) {
    loadInOrder({"recorder"});
    std::string path = pictureFile("short.bin", "0123456789");
    EXPECT_EQ(spiDecode(path.c_str()), nullptr);

    auto lastCall = testExport<TestLastCall>("recorder" TRAWLIX_PLUGIN_EXTENSION, "TestLastCall");
    ASSERT_NE(lastCall, nullptr);
    std::vector<unsigned char> header(kSusieHeaderSize, 0xEE);
    char name[MAX_PATH] = {};
    EXPECT_EQ(lastCall(header.data(), name), 1);
    EXPECT_EQ(std::string(header.begin(), header.begin() + 10), "0123456789");
    EXPECT_TRUE(std::all_of(header.begin() + 10, header.end(), [](unsigned char b) { return b == 0; }));
    EXPECT_EQ(std::string(name), path);
}

TEST_F(PluginHost, DecodingAsksDisabledPluginsToo) {
    loadInOrder({"twinred"});
    spiList->enabled = 0;
    HBITMAP bitmap = spiDecode(pictureFile("a.twin", "TWIN picture").c_str());
    EXPECT_EQ(topLeftColour(bitmap), 0xFF0000);
    DeleteObject(bitmap);
}

TEST_F(PluginHost, AFailedDecodeFallsThroughToTheNextPluginAndFreesWhatItReturned) {
    loadInOrder({"claimall", "twinred"});
    HBITMAP bitmap = spiDecode(pictureFile("a.twin", "TWIN picture").c_str());
    EXPECT_EQ(topLeftColour(bitmap), 0xFF0000);
    DeleteObject(bitmap);
    EXPECT_EQ(testExport<TestCount>("claimall" TRAWLIX_PLUGIN_EXTENSION, "TestHandlesHandedOut")(), 2);
    EXPECT_EQ(testExport<TestCount>("claimall" TRAWLIX_PLUGIN_EXTENSION, "TestHandlesFreed")(), 1);
    EXPECT_EQ(testExport<TestCount>("twinred" TRAWLIX_PLUGIN_EXTENSION, "TestHandlesFreed")(), 1);
}

TEST_F(PluginHost, ThePluginNearerTheHeadWins) {
    loadInOrder({"twinblue", "twinred"});
    std::string path = pictureFile("a.twin", "TWIN picture");
    HBITMAP bitmap = spiDecode(path.c_str());
    EXPECT_EQ(topLeftColour(bitmap), 0x0000FF);
    DeleteObject(bitmap);

    SusiePlugin* blue = spiList;
    spiList = blue->next;
    blue->next = nullptr;
    spiList->next = blue;
    bitmap = spiDecode(path.c_str());
    EXPECT_EQ(topLeftColour(bitmap), 0xFF0000);
    DeleteObject(bitmap);
}

TEST_F(PluginHost, PixelsThatDoNotFitTheirHeaderAreRefused) {
    loadInOrder({"sloppy", "twinred"});
    EXPECT_EQ(spiDecode(pictureFile("a.slop", "SLOP picture").c_str()), nullptr);
    EXPECT_EQ(testExport<TestCount>("sloppy" TRAWLIX_PLUGIN_EXTENSION, "TestHandlesFreed")(), 1);
}

TEST_F(PluginHost, PictureSizesOfZeroAreNotTrusted) {
    loadInOrder({"sloppy", "twinred"});
    unsigned char header[kSusieHeaderSize] = {'S', 'L', 'O', 'P'};
    PictureSize size{};
    EXPECT_EQ(spiPictureSize(*spiList, "a.slop", header, size), 0);
    EXPECT_EQ(testExport<TestCount>("sloppy" TRAWLIX_PLUGIN_EXTENSION, "TestHandlesFreed")(), 1);

    memcpy(header, "TWIN", 4);
    EXPECT_EQ(spiPictureSize(*spiList, "a.twin", header, size), 0);
    EXPECT_EQ(spiPictureSize(*spiList->next, "a.twin", header, size), 1);
    EXPECT_EQ(size.width, 800u);
    EXPECT_EQ(size.height, 600u);
}

TEST_F(PluginHost, AFileThatCannotBeOpenedDecodesToNothing) {
    loadInOrder({"claimall"});
    EXPECT_EQ(spiDecode("C:\\no\\such\\picture.png"), nullptr);
}

// Real pictures through the shipped decoder.
class WicDecode : public PluginHost {
protected:
    void SetUp() override { loadInOrder({"wic"}); }

    // Checks size and the colour at the centre of each quadrant.
    void expectQuadrants(const char* name, int width, int height, int tolerance) {
        SCOPED_TRACE(name);
        HBITMAP bitmap = spiDecode((buildFolder("testpictures") + name).c_str());
        ASSERT_NE(bitmap, nullptr);
        DIBSECTION dib = {};
        ASSERT_EQ(GetObjectA(bitmap, sizeof dib, &dib), static_cast<int>(sizeof dib));
        EXPECT_EQ(dib.dsBm.bmWidth, width);
        EXPECT_EQ(dib.dsBm.bmHeight, height);
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, bitmap);
        const COLORREF expected[] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 255)};
        const POINT centres[] = {{width / 4, height / 4}, {3 * width / 4, height / 4},
                                 {width / 4, 3 * height / 4}, {3 * width / 4, 3 * height / 4}};
        for (int i = 0; i < 4; ++i) {
            COLORREF c = GetPixel(dc, centres[i].x, centres[i].y);
            EXPECT_NEAR(GetRValue(c), GetRValue(expected[i]), tolerance) << "quadrant " << i;
            EXPECT_NEAR(GetGValue(c), GetGValue(expected[i]), tolerance) << "quadrant " << i;
            EXPECT_NEAR(GetBValue(c), GetBValue(expected[i]), tolerance) << "quadrant " << i;
        }
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
};

TEST_F(WicDecode, DecodesEveryFormatWithItsColoursInPlace) {
    expectQuadrants("quad.png", 64, 48, 0);
    expectQuadrants("quad.bmp", 64, 48, 0);
    expectQuadrants("quad.gif", 64, 48, 0);
    expectQuadrants("quad.tif", 64, 48, 0);
    expectQuadrants("quad.jpg", 64, 48, 8);
    expectQuadrants("quadp.jpg", 64, 48, 8);
    expectQuadrants("quad.ico", 32, 32, 0);
}

TEST_F(WicDecode, TransparentPixelsBlendToWhite) {
    HBITMAP bitmap = spiDecode((buildFolder("testpictures") + "alpha.png").c_str());
    ASSERT_NE(bitmap, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    EXPECT_EQ(GetPixel(dc, 8, 8), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(dc, 40, 8), RGB(0, 255, 0));
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
}

TEST_F(WicDecode, ClaimsByContentNotByName) {
    std::string png = buildFolder("testpictures") + "quad.png";
    std::string renamed = pictureFile("picture.jpg", "");
    ASSERT_TRUE(CopyFileA(png.c_str(), renamed.c_str(), FALSE));
    HBITMAP bitmap = spiDecode(renamed.c_str());
    EXPECT_NE(bitmap, nullptr);
    DeleteObject(bitmap);
    EXPECT_EQ(spiDecode(pictureFile("text.png", "just some text, not a picture").c_str()), nullptr);
}

// A plug-in that faults in any entry, in any of the ways hardware faults
// come, costs the picture it was asked about and nothing else: the next
// plug-in answers, the faulting one is marked, named once, and not asked again.
TEST_F(PluginHost, APluginThatFaultsIsPassedOverMarkedNamedOnceAndNotCalledAgain) {
    const char* entries[] = {"IsSupported", "GetPictureInfo", "GetPicture"};
    const char* ways[] = {"access", "illegal", "divide", "stack"};
    HWND owner = CreateWindowA("STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    std::string path = pictureFile("a.twin", "TWIN picture");
    unsigned char header[kSusieHeaderSize] = {'T', 'W', 'I', 'N'};
    for (const char* entry : entries) {
        for (const char* way : ways) {
            SCOPED_TRACE(std::string(entry) + ":" + way);
            SetEnvironmentVariableA("TESTSPI_FAULT", (std::string(entry) + ":" + way).c_str());
            // Each case on a thread of its own, as each search runs on one: an
            // overflow uses up the guard page of the stack it ran on.
            FaultCase run = {this, entry, owner, &path, header};
            HANDLE thread = CreateThread(nullptr, 0, faultThread, &run, 0, nullptr);
            // The owner of the case's boxes answers their messages meanwhile.
            DWORD until = GetTickCount() + 120000;
            while (MsgWaitForMultipleObjects(1, &thread, FALSE, 100, QS_ALLINPUT) != WAIT_OBJECT_0) {
                pumpMessages();
                ASSERT_LT(static_cast<LONG>(GetTickCount() - until), 0) << "the case's thread did not end";
            }
            CloseHandle(thread);
        }
    }
    SetEnvironmentVariableA("TESTSPI_FAULT", nullptr);
    DestroyWindow(owner);
}

TEST_F(PluginHost, APluginThatFaultsWhenAskedItsVersionIsNotLoaded) {
    SetEnvironmentVariableA("TESTSPI_FAULT", "GetPluginInfo:access");
    EXPECT_EQ(loadSilently(folderWith({"faulty"})), 0);
    SetEnvironmentVariableA("TESTSPI_FAULT", nullptr);
}

}  // namespace
