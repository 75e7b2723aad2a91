// Sizes of the pictures whose headers sit in chunks or boxes: WebP (RIFF
// chunks), AVIF and HEIC/HEIF (ISO base media boxes) and JPEG XL (a bare
// codestream, or one in boxes). Shared by the fast header reader and the
// shipped plug-in; it touches neither windows nor files, so the host build
// tests and fuzzes it.
#pragma once

#include <stdint.h>

// Reads count bytes at position of the file into buffer; returns how many it
// delivered (fewer at the end of the file).
struct ByteSource {
    void* context;
    uint32_t (*read)(void* context, uint64_t position, void* buffer, uint32_t count);
};

enum class ContainerFormat { None, WebP, Heif, JpegXl };

struct ContainerFacts {
    uint32_t width;
    uint32_t height;
    uint16_t depth;  // bits per pixel as stored; 0 where the header does not say
};

// No single read asks for more than kContainerWindow bytes, and the reads of
// one file for no more than kContainerBudget in all: a damaged file costs no
// more than a sound one.
constexpr uint32_t kContainerWindow = 4096;
constexpr uint32_t kContainerBudget = 16384;

// The format an extension names (lower case, without the dot).
ContainerFormat containerFormatOfExtension(const char* extension);

// The format whose signature opens head, judged on its first length bytes
// (HEIF brands past them are not seen).
ContainerFormat containerFormatOfHead(const unsigned char* head, uint32_t length);

// True with facts set when the file is a picture of the format whose header
// gives a nonzero width and height: the size as viewers show the picture,
// turned where the file says so. False for damaged or foreign files.
bool containerFacts(const ByteSource& source, ContainerFormat format, ContainerFacts& facts);
