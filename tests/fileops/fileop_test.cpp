// Copy, move, trash and delete over real files in a real main window: what
// lands where, which rows stay, and that no file is lost or overwritten
// unless the clash policy says so.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/resstring.h"
#include "app/settings.h"
#include "app/text.h"
#include "fileops/fileop.h"
#include "resource.h"
#include "support/notices.h"
#include "support/testdirs.h"
#include "support/windows.h"
#include "ui/launch.h"
#include "ui/lists.h"
#include "ui/resultlist.h"
#include "ui/mainwnd.h"

namespace {

using Files = std::map<std::string, std::string>;

const char kTransferFailed[] = "SHFileOperation(FO_COPY/FO_MOVE) Failed!!\ncontinue?";
const char kTrashFailed[] = "SHFileOperation(FO_DELETE) Failed!!\nContinue?";

// A picture too large for the small disks, every byte telling where it stands.
std::string bigPicture(char seed) {
    std::string bytes(200000, seed);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(seed + i * 7 + i / 251);
    return bytes;
}

// A small disk that tests/fileops/mounts.sh made for this run ("full",
// "readonly", "fullbin"), or "" when there is none (not root).
std::string smallDisk(const char* name) {
    std::string path = buildPath((std::string("mounts\\") + name).c_str());
    ULARGE_INTEGER total = {};
    if (!GetDiskFreeSpaceExA((path + "\\").c_str(), nullptr, &total, nullptr) || total.QuadPart > (1u << 20))
        return "";
    return path;
}

class FileOps : public ::testing::Test {
protected:
    void SetUp() override {
        window = testMainWindowOpen();
        ASSERT_NE(window, nullptr);
        list = mainState(window)->resultList;
        saved = appSettings;
        appSettings.UncheckWhenFOPSuccessful = 1;
    }
    void TearDown() override {
        appSettings.HowtoWhenAlreadyExist = saved.HowtoWhenAlreadyExist;
        appSettings.UncheckWhenFOPSuccessful = saved.UncheckWhenFOPSuccessful;
        testMainWindowClose(window);
    }

    // A row for each file of files (written into from), checked.
    void rowsFor(const std::string& from, const Files& files) {
        for (const auto& [name, content] : files) {
            ASSERT_TRUE(writeFile(from + "\\" + name, content));
            testAddResults(window, {{name, "", "", from, ""}});
            testSetResultCheck(window, listRowCount(list) - 1, kCheckImageChecked);
        }
    }
    void uncheck(const std::string& name) {
        for (int r = 0; r < listRowCount(list); ++r)
            if (listCellText(list, r, 0) == name) testSetResultCheck(window, r, kCheckImageUnchecked);
    }
    // The rows in order, a checked one marked with "*", as the list answers
    // another program.
    std::vector<std::string> rows() {
        std::vector<std::string> all;
        for (int r = 0; r < listRowCount(list); ++r) {
            UINT image = static_cast<UINT>(SendMessageA(list, LVM_GETITEMSTATE, r, LVIS_STATEIMAGEMASK)) >> 12;
            all.push_back(listCellText(list, r, 0) + (image == kCheckImageChecked ? "*" : ""));
        }
        return all;
    }
    // Launches, answering the message boxes in turn with answers (the
    // confirmation first; No past the end), and waits for the worker.
    // Returns the boxes' texts.
    std::vector<std::string> run(std::function<void()> launch, std::vector<int> answers) {
        std::vector<std::string> texts;
        dialogWatchBegin([&](HWND box, int index) {
            texts.push_back(messageBoxText(box));
            PostMessageA(box, WM_COMMAND, index < static_cast<int>(answers.size()) ? answers[index] : IDNO, 0);
        });
        launch();
        DWORD until = GetTickCount() + 120000;
        while (mainState(window)->worker.id && GetTickCount() < until) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            pumpMessages();
        }
        dialogWatchEnd();
        EXPECT_EQ(mainState(window)->worker.id, 0u) << "the worker did not end";
        EXPECT_TRUE(IsWindowEnabled(list));
        return texts;
    }

    HWND window = nullptr;
    HWND list = nullptr;
    AppSettings saved;
    TempFolder from;
    TempFolder to;
};

