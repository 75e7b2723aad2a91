// HEIC/HEIF and AVIF through libheif, which decodes the primary picture with
// libde265 (HEVC) or dav1d (AV1), assembles grids, applies irot and imir and
// brings 10- and 12-bit pictures to 8 bits.
#include <libheif/heif.h>

#include "canvas.h"

namespace {

struct HeifState {
    heif_context* context;
    heif_image_handle* handle;
    heif_image* image;
};

void heifFree(HeifState& s) {
    if (s.image) heif_image_release(s.image);
    if (s.handle) heif_image_handle_release(s.handle);
    if (s.context) heif_context_free(s.context);
}

void heifRelease(Canvas& canvas) {
    HeifState* s = static_cast<HeifState*>(canvas.owner);
    heifFree(*s);
    delete s;
}

bool ok(heif_error e) {
    return e.code == heif_error_Ok;
}

// The primary picture decoded to interleaved 8-bit RGB(A) in s.image; its
// size, checked first, and its channels go to the canvas.
bool heifDecode(HeifState& s, const unsigned char* bytes, size_t length, uint64_t maxBytes, Canvas& canvas) {
    s.context = heif_context_alloc();
    if (!s.context || !ok(heif_context_read_from_memory_without_copy(s.context, bytes, length, nullptr)) ||
        !ok(heif_context_get_primary_image_handle(s.context, &s.handle)))
        return false;
    // The size as shown, turns applied: what the output will be.
    const int width = heif_image_handle_get_width(s.handle), height = heif_image_handle_get_height(s.handle);
    if (width <= 0 || height <= 0 || !canvasFits(uint64_t(width), uint64_t(height), maxBytes)) return false;
    canvas.width = uint32_t(width);
    canvas.height = uint32_t(height);
    const bool alpha = heif_image_handle_has_alpha_channel(s.handle) != 0;
    canvas.channels = alpha ? 4 : 3;
    heif_decoding_options* options = heif_decoding_options_alloc();
    if (!options) return false;
    options->convert_hdr_to_8bit = 1;
    const bool decoded = ok(heif_decode_image(s.handle, &s.image, heif_colorspace_RGB,
                                              alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB,
                                              options));
    heif_decoding_options_free(options);
    return decoded && heif_image_get_width(s.image, heif_channel_interleaved) == width &&
           heif_image_get_height(s.image, heif_channel_interleaved) == height &&
           heif_image_get_bits_per_pixel_range(s.image, heif_channel_interleaved) == 8;
}

}  // namespace

bool heifOpen(const unsigned char* bytes, size_t length, uint64_t maxBytes, Canvas& canvas) {
    canvas = {};
    HeifState s = {};
    int stride = 0;
    if (!heifDecode(s, bytes, length, maxBytes, canvas) ||
        !(canvas.pixels = heif_image_get_plane_readonly(s.image, heif_channel_interleaved, &stride)) || stride <= 0) {
        heifFree(s);
        canvas = {};
        return false;
    }
    canvas.stride = size_t(stride);
    canvas.redFirst = true;
    canvas.release = heifRelease;
    canvas.owner = new HeifState(s);
    return true;
}
