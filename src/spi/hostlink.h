// The program's end of one plug-in host process: starting it on first use,
// one call at a time through the shared block, and ending it when it
// crashes, stops answering or is no longer wanted.
#pragma once

#include <stdint.h>

#include "app/text.h"
#include "spi/hostproto.h"

struct HostLink {
    char exePath[kPathSize];    // the host program
    char pluginDir[kPathSize];  // what it loads
    int32_t unavailable;        // 1: the host could not be started; its plug-ins are left out
    uint32_t runs;              // hosts started so far
    HANDLE process;             // the running host; none between runs
    HANDLE mapping, requestEvent, replyEvent;
    HostBlock* block;           // the shared block, while a host runs
    int32_t calling;            // a call is under way (the lock is re-entrant; a call is not)
    // The host's last picture section, kept mapped while the host keeps it.
    HANDLE picture;
    const unsigned char* pictureView;
    uint64_t pictureBytes;
    char pictureName[64];
    CRITICAL_SECTION lock;      // one caller at a time
};

// Readies link to start exePath on first use; nothing starts yet.
void hostLinkInit(HostLink& link, const char* exePath, const char* pluginDir);
// Ends the host, if one runs, and releases what link holds.
void hostLinkFree(HostLink& link);

// Starts the host unless one runs, and waits until it has loaded its
// plug-ins. Returns false when it could not start (link.unavailable is then
// set and stays so).
bool hostLinkRun(HostLink& link);

// How a call ended.
enum HostCallEnd {
    kHostAnswered,     // the reply is in the block
    kHostCrashed,      // the host ended during the call
    kHostHung,         // no plug-in call finished within the time limit: the host was ended
    kHostStopped,      // stop asked to give up: the host was ended
    kHostUnavailable,  // no host could be started
};

// How a caller waits for its call.
struct HostWait {
    bool (*stop)(void*);  // asked every few milliseconds while the host works; may be none
    void* context;
    // Messages of the calling thread are handled while it waits: a plug-in's
    // dialog owned by the caller's window sends it messages.
    bool pump;
    DWORD limitMs;  // a plug-in call longer than this is hung; INFINITE: never
};

// Sends the request the caller wrote into link.block->request (length bytes)
// as op and waits for its end. After a crash or a hang, atFile and atPlugin
// say where the host was (atPlugin -1: between plug-in calls); the block
// stays readable until the next call. The caller holds link.lock.
HostCallEnd hostLinkCall(HostLink& link, uint32_t op, uint32_t length, const HostWait& wait, LONG& atFile,
                         LONG& atPlugin);

// A view of the picture section name (bytes long) the host named in its
// reply, kept for the next picture while the host reuses the section; none
// when it cannot be mapped. Valid until the next call; the caller lets go
// of it with hostLinkPictureDone.
const unsigned char* hostLinkPicture(HostLink& link, const char* name, uint64_t bytes);
void hostLinkPictureDone(HostLink& link);

// Writes text and its terminator at at in the request; false when it does not fit.
bool hostPutText(HostLink& link, uint32_t& at, const char* text);
