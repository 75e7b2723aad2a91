// The reader of pictures in chunks and boxes over hand-made headers: what
// each format's fields mean, and damaged files, which give no size rather
// than a wrong one and cost no more reading than a sound one.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "search/container.h"
#include "search/header.h"
#include "support/memfile.h"

namespace {

using Bytes = std::vector<unsigned char>;

void put(Bytes& b, uint64_t value, int size, bool bigEndian = true) {
    for (int i = 0; i < size; ++i) b.push_back((value >> (8 * (bigEndian ? size - 1 - i : i))) & 0xFF);
}

Bytes text(const char* s) { return Bytes(s, s + strlen(s)); }

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes box(const char* type, const Bytes& payload) {
    Bytes b;
    put(b, 8 + payload.size(), 4);
    return b + text(type) + payload;
}

Bytes fullBox(const char* type, int version, uint32_t flags, const Bytes& payload) {
    Bytes head;
    put(head, static_cast<uint64_t>(version) << 24 | flags, 4);
    return box(type, head + payload);
}

Bytes u32(uint32_t v) {
    Bytes b;
    put(b, v, 4);
    return b;
}

Bytes ispe(uint32_t width, uint32_t height) { return fullBox("ispe", 0, 0, u32(width) + u32(height)); }

// ftyp, then meta with pitm (item 1) and iprp: ipco holds a thumbnail's
// ispe (for item 2), the primary's ispe and the given extra properties, all
// associated with item 1 through ipma.
Bytes heif(const Bytes& extra, int extraCount, const char* brand = "avif") {
    Bytes properties = ispe(16, 16) + ispe(640, 480) + extra;
    Bytes ipma = u32(2);
    put(ipma, 2, 2);
    ipma.push_back(1);
    ipma.push_back(0x80 | 1);
    put(ipma, 1, 2);
    ipma.push_back(static_cast<unsigned char>(1 + extraCount));
    for (int i = 0; i < 1 + extraCount; ++i) ipma.push_back(static_cast<unsigned char>(2 + i));
    Bytes pitm = fullBox("pitm", 0, 0, {0, 1});
    Bytes iprp = box("iprp", box("ipco", properties) + fullBox("ipma", 0, 0, ipma));
    return box("ftyp", text(brand) + u32(0) + text(brand)) + fullBox("meta", 0, 0, pitm + iprp);
}

constexpr size_t kFtypLength = 20;  // heif()'s ftyp, which meta follows

// The offset of the first box of type in bytes.
size_t boxOffset(const Bytes& bytes, const char* type) {
    return std::string(bytes.begin(), bytes.end()).find(type) - 4;
}

// Bit fields, least significant bit first, as a JPEG XL codestream holds them.
struct Bits {
    Bits() {
        bytes.push_back(0xFF);
        bytes.push_back(0x0A);
    }
    Bytes bytes;
    int used = 0;
    Bits& add(uint32_t value, int count) {
        for (int i = 0; i < count; ++i, ++used) {
            if (used % 8 == 0) bytes.push_back(0);
            bytes.back() |= ((value >> i) & 1) << (used % 8);
        }
        return *this;
    }
};

// A size header with 30-bit dimensions, then metadata with the orientation.
Bytes jxlLarge(uint32_t width, uint32_t height, uint32_t orientation) {
    Bits b;
    b.add(0, 1).add(3, 2).add(height - 1, 30).add(0, 3).add(3, 2).add(width - 1, 30);
    b.add(0, 1).add(1, 1).add(orientation - 1, 3);
    b.bytes.resize(b.bytes.size() + 8, 0);
    return b.bytes;
}

const Bytes kJxlSignature = {0, 0, 0, 0x0C, 'J', 'X', 'L', ' ', 0x0D, 0x0A, 0x87, 0x0A};

Bytes webpVp8x(uint32_t width, uint32_t height, unsigned char flags) {
    Bytes chunk = {flags, 0, 0, 0};
    put(chunk, width - 1, 3, false);
    put(chunk, height - 1, 3, false);
    Bytes b = text("RIFF");
    put(b, 4 + 8 + chunk.size(), 4, false);
    b = b + text("WEBPVP8X");
    put(b, chunk.size(), 4, false);
    return b + chunk;
}

Bytes webpVp8l(uint32_t width, uint32_t height, bool alpha) {
    Bytes b = text("RIFF");
    put(b, 4 + 8 + 5, 4, false);
    b = b + text("WEBPVP8L");
    put(b, 5, 4, false);
    b.push_back(0x2F);
    put(b, (width - 1) | (height - 1) << 14 | uint32_t(alpha) << 28, 4, false);
    return b;
}

Bytes webpVp8(uint32_t width, uint32_t height) {
    Bytes b = text("RIFF");
    put(b, 4 + 8 + 10, 4, false);
    b = b + text("WEBPVP8 ");
    put(b, 10, 4, false);
    b = b + Bytes{0x10, 0x02, 0x00, 0x9D, 0x01, 0x2A};
    put(b, width, 2, false);
    put(b, height, 2, false);
    return b;
}

struct Read {
    bool known;
    ContainerFacts facts;
    MemoryFile file;
};

Read readFacts(const Bytes& bytes, ContainerFormat format) {
    Read r;
    r.file.bytes = bytes;
    ProbeFile probe = memoryProbeFile(r.file);
    r.known = containerFacts(probeByteSource(probe), format, r.facts);
    return r;
}

struct Case {
    const char* what;
    Bytes bytes;
    ContainerFormat format;
    uint32_t width, height;  // 0 x 0: no size
    uint16_t depth;
};

TEST(ContainerReader, ReadsEachFormatsFieldsAndRefusesWhatDoesNotHold) {
    using F = ContainerFormat;
    Bytes irot90 = box("irot", {1});
    Bytes pixi = fullBox("pixi", 0, 0, {3, 10, 10, 10});
    Bytes largeMeta = heif({}, 0);
    // meta as a 64-bit box: size 1, the type, then the size in 8 bytes.
    {
        const size_t at = kFtypLength;
        Bytes meta(largeMeta.begin() + at, largeMeta.end());
        Bytes grown(largeMeta.begin(), largeMeta.begin() + at);
        put(grown, 1, 4);
        grown = grown + text("meta");
        put(grown, meta.size() + 8, 8);
        largeMeta = grown + Bytes(meta.begin() + 8, meta.end());
    }
    Bytes toEnd = heif({}, 0);
    for (int i = 0; i < 4; ++i) toEnd[kFtypLength + i] = 0;  // meta runs to the end of the file
    Bytes pastEnd = heif({}, 0);
    pastEnd[kFtypLength + 3] += 1;  // meta one byte longer than the file: a cut file
    Bytes pastParent = heif({}, 0);
    pastParent[boxOffset(pastParent, "ipco") + 3] += 1;  // ipco one byte past iprp
    Bytes jxlp = kJxlSignature + box("ftyp", text("jxl ") + u32(0) + text("jxl ")) + box("jbrd", {1, 2}) +
                 box("jxlp", u32(0) + jxlLarge(1000, 700, 1));
    Bits small;
    small.add(1, 1).add(3, 5).add(5, 3).add(1, 1);  // height 32, ratio 16:9, all default
    Bits sixth;
    sixth.add(1, 1).add(1, 5).add(0, 3).add(3, 5).add(0, 1).add(1, 1).add(5, 3);  // 32 x 16, orientation 6

    const Case cases[] = {
        {"VP8X with alpha", webpVp8x(3000, 2000, 0x10), F::WebP, 3000, 2000, 32},
        {"VP8X animated", webpVp8x(16777216, 1, 0x02), F::WebP, 16777216, 1, 24},
        {"VP8L", webpVp8l(16384, 77, true), F::WebP, 16384, 77, 32},
        {"VP8", webpVp8(1920, 0x4000 | 1080), F::WebP, 1920, 1080, 24},
        {"VP8 interframe", [] { Bytes b = webpVp8(8, 8); b[20] |= 1; return b; }(), F::WebP, 0, 0, 0},
        {"VP8L version 1", [] { Bytes b = webpVp8l(8, 8, false); b[24] |= 0x20; return b; }(), F::WebP, 0, 0, 0},
        {"chunk past the RIFF", [] { Bytes b = webpVp8l(8, 8, false); b[4] = 12; return b; }(), F::WebP, 0, 0, 0},
        {"RIFF past the file", [] { Bytes b = webpVp8l(8, 8, false); b[6] = 1; return b; }(), F::WebP, 8, 8, 24},
        {"HEIF", heif({}, 0), F::Heif, 640, 480, 0},
        {"HEIF turned 90", heif(irot90, 1), F::Heif, 480, 640, 0},
        {"HEIF turned 180", heif(box("irot", {2}), 1), F::Heif, 640, 480, 0},
        {"HEIF pixi", heif(pixi + irot90, 2, "heic"), F::Heif, 480, 640, 30},
        {"HEIF 64-bit meta", largeMeta, F::Heif, 640, 480, 0},
        {"HEIF meta to the end", toEnd, F::Heif, 640, 480, 0},
        {"HEIF meta past the file's end", pastEnd, F::Heif, 640, 480, 0},
        {"HEIF box past its parent's end", pastParent, F::Heif, 0, 0, 0},
        {"HEIF no image brand", heif({}, 0, "isom"), F::Heif, 0, 0, 0},
        {"JPEG XL bare", jxlLarge(1 << 30, 3, 1), F::JpegXl, 1u << 30, 3, 0},
        {"JPEG XL turned", jxlLarge(400, 300, 6), F::JpegXl, 300, 400, 0},
        {"JPEG XL mirrored", jxlLarge(400, 300, 4), F::JpegXl, 400, 300, 0},
        {"JPEG XL small, ratio", small.bytes, F::JpegXl, 56, 32, 0},
        {"JPEG XL small, turned", sixth.bytes, F::JpegXl, 16, 32, 0},
        {"JPEG XL jxlp", jxlp, F::JpegXl, 1000, 700, 0},
        {"JPEG XL jxlc", kJxlSignature + box("jxlc", jxlLarge(5, 6, 1)), F::JpegXl, 5, 6, 0},
        {"JPEG XL cut jxlc", kJxlSignature + box("jxlc", {0xFF, 0x0A, 0x00}), F::JpegXl, 0, 0, 0},
    };
    for (const Case& c : cases) {
        Read r = readFacts(c.bytes, c.format);
        EXPECT_EQ(r.known, c.width != 0) << c.what;
        EXPECT_EQ(r.facts.width, c.width) << c.what;
        EXPECT_EQ(r.facts.height, c.height) << c.what;
        if (r.known) {
            EXPECT_EQ(r.facts.depth, c.depth) << c.what;
        }
    }
}

// A file cut anywhere gives its size or none, never another; the formats'
// signatures tell them apart from their first bytes.
TEST(ContainerReader, ACutFileGivesItsSizeOrNone) {
    const Case sound[] = {
        {"VP8X", webpVp8x(300, 200, 0), ContainerFormat::WebP, 300, 200, 24},
        {"HEIF", heif(box("irot", {3}), 1), ContainerFormat::Heif, 480, 640, 0},
        {"JPEG XL", kJxlSignature + box("jxlc", jxlLarge(33, 44, 1)), ContainerFormat::JpegXl, 33, 44, 0},
    };
    for (const Case& c : sound) {
        EXPECT_EQ(containerFormatOfHead(c.bytes.data(), static_cast<uint32_t>(c.bytes.size())), c.format) << c.what;
        for (size_t length = 0; length <= c.bytes.size(); ++length) {
            Read r = readFacts(Bytes(c.bytes.begin(), c.bytes.begin() + length), c.format);
            if (r.known) {
                EXPECT_EQ(r.facts.width, c.width) << c.what << " cut at " << length;
                EXPECT_EQ(r.facts.height, c.height) << c.what << " cut at " << length;
            }
        }
        EXPECT_TRUE(readFacts(c.bytes, c.format).known) << c.what;
    }
    Bytes mp4 = box("ftyp", text("isom") + u32(0) + text("mp41"));
    EXPECT_EQ(containerFormatOfHead(mp4.data(), static_cast<uint32_t>(mp4.size())), ContainerFormat::None);
}

// Boxes that send the reader far through a file stop at its budget.
TEST(ContainerReader, FarBoxesCostNoMoreThanTheBudget) {
    Bytes file = box("ftyp", text("heic") + u32(0) + text("mif1"));
    for (int i = 0; i < 8; ++i) {  // eight 64 KiB free boxes before meta
        Bytes skip;
        put(skip, 65536, 4);
        file = file + skip + text("free");
        file.resize(file.size() + 65536 - 8, 0);
    }
    Bytes sound = heif({}, 0);
    file = file + Bytes(sound.begin() + kFtypLength, sound.end());
    Read r = readFacts(file, ContainerFormat::Heif);
    EXPECT_FALSE(r.known);
    EXPECT_LE(r.file.asked, kContainerBudget);
    EXPECT_LE(r.file.largestRead, kContainerWindow);
}

}  // namespace
