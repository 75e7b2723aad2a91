#include "spi/route.h"

#include <string.h>

#include "app/resstring.h"
#include "spi/guard.h"
#include "spi/hostlink.h"

// The hosts of one architecture, where a record's host points.
struct HostLinkPair {
    HostLink search;
    HostLink window;
    DWORD limitMs;
    bool used;
};

namespace {

constexpr int kStringCannotChangeDirectory = 6;
constexpr int kConfigureSettings = 1;  // ConfigurationDlg: the plug-in's settings window
constexpr char kHostName[] = "trawlix-spihost.exe";
// The other architecture's host, below the program's folder.
#ifdef _WIN64
constexpr char kForeignHost[] = "x86\\trawlix-spihost.exe";
constexpr char kForeignPattern[] = "*.spi";
#else
constexpr char kForeignHost[] = "x64\\trawlix-spihost.exe";
constexpr char kForeignPattern[] = "*.sph";
#endif

// This architecture's hosts, then the other's.
HostLinkPair hosts[2];

// A run of consecutive plug-ins that live in the same place.
uint32_t runEnd(SusiePlugin* const* plugins, uint32_t count, uint32_t from) {
    uint32_t end = from + 1;
    while (end < count && plugins[end]->host == plugins[from]->host) ++end;
    return end;
}

HostLink& searchLink(const SusiePlugin& p) {
    return p.host->search;
}
HostLink& windowLink(const SusiePlugin& p) {
    return p.host->window;
}
DWORD limitOf(const SusiePlugin& p) {
    return p.host->limitMs;
}

// Turns plugin off after a fault or a hang its host reported, and names it once.
void turnOff(SusiePlugin& plugin, HWND owner, const char* picture, bool hung) {
    if (plugin.faulted) return;
    plugin.faulted = 1;
    plugin.enabled = 0;
    spiFaultNotice(owner, plugin, picture, hung);
}

// Writes the run's plug-in names into the request; a faulted one goes as an
// empty name, which no host knows and so never asks.
bool putPluginNames(HostLink& link, uint32_t& at, SusiePlugin* const* plugins, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i)
        if (!hostPutText(link, at, plugins[i]->faulted ? "" : plugins[i]->fileName)) return false;
    return true;
}

// What a host's faults and ends mean for the run's plug-ins. Returns true
// when the call is to be sent again (a culprit was turned off, or the host
// fell between calls and gets one more chance).
bool afterEnd(HostCallEnd end, LONG atPlugin, SusiePlugin* const* plugins, uint32_t count, HWND owner,
              const char* picture, uint32_t& retries) {
    if (end != kHostCrashed && end != kHostHung) return false;
    if (atPlugin >= 0 && static_cast<uint32_t>(atPlugin) < count && !plugins[atPlugin]->faulted) {
        turnOff(*plugins[atPlugin], owner, picture, end == kHostHung);
        return true;
    }
    return ++retries <= 1;
}

void reportFaults(const HostFault* faults, uint32_t faultCount, SusiePlugin* const* plugins, uint32_t count,
                  HWND owner, const char* const* names, uint32_t nameCount) {
    for (uint32_t i = 0; i < faultCount && i < kHostMaxFaults; ++i) {
        const HostFault& f = faults[i];
        if (f.plugin < count) turnOff(*plugins[f.plugin], owner, f.file < nameCount ? names[f.file] : "", false);
    }
}

// Fills in the files of one run in a host, as many per call as the request holds.
uint32_t hostSizes(HostLink& link, SusiePlugin* const* plugins, uint32_t count, const char* directory,
                   const char* const* names, uint32_t fileCount, const Condition* conditions,
                   int32_t conditionCount, SpiSizeAnswer* answers, HWND owner, const HostWait& wait) {
    uint32_t done = 0, retries = 0;
    bool stopped = false;
    EnterCriticalSection(&link.lock);
    while (done < fileCount) {
        if (!hostLinkRun(link)) break;
        HostSizesHead head = {count, 0, static_cast<uint32_t>(conditionCount), 0};
        uint32_t at = sizeof head;
        const uint32_t conditionBytes = static_cast<uint32_t>(sizeof(Condition) * conditionCount);
        if (conditionBytes > kHostRequestBytes - at) break;
        memcpy(link.block->request + at, conditions, conditionBytes);
        at += conditionBytes;
        if (!hostPutText(link, at, directory) || !putPluginNames(link, at, plugins, count)) break;
        while (done + head.fileCount < fileCount && head.fileCount < kHostMaxFiles &&
               hostPutText(link, at, names[done + head.fileCount]))
            ++head.fileCount;
        if (!head.fileCount) break;
        memcpy(link.block->request, &head, sizeof head);
        LONG atFile, atPlugin;
        HostCallEnd end = hostLinkCall(link, kHostOpSizes, at, wait, atFile, atPlugin);
        const auto& reply = *reinterpret_cast<const HostSizesReply*>(link.block->reply);
        if (end == kHostAnswered && link.block->result == kHostDone) {
            memcpy(answers + done, reply.answers, sizeof(SpiSizeAnswer) * head.fileCount);
            reportFaults(reply.faults, reply.faultCount, plugins, count, owner, names + done, head.fileCount);
            done += head.fileCount;
            retries = 0;
            continue;
        }
        stopped = end == kHostStopped;
        if (end == kHostAnswered || end == kHostStopped || end == kHostUnavailable) break;
        // The files before the one the host fell on were answered whole.
        uint32_t whole = atFile >= 0 && static_cast<uint32_t>(atFile) < head.fileCount ? atFile : 0;
        memcpy(answers + done, reply.answers, sizeof(SpiSizeAnswer) * whole);
        done += whole;
        if (!afterEnd(end, atPlugin, plugins, count, owner, names[done], retries)) {
            // A host that falls on a file with no plug-in to blame: the file stays unread.
            answers[done] = spiUnasked(true, true);
            ++done;
            retries = 0;
        }
    }
    LeaveCriticalSection(&link.lock);
    if (stopped) return done;
    // What no host could answer is unknown this time, and not remembered.
    for (uint32_t i = done; i < fileCount; ++i) answers[i] = spiUnasked(true, true);
    return fileCount;
}

