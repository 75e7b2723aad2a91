#include "spi/hostlink.h"

#include <string.h>

namespace {

// A host gets this long to start and load its plug-ins: process creation
// under a busy machine is slow, and a plug-in's own start-up is not timed.
constexpr DWORD kStartMs = 60000;
// How often a waiting caller looks at the beat and at stop.
constexpr DWORD kPollMs = 50;

void closeHandle(HANDLE& handle) {
    if (handle) CloseHandle(handle);
    handle = nullptr;
}

void dropPicture(HostLink& link) {
    if (link.pictureView) UnmapViewOfFile(link.pictureView);
    link.pictureView = nullptr;
    closeHandle(link.picture);
    link.pictureName[0] = '\0';
}

// Ends the host process, if any; the block stays.
void endProcess(HostLink& link) {
    if (link.process) {
        TerminateProcess(link.process, 1);
        WaitForSingleObject(link.process, INFINITE);  // its plug-ins' files are free again
    }
    closeHandle(link.process);
}

// Ends the running host, if any, and drops the run's objects.
void endRun(HostLink& link) {
    dropPicture(link);
    endProcess(link);
    if (link.block) UnmapViewOfFile(link.block);
    link.block = nullptr;
    closeHandle(link.mapping);
    closeHandle(link.requestEvent);
    closeHandle(link.replyEvent);
}

// Host runs of this process so far, across every link: each run's objects
// have names of their own.
volatile LONG runs = 0;

// Makes the run's block and events, named for this process and run.
bool makeObjects(HostLink& link, char* base, size_t baseSize) {
    ++link.runs;
    snprintf(base, baseSize, "%lu.%ld", static_cast<unsigned long>(GetCurrentProcessId()),
             static_cast<long>(InterlockedIncrement(&runs)));
    char name[96];
    hostObjectName(name, sizeof name, base, "block");
    link.mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(HostBlock), name);
    if (!link.mapping) return false;
    link.block = static_cast<HostBlock*>(MapViewOfFile(link.mapping, FILE_MAP_WRITE, 0, 0, sizeof(HostBlock)));
    hostObjectName(name, sizeof name, base, "request");
    link.requestEvent = CreateEventA(nullptr, FALSE, FALSE, name);
    hostObjectName(name, sizeof name, base, "reply");
    link.replyEvent = CreateEventA(nullptr, FALSE, FALSE, name);
    if (!link.block || !link.requestEvent || !link.replyEvent) return false;
    link.block->magic = kHostMagic;
    link.block->version = kHostVersion;
    link.block->atPlugin = -1;
    return strCopyFit(link.block->pluginDir, sizeof link.block->pluginDir, link.pluginDir) != 0;
}

bool startProcess(HostLink& link, const char* base) {
    char commandLine[kPathSize + 64];
    snprintf(commandLine, sizeof commandLine, "\"%s\" %s", link.exePath, base);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    // The host's current directory is the plug-ins': a plug-in that opens
    // files beside itself finds them, as it did in the program.
    if (!CreateProcessA(link.exePath, commandLine, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        link.pluginDir, &startup, &info))
        return false;
    CloseHandle(info.hThread);
    link.process = info.hProcess;
    return true;
}

// Handles the messages of the calling thread: a plug-in's window owned by
// the caller's sends it messages and waits for them.
void pumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

DWORD waitFor(const HostLink& link, DWORD ms, bool pump) {
    HANDLE handles[2] = {link.replyEvent, link.process};
    return pump ? MsgWaitForMultipleObjects(2, handles, FALSE, ms, QS_ALLINPUT)
                : WaitForMultipleObjects(2, handles, FALSE, ms);
}

}  // namespace

void hostLinkInit(HostLink& link, const char* exePath, const char* pluginDir) {
    zeroFill(&link, sizeof link);
    strCopyFit(link.exePath, sizeof link.exePath, exePath);
    strCopyFit(link.pluginDir, sizeof link.pluginDir, pluginDir);
    InitializeCriticalSection(&link.lock);
}

