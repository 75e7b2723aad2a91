// Takes the picture of docs/screenshot.png (scripts/screenshot.sh): the real
// trawlix.exe of this tree on its bundled plug-ins and samples, two
// conditions entered in the strip, a search, two rows checked and one
// previewed; then the screen is saved as <build>\screenshot.bmp. Not a test
// of the suite: it fails only when the program does not get that far.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "resource.h"
#include "support/program.h"
#include "support/testdirs.h"

namespace {

// The whole screen as a 24-bit bottom-up BMP file.
bool saveScreen(const std::string& path) {
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP shot = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, shot);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    const DWORD imageSize = ((width * 3 + 3) & ~3) * height;
    BITMAPFILEHEADER file = {0x4D42, DWORD(sizeof file + sizeof info.bmiHeader + imageSize), 0, 0,
                             DWORD(sizeof file + sizeof info.bmiHeader)};
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    bytes.append(static_cast<const char*>(bits), imageSize);
    DeleteObject(shot);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return writeFile(path, bytes);
}

TEST(Screenshot, ASearchOnTheSamplesWithAPreview) {
    Program program;
    program.write("SPIDir", buildPath("bundle\\plugins"));
    program.write("recentScandir0", buildPath("bundle\\samples"));
    program.write("recentScandirRecurse0", "-2147483648");
    program.start();
    HWND main = program.mainWindow();
    ASSERT_NE(main, nullptr);
    SetWindowPos(main, nullptr, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                 SWP_NOZORDER);
    program.addCondition("1920", "1080", 2);  // "<=": at least Full HD
    program.addCondition("1366", "768", 0);   // "==": exactly
    program.click(CMD_FIND);
    program.waitIdle();

    HWND list = program.resultList();
    ASSERT_NE(list, nullptr);
    ASSERT_GT(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 2);
    // Down to the second row, checking the first two on the way, as a person would.
    pressKey(list, VK_DOWN);
    pressKey(list, VK_SPACE);
    pressKey(list, VK_DOWN);
    pressKey(list, VK_SPACE);
    program.waitIdle();
    Sleep(2000);  // the preview decodes and paints
    EXPECT_TRUE(saveScreen(buildPath("screenshot.bmp")));
    program.close();
    EXPECT_EQ(program.exitCode(), 0u);
}

}  // namespace
