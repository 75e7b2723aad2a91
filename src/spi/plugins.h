// The process-wide list of loaded Susie plug-ins, their discovery in the
// plug-in directory, and picture decoding through them.
#pragma once

#include "app/text.h"
#include "search/header.h"
#include "spi/susie.h"

// One loaded plug-in library. The record owns its library handle; the list
// owns the records.
struct SusiePlugin {
    HMODULE moduleHandle;
    // The library's file name as the directory listing gives it, never cut:
    // it keys the plug-in's stored flags.
    char fileName[kPathSize];
    SusieGetPluginInfo GetPluginInfo;
    SusieIsSupported IsSupported;
    SusieGetPictureInfo GetPictureInfo;
    SusieGetPicture GetPicture;
    SusieConfigurationDlg ConfigurationDlg;  // null when the plug-in has none
    int32_t enabled;  // 1: the search asks this plug-in
    int32_t order;    // sort key read from the settings file
    int32_t faulted;  // 1: a call into it faulted; never called again
    SusiePlugin* next;
};

// Head of the list in asking order; the first plug-in that succeeds wins.
extern SusiePlugin* spiList;

// Loads every "00IN" plug-in of directory (at most 259 characters) and
// appends it to spiList in listing order; libraries that are not plug-ins,
// report another API or lack one of the four required exports are unloaded
// silently. When directory cannot be made current, says so (string 6) and
// loads nothing. The current directory is the same afterwards. Returns 1
// when spiList is non-empty afterwards.
int spiLoadAll(const char* directory);

// Releases every record of the chain; the libraries stay loaded.
void spiListFree(SusiePlugin* head);

// Unloads the library of every record of the chain and releases the records.
void spiListUnload(SusiePlugin* head);

// Decodes the picture at path with the first plug-in of spiList, enabled or
// not, that claims and decodes it. Returns a DIB section the caller deletes
// with DeleteObject, or none. A plug-in that faults is passed over, and
// named to the user in a box owned by owner (none: not shown).
HBITMAP spiDecode(const char* path, HWND owner = nullptr);

// The progress callback handed to GetPicture: always lets the plug-in go on.
int WINAPI spiProgress(int done, int total, LONG_PTR data);

// Asks plugin for the size of the file fileName (resolved against the
// current directory) whose first bytes are header (kSusieHeaderSize bytes).
// Returns 1 with size set when the plug-in claims the file and reports a
// size with both dimensions nonzero. A fault in the plug-in is named to the
// user in a box owned by owner (none: not shown) and returns 0.
int spiPictureSize(SusiePlugin& plugin, const char* fileName, const unsigned char* header, PictureSize& size,
                   HWND owner = nullptr);

// Reads the first kSusieHeaderSize bytes of the open file into header,
// zero past its end. Returns 1 when the file could be read.
int spiReadHeader(HANDLE file, unsigned char* header);

// An id of the ordered set of enabled plug-ins (each one's file name, size
// and last write, in directory): a size one of them read is remembered
// under it, and trusted only while the set is the same.
uint64_t spiEnabledSetId(const char* directory);
