// The preview's decode (spiDecode, a DIB section at the end) of each file
// given, with the plug-ins loaded into this process and with the same
// plug-ins in their host, alternately, in one run: one decode of each to
// warm up, then the median of five. Prints one line per file.
// Usage: preview_bench PLUGIN_DIR FILE...
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "clock.h"
#include "hosted.h"
#include "spi/route.h"

namespace {

double decodeMs(const char* file) {
    const double start = seconds();
    HBITMAP bitmap = spiDecode(file);
    const double took = (seconds() - start) * 1000;
    if (!bitmap) {
        fprintf(stderr, "preview_bench: %s did not decode\n", file);
        ExitProcess(1);
    }
    DeleteObject(bitmap);
    return took;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: preview_bench PLUGIN_DIR FILE...\n");
        return 2;
    }
    if (!spiLoadAll(argv[1])) return 1;
    SusiePlugin* local = spiList;
    spiList = nullptr;
    if (!benchLoadHosted(argv[1], 60000)) return 1;
    SusiePlugin* hosted = spiList;
    for (int i = 2; i < argc; ++i) {
        std::vector<double> here, there;
        for (int round = 0; round < 6; ++round) {
            spiList = local;
            const double a = decodeMs(argv[i]);
            spiList = hosted;
            const double b = decodeMs(argv[i]);
            if (round > 0) {
                here.push_back(a);
                there.push_back(b);
            }
        }
        const char* name = strrchr(argv[i], '\\') ? strrchr(argv[i], '\\') + 1 : argv[i];
        printf("preview %s: in-process %.2f ms, host %.2f ms, difference %+.2f ms\n", name, median(here),
               median(there), median(there) - median(here));
    }
    fflush(stdout);
    spiHostsEnd();
    ExitProcess(0);
}
