// A picture file in memory for the header reader, which notes every read.
#pragma once

#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include "search/header.h"

struct MemoryFile {
    std::vector<unsigned char> bytes;
    uint64_t position = 0;
    int seeks = 0;
    int reads = 0;
    uint32_t largestRead = 0;
    uint64_t asked = 0;  // bytes, summed over the reads
};

inline ProbeFile memoryProbeFile(MemoryFile& file) {
    ProbeFile probe;
    probe.context = &file;
    probe.length = [](void* c) {
        return static_cast<uint32_t>(static_cast<MemoryFile*>(c)->bytes.size());
    };
    probe.seek = [](void* c, uint64_t position) {
        auto* f = static_cast<MemoryFile*>(c);
        f->position = position;
        ++f->seeks;
        return true;
    };
    probe.read = [](void* c, void* buffer, uint32_t count) -> uint32_t {
        auto* f = static_cast<MemoryFile*>(c);
        ++f->reads;
        if (count > f->largestRead) f->largestRead = count;
        f->asked += count;
        if (f->position >= f->bytes.size()) return 0;
        uint64_t left = f->bytes.size() - f->position;
        uint32_t got = left < count ? static_cast<uint32_t>(left) : count;
        memcpy(buffer, f->bytes.data() + f->position, got);
        f->position += got;
        return got;
    };
    return probe;
}
