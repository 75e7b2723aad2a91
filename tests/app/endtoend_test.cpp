// The whole program from its toolbars: trawlix.exe started with a prepared
// settings file and plug-in folder, driven from outside as a person drives
// it, judged by what lands on disk and in the settings file it writes.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "app/arch.h"
#include "app/resstring.h"
#include "app/text.h"
#include "fileops/wallpaper.h"
#include "resource.h"
#include "search/rowbatch.h"
#include "support/program.h"
#include "support/testdirs.h"

namespace {

using Files = std::map<std::string, std::string>;

// A BMP file as text, the form the file comparisons take.
std::string bmp(uint32_t width, uint32_t height, bool withPixels = false) {
    std::vector<unsigned char> bytes = bmpFile(width, height, withPixels);
    return std::string(bytes.begin(), bytes.end());
}

// A confirmation as the program words it: with a count, and a directory
// where the text has one.
std::string confirmation(int id, int count, const std::string& directory = "") {
    char buffer[2048];
    snprintf(buffer, sizeof buffer, resString(id), count, directory.c_str());
    return buffer;
}

class EndToEnd : public ::testing::Test {
protected:
    // Pictures: two of them at least 1280 x 720, one in a subfolder; the
    // stored set "wide" asks for exactly those.
    void SetUp() override {
        CreateDirectoryA((pictures.path + "\\sub").c_str(), nullptr);
        for (const auto& [name, bytes] : kPictures) ASSERT_TRUE(writeFile(pictures.path + "\\" + name, bytes));
        program.write("SPIDir", shippedPath("plugins"));
        program.write("FastScan", "1");
        program.write("ConditionSet0.Name", "wide");
        program.write("ConditionSet0.0.width", "1280");
        program.write("ConditionSet0.0.height", "720");
        program.write("ConditionSet0.0.cond", "2");  // "<=": at least this size
        program.write("recentScandir0", pictures.path);
        program.write("recentScandirRecurse0", "-2147483648");
    }

    // Starts the program and loads the stored set into the condition list.
    void start() {
        program.start();
        ASSERT_NE(program.mainWindow(), nullptr);
        program.click(CMD_CONDITION_SETS);
    }
    // Finds in the most recent search directory and checks every row found.
    void findAndCheckAll() {
        program.click(CMD_FIND);
        program.waitIdle();
        program.click(CMD_CHECK_STATE);  // none checked: checks them all
    }
    int resultRows() { return program.resultRows(); }
    // The file the program writes the wallpaper to, its folder made and the
    // file itself gone; "" when there is no such path.
    static std::string clearWallpaper() {
        char path[kPathSize] = "";
        if (wallpaperFilePath(path) != 1) return "";
        CreateDirectoryA(std::string(path, pathFileName(path) - path).c_str(), nullptr);
        DeleteFileA(path);
        return path;
    }
    // Wallpaper > Tile for the focused row; the file written must be a BMP
    // of width x height.
    void tileAndExpectWallpaper(const std::string& path, uint32_t width, uint32_t height) {
        program.choose(CMD_WALLPAPER, menuPresses(IDR_MENU_WALLPAPER, IDM_WALL_TILE));
        program.waitIdle();
        const std::string written = readFile(path);
        ASSERT_GE(written.size(), 54u);
        EXPECT_EQ(written.substr(0, 2), "BM");
        EXPECT_EQ(written.substr(18, 8), bmp(width, height).substr(18, 8));  // width and height
    }
    // Closes the program and expects it to end as it always does.
    void finish() {
        program.close();
        EXPECT_EQ(program.exitCode(), 0u);
    }

