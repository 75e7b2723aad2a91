#include "spi/plugins.h"

#include <string.h>

#include "app/resstring.h"
#include "spi/guard.h"

SusiePlugin* spiList = nullptr;

namespace {

constexpr int kStringCannotChangeDirectory = 6;

void appendPlugin(SusiePlugin* plugin) {
    SusiePlugin** link = &spiList;
    while (*link) link = &(*link)->next;
    *link = plugin;
}

template <typename Entry>
Entry exportOf(HMODULE module, const char* name) {
    return reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Loads the library called name in the current directory and makes a record
// of it when it is a complete "00IN" plug-in; otherwise unloads it. Returns
// the record, or none.
SusiePlugin* loadCandidate(const char* name) {
    // ".\" keeps the loader from preferring a same-named library beside the
    // executable or in the system folders; a broken file raises no system box.
    char relative[kPathSize + 2] = ".\\";
    if (!strCopyFit(relative + 2, sizeof relative - 2, name)) return nullptr;
    UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE module = LoadLibraryA(relative);
    SetErrorMode(oldMode);
    if (!module) return nullptr;

    SusiePlugin* plugin = static_cast<SusiePlugin*>(textAlloc(sizeof(SusiePlugin)));
    if (!plugin) {
        FreeLibrary(module);
        return nullptr;
    }
    plugin->moduleHandle = module;
    strCopyFit(plugin->fileName, sizeof plugin->fileName, name);
    plugin->GetPluginInfo = exportOf<SusieGetPluginInfo>(module, "GetPluginInfo");
    plugin->IsSupported = exportOf<SusieIsSupported>(module, "IsSupported");
    plugin->GetPictureInfo = exportOf<SusieGetPictureInfo>(module, "GetPictureInfo");
    plugin->GetPicture = exportOf<SusieGetPicture>(module, "GetPicture");
    plugin->ConfigurationDlg = exportOf<SusieConfigurationDlg>(module, "ConfigurationDlg");
    plugin->hasDialog = plugin->ConfigurationDlg ? 1 : 0;
    plugin->enabled = 1;
    plugin->order = 0;

    bool complete = plugin->GetPluginInfo && plugin->IsSupported && plugin->GetPictureInfo &&
                    plugin->GetPicture;
    struct VersionCall {
        SusiePlugin* plugin;
        char version[8];
    } call = {plugin, {}};
    if (complete)
        spiGuard(*plugin, [](void* c) {
            auto* v = static_cast<VersionCall*>(c);
            v->plugin->GetPluginInfo(0, v->version, 5);
        }, &call);
    const char* version = call.version;
    if (!complete || memcmp(version, "00IN", 4) != 0) {
        spiListUnload(plugin);
        return nullptr;
    }
    return plugin;
}

// Reads the first kSusieHeaderSize bytes of the file at path into header,
// zero past its end; false when it cannot be opened.
bool readHead(const char* path, unsigned char* header) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    spiReadHeader(file, header);
    CloseHandle(file);
    return true;
}

void freeLocal(HLOCAL& handle) {
    if (handle) LocalFree(handle);
    handle = nullptr;
}

}  // namespace

// Checks what a plug-in handed back before GDI reads it: a header GDI knows,
// a nonzero size, and enough bytes for the colour table and for every row.
bool spiBitmapFits(const BITMAPINFO* info, SIZE_T infoSize, SIZE_T bitsSize) {
    if (!info || infoSize < sizeof(BITMAPINFOHEADER)) return false;
    const BITMAPINFOHEADER& h = info->bmiHeader;
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biSize > infoSize) return false;
    if (h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == LONG(0x80000000) || h.biPlanes != 1)
        return false;
    const uint32_t bpp = h.biBitCount;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;
    uint64_t colors = h.biClrUsed ? h.biClrUsed : (bpp <= 8 ? 1u << bpp : 0u);
    if (h.biCompression == BI_BITFIELDS && (bpp == 16 || bpp == 32)) {
        if (h.biSize == sizeof(BITMAPINFOHEADER)) colors += 3;  // the three masks
    } else if (h.biCompression != BI_RGB) {
        return false;
    }
    if (colors > 65536 || h.biSize + colors * sizeof(RGBQUAD) > infoSize) return false;
    uint64_t stride = (static_cast<uint64_t>(h.biWidth) * bpp + 31) / 32 * 4;
    uint64_t rows = h.biHeight < 0 ? -static_cast<int64_t>(h.biHeight) : h.biHeight;
    return stride * rows <= bitsSize && stride * rows < 0x80000000u;
}

