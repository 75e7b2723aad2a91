// Small plug-ins for the host's tests, one behaviour each, chosen at build
// time by TESTSPI_KIND. Each answers only files whose first bytes name its
// tag, except where its behaviour says otherwise.
#include <windows.h>

#include <string.h>

#include "spi/susie.h"

#define KIND_OLD_API 1     // reports API "00AM"
#define KIND_CLAIM_ALL 2   // claims every file, fails GetPicture yet hands back handles
#define KIND_NO_EXPORT 3   // lacks GetPictureInfo
#define KIND_TWIN_RED 4    // "TWIN" files: 800 x 600, decodes red
#define KIND_TWIN_BLUE 5   // "TWIN" files: 1024 x 768, decodes blue
#define KIND_LONG_NAME 6   // an ordinary plug-in with a long file name
#define KIND_NO_CONFIG 7   // ConfigurationDlg answers -1
#define KIND_RECORDER 8    // records what IsSupported saw
#define KIND_SLOPPY 9      // "SLOP" files: zero width, and pixels that do not fit their header
#define KIND_PACKED 10     // "PACK" files: 1280 x 1024 in the packed record, hInfo at byte 22
#define KIND_FULL_RECORD 11  // "FULL" files: 1920 x 1080; needs and fills every byte of the record
#define KIND_DEPTH 12      // "DPTH" files: 3 x 2, decoded at the depth and compression in bytes 4 and 5
#define KIND_FAULTY 13     // "TWIN" files: 640 x 480; faults where TESTSPI_FAULT says ("entry:way")
#define KIND_HANGING 14    // "TWIN" files: GetPictureInfo and GetPicture never return
#define KIND_SYSTEM_FAULT 15  // "TWIN" files: GetPictureInfo and GetPicture hand msvcrt's strlen a bad pointer

#ifndef TESTSPI_KIND
#error TESTSPI_KIND names the behaviour
#endif

#define EXPORT extern "C" __declspec(dllexport)

namespace {

unsigned char lastHeader[kSusieHeaderSize];
char lastName[MAX_PATH];
int calls = 0;
int configCalls = 0;
HWND configParent = nullptr;
int configFunction = -1;
HLOCAL handedOut[16];
int handedCount = 0;

[[maybe_unused]] HLOCAL handOut(SIZE_T size) {
    HLOCAL h = LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, size);
    if (h && handedCount < 16) handedOut[handedCount++] = h;
    return h;
}

[[maybe_unused]] bool tagged(const void* head, const char* tag) {
    return head && memcmp(head, tag, 4) == 0;
}

bool claims(const unsigned char* head) {
#if TESTSPI_KIND == KIND_CLAIM_ALL
    (void)head;
    return true;
#elif TESTSPI_KIND == KIND_TWIN_RED || TESTSPI_KIND == KIND_TWIN_BLUE || TESTSPI_KIND == KIND_LONG_NAME || \
    TESTSPI_KIND == KIND_FAULTY || TESTSPI_KIND == KIND_HANGING || TESTSPI_KIND == KIND_SYSTEM_FAULT
    return tagged(head, "TWIN");
#elif TESTSPI_KIND == KIND_SLOPPY
    return tagged(head, "SLOP");
#elif TESTSPI_KIND == KIND_PACKED
    return tagged(head, "PACK");
#elif TESTSPI_KIND == KIND_FULL_RECORD
    return tagged(head, "FULL");
#elif TESTSPI_KIND == KIND_DEPTH
    return tagged(head, "DPTH");
#else
    (void)head;
    return false;
#endif
}

// A 2 x 2 picture of one colour, bottom-up 24-bit rows.
[[maybe_unused]] int solidPicture(HLOCAL* info, HLOCAL* bits, BYTE blue, BYTE green, BYTE red) {
    *info = handOut(sizeof(BITMAPINFO));
    *bits = handOut(16);
    BITMAPINFO* bi = static_cast<BITMAPINFO*>(LocalLock(*info));
    BYTE* rows = static_cast<BYTE*>(LocalLock(*bits));
    bi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi->bmiHeader.biWidth = 2;
    bi->bmiHeader.biHeight = 2;
    bi->bmiHeader.biPlanes = 1;
    bi->bmiHeader.biBitCount = 24;
    bi->bmiHeader.biCompression = BI_RGB;
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 2; ++x) {
            BYTE* p = rows + y * 8 + x * 3;
            p[0] = blue;
            p[1] = green;
            p[2] = red;
        }
    }
    LocalUnlock(*bits);
    LocalUnlock(*info);
    return kSusieOk;
}

