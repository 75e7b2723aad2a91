// The benchmarks' clock and memory gauge.
#pragma once

#include <windows.h>

#include <algorithm>
#include <vector>

// Seconds from an arbitrary start, to the performance counter's resolution.
inline double seconds() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Committed private memory in MB: the address space walked with VirtualQuery.
// Views of mapped files are not counted; they are paged from their files.
inline double committedMb(DWORD type = MEM_PRIVATE) {
    size_t total = 0;
    MEMORY_BASIC_INFORMATION region;
    for (const char* at = nullptr; VirtualQuery(at, &region, sizeof region) == sizeof region;
         at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == type) total += region.RegionSize;
    }
    return total / 1048576.0;
}

// The middle of a run's figures.
inline double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
