// How much a picture's size costs: the fast header reader against the WIC
// plug-in's GetPictureInfo on the same files, with a full decode through the
// plug-in as the yardstick of "decoding the pixels". All three are measured
// in the same run; the ratios are what to compare between runs.
//
// Usage: picture_info.exe PLUGIN.spi PICTURE... (run under Wine by bench/run.sh)
#include <windows.h>

#include <stdio.h>

#include <vector>

#include "app/text.h"
#include "search/header.h"
#include "spi/plugins.h"

namespace {

constexpr int kRounds = 5;

double seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

HANDLE openPicture(const char* path) {
    return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The search's fast path: open, probe the header, close.
bool fastSize(const char* path) {
    HANDLE file = openPicture(path);
    if (file == INVALID_HANDLE_VALUE) return false;
    PictureSize size;
    int known = probeHeaderSize(probeFileFromHandle(&file), pathFileName(path), nullptr, size);
    CloseHandle(file);
    return known != 0;
}

// The search's plug-in path: open, read the head, close, ask the plug-in.
bool pluginSize(SusiePlugin& plugin, const char* path) {
    HANDLE file = openPicture(path);
    if (file == INVALID_HANDLE_VALUE) return false;
    unsigned char header[kSusieHeaderSize];
    spiReadHeader(file, header);
    CloseHandle(file);
    PictureSize size;
    return spiPictureSize(plugin, path, header, size) != 0;
}

bool fullDecode(const char* path) {
    HBITMAP bitmap = spiDecode(path);
    if (bitmap) DeleteObject(bitmap);
    return bitmap != nullptr;
}

template <typename Measure>
double timeAll(const std::vector<const char*>& paths, Measure measure, int& failures) {
    LARGE_INTEGER from, to;
    QueryPerformanceCounter(&from);
    for (int round = 0; round < kRounds; ++round) {
        for (const char* path : paths) {
            if (!measure(path)) ++failures;
        }
    }
    QueryPerformanceCounter(&to);
    return seconds(from, to) / (kRounds * paths.size());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: picture_info PLUGIN.spi PICTURE...\n");
        return 2;
    }
    char folder[kPathSize];
    if (!strCopyFit(folder, sizeof folder, argv[1])) return 2;
    char* name = pathFileName(folder);
    if (name != folder) name[-1] = '\0';
    if (!spiLoadAll(name == folder ? "." : folder)) {
        fprintf(stderr, "no plug-in loaded from %s\n", argv[1]);
        return 1;
    }
    std::vector<const char*> paths(argv + 2, argv + argc);
    int failures = 0;
    fullDecode(paths[0]);  // warm up the codecs once
    double fast = timeAll(paths, fastSize, failures);
    double info = timeAll(paths, [](const char* p) { return pluginSize(*spiList, p); }, failures);
    double decode = timeAll(paths, fullDecode, failures);

    printf("files: %u, rounds: %d, failures: %d\n", unsigned(paths.size()), kRounds, failures);
    printf("fast header reader:   %9.1f us per file (baseline)\n", fast * 1e6);
    printf("plug-in picture info: %9.1f us per file  %6.1fx baseline\n", info * 1e6, info / fast);
    printf("plug-in full decode:  %9.1f us per file  %6.1fx baseline  (%.1fx picture info)\n",
           decode * 1e6, decode / fast, decode / info);
    spiListFree(spiList);
    return failures ? 1 : 0;
}
