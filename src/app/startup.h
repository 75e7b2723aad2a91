// Start-up, the message loop and shutdown of trawlix.exe.
#pragma once

#include "app/platform.h"

// Registers the main window class and creates the (hidden) main window; on
// failure shows the fatal message itself and returns none.
HWND mainWindowCreate();

// Brings the program up, runs it until the main window closes, saves the
// settings and tears down in reverse order. Never returns: the process ends
// with exit code 0.
[[noreturn]] void appMain();
