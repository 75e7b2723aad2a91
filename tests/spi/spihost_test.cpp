// Plug-ins in host processes: a group of files answered as in-process, a
// plug-in that hangs or faults in a system library costing only itself,
// Stop never waiting on a hung plug-in, and plug-ins of the other
// architecture used through their own host.
#include <gtest/gtest.h>

#include <string.h>

#include <memory>
#include <string>
#include <vector>

#include "app/arch.h"
#include "app/resstring.h"
#include "resource.h"
#include "spi/route.h"
#include "support/notices.h"
#include "support/testdirs.h"
#include "support/windows.h"

namespace {

constexpr const char* kForeignExtension = sizeof(void*) == 8 ? ".spi" : ".sph";
constexpr DWORD kLimitMs = 3000;

class HostedPlugins : public ::testing::Test {
protected:
    void TearDown() override {
        spiHostsEnd();
        spiListFree(spiList);
        spiList = nullptr;
        SetCurrentDirectoryA(saved.c_str());
    }

    // A folder holding the named test plug-ins ("foreign:twinred": the other
    // architecture's) and TWIN pictures a.twin, b.twin, c.twin.
    std::string folderWith(std::initializer_list<const char*> names) {
        const std::string& dir = folder->path;
        for (std::string name : names) {
            const bool foreign = name.rfind("foreign:", 0) == 0;
            std::string file = (foreign ? name.substr(8) : name) + (foreign ? kForeignExtension : TRAWLIX_PLUGIN_EXTENSION);
            std::string from = buildFolder(foreign ? "foreignplugins" : "testplugins") + file;
            EXPECT_TRUE(CopyFileA(from.c_str(), (dir + "\\" + file).c_str(), FALSE)) << from;
        }
        for (const char* picture : {"a.twin", "b.twin", "c.twin"}) EXPECT_TRUE(writeFile(dir + "\\" + picture, "TWIN picture"));
        return dir;
    }

    // Loads the folder's plug-ins through the build's hosts, in the order
    // names gives (file names with their extension).
    void loadInOrder(const std::string& dir, std::vector<std::string> names, DWORD limitMs = kLimitMs) {
        ASSERT_EQ(spiLoadHosted(dir.c_str(), limitMs, buildPath("").c_str()), 1);
        SusiePlugin* ordered = nullptr;
        SusiePlugin** tail = &ordered;
        for (const std::string& name : names) {
            for (SusiePlugin** link = &spiList; *link; link = &(*link)->next) {
                if (lstrcmpiA((*link)->fileName, name.c_str()) != 0) continue;
                SusiePlugin* p = *link;
                *link = p->next;
                p->next = nullptr;
                *tail = p;
                tail = &p->next;
                break;
            }
        }
        ASSERT_EQ(spiList, nullptr) << "a plug-in not named: " << spiList->fileName;
        spiList = ordered;
        for (SusiePlugin* p = spiList; p; p = p->next) plugins.push_back(p);
        ASSERT_EQ(plugins.size(), names.size());
    }

    // spiSizes over every loaded plug-in for names in the folder.
    uint32_t sizes(const std::vector<const char*>& names, std::vector<SpiSizeAnswer>& answers, HWND owner = nullptr,
                   bool (*stop)(void*) = nullptr) {
        answers.assign(names.size(), SpiSizeAnswer{});
        SetCurrentDirectoryA(folder->path.c_str());
        return spiSizes(plugins.data(), static_cast<uint32_t>(plugins.size()), folder->path.c_str(), names.data(),
                        static_cast<uint32_t>(names.size()), &kExactly800x600, 1, answers.data(), owner, stop, nullptr);
    }

    // The decoded picture's top-left colour; the bitmap goes.
    static long topLeftColour(HBITMAP bitmap) {
        const long colour = bitmapTopLeftColour(bitmap);
        DeleteObject(bitmap);
        return colour;
    }