// In-process faults go to the same notice; the caller's stop is asked between files.
struct NoticeTo {
    HWND owner;
    const char* const* names;
    bool (*stop)(void*);
    void* stopContext;
};

void inProcessFault(void* context, SusiePlugin& plugin, uint32_t, uint32_t file) {
    auto* to = static_cast<NoticeTo*>(context);
    spiFaultNotice(to->owner, plugin, to->names[file]);
}

bool inProcessStop(void* context) {
    auto* to = static_cast<NoticeTo*>(context);
    return to->stop && to->stop(to->stopContext);
}

// Takes what a run answered for the files it was asked about into answers,
// its places counted from the run's first.
void mergeAnswer(SpiSizeAnswer& into, const SpiSizeAnswer& got, uint32_t first, bool firstRun) {
    if (firstRun) into.opened = got.opened;
    into.unsure |= got.unsure;
    if (got.asked) into.asked = static_cast<uint8_t>(first + got.asked);
    if (got.knew && into.firstKnew == kSpiNone) {
        into.firstKnew = static_cast<uint8_t>(first + got.firstKnew);
        into.firstWidth = got.firstWidth;
        into.firstHeight = got.firstHeight;
    }
    into.knew = static_cast<uint8_t>(into.knew + got.knew < 255 ? into.knew + got.knew : 255);
    if (got.matchedBy != kSpiNone) {
        into.matchedBy = static_cast<uint8_t>(first + got.matchedBy);
        into.width = got.width;
        into.height = got.height;
    }
}

HBITMAP bitmapFromSection(HostLink& link, const HostPictureReply& reply) {
    if (reply.bitsOffset < reply.infoBytes) return nullptr;
    const unsigned char* view = hostLinkPicture(link, reply.section, reply.bitsOffset + reply.bitsBytes);
    HBITMAP bitmap = view ? spiBitmapFrom(reinterpret_cast<const BITMAPINFO*>(view), reply.infoBytes,
                                          view + reply.bitsOffset, static_cast<SIZE_T>(reply.bitsBytes))
                          : nullptr;
    hostLinkPictureDone(link);
    return bitmap;
}

HBITMAP hostDecode(SusiePlugin* const* plugins, uint32_t count, const char* path, HWND owner) {
    HostLink& link = windowLink(*plugins[0]);
    const HostWait wait = {nullptr, nullptr, false, limitOf(*plugins[0])};
    HBITMAP bitmap = nullptr;
    uint32_t retries = 0;
    EnterCriticalSection(&link.lock);
    for (;;) {
        if (!hostLinkRun(link)) break;
        uint32_t at = 0;
        if (!hostPutText(link, at, path) || !putPluginNames(link, at, plugins, count)) break;
        LONG atFile, atPlugin;
        HostCallEnd end = hostLinkCall(link, kHostOpDecode, at, wait, atFile, atPlugin);
        const auto& reply = *reinterpret_cast<const HostPictureReply*>(link.block->reply);
        if (end == kHostAnswered) {
            if (link.block->result != kHostDone) break;
            reportFaults(reply.faults, reply.faultCount, plugins, count, owner, &path, 1);
            if (reply.decodedBy >= 0) bitmap = bitmapFromSection(link, reply);
            break;
        }
        if (!afterEnd(end, atPlugin, plugins, count, owner, path, retries)) break;
    }
    LeaveCriticalSection(&link.lock);
    return bitmap;
}

