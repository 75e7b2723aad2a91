// The WIC plug-in's header reader: sizes without decoding, for the formats
// whose codecs would decode every pixel to answer.
#include <gtest/gtest.h>

#include <string.h>

#include <vector>

#include "wic/headers.h"

namespace {

using Bytes = std::vector<unsigned char>;

uint32_t readBytes(void* context, uint64_t position, void* buffer, uint32_t count) {
    const Bytes& bytes = *static_cast<const Bytes*>(context);
    if (position >= bytes.size()) return 0;
    uint64_t left = bytes.size() - position;
    uint32_t n = left < count ? static_cast<uint32_t>(left) : count;
    memcpy(buffer, bytes.data() + position, n);
    return n;
}

bool factsOf(const Bytes& bytes, HeaderFacts& facts) {
    return headerFacts(HeaderSource{const_cast<Bytes*>(&bytes), readBytes}, facts);
}

Bytes png(uint32_t width, uint32_t height, unsigned char bitDepth, unsigned char colourType) {
    Bytes b = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    for (uint32_t v : {width, height}) {
        for (int shift = 24; shift >= 0; shift -= 8) b.push_back((v >> shift) & 0xFF);
    }
    b.push_back(bitDepth);
    b.push_back(colourType);
    b.resize(40, 0);
    return b;
}

void putLe(Bytes& b, size_t at, uint32_t value, int size) {
    for (int i = 0; i < size; ++i) b[at + i] = (value >> (8 * i)) & 0xFF;
}

Bytes bmp(uint32_t headerSize, int32_t width, int32_t height, uint16_t bits) {
    Bytes b(64, 0);
    b[0] = 'B';
    b[1] = 'M';
    putLe(b, 14, headerSize, 4);
    if (headerSize == 12) {
        putLe(b, 18, uint32_t(width), 2);
        putLe(b, 20, uint32_t(height), 2);
        putLe(b, 24, bits, 2);
    } else {
        putLe(b, 18, uint32_t(width), 4);
        putLe(b, 22, uint32_t(height), 4);
        putLe(b, 28, bits, 2);
    }
    return b;
}

// SOI, the given segments, then a frame header of marker sof.
Bytes jpeg(const Bytes& before, unsigned char sof, uint16_t width, uint16_t height,
           unsigned char components = 3) {
    Bytes b = {0xFF, 0xD8};
    b.insert(b.end(), before.begin(), before.end());
    Bytes frame = {0xFF, sof, 0x00, 0x11, 0x08, static_cast<unsigned char>(height >> 8),
                   static_cast<unsigned char>(height), static_cast<unsigned char>(width >> 8),
                   static_cast<unsigned char>(width), components};
    b.insert(b.end(), frame.begin(), frame.end());
    b.resize(b.size() + 16, 0);
    return b;
}

Bytes segment(unsigned char marker, uint16_t length) {
    Bytes s = {0xFF, marker, static_cast<unsigned char>(length >> 8), static_cast<unsigned char>(length)};
    s.resize(2 + length, 0x5A);
    return s;
}

TEST(WicHeaders, ReadsPngSizeAndDepthByColourType) {
    HeaderFacts facts;
    ASSERT_TRUE(factsOf(png(1920, 1080, 8, 2), facts));
    EXPECT_EQ(facts.width, 1920u);
    EXPECT_EQ(facts.height, 1080u);
    EXPECT_EQ(facts.depth, 24);
    ASSERT_TRUE(factsOf(png(16, 16, 8, 6), facts));
    EXPECT_EQ(facts.depth, 32);
    ASSERT_TRUE(factsOf(png(16, 16, 4, 3), facts));
    EXPECT_EQ(facts.depth, 4);
    EXPECT_FALSE(factsOf(png(0, 16, 8, 2), facts));
    Bytes wrongChunk = png(16, 16, 8, 2);
    memcpy(wrongChunk.data() + 12, "IDAT", 4);
    EXPECT_FALSE(factsOf(wrongChunk, facts));
}

TEST(WicHeaders, ReadsTheGifLogicalScreen) {
    Bytes gif = {'G', 'I', 'F', '8', '9', 'a', 0x00, 0x04, 0x00, 0x03, 0xF7, 0, 0};
    HeaderFacts facts;
    ASSERT_TRUE(factsOf(gif, facts));
    EXPECT_EQ(facts.width, 1024u);
    EXPECT_EQ(facts.height, 768u);
}

TEST(WicHeaders, ReadsBmpCoreAndInfoHeadersAndTopDownRows) {
    HeaderFacts facts;
    ASSERT_TRUE(factsOf(bmp(40, 800, -600, 24), facts));
    EXPECT_EQ(facts.width, 800u);
    EXPECT_EQ(facts.height, 600u);
    EXPECT_EQ(facts.depth, 24);
    ASSERT_TRUE(factsOf(bmp(12, 320, 200, 8), facts));
    EXPECT_EQ(facts.width, 320u);
    EXPECT_EQ(facts.height, 200u);
    EXPECT_EQ(facts.depth, 8);
    EXPECT_FALSE(factsOf(bmp(40, -5, 10, 24), facts));
    EXPECT_FALSE(factsOf(bmp(20, 5, 10, 24), facts));
}

TEST(WicHeaders, WalksJpegSegmentsToAnyFrameHeader) {
    HeaderFacts facts;
    Bytes exif = segment(0xE1, 5000);
    Bytes tables = segment(0xDB, 67);
    Bytes huffman = segment(0xC4, 30);  // a table, not a frame, despite its number
    Bytes before = exif;
    before.insert(before.end(), tables.begin(), tables.end());
    before.insert(before.end(), huffman.begin(), huffman.end());
    for (unsigned char sof : {0xC0, 0xC1, 0xC2, 0xC9}) {
        ASSERT_TRUE(factsOf(jpeg(before, sof, 2560, 1440), facts)) << int(sof);
        EXPECT_EQ(facts.width, 2560u);
        EXPECT_EQ(facts.height, 1440u);
        EXPECT_EQ(facts.depth, 24);
    }
    ASSERT_TRUE(factsOf(jpeg({}, 0xC0, 640, 480, 1), facts));
    EXPECT_EQ(facts.depth, 8);
}

TEST(WicHeaders, SkipsFillBytesAndMarkersWithoutLength) {
    Bytes before = {0xFF, 0xFF, 0xFF, 0xD0, 0xFF, 0x01};
    Bytes app = segment(0xE0, 16);
    before.insert(before.end(), app.begin(), app.end());
    before.push_back(0xFF);  // one more fill byte before the frame
    HeaderFacts facts;
    ASSERT_TRUE(factsOf(jpeg(before, 0xC0, 300, 200), facts));
    EXPECT_EQ(facts.width, 300u);
    EXPECT_EQ(facts.height, 200u);
}

TEST(WicHeaders, GivesUpOnJpegsWithoutAReadableFrameHeader) {
    HeaderFacts facts;
    Bytes scanFirst = segment(0xDA, 12);
    EXPECT_FALSE(factsOf(jpeg(scanFirst, 0xC0, 300, 200), facts));
    Bytes cut = jpeg(segment(0xE0, 16), 0xC0, 300, 200);
    cut.resize(22);
    EXPECT_FALSE(factsOf(cut, facts));
    Bytes garbage = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 0x12};
    garbage.resize(18, 0);
    garbage.push_back(0x42);  // not a marker where one must stand
    EXPECT_FALSE(factsOf(garbage, facts));
    EXPECT_FALSE(factsOf(jpeg({}, 0xC0, 300, 0), facts));  // height set later, by a DNL
    Bytes badLength = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x01};
    EXPECT_FALSE(factsOf(badLength, facts));
}

TEST(WicHeaders, LeavesOtherFormatsToTheCodecs) {
    HeaderFacts facts;
    EXPECT_FALSE(factsOf(Bytes{'I', 'I', '*', 0, 8, 0, 0, 0}, facts));
    EXPECT_FALSE(factsOf(Bytes{0, 0, 1, 0, 1, 0, 32, 32}, facts));
    EXPECT_FALSE(factsOf(Bytes(), facts));
}

}  // namespace