TEST_F(FileOps, EachClashPolicyKeepsEveryFileItDoesNotReplace) {
    const Files sources = {{"lake.png", "new lake"}, {"sunset.jpg", "new sunset"}};
    const Files held = {{"sunset(1).jpg", "old sunset 1"}, {"sunset.jpg", "old sunset"}};
    struct Case {
        int32_t policy;
        Files after;
        std::vector<std::string> rows;
    } cases[] = {
        {kClashRename,
         {{"lake.png", "new lake"}, {"sunset(1).jpg", "old sunset 1"}, {"sunset(2).jpg", "new sunset"},
          {"sunset.jpg", "old sunset"}},
         {"lake.png", "sunset.jpg"}},
        {kClashOverwrite,
         {{"lake.png", "new lake"}, {"sunset(1).jpg", "old sunset 1"}, {"sunset.jpg", "new sunset"}},
         {"lake.png", "sunset.jpg"}},
        {kClashSkip,
         {{"lake.png", "new lake"}, {"sunset(1).jpg", "old sunset 1"}, {"sunset.jpg", "old sunset"}},
         {"lake.png", "sunset.jpg*"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.policy);
        TempFolder source, target;
        resultListClear(*mainState(window)->results);
        rowsFor(source.path, sources);
        for (const auto& [name, content] : held) writeFile(target.path + "\\" + name, content);
        appSettings.HowtoWhenAlreadyExist = c.policy;
        std::string destination = target.path;
        auto texts = run([&] { launchFileAction(*mainState(window), kFileOpCopy, destination.data(), 0); }, {IDYES});
        EXPECT_EQ(texts.size(), 1u);  // the confirmation only
        EXPECT_EQ(folderFiles(target.path), c.after);
        EXPECT_EQ(folderFiles(source.path), sources);
        EXPECT_EQ(rows(), c.rows);
    }
}

TEST_F(FileOps, MovingThreeOfFiveRowsKeepsTheOtherTwoInOrder) {
    rowsFor(from.path, {{"a.jpg", "a"}, {"b.jpg", "b"}, {"c.jpg", "c"}, {"d.jpg", "d"}, {"e.jpg", "e"}});
    uncheck("c.jpg");
    uncheck("e.jpg");
    std::string destination = to.path;
    run([&] { launchFileAction(*mainState(window), kFileOpMove, destination.data(), 0); }, {IDYES});
    EXPECT_EQ(rows(), (std::vector<std::string>{"c.jpg", "e.jpg"}));
    EXPECT_EQ(folderFiles(to.path), (Files{{"a.jpg", "a"}, {"b.jpg", "b"}, {"d.jpg", "d"}}));
    EXPECT_EQ(folderFiles(from.path), (Files{{"c.jpg", "c"}, {"e.jpg", "e"}}));
}

// The main window's procedure, with Stop pressed as the worker asks for
// its stopAt-th row.
WNDPROC mainProc = nullptr;
int requests = 0, stopAt = 0;
LRESULT CALLBACK stoppingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WMU_RESULTS_NEXT && ++requests == stopAt) SendMessageA(window, WM_COMMAND, CMD_STOP, 0);
    return CallWindowProcA(mainProc, window, message, wParam, lParam);
}

// Stop during a move: the rows done are whole at the destination and gone
// from the list, the rest whole where they were and still checked, no file
// cut short anywhere; the status bar says the move was stopped.
TEST_F(FileOps, StopEndsAMoveBetweenRows) {
    Files sources, moved, kept;
    std::vector<std::string> left;
    for (int i = 0; i < 40; ++i) {
        char name[16];
        snprintf(name, sizeof name, "p%02d.jpg", i);
        sources[name] = bigPicture(static_cast<char>('a' + i));
        (i < 9 ? moved : kept)[name] = sources[name];
        if (i >= 9) left.push_back(std::string(name) + "*");
    }
    rowsFor(from.path, sources);
    requests = 0;
    stopAt = 10;  // rows 1 to 9 are moved, the 10th is handed out and left
    mainProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(stoppingProc)));
    std::string destination = to.path;
    run([&] { launchFileAction(*mainState(window), kFileOpMove, destination.data(), 0); }, {IDYES});
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(mainProc));
    EXPECT_EQ(folderFiles(to.path), moved);
    EXPECT_EQ(folderFiles(from.path), kept);
    EXPECT_EQ(rows(), left);
    char status[256] = {};
    SendMessageA(mainState(window)->statusBar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(status));
    EXPECT_STREQ(status, resString(IDS_ACTION_STOPPED));
}

