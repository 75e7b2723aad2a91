// The benchmarks' way to the plug-in hosts.
#pragma once

#include <windows.h>

#include <string.h>

#include "spi/route.h"

// Loads the plug-ins of directory through their hosts, which lie in the
// build tree above the benchmark's own folder, as the program's lie beside it.
inline int benchLoadHosted(const char* directory, DWORD limitMs) {
    char hosts[MAX_PATH];
    GetModuleFileNameA(nullptr, hosts, sizeof hosts);
    *strrchr(hosts, '\\') = '\0';
    strrchr(hosts, '\\')[1] = '\0';
    return spiLoadHosted(directory, limitMs, hosts);
}
