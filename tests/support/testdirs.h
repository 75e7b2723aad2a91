// Folders the Windows tests work in: the build tree's plug-ins and pictures,
// found beside the test executable, and fresh temporary folders.
#pragma once

#include <stdint.h>

#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <vector>

// "<build>\<name>", where the test executables sit in "<build>\tests".
std::string buildPath(const char* name);
// The same with a trailing backslash.
std::string buildFolder(const char* name);
// What ships, by name: from the unpacked release folder TRAWLIX_RELEASE
// names when it is set (the package test), else buildPath(name).
std::string shippedPath(const char* name);

// A new empty folder under the temporary folder, removed with everything in
// it when the record ends.
struct TempFolder {
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    std::string path;  // no trailing backslash
};

// Writes bytes to path; true on success.
bool writeFile(const std::string& path, const std::vector<unsigned char>& bytes);
bool writeFile(const std::string& path, const std::string& text);
// The file's bytes, or "<missing>" when it cannot be opened.
std::string readFile(const std::string& path);

// A BMP file giving width x height (24-bit): its 54 bytes of headers, which
// are all a size reader needs, or with pixels (black) a file a plug-in decodes.
std::vector<unsigned char> bmpFile(uint32_t width, uint32_t height, bool withPixels = false);

// The WebP, AVIF, HEIC and JPEG XL pictures the build made with Debian's
// encoders, in buildFolder("testpictures") + "modern", with the size a
// viewer shows each one at and the colours of its quadrants as shown (top
// left, top right, bottom left, bottom right: R, G, B or W) (modern\sizes.txt).
// Empty when that is missing.
struct ModernPicture {
    std::string name;
    uint32_t width;
    uint32_t height;
    std::string corners;
};
std::vector<ModernPicture> modernPictures();

// Every file directly in folder, by name, with its bytes.
std::map<std::string, std::string> folderFiles(const std::string& folder);

// Copies each named plug-in ("twinred" from the test plug-ins, "wic" from the
// shipped ones) into a fresh folder of its own, kept in folders, and loads
// them one by one, so spiList holds them in this order. False when one did
// not load.
bool loadTestPlugins(std::vector<std::unique_ptr<TempFolder>>& folders, std::initializer_list<const char*> names);