TEST_F(FileOps, ALockedFileFailsItsRowAndTheAnswerDecidesTheRest) {
    struct Case {
        int toTrash;
        int answer;
        const char* failure;
        std::vector<std::string> rows;
    } cases[] = {
        {1, IDYES, "SHFileOperation(FO_DELETE) Failed!!\nContinue?", {"2.jpg*"}},
        {1, IDNO, "SHFileOperation(FO_DELETE) Failed!!\nContinue?", {"2.jpg*", "3.jpg*"}},
        {0, IDYES, "DeleteFile Failed!!\nContinue?", {"2.jpg*"}},
        {0, IDNO, "DeleteFile Failed!!\nContinue?", {"2.jpg*", "3.jpg*"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.toTrash) + " " + std::to_string(c.answer));
        TempFolder folder;
        resultListClear(*mainState(window)->results);
        rowsFor(folder.path, {{"1.jpg", "1"}, {"2.jpg", "2"}, {"3.jpg", "3"}});
        HANDLE lock = CreateFileA((folder.path + "\\2.jpg").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(lock, INVALID_HANDLE_VALUE);
        auto texts = run([&] { launchFileAction(*mainState(window), kFileOpDelete, nullptr, c.toTrash); }, {IDYES, c.answer});
        CloseHandle(lock);
        ASSERT_EQ(texts.size(), 2u);
        EXPECT_EQ(texts[1], c.failure);
        EXPECT_EQ(rows(), c.rows);
        Files left = c.answer == IDYES ? Files{{"2.jpg", "2"}} : Files{{"2.jpg", "2"}, {"3.jpg", "3"}};
        EXPECT_EQ(folderFiles(folder.path), left);
    }
}

TEST_F(FileOps, AMissingNestedDestinationIsMadeOnlyWhenTheUserAgrees) {
    for (int answer : {IDYES, IDNO}) {
        resultListClear(*mainState(window)->results);
        TempFolder source, base;
        rowsFor(source.path, {{"sunset.jpg", "sun"}});
        std::string nested = base.path + "\\new\\deeper\\dir";
        std::string destination = nested + "\\";
        auto texts = run([&] { launchFileAction(*mainState(window), kFileOpCopy, destination.data(), 0); }, {IDYES, answer});
        ASSERT_EQ(texts.size(), 2u);
        EXPECT_EQ(texts[1], resString(IDS_CREATE_DESTINATION));
        EXPECT_EQ(std::string(destination.c_str()), nested);  // the trailing backslash went, in the caller's text
        if (answer == IDYES) {
            EXPECT_EQ(folderFiles(nested), (Files{{"sunset.jpg", "sun"}}));
        } else {
            EXPECT_EQ(GetFileAttributesA((base.path + "\\new").c_str()), INVALID_FILE_ATTRIBUTES);
            EXPECT_EQ(rows(), (std::vector<std::string>{"sunset.jpg*"}));
        }
    }
}

TEST_F(FileOps, ATargetPastThePathLimitFailsThatRowAndTouchesNothingElse) {
    // A destination of 240 characters: "a.jpg" fits beside it, the long name does not.
    std::string destination = to.path + "\\" + std::string(239 - to.path.size(), 'd');
    ASSERT_TRUE(CreateDirectoryA(destination.c_str(), nullptr));
    std::string longName = std::string(30, 'n') + ".jpg";
    rowsFor(from.path, {{longName, "long"}, {"a.jpg", "a"}});
    // And a source whose folder alone is past the limit.
    std::string deep = from.path + "\\" + std::string(300, 'x');
    testAddResults(window, {{"b.jpg", "", "", deep, ""}});
    testSetResultCheck(window, 2, kCheckImageChecked);

    auto texts = run([&] { launchFileAction(*mainState(window), kFileOpMove, destination.data(), 0); }, {IDYES, IDYES, IDYES});
    EXPECT_EQ(texts, (std::vector<std::string>{texts.at(0), kTransferFailed, kTransferFailed}));
    EXPECT_EQ(folderFiles(destination), (Files{{"a.jpg", "a"}}));
    EXPECT_EQ(folderFiles(from.path), (Files{{longName, "long"}}));
    EXPECT_EQ(rows(), (std::vector<std::string>{longName + "*", "b.jpg*"}));
}

TEST_F(FileOps, ADriveRootKeepsItsBackslash) {
    const std::string name = "trawlix-root-" + std::to_string(GetCurrentProcessId()) + ".jpg";
    rowsFor(from.path, {{name, "root"}});
    std::string destination = "C:\\";
    run([&] { launchFileAction(*mainState(window), kFileOpCopy, destination.data(), 0); }, {IDYES});
    EXPECT_EQ(destination, "C:\\");
    EXPECT_EQ(readFile("C:\\" + name), "root");
    DeleteFileA(("C:\\" + name).c_str());
}

TEST_F(FileOps, NothingCheckedSaysSoAndStartsNothing) {
    rowsFor(from.path, {{"a.jpg", "a"}});
    uncheck("a.jpg");
    auto texts = run([&] { launchFileAction(*mainState(window), kFileOpDelete, nullptr, 0); }, {IDOK});
    EXPECT_EQ(texts, (std::vector<std::string>{resString(IDS_NO_CHECKED)}));
    EXPECT_EQ(folderFiles(from.path), (Files{{"a.jpg", "a"}}));
}

TEST(FileOpFreeName, NumbersOnlyTheFileNameBeforeItsExtension) {
    TempFolder folder;
    CreateDirectoryA((folder.path + "\\my.dir").c_str(), nullptr);
    for (const char* taken : {"sunset.jpg", "sunset(1).jpg", "my.dir\\photo", ".profile", "a.tar.gz"})
        writeFile(folder.path + "\\" + taken, "x");
    struct Case {
        const char* name;
        const char* expected;
    };
    std::vector<Case> cases = {
        {"sunset.jpg", "sunset(2).jpg"},
        {"my.dir\\photo", "my.dir\\photo(1)"},
        {".profile", ".profile(1)"},
        {"a.tar.gz", "a.tar(1).gz"},
    };
    // A name ending in a character whose second byte is a backslash.
    if (GetACP() == 932 && writeFile(folder.path + "\\x\x95\x5C", "x")) cases.push_back({"x\x95\x5C", "x\x95\x5C(1)"});
    for (const Case& c : cases) {
        char target[kPathSize];
        ASSERT_TRUE(strCopyFit(target, sizeof target, (folder.path + "\\" + c.name).c_str()));
        EXPECT_EQ(fileOpFreeName(target, sizeof target), 1);
        EXPECT_EQ(std::string(target), folder.path + "\\" + c.expected);
    }
    // No room for "(1)": the target stays as it was.
    std::string full = folder.path + "\\sunset.jpg";
    std::vector<char> tight(full.size() + 3, '\0');  // two bytes short of "(1)"
    full.copy(tight.data(), full.size());
    EXPECT_EQ(fileOpFreeName(tight.data(), tight.size()), 0);
    EXPECT_EQ(std::string(tight.data()), full);
}

TEST_F(FileOps, AFullOrReadOnlyDiskOrALockedSourceFailsItsRowAndLosesNothing) {
    const std::string small = "a small picture", big = bigPicture('b');
    const Files sources = {{"a.jpg", small}, {"b.jpg", big}};
    struct Case {
        const char* disk;  // none: an ordinary folder
        uint32_t operation;
        int32_t policy;
        bool lockBig;
        Files held, after;
        std::vector<std::string> rows;
    } cases[] = {
        {"full", kFileOpCopy, kClashRename, false, {}, {{"a.jpg", small}}, {"a.jpg", "b.jpg*"}},
        {"full", kFileOpMove, kClashRename, false, {}, {{"a.jpg", small}}, {"b.jpg*"}},
        // The old file stays whole when its replacement does not fit.
        {"full", kFileOpCopy, kClashOverwrite, false, {{"b.jpg", "old"}}, {{"a.jpg", small}, {"b.jpg", "old"}},
         {"a.jpg", "b.jpg*"}},
        {"readonly", kFileOpCopy, kClashRename, false, {}, {}, {"a.jpg*", "b.jpg*"}},
        {"readonly", kFileOpMove, kClashOverwrite, false, {}, {}, {"a.jpg*", "b.jpg*"}},
        {nullptr, kFileOpMove, kClashRename, true, {}, {{"a.jpg", small}}, {"b.jpg*"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.disk ? c.disk : "folder") + " " + std::to_string(c.operation) + " " +
                     std::to_string(c.policy));
        TempFolder source, folder;
        std::string destination = c.disk ? smallDisk(c.disk) : folder.path;
        if (destination.empty()) GTEST_SKIP() << "no small disks were mounted (tests/fileops/mounts.sh needs root)";
        for (const auto& [name, bytes] : folderFiles(destination)) DeleteFileA((destination + "\\" + name).c_str());
        for (const auto& [name, bytes] : c.held) ASSERT_TRUE(writeFile(destination + "\\" + name, bytes));
        resultListClear(*mainState(window)->results);
        rowsFor(source.path, sources);
        HANDLE lock = c.lockBig ? CreateFileA((source.path + "\\b.jpg").c_str(), GENERIC_READ, 0, nullptr,
                                              OPEN_EXISTING, 0, nullptr)
                                : INVALID_HANDLE_VALUE;
        appSettings.HowtoWhenAlreadyExist = c.policy;
        auto texts = run(
            [&] {
                if (c.operation == kFileOpCopy) launchFileAction(*mainState(window), kFileOpCopy, destination.data(), 0);
                else launchFileAction(*mainState(window), kFileOpMove, destination.data(), 0);
            },
            {IDYES, IDYES, IDYES});
        if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);
        // The confirmation, then one failure question for each row that did not arrive.
        size_t failed = 0;
        for (const std::string& row : c.rows) failed += row.back() == '*';
        ASSERT_EQ(texts.size(), 1 + failed);
        for (size_t i = 1; i < texts.size(); ++i) EXPECT_EQ(texts[i], kTransferFailed);
        EXPECT_EQ(folderFiles(destination), c.after);
        Files left = sources;
        if (c.operation == kFileOpMove)
            for (const auto& [name, bytes] : c.after) left.erase(name);
        EXPECT_EQ(folderFiles(source.path), left);
        EXPECT_EQ(rows(), c.rows);
    }
}

