// The fast header reader: a picture's pixel size from a few header bytes of
// a BMP, GIF, PNG, JPEG, WebP, AVIF, HEIC/HEIF or JPEG XL file, the format
// chosen by the name's extension alone. Window-free but for the one message
// of the JPEG walk.
#pragma once

#include <stdint.h>

#include "app/platform.h"
#include "search/container.h"

// An open, readable file as the reader sees it.
struct ProbeFile {
    void* context;
    uint32_t (*length)(void* context);                          // low 32 bits
    bool (*seek)(void* context, uint64_t position);             // from the start
    uint32_t (*read)(void* context, void* buffer, uint32_t count);  // bytes delivered
};

struct PictureSize {
    uint32_t width;
    uint32_t height;
};

// The file as the container reader reads it: a seek and a read each time.
// file must outlive every use of the result.
ByteSource probeByteSource(const ProbeFile& file);

// Size of the reader's scratch buffer: no read of a BMP, GIF, PNG or JPEG
// asks for more (the other formats read as search/container.h says).
constexpr uint32_t kProbeBufferSize = 64;

// Reads the size of the file, whose bare name (no directory) chooses the
// format. Returns 1 with size set when both width and height came out
// nonzero, else 0. owner owns the JPEG walk's message box.
int probeHeaderSize(const ProbeFile& file, const char* name, HWND owner, PictureSize& size);

// The JPEG marker walk from offset 2 to the first baseline or progressive
// frame header. Returns 1 with size set when both values are nonzero.
int probeJpegSize(const ProbeFile& file, HWND owner, PictureSize& size);

// Tells the user that the walk met the end-of-image marker before a frame
// header; returns when the user has closed the notice. Defined by the
// platform layer: a message box on Windows (header.cpp), a recorder in the
// host tests.
void probeShowNoFrame(HWND owner);

#ifdef _WIN32
// A ProbeFile over an open file handle; the handle stays the caller's and
// must outlive every use of the result.
ProbeFile probeFileFromHandle(HANDLE* file);
#endif
