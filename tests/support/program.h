// trawlix.exe as a process of its own, copied into a temporary folder with
// its settings file beside it, and driven from outside as a person drives
// it: message boxes and prompts answered, toolbar buttons clicked, items
// chosen from their drop-down menus with the keyboard, Shift held.
#pragma once

#include <windows.h>

#include <string>

#include "support/testdirs.h"

struct Program {
    Program();   // copies the build's trawlix.exe into folder
    ~Program();  // ends a process still running
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    void start();
    // The next visible top-level window of the process, or none once it
    // ended or after the patience ran out.
    HWND nextWindow();
    // The next visible dialog box of the process (message box or prompt).
    HWND nextDialog();
    // The main window, once it shows.
    HWND mainWindow();
    // Its result list (the list view with five columns), and its row count.
    HWND resultList();
    int resultRows();
    // A result cell's text and a row's check image, asked of the list as
    // another program asks it (through memory of the program's own).
    std::string resultText(int row, int column);
    int resultCheck(int row);
    // A click on row's check box, posted to the list; waiting until row
    // shows image (failing after the patience ran out).
    void clickCheckBox(int row);
    bool waitResultCheck(int row, int image);
    // Waits until the preview pane shows red, green and blue areas placed as
    // corners says (the colours of a test picture's quadrants: top left, top
    // right, bottom left, bottom right; R, G, B or W), as the screen shows
    // them; false when it did not within the patience.
    bool waitPreviewOf(const std::string& corners);
    // Expects a message box with text, answers it with button, waits until
    // it is gone.
    void answerBox(const std::string& text, int button);
    // Posts command to dialog (a strip, a box) and waits until it is gone.
    void finishDialog(HWND dialog, int command);
    // Answers the next message box with button; returns its text ("" when none came).
    std::string answerAnyBox(int button);
    // Expects the directory prompt showing prompt, types path (none:
    // cancels), sets its subdirectory box when it offers one, presses OK.
    void answerPrompt(const std::string& prompt, const char* path, bool recurse = false);

    // A click on the face of the button with command.
    void click(int command);
    // A click with the mouse on the button's face, Shift held as a person
    // holds it; returns the dialog the click opened (the buttons that read
    // Shift all ask first), Shift released once it shows.
    HWND shiftClick(int command);
    // A condition entered through the strip the Add button opens; the
    // operator as its position in the strip's list.
    void addCondition(const char* width, const char* height, int operatorIndex);
    // A click on the button's arrow; returns once its menu shows.
    void openMenu(int command);
    // Chooses the item presses places down the open menu with Enter, after
    // Right into its submenu when intoSubmenu, Shift held when shift.
    void pick(int presses, bool intoSubmenu = false, bool shift = false);
    // openMenu, then pick, Shift held meanwhile when shift.
    void choose(int command, int presses, bool shift = false);
    // The button's rectangle in its toolbar's client area, and the toolbar.
    RECT buttonRect(int command, HWND* toolbar);
    // Waits until a window of the program is in front (where keys go).
    bool waitForeground();
    // Whether a menu of the program shows once its window thread is idle.
    bool menuOpen();
    // Waits until no worker runs (as the program's own state says).
    void waitIdle();
    // Closes the main window as its close box would.
    void close();
    // The exit code, or ~0 when the process did not end in time.
    DWORD exitCode();
    // For a failure's message: how the process ended, "" while it runs.
    std::string ended() const;

    std::string read(const char* key) const;  // of the "trawlix" section, "<absent>" when missing
    void write(const char* key, const std::string& value) const;

    TempFolder folder;
    std::string exe, ini;
    PROCESS_INFORMATION process = {};
    HWND main = nullptr;
};

// A key pressed and released on window, as the keyboard would send it.
void pressKey(HWND window, WORD key);

// The number of Down presses that reach the item with id in menu resource
// menuId of the program; appended entries follow its items, the grayed
// header then gone. 0 when the item is not there.
int menuPresses(int menuId, int id);
int menuEntryPresses(int menuId, int entry);
// The presses to the last item of menu resource menuId.
int menuLastPresses(int menuId);
