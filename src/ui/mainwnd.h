// The main window: builds the pane tree (three dividers holding three
// toolists and the preview) and the status bar, lays them out, gives the
// toolbar tooltips and closes. Every part of the program finds a pane by
// walking the tree from rootDivider with the accessors below.
#pragma once

#include "app/platform.h"

struct IContextMenu2;
struct ResultList;

extern const char kMainClass[];  // "trawlixMainWnd"

// One per main window, in its window slot 0; never released (the process
// ends after the message loop).
struct MainWindowState {
    HWND rootDivider;
    HWND statusBar;
    // The running worker's thread id, written by the thread-creation call,
    // cleared by the worker as its last act; 0 when none runs.
    volatile DWORD workerThreadId;
    IContextMenu2* shellMenu;  // while the shell context menu is on screen
    // A path from the prompt that no recent list took: the running or the
    // last worker reads it. Owned here (mainHoldPath).
    char* heldPath;
    ResultList* results;  // the result store and its list; never released
};

LRESULT CALLBACK mainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Builds the whole interior of a new main window.
void mainCreate(HWND window);

MainWindowState* mainState(HWND window);

// The panes, found from rootDivider along their fixed paths.
HWND mainConditionList(HWND window);
HWND mainConditionToolbar(HWND window);
HWND mainExcludeList(HWND window);
HWND mainExcludeToolbar(HWND window);
HWND mainPikture(HWND window);
HWND mainResultToolist(HWND window);
HWND mainResultList(HWND window);
HWND mainResultToolbar(HWND window);

// The full path of result row: its "FullPath" text, a backslash, its
// "FileName" text, into path (kPathSize bytes). 1, or 0 (path empty) when
// the whole path does not fit: a path is never cut.
int resultRowPath(HWND window, int row, char* path);

// Starts proc on job as window's one worker thread, its id stored in
// workerThreadId before the thread runs. Returns 1; 0 when no thread could be
// made, and the job is still the caller's.
int mainWorkerStart(HWND window, LPTHREAD_START_ROUTINE proc, void* job);

// Keeps path, a heap text, for the worker about to use it, and frees the
// one kept before: its worker has ended, since nothing that starts a worker
// can be used while one runs. mainHoldPath(window, nullptr) at exit frees
// the last one.
void mainHoldPath(HWND window, char* path);

// Asks a running search to stop and waits until the worker has ended, so
// nothing it uses is freed under it. Returns at once when none runs.
void mainWorkerStopAndWait(HWND window);
