// libFuzzer target: the header reader over arbitrary names and bytes. The
// first byte gives the name's length; the name follows, then the file.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include <string>

#include "search/header.h"
#include "support/memfile.h"

void probeShowNoFrame(HWND) {}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    size_t nameLength = data[0] % 16;
    if (nameLength > size - 1) nameLength = size - 1;
    std::string name(reinterpret_cast<const char*>(data + 1), nameLength);
    for (char& c : name) {
        if (c == '\0') c = '.';
    }

    MemoryFile file;
    file.bytes.assign(data + 1 + nameLength, data + size);
    PictureSize picture{};
    int result = probeHeaderSize(memoryProbeFile(file), name.c_str(), nullptr, picture);
    bool known = picture.width != 0 && picture.height != 0;
    if (result != (known ? 1 : 0) || file.largestRead > kProbeBufferSize) abort();
    return 0;
}
