// WebP pictures through libwebp, which the system's imaging codecs may not
// have. A still picture and an animated one's first frame alike.
#pragma once

#include <stddef.h>
#include <stdint.h>

struct WebPAnimDecoder;

// A decoded canvas: top-down BGRA rows of width * 4 bytes, alpha not
// premultiplied. The decoder owns the pixels.
struct WebpCanvas {
    WebPAnimDecoder* decoder;
    const unsigned char* pixels;
    uint32_t width;
    uint32_t height;
};

// Decodes the first frame of the WebP in bytes, which must stay until
// webpClose. False when libwebp cannot, or its two canvases would take more
// than maxBytes; the canvas then needs no close.
bool webpOpen(const unsigned char* bytes, size_t length, uint64_t maxBytes, WebpCanvas& canvas);
void webpClose(WebpCanvas& canvas);