HBITMAP inProcessDecode(SusiePlugin* const* plugins, uint32_t count, const char* path, HWND owner) {
    NoticeTo to = {owner, &path, nullptr, nullptr};
    const SpiWatch watch = {&to, inProcessFault, nullptr, nullptr};
    SpiPictureParts parts;
    if (spiDecodeParts(plugins, count, path, watch, parts) < 0) return nullptr;
    const void* info = LocalLock(parts.info);
    const void* bits = LocalLock(parts.bits);
    HBITMAP bitmap = spiBitmapFrom(static_cast<const BITMAPINFO*>(info), LocalSize(parts.info), bits,
                                   LocalSize(parts.bits));
    if (bits) LocalUnlock(parts.bits);
    if (info) LocalUnlock(parts.info);
    spiPictureFree(parts);
    return bitmap;
}

// Lists the plug-ins a host loaded and appends a record of each.
void appendListed(HostLinkPair& pair) {
    HostLink& link = pair.window;
    EnterCriticalSection(&link.lock);
    LONG atFile, atPlugin;
    const HostWait wait = {nullptr, nullptr, false, pair.limitMs};
    if (hostLinkRun(link) && hostLinkCall(link, kHostOpList, 0, wait, atFile, atPlugin) == kHostAnswered &&
        link.block->result == kHostDone) {
        const unsigned char* reply = link.block->reply;
        uint32_t count = reinterpret_cast<const HostListReply*>(reply)->count;
        size_t at = sizeof(HostListReply);
        SusiePlugin** tail = &spiList;
        while (*tail) tail = &(*tail)->next;
        for (uint32_t i = 0; i < count && at < kHostReplyBytes; ++i) {
            const char* name = reinterpret_cast<const char*>(reply + at);
            at += strnlen(name, kHostReplyBytes - at) + 1;
            const char* description = reinterpret_cast<const char*>(reply + at);
            at += strnlen(description, kHostReplyBytes - at) + 1;
            if (at >= kHostReplyBytes) break;
            const uint8_t flags = reply[at++];
            SusiePlugin* p = static_cast<SusiePlugin*>(textAlloc(sizeof(SusiePlugin)));
            if (!p) break;
            p->host = &pair;
            p->enabled = 1;
            p->hasDialog = flags & kHostPluginHasDialog ? 1 : 0;
            strCopyFit(p->fileName, sizeof p->fileName, name);
            strCopyFit(p->description, sizeof p->description, description);
            *tail = p;
            tail = &p->next;
        }
    }
    LeaveCriticalSection(&link.lock);
}

void endPair(HostLinkPair& pair) {
    if (!pair.used) return;
    hostLinkFree(pair.search);
    hostLinkFree(pair.window);
    pair.used = false;
}

bool hostPath(char* path, const char* folder, const char* name) {
    if (folder) {
        if (!strCopyFit(path, kPathSize, folder)) return false;
    } else {
        DWORD got = GetModuleFileNameA(nullptr, path, kPathSize);
        if (got == 0 || got >= kPathSize) return false;
        *pathFileName(path) = '\0';
    }
    return strAppendFit(path, kPathSize, name) != 0;
}

bool folderHas(const char* directory, const char* pattern) {
    char path[kPathSize];
    if (!strCopyFit(path, sizeof path, directory) || !pathAddBackslash(path, sizeof path) ||
        !strAppendFit(path, sizeof path, pattern))
        return false;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return true;
}

// Whether this system runs programs of the other architecture: a 32-bit
// program asks whether it runs on a 64-bit system; a 64-bit one tries.
bool otherArchitectureRuns() {
#ifdef _WIN64
    return true;
#else
    BOOL wow = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow) && wow;
#endif
}

}  // namespace

int spiLoadHosted(const char* directory, DWORD limitMs, const char* hostFolder) {
    char saved[kPathSize], full[kPathSize];
    DWORD got = GetCurrentDirectoryA(sizeof saved, saved);
    if (got == 0 || got >= sizeof saved || !SetCurrentDirectoryA(directory)) {
        resMessageBox(nullptr, kStringCannotChangeDirectory, kCaptionError, MB_OK | MB_ICONERROR);
        return 0;
    }
    got = GetCurrentDirectoryA(sizeof full, full);  // the hosts start elsewhere: the full path
    SetCurrentDirectoryA(saved);
    if (got == 0 || got >= sizeof full) return 0;
    for (int which = 0; which < 2; ++which) {
        char exe[kPathSize];
        if (which == 1 && !(folderHas(full, kForeignPattern) && otherArchitectureRuns())) continue;
        if (!hostPath(exe, hostFolder, which == 0 ? kHostName : kForeignHost)) continue;
        HostLinkPair& pair = hosts[which];
        endPair(pair);  // a second load starts afresh
        hostLinkInit(pair.search, exe, full);
        hostLinkInit(pair.window, exe, full);
        pair.limitMs = limitMs;
        pair.used = true;
        appendListed(pair);
    }
    return spiList ? 1 : 0;
}

