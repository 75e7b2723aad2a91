// The directory prompt: a prompt line, a path box that also takes a dropped
// file or folder, a Browse button, an optional "search subdirectories too"
// box, OK and Cancel. The result packs the path text and the box's state.
#pragma once

#include "app/platform.h"

// Bit 31 of the init parameter (offer the box, checked) and of the result
// (the box was offered and checked).
constexpr UINT_PTR kDirPromptRecurse = 0x80000000u;

// The dialog procedure of template 115. Init parameter: the prompt text's
// address (0 keeps the template's) | kDirPromptRecurse to offer the box.
// Ends with 0 when cancelled, else the address of a heap text with the path
// (the caller frees it) | kDirPromptRecurse when the box was checked.
INT_PTR CALLBACK dirPromptProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the prompt modally; see dirPromptProc for the result.
INT_PTR dirPromptRun(HWND owner, const char* prompt, bool offerRecurse);

// The heap text and flag a result packs.
inline char* dirPromptPath(INT_PTR result) {
    return reinterpret_cast<char*>(static_cast<UINT_PTR>(result) & ~kDirPromptRecurse);
}
inline bool dirPromptRecurse(INT_PTR result) {
    return (static_cast<UINT_PTR>(result) & kDirPromptRecurse) != 0;
}

// Shows the shell's folder browser from the desktop. 1 with the chosen
// directory in path (at least kPathSize bytes), 0 when cancelled or the
// choice is not a file-system folder.
int folderBrowse(HWND owner, char* path);
