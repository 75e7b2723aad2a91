#include "search/container.h"

#include <string.h>

namespace {

constexpr uint32_t code(const char (&text)[5]) {
    return static_cast<uint32_t>(static_cast<unsigned char>(text[0])) << 24 |
           static_cast<unsigned char>(text[1]) << 16 | static_cast<unsigned char>(text[2]) << 8 |
           static_cast<unsigned char>(text[3]);
}

uint32_t be16(const unsigned char* b) { return uint32_t(b[0]) << 8 | b[1]; }
uint32_t be32(const unsigned char* b) { return be16(b) << 16 | be16(b + 2); }
uint64_t be64(const unsigned char* b) { return uint64_t(be32(b)) << 32 | be32(b + 4); }
uint32_t le16(const unsigned char* b) { return uint32_t(b[1]) << 8 | b[0]; }
uint32_t le24(const unsigned char* b) { return uint32_t(b[2]) << 16 | le16(b); }
uint32_t le32(const unsigned char* b) { return uint32_t(b[3]) << 24 | le24(b); }

constexpr uint64_t kFileEnd = ~0ull;  // the file's length is not asked: reads just come up short

// The bytes read last, so that the many small fields of a box tree cost one
// read a window. A read outside it moves it there, while the budget lasts.
struct Window {
    const ByteSource* source;
    uint64_t start;
    uint32_t filled;
    uint32_t budget;
    unsigned char bytes[kContainerWindow];
};

// count (at most a field's worth) bytes at position; null when the file ends
// first or the budget is spent. The pointer holds until the next call.
const unsigned char* bytesAt(Window& w, uint64_t position, uint32_t count) {
    if (position >= w.start && position - w.start < w.filled && count <= w.filled - (position - w.start))
        return w.bytes + (position - w.start);
    uint32_t ask = w.budget < kContainerWindow ? w.budget : kContainerWindow;
    if (ask < count) return nullptr;
    w.budget -= ask;
    w.start = position;
    uint32_t got = w.source->read(w.source->context, position, w.bytes, ask);
    w.filled = got < ask ? got : ask;
    return w.filled >= count ? w.bytes : nullptr;
}

// Up to count bytes at position, as many as the file holds (got of them).
const unsigned char* bytesUpTo(Window& w, uint64_t position, uint32_t count, uint32_t& got) {
    got = 0;
    const unsigned char* first = bytesAt(w, position, 1);
    if (!first) return nullptr;
    const uint32_t held = w.filled - static_cast<uint32_t>(position - w.start);
    got = held < count ? held : count;
    return first;
}

bool done(ContainerFacts& facts, uint32_t width, uint32_t height, uint32_t depth) {
    facts.width = width;
    facts.height = height;
    facts.depth = static_cast<uint16_t>(depth);
    return width != 0 && height != 0;
}

// --- WebP: RIFF, WEBP, then a VP8 (lossy), VP8L (lossless) or VP8X
// (extended: alpha, animation, metadata) chunk, which gives the canvas.

bool webpFacts(Window& w, ContainerFacts& facts) {
    uint32_t got = 0;
    const unsigned char* h = bytesUpTo(w, 0, 30, got);
    if (got < 20 || memcmp(h, "RIFF", 4) != 0 || memcmp(h + 8, "WEBP", 4) != 0) return false;
    // A RIFF size past the file's end is a cut file, whose header still
    // holds; a first chunk past the RIFF's end is no WebP.
    const uint64_t riffEnd = uint64_t(le32(h + 4)) + 8;
    const uint32_t chunk = be32(h + 12);
    const uint64_t chunkEnd = 20 + uint64_t(le32(h + 16));
    if (chunkEnd > riffEnd) return false;
    const uint64_t chunkSize = chunkEnd - 20;
    if (chunk == code("VP8 ")) {
        // A key frame's tag (bit 0 clear), the start code, 14-bit sizes.
        if (got < 30 || chunkSize < 10 || (h[20] & 1) || h[23] != 0x9D || h[24] != 0x01 || h[25] != 0x2A) return false;
        return done(facts, le16(h + 26) & 0x3FFF, le16(h + 28) & 0x3FFF, 24);
    }
    if (chunk == code("VP8L")) {
        // Signature, then 14 bits each of width - 1 and height - 1, the
        // alpha hint and a 3-bit version that must be 0.
        if (got < 25) return false;
        const uint32_t bits = le32(h + 21);
        if (chunkSize < 5 || h[20] != 0x2F || (bits >> 29) != 0) return false;
        return done(facts, (bits & 0x3FFF) + 1, ((bits >> 14) & 0x3FFF) + 1, (bits >> 28) & 1 ? 32 : 24);
    }
    if (chunk == code("VP8X")) {
        // Flags (alpha 0x10), 3 reserved bytes, 24 bits each of canvas width - 1 and height - 1.
        if (got < 30 || chunkSize < 10) return false;
        return done(facts, le24(h + 24) + 1, le24(h + 27) + 1, (h[20] & 0x10) ? 32 : 24);
    }
    return false;
}

// --- ISO base media boxes: a 32-bit size (1: a 64-bit one follows the
// type; 0: to the end of what holds it), the type, the payload.

struct Box {
    uint32_t type;
    uint64_t payload;
    uint64_t end;
};

// The box at position, which must end by limit.
bool boxAt(Window& w, uint64_t position, uint64_t limit, Box& box) {
    const unsigned char* h = bytesAt(w, position, 8);
    if (!h) return false;
    uint64_t size = be32(h);
    box.type = be32(h + 4);
    uint32_t header = 8;
    if (size == 1) {
        const unsigned char* large = bytesAt(w, position + 8, 8);
        if (!large) return false;
        size = be64(large);
        header = 16;
    } else if (size == 0) {
        size = limit - position;
    }
    if (size < header || size > limit - position) return false;
    box.payload = position + header;
    box.end = position + size;
    return true;
}

// The first box of type among the boxes from position to limit.
bool findBox(Window& w, uint64_t position, uint64_t limit, uint32_t type, Box& box) {
    while (position < limit) {
        if (!boxAt(w, position, limit, box)) return false;
        if (box.type == type) return true;
        position = box.end;  // at least 8 bytes on
    }
    return false;
}

bool isImageBrand(uint32_t brand) {
    static const uint32_t kBrands[] = {code("mif1"), code("mif2"), code("msf1"), code("miaf"),
                                       code("heic"), code("heix"), code("heim"), code("heis"),
                                       code("hevc"), code("hevx"), code("avif"), code("avis")};
    for (uint32_t known : kBrands) {
        if (brand == known) return true;
    }
    return false;
}

// An ftyp payload's major brand, minor version, then compatible brands.
bool hasImageBrand(const unsigned char* payload, uint64_t length) {
    for (uint64_t at = 0; at + 4 <= length; at += at == 0 ? 8 : 4) {
        if (isImageBrand(be32(payload + at))) return true;
    }
    return false;
}

// What the primary item's properties say.
struct ItemProperties {
    uint32_t width = 0;
    uint32_t height = 0;
    bool turned = false;  // by 90 or 270 degrees
    uint32_t depth = 0;
};

constexpr uint32_t kMostAssociations = 255;  // an ipma entry counts them in a byte

// The 1-based ipco indices the ipma box associates with item; count of them.
uint32_t associationsOf(Window& w, const Box& ipma, uint32_t item, uint16_t* indices) {
    const unsigned char* h = ipma.end - ipma.payload >= 8 ? bytesAt(w, ipma.payload, 8) : nullptr;
    if (!h) return 0;
    const bool longIds = h[0] >= 1;
    const bool longIndices = h[3] & 1;
    uint32_t entries = be32(h + 4);
    uint64_t at = ipma.payload + 8;
    for (; entries > 0 && at < ipma.end; --entries) {
        const unsigned char* e = bytesAt(w, at, longIds ? 5 : 3);
        if (!e) return 0;
        const uint32_t id = longIds ? be32(e) : be16(e);
        const uint32_t count = e[longIds ? 4 : 2];
        at += longIds ? 5 : 3;
        const uint32_t width = longIndices ? 2 : 1;
        if (at + uint64_t(count) * width > ipma.end) return 0;
        if (id != item) {
            at += count * width;
            continue;
        }
        for (uint32_t i = 0; i < count; ++i, at += width) {
            const unsigned char* a = bytesAt(w, at, width);
            if (!a) return 0;
            indices[i] = static_cast<uint16_t>(longIndices ? be16(a) & 0x7FFF : a[0] & 0x7F);
        }
        return count;
    }
    return 0;
}

void readProperty(Window& w, const Box& box, ItemProperties& p) {
    if (box.type == code("ispe") && box.end - box.payload >= 12) {
        if (const unsigned char* b = bytesAt(w, box.payload + 4, 8)) {  // past version and flags
            p.width = be32(b);
            p.height = be32(b + 4);
        }
    } else if (box.type == code("irot") && box.end - box.payload >= 1) {
        if (const unsigned char* b = bytesAt(w, box.payload, 1)) p.turned = (b[0] & 1) != 0;
    } else if (box.type == code("pixi") && box.end - box.payload >= 5) {
        const unsigned char* b = bytesAt(w, box.payload + 4, 1);
        const uint32_t channels = b ? b[0] : 0;
        if (box.end - box.payload - 5 < channels) return;
        uint32_t depth = 0;
        for (uint32_t c = 0; c < channels; ++c) {
            const unsigned char* bits = bytesAt(w, box.payload + 5 + c, 1);
            if (!bits) return;
            depth += bits[0];
        }
        p.depth = depth;
    }
}

// Reads the properties of the ipco box that indices name.
bool readProperties(Window& w, const Box& ipco, const uint16_t* indices, uint32_t count, ItemProperties& p) {
    uint32_t index = 1;
    for (uint64_t at = ipco.payload; at < ipco.end; ++index) {
        Box property;
        if (!boxAt(w, at, ipco.end, property)) return false;
        for (uint32_t i = 0; i < count; ++i) {
            if (indices[i] == index) readProperty(w, property, p);
        }
        at = property.end;
    }
    return true;
}

// ftyp with an image brand, then meta: pitm names the primary item; iprp
// holds the properties (ipco) and which items have which (ipma). The size
// is the primary item's ispe, turned by its irot.
bool heifFacts(Window& w, ContainerFacts& facts) {
    Box ftyp, meta;
    if (!boxAt(w, 0, kFileEnd, ftyp) || ftyp.type != code("ftyp") || ftyp.end - ftyp.payload > 256)
        return false;
    const uint32_t ftypLength = static_cast<uint32_t>(ftyp.end - ftyp.payload);
    const unsigned char* brands = bytesAt(w, ftyp.payload, ftypLength);
    if (!brands || !hasImageBrand(brands, ftypLength)) return false;
    if (!findBox(w, ftyp.end, kFileEnd, code("meta"), meta)) return false;

    uint32_t primary = 0;
    bool havePrimary = false;
    Box ipco = {}, ipma = {};
    for (uint64_t at = meta.payload + 4; at < meta.end;) {  // past version and flags
        // A meta box sized to the file's end, or past it in a cut file,
        // has its last child where the bytes end.
        Box box;
        if (!boxAt(w, at, meta.end, box)) break;
        if (box.type == code("pitm")) {
            const unsigned char* b = bytesAt(w, box.payload, 8);
            if (!b) return false;
            const uint32_t need = b[0] == 0 ? 6 : 8;
            if (box.end - box.payload < need) return false;
            primary = b[0] == 0 ? be16(b + 4) : be32(b + 4);
            havePrimary = true;
        } else if (box.type == code("iprp")) {
            // ipco comes first where writers follow the standard; either order reads.
            if (!findBox(w, box.payload, box.end, code("ipco"), ipco) ||
                !findBox(w, box.payload, box.end, code("ipma"), ipma))
                return false;
        }
        at = box.end;
    }
    if (!havePrimary || ipma.end == 0) return false;

    uint16_t indices[kMostAssociations];
    const uint32_t count = associationsOf(w, ipma, primary, indices);
    ItemProperties p;
    if (!readProperties(w, ipco, indices, count, p)) return false;
    return p.turned ? done(facts, p.height, p.width, p.depth) : done(facts, p.width, p.height, p.depth);
}

// --- JPEG XL: FF 0A, then the size header and the picture's metadata as
// bit fields, least significant bit first.

struct BitReader {
    const unsigned char* bytes;
    uint32_t length;
    uint32_t at;  // in bits
    bool overrun;
};

// count is 1 to 32.
uint32_t bits(BitReader& r, uint32_t count) {
    uint32_t value = 0;
    uint32_t i = 0;
    do {
        if (r.at / 8 >= r.length) {
            r.overrun = true;
            return 0;
        }
        value |= uint32_t((r.bytes[r.at / 8] >> (r.at % 8)) & 1) << i;
        ++r.at;
    } while (++i < count);
    return value;
}

// A dimension as the size header stores it: a 2-bit selector of the width
// of the value that follows, plus one.
uint32_t dimension(BitReader& r) {
    static const uint32_t kWidths[4] = {9, 13, 18, 30};
    return bits(r, kWidths[bits(r, 2)]) + 1;
}

// The codestream's first bytes (length of them at hand).
bool jxlCodestreamFacts(const unsigned char* bytes, uint32_t length, ContainerFacts& facts) {
    if (length < 2 || bytes[0] != 0xFF || bytes[1] != 0x0A) return false;
    BitReader r = {bytes + 2, length - 2, 0, false};
    const bool small = bits(r, 1);
    const uint32_t height = small ? (bits(r, 5) + 1) * 8 : dimension(r);
    const uint32_t ratio = bits(r, 3);
    uint32_t width;
    if (ratio == 0) {
        width = small ? (bits(r, 5) + 1) * 8 : dimension(r);
    } else {
        static const uint32_t kRatios[8][2] = {{1, 1}, {1, 1}, {12, 10}, {4, 3}, {3, 2}, {16, 9}, {5, 4}, {2, 1}};
        width = static_cast<uint32_t>(uint64_t(height) * kRatios[ratio][0] / kRatios[ratio][1]);
    }
    // Orientations 5 to 8 turn the picture by a quarter.
    uint32_t orientation = 1;
    if (!bits(r, 1) && bits(r, 1)) orientation = bits(r, 3) + 1;  // not all default, extra fields
    if (r.overrun) return false;
    return orientation >= 5 ? done(facts, height, width, 0) : done(facts, width, height, 0);
}

// Enough codestream bytes for the size header and the orientation.
constexpr uint32_t kJxlHeadBytes = 16;

bool jxlFactsAt(Window& w, uint64_t position, uint64_t end, ContainerFacts& facts) {
    const uint64_t left = end - position;
    uint32_t got = 0;
    const unsigned char* b = bytesUpTo(w, position, left < kJxlHeadBytes ? static_cast<uint32_t>(left) : kJxlHeadBytes, got);
    return b && jxlCodestreamFacts(b, got, facts);
}

const unsigned char kJxlSignature[12] = {0, 0, 0, 0x0C, 'J', 'X', 'L', ' ', 0x0D, 0x0A, 0x87, 0x0A};

// A bare codestream, or the signature box and then boxes, of which jxlc
// holds the whole codestream and each jxlp a part after its 4-byte index.
bool jxlFacts(Window& w, ContainerFacts& facts) {
    uint32_t got = 0;
    const unsigned char* h = bytesUpTo(w, 0, 12, got);
    if (got >= 2 && h[0] == 0xFF && h[1] == 0x0A) return jxlFactsAt(w, 0, kFileEnd, facts);
    if (got < 12 || memcmp(h, kJxlSignature, sizeof kJxlSignature) != 0) return false;
    for (uint64_t at = 12; at < kFileEnd;) {
        Box box;
        if (!boxAt(w, at, kFileEnd, box)) return false;
        if (box.type == code("jxlc")) return jxlFactsAt(w, box.payload, box.end, facts);
        if (box.type == code("jxlp")) return box.end - box.payload > 4 && jxlFactsAt(w, box.payload + 4, box.end, facts);
        at = box.end;
    }
    return false;
}

}  // namespace