    const Condition kExactly800x600 = {800, 600, 0};  // "=="
    std::string saved = [] {
        char dir[MAX_PATH] = "";
        GetCurrentDirectoryA(sizeof dir, dir);
        return std::string(dir);
    }();
    std::unique_ptr<TempFolder> folder = std::make_unique<TempFolder>();
    std::vector<SusiePlugin*> plugins;
};

// Six hundred files asked of two plug-ins in a host, in one group: each
// answer is the one the same plug-ins give in this process, file by file.
TEST_F(HostedPlugins, AGroupOfFilesIsAnsweredInOrderAsInProcess) {
    const std::string dir = folderWith({"twinblue", "twinred"});
    std::vector<std::string> files;
    for (int i = 0; i < 600; ++i) {
        files.push_back("f" + std::to_string(i) + (i % 3 == 2 ? ".missing" : ".pic"));
        if (i % 3 != 2) {
            ASSERT_TRUE(writeFile(dir + "\\" + files.back(), i % 3 ? "TWIN" : "PNG?"));
        }
    }
    std::vector<const char*> names;
    for (const std::string& f : files) names.push_back(f.c_str());
    loadInOrder(dir, {"twinblue" TRAWLIX_PLUGIN_EXTENSION, "twinred" TRAWLIX_PLUGIN_EXTENSION});
    std::vector<SpiSizeAnswer> hosted;
    ASSERT_EQ(sizes(names, hosted), 600u);

    // The same question in this process, of the same plug-ins loaded here.
    TempFolder here;
    for (const char* name : {"twinblue", "twinred"}) {
        const std::string file = std::string(name) + TRAWLIX_PLUGIN_EXTENSION;
        ASSERT_TRUE(CopyFileA((buildFolder("testplugins") + file).c_str(), (here.path + "\\" + file).c_str(), FALSE));
    }
    SusiePlugin* hostedList = spiList;
    spiList = nullptr;
    ASSERT_EQ(spiLoadAll(here.path.c_str()), 1);
    SusiePlugin* local[2] = {spiList, spiList->next};
    if (lstrcmpiA(local[0]->fileName, "twinblue" TRAWLIX_PLUGIN_EXTENSION) != 0) std::swap(local[0], local[1]);
    std::vector<SpiSizeAnswer> inProcess(names.size());
    SetCurrentDirectoryA(dir.c_str());
    EXPECT_EQ(spiAskSizes(local, 2, names.data(), 600, &kExactly800x600, 1, inProcess.data(), SpiWatch{}), 600u);
    spiListUnload(spiList);
    spiList = hostedList;

    for (size_t i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(names[i]);
        EXPECT_EQ(memcmp(&hosted[i], &inProcess[i], sizeof(SpiSizeAnswer)), 0);
        EXPECT_EQ(hosted[i].opened, i % 3 == 2 ? 0 : 1);
        EXPECT_EQ(hosted[i].matchedBy, i % 3 == 1 ? 1 : kSpiNone);  // twinblue knows them too, at 1024 x 768
    }
    EXPECT_EQ(hosted[1].knew, 2);
    EXPECT_EQ(hosted[1].firstWidth, 1024u);
    EXPECT_EQ(hosted[1].width, 800u);
}

// A plug-in asked before a sound one that never returns, that hands a
// system library a bad pointer, or that faults in its own code, whether
// asked for sizes or for a picture: the sound plug-in answers every file,
// the other is turned off and named once, and its host goes on or is
// started again.
TEST_F(HostedPlugins, APluginThatHangsOrFaultsCostsOnlyItself) {
    struct Case {
        const char* plugin;
        int notice;
        bool decodeFirst;
        const char* fault;  // TESTSPI_FAULT for the host
    } cases[] = {{"hanging", IDS_PLUGIN_HUNG, false, nullptr},
                 {"hanging", IDS_PLUGIN_HUNG, true, nullptr},
                 {"sysfault", IDS_PLUGIN_FAULTED, false, nullptr},
                 {"sysfault", IDS_PLUGIN_FAULTED, true, nullptr},
                 {"faulty", IDS_PLUGIN_FAULTED, false, "GetPictureInfo:access"},
                 {"faulty", IDS_PLUGIN_FAULTED, false, "IsSupported:illegal"},
                 {"faulty", IDS_PLUGIN_FAULTED, true, "GetPicture:divide"},
                 {"faulty", IDS_PLUGIN_FAULTED, true, "GetPicture:stack"}};
    HWND owner = CreateWindowA("STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.plugin) + (c.decodeFirst ? ", a picture first" : ", sizes first"));
        TearDown();
        plugins.clear();
        folder = std::make_unique<TempFolder>();
        const std::string bad = std::string(c.plugin) + TRAWLIX_PLUGIN_EXTENSION;
        const std::string dir = folderWith({c.plugin, "twinred"});
        SetEnvironmentVariableA("TESTSPI_FAULT", c.fault);  // for every host the case starts
        loadInOrder(dir, {bad, "twinred" TRAWLIX_PLUGIN_EXTENSION});
        NoticeWatch watch;
        noticeWatchBegin(watch);
        const std::string picture = dir + "\\a.twin";
        for (int round = 0; round < 2; ++round) {
            if (c.decodeFirst) {
                EXPECT_EQ(topLeftColour(spiDecode(picture.c_str(), owner)), 0xFF0000);
            }
            std::vector<SpiSizeAnswer> answers;
            EXPECT_EQ(sizes({"a.twin", "b.twin", "c.twin"}, answers, owner), 3u);
            for (const SpiSizeAnswer& a : answers) {
                EXPECT_EQ(a.matchedBy, 1);
                EXPECT_EQ(a.width, 800u);
            }
            if (!c.decodeFirst) {
                EXPECT_EQ(topLeftColour(spiDecode(picture.c_str(), owner)), 0xFF0000);
            }
        }
        noticeWatchEnd();
        SetEnvironmentVariableA("TESTSPI_FAULT", nullptr);
        EXPECT_EQ(plugins[0]->faulted, 1);
        EXPECT_EQ(plugins[0]->enabled, 0);
        EXPECT_EQ(plugins[1]->faulted, 0);
        char text[1024];
        snprintf(text, sizeof text, resString(c.notice), bad.c_str(), c.decodeFirst ? picture.c_str() : "a.twin");
        EXPECT_EQ(watch.count, 1);
        EXPECT_EQ(watch.text, text);
    }
    DestroyWindow(owner);
}

// A plug-in's own dialog runs in its host, owned by the caller's window;
// its answer comes back.
TEST_F(HostedPlugins, APluginsDialogRunsInItsHost) {
    const std::string dir = folderWith({"twinred", "noconfig"});
    loadInOrder(dir, {"twinred" TRAWLIX_PLUGIN_EXTENSION, "noconfig" TRAWLIX_PLUGIN_EXTENSION});
    HWND owner = CreateWindowA("STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(plugins[0]->hasDialog, 1);
    EXPECT_EQ(spiConfigure(*plugins[0], owner), 0);
    EXPECT_EQ(spiConfigure(*plugins[1], owner), kSusieNoDialog);
    DestroyWindow(owner);
}

// Stop during a plug-in that never returns ends the wait at once, with no
// time limit to run out, and turns no plug-in off: the user stopped.
TEST_F(HostedPlugins, StopDuringAHangEndsTheWaitAndTurnsNothingOff) {
    const std::string dir = folderWith({"hanging", "twinred"});
    loadInOrder(dir, {"hanging" TRAWLIX_PLUGIN_EXTENSION, "twinred" TRAWLIX_PLUGIN_EXTENSION}, INFINITE);
    static int asked;
    asked = 0;
    std::vector<SpiSizeAnswer> answers;
    // Stop is asked while the host works: the second time, the hang has begun.
    EXPECT_EQ(sizes({"a.twin", "b.twin"}, answers, nullptr, [](void*) { return ++asked >= 2; }), 0u);
    EXPECT_GE(asked, 2);
    EXPECT_EQ(plugins[0]->faulted, 0);
    EXPECT_EQ(plugins[0]->enabled, 1);
}

// Whether this system runs the other architecture's programs: its host,
// started bare, ends at once saying it was given nothing.
bool foreignHostRuns() {
    std::string exe = buildPath(sizeof(void*) == 8 ? "x86\\trawlix-spihost.exe" : "x64\\trawlix-spihost.exe");
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(exe.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return false;
    DWORD code = 0;
    WaitForSingleObject(info.hProcess, 60000);
    GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return code == 2;
}

// The other architecture's plug-in, beside one of this build's, listed in
// one list, asked for sizes and decoded through its own host.
TEST_F(HostedPlugins, EitherArchitectureUsesThePluginsOfTheOther) {
    if (!foreignHostRuns()) GTEST_SKIP() << "this system runs no programs of the other architecture";
    const std::string foreign = std::string("twinred") + kForeignExtension;
    const std::string dir = folderWith({"foreign:twinred", "twinblue"});
    loadInOrder(dir, {foreign, "twinblue" TRAWLIX_PLUGIN_EXTENSION});
    for (SusiePlugin* p : plugins) EXPECT_STREQ(p->description, "Trawlix test plug-in") << p->fileName;
    EXPECT_NE(plugins[0]->host, plugins[1]->host);
    std::vector<SpiSizeAnswer> answers;
    EXPECT_EQ(sizes({"a.twin", "b.twin"}, answers), 2u);
    EXPECT_EQ(answers[0].matchedBy, 0);
    EXPECT_EQ(answers[1].width, 800u);
    EXPECT_EQ(topLeftColour(spiDecode((dir + "\\a.twin").c_str())), 0xFF0000);
}

}  // namespace
