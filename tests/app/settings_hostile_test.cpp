// Settings files a user, another program or a bad disk may hand the
// program: overlong values, counts that are no counts, lists with gaps and
// duplicates, double-byte keys, bytes that are no text, a file that cannot be
// written. Each loads without harm (or is refused as corrupt), and what the
// program writes back loads again to the very same file.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "app/settings.h"
#include "spi/plugins.h"
#include "support/notices.h"
#include "support/testdirs.h"

namespace {

void resetSettings() {
    appSettings = AppSettings();
    conditionSets = nullptr;
}

std::string value(const std::string& ini, const char* key) {
    static char text[8192];
    GetPrivateProfileStringA(kIniSection, key, "<absent>", text, sizeof text, ini.c_str());
    return text;
}

struct Hostile {
    const char* what;
    std::string contents;
    bool corrupt;                  // refused with the corrupt-set message
    const char* key;               // what the written file must then hold, if anything
    std::string expected;
};

const std::string kLong300(300, 'p');
const std::string kLong2000(2000, 'n');
const std::string kHead = "[trawlix]\r\n";

const Hostile kCases[] = {
    {"paths of 300 and 2,000 characters are dropped, the next one kept",
     kHead + "recentScandir0=C:\\" + kLong300 + "\r\nrecentScandir1=C:\\" + kLong2000 + "\r\nrecentScandir2=C:\\ok\r\n",
     false, "recentScandir0", "C:\\ok"},
    {"a set name of 2,000 characters is kept whole",
     kHead + "ConditionSet0.Name=" + kLong2000 + "\r\nConditionSet0.0.width=1920\r\nConditionSet0.0.height=1080\r\n",
     false, "ConditionSet0.Name", kLong2000},
    {"counts and flags that are no numbers, negative or huge",
     kHead + "recentScandirItems=-7\r\nrecentCopydirItems=99999999999\r\nrecentMovedirItems=many\r\n"
             "FastScan=-1\r\nTBWallDefaultStyle=0x10\r\nHowtoWhenAlreadyExist=2147483648\r\n",
     false, "recentScandirItems", "-7"},
    {"a list with duplicates and a gap ends at the gap",
     kHead + "recentCopydir0=C:\\a\r\nrecentCopydir1=c:\\A\\\r\nrecentCopydir3=C:\\after-gap\r\n",
     false, "recentCopydir2", "<absent>"},
    {"a set whose conditions stop short and skip numbers",
     kHead + "ConditionSet0.Name=short\r\nConditionSet0.0.width=800\r\nConditionSet0.0.cond=77\r\n"
             "ConditionSet0.2.width=5\r\nConditionSet1.Name=next\r\nConditionSet1.0.width=-1\r\n",
     false, "ConditionSet1.0.width", "-1"},
    {"double-byte keys and values whose trail byte is a backslash",
     kHead + "recentScandir0=C:\\\x95\x5c\\\x83\x5c\r\n\x95\x5c=\x83\x5c\r\nConditionSet0.Name=\x95\x5c\r\n"
             "ConditionSet0.0.width=1\r\n",
     false, "ConditionSet0.Name", "\x95\x5c"},
    {"bytes that are no text at all",
     std::string("\x00\xff\xfe[\x01\x02=\x00\x00\x80\x81\x5c\r\r\n=[", 17) + std::string(3000, '\x9c'),
     false, nullptr, ""},
    {"a named set without a single condition",
     kHead + "ConditionSet0.Name=empty\r\nConditionSet0.0.height=5\r\n", true, nullptr, ""},
};

class HostileSettings : public ::testing::Test {
protected:
    void SetUp() override {
        resetSettings();
        spiList = nullptr;
    }
    void TearDown() override {
        settingsSaveTo((folder.path + "\\scratch.ini").c_str(), 1);  // frees every list
        resetSettings();
    }
    std::string path(const char* name) { return folder.path + "\\" + name; }
    TempFolder folder;
};

TEST_F(HostileSettings, LoadWithoutHarmAndWriteWhatLoadsTheSameAgain) {
    for (const Hostile& c : kCases) {
        SCOPED_TRACE(c.what);
        resetSettings();
        const std::string ini = path("hostile.ini"), first = path("first.ini"), second = path("second.ini");
        DeleteFileA(first.c_str());
        DeleteFileA(second.c_str());
        ASSERT_TRUE(writeFile(ini, c.contents));
        NoticeWatch watch;
        noticeWatchBegin(watch);
        int loaded = settingsLoadFrom(ini.c_str());
        noticeWatchEnd();
        if (c.corrupt) {
            EXPECT_EQ(loaded, 0);
            EXPECT_EQ(watch.count, 1);
            EXPECT_EQ(watch.caption, "FATAL ERROR");
            settingsSaveTo(path("scratch.ini").c_str(), 1);
            continue;
        }
        EXPECT_EQ(loaded, 1);
        EXPECT_EQ(watch.count, 0);
        settingsSaveTo(first.c_str(), 1);
        if (c.key) {
            EXPECT_EQ(value(first, c.key), c.expected);
        }
        resetSettings();
        ASSERT_EQ(settingsLoadFrom(first.c_str()), 1);
        settingsSaveTo(second.c_str(), 1);
        EXPECT_EQ(readFile(second), readFile(first));
    }
}

// A settings file that cannot be written at exit (read-only, or held by
// another program) is left as it was and the save comes back. A read-only
// attribute does not stop Wine running as root, so another program holding
// the file without sharing stands for both.
TEST_F(HostileSettings, AFileThatCannotBeWrittenAtExitIsLeftAsItWas) {
    const std::string ini = path("held.ini");
    const std::string contents = kHead + "FastScan=1\r\nrecentScandir0=C:\\walls\r\n";
    ASSERT_TRUE(writeFile(ini, contents));
    ASSERT_EQ(settingsLoadFrom(ini.c_str()), 1);
    appSettings.FastScan = 0;
    HANDLE held = CreateFileA(ini.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    settingsSaveTo(ini.c_str(), 1);
    CloseHandle(held);
    EXPECT_EQ(readFile(ini), contents);
}

}  // namespace
