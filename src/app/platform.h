// The one place that decides between the real Windows headers and the few
// handle names the window-free units need when they build for the host.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
struct HWND__;
typedef HWND__* HWND;
#endif
