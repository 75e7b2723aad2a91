// The shipped WIC plug-in called directly, as any Susie host would call it.
#include <gtest/gtest.h>

#include <objbase.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/arch.h"
#include "spi/susie.h"
#include "support/testdirs.h"

namespace {

std::vector<unsigned char> readAll(const std::string& path) {
    std::vector<unsigned char> bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    bytes.resize(GetFileSize(file, nullptr));
    DWORD got = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(file);
    bytes.resize(got);
    return bytes;
}

class WicPlugin : public ::testing::Test {
protected:
    void SetUp() override {
        module = LoadLibraryA((buildFolder("plugins") + "wic" TRAWLIX_PLUGIN_EXTENSION).c_str());
        ASSERT_NE(module, nullptr);
        info = entry<SusieGetPluginInfo>("GetPluginInfo");
        supported = entry<SusieIsSupported>("IsSupported");
        pictureInfo = entry<SusieGetPictureInfo>("GetPictureInfo");
        picture = entry<SusieGetPicture>("GetPicture");
        ASSERT_TRUE(info && supported && pictureInfo && picture);
    }
    void TearDown() override { FreeLibrary(module); }

    template <typename Entry>
    Entry entry(const char* name) {
        return reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    }

    static std::string picturePath(const char* name) { return buildFolder("testpictures") + name; }

