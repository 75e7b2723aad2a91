// What the program and a plug-in host (trawlix-spihost.exe) share: one
// block of memory per host run and two events. The layout is the same in
// 32- and 64-bit processes (fixed-width fields only), so either program can
// use either host.
//
// A call: the program writes a request into the block, sets the request
// event and waits for the reply event, the host's end or the time limit.
// The host, before each plug-in call, bumps the beat and says which file
// and plug-in it is at: a host that dies or stops beating names its culprit
// in the memory the program still holds. One call at a time: the program
// runs a host for its search and another for its window, so that a slow or
// hung plug-in in one never holds the other.
#pragma once

#include <stdint.h>
#include <stdio.h>
#include <windows.h>

#include "spi/susie.h"

constexpr uint32_t kHostMagic = 0x54535048;  // "HPST"
constexpr uint32_t kHostVersion = 1;

constexpr uint32_t kHostReplyBytes = 128 * 1024;
constexpr uint32_t kHostRequestBytes = 448 * 1024;

enum HostOp : uint32_t {
    // Request: the plug-in directory, then the extension pattern. Reply:
    // HostListReply, then per plug-in its file name, its description and a
    // byte of HostPluginFlags.
    kHostOpList = 1,
    // Request: HostSizesHead, the conditions, the directory, the plug-ins'
    // file names in asking order, the files' names. Reply: HostSizesReply.
    kHostOpSizes = 2,
    // Request: the picture's full path, then the plug-ins' names in asking
    // order. Reply: HostPictureReply.
    kHostOpDecode = 3,
    // Request: HostConfigureHead, then the plug-in's name. Reply: the
    // plug-in's answer as the channel's result.
    kHostOpConfigure = 4,
};

// The host's answer in the block's result.
constexpr int32_t kHostDone = 0;
constexpr int32_t kHostRefused = -1;  // a request the host could not read

struct HostBlock {
    uint32_t magic;
    uint32_t version;
    volatile LONG ready;     // 1 once the host has loaded the plug-ins and listens
    volatile LONG crashed;   // 1: the host's last-chance handler saw it fall
    volatile LONG beat;      // +1 as the host starts each file and each plug-in call
    volatile LONG atFile;    // the file of the request being read
    volatile LONG atPlugin;  // the plug-in of the request being asked, -1 between calls
    uint32_t op;
    uint32_t requestLength;
    int32_t result;
    char pluginDir[260];  // where the host loads its plug-ins from, written before it starts
    unsigned char reply[kHostReplyBytes];
    unsigned char request[kHostRequestBytes];
};

// The names of a host run's objects: base (the program's process id and the
// run's number) and a part ("block", "request", "reply").
inline void hostObjectName(char* name, size_t size, const char* base, const char* part) {
    snprintf(name, size, "Local\\trawlix-spihost.%s.%s", base, part);
}

enum HostPluginFlags : uint8_t {
    kHostPluginHasDialog = 1,  // exports ConfigurationDlg
};

struct HostListReply {
    uint32_t count;
};

struct HostSizesHead {
    uint32_t pluginCount;
    uint32_t fileCount;
    uint32_t conditionCount;
    uint32_t reserved;
};

// What the plug-ins asked made of one file. Places count from 0 in the
// list of plug-ins the request gave; kSpiNone: none.
constexpr uint8_t kSpiNone = 0xFF;
struct SpiSizeAnswer {
    uint8_t opened;     // its head could be read ("-Err-" otherwise)
    uint8_t knew;       // plug-ins that reported a size, counted to 255
    uint8_t asked;      // plug-ins asked, from the first
    uint8_t firstKnew;  // the first that reported a size
    uint8_t matchedBy;  // the one whose size matched a condition (the asking stops there)
    uint8_t unsure;     // 1: a plug-in could not be asked (its host failed): not to be remembered
    uint8_t reserved[2];
    uint32_t firstWidth, firstHeight;
    uint32_t width, height;  // the matched size
};
static_assert(sizeof(SpiSizeAnswer) == 24, "the same in both architectures");

// A file no plug-in was asked about yet.
inline SpiSizeAnswer spiUnasked(bool opened, bool unsure) {
    return SpiSizeAnswer{opened, 0, 0, kSpiNone, kSpiNone, unsure, {}, 0, 0, 0, 0};
}

// A plug-in that faulted inside its own code, caught by the host's guard.
struct HostFault {
    uint32_t plugin;
    uint32_t file;
};
constexpr uint32_t kHostMaxFaults = 32;
constexpr uint32_t kHostMaxFiles = (kHostReplyBytes - 8 - kHostMaxFaults * sizeof(HostFault)) / sizeof(SpiSizeAnswer);

struct HostSizesReply {
    uint32_t faultCount;
    uint32_t reserved;
    HostFault faults[kHostMaxFaults];
    SpiSizeAnswer answers[kHostMaxFiles];
};
static_assert(sizeof(HostSizesReply) <= kHostReplyBytes, "fits the reply");

struct HostPictureReply {
    int32_t decodedBy;  // the plug-in's place in the request, -1: none decoded it
    uint32_t faultCount;
    HostFault faults[kHostMaxFaults];
    uint32_t infoBytes;   // the BITMAPINFO at the section's start
    uint32_t bitsOffset;  // the rows, from here
    uint64_t bitsBytes;
    char section[64];  // the section's name; the host keeps it until the channel's next call
};

// A picture section up to this size is kept by both sides for the next
// picture, so its pages are not made anew each time; a larger one goes
// after use, not to weigh on a 32-bit program's address space.
constexpr uint64_t kHostKeptPictureBytes = 64ull << 20;

struct HostConfigureHead {
    uint64_t parent;  // the window the plug-in's dialog belongs to
    int32_t function;
    uint32_t reserved;
};