HBITMAP spiBitmapFrom(const BITMAPINFO* info, SIZE_T infoSize, const void* bits, SIZE_T bitsSize) {
    HBITMAP bitmap = nullptr;
    if (info && bits && spiBitmapFits(info, infoSize, bitsSize)) {
        void* pixels = nullptr;
        bitmap = CreateDIBSection(nullptr, info, DIB_RGB_COLORS, &pixels, nullptr, 0);
        if (bitmap) {
            LONG height = info->bmiHeader.biHeight;
            UINT rows = static_cast<UINT>(height < 0 ? -height : height);
            HWND desktop = GetDesktopWindow();
            HDC dc = GetDC(desktop);
            if (!SetDIBits(dc, bitmap, 0, rows, bits, info, DIB_RGB_COLORS)) MessageBeep(MB_ICONHAND);
            ReleaseDC(desktop, dc);
        }
    }
    return bitmap;
}

namespace {

// The plug-in calls of a decode and of a size question, each run under one guard.
struct DecodeCall {
    SusiePlugin* plugin;
    const char* path;
    const unsigned char* header;
    int supported, result;
    HLOCAL info, bits;
};

void decodeCall(void* context) {
    auto* c = static_cast<DecodeCall*>(context);
    c->supported = c->plugin->IsSupported(c->path, reinterpret_cast<DWORD_PTR>(c->header));
    if (c->supported)
        c->result = c->plugin->GetPicture(c->path, 0, kSusieInputFile, &c->info, &c->bits, spiProgress, 0);
}

struct SizeCall {
    SusiePlugin* plugin;
    const char* fileName;
    const unsigned char* header;
    int supported, result;
    SusiePictureInfo info;
};

void sizeCall(void* context) {
    auto* c = static_cast<SizeCall*>(context);
    c->supported = c->plugin->IsSupported(c->fileName, reinterpret_cast<DWORD_PTR>(c->header));
    if (c->supported) c->result = c->plugin->GetPictureInfo(c->fileName, 0, kSusieInputFile, &c->info);
}

}  // namespace

