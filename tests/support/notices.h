// Watches the notices a module shows the user while a test runs, answering
// each at once: on Windows the real message boxes, caught by a hook; on the
// host the header reader's notice routine.
#pragma once

#include <string>

#include "app/platform.h"

struct NoticeWatch {
    int count = 0;
    std::string text;     // of the latest notice
    std::string caption;  // of the latest notice (Windows only)
    HWND owner = nullptr; // of the latest notice
};

// Starts counting into watch until noticeWatchEnd; one watch at a time.
void noticeWatchBegin(NoticeWatch& watch);
void noticeWatchEnd();