ContainerFormat containerFormatOfExtension(const char* extension) {
    if (strcmp(extension, "webp") == 0) return ContainerFormat::WebP;
    if (strcmp(extension, "avif") == 0 || strcmp(extension, "heic") == 0 || strcmp(extension, "heif") == 0)
        return ContainerFormat::Heif;
    if (strcmp(extension, "jxl") == 0) return ContainerFormat::JpegXl;
    return ContainerFormat::None;
}

ContainerFormat containerFormatOfHead(const unsigned char* head, uint32_t length) {
    if (length >= 16 && memcmp(head, "RIFF", 4) == 0 && memcmp(head + 8, "WEBPVP8", 7) == 0)
        return ContainerFormat::WebP;
    if (length >= 2 && head[0] == 0xFF && head[1] == 0x0A) return ContainerFormat::JpegXl;
    if (length >= 12 && memcmp(head, kJxlSignature, sizeof kJxlSignature) == 0) return ContainerFormat::JpegXl;
    if (length >= 16 && memcmp(head + 4, "ftyp", 4) == 0) {
        uint64_t size = be32(head);
        if (size > length) size = length;
        if (size >= 16 && hasImageBrand(head + 8, size - 8)) return ContainerFormat::Heif;
    }
    return ContainerFormat::None;
}

bool containerFacts(const ByteSource& source, ContainerFormat format, ContainerFacts& facts) {
    facts = {0, 0, 0};
    Window w;
    w.source = &source;
    w.start = 0;
    w.filled = 0;
    w.budget = kContainerBudget;
    switch (format) {  // fuzz: unreachable (the default of a switch with every format)
    case ContainerFormat::WebP:
        return webpFacts(w, facts);
    case ContainerFormat::Heif:
        return heifFacts(w, facts);
    case ContainerFormat::JpegXl:
        return jxlFacts(w, facts);
    case ContainerFormat::None:
        break;
    }
    return false;
}
