// The directory prompt run modally, answered by a hook as a user would:
// typing, checking, dropping files, pressing OK or Cancel.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "app/resstring.h"
#include "app/text.h"
#include "dialogs/dirprompt.h"
#include "resource.h"
#include "support/notices.h"
#include "support/windows.h"

namespace {

struct PromptRun {
    INT_PTR result = 0;
    std::string promptShown;
    bool boxVisible = false;
    bool boxChecked = false;
    std::vector<std::string> errors;  // texts of message boxes shown by the prompt
};

// Runs the prompt; type is what the user does on the dialog before the final
// command (IDOK or IDCANCEL) is posted.
PromptRun runPrompt(const char* prompt, bool offer, std::function<void(HWND)> type, int finalCommand,
                    int okPresses = 1) {
    PromptRun run;
    HWND dialogWindow = nullptr;
    int presses = okPresses;
    dialogWatchBegin([&](HWND dialog, int) {
        if (!GetDlgItem(dialog, IDC_PATH_EDIT)) {  // a message box from the prompt
            run.errors.push_back(messageBoxText(dialog));
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
            if (--presses <= 0) PostMessageA(dialogWindow, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        dialogWindow = dialog;
        run.promptShown = windowText(GetDlgItem(dialog, IDC_PROMPT_TEXT));
        run.boxVisible = (GetWindowLongPtrA(GetDlgItem(dialog, IDC_RECURSE_CHECK), GWL_STYLE) & WS_VISIBLE) != 0;
        run.boxChecked = IsDlgButtonChecked(dialog, IDC_RECURSE_CHECK) == BST_CHECKED;
        if (type) type(dialog);
        PostMessageA(dialog, WM_COMMAND, finalCommand, 0);
    });
    run.result = dirPromptRun(nullptr, prompt, offer);
    dialogWatchEnd();
    return run;
}

std::string takePath(INT_PTR result) {
    char* path = dirPromptPath(result);
    std::string text = path ? path : "<none>";
    textFree(path);
    return text;
}

void typePath(HWND dialog, const char* path) {
    SetDlgItemTextA(dialog, IDC_PATH_EDIT, path);
}

TEST(DirectoryPrompt, OffersTheSubdirectoryBoxCheckedAndReportsIt) {
    PromptRun run = runPrompt(resString(IDS_PROMPT_SEARCH), true,
                              [](HWND d) { typePath(d, "D:\\walls"); }, IDOK);
    EXPECT_EQ(run.promptShown, resString(IDS_PROMPT_SEARCH));
    EXPECT_TRUE(run.boxVisible);
    EXPECT_TRUE(run.boxChecked);
    EXPECT_TRUE(dirPromptRecurse(run.result)) << std::hex << run.result;
    EXPECT_EQ(dirPromptRecurseEntry(run.result), INT32_MIN);  // what the INI keeps, in both builds
    EXPECT_EQ(takePath(run.result), "D:\\walls");
}

// A 64-bit heap may lie above 4 GiB: the flag must neither cut nor touch
// such an address. The page comes from the top of the address space.
TEST(DirectoryPrompt, TheResultCarriesAnAddressAbove4GiBAndTheFlag) {
    char* high = static_cast<char*>(
        VirtualAlloc(nullptr, 4096, MEM_RESERVE | MEM_COMMIT | MEM_TOP_DOWN, PAGE_READWRITE));
    ASSERT_NE(high, nullptr);
    if (sizeof(void*) == 8) {
        EXPECT_GT(static_cast<uint64_t>(reinterpret_cast<UINT_PTR>(high)), 0xFFFFFFFFull);
    }
    for (bool recurse : {false, true}) {
        INT_PTR result = dirPromptPack(high, recurse);
        EXPECT_EQ(dirPromptPath(result), high);
        EXPECT_EQ(dirPromptRecurse(result), recurse);
        EXPECT_EQ(dirPromptRecurseEntry(result), recurse ? INT32_MIN : 0);
    }
    VirtualFree(high, 0, MEM_RELEASE);
}

TEST(DirectoryPrompt, AnUncheckedBoxClearsTheFlagAndThePathComesBackAsTyped) {
    PromptRun run = runPrompt(nullptr, true, [](HWND d) {
        typePath(d, "D:\\walls\\  ");
        CheckDlgButton(d, IDC_RECURSE_CHECK, BST_UNCHECKED);
    }, IDOK);
    EXPECT_FALSE(run.promptShown.empty());  // the template's own prompt stays
    EXPECT_FALSE(dirPromptRecurse(run.result));
    EXPECT_EQ(takePath(run.result), "D:\\walls\\  ");
}

TEST(DirectoryPrompt, AHiddenBoxNeverSetsTheFlag) {
    PromptRun run = runPrompt(resString(IDS_PROMPT_COPY), false, [](HWND d) {
        typePath(d, "E:\\copies");
        CheckDlgButton(d, IDC_RECURSE_CHECK, BST_CHECKED);
    }, IDOK);
    EXPECT_FALSE(run.boxVisible);
    EXPECT_FALSE(dirPromptRecurse(run.result));
    EXPECT_EQ(takePath(run.result), "E:\\copies");
}

TEST(DirectoryPrompt, AnEmptyPathIsRefusedAndCancelReturnsNothing) {
    PromptRun run = runPrompt(nullptr, false, nullptr, IDOK);
    ASSERT_EQ(run.errors.size(), 1u);
    EXPECT_EQ(run.errors[0], resString(IDS_INPUT_DIRECTORY));
    EXPECT_EQ(run.result, 0);
}

TEST(DirectoryPrompt, APathTooLongForAPathBufferIsRefused) {
    std::string longPath = "C:\\" + std::string(300, 'd');
    PromptRun run = runPrompt(nullptr, true, [&](HWND d) { typePath(d, longPath.c_str()); }, IDOK);
    ASSERT_EQ(run.errors.size(), 1u);
    EXPECT_EQ(run.errors[0], resString(IDS_PATH_TOO_LONG));
    EXPECT_EQ(run.result, 0);
}

TEST(DirectoryPrompt, CloseAndCancelReturnNothing) {
    EXPECT_EQ(runPrompt(nullptr, true, [](HWND d) { typePath(d, "D:\\x"); }, IDCANCEL).result, 0);
    PromptRun closed = runPrompt(nullptr, true, [](HWND d) {
        typePath(d, "D:\\x");
        PostMessageA(d, WM_CLOSE, 0, 0);
    }, 0);
    EXPECT_EQ(closed.result, 0);
}

// A drop of several files as the shell delivers it.
HDROP dropOf(const std::vector<std::string>& paths) {
    size_t size = sizeof(DROPFILES) + 1;
    for (const std::string& p : paths) size += p.size() + 1;
    HGLOBAL memory = GlobalAlloc(GHND, size);
    DROPFILES* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    char* at = reinterpret_cast<char*>(drop + 1);
    for (const std::string& p : paths) {
        memcpy(at, p.c_str(), p.size() + 1);
        at += p.size() + 1;
    }
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

TEST(DirectoryPrompt, ADropOnThePathBoxTakesTheFirstItem) {
    std::string shown;
    PromptRun run = runPrompt(nullptr, false, [&](HWND d) {
        HWND edit = GetDlgItem(d, IDC_PATH_EDIT);
        EXPECT_NE(GetWindowLongPtrA(edit, GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0);
        SendMessageA(edit, WM_DROPFILES, reinterpret_cast<WPARAM>(dropOf({"C:\\first", "C:\\second.jpg", "C:\\third"})), 0);
        shown = windowText(edit);
    }, IDOK);
    EXPECT_EQ(shown, "C:\\first");
    EXPECT_EQ(takePath(run.result), "C:\\first");
}

}  // namespace

namespace {

TEST(DirectoryPrompt, ACancelledFolderBrowserLeavesThePathAlone) {
    HWND prompt = nullptr;
    std::string browserTitle;
    dialogWatchBegin([&](HWND dialog, int index) {
        if (index == 0) {
            prompt = dialog;
            typePath(dialog, "D:\\typed");
            PostMessageA(dialog, WM_COMMAND, IDC_BROWSE, 0);
            return;
        }
        if (dialog == prompt) return;  // activated again
        // The shell's folder browser, owned by the prompt.
        browserTitle = windowText(dialog);
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), prompt);
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        PostMessageA(prompt, WM_COMMAND, IDOK, 0);
    });
    INT_PTR result = dirPromptRun(nullptr, nullptr, false);
    dialogWatchEnd();
    EXPECT_FALSE(browserTitle.empty());
    EXPECT_EQ(takePath(result), "D:\\typed");
}

}  // namespace
