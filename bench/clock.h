// The benchmarks' clock.
#pragma once

#include <windows.h>

// Seconds from an arbitrary start, to the performance counter's resolution.
inline double seconds() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}
