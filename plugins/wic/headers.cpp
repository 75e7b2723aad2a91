#include "headers.h"

#include <string.h>

namespace {

uint32_t be16(const unsigned char* b) { return uint32_t(b[0]) << 8 | b[1]; }
uint32_t be32(const unsigned char* b) { return be16(b) << 16 | be16(b + 2); }
uint32_t le16(const unsigned char* b) { return uint32_t(b[1]) << 8 | b[0]; }
uint32_t le32(const unsigned char* b) { return le16(b + 2) << 16 | le16(b); }

bool readExactly(const HeaderSource& s, uint64_t position, unsigned char* buffer, uint32_t count) {
    return s.read(s.context, position, buffer, count) == count;
}

bool done(HeaderFacts& facts, uint32_t width, uint32_t height, uint32_t depth) {
    facts.width = width;
    facts.height = height;
    facts.depth = static_cast<uint16_t>(depth);
    return width != 0 && height != 0;
}

// Signature, IHDR length and type, then width, height, bit depth, colour type.
bool pngFacts(const unsigned char* h, HeaderFacts& facts) {
    if (memcmp(h + 12, "IHDR", 4) != 0) return false;
    static const uint32_t kChannels[7] = {1, 0, 3, 1, 2, 0, 4};
    uint32_t type = h[25];
    uint32_t channels = type < 7 ? kChannels[type] : 0;
    return done(facts, be32(h + 16), be32(h + 20), h[24] * channels);
}

// The logical screen, which every frame is drawn on.
bool gifFacts(const unsigned char* h, HeaderFacts& facts) {
    return done(facts, le16(h + 6), le16(h + 8), 8);
}

// A core header (12 bytes) holds 16-bit sizes; later ones 32-bit, with a
// negative height for top-down rows.
bool bmpFacts(const unsigned char* h, HeaderFacts& facts) {
    uint32_t headerSize = le32(h + 14);
    if (headerSize == 12) return done(facts, le16(h + 18), le16(h + 20), le16(h + 24));
    if (headerSize < 40) return false;
    int32_t width = static_cast<int32_t>(le32(h + 18));
    int32_t height = static_cast<int32_t>(le32(h + 22));
    if (width <= 0 || height == INT32_MIN) return false;
    return done(facts, uint32_t(width), uint32_t(height < 0 ? -height : height), le16(h + 28));
}

bool isStartOfFrame(uint32_t marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Walks the marker segments to the first frame header, of any coding process.
bool jpegFacts(const HeaderSource& s, HeaderFacts& facts) {
    uint64_t position = 2;
    unsigned char b[8];
    for (;;) {
        if (!readExactly(s, position, b, 1) || b[0] != 0xFF) return false;
        uint32_t marker = 0xFF;
        while (marker == 0xFF) {  // fill bytes may precede a marker
            if (!readExactly(s, ++position, b, 1)) return false;
            marker = b[0];
        }
        ++position;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;  // no length
        if (marker == 0x00 || marker == 0xD8 || marker == 0xD9 || marker == 0xDA) return false;
        if (!readExactly(s, position, b, 2)) return false;
        uint32_t length = be16(b);
        if (length < 2) return false;
        if (isStartOfFrame(marker)) {
            if (length < 8 || !readExactly(s, position + 2, b, 6)) return false;
            return done(facts, be16(b + 3), be16(b + 1), b[0] * uint32_t(b[5]));
        }
        position += length;
    }
}

}  // namespace

bool headerFacts(const HeaderSource& source, HeaderFacts& facts) {
    facts = {0, 0, 0};
    unsigned char h[64] = {};  // room for a HEIF file's brands
    uint32_t got = source.read(source.context, 0, h, sizeof h);
    if (got >= 26 && memcmp(h, "\x89PNG\r\n\x1a\n", 8) == 0) return pngFacts(h, facts);
    if (got >= 10 && (memcmp(h, "GIF87a", 6) == 0 || memcmp(h, "GIF89a", 6) == 0))
        return gifFacts(h, facts);
    if (got >= 30 && h[0] == 'B' && h[1] == 'M') return bmpFacts(h, facts);
    if (got >= 4 && h[0] == 0xFF && h[1] == 0xD8 && h[2] == 0xFF) return jpegFacts(source, facts);
    ContainerFacts container;
    const ContainerFormat format = containerFormatOfHead(h, got);
    if (format == ContainerFormat::None || !containerFacts(source, format, container)) return false;
    return done(facts, container.width, container.height, container.depth);
}