    const Files kPictures = {{"wide.bmp", bmp(1920, 1080)},
                             {"small.bmp", bmp(640, 480)},
                             {"sub\\big.bmp", bmp(2560, 1440)},
                             {"sub\\tall.bmp", bmp(1080, 1920)}};
    TempFolder pictures;
    Program program;
};

TEST_F(EndToEnd, FindAsksWhenToldToAndRemembersTheDirectoryWithItsBox) {
    TempFolder other;
    ASSERT_TRUE(writeFile(other.path + "\\only.bmp", bmp(1280, 720)));
    program.write("TBFindAlwaysAsk", "1");
    start();
    program.click(CMD_FIND);
    program.answerPrompt(resString(IDS_PROMPT_SEARCH), other.path.c_str(), true);
    program.waitIdle();
    EXPECT_EQ(resultRows(), 1);
    // A directory the list holds already, typed otherwise: searched as typed,
    // the list left as it was.
    program.click(CMD_FIND);
    program.answerPrompt(resString(IDS_PROMPT_SEARCH), (pictures.path + "\\").c_str(), true);
    program.waitIdle();
    EXPECT_EQ(resultRows(), 2);
    finish();
    EXPECT_EQ(program.read("recentScandir0"), other.path);
    EXPECT_EQ(program.read("recentScandirRecurse0"), "-2147483648");
    EXPECT_EQ(program.read("recentScandir1"), pictures.path);
}

// Another program reads the rows as it always has: texts through
// LVM_GETITEMTEXT, check marks through LVM_GETITEMSTATE; a click on a check
// box and Space change the mark it reads.
TEST_F(EndToEnd, AnotherProgramReadsTheRowsAndTheirMarksAsTheyChange) {
    start();
    findAndCheckAll();
    ASSERT_EQ(resultRows(), 2);
    std::vector<std::string> rows;
    for (int r = 0; r < 2; ++r) {
        std::string row;
        for (int c = 0; c < 5; ++c) row += (c ? "|" : "") + program.resultText(r, c);
        rows.push_back(row + "|" + std::to_string(program.resultCheck(r)));
    }
    std::sort(rows.begin(), rows.end());  // the walk's order is the file system's
    EXPECT_EQ(rows, (std::vector<std::string>{"big.bmp|2560 x 1440|54|" + pictures.path + "\\sub||2",
                                              "wide.bmp|1920 x 1080|54|" + pictures.path + "||2"}));
    program.clickCheckBox(1);
    EXPECT_TRUE(program.waitResultCheck(1, 1));
    pressKey(program.resultList(), VK_DOWN);  // the focus on the first row
    pressKey(program.resultList(), VK_SPACE);
    EXPECT_TRUE(program.waitResultCheck(0, 1));
    EXPECT_EQ(program.resultCheck(1), 1);
    finish();
}

TEST_F(EndToEnd, AConditionEnteredInTheStripFindsAPictureThatBecomesTheWallpaper) {
    const std::string picture = pictures.path + "\\sub\\tiny.bmp";
    ASSERT_TRUE(writeFile(picture, bmp(64, 48, true)));
    const std::string wallpaper = clearWallpaper();
    ASSERT_FALSE(wallpaper.empty());
    program.start();
    program.addCondition("64", "48", 0);  // "=="
    program.click(CMD_FIND);
    program.waitIdle();
    ASSERT_EQ(resultRows(), 1);
    pressKey(program.resultList(), VK_DOWN);  // the focus on the row
    tileAndExpectWallpaper(wallpaper, 64, 48);
    char value[MAX_PATH] = {};
    DWORD size = sizeof value;
    RegGetValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "TileWallpaper", RRF_RT_REG_SZ, nullptr, value, &size);
    EXPECT_STREQ(value, "1");
    finish();
}