#if TESTSPI_KIND == KIND_DEPTH
// A 3 x 2 picture at the depth (8, 16, 24 or 32) and compression (BI_RGB or
// BI_BITFIELDS) named by the file's bytes 4 and 5. Every pixel of an 8-bit
// picture is index 7; the palette maps index i to (red i, green 255 - i, blue 1).
int depthPicture(LPCSTR path, HLOCAL* info, HLOCAL* bits) {
    unsigned char head[6] = {};
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return kSusieReadError;
    DWORD got = 0;
    ReadFile(file, head, sizeof head, &got, nullptr);
    CloseHandle(file);
    const WORD depth = head[4];
    const DWORD compression = head[5];
    const DWORD stride = (3 * depth + 31) / 32 * 4;
    *info = handOut(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
    *bits = handOut(stride * 2);
    BITMAPINFO* bi = static_cast<BITMAPINFO*>(LocalLock(*info));
    BYTE* rows = static_cast<BYTE*>(LocalLock(*bits));
    bi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi->bmiHeader.biWidth = 3;
    bi->bmiHeader.biHeight = 2;
    bi->bmiHeader.biPlanes = 1;
    bi->bmiHeader.biBitCount = depth;
    bi->bmiHeader.biCompression = compression;
    DWORD* masks = reinterpret_cast<DWORD*>(bi->bmiColors);
    if (depth == 8) {
        for (int i = 0; i < 256; ++i) bi->bmiColors[i] = {1, BYTE(255 - i), BYTE(i), 0};
        for (DWORD i = 0; i < stride * 2; ++i) rows[i] = 7;
    } else if (depth == 16) {
        masks[0] = 0xF800;
        masks[1] = 0x07E0;
        masks[2] = 0x001F;
        for (DWORD i = 0; i + 1 < stride * 2; i += 2) rows[i + 1] = 0xF8;  // red
    } else {
        masks[0] = 0xFF0000;
        masks[1] = 0x00FF00;
        masks[2] = 0x0000FF;
        for (DWORD i = 0; i < stride * 2; ++i) rows[i] = static_cast<BYTE>(i % (depth / 8) == 2 ? 0xFF : 0);
    }
    LocalUnlock(*bits);
    LocalUnlock(*info);
    return kSusieOk;
}
#endif

#if TESTSPI_KIND == KIND_FAULTY
volatile int zero = 0;
volatile int one = 1;  // 1 / x needs no division: GCC compares instead

// Recurses until the stack runs out (the limit is never reached); the
// frame's bytes are used so no call is folded away.
int deeper(int depth) {
    volatile char frame[4096];
    frame[depth % sizeof frame] = static_cast<char>(depth);
    return depth == zero - 1 ? 0 : deeper(depth + 1) + frame[0];
}

// Faults inside entry in the way TESTSPI_FAULT names for it: "access",
// "illegal", "divide" or "stack".
void faultIf(const char* entry) {
    char setting[64] = {};
    if (!GetEnvironmentVariableA("TESTSPI_FAULT", setting, sizeof setting)) return;
    char* way = strchr(setting, ':');
    if (!way) return;
    *way++ = '\0';
    if (strcmp(setting, entry) != 0) return;
    if (strcmp(way, "access") == 0) *static_cast<volatile int*>(nullptr) = 1;
    if (strcmp(way, "illegal") == 0) __builtin_trap();
    if (strcmp(way, "divide") == 0) zero = one / zero;
    if (strcmp(way, "stack") == 0) zero = deeper(0);
}
#else
void faultIf(const char*) {}
#endif

// Where an old plug-in goes wrong outside its own code: a call that never
// returns, or a system library's routine handed a bad pointer.
[[maybe_unused]] void misbehave() {
#if TESTSPI_KIND == KIND_HANGING
    // Says where it hangs first, when TESTSPI_HANG_MARK names a file.
    char mark[MAX_PATH];
    if (GetEnvironmentVariableA("TESTSPI_HANG_MARK", mark, sizeof mark))
        CloseHandle(CreateFileA(mark, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    Sleep(INFINITE);
#elif TESTSPI_KIND == KIND_SYSTEM_FAULT
    typedef size_t(__cdecl * Strlen)(const char*);
    auto length = reinterpret_cast<Strlen>(reinterpret_cast<void*>(GetProcAddress(LoadLibraryA("msvcrt.dll"), "strlen")));
    if (length) configCalls += static_cast<int>(length(reinterpret_cast<const char*>(0x10)));
#endif
}

}  // namespace

EXPORT int WINAPI GetPluginInfo(int infoNumber, LPSTR buffer, int bufferLength) {
    faultIf("GetPluginInfo");
#if TESTSPI_KIND == KIND_OLD_API
    const char* api = "00AM";
#else
    const char* api = "00IN";
#endif
    const char* text = infoNumber == 0 ? api : infoNumber == 1 ? "Trawlix test plug-in" : nullptr;
    if (!text || bufferLength <= 0) return 0;
    lstrcpynA(buffer, text, bufferLength);
    return lstrlenA(buffer);
}

EXPORT int WINAPI IsSupported(LPCSTR fileName, DWORD_PTR source) {
    const unsigned char* head = reinterpret_cast<const unsigned char*>(source);
    ++calls;
    faultIf("IsSupported");
    memcpy(lastHeader, head, kSusieHeaderSize);
    lstrcpynA(lastName, fileName, MAX_PATH);
    return claims(head) ? 1 : 0;
}

#if TESTSPI_KIND != KIND_NO_EXPORT
EXPORT int WINAPI GetPictureInfo(LPCSTR, LONG_PTR, UINT, SusiePictureInfo* info) {
    faultIf("GetPictureInfo");
    misbehave();
#if TESTSPI_KIND == KIND_FAULTY
    info->width = 640;
    info->height = 480;
    return kSusieOk;
#elif TESTSPI_KIND == KIND_TWIN_RED || TESTSPI_KIND == KIND_LONG_NAME
    info->width = 800;
    info->height = 600;
    return kSusieOk;
#elif TESTSPI_KIND == KIND_TWIN_BLUE
    info->width = 1024;
    info->height = 768;
    return kSusieOk;
#elif TESTSPI_KIND == KIND_SLOPPY
    info->width = 0;
    info->height = 5;
    return kSusieOk;
#elif TESTSPI_KIND == KIND_PACKED
    // The packed layout some plug-in headers use: no padding after
    // colorDepth, so the text handle starts at byte 22.
    unsigned char* record = reinterpret_cast<unsigned char*>(info);
    info->width = 1280;
    info->height = 1024;
    info->colorDepth = 24;
    HLOCAL text = handOut(16);
    memcpy(record + 22, &text, sizeof text);
    return kSusieOk;
#elif TESTSPI_KIND == KIND_FULL_RECORD
    // A host that hands over less than the whole record, or does not zero
    // it, is refused; then every byte is written, hInfo with a value no
    // host may free.
    unsigned char* record = reinterpret_cast<unsigned char*>(info);
    for (size_t i = 0; i < kSusieInfoBytes; ++i) {
        if (record[i] != 0) return kSusieInternalError;
    }
    memset(record, 0xA5, kSusieInfoBytes);
    info->width = 1920;
    info->height = 1080;
    return kSusieOk;
#else
    (void)info;
    return kSusieUnknownFormat;
#endif
}
#endif

EXPORT int WINAPI GetPicture([[maybe_unused]] LPCSTR path, LONG_PTR, UINT, HLOCAL* info, HLOCAL* bits,
                             SusieProgress progress, LONG_PTR data) {
    if (progress) progress(0, 1, data);
    faultIf("GetPicture");
    misbehave();
#if TESTSPI_KIND == KIND_DEPTH
    return depthPicture(path, info, bits);
#elif TESTSPI_KIND == KIND_TWIN_RED || TESTSPI_KIND == KIND_LONG_NAME
    return solidPicture(info, bits, 0, 0, 255);
#elif TESTSPI_KIND == KIND_TWIN_BLUE || TESTSPI_KIND == KIND_FAULTY
    return solidPicture(info, bits, 255, 0, 0);
#elif TESTSPI_KIND == KIND_CLAIM_ALL
    *info = handOut(sizeof(BITMAPINFO));
    *bits = handOut(16);
    return kSusieCorrupt;
#elif TESTSPI_KIND == KIND_SLOPPY
    solidPicture(info, bits, 0, 255, 0);
    BITMAPINFO* bi = static_cast<BITMAPINFO*>(LocalLock(*info));
    bi->bmiHeader.biWidth = 4000;  // far more rows and columns than the 16 bytes hold
    bi->bmiHeader.biHeight = 4000;
    LocalUnlock(*info);
    return kSusieOk;
#else
    (void)info;
    (void)bits;
    return kSusieUnknownFormat;
#endif
}

EXPORT int WINAPI ConfigurationDlg(HWND parent, int function) {
    ++configCalls;
    faultIf("ConfigurationDlg");
    configParent = parent;
    configFunction = function;
#if TESTSPI_KIND == KIND_NO_CONFIG
    return kSusieNoDialog;
#else
    return 0;
#endif
}

// For the tests: how often IsSupported was called, the head and name it saw last.
EXPORT int WINAPI TestLastCall(unsigned char* header, char* name) {
    memcpy(header, lastHeader, kSusieHeaderSize);
    lstrcpynA(name, lastName, MAX_PATH);
    return calls;
}

// For the tests: how often ConfigurationDlg was called, and its last arguments.
EXPORT int WINAPI TestConfigCalls(HWND* parent, int* function) {
    *parent = configParent;
    *function = configFunction;
    return configCalls;
}

// For the tests: 1 when every handle this plug-in handed out has been freed.
EXPORT int WINAPI TestHandlesFreed() {
    for (int i = 0; i < handedCount; ++i) {
        if (LocalFlags(handedOut[i]) != LMEM_INVALID_HANDLE) return 0;
    }
    return 1;
}

// For the tests: how many handles this plug-in handed out.
EXPORT int WINAPI TestHandlesHandedOut() {
    return handedCount;
}
