#include "support/notices.h"

#include <gtest/gtest.h>

void expectSingleNotice(const NoticeWatch& watch, const std::string& text, const std::string& caption,
                        HWND owner) {
    EXPECT_EQ(watch.count, 1);
    EXPECT_EQ(watch.text, text);
#ifdef _WIN32
    EXPECT_EQ(watch.caption, caption);  // the host's notices have no caption
#else
    (void)caption;
#endif
    EXPECT_EQ(watch.owner, owner);
}