// WebP, AVIF, HEIC and JPEG XL pictures are found with the Find button
// through the shipped plug-in; one of each shows in the preview turned as
// its file says, each of the last three in turn unlike the one before it,
// and becomes the wallpaper at the size shown.
TEST_F(EndToEnd, TheNewFormatsAreFoundPreviewedAndBecomeTheWallpaper) {
    const std::vector<ModernPicture> all = modernPictures();
    ASSERT_EQ(all.size(), 21u);
    TempFolder modern;
    for (const ModernPicture& m : all) {
        ASSERT_TRUE(CopyFileA((buildFolder("testpictures") + "modern\\" + m.name).c_str(),
                              (modern.path + "\\" + m.name).c_str(), FALSE));
    }
    const std::string wallpaper = clearWallpaper();
    ASSERT_FALSE(wallpaper.empty());
    program.write("FastScan", "0");
    program.write("recentScandir0", modern.path);
    program.start();
    program.addCondition("1", "1", 2);  // "<=": every picture
    program.click(CMD_FIND);
    program.waitIdle();
    ASSERT_EQ(resultRows(), 21);
    for (const char* name : {"lossless.webp", "rotated.heic", "rotated.avif", "rotated.jxl"}) {
        SCOPED_TRACE(name);
        int row = 0;
        while (row < 21 && program.resultText(row, 0) != name) ++row;
        ASSERT_LT(row, 21);
        const ModernPicture& m = *std::find_if(all.begin(), all.end(), [&](const ModernPicture& p) { return p.name == name; });
        pressKey(program.resultList(), VK_HOME);
        for (int i = 0; i < row; ++i) pressKey(program.resultList(), VK_DOWN);  // the focus on it
        EXPECT_TRUE(program.waitPreviewOf(m.corners)) << m.corners;
        tileAndExpectWallpaper(wallpaper, m.width, m.height);
    }
    finish();
}

TEST_F(EndToEnd, CopyWithEachClashPolicyChosenFromTheSettingsMenu) {
    TempFolder target;
    program.write("recentCopydir0", target.path);
    const std::string old = "an older picture";
    ASSERT_TRUE(writeFile(target.path + "\\wide.bmp", old));
    const std::string wide = kPictures.at("wide.bmp"), big = kPictures.at("sub\\big.bmp");
    struct Case {
        int item;
        Files after;
    } cases[] = {
        {IDM_EXIST_SKIP, {{"wide.bmp", old}, {"big.bmp", big}}},
        {IDM_EXIST_RENAME, {{"wide.bmp", old}, {"wide(1).bmp", wide}, {"big.bmp", big}, {"big(1).bmp", big}}},
        {IDM_EXIST_OVERWRITE, {{"wide.bmp", wide}, {"wide(1).bmp", wide}, {"big.bmp", big}, {"big(1).bmp", big}}},
    };
    start();
    findAndCheckAll();
    ASSERT_EQ(resultRows(), 2);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        program.choose(CMD_SETTINGS, menuPresses(IDR_MENU_SETTINGS, c.item));
        program.click(CMD_COPY);
        program.answerBox(confirmation(IDS_CONFIRM_COPY, 2, target.path), IDYES);
        program.waitIdle();
        EXPECT_EQ(folderFiles(target.path), c.after);
        program.choose(CMD_CHECK_STATE, menuPresses(IDR_MENU_CHECK, IDM_CHECK_ALL));  // copied rows were unchecked
    }
    finish();
    EXPECT_EQ(program.read("HowtoWhenAlreadyExist"), "1");
}

TEST_F(EndToEnd, MoveToAPromptedDestinationEmptiesTheListAndRemembersIt) {
    TempFolder target;
    start();
    findAndCheckAll();
    program.click(CMD_MOVE);  // no recent move directory: asks
    program.answerPrompt(resString(IDS_PROMPT_MOVE), target.path.c_str());
    program.answerBox(confirmation(IDS_CONFIRM_MOVE, 2, target.path), IDYES);
    program.waitIdle();
    EXPECT_EQ(resultRows(), 0);
    EXPECT_EQ(folderFiles(target.path), (Files{{"wide.bmp", kPictures.at("wide.bmp")},
                                               {"big.bmp", kPictures.at("sub\\big.bmp")}}));
    EXPECT_EQ(folderFiles(pictures.path), (Files{{"small.bmp", kPictures.at("small.bmp")}}));
    finish();
    EXPECT_EQ(program.read("recentMovedir0"), target.path);
}

