// Helpers for tests of real windows: a plain parent that records what
// reaches it, message pumping, and the registration of the program's classes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct ReceivedMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// A visible top-level window of a plain class that records every key,
// command and notification it receives.
struct RecordingWindow {
    RecordingWindow(int width = 640, int height = 480);
    ~RecordingWindow();
    HWND window = nullptr;
    std::vector<ReceivedMessage> received;
    bool got(UINT message, WPARAM wParam) const;
    int notifications(UINT code) const;
};

// Dispatches the messages waiting for this thread.
void pumpMessages();

// The colour of a bitmap's top-left pixel as 0xRRGGBB, or -1 for none.
long bitmapTopLeftColour(HBITMAP bitmap);

// Registers the common controls and the program's window classes once.
void registerProgramClasses();

// A shown 900 x 700 main window of the program, as start-up makes it; none
// when it could not be made.
HWND testMainWindowOpen();
// Destroys it, unregisters its class (made anew by every open) and drops
// the quit message closing may have posted.
void testMainWindowClose(HWND window);

// The text of a list-view cell.
std::string listCellText(HWND list, int row, int column);

// A result row as a search hands it over; texts left out are empty.
struct TestResultRow {
    std::string name, picture, size, folder, handledBy;
};
// Appends rows to window's result list the way a search does, as one batch
// (last: the search's last, which the list shows at once).
void testAddResults(HWND window, const std::vector<TestResultRow>& rows, bool last = true);
// Sets a result row's check image as a click on its box would leave it.
void testSetResultCheck(HWND window, int row, int image);
