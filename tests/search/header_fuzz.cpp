// libFuzzer target: the header reader over arbitrary names and bytes. The
// first byte holds the name's length (low 4 bits), whether to walk the file
// as a JPEG directly (bit 4), whether the file claims to be longer than its
// bytes (bit 5, as a file that shrinks while it is read), whether a seek
// past its bytes fails (bit 6) and whether to tell the format by the file's
// head, as the plug-in does, instead of by the name (bit 7); the name
// follows, then the file. The reader's contract is checked on every input.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include <string>

#include "search/header.h"
#include "support/memfile.h"

void probeShowNoFrame(HWND) {}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t flags = data[0];
    size_t nameLength = flags & 0x0F;
    if (nameLength > size - 1) nameLength = size - 1;
    std::string name(reinterpret_cast<const char*>(data + 1), nameLength);
    for (char& c : name) {
        if (c == '\0') c = '.';
    }

    MemoryFile file;
    file.bytes.assign(data + 1 + nameLength, data + size);
    ProbeFile probe = memoryProbeFile(file);
    if (flags & 0x20) {
        // Claims 64 KiB more than it holds: reads past the bytes come up empty.
        probe.length = [](void* c) {
            return static_cast<uint32_t>(static_cast<MemoryFile*>(c)->bytes.size() + 65536);
        };
    }
    if (flags & 0x40) {
        probe.seek = [](void* c, uint64_t position) {
            auto* f = static_cast<MemoryFile*>(c);
            ++f->seeks;
            if (position > f->bytes.size()) return false;
            f->position = position;
            return true;
        };
    }
    PictureSize picture{};
    int result = 0;
    if (flags & 0x80) {
        const ContainerFormat format = containerFormatOfHead(
            file.bytes.data(), static_cast<uint32_t>(file.bytes.size() < 64 ? file.bytes.size() : 64));
        ContainerFacts facts;
        if (containerFacts(probeByteSource(probe), format, facts)) {
            picture = {facts.width, facts.height};
            result = 1;
        }
    } else if (flags & 0x10) {
        result = probeJpegSize(probe, nullptr, picture);
    } else {
        result = probeHeaderSize(probe, name.c_str(), nullptr, picture);
    }
    const bool known = picture.width != 0 && picture.height != 0;
    // A size exactly when both values are nonzero; no read larger than the
    // probe's buffer, but for the formats in chunks or boxes, whose reads
    // keep to their window and budget; every JPEG step moves at least 2
    // bytes on, so the walk reads at most twice per 2 bytes of the length
    // the file claims.
    const uint64_t claimed = file.bytes.size() + ((flags & 0x20) ? 65536 : 0);
    const bool windowed = file.largestRead > kProbeBufferSize;
    if (result != (known ? 1 : 0) || file.largestRead > kContainerWindow ||
        (windowed && file.asked > kContainerBudget) || static_cast<uint64_t>(file.reads) > claimed / 2 + 2)
        abort();
    return 0;
}
