// The Susie import-filter interface, API version "00IN", as the host calls
// it and as the plug-ins Trawlix ships implement it. Every export uses the
// Windows standard calling convention and is exported undecorated.
#pragma once

#include <stddef.h>
#include <windows.h>

// Picture information filled by GetPictureInfo. The host reads only width
// and height; hInfo, a text handle some plug-ins return, is freed by the host.
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
static_assert(sizeof(SusiePictureInfo) == 28, "the host hands plug-ins 28 zero-filled bytes");
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

typedef int(WINAPI* SusieProgress)(int done, int total, LONG data);
typedef int(WINAPI* SusieGetPluginInfo)(int infoNumber, LPSTR buffer, int bufferLength);
// source is the address of the 2048-byte head (the host never passes a handle).
typedef int(WINAPI* SusieIsSupported)(LPCSTR fileName, DWORD_PTR source);
typedef int(WINAPI* SusieGetPictureInfo)(LPCSTR source, LONG offsetOrLength, UINT flag,
                                         SusiePictureInfo* info);
// On success *bitmapInfo holds a BITMAPINFO (header and colour table) and
// *bits the bottom-up pixel rows, both LocalAlloc handles the caller frees.
typedef int(WINAPI* SusieGetPicture)(LPCSTR source, LONG offsetOrLength, UINT flag,
                                     HLOCAL* bitmapInfo, HLOCAL* bits, SusieProgress progress,
                                     LONG data);
typedef int(WINAPI* SusieConfigurationDlg)(HWND parent, int function);