TEST_F(EndToEnd, TrashOrDeleteByShiftAndTheSettingAndTheMenuIgnoresBoth) {
    struct Case {
        const char* trashIsDelete;
        bool shift;
        int menuItem;  // 0: the button's face
        bool erase;
    } cases[] = {
        {"0", false, 0, false}, {"0", true, 0, true}, {"1", false, 0, true}, {"1", true, 0, false},
        {"1", false, IDM_TRASH_RECYCLE, false},      {"0", false, IDM_TRASH_ERASE, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.trashIsDelete) + (c.shift ? " shift " : " ") + std::to_string(c.menuItem));
        for (const auto& [name, bytes] : kPictures) ASSERT_TRUE(writeFile(pictures.path + "\\" + name, bytes));
        program.write("TBTrashIsDelete", c.trashIsDelete);
        start();
        findAndCheckAll();
        if (c.menuItem) {
            program.choose(CMD_TRASH, menuPresses(IDR_MENU_TRASH, c.menuItem));
        } else if (c.shift) {
            program.shiftClick(CMD_TRASH);
        } else {
            program.click(CMD_TRASH);
        }
        program.answerBox(confirmation(c.erase ? IDS_CONFIRM_DELETE : IDS_CONFIRM_TRASH, 2), IDYES);
        program.waitIdle();
        EXPECT_EQ(resultRows(), 0);
        EXPECT_EQ(folderFiles(pictures.path), (Files{{"small.bmp", kPictures.at("small.bmp")}}));
        finish();
    }
}

TEST_F(EndToEnd, ARecentDirectoryChosenMovesToTheFrontAndWithShiftGoes) {
    TempFolder other;
    ASSERT_TRUE(writeFile(other.path + "\\only.bmp", bmp(1280, 720)));
    program.write("recentScandir1", other.path);
    program.write("recentScandirRecurse1", "0");
    start();
    program.choose(CMD_FIND, menuEntryPresses(IDR_MENU_SEARCH, 1));  // other: to the front, searched
    program.waitIdle();
    EXPECT_EQ(resultRows(), 1);
    program.choose(CMD_FIND, menuEntryPresses(IDR_MENU_SEARCH, 1), true);  // pictures: removed, nothing runs
    program.waitIdle();
    EXPECT_EQ(resultRows(), 1);
    finish();
    EXPECT_EQ(program.read("recentScandir0"), other.path);
    EXPECT_EQ(program.read("recentScandir1"), "<absent>");
}

TEST_F(EndToEnd, ConditionSetsAreSavedLoadedAndDeletedAfterAsking) {
    const std::string name(300, 's');  // longer than any fixed buffer of the question
    start();
    program.choose(CMD_CONDITION_SETS, menuPresses(IDR_MENU_SETS, IDM_FIRST));
    HWND strip = program.nextDialog();
    ASSERT_NE(strip, nullptr);
    SendDlgItemMessageA(strip, IDC_SET_NAME_EDIT, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
    program.finishDialog(strip, IDOK);
    // The sets are now: the new one, "wide". Choosing "wide" brings it forward.
    program.choose(CMD_CONDITION_SETS, menuEntryPresses(IDR_MENU_SETS, 1));
    program.choose(CMD_CONDITION_SETS, menuEntryPresses(IDR_MENU_SETS, 1), true);
    char question[1024];
    snprintf(question, sizeof question, resString(IDS_CONFIRM_DELETE_SET), name.c_str());
    program.answerBox(question, IDNO);
    program.choose(CMD_CONDITION_SETS, menuEntryPresses(IDR_MENU_SETS, 1), true);
    program.answerAnyBox(IDYES);
    program.waitIdle();
    finish();
    EXPECT_EQ(program.read("ConditionSet0.Name"), "wide");
    EXPECT_EQ(program.read("ConditionSet1.Name"), "<absent>");
}

TEST_F(EndToEnd, TheSettingsMenuReopensAfterEachChoiceUntilItsLoopIsTurnedOff) {
    program.write("reShowSetting", "1");
    start();
    program.choose(CMD_SETTINGS, menuPresses(IDR_MENU_SETTINGS, IDM_FIND_ALWAYS_ASKS));
    program.pick(menuPresses(IDR_MENU_SETTINGS, IDM_FAST_SCAN));  // the menu came back
    program.pick(menuPresses(IDR_MENU_SETTINGS, IDM_RESHOW_SETTINGS));
    EXPECT_FALSE(program.menuOpen());
    // Written at once by the write-now item, before the program ends.
    program.openMenu(CMD_SETTINGS);
    program.pick(menuLastPresses(IDR_MENU_SETTINGS), true);
    program.waitIdle();
    EXPECT_EQ(program.read("TBFindAlwaysAsk"), "1");
    EXPECT_EQ(program.read("FastScan"), "0");
    EXPECT_EQ(program.read("reShowSetting"), "0");
    finish();
}

}  // namespace

