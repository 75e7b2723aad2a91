// trawlix.exe started as a process with prepared settings files, its boxes
// and prompts answered from outside as a user would, judged by what it shows,
// how it ends and what lands in its settings file.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "app/arch.h"
#include "app/resstring.h"
#include "resource.h"
#include "support/notices.h"
#include "support/program.h"
#include "support/testdirs.h"
#include "ui/mainwnd.h"

namespace {

class Startup : public ::testing::Test {
protected:
    void start() { program.start(); }
    void answerBox(int textId, int button) { program.answerBox(resString(textId), button); }
    // The plug-in folder prompt: types text (none: cancels) and presses OK.
    void answerPrompt(const char* text) { program.answerPrompt(resString(IDS_PROMPT_PLUGIN_DIR), text); }
    void closeMainWindow() { program.close(); }
    DWORD exitCode() { return program.exitCode(); }
    std::string read(const char* key) { return program.read(key); }
    void write(const char* key, const std::string& value) { program.write(key, value); }

    Program program;
    const std::string& ini = program.ini;
    std::string plugins = buildPath("plugins");
};

TEST_F(Startup, WithoutSettingsItAsksForThePluginFolderAndCancelSearchesHere) {
    start();
    answerPrompt(nullptr);
    answerBox(IDS_NO_PLUGIN, IDNO);  // nothing beside the copied program
    closeMainWindow();
    EXPECT_EQ(exitCode(), 0u);
    EXPECT_EQ(read("SPIDir"), "<absent>");
    EXPECT_EQ(read("PreviewStretchMode"), "4");  // saved once at the end
}

TEST_F(Startup, AMissingPluginFolderIsReportedThenOffered) {
    write("SPIDir", "C:\\no\\such\\folder");
    start();
    answerBox(IDS_PLUGIN_CWD_FAILED, IDOK);
    answerBox(IDS_NO_PLUGIN, IDNO);
    closeMainWindow();
    EXPECT_EQ(exitCode(), 0u);
    EXPECT_EQ(read("SPIDir"), "C:\\no\\such\\folder");
}

TEST_F(Startup, AFolderWithoutPluginsPromptsAgainOnYes) {
    TempFolder empty;
    write("SPIDir", empty.path);
    start();
    answerBox(IDS_NO_PLUGIN, IDYES);
    answerPrompt(plugins.c_str());
    closeMainWindow();
    EXPECT_EQ(exitCode(), 0u);
    EXPECT_EQ(read("SPIDir"), plugins);
    char value[16];
    GetPrivateProfileStringA("plugins", "wic" TRAWLIX_PLUGIN_EXTENSION, "<absent>", value, sizeof value, ini.c_str());
    EXPECT_STREQ(value, "1");
}

TEST_F(Startup, ACorruptConditionSetEndsTheProgramWithoutSaving) {
    write("SPIDir", plugins);
    write("ConditionSet0.Name", "broken");
    std::string before = read("PreviewStretchMode");
    start();
    answerBox(IDS_CORRUPT_SET, IDOK);
    EXPECT_EQ(exitCode(), 0u);
    EXPECT_EQ(read("PreviewStretchMode"), before);
    EXPECT_EQ(read("ConditionSet0.Name"), "broken");
}

// The real program on hostile settings files: it starts, runs with what it
// could read, ends with 0 and writes a file that holds what it kept.
TEST_F(Startup, HostileSettingsFilesStillStartAndEnd) {
    const std::string spiDir = "SPIDir=" + plugins + "\r\n";
    const std::string longName(2000, 'n');
    struct Case {
        std::string contents;
        const char* key;
        std::string kept;
    } cases[] = {
        {std::string("\x00\xff\xfe\x01=\x80\x81\r\r\n", 11) + "\r\n[trawlix]\r\n" + spiDir, "PreviewStretchMode", "4"},
        {"[trawlix]\r\n" + spiDir + "recentScandir0=C:\\" + std::string(300, 'p') +
             "\r\nrecentScandirItems=-3\r\nConditionSet0.Name=" + longName + "\r\nConditionSet0.0.width=7\r\n",
         "ConditionSet0.Name", longName},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(writeFile(ini, c.contents));
        start();
        closeMainWindow();
        EXPECT_EQ(exitCode(), 0u);
        char value[4096];
        GetPrivateProfileStringA("trawlix", c.key, "<absent>", value, sizeof value, ini.c_str());
        EXPECT_EQ(value, c.kept) << c.key;
    }
}

}  // namespace
