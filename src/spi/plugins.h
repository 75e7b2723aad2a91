// The process-wide list of loaded Susie plug-ins, their discovery in the
// plug-in directory, and picture decoding through them.
#pragma once

#include "app/text.h"
#include "search/condition.h"
#include "search/header.h"
#include "spi/hostproto.h"
#include "spi/susie.h"

struct HostLinkPair;

// Room for a plug-in's description (GetPluginInfo 1), terminator included.
constexpr int kSpiDescriptionSize = 256;

// One loaded plug-in library. The record owns its library handle; the list
// owns the records.
struct SusiePlugin {
    HMODULE moduleHandle;  // none when a host runs the plug-in
    HostLinkPair* host;    // the hosts that run it; none when loaded here
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
    int32_t hasDialog;  // exports ConfigurationDlg
    char description[kSpiDescriptionSize];  // a hosted plug-in's, as its host read it
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

// Who hears how the asking of a batch goes; every member may be none.
struct SpiWatch {
    void* context;
    // plugin (place in the batch's list) faulted inside its own code on file.
    void (*fault)(void* context, SusiePlugin& plugin, uint32_t place, uint32_t file);
    // Before each plug-in call.
    void (*mark)(void* context, uint32_t file, uint32_t place);
    // Between files: true ends the batch there.
    bool (*stop)(void* context);
};

// Asks plugins[0..count), in order, about each file of names[0..fileCount)
// (resolved against the current directory), into answers: each file's head
// is read once; the first plug-in whose size matches one of the conditions
// ends the asking; a plug-in that knows the file but matches nothing does
// not. Faulted plug-ins are passed over. Returns the files answered, fewer
// when watch's stop said so.
uint32_t spiAskSizes(SusiePlugin* const* plugins, uint32_t count, const char* const* names, uint32_t fileCount,
                     const Condition* conditions, int32_t conditionCount, SpiSizeAnswer* answers,
                     const SpiWatch& watch);

// A picture as a plug-in hands it over: a BITMAPINFO and bottom-up rows, both
// LocalAlloc handles, checked to fit each other; spiPictureFree frees them.
struct SpiPictureParts {
    HLOCAL info;
    HLOCAL bits;
};
void spiPictureFree(SpiPictureParts& parts);

// Decodes the picture at path (a full path) with the first of
// plugins[0..count) that claims and decodes it, faulted ones passed over.
// Returns its place with parts filled, or -1.
int spiDecodeParts(SusiePlugin* const* plugins, uint32_t count, const char* path, const SpiWatch& watch,
                   SpiPictureParts& parts);

// Whether a BITMAPINFO of infoSize bytes and rows of bitsSize bytes fit each
// other, as GDI will read them.
bool spiBitmapFits(const BITMAPINFO* info, SIZE_T infoSize, SIZE_T bitsSize);

// A DIB section of the picture (checked first); none when it does not fit.
// A failed row copy only beeps.
HBITMAP spiBitmapFrom(const BITMAPINFO* info, SIZE_T infoSize, const void* bits, SIZE_T bitsSize);

// Decodes the picture at path with the first plug-in of spiList, enabled or
// not, that claims and decodes it, wherever it runs. Returns a DIB section
// the caller deletes with DeleteObject, or none. A plug-in that faults is
// passed over, and named to the user in a box owned by owner (none: not
// shown).
HBITMAP spiDecode(const char* path, HWND owner = nullptr);

// The progress callback handed to GetPicture: always lets the plug-in go on.
int WINAPI spiProgress(int done, int total, LONG_PTR data);

// The plug-in's description (GetPluginInfo 1) into text (kSpiDescriptionSize
// bytes), asked of the library loaded here under the guard; "" when it faults.
void spiReadDescription(SusiePlugin& plugin, char* text);

// Calls the loaded plug-in's ConfigurationDlg(parent, function) under the
// guard; kSusieNoDialog when it has none, has faulted or faults now.
int spiCallDialog(SusiePlugin& plugin, HWND parent, int function);

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
