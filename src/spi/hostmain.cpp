// trawlix-spihost.exe: runs the Susie plug-ins of its own architecture for
// one Trawlix process, so that a plug-in that crashes, corrupts memory or
// never returns costs this process, not the program. Started by the program
// with the name of its run's objects; serves one call at a time until the
// program ends it, or ends itself when the program is gone.
#include <windows.h>

#include <stdlib.h>
#include <string.h>

#include "app/text.h"
#include "spi/hostproto.h"
#include "spi/plugins.h"

namespace {

HostBlock* block = nullptr;

// The last chance of a fault no guard caught: one in a system library a
// plug-in called, say. The program learns of it from the block and from
// this process's end; nothing here can be trusted to go on.
LONG WINAPI lastChance(EXCEPTION_POINTERS*) {
    if (block) block->crashed = 1;
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

void markAt(void*, uint32_t file, uint32_t place) {
    block->atFile = static_cast<LONG>(file);
    block->atPlugin = static_cast<LONG>(place);
    InterlockedIncrement(&block->beat);
}

// Faults the guard caught, for the reply.
struct FaultList {
    uint32_t* count;
    HostFault* faults;
};

void noteFault(void* context, SusiePlugin&, uint32_t place, uint32_t file) {
    auto* list = static_cast<FaultList*>(context);
    if (*list->count < kHostMaxFaults) list->faults[(*list->count)++] = HostFault{place, file};
}

// Reads the next text of the request at at; none past its end.
const char* takeText(uint32_t& at) {
    const char* text = reinterpret_cast<const char*>(block->request + at);
    const void* end = memchr(text, 0, block->requestLength > at ? block->requestLength - at : 0);
    if (!end) return nullptr;
    at += static_cast<uint32_t>(static_cast<const char*>(end) - text) + 1;
    return text;
}

// Reads the request's fixed head into head; at then points past it.
template <typename Head>
bool takeHead(Head& head, uint32_t& at) {
    if (block->requestLength < sizeof head) return false;
    memcpy(&head, block->request, sizeof head);
    at = sizeof head;
    return true;
}

SusiePlugin* pluginNamed(const char* name) {
    for (SusiePlugin* p = spiList; p; p = p->next)
        if (lstrcmpiA(p->fileName, name) == 0) return p;
    return nullptr;
}

// The request's plug-in names as this host's records; a name it does not
// know gets a record that is never asked (faulted).
bool takePlugins(uint32_t& at, uint32_t count, SusiePlugin** plugins) {
    static SusiePlugin unknown = [] {
        SusiePlugin p = {};
        p.faulted = 1;
        return p;
    }();
    for (uint32_t i = 0; i < count; ++i) {
        const char* name = takeText(at);
        if (!name) return false;
        SusiePlugin* p = pluginNamed(name);
        plugins[i] = p ? p : &unknown;
    }
    return true;
}

int32_t serveList() {
    auto* reply = reinterpret_cast<HostListReply*>(block->reply);
    reply->count = 0;
    uint32_t at = sizeof(HostListReply);
    for (SusiePlugin* p = spiList; p; p = p->next) {
        char description[kSpiDescriptionSize];
        markAt(nullptr, 0, 0);
        spiReadDescription(*p, description);
        block->atPlugin = -1;
        size_t nameLength = strlen(p->fileName) + 1, textLength = strlen(description) + 1;
        if (at + nameLength + textLength + 1 > kHostReplyBytes) break;
        memcpy(block->reply + at, p->fileName, nameLength);
        memcpy(block->reply + at + nameLength, description, textLength);
        at += static_cast<uint32_t>(nameLength + textLength);
        block->reply[at++] = p->hasDialog ? kHostPluginHasDialog : 0;
        ++reply->count;
    }
    return kHostDone;
}

int32_t serveSizes() {
    HostSizesHead head;
    uint32_t at;
    if (!takeHead(head, at)) return kHostRefused;
    if (head.fileCount > kHostMaxFiles || head.pluginCount >= kSpiNone || head.conditionCount > 4096 ||
        head.conditionCount * sizeof(Condition) > block->requestLength - at)
        return kHostRefused;
    Condition* conditions = static_cast<Condition*>(textAlloc(sizeof(Condition) * (head.conditionCount + 1)));
    const char** names = static_cast<const char**>(textAlloc(sizeof(char*) * (head.fileCount + 1)));
    SusiePlugin* plugins[kSpiNone];
    int32_t result = kHostRefused;
    if (conditions && names) {
        memcpy(conditions, block->request + at, head.conditionCount * sizeof(Condition));
        at += head.conditionCount * static_cast<uint32_t>(sizeof(Condition));
        const char* directory = takeText(at);
        bool whole = directory && SetCurrentDirectoryA(directory) && takePlugins(at, head.pluginCount, plugins);
        for (uint32_t i = 0; whole && i < head.fileCount; ++i) whole = (names[i] = takeText(at)) != nullptr;
        if (whole) {
            auto* reply = reinterpret_cast<HostSizesReply*>(block->reply);
            reply->faultCount = 0;
            FaultList faults = {&reply->faultCount, reply->faults};
            SpiWatch watch = {&faults, noteFault, markAt, nullptr};
            spiAskSizes(plugins, head.pluginCount, names, head.fileCount, conditions,
                        static_cast<int32_t>(head.conditionCount), reply->answers, watch);
            result = kHostDone;
        }
    }
    textFree(names);
    textFree(conditions);
    return result;
}

// The section decoded pictures are handed over in (see kHostKeptPictureBytes).
HANDLE picture = nullptr;
uint64_t pictureBytes = 0;
uint32_t pictures = 0;
char pictureName[64];

void dropPicture() {
    if (picture) CloseHandle(picture);
    picture = nullptr;
    pictureBytes = 0;
}

// The section, at least bytes long, under its name.
bool pictureSection(uint64_t bytes) {
    if (picture && bytes <= pictureBytes) return true;
    dropPicture();
    snprintf(pictureName, sizeof pictureName, "Local\\trawlix-spihost-picture.%lu.%u",
             static_cast<unsigned long>(GetCurrentProcessId()), ++pictures);
    picture = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, static_cast<DWORD>(bytes >> 32),
                                 static_cast<DWORD>(bytes), pictureName);
    if (!picture) return false;
    pictureBytes = bytes;
    return true;
}

int32_t serveDecode() {
    auto* reply = reinterpret_cast<HostPictureReply*>(block->reply);
    zeroFill(reply, sizeof *reply);
    reply->decodedBy = -1;
    uint32_t at = 0;
    const char* path = takeText(at);
    uint32_t count = 0;
    SusiePlugin* plugins[kSpiNone];
    while (path && at < block->requestLength && count < kSpiNone - 1) {
        if (!takePlugins(at, 1, plugins + count)) return kHostRefused;
        ++count;
    }
    if (!path) return kHostRefused;
    FaultList faults = {&reply->faultCount, reply->faults};
    SpiWatch watch = {&faults, noteFault, markAt, nullptr};
    SpiPictureParts parts;
    int by = spiDecodeParts(plugins, count, path, watch, parts);
    if (by < 0) return kHostDone;
    const void* info = LocalLock(parts.info);
    const void* bits = LocalLock(parts.bits);
    const SIZE_T infoBytes = LocalSize(parts.info), bitsBytes = LocalSize(parts.bits);
    const uint32_t offset = static_cast<uint32_t>((infoBytes + 15) & ~SIZE_T(15));
    const uint64_t total = offset + static_cast<uint64_t>(bitsBytes);
    void* view = info && bits && pictureSection(total) ? MapViewOfFile(picture, FILE_MAP_WRITE, 0, 0, 0) : nullptr;
    if (view) {
        strCopyFit(reply->section, sizeof reply->section, pictureName);
        memcpy(view, info, infoBytes);
        memcpy(static_cast<char*>(view) + offset, bits, bitsBytes);
        UnmapViewOfFile(view);
        reply->decodedBy = by;
        reply->infoBytes = static_cast<uint32_t>(infoBytes);
        reply->bitsOffset = offset;
        reply->bitsBytes = bitsBytes;
    }
    if (info) LocalUnlock(parts.info);
    if (bits) LocalUnlock(parts.bits);
    spiPictureFree(parts);
    return kHostDone;
}

int32_t serveConfigure() {
    HostConfigureHead head;
    uint32_t at;
    if (!takeHead(head, at)) return kHostRefused;
    const char* name = takeText(at);
    SusiePlugin* plugin = name ? pluginNamed(name) : nullptr;
    return plugin ? spiCallDialog(*plugin, reinterpret_cast<HWND>(static_cast<uintptr_t>(head.parent)), head.function)
                  : kSusieNoDialog;
}

int32_t serve() {
    if (pictureBytes > kHostKeptPictureBytes) dropPicture();
    switch (block->op) {
    case kHostOpList:
        return serveList();
    case kHostOpSizes:
        return serveSizes();
    case kHostOpDecode:
        return serveDecode();
    case kHostOpConfigure:
        return serveConfigure();
    default:
        return kHostRefused;
    }
}

DWORD WINAPI watchProgram(void* program) {
    WaitForSingleObject(static_cast<HANDLE>(program), INFINITE);
    TerminateProcess(GetCurrentProcess(), 0);
    return 0;
}

HANDLE openEvent(const char* base, const char* part) {
    char name[96];
    hostObjectName(name, sizeof name, base, part);
    return OpenEventA(EVENT_MODIFY_STATE | SYNCHRONIZE, FALSE, name);
}

}  // namespace

