// Picture sizes read from the headers of PNG, GIF, BMP, JPEG, WebP, AVIF,
// HEIC/HEIF and JPEG XL files, so that GetPictureInfo costs a header read:
// the system's codecs may decode every pixel just to open a picture, and
// have none for some of these. Window-free; the host build tests it.
#pragma once

#include <stdint.h>

#include "search/container.h"

// Reads count bytes at position of the picture into buffer; returns how many
// it delivered (fewer at the end of the picture).
using HeaderSource = ByteSource;

struct HeaderFacts {
    uint32_t width;
    uint32_t height;
    uint16_t depth;  // bits per pixel as stored
};

// True when the picture is of one of those formats and its header gives a
// nonzero width and height; false for other formats and damaged headers.
bool headerFacts(const HeaderSource& source, HeaderFacts& facts);
