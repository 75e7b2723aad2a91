// The fast header reader over files in memory: format choice by name, the
// fixed offsets, and the JPEG marker walk.
#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "search/header.h"
#include "support/memfile.h"
#include "support/notices.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes bmpHeader(uint32_t width, uint32_t height) {
    Bytes b(54, 0);
    b[0] = 'B';
    b[1] = 'M';
    for (int i = 0; i < 4; ++i) {
        b[18 + i] = static_cast<unsigned char>(width >> (8 * i));
        b[22 + i] = static_cast<unsigned char>(height >> (8 * i));
    }
    return b;
}

Bytes gifHeader(uint16_t width, uint16_t height) {
    Bytes b = {'G', 'I', 'F', '8', '9', 'a'};
    b.push_back(width & 0xFF);
    b.push_back(width >> 8);
    b.push_back(height & 0xFF);
    b.push_back(height >> 8);
    b.resize(32, 0);
    return b;
}

Bytes pngHeader(uint32_t width, uint32_t height) {
    Bytes b = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    for (uint32_t v : {width, height}) {
        for (int shift = 24; shift >= 0; shift -= 8) b.push_back((v >> shift) & 0xFF);
    }
    b.resize(40, 0);
    return b;
}

// FF D8, a 16-byte APP0, then FF C0 with precision 8 and the given size.
Bytes jpegWith(uint16_t code, uint16_t width, uint16_t height) {
    Bytes b = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10};
    b.resize(20, 0x11);
    Bytes frame = {static_cast<unsigned char>(code >> 8), static_cast<unsigned char>(code), 0x00,
                   0x11, 0x08, static_cast<unsigned char>(height >> 8),
                   static_cast<unsigned char>(height), static_cast<unsigned char>(width >> 8),
                   static_cast<unsigned char>(width), 0x03};
    b.insert(b.end(), frame.begin(), frame.end());
    b.resize(b.size() + 20, 0x22);
    return b;
}

class HeaderReader : public ::testing::Test {
protected:
    void SetUp() override { noticeWatchBegin(notices); }
    void TearDown() override { noticeWatchEnd(); }

    int probe(const Bytes& bytes, const char* name) {
        file = MemoryFile();
        file.bytes = bytes;
        return probeHeaderSize(memoryProbeFile(file), name, nullptr, size);
    }

    MemoryFile file;
    PictureSize size{};
    NoticeWatch notices;
};

TEST_F(HeaderReader, ChoosesTheFormatByTheFirstFourCharactersOfTheExtension) {
    Bytes jpeg = jpegWith(0xFFC0, 1024, 768);
    for (const char* name : {"Photo.JPG", "photo.jpeg", "photo.jpegx", "a.b.JpEg"}) {
        EXPECT_EQ(probe(jpeg, name), 1) << name;
        EXPECT_EQ(size.width, 1024u) << name;
    }
    for (const char* name : {"photo.jpe", "photo.jfif", "photo.bmpx", "photo", "photo.", ".png.x"}) {
        EXPECT_EQ(probe(pngHeader(10, 10), name), 0) << name;
        EXPECT_EQ(file.reads, 0) << name << " must not be read";
    }
}

TEST_F(HeaderReader, ReadsBmpGifAndPngAtTheirFixedOffsets) {
    EXPECT_EQ(probe(bmpHeader(1920, 1080), "a.bmp"), 1);
    EXPECT_EQ(size.width, 1920u);
    EXPECT_EQ(size.height, 1080u);
    EXPECT_EQ(file.seeks, 1);
    EXPECT_EQ(file.reads, 1);

    EXPECT_EQ(probe(gifHeader(640, 480), "a.GIF"), 1);
    EXPECT_EQ(size.width, 640u);
    EXPECT_EQ(size.height, 480u);

    EXPECT_EQ(probe(pngHeader(2560, 1440), "a.png"), 1);
    EXPECT_EQ(size.width, 2560u);
    EXPECT_EQ(size.height, 1440u);
}

TEST_F(HeaderReader, TakesATopDownBmpHeightAsUnsigned) {
    EXPECT_EQ(probe(bmpHeader(800, static_cast<uint32_t>(-600)), "top.bmp"), 1);
    EXPECT_EQ(size.height, 0xFFFFFDA8u);
}

