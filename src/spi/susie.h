// The Susie import-filter interface, API version "00IN", as the host calls
// it and as the plug-ins Trawlix ships implement it. Every export uses the
// Windows standard calling convention and is exported undecorated.
#pragma once

#include <stddef.h>
#include <windows.h>

#include "app/arch.h"

// The 64-bit interface is the same but for pointer-sized offsets, lengths
// and callback data (LONG_PTR, which is LONG in a 32-bit build), the
// record's size (app/arch.h) and the library's extension.

// Picture information filled by GetPictureInfo. The host reads only width
// and height. Plug-ins in the wild disagree on what follows colorDepth: some
// pad the record (hInfo at byte 24, as here), others pack it (hInfo at byte
// 22), so the host never touches hInfo; it zero-fills the whole record for
// either form. Ours write this padded form.
struct SusiePictureInfo {
    LONG left;
    LONG top;
    LONG width;
    LONG height;
    WORD xDensity;
    WORD yDensity;
    SHORT colorDepth;
    HLOCAL hInfo;
};
static_assert(sizeof(SusiePictureInfo) == kSusieInfoBytes, "the record each kind of plug-in expects");
static_assert(offsetof(SusiePictureInfo, width) == 8, "width at bytes 8 to 11");
static_assert(offsetof(SusiePictureInfo, height) == 12, "height at bytes 12 to 15");

// Size of the file head IsSupported receives, zero past the end of a short file.
constexpr int kSusieHeaderSize = 2048;

// Input forms of GetPictureInfo and GetPicture (low bits of the flag): the
// name of a file and an offset into it, or a memory block and its length.
constexpr unsigned kSusieInputFile = 0;
constexpr unsigned kSusieInputMemory = 1;
constexpr unsigned kSusieInputMask = 7;

// Results of GetPictureInfo and GetPicture.
enum SusieResult {
    kSusieOk = 0,
    kSusieCanceled = 1,      // the progress callback asked to stop
    kSusieUnknownFormat = 2,
    kSusieCorrupt = 3,
    kSusieNoMemory = 4,
    kSusieReadError = 6,
    kSusieInternalError = 8,
};

// ConfigurationDlg's answer when the plug-in has no settings dialog.
constexpr int kSusieNoDialog = -1;

typedef int(WINAPI* SusieProgress)(int done, int total, LONG_PTR data);
typedef int(WINAPI* SusieGetPluginInfo)(int infoNumber, LPSTR buffer, int bufferLength);
// source is the address of the 2048-byte head (the host never passes a handle).
typedef int(WINAPI* SusieIsSupported)(LPCSTR fileName, DWORD_PTR source);
typedef int(WINAPI* SusieGetPictureInfo)(LPCSTR source, LONG_PTR offsetOrLength, UINT flag,
                                         SusiePictureInfo* info);
// On success *bitmapInfo holds a BITMAPINFO (header and colour table) and
// *bits the bottom-up pixel rows, both LocalAlloc handles the caller frees.
typedef int(WINAPI* SusieGetPicture)(LPCSTR source, LONG_PTR offsetOrLength, UINT flag,
                                     HLOCAL* bitmapInfo, HLOCAL* bits, SusieProgress progress,
                                     LONG_PTR data);
typedef int(WINAPI* SusieConfigurationDlg)(HWND parent, int function);
