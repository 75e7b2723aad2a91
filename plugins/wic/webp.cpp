#include <webp/decode.h>
#include <webp/demux.h>

#include "canvas.h"

namespace {

void webpRelease(Canvas& canvas) {
    WebPAnimDecoderDelete(static_cast<WebPAnimDecoder*>(canvas.owner));
}

}  // namespace

bool webpOpen(const unsigned char* bytes, size_t length, uint64_t maxBytes, Canvas& canvas) {
    canvas = {};
    // The canvas size first: the decoder takes two canvases of memory as it starts.
    WebPBitstreamFeatures features;
    if (WebPGetFeatures(bytes, length, &features) != VP8_STATUS_OK ||
        !canvasFits(uint64_t(features.width), uint64_t(features.height), maxBytes))
        return false;
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options)) return false;
    options.color_mode = MODE_BGRA;
    options.use_threads = 0;
    const WebPData data = {bytes, length};
    WebPAnimDecoder* decoder = WebPAnimDecoderNew(&data, &options);
    if (!decoder) return false;
    WebPAnimInfo info;
    uint8_t* pixels = nullptr;
    int timestamp = 0;
    if (!WebPAnimDecoderGetInfo(decoder, &info) || !canvasFits(info.canvas_width, info.canvas_height, maxBytes) ||
        !WebPAnimDecoderGetNext(decoder, &pixels, &timestamp)) {
        WebPAnimDecoderDelete(decoder);
        return false;
    }
    canvas = {pixels, size_t(info.canvas_width) * 4, info.canvas_width, info.canvas_height, 4, false,
              webpRelease, decoder};
    return true;
}

void canvasClose(Canvas& canvas) {
    if (canvas.release) canvas.release(canvas);
    canvas = {};
}