TEST_F(HeaderReader, ReadsWhateverStandsAtTheOffsetsTheNameChooses) {
    // A GIF named .png: bytes 16 to 23 are zero padding here, so no size.
    EXPECT_EQ(probe(gifHeader(640, 480), "x.png"), 0);
    Bytes gif = gifHeader(640, 480);
    for (int i = 16; i < 24; ++i) gif[i] = 0x01;
    EXPECT_EQ(probe(gif, "x.png"), 1);
    EXPECT_EQ(size.width, 0x01010101u);
}

TEST_F(HeaderReader, AShortOrZeroSizedFileHasNoSize) {
    EXPECT_EQ(probe(Bytes(6, 0x42), "short.bmp"), 0);
    EXPECT_EQ(size.width, 0u);
    EXPECT_EQ(size.height, 0u);
    EXPECT_EQ(probe(Bytes(), "empty.jpg"), 0);
    EXPECT_EQ(probe(bmpHeader(0, 768), "zero.bmp"), 0);
    EXPECT_EQ(probe(gifHeader(640, 0), "zero.gif"), 0);
}

TEST_F(HeaderReader, WalksJpegSegmentsToTheFrameHeader) {
    Bytes worked = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10};
    worked.resize(20, 0x00);
    for (unsigned char b : {0xFF, 0xC0, 0x00, 0x11, 0x08, 0x03, 0x00, 0x04, 0x00}) worked.push_back(b);
    EXPECT_EQ(probe(worked, "w.jpg"), 1);
    EXPECT_EQ(size.width, 1024u);
    EXPECT_EQ(size.height, 768u);
    EXPECT_EQ(notices.count, 0);
    EXPECT_LE(file.largestRead, 4u);

    EXPECT_EQ(probe(jpegWith(0xFFC2, 3840, 2160), "progressive.jpeg"), 1);
    EXPECT_EQ(size.width, 3840u);
    EXPECT_EQ(size.height, 2160u);
}

TEST_F(HeaderReader, SkipsOtherFrameMarkersLikeAnySegment) {
    EXPECT_EQ(probe(jpegWith(0xFFC1, 1024, 768), "sof1.jpg"), 0);
    EXPECT_EQ(notices.count, 0);
}

TEST_F(HeaderReader, ToldWhenTheImageEndsBeforeAFrameHeader) {
    Bytes b = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x04, 0xAA, 0xBB, 0xFF, 0xD9, 0x00, 0x00};
    EXPECT_EQ(probe(b, "noframe.jpg"), 0);
    EXPECT_EQ(notices.count, 1);
}

TEST_F(HeaderReader, StepsSixBytesOverALineBreakCode) {
    // 0D 0A at a code position moves the next read 6 bytes on.
    Bytes b = {0xFF, 0xD8, 0x0D, 0x0A, 0x99, 0x99, 0x77, 0x77};
    for (unsigned char x : {0xFF, 0xC0, 0x00, 0x11, 0x08, 0x00, 0x30, 0x00, 0x40}) b.push_back(x);
    EXPECT_EQ(probe(b, "crlf.jpg"), 1);
    EXPECT_EQ(size.width, 0x40u);
    EXPECT_EQ(size.height, 0x30u);
}

TEST_F(HeaderReader, ZeroLengthsStillEndTheWalk) {
    EXPECT_EQ(probe(Bytes(4096, 0x00), "zeros.jpg"), 0);
    EXPECT_LE(file.reads, 2048);
    EXPECT_EQ(probe(Bytes(4096, 0xFF), "ff.jpg"), 0);
    EXPECT_EQ(notices.count, 0);
}

TEST_F(HeaderReader, ProbeJpegSizeWalksFromOffsetTwo) {
    file = MemoryFile();
    file.bytes = jpegWith(0xFFC0, 1600, 1200);
    EXPECT_EQ(probeJpegSize(memoryProbeFile(file), nullptr, size), 1);
    EXPECT_EQ(size.width, 1600u);
    EXPECT_EQ(size.height, 1200u);
}

}  // namespace
