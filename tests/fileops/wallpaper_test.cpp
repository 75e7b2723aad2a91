// The wallpaper BMP, field by field, for each pixel format a plug-in may
// deliver, and the desktop settings written for each style.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/text.h"
#include "fileops/wallpaper.h"
#include "spi/plugins.h"
#include "support/notices.h"
#include "support/testdirs.h"
#include "support/windows.h"

namespace {

uint32_t le(const std::string& bytes, size_t at, int size) {
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes.at(at + i));
    return value;
}

std::string desktopValue(const char* name) {
    char value[MAX_PATH] = {};
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", name, RRF_RT_REG_SZ, nullptr, value, &size))
        return "<none>";
    return value;
}

std::string systemWallpaper() {
    char path[MAX_PATH] = {};
    SystemParametersInfoA(SPI_GETDESKWALLPAPER, sizeof path, path, 0);
    return path;
}

class Wallpaper : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(loadTestPlugins(folders, {"depth"}));
        char path[kPathSize];
        ASSERT_EQ(wallpaperFilePath(path), 1);
        bmpPath = path;
        CreateDirectoryA(bmpPath.substr(0, bmpPath.find_last_of('\\')).c_str(), nullptr);
    }
    void TearDown() override {
        spiListUnload(spiList);
        spiList = nullptr;
    }
    // A picture the depth plug-in decodes at depth with compression.
    std::string picture(int depth, int compression) {
        std::string path = pictures.path + "\\" + std::to_string(depth) + ".pic";
        writeFile(path, std::string("DPTH") + char(depth) + char(compression));
        return path;
    }

    RecordingWindow owner;
    TempFolder pictures;
    std::vector<std::unique_ptr<TempFolder>> folders;
    std::string bmpPath;
};

TEST_F(Wallpaper, TheBmpIsLaidOutByteForByteAndTakenByTheSystem) {
    struct Case {
        int depth;
        int compression;
        uint32_t tableBytes;  // colour table or colour masks
    } cases[] = {
        {8, BI_RGB, 256 * 4},
        {24, BI_RGB, 0},
        {16, BI_BITFIELDS, 3 * 4},
        {32, BI_BITFIELDS, 3 * 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.depth);
        NoticeWatch watch;
        noticeWatchBegin(watch);
        EXPECT_EQ(wallpaperSet(picture(c.depth, c.compression).c_str(), 0, owner.window), 1);
        noticeWatchEnd();
        EXPECT_EQ(watch.count, 0) << watch.text;

        const std::string bmp = readFile(bmpPath);
        ASSERT_GT(bmp.size(), 54u);
        const uint32_t stride = (3 * c.depth + 31) / 32 * 4;
        EXPECT_EQ(bmp.substr(0, 2), "BM");
        EXPECT_EQ(le(bmp, 2, 4), bmp.size());             // file size
        EXPECT_EQ(le(bmp, 6, 4), 0u);                     // reserved
        EXPECT_EQ(le(bmp, 10, 4), 54 + c.tableBytes);     // pixel offset
        EXPECT_EQ(le(bmp, 14, 4), 40u);                   // header size
        EXPECT_EQ(le(bmp, 18, 4), 3u);                    // width
        EXPECT_EQ(le(bmp, 22, 4), 2u);                    // height
        EXPECT_EQ(le(bmp, 28, 2), uint32_t(c.depth));
        EXPECT_EQ(le(bmp, 30, 4), uint32_t(c.compression));
        EXPECT_EQ(le(bmp, 34, 4), 2 * stride);            // image size
        EXPECT_EQ(bmp.size(), 54 + c.tableBytes + 2 * stride);
        if (c.depth == 8) {
            EXPECT_EQ(le(bmp, 54 + 7 * 4, 4), 0x0007F801u);  // entry 7: blue 1, green 248, red 7
            EXPECT_EQ(le(bmp, 54 + 1024, 1), 7u);            // the first pixel's index
        }
        if (c.depth == 16) {
            EXPECT_EQ(le(bmp, 54, 4), 0xF800u);  // the red mask leads
        }
        EXPECT_EQ(systemWallpaper(), bmpPath);
        HANDLE image = LoadImageA(nullptr, bmpPath.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
        EXPECT_NE(image, nullptr);
        DeleteObject(image);
    }
}

TEST_F(Wallpaper, EachStyleIsRecordedAndClearingEmptiesTheWallpaper) {
    OSVERSIONINFOA system = {};
    system.dwOSVersionInfoSize = sizeof system;
    ASSERT_TRUE(GetVersionExA(&system));
    if (system.dwPlatformId != VER_PLATFORM_WIN32_NT || system.dwMajorVersion * 256 + system.dwMinorVersion < 0x0501)
        GTEST_SKIP() << "the system reports a version before 5.1";
    const std::string path = picture(24, BI_RGB);
    struct Case {
        const char* picture;
        int32_t style;
        const char* tile;
        const char* wallpaperStyle;
    } cases[] = {
        {path.c_str(), kWallCenter, "0", "0"},
        {path.c_str(), kWallTile, "1", "0"},
        {path.c_str(), kWallStretch, "0", "2"},
        {path.c_str(), 7, "x", "x"},  // no style: neither value written
        {nullptr, kWallCenter, "0", "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        HKEY key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_WRITE, nullptr,
                                  &key, nullptr), ERROR_SUCCESS);
        for (const char* name : {"TileWallpaper", "WallpaperStyle", "ConvertedWallpaper"})
            RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2);
        RegCloseKey(key);
        EXPECT_EQ(wallpaperSet(c.picture, c.style, owner.window), 1);
        EXPECT_EQ(desktopValue("TileWallpaper"), c.tile);
        EXPECT_EQ(desktopValue("WallpaperStyle"), c.wallpaperStyle);
        EXPECT_EQ(desktopValue("ConvertedWallpaper"), c.picture ? c.picture : "");
        EXPECT_EQ(systemWallpaper(), c.picture ? bmpPath : "");
    }
}

}  // namespace
