// The cached string loader over the test executable's own string table.
#include <gtest/gtest.h>

#include <string.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

#include "app/resstring.h"
#include "support/codepage.h"
#include "support/notices.h"
#include "support/windows.h"

namespace {

class ResString : public ::testing::Test {
protected:
    void SetUp() override { resStringRelease(); }
    void TearDown() override { resStringRelease(); }
};

TEST_F(ResString, LoadsOnceAndReturnsTheSameTextEveryTime) {
    const char* first = resString(1);
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(first, "short text");
    EXPECT_EQ(resStringCachedCount(), 1u);
    EXPECT_EQ(resString(1), first);
    EXPECT_EQ(resStringCachedCount(), 1u);
}

TEST_F(ResString, MissingAndEmptyTextsYieldNoneAndAreNotCached) {
    EXPECT_EQ(resString(999), nullptr);
    EXPECT_EQ(resString(8), nullptr);
    EXPECT_EQ(resStringCachedCount(), 0u);
}

TEST_F(ResString, LongTextsArriveWhole) {
    struct Case { int id; size_t length; char fill; };
    for (Case c : {Case{2, 254, 'a'}, Case{3, 255, 'b'}, Case{4, 511, 'c'}, Case{5, 700, 'd'}}) {
        const char* text = resString(c.id);
        ASSERT_NE(text, nullptr) << c.id;
        EXPECT_EQ(std::string(text), std::string(c.length, c.fill)) << c.id;
    }
}

TEST_F(ResString, TextsComeInTheAnsiCodePage) {
    const char* text = resString(7);
    ASSERT_NE(text, nullptr);
    if (doubleByteCodePage()) {
        EXPECT_STREQ(text, "\x95\x5C\x8E\xA6");
    } else {
        EXPECT_EQ(strlen(text), 2u);
    }
}

TEST_F(ResString, ReleaseEmptiesTheCacheAndLoadingWorksAfterwards) {
    resString(1);
    resString(2);
    EXPECT_EQ(resStringCachedCount(), 2u);
    resStringRelease();
    EXPECT_EQ(resStringCachedCount(), 0u);
    EXPECT_STREQ(resString(1), "short text");
}

TEST_F(ResString, ThreadsLoadingAtOnceShareOneEntryPerId) {
    const int ids[] = {1, 2, 3, 4, 5, 1001, 3013};
    const size_t idCount = sizeof ids / sizeof ids[0];
    constexpr int kThreads = 6;
    for (int round = 0; round < 40; ++round) {
        resStringRelease();
        HANDLE go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        std::vector<std::vector<const char*>> seen(kThreads);
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&, t] {
                WaitForSingleObject(go, INFINITE);
                for (size_t i = 0; i < idCount; ++i) {
                    seen[t].push_back(resString(ids[(i + t) % idCount]));
                }
            });
        }
        SetEvent(go);
        for (auto& thread : threads) thread.join();
        CloseHandle(go);

        ASSERT_EQ(resStringCachedCount(), idCount) << "round " << round;
        for (int t = 0; t < kThreads; ++t) {
            for (size_t i = 0; i < idCount; ++i) {
                ASSERT_EQ(seen[t][i], resString(ids[(i + t) % idCount])) << "round " << round;
            }
        }
    }
}

TEST(ResMessageBox, ShowsTableTextsWithTheOwnerGiven) {
    RecordingWindow owner;
    NoticeWatch watch;
    noticeWatchBegin(watch);
    int answer = resMessageBox(owner.window, 1, kCaptionError, MB_OK | MB_ICONERROR);
    noticeWatchEnd();
    EXPECT_EQ(answer, IDOK);
    expectSingleNotice(watch, "short text", "Error", owner.window);
    resStringRelease();
}

}  // namespace
