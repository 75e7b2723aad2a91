// The condition list read from a real list view, as the search worker reads
// it: from another thread, by messages the window thread answers.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "search/condition.h"

namespace {

class ConditionList : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX init = {sizeof init, ICC_LISTVIEW_CLASSES};
        ASSERT_TRUE(InitCommonControlsEx(&init));
        owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 300, 200, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(owner, nullptr);
        list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | LVS_REPORT, 0, 0, 300, 200,
                               owner, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(list, nullptr);
    }
    void TearDown() override { DestroyWindow(owner); }

    void addRow(Condition* condition) {
        LVITEMA item = {};
        item.mask = LVIF_PARAM | LVIF_TEXT;
        item.iItem = ListView_GetItemCount(list);
        item.pszText = const_cast<char*>("row");
        item.lParam = reinterpret_cast<LPARAM>(condition);
        ASSERT_GE(ListView_InsertItem(list, &item), 0);
    }

    // Asks from a worker thread while this thread answers the list's messages.
    struct Job {
        HWND list;
        uint32_t width, height;
        bool result;
    };
    static DWORD WINAPI worker(void* p) {
        Job* job = static_cast<Job*>(p);
        job->result = conditionListMatch(job->list, job->width, job->height);
        return 0;
    }
    bool matchFromWorker(uint32_t width, uint32_t height) {
        Job job{list, width, height, false};
        HANDLE thread = CreateThread(nullptr, 0, worker, &job, 0, nullptr);
        // Until the thread has ended, however long a loaded machine makes it.
        while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        }
        CloseHandle(thread);
        return job.result;
    }

    HWND owner = nullptr;
    HWND list = nullptr;
};

TEST_F(ConditionList, AnEmptyListKeepsNothing) {
    EXPECT_FALSE(conditionListMatch(list, 1024, 768));
}

TEST_F(ConditionList, AnyRowThatHoldsKeepsThePicture) {
    Condition small{1024, 768, 0};
    Condition large{1280, 1024, 0};
    addRow(&small);
    addRow(&large);
    EXPECT_TRUE(conditionListMatch(list, 1024, 768));
    EXPECT_TRUE(conditionListMatch(list, 1280, 1024));
    EXPECT_FALSE(conditionListMatch(list, 1280, 768));
}

TEST_F(ConditionList, ReadsTheRowsAfreshOnEveryCall) {
    Condition atLeast{1920, 1080, 2};
    EXPECT_FALSE(conditionListMatch(list, 2560, 1440));
    addRow(&atLeast);
    EXPECT_TRUE(conditionListMatch(list, 2560, 1440));
    ListView_DeleteAllItems(list);
    EXPECT_FALSE(conditionListMatch(list, 2560, 1440));
}

TEST_F(ConditionList, AnswersAWorkerThread) {
    Condition exact{800, 600, 0};
    addRow(nullptr);  // a row without a condition is passed over
    addRow(&exact);
    EXPECT_TRUE(matchFromWorker(800, 600));
    EXPECT_FALSE(matchFromWorker(800, 601));
}

}  // namespace