// Two plug-ins of the kind that brought the program down, asked before a
// sound one: one never returns, one hands a system library a bad pointer.
// Find names each once and lists every picture through the sound one; with
// no time limit to run out, Stop ends a search held by the hung plug-in and
// the program closes as always.
TEST_F(EndToEnd, PluginsThatHangOrFaultInASystemLibraryCostOnlyThemselves) {
    TempFolder plugins, twins;
    const std::string ext = TRAWLIX_PLUGIN_EXTENSION;
    int order = 0;
    for (const char* name : {"hanging", "sysfault", "twinred"}) {
        const std::string file = name + ext;
        ASSERT_TRUE(CopyFileA((buildFolder("testplugins") + file).c_str(), (plugins.path + "\\" + file).c_str(), FALSE));
        WritePrivateProfileStringA("plugins", file.c_str(), std::to_string(order++ * 2 + 1).c_str(), program.ini.c_str());
    }
    for (const char* name : {"a.twin", "b.twin", "c.twin"}) ASSERT_TRUE(writeFile(twins.path + "\\" + name, "TWIN"));
    program.write("SPIDir", plugins.path);
    program.write("FastScan", "0");
    program.write("recentScandir0", twins.path);
    program.write("PluginTimeLimit", "3");
    program.start();
    program.addCondition("800", "600", 0);  // "=="
    program.click(CMD_FIND);
    std::vector<std::string> notices = {program.answerAnyBox(IDOK), program.answerAnyBox(IDOK)};
    program.waitIdle();
    std::sort(notices.begin(), notices.end());
    char hung[1024], faulted[1024];
    snprintf(hung, sizeof hung, resString(IDS_PLUGIN_HUNG), ("hanging" + ext).c_str(), "a.twin");
    snprintf(faulted, sizeof faulted, resString(IDS_PLUGIN_FAULTED), ("sysfault" + ext).c_str(), "a.twin");
    std::vector<std::string> expected = {hung, faulted};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(notices, expected);
    ASSERT_EQ(resultRows(), 3);
    for (int row = 0; row < 3; ++row) EXPECT_EQ(program.resultText(row, kResultColumnHandledBy), "twinred" + ext);
    finish();

    // Again with the hung plug-in turned on and given all the time there
    // is; it leaves a mark once it hangs, and Stop comes after that.
    program.write("PluginTimeLimit", "3600");
    WritePrivateProfileStringA("plugins", ("hanging" + ext).c_str(), "1", program.ini.c_str());
    const std::string mark = twins.path + "\\hanging.mark";
    SetEnvironmentVariableA("TESTSPI_HANG_MARK", mark.c_str());
    program.start();
    SetEnvironmentVariableA("TESTSPI_HANG_MARK", nullptr);
    program.addCondition("800", "600", 0);
    program.click(CMD_FIND);
    for (int waited = 0; waited < 1200 && GetFileAttributesA(mark.c_str()) == INVALID_FILE_ATTRIBUTES; ++waited)
        Sleep(50);
    ASSERT_NE(GetFileAttributesA(mark.c_str()), INVALID_FILE_ATTRIBUTES) << "the plug-in was never asked";
    program.click(CMD_STOP);
    program.waitIdle();
    finish();
}