void hostLinkFree(HostLink& link) {
    EnterCriticalSection(&link.lock);
    endRun(link);
    LeaveCriticalSection(&link.lock);
    DeleteCriticalSection(&link.lock);
}

bool hostLinkRun(HostLink& link) {
    if (link.unavailable) return false;
    if (link.process && WaitForSingleObject(link.process, 0) == WAIT_TIMEOUT) return true;
    endRun(link);
    char base[32];
    if (makeObjects(link, base, sizeof base) && startProcess(link, base)) {
        // The host says it is ready on the reply event.
        HANDLE handles[2] = {link.replyEvent, link.process};
        if (WaitForMultipleObjects(2, handles, FALSE, kStartMs) == WAIT_OBJECT_0 && link.block->ready) return true;
    }
    endRun(link);
    link.unavailable = 1;
    return false;
}

HostCallEnd hostLinkCall(HostLink& link, uint32_t op, uint32_t length, const HostWait& wait, LONG& atFile,
                         LONG& atPlugin) {
    atFile = 0;
    atPlugin = -1;
    if (link.calling || !hostLinkRun(link)) return kHostUnavailable;
    link.calling = 1;
    HostBlock& block = *link.block;
    block.op = op;
    block.requestLength = length;
    block.result = kHostRefused;
    block.atFile = 0;
    block.atPlugin = -1;
    LONG beat = block.beat;
    DWORD beatSeen = GetTickCount();
    SetEvent(link.requestEvent);
    HostCallEnd end = kHostAnswered;
    for (;;) {
        DWORD waited = waitFor(link, kPollMs, wait.pump);
        if (waited == WAIT_OBJECT_0) break;
        if (waited == WAIT_OBJECT_0 + 1) {
            end = kHostCrashed;
            break;
        }
        if (waited == WAIT_OBJECT_0 + 2) {
            pumpMessages();
            continue;
        }
        if (wait.stop && wait.stop(wait.context)) {
            end = kHostStopped;
            break;
        }
        // A call is hung when the beat has not moved for the limit; a long
        // batch of quick calls is not.
        DWORD now = GetTickCount();
        if (block.beat != beat) {
            beat = block.beat;
            beatSeen = now;
        } else if (block.atPlugin >= 0 && wait.limitMs != INFINITE && now - beatSeen >= wait.limitMs) {
            end = kHostHung;
            break;
        }
    }
    atFile = block.atFile;
    atPlugin = block.atPlugin;
    link.calling = 0;
    if (end == kHostAnswered) return end;
    // The block stays mapped for the caller to read; the process goes.
    endProcess(link);
    return end;
}

const unsigned char* hostLinkPicture(HostLink& link, const char* name, uint64_t bytes) {
    if (link.pictureView && strcmp(link.pictureName, name) == 0 && bytes <= link.pictureBytes) return link.pictureView;
    dropPicture(link);
    if (bytes >= 0x80000000u || !strCopyFit(link.pictureName, sizeof link.pictureName, name)) return nullptr;
    link.picture = OpenFileMappingA(FILE_MAP_READ, FALSE, name);
    link.pictureView = link.picture ? static_cast<const unsigned char*>(
                                          MapViewOfFile(link.picture, FILE_MAP_READ, 0, 0, static_cast<SIZE_T>(bytes)))
                                    : nullptr;
    if (!link.pictureView) {
        dropPicture(link);
        return nullptr;
    }
    link.pictureBytes = bytes;
    return link.pictureView;
}

void hostLinkPictureDone(HostLink& link) {
    if (link.pictureBytes > kHostKeptPictureBytes) dropPicture(link);
}

bool hostPutText(HostLink& link, uint32_t& at, const char* text) {
    size_t length = strlen(text) + 1;
    if (length > kHostRequestBytes - at) return false;
    memcpy(link.block->request + at, text, length);
    at += static_cast<uint32_t>(length);
    return true;
}