int spiLoadAll(const char* directory) {
    char saved[kPathSize];
    DWORD got = GetCurrentDirectoryA(sizeof saved, saved);
    if (got == 0 || got >= sizeof saved || !SetCurrentDirectoryA(directory)) {
        resMessageBox(nullptr, kStringCannotChangeDirectory, kCaptionError, MB_OK | MB_ICONERROR);
        return 0;
    }

    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(kPluginPattern, &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
            if (SusiePlugin* plugin = loadCandidate(found.cFileName)) appendPlugin(plugin);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    SetCurrentDirectoryA(saved);
    return spiList ? 1 : 0;
}

void spiListFree(SusiePlugin* head) {
    while (head) {
        SusiePlugin* next = head->next;
        textFree(head);
        head = next;
    }
}

void spiListUnload(SusiePlugin* head) {
    while (head) {
        SusiePlugin* next = head->next;
        if (head->moduleHandle) FreeLibrary(head->moduleHandle);
        textFree(head);
        head = next;
    }
}

int WINAPI spiProgress(int, int, LONG_PTR) {
    return 0;
}

int spiReadHeader(HANDLE file, unsigned char* header) {
    zeroFill(header, kSusieHeaderSize);
    DWORD got = 0;
    return ReadFile(file, header, kSusieHeaderSize, &got, nullptr) ? 1 : 0;
}

void spiReadDescription(SusiePlugin& plugin, char* text) {
    text[0] = '\0';
    struct Call {
        SusiePlugin* plugin;
        char* text;
    } call = {&plugin, text};
    spiGuard(plugin, [](void* c) {
        auto* d = static_cast<Call*>(c);
        d->plugin->GetPluginInfo(1, d->text, kSpiDescriptionSize);
    }, &call);
    text[kSpiDescriptionSize - 1] = '\0';
}

int spiCallDialog(SusiePlugin& plugin, HWND parent, int function) {
    if (!plugin.ConfigurationDlg) return kSusieNoDialog;
    struct Call {
        SusiePlugin* plugin;
        HWND parent;
        int function, result;
    } call = {&plugin, parent, function, kSusieNoDialog};
    spiGuard(plugin, [](void* c) {
        auto* d = static_cast<Call*>(c);
        d->result = d->plugin->ConfigurationDlg(d->parent, d->function);
    }, &call);
    return call.result;
}

void spiPictureFree(SpiPictureParts& parts) {
    freeLocal(parts.bits);
    freeLocal(parts.info);
}

int spiDecodeParts(SusiePlugin* const* plugins, uint32_t count, const char* path, const SpiWatch& watch,
                   SpiPictureParts& parts) {
    parts = {};
    unsigned char header[kSusieHeaderSize];
    if (!readHead(path, header)) return -1;

    for (uint32_t place = 0; place < count; ++place) {
        SusiePlugin* plugin = plugins[place];
        if (plugin->faulted) continue;
        if (watch.mark) watch.mark(watch.context, 0, place);
        // Some plug-ins hand back handles together with an error: whatever
        // comes back is freed here.
        DecodeCall call = {plugin, path, header, 0, kSusieInternalError, nullptr, nullptr};
        if (!spiGuard(*plugin, decodeCall, &call)) {
            if (watch.fault) watch.fault(watch.context, *plugin, place, 0);
            continue;  // what a faulted call handed out cannot be trusted
        }
        SpiPictureParts got = {call.info, call.bits};
        bool fits = false;
        if (call.supported && call.result == kSusieOk && got.info && got.bits) {
            const void* info = LocalLock(got.info);
            fits = spiBitmapFits(static_cast<const BITMAPINFO*>(info), LocalSize(got.info), LocalSize(got.bits));
            if (info) LocalUnlock(got.info);
        }
        if (fits) {
            parts = got;
            return static_cast<int>(place);
        }
        spiPictureFree(got);
    }
    return -1;
}

uint32_t spiAskSizes(SusiePlugin* const* plugins, uint32_t count, const char* const* names, uint32_t fileCount,
                     const Condition* conditions, int32_t conditionCount, SpiSizeAnswer* answers,
                     const SpiWatch& watch) {
    for (uint32_t f = 0; f < fileCount; ++f) {
        if (watch.stop && watch.stop(watch.context)) return f;
        SpiSizeAnswer& a = answers[f];
        unsigned char header[kSusieHeaderSize];
        a = spiUnasked(readHead(names[f], header), 0);
        if (!a.opened) continue;
        for (uint32_t place = 0; place < count && a.matchedBy == kSpiNone; ++place) {
            SusiePlugin* plugin = plugins[place];
            if (plugin->faulted || !plugin->enabled) continue;
            a.asked = static_cast<uint8_t>(place + 1);
            if (watch.mark) watch.mark(watch.context, f, place);
            PictureSize size;
            if (!spiPictureSize(*plugin, names[f], header, size)) {
                if (plugin->faulted && watch.fault) watch.fault(watch.context, *plugin, place, f);
                continue;
            }
            if (a.knew < 255 && ++a.knew == 1) {
                a.firstKnew = static_cast<uint8_t>(place);
                a.firstWidth = size.width;
                a.firstHeight = size.height;
            }
            if (conditionAnyMatch(conditions, conditionCount, size.width, size.height)) {
                a.matchedBy = static_cast<uint8_t>(place);
                a.width = size.width;
                a.height = size.height;
            }
        }
    }
    return fileCount;
}

int spiPictureSize(SusiePlugin& plugin, const char* fileName, const unsigned char* header, PictureSize& size,
                   HWND owner) {
    size = {0, 0};
    if (plugin.faulted) return 0;
    // Every byte, padding included: a plug-in may read or write all of it.
    SizeCall call = {&plugin, fileName, header, 0, kSusieInternalError, {}};
    zeroFill(&call.info, sizeof call.info);
    if (!spiGuard(plugin, sizeCall, &call)) {
        spiFaultNotice(owner, plugin, fileName);
        return 0;
    }
    if (!call.supported || call.result != kSusieOk || call.info.width == 0 || call.info.height == 0) return 0;
    size.width = static_cast<uint32_t>(call.info.width);
    size.height = static_cast<uint32_t>(call.info.height);
    return 1;
}

uint64_t spiEnabledSetId(const char* directory) {
    // FNV-1a over each enabled plug-in's name, size and last write, in order.
    uint64_t hash = 0xcbf29ce484222325ull;
    auto mix = [&hash](const void* bytes, size_t length) {
        for (size_t i = 0; i < length; ++i) hash = (hash ^ static_cast<const unsigned char*>(bytes)[i]) * 0x100000001b3ull;
    };
    mix("spi", 3);
    for (const SusiePlugin* p = spiList; p; p = p->next) {
        if (!p->enabled) continue;
        char path[kPathSize];
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        if (strCopyFit(path, sizeof path, directory) && pathAddBackslash(path, sizeof path) &&
            strAppendFit(path, sizeof path, p->fileName))
            GetFileAttributesExA(path, GetFileExInfoStandard, &data);
        mix(p->fileName, strlen(p->fileName) + 1);
        mix(&data.nFileSizeHigh, sizeof data.nFileSizeHigh);
        mix(&data.nFileSizeLow, sizeof data.nFileSizeLow);
        mix(&data.ftLastWriteTime, sizeof data.ftLastWriteTime);
    }
    return hash;
}