int main(int argc, char** argv) {
    // No system box for a missing drive or a fault: the program reports.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(lastChance);
    if (argc < 2) return 2;
    const char* base = argv[1];
    char name[96];
    hostObjectName(name, sizeof name, base, "block");
    HANDLE mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, name);
    block = mapping ? static_cast<HostBlock*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(HostBlock))) : nullptr;
    HANDLE request = openEvent(base, "request"), reply = openEvent(base, "reply");
    if (!block || !request || !reply || block->magic != kHostMagic || block->version != kHostVersion) return 2;
    // The program that started this host: when it is gone, so is the host.
    unsigned long programId = strtoul(base, nullptr, 10);
    HANDLE program = OpenProcess(SYNCHRONIZE, FALSE, programId);
    if (!program) return 2;

    block->pluginDir[sizeof block->pluginDir - 1] = '\0';
    DWORD attributes = GetFileAttributesA(block->pluginDir);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) spiLoadAll(block->pluginDir);
    block->atPlugin = -1;
    block->ready = 1;
    SetEvent(reply);

    // A plug-in that never returns holds the serving thread: another one
    // watches the program.
    HANDLE watcher = CreateThread(nullptr, 0, watchProgram, program, 0, nullptr);
    if (!watcher) return 2;
    for (;;) {
        WaitForSingleObject(request, INFINITE);
        block->result = serve();
        block->atPlugin = -1;
        SetEvent(reply);
    }
}
