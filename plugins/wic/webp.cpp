#include "webp.h"

#include <webp/decode.h>
#include <webp/demux.h>

bool webpOpen(const unsigned char* bytes, size_t length, uint64_t maxBytes, WebpCanvas& canvas) {
    canvas = {nullptr, nullptr, 0, 0};
    // The canvas size first: the decoder takes two canvases of memory as it starts.
    WebPBitstreamFeatures features;
    if (WebPGetFeatures(bytes, length, &features) != VP8_STATUS_OK ||
        uint64_t(features.width) * uint64_t(features.height) * 8 > maxBytes)
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
    if (!WebPAnimDecoderGetInfo(decoder, &info) || info.canvas_width == 0 || info.canvas_height == 0 ||
        !WebPAnimDecoderGetNext(decoder, &pixels, &timestamp)) {
        WebPAnimDecoderDelete(decoder);
        return false;
    }
    canvas = {decoder, pixels, info.canvas_width, info.canvas_height};
    return true;
}

void webpClose(WebpCanvas& canvas) {
    if (canvas.decoder) WebPAnimDecoderDelete(canvas.decoder);
    canvas = {nullptr, nullptr, 0, 0};
}
