// The About box and the reader of a file's version numbers.
#pragma once

#include <stdint.h>

#include "app/platform.h"

// A file version as its four parts, most significant first: 2.1.0.15.
struct FileVersion {
    uint16_t major, minor, build, revision;
};

// Reads the file version of the file at path. Returns 1, or 0 with all four
// parts 0 when the file has no version information.
int versionRead(const char* path, FileVersion& version);
// The same for the running executable.
int versionReadSelf(FileVersion& version);

// The dialog procedure: shows the executable's version, centred over the
// owner's client area; ends with 0.
INT_PTR CALLBACK aboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Shows the About box modally over owner.
void aboutRun(HWND owner);
