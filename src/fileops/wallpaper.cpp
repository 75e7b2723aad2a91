#include "fileops/wallpaper.h"

#include <shlobj.h>
#include <string.h>

#include "app/resstring.h"
#include "app/text.h"
#include "resource.h"
#include "spi/plugins.h"

namespace {

const char kDesktopKey[] = "Control Panel\\Desktop";
const char kBmpName[] = "Wallpaper1.bmp";

// The system's reports of its own calls; not translated.
const char kRegistryFailed[] = "RegOpenKeyEx failed";
const char kPixelsFailed[] = "GetDIBits(2) failed";

// Room for a header with the largest colour table or the three colour masks
// of a bit-field bitmap: whatever GetDIBits writes after the header lands
// inside the block.
constexpr size_t kInfoRoom = sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD);

void reportError(HWND owner, const char* text) {
    resMessageBoxText(owner, text, kCaptionError, MB_OK | MB_ICONERROR);
}

void registryWrite(HKEY key, const char* name, const char* value) {
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                   static_cast<DWORD>(strlen(value) + 1));
}

// The desktop settings for style; the converted picture's path (empty when
// the wallpaper is removed) where the system keeps one.
void recordStyle(const char* path, int32_t style, HWND owner) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_WRITE, &key) != ERROR_SUCCESS) {
        reportError(owner, kRegistryFailed);
        return;
    }
    OSVERSIONINFOA system = {};
    system.dwOSVersionInfoSize = sizeof system;
    if (GetVersionExA(&system)) {
        const DWORD version = system.dwMajorVersion * 256 + system.dwMinorVersion;
        static const char* const kTile[] = {"0", "1", "0"};
        static const char* const kStyle[] = {"0", "0", "2"};
        if (style >= kWallCenter && style <= kWallStretch) {
            registryWrite(key, "TileWallpaper", kTile[style]);
            if (version >= 0x040A) registryWrite(key, "WallpaperStyle", kStyle[style]);
        }
        if (system.dwPlatformId == VER_PLATFORM_WIN32_NT && version >= 0x0501)
            registryWrite(key, "ConvertedWallpaper", path ? path : "");
    }
    RegCloseKey(key);
}

bool localAppData(char* folder) {
    LPITEMIDLIST list = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_LOCAL_APPDATA, &list)) || !list) return false;
    char found[MAX_PATH] = {};
    bool got = SHGetPathFromIDListA(list, found) && strCopyFit(folder, kPathSize, found);
    CoTaskMemFree(list);
    return got;
}

// Rows are padded to 4 bytes; a size the system left out is worked out.
DWORD imageSizeOf(const BITMAPINFOHEADER& header) {
    if (header.biSizeImage) return header.biSizeImage;
    uint64_t stride = (static_cast<uint64_t>(header.biWidth) * header.biBitCount + 31) / 32 * 4;
    uint64_t rows = header.biHeight < 0 ? -static_cast<int64_t>(header.biHeight) : header.biHeight;
    uint64_t size = stride * rows;
    return size > 0x7FFFFFFF ? 0 : static_cast<DWORD>(size);
}

void writePart(HWND owner, HANDLE file, const void* data, DWORD size, int failureId) {
    DWORD written = 0;
    if (!WriteFile(file, data, size, &written, nullptr) || written != size)
        resMessageBox(owner, failureId, kCaptionError, MB_OK | MB_ICONERROR);
}

// Writes bitmap to bmpPath as a BMP file in its own pixel format and makes
// it the wallpaper; a file that cannot be created leaves the wallpaper alone.
void writeAndSet(HWND owner, HDC dc, HBITMAP bitmap, const char* bmpPath) {
    BITMAPINFO* info = static_cast<BITMAPINFO*>(textAlloc(kInfoRoom));
    if (!info) return;
    info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    if (!GetDIBits(dc, bitmap, 0, 1, nullptr, info, DIB_RGB_COLORS)) {
        textFree(info);
        return;
    }
    BITMAPINFOHEADER& header = info->bmiHeader;
    DWORD entries = header.biBitCount <= 8 ? 1u << header.biBitCount : 0;
    // A bit-field bitmap's three masks follow the header; a BMP reader needs
    // them in the file, before the pixels.
    if (header.biCompression == BI_BITFIELDS) entries = 3;
    const DWORD infoSize = static_cast<DWORD>(sizeof(BITMAPINFOHEADER) + entries * sizeof(RGBQUAD));
    const DWORD imageSize = imageSizeOf(header);
    header.biSizeImage = imageSize;
    BYTE* pixels = static_cast<BYTE*>(textAlloc(imageSize ? imageSize : 1));
    if (!pixels) {
        textFree(info);
        return;
    }
    BITMAPFILEHEADER fileHeader = {};
    fileHeader.bfType = 0x4D42;  // "BM"
    fileHeader.bfSize = static_cast<DWORD>(sizeof fileHeader) + infoSize + imageSize;
    fileHeader.bfOffBits = static_cast<DWORD>(sizeof fileHeader) + infoSize;

    LONG lines = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    if (!GetDIBits(dc, bitmap, 0, lines, pixels, info, DIB_RGB_COLORS)) reportError(owner, kPixelsFailed);

    HANDLE file = CreateFileA(bmpPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        resMessageBox(owner, IDS_WALLPAPER_WRITE_FAILED, kCaptionError, MB_OK | MB_ICONERROR);
    } else {
        writePart(owner, file, &fileHeader, sizeof fileHeader, IDS_WALLPAPER_FILEHEADER_FAILED);
        writePart(owner, file, info, infoSize, IDS_WALLPAPER_INFOHEADER_FAILED);
        writePart(owner, file, pixels, imageSize, IDS_WALLPAPER_IMAGE_FAILED);
        CloseHandle(file);
        SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(bmpPath),
                              SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);
    }
    textFree(pixels);
    textFree(info);
}

}  // namespace

int wallpaperFilePath(char* path) {
    path[0] = '\0';
    if (localAppData(path)) {
        pathAddBackslash(path, kPathSize);
        if (strAppendFit(path, kPathSize, "Microsoft\\") && strAppendFit(path, kPathSize, kBmpName)) return 1;
        return 0;
    }
    char folder[MAX_PATH + 1];
    DWORD got = GetTempPathA(sizeof folder, folder);
    if (got == 0 || got >= sizeof folder) {
        got = GetModuleFileNameA(nullptr, folder, sizeof folder);
        if (got == 0 || got >= sizeof folder) return 0;
        pathFileName(folder)[0] = '\0';
    }
    if (strCopyFit(path, kPathSize, folder) && strAppendFit(path, kPathSize, kBmpName)) return 1;
    path[0] = '\0';
    return 0;
}

int wallpaperSet(const char* path, int32_t style, HWND owner) {
    recordStyle(path, style, owner);
    if (!path) {
        SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(""),
                              SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);
        return 1;
    }
    char bmpPath[kPathSize];
    if (!wallpaperFilePath(bmpPath)) {
        resMessageBox(owner, IDS_WALLPAPER_WRITE_FAILED, kCaptionError, MB_OK | MB_ICONERROR);
        return 1;
    }
    HBITMAP bitmap = spiDecode(path, owner);
    if (!bitmap) return 1;
    HDC dc = GetDC(owner);
    writeAndSet(owner, dc, bitmap, bmpPath);
    DeleteObject(bitmap);
    ReleaseDC(owner, dc);
    return 1;
}
