// The program's way to its plug-ins: each record of spiList either was
// loaded into this process (the tests' way) or runs in a plug-in host, one
// per architecture; every question goes where its plug-in lives. The
// program runs two hosts of each architecture: one answers the search, the
// other the window (listing, pictures, the plug-ins' own dialogs), so a
// plug-in that hangs in one never holds the other.
#pragma once

#include "spi/plugins.h"

// Loads the plug-ins of directory through hosts: those of this build's
// architecture and, when the folder has any and the system runs them, the
// other's; appended to spiList, this architecture's first. A call of one
// that takes longer than limitMs is taken for hung. When directory cannot be
// made current, says so (string 6) and loads nothing. Returns 1 when
// spiList is non-empty afterwards. The hosts lie beside the program, or in
// hostFolder (ending in a backslash) when one is given.
int spiLoadHosted(const char* directory, DWORD limitMs, const char* hostFolder = nullptr);

// Ends every host (a hung plug-in included); their records stay, never asked.
void spiHostsEnd();

// Asks plugins[0..count) (records of spiList, faulted ones passed over)
// about each of names[0..fileCount) in directory, the current directory,
// into answers, as spiAskSizes does, each run of plug-ins in the same place
// for all the files at once. A plug-in that faults or hangs is turned off
// and named to the user in a box owned by owner; the asking goes on
// without it. Returns the files answered: fewer when stop (may be none)
// said so.
uint32_t spiSizes(SusiePlugin* const* plugins, uint32_t count, const char* directory, const char* const* names,
                  uint32_t fileCount, const Condition* conditions, int32_t conditionCount, SpiSizeAnswer* answers,
                  HWND owner, bool (*stop)(void*), void* stopContext);

// The plug-in's description (GetPluginInfo 1) into text (kSpiDescriptionSize bytes).
void spiDescription(SusiePlugin& plugin, char* text);

// Opens the plug-in's settings dialog owned by parent; its answer
// (kSusieNoDialog when it has none or could not be asked).
int spiConfigure(SusiePlugin& plugin, HWND parent);
