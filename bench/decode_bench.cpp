// The shipped plug-in's GetPicture on each file given, from the file, as a
// Susie host asks it: one decode to warm up, then the median of five.
// Prints "FILE MS" per file. Usage: decode_bench PLUGIN FILE...
#include <windows.h>

#include <stdio.h>

#include <algorithm>
#include <vector>

#include "clock.h"
#include "spi/susie.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: decode_bench PLUGIN FILE...\n");
        return 2;
    }
    HMODULE plugin = LoadLibraryA(argv[1]);
    SusieGetPicture picture =
        plugin ? reinterpret_cast<SusieGetPicture>(reinterpret_cast<void*>(GetProcAddress(plugin, "GetPicture")))
               : nullptr;
    if (!picture) {
        fprintf(stderr, "decode_bench: no plug-in at %s\n", argv[1]);
        return 1;
    }
    for (int i = 2; i < argc; ++i) {
        std::vector<double> took;
        for (int round = 0; round < 6; ++round) {
            HLOCAL info = nullptr, bits = nullptr;
            const double start = seconds();
            const int result = picture(argv[i], 0, kSusieInputFile, &info, &bits, nullptr, 0);
            const double end = seconds();
            if (result != kSusieOk) {
                fprintf(stderr, "decode_bench: %s: result %d\n", argv[i], result);
                return 1;
            }
            LocalFree(info);
            LocalFree(bits);
            if (round > 0) took.push_back((end - start) * 1000);
        }
        std::sort(took.begin(), took.end());
        printf("%s %.2f\n", argv[i], took[took.size() / 2]);
    }
    return 0;
}