TEST_F(FileOps, SameNamedFilesFromTwoFoldersBothArriveWhateverThePolicy) {
    for (int32_t policy : {kClashRename, kClashOverwrite, kClashSkip}) {
        SCOPED_TRACE(policy);
        TempFolder source, target;
        ASSERT_TRUE(CreateDirectoryA((source.path + "\\sub").c_str(), nullptr));
        resultListClear(*mainState(window)->results);
        rowsFor(source.path, {{"a.bmp", "first"}});
        rowsFor(source.path + "\\sub", {{"a.bmp", "second"}});
        appSettings.HowtoWhenAlreadyExist = policy;
        std::string destination = target.path;
        auto texts = run([&] { launchFileAction(*mainState(window), kFileOpMove, destination.data(), 0); }, {IDYES});
        EXPECT_EQ(texts.size(), 1u);
        EXPECT_EQ(folderFiles(target.path), (Files{{"a.bmp", "first"}, {"a(1).bmp", "second"}}));
        EXPECT_EQ(folderFiles(source.path), Files{});
        EXPECT_EQ(rows(), std::vector<std::string>{});
    }
}

// Run by the test entries that point the recycle bin (XDG_DATA_HOME) where
// it cannot be made ("none") or at a full disk ("full").
TEST_F(FileOps, TrashThatTheBinCannotTakeKeepsEveryFileAndRow) {
    char binCase[16] = {};
    if (!GetEnvironmentVariableA("TRAWLIX_BIN_CASE", binCase, sizeof binCase))
        GTEST_SKIP() << "run by the entries that give the recycle bin no room";
    if (std::string(binCase) == "full" && smallDisk("fullbin").empty())
        GTEST_SKIP() << "no full disk for the recycle bin was mounted (tests/fileops/mounts.sh needs root)";
    const Files pictures = {{"a.jpg", bigPicture('a')}, {"b.jpg", bigPicture('b')}};
    rowsFor(from.path, pictures);
    auto texts = run([&] { launchFileAction(*mainState(window), kFileOpDelete, nullptr, 1); }, {IDYES, IDYES, IDYES});
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[1], kTrashFailed);
    EXPECT_EQ(texts[2], kTrashFailed);
    EXPECT_EQ(folderFiles(from.path), pictures);
    EXPECT_EQ(rows(), (std::vector<std::string>{"a.jpg*", "b.jpg*"}));
}

}  // namespace
