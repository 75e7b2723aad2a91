// Texts from the executable's string table, cached for the life of the
// process, and the message box every user-facing notice goes through.
#pragma once

#include <stddef.h>

#include "app/platform.h"

// Message-box captions by severity.
constexpr int kCaptionFatal = 1000;
constexpr int kCaptionError = 1001;
constexpr int kCaptionWarning = 1002;
constexpr int kCaptionConfirm = 1003;

// Cached text of string id in the system's choice of language; none when the
// id has no text or an empty one. The text stays valid and unchanged until
// resStringRelease; callers neither change nor free it. Safe to call from
// several threads at once.
const char* resString(int id);

// Frees every cached text; called once at exit, after every worker ended.
void resStringRelease();

// Number of ids cached so far.
size_t resStringCachedCount();

// Shows a message box with text and caption from the string table; returns
// what MessageBoxA returns (0 when either text is missing).
int resMessageBox(HWND owner, int textId, int captionId, UINT type);
// The same with the text a format from the string table filled with the
// arguments, into a text sized to what they make: never cut.
int resMessageBoxFormat(HWND owner, int formatId, int captionId, UINT type, ...);
// The same for a text the program names itself (a system call's failure),
// with the caption from the string table (the system's when missing).
int resMessageBoxText(HWND owner, const char* text, int captionId, UINT type);
