// Pictures the system's imaging codecs may not decode, decoded by the
// libraries built with the plug-in: WebP (libwebp), HEIC/HEIF and AVIF
// (libheif with libde265 and dav1d) and JPEG XL (libjxl). Each gives its
// first or primary picture, turned as the file says, in 8 bits per channel.
#pragma once

#include <stddef.h>
#include <stdint.h>

// A decoded picture: top-down rows of width pixels, each of channels bytes
// (3 without alpha, 4 with alpha not premultiplied), red first or blue
// first. release frees what the decoder holds; canvasClose calls it.
struct Canvas {
    const unsigned char* pixels;
    size_t stride;
    uint32_t width;
    uint32_t height;
    uint8_t channels;
    bool redFirst;
    void (*release)(Canvas&);
    void* owner;  // the decoder's state, for release
};

// Each decodes the picture in bytes, which must stay until canvasClose.
// False when the library cannot (damaged, cut or of another kind), or its
// canvas would take more than maxBytes at 8 bytes a pixel, which is checked
// before anything is decoded; the canvas then needs no close.
bool webpOpen(const unsigned char* bytes, size_t length, uint64_t maxBytes, Canvas& canvas);
bool heifOpen(const unsigned char* bytes, size_t length, uint64_t maxBytes, Canvas& canvas);
bool jxlOpen(const unsigned char* bytes, size_t length, uint64_t maxBytes, Canvas& canvas);
void canvasClose(Canvas& canvas);

// Whether a width x height canvas fits in maxBytes at 8 bytes a pixel (the
// decoded picture and the plug-in's output of it).
inline bool canvasFits(uint64_t width, uint64_t height, uint64_t maxBytes) {
    return width > 0 && height > 0 && width <= 0xFFFFFFFFu && height <= 0xFFFFFFFFu &&
           width * height <= maxBytes / 8;
}
