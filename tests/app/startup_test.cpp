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
#include "support/testdirs.h"
#include "ui/mainwnd.h"

namespace {

constexpr DWORD kPatience = 20000;  // ms to wait for a window or the exit

struct WindowSearch {
    DWORD process;
    HWND found;
};

BOOL CALLBACK findVisible(HWND window, LPARAM context) {
    WindowSearch* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->process || !IsWindowVisible(window)) return TRUE;
    search->found = window;
    return FALSE;
}

class Startup : public ::testing::Test {
protected:
    void SetUp() override {
        exe = folder.path + "\\trawlix.exe";
        ini = folder.path + "\\trawlix.ini";
        ASSERT_TRUE(CopyFileA(buildPath("trawlix.exe").c_str(), exe.c_str(), FALSE));
        plugins = buildPath("plugins");
    }
    void TearDown() override {
        if (process.hProcess) {
            if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process.hProcess, 1);
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
        }
    }

    void start() {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        ASSERT_TRUE(CreateProcessA(exe.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                                   folder.path.c_str(), &startup, &process));
    }

    // The next visible top-level window of the program, or none after kPatience.
    HWND nextWindow() {
        for (DWORD waited = 0; waited < kPatience; waited += 50) {
            WindowSearch search = {process.dwProcessId, nullptr};
            EnumWindows(findVisible, reinterpret_cast<LPARAM>(&search));
            if (search.found) return search.found;
            if (WaitForSingleObject(process.hProcess, 50) == WAIT_OBJECT_0) return nullptr;
        }
        return nullptr;
    }

    static std::string classOf(HWND window) {
        char name[64] = {};
        GetClassNameA(window, name, sizeof name);
        return name;
    }

    // Expects a message box with the given text, answers it with button and
    // waits until it is gone.
    void answerBox(int textId, int button) {
        HWND box = nextWindow();
        ASSERT_NE(box, nullptr) << "expected the box of string " << textId;
        ASSERT_EQ(classOf(box), "#32770");
        EXPECT_EQ(messageBoxText(box), resString(textId));
        PostMessageA(box, WM_COMMAND, button, 0);
        waitGone(box);
    }

    // Expects the directory prompt, types text (none: cancels) and presses OK.
    void answerPrompt(const char* text) {
        HWND prompt = nextWindow();
        ASSERT_NE(prompt, nullptr) << "expected the directory prompt";
        ASSERT_NE(GetDlgItem(prompt, IDC_PATH_EDIT), nullptr);
        EXPECT_EQ(windowText(GetDlgItem(prompt, IDC_PROMPT_TEXT)), resString(IDS_PROMPT_PLUGIN_DIR));
        if (text) SendMessageA(GetDlgItem(prompt, IDC_PATH_EDIT), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
        PostMessageA(prompt, WM_COMMAND, text ? IDOK : IDCANCEL, 0);
        waitGone(prompt);
    }

    // Expects the main window and closes it as its close box would.
    void closeMainWindow() {
        HWND main = nextWindow();
        ASSERT_NE(main, nullptr) << "expected the main window";
        ASSERT_EQ(classOf(main), kMainClass);
        PostMessageA(main, WM_CLOSE, 0, 0);
    }

    void waitGone(HWND window) {
        for (DWORD waited = 0; IsWindow(window) && IsWindowVisible(window) && waited < kPatience; waited += 20) Sleep(20);
    }

    DWORD exitCode() {
        if (WaitForSingleObject(process.hProcess, kPatience) != WAIT_OBJECT_0) return ~0u;
        DWORD code = ~0u;
        GetExitCodeProcess(process.hProcess, &code);
        return code;
    }

    std::string read(const char* key) {
        char value[1024];
        GetPrivateProfileStringA("trawlix", key, "<absent>", value, sizeof value, ini.c_str());
        return value;
    }
    void write(const char* key, const std::string& value) {
        WritePrivateProfileStringA("trawlix", key, value.c_str(), ini.c_str());
    }

    TempFolder folder;
    std::string exe, ini, plugins;
    PROCESS_INFORMATION process = {};
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
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
        process = {};
    }
}

}  // namespace