    HMODULE module = nullptr;
    SusieGetPluginInfo info = nullptr;
    SusieIsSupported supported = nullptr;
    SusieGetPictureInfo pictureInfo = nullptr;
    SusieGetPicture picture = nullptr;
};

TEST_F(WicPlugin, DescribesItselfAndItsFormats) {
    char text[256] = {};
    EXPECT_EQ(info(0, text, 5), 4);
    EXPECT_STREQ(text, "00IN");
    EXPECT_GT(info(1, text, sizeof text), 0);
    EXPECT_EQ(info(2, text, sizeof text), 5);
    EXPECT_STREQ(text, "*.png");
    EXPECT_EQ(info(3, text, sizeof text), 3);
    EXPECT_STREQ(text, "PNG");
    int pairs = 0;
    while (info(2 + 2 * pairs, text, sizeof text) > 0) ++pairs;
    EXPECT_EQ(pairs, 10);
    EXPECT_EQ(info(3, text, 2), 1);  // cut to the buffer, terminated
    EXPECT_STREQ(text, "P");
}

TEST_F(WicPlugin, ClaimsFilesBySignature) {
    for (const char* name : {"quad.png", "quad.jpg", "quad.gif", "quad.bmp", "quad.tif", "quad.ico", "modern\\lossy.webp",
                             "modern\\lossy.avif", "modern\\lossy.heic", "modern\\lossy.jxl", "modern\\container.jxl"}) {
        std::vector<unsigned char> head = readAll(picturePath(name));
        head.resize(kSusieHeaderSize, 0);
        EXPECT_NE(supported("anything.txt", reinterpret_cast<DWORD_PTR>(head.data())), 0) << name;
    }
    std::vector<unsigned char> text(kSusieHeaderSize, 0);
    memcpy(text.data(), "plain text", 10);
    EXPECT_EQ(supported("picture.png", reinterpret_cast<DWORD_PTR>(text.data())), 0);
}

TEST_F(WicPlugin, ReportsSizeAndDepthFromAFileAtAnOffsetAndFromMemory) {
    SusiePictureInfo result = {};
    EXPECT_EQ(pictureInfo(picturePath("quad.png").c_str(), 0, kSusieInputFile, &result), kSusieOk);
    EXPECT_EQ(result.width, 64);
    EXPECT_EQ(result.height, 48);
    EXPECT_GT(result.colorDepth, 0);
    EXPECT_EQ(result.hInfo, nullptr);

    TempFolder folder;
    std::vector<unsigned char> bytes = readAll(picturePath("quad.jpg"));
    std::vector<unsigned char> wrapped(100 + bytes.size(), 'x');
    memcpy(wrapped.data() + 100, bytes.data(), bytes.size());
    std::string path = folder.path + "\\wrapped.bin";
    ASSERT_TRUE(writeFile(path, wrapped));
    result = {};
    EXPECT_EQ(pictureInfo(path.c_str(), 100, kSusieInputFile, &result), kSusieOk);
    EXPECT_EQ(result.width, 64);
    EXPECT_EQ(result.height, 48);

    result = {};
    EXPECT_EQ(pictureInfo(reinterpret_cast<LPCSTR>(bytes.data()), static_cast<LONG_PTR>(bytes.size()),
                          kSusieInputMemory, &result),
              kSusieOk);
    EXPECT_EQ(result.width, 64);

    EXPECT_NE(pictureInfo("C:\\no\\such.png", 0, kSusieInputFile, &result), kSusieOk);
    std::string text = folder.path + "\\text.png";
    writeFile(text, std::string("not a picture at all"));
    EXPECT_NE(pictureInfo(text.c_str(), 0, kSusieInputFile, &result), kSusieOk);
}

// A host asks IsSupported with the file's head and then GetPictureInfo by
// name; the plug-in may answer from that head, but only for the same file,
// once, and only when the file really holds the bytes the answer rests on.
TEST_F(WicPlugin, AnswersFromTheHeadItWasShownOnlyWhenTheFileBearsItOut) {
    TempFolder folder;
    const std::vector<unsigned char> quad = readAll(picturePath("quad.png"));  // 64 x 48
    std::vector<unsigned char> head = quad;
    head.resize(kSusieHeaderSize, 0);
    const std::string same = folder.path + "\\same.png", other = folder.path + "\\other.png",
                      cut = folder.path + "\\cut.png";
    ASSERT_TRUE(writeFile(same, quad));
    ASSERT_TRUE(writeFile(other, readAll(picturePath("wide.png"))));
    ASSERT_TRUE(writeFile(cut, std::vector<unsigned char>(quad.begin(), quad.begin() + 20)));
    struct Case {
        std::string shown;  // the file IsSupported is told of, with quad's head
        std::string asked;  // the file GetPictureInfo is asked about
        int result;
        LONG width;
    } cases[] = {
        {same, same, kSusieOk, 64},
        {same, other, kSusieOk, 400},  // wide.png's own size, not the head's
        {cut, cut, -1, 0},              // the head promises more than the file holds
    };
    for (const Case& c : cases) {
        ASSERT_NE(supported(c.shown.c_str(), reinterpret_cast<DWORD_PTR>(head.data())), 0);
        SusiePictureInfo result = {};
        int got = pictureInfo(c.asked.c_str(), 0, kSusieInputFile, &result);
        if (c.result == kSusieOk) {
            EXPECT_EQ(got, kSusieOk) << c.asked;
            EXPECT_EQ(result.width, c.width) << c.asked;
        } else {
            EXPECT_NE(got, kSusieOk) << c.asked;
        }
    }
    // Used once: the file changed since, and the next answer is the file's.
    ASSERT_NE(supported(same.c_str(), reinterpret_cast<DWORD_PTR>(head.data())), 0);
    SusiePictureInfo result = {};
    ASSERT_EQ(pictureInfo(same.c_str(), 0, kSusieInputFile, &result), kSusieOk);
    ASSERT_TRUE(writeFile(same, readAll(picturePath("wide.png"))));
    ASSERT_EQ(pictureInfo(same.c_str(), 0, kSusieInputFile, &result), kSusieOk);
    EXPECT_EQ(result.width, 400);
}

TEST_F(WicPlugin, ReportsTheSizeItDecodesForEveryFormat) {
    for (const char* name : {"quad.png", "alpha.png", "quad.jpg", "quadp.jpg", "quade.jpg",
                             "quad.gif", "quad.bmp", "quad.tif", "quad.ico"}) {
        SusiePictureInfo result = {};
        ASSERT_EQ(pictureInfo(picturePath(name).c_str(), 0, kSusieInputFile, &result), kSusieOk) << name;
        HLOCAL infoHandle = nullptr, bitsHandle = nullptr;
        ASSERT_EQ(picture(picturePath(name).c_str(), 0, kSusieInputFile, &infoHandle, &bitsHandle,
                          nullptr, 0),
                  kSusieOk)
            << name;
        const BITMAPINFO* bi = static_cast<const BITMAPINFO*>(LocalLock(infoHandle));
        EXPECT_EQ(result.width, bi->bmiHeader.biWidth) << name;
        EXPECT_EQ(result.height, bi->bmiHeader.biHeight) << name;
        LocalUnlock(infoHandle);
        LocalFree(infoHandle);
        LocalFree(bitsHandle);
    }
}

// The BGR pixel at x, y (from the top) of a decoded picture.
struct Pixel {
    BYTE blue, green, red;
};
Pixel pixelAt(HLOCAL infoHandle, HLOCAL bitsHandle, LONG x, LONG y) {
    const BITMAPINFO* bi = static_cast<const BITMAPINFO*>(LocalLock(infoHandle));
    const BYTE* bits = static_cast<const BYTE*>(LocalLock(bitsHandle));
    const LONG stride = (bi->bmiHeader.biWidth * 3 + 3) & ~3;
    const BYTE* p = bits + (bi->bmiHeader.biHeight - 1 - y) * stride + x * 3;
    Pixel pixel = {p[0], p[1], p[2]};
    LocalUnlock(bitsHandle);
    LocalUnlock(infoHandle);
    return pixel;
}

// The colour a decoded pixel is nearest: R, G, B or W, else '?'.
char colourOf(const Pixel& p) {
    const bool r = p.red > 200, g = p.green > 200, b = p.blue > 200;
    const bool noR = p.red < 60, noG = p.green < 60, noB = p.blue < 60;
    return r && g && b ? 'W' : r && noG && noB ? 'R' : g && noR && noB ? 'G' : b && noR && noG ? 'B' : '?';
}

// Every WebP, AVIF, HEIC and JPEG XL picture (lossy, lossless, alpha over
// white, turned by the file, a grid, 10-bit, animated) is sized from its
// header and decodes, from a file and from memory, to the size shown and
// the colours in each corner.
TEST_F(WicPlugin, SizesAndDecodesEveryNewFormatAsShown) {
    const std::vector<ModernPicture> pictures = modernPictures();
    ASSERT_EQ(pictures.size(), 21u);
    for (const ModernPicture& m : pictures) {
        SCOPED_TRACE(m.name);
        const std::string path = buildFolder("testpictures") + "modern\\" + m.name;
        std::vector<unsigned char> bytes = readAll(path), head = bytes;
        head.resize(kSusieHeaderSize, 0);
        EXPECT_NE(supported(path.c_str(), reinterpret_cast<DWORD_PTR>(head.data())), 0);
        SusiePictureInfo result = {};
        ASSERT_EQ(pictureInfo(path.c_str(), 0, kSusieInputFile, &result), kSusieOk);
        EXPECT_EQ(result.width, static_cast<LONG>(m.width));
        EXPECT_EQ(result.height, static_cast<LONG>(m.height));
        for (bool memory : {false, true}) {
            HLOCAL infoHandle = nullptr, bitsHandle = nullptr;
            ASSERT_EQ(memory ? picture(reinterpret_cast<LPCSTR>(bytes.data()), static_cast<LONG_PTR>(bytes.size()),
                                       kSusieInputMemory, &infoHandle, &bitsHandle, nullptr, 0)
                             : picture(path.c_str(), 0, kSusieInputFile, &infoHandle, &bitsHandle, nullptr, 0),
                      kSusieOk);
            const BITMAPINFO* bi = static_cast<const BITMAPINFO*>(LocalLock(infoHandle));
            EXPECT_EQ(bi->bmiHeader.biWidth, static_cast<LONG>(m.width));
            EXPECT_EQ(bi->bmiHeader.biHeight, static_cast<LONG>(m.height));
            LocalUnlock(infoHandle);
            const LONG right = static_cast<LONG>(m.width) - 3, bottom = static_cast<LONG>(m.height) - 3;
            const std::string corners = {colourOf(pixelAt(infoHandle, bitsHandle, 2, 2)),
                                         colourOf(pixelAt(infoHandle, bitsHandle, right, 2)),
                                         colourOf(pixelAt(infoHandle, bitsHandle, 2, bottom)),
                                         colourOf(pixelAt(infoHandle, bitsHandle, right, bottom))};
            EXPECT_EQ(corners, m.corners);
            LocalFree(infoHandle);
            LocalFree(bitsHandle);
        }
    }
}

// A file's head with its big-endian 32-bit fields at the first "ispe" set
// to width and height.
std::vector<unsigned char> withSpatialExtent(std::vector<unsigned char> bytes, uint32_t width, uint32_t height) {
    const unsigned char ispe[] = {'i', 's', 'p', 'e'};
    auto at = std::search(bytes.begin(), bytes.end(), ispe, ispe + 4);
    if (at == bytes.end() || bytes.end() - at < 16) return {};
    for (int i = 0; i < 4; ++i) {
        at[8 + i] = static_cast<unsigned char>(width >> (24 - 8 * i));
        at[12 + i] = static_cast<unsigned char>(height >> (24 - 8 * i));
    }
    return bytes;
}

// Pictures cut at a spread of lengths, and ones whose canvas would not fit
// (a HEIC and an AVIF saying 30000 x 30000, a JPEG XL 65536 x 65536), are
// refused as unknown or damaged, without a crash, whatever the decoder.
TEST_F(WicPlugin, RefusesCutPicturesAndHugeCanvases) {
    std::vector<std::vector<unsigned char>> hostile;
    for (const ModernPicture& m : modernPictures()) {
        const std::vector<unsigned char> bytes = readAll(buildFolder("testpictures") + "modern\\" + m.name);
        for (size_t cut : {size_t(12), size_t(40), bytes.size() / 4, bytes.size() / 2, bytes.size() * 3 / 4,
                           bytes.size() - 8, bytes.size() - 1})
            hostile.emplace_back(bytes.begin(), bytes.begin() + std::min(cut, bytes.size()));
    }
    hostile.push_back(withSpatialExtent(readAll(picturePath("modern\\lossy.heic")), 30000, 30000));
    hostile.push_back(withSpatialExtent(readAll(picturePath("modern\\lossy.avif")), 30000, 30000));
    // A bare codestream: not small, height 65536 in 30 bits, width by ratio 1:1, default metadata.
    hostile.push_back({0xFF, 0x0A, 0xFE, 0xFF, 0x07, 0x00, 0x12, 0, 0, 0, 0});
    ASSERT_EQ(hostile.size(), 21u * 7 + 3);
    int decoded = 0;
    for (size_t i = 0; i < hostile.size(); ++i) {
        const std::vector<unsigned char>& bytes = hostile[i];
        ASSERT_FALSE(bytes.empty()) << i;
        HLOCAL infoHandle = nullptr, bitsHandle = nullptr;
        const int result = picture(reinterpret_cast<LPCSTR>(bytes.data()), static_cast<LONG_PTR>(bytes.size()),
                                   kSusieInputMemory, &infoHandle, &bitsHandle, nullptr, 0);
        if (result == kSusieOk) {  // a cut that left the picture whole enough
            ++decoded;
            LocalFree(infoHandle);
            LocalFree(bitsHandle);
            continue;
        }
        EXPECT_TRUE(result == kSusieUnknownFormat || result == kSusieCorrupt || result == kSusieReadError) << i << ": " << result;
        EXPECT_EQ(infoHandle, nullptr);
        EXPECT_EQ(bitsHandle, nullptr);
    }
    EXPECT_LT(decoded, 21 * 2) << "most cuts leave no picture";
    for (size_t huge = hostile.size() - 3; huge < hostile.size(); ++huge) {
        HLOCAL infoHandle = nullptr, bitsHandle = nullptr;
        EXPECT_EQ(picture(reinterpret_cast<LPCSTR>(hostile[huge].data()), static_cast<LONG_PTR>(hostile[huge].size()),
                          kSusieInputMemory, &infoHandle, &bitsHandle, nullptr, 0),
                  kSusieUnknownFormat);
    }
}

TEST_F(WicPlugin, DecodesFromMemoryIntoBottomUpRows) {
    std::vector<unsigned char> bytes = readAll(picturePath("quad.png"));
    HLOCAL infoHandle = nullptr, bitsHandle = nullptr;
    ASSERT_EQ(picture(reinterpret_cast<LPCSTR>(bytes.data()), static_cast<LONG_PTR>(bytes.size()),
                      kSusieInputMemory, &infoHandle, &bitsHandle, nullptr, 0),
              kSusieOk);
    const BITMAPINFO* bi = static_cast<const BITMAPINFO*>(LocalLock(infoHandle));
    const BYTE* bits = static_cast<const BYTE*>(LocalLock(bitsHandle));
    EXPECT_EQ(bi->bmiHeader.biWidth, 64);
    EXPECT_EQ(bi->bmiHeader.biHeight, 48);
    EXPECT_EQ(bi->bmiHeader.biBitCount, 24);
    const size_t stride = 64 * 3;
    EXPECT_GE(LocalSize(bitsHandle), stride * 48);
    // The first row in memory is the picture's bottom row: blue, then white.
    EXPECT_EQ(bits[0], 255);
    EXPECT_EQ(bits[1], 0);
    EXPECT_EQ(bits[2], 0);
    const BYTE* topRight = bits + 47 * stride + 63 * 3;
    EXPECT_EQ(topRight[0], 0);
    EXPECT_EQ(topRight[1], 255);
    EXPECT_EQ(topRight[2], 0);
    LocalUnlock(bitsHandle);
    LocalUnlock(infoHandle);
    LocalFree(bitsHandle);
    LocalFree(infoHandle);
}

int WINAPI cancelAtOnce(int, int, LONG_PTR data) {
    ++*reinterpret_cast<int*>(data);
    return 1;
}

// The callback data comes back whole: here the address of a counter at the
// top of the address space, above 4 GiB in a 64-bit process.
TEST_F(WicPlugin, StopsWhenTheProgressCallbackAsks) {
    int* calls = static_cast<int*>(
        VirtualAlloc(nullptr, 4096, MEM_RESERVE | MEM_COMMIT | MEM_TOP_DOWN, PAGE_READWRITE));
    ASSERT_NE(calls, nullptr);
    HLOCAL infoHandle = nullptr, bitsHandle = nullptr;
    EXPECT_EQ(picture(picturePath("quad.jpg").c_str(), 0, kSusieInputFile, &infoHandle, &bitsHandle,
                      cancelAtOnce, reinterpret_cast<LONG_PTR>(calls)),
              kSusieCanceled);
    EXPECT_EQ(*calls, 1);
    VirtualFree(calls, 0, MEM_RELEASE);
    EXPECT_EQ(infoHandle, nullptr);
    EXPECT_EQ(bitsHandle, nullptr);
}

// Runs GetPictureInfo on a fresh thread in the given COM state and tells
// whether the thread's COM state afterwards is still what it was.
struct ComProbe {
    SusieGetPictureInfo pictureInfo;
    std::string path;
    DWORD model;  // COINIT_* the thread starts in, or ~0u for none
    int result = -1;
    bool stateKept = false;
};

DWORD WINAPI comProbeThread(void* p) {
    ComProbe* probe = static_cast<ComProbe*>(p);
    if (probe->model != ~0u) CoInitializeEx(nullptr, probe->model);
    SusiePictureInfo info = {};
    probe->result = probe->pictureInfo(probe->path.c_str(), 0, kSusieInputFile, &info);
    if (probe->model == ~0u) {
        // Still uninitialised: a fresh initialisation succeeds with S_OK.
        HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        probe->stateKept = hr == S_OK;
        if (SUCCEEDED(hr)) CoUninitialize();
    } else {
        // Still in the same apartment: initialising it again answers S_FALSE.
        HRESULT hr = CoInitializeEx(nullptr, probe->model);
        probe->stateKept = hr == S_FALSE;
        if (SUCCEEDED(hr)) CoUninitialize();
        CoUninitialize();
    }
    return 0;
}

TEST_F(WicPlugin, LeavesTheCallersComStateAsItFoundIt) {
    for (DWORD model : {static_cast<DWORD>(~0u), static_cast<DWORD>(COINIT_APARTMENTTHREADED),
                        static_cast<DWORD>(COINIT_MULTITHREADED)}) {
        ComProbe probe{pictureInfo, picturePath("quad.gif"), model};
        HANDLE thread = CreateThread(nullptr, 0, comProbeThread, &probe, 0, nullptr);
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        EXPECT_EQ(probe.result, kSusieOk) << model;
        EXPECT_TRUE(probe.stateKept) << model;
    }
}

}  // namespace
