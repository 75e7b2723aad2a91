// Answers the dialogs and message boxes a module shows while a test runs: on
// Windows the real windows, caught by a hook as they are activated; on the
// host the header reader's notice routine.
#pragma once

#include <functional>
#include <string>

#include "app/platform.h"

struct NoticeWatch {
    int count = 0;
    std::string text;     // of the latest notice
    std::string caption;  // of the latest notice (Windows only)
    HWND owner = nullptr; // of the latest notice
};

// Counts notices into watch until noticeWatchEnd, pressing each one's
// default button as a user pressing Enter would. One watch at a time.
void noticeWatchBegin(NoticeWatch& watch);
void noticeWatchEnd();

// Expects exactly one notice so far, with this text, caption and owner.
void expectSingleNotice(const NoticeWatch& watch, const std::string& text, const std::string& caption,
                        HWND owner);

#ifdef _WIN32
// Calls act for every dialog box (message boxes included) activated on this
// thread until dialogWatchEnd, and for every message box another thread of
// this process shows while this thread pumps messages; index counts the
// dialogs seen before it. act answers the dialog itself, typically by
// posting a command to it.
void dialogWatchBegin(std::function<void(HWND dialog, int index)> act);
void dialogWatchEnd();

// The text of a message box, and its caption.
std::string messageBoxText(HWND box);
std::string windowText(HWND window);
#endif
