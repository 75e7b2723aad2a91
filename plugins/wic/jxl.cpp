// JPEG XL through libjxl's decoder: the first frame, turned as the
// codestream's orientation says, in 8 bits per channel, on this thread.
#include <jxl/decode.h>

#include <stdlib.h>
#if defined(_WIN64)
#include <cpuid.h>
#endif

#include "canvas.h"

namespace {

struct JxlState {
    JxlDecoder* decoder;
    unsigned char* pixels;
};

void jxlFree(JxlState& s) {
    if (s.decoder) JxlDecoderDestroy(s.decoder);
    free(s.pixels);
}

void jxlRelease(Canvas& canvas) {
    JxlState* s = static_cast<JxlState*>(canvas.owner);
    jxlFree(*s);
    delete s;
}

// Runs the decoder to the end of the first frame into s.pixels; the canvas
// gets its size and layout from the basic information, checked before any
// pixel is decoded.
bool jxlDecode(JxlState& s, const unsigned char* bytes, size_t length, uint64_t maxBytes, Canvas& canvas) {
    s.decoder = JxlDecoderCreate(nullptr);
    if (!s.decoder || JxlDecoderSubscribeEvents(s.decoder, JXL_DEC_BASIC_INFO | JXL_DEC_FULL_IMAGE) ||
        JxlDecoderSetInput(s.decoder, bytes, length))
        return false;
    JxlDecoderCloseInput(s.decoder);
    JxlPixelFormat format = {3, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
    for (;;) {
        switch (JxlDecoderProcessInput(s.decoder)) {
        case JXL_DEC_BASIC_INFO: {
            JxlBasicInfo info;
            if (JxlDecoderGetBasicInfo(s.decoder, &info)) return false;
            // Orientations 5 to 8 swap the sides.
            const bool turned = info.orientation >= JXL_ORIENT_TRANSPOSE;
            canvas.width = turned ? info.ysize : info.xsize;
            canvas.height = turned ? info.xsize : info.ysize;
            if (!canvasFits(canvas.width, canvas.height, maxBytes)) return false;
            canvas.channels = info.alpha_bits ? 4 : 3;
            format.num_channels = canvas.channels;
            canvas.stride = size_t(canvas.width) * canvas.channels;
            break;
        }
        case JXL_DEC_NEED_IMAGE_OUT_BUFFER: {
            size_t size = 0;
            if (s.pixels || JxlDecoderImageOutBufferSize(s.decoder, &format, &size) ||
                size != canvas.stride * canvas.height || !(s.pixels = static_cast<unsigned char*>(malloc(size))) ||
                JxlDecoderSetImageOutBuffer(s.decoder, &format, s.pixels, size))
                return false;
            break;
        }
        case JXL_DEC_FULL_IMAGE:
            return s.pixels != nullptr;
        default:  // an error, input cut short, or the end without a frame
            return false;
        }
    }
}

// The 64-bit library is compiled for SSE4.2 alone (scripts/build-codecs.sh);
// on an older processor its first vector instruction would fault, so the
// picture is refused instead. The 32-bit one picks its code at run time.
bool processorRunsDecoder() {
#if defined(_WIN64)
    static const bool fits = [] {
        unsigned eax, ebx, ecx, edx;
        return __get_cpuid(1, &eax, &ebx, &ecx, &edx) && (ecx & bit_SSE4_1) && (ecx & bit_SSE4_2);
    }();
    return fits;
#else
    return true;
#endif
}

}  // namespace

bool jxlOpen(const unsigned char* bytes, size_t length, uint64_t maxBytes, Canvas& canvas) {
    canvas = {};
    if (!processorRunsDecoder()) return false;
    JxlState s = {};
    if (!jxlDecode(s, bytes, length, maxBytes, canvas)) {
        jxlFree(s);
        canvas = {};
        return false;
    }
    canvas.pixels = s.pixels;
    canvas.redFirst = true;
    canvas.release = jxlRelease;
    canvas.owner = new JxlState(s);
    return true;
}
