// Picture sizes read from the headers of PNG, GIF, BMP and JPEG files, so
// that GetPictureInfo costs a header read: the system's codecs may decode
// every pixel just to open a picture. Window-free; the host build tests it.
#pragma once

#include <stdint.h>

// Reads count bytes at position of the picture into buffer; returns how many
// it delivered (fewer at the end of the picture).
struct HeaderSource {
    void* context;
    uint32_t (*read)(void* context, uint64_t position, void* buffer, uint32_t count);
};

struct HeaderFacts {
    uint32_t width;
    uint32_t height;
    uint16_t depth;  // bits per pixel as stored
};

// True when the picture is a PNG, GIF, BMP or JPEG whose header gives a
// nonzero width and height; false for other formats and damaged headers.
bool headerFacts(const HeaderSource& source, HeaderFacts& facts);
