// The version reader on real files and the About box over a real owner.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "app/arch.h"
#include "dialogs/about.h"
#include "resource.h"
#include "support/notices.h"
#include "support/testdirs.h"
#include "support/windows.h"

namespace {

std::string versionText(const FileVersion& v) {
    return std::to_string(v.major) + "." + std::to_string(v.minor) + "." + std::to_string(v.build) + "." +
           std::to_string(v.revision);
}

TEST(VersionRead, ReadsTheFourPartsOrZerosWithoutAVersionResource) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    struct Case {
        std::string path;
        int result;
        const char* version;
    } cases[] = {
        {self, 1, "1.1.0.0"},  // this test links the program's own resources
        {buildFolder("testplugins") + "twinred" TRAWLIX_PLUGIN_EXTENSION, 0, "0.0.0.0"},
        {buildFolder("testplugins") + "no-such-file.dll", 0, "0.0.0.0"},
    };
    for (const Case& c : cases) {
        FileVersion version = {9, 9, 9, 9};
        EXPECT_EQ(versionRead(c.path.c_str(), version), c.result) << c.path;
        EXPECT_EQ(versionText(version), c.version) << c.path;
    }
}

TEST(AboutBox, ShowsTheVersionCentredOnASmallOwnerAndClosesEveryWay) {
    RecordingWindow owner(120, 80);  // smaller than the box
    RECT area;
    GetClientRect(owner.window, &area);
    MapWindowPoints(owner.window, nullptr, reinterpret_cast<POINT*>(&area), 2);
    const UINT closings[][2] = {{WM_COMMAND, IDOK}, {WM_COMMAND, IDCANCEL}, {WM_CLOSE, 0}};
    for (const auto& closing : closings) {
        std::string text;
        RECT box = {};
        dialogWatchBegin([&](HWND dialog, int) {
            text = windowText(GetDlgItem(dialog, IDC_VERSION_TEXT));
            GetWindowRect(dialog, &box);
            PostMessageA(dialog, closing[0], closing[1], 0);
        });
        INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUT), owner.window,
                                         aboutProc, 0);
        dialogWatchEnd();
        EXPECT_EQ(result, 0);
        EXPECT_EQ(text, "Version 1.1.0.0");
        EXPECT_NEAR((box.left + box.right) / 2.0, (area.left + area.right) / 2.0, 1.0);
        EXPECT_NEAR((box.top + box.bottom) / 2.0, (area.top + area.bottom) / 2.0, 1.0);
    }
}

}  // namespace