void spiHostsEnd() {
    for (HostLinkPair& pair : hosts) endPair(pair);
}

uint32_t spiSizes(SusiePlugin* const* plugins, uint32_t count, const char* directory, const char* const* names,
                  uint32_t fileCount, const Condition* conditions, int32_t conditionCount, SpiSizeAnswer* answers,
                  HWND owner, bool (*stop)(void*), void* stopContext) {
    for (uint32_t f = 0; f < fileCount; ++f) answers[f] = spiUnasked(true, false);
    if (!count) return fileCount;
    // Each run asks the files no run before it has settled.
    const char** asked = static_cast<const char**>(textAlloc(sizeof(char*) * fileCount));
    uint32_t* which = static_cast<uint32_t*>(textAlloc(sizeof(uint32_t) * fileCount));
    SpiSizeAnswer* got = static_cast<SpiSizeAnswer*>(textAlloc(sizeof(SpiSizeAnswer) * fileCount));
    uint32_t answered = fileCount;
    if (asked && which && got) {
        for (uint32_t from = 0; from < count;) {
            const uint32_t end = runEnd(plugins, count, from);
            uint32_t n = 0;
            for (uint32_t f = 0; f < fileCount; ++f) {
                if (!answers[f].opened || answers[f].matchedBy != kSpiNone) continue;
                asked[n] = names[f];
                which[n++] = f;
            }
            uint32_t gotCount;
            if (plugins[from]->host) {
                const HostWait wait = {stop, stopContext, false, limitOf(*plugins[from])};
                gotCount = hostSizes(searchLink(*plugins[from]), plugins + from, end - from, directory, asked, n,
                                     conditions, conditionCount, got, owner, wait);
            } else {
                NoticeTo to = {owner, asked, stop, stopContext};
                const SpiWatch watch = {&to, inProcessFault, nullptr, inProcessStop};
                gotCount = spiAskSizes(plugins + from, end - from, asked, n, conditions, conditionCount, got, watch);
            }
            for (uint32_t i = 0; i < gotCount; ++i) mergeAnswer(answers[which[i]], got[i], from, from == 0);
            if (gotCount < n) {
                answered = which[gotCount];
                break;
            }
            from = end;
        }
    } else {
        for (uint32_t f = 0; f < fileCount; ++f) answers[f].unsure = 1;
    }
    textFree(got);
    textFree(which);
    textFree(asked);
    return answered;
}

HBITMAP spiDecode(const char* path, HWND owner) {
    SusiePlugin* plugins[kSpiNone];
    uint32_t count = 0;
    for (SusiePlugin* p = spiList; p && count < kSpiNone; p = p->next) plugins[count++] = p;
    for (uint32_t from = 0; from < count;) {
        const uint32_t end = runEnd(plugins, count, from);
        HBITMAP bitmap = plugins[from]->host ? hostDecode(plugins + from, end - from, path, owner)
                                             : inProcessDecode(plugins + from, end - from, path, owner);
        if (bitmap) return bitmap;
        from = end;
    }
    return nullptr;
}

void spiDescription(SusiePlugin& plugin, char* text) {
    if (plugin.host) {
        text[0] = '\0';
        strCopyFit(text, kSpiDescriptionSize, plugin.description);
        return;
    }
    spiReadDescription(plugin, text);
}

int spiConfigure(SusiePlugin& plugin, HWND parent) {
    if (!plugin.hasDialog || plugin.faulted) return kSusieNoDialog;
    if (!plugin.host) return spiCallDialog(plugin, parent, kConfigureSettings);
    int result = kSusieNoDialog;
    // The dialog runs in the host, owned by parent: this thread answers its
    // messages while it is open, and waits as long as the user does.
    HostLink& link = windowLink(plugin);
    EnterCriticalSection(&link.lock);
    if (hostLinkRun(link)) {
        HostConfigureHead head = {reinterpret_cast<uintptr_t>(parent), kConfigureSettings, 0};
        memcpy(link.block->request, &head, sizeof head);
        uint32_t at = sizeof head;
        LONG atFile, atPlugin;
        const HostWait wait = {nullptr, nullptr, true, INFINITE};
        if (hostPutText(link, at, plugin.fileName)) {
            HostCallEnd end = hostLinkCall(link, kHostOpConfigure, at, wait, atFile, atPlugin);
            if (end == kHostAnswered) {
                result = link.block->result;
            } else if (end == kHostCrashed) {
                turnOff(plugin, parent, plugin.fileName, false);
            }
        }
    }
    LeaveCriticalSection(&link.lock);
    return result;
}
