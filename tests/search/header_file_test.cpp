// The header reader over real files opened as the search opens them, and its
// one message box, owned by the window the caller names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "search/header.h"
#include "support/notices.h"
#include "support/testdirs.h"
#include "support/windows.h"

namespace {

class HeaderFile : public ::testing::Test {
protected:
    int probeFile(const std::vector<unsigned char>& bytes, const char* name, HWND owner) {
        std::string path = folder.path + "\\" + name;
        if (!writeFile(path, bytes)) return -1;
        HANDLE in = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (in == INVALID_HANDLE_VALUE) return -1;
        int result = probeHeaderSize(probeFileFromHandle(&in), name, owner, size);
        CloseHandle(in);
        return result;
    }

    TempFolder folder;
    PictureSize size{};
};

TEST_F(HeaderFile, ReadsSizesFromAnOpenHandle) {
    std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13,
                                      'I', 'H', 'D', 'R', 0, 0, 0x07, 0x80, 0, 0, 0x04, 0x38};
    EXPECT_EQ(probeFile(png, "wall.png", nullptr), 1);
    EXPECT_EQ(size.width, 1920u);
    EXPECT_EQ(size.height, 1080u);

    std::vector<unsigned char> jpeg = {0xFF, 0xD8, 0xFF, 0xE1, 0x00, 0x08, 1, 2, 3, 4, 5, 6,
                                       0xFF, 0xC0, 0x00, 0x11, 0x08, 0x05, 0xA0, 0x0A, 0x00};
    EXPECT_EQ(probeFile(jpeg, "wall.jpg", nullptr), 1);
    EXPECT_EQ(size.width, 2560u);
    EXPECT_EQ(size.height, 1440u);

    EXPECT_EQ(probeFile({'B', 'M', 0, 0, 0, 0}, "tiny.bmp", nullptr), 0);
}

TEST_F(HeaderFile, TheNoFrameMessageIsOwnedByTheWindowGiven) {
    RecordingWindow owner;
    NoticeWatch watch;
    noticeWatchBegin(watch);
    int result = probeFile({0xFF, 0xD8, 0xFF, 0xD9, 0x00, 0x00}, "empty.jpg", owner.window);
    noticeWatchEnd();
    EXPECT_EQ(result, 0);
    expectSingleNotice(watch, "SOFx(Start of Frame) segment not found...Does it contain graphic?", "Error",
                       owner.window);
}

}  // namespace
