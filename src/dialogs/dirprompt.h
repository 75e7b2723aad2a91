// The directory prompt: a prompt line, a path box that also takes a dropped
// file or folder, a Browse button, an optional "search subdirectories too"
// box, OK and Cancel. The result packs the path text and the box's state.
#pragma once

#include <stdint.h>

#include "app/arch.h"
#include "app/platform.h"

// The top bit of the init parameter (offer the box, checked) and of the
// result (the box was offered and checked): bit 31 in the 32-bit product,
// bit 63 in a 64-bit build (app/arch.h).
constexpr UINT_PTR kDirPromptRecurse = kPackedFlag;

// The dialog procedure of template 115. Init parameter: the prompt text's
// address (0 keeps the template's) | kDirPromptRecurse to offer the box.
// Ends with 0 when cancelled, else the address of a heap text with the path
// (the caller frees it) | kDirPromptRecurse when the box was checked.
INT_PTR CALLBACK dirPromptProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the prompt modally; see dirPromptProc for the result.
INT_PTR dirPromptRun(HWND owner, const char* prompt, bool offerRecurse);

// An init parameter or a result: a text's address with the flag in the top bit.
inline INT_PTR dirPromptPack(const char* text, bool recurse) {
    return static_cast<INT_PTR>(reinterpret_cast<UINT_PTR>(text) | (recurse ? kDirPromptRecurse : 0));
}

// The text and flag an init parameter or a result packs.
inline char* dirPromptPath(INT_PTR result) {
    return reinterpret_cast<char*>(static_cast<UINT_PTR>(result) & ~kDirPromptRecurse);
}
inline bool dirPromptRecurse(INT_PTR result) {
    return (static_cast<UINT_PTR>(result) & kDirPromptRecurse) != 0;
}
// The flag as a recent search entry keeps it: INT32_MIN (bit 31, as the
// 32-bit product has always stored it) or 0, so the INI is the same for both.
inline int32_t dirPromptRecurseEntry(INT_PTR result) {
    return dirPromptRecurse(result) ? INT32_MIN : 0;
}

// Shows the shell's folder browser from the desktop. 1 with the chosen
// directory in path (at least kPathSize bytes), 0 when cancelled or the
// choice is not a file-system folder.
int folderBrowse(HWND owner, char* path);
