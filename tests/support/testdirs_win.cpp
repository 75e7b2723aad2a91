#include "support/testdirs.h"

#include <windows.h>

#include <stdio.h>

#include "app/arch.h"
#include "spi/plugins.h"

std::string buildPath(const char* name) {
    char exe[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, exe, sizeof exe);
    std::string path(exe, length);
    path.erase(path.find_last_of('\\'));   // the tests folder
    path.erase(path.find_last_of('\\') + 1);  // the build tree
    return path + name;
}

std::string buildFolder(const char* name) {
    return buildPath(name) + "\\";
}

std::string shippedPath(const char* name) {
    char release[MAX_PATH];
    const DWORD got = GetEnvironmentVariableA("TRAWLIX_RELEASE", release, sizeof release);
    return got > 0 && got < sizeof release ? std::string(release) + "\\" + name : buildPath(name);
}

TempFolder::TempFolder() {
    static int serial = 0;
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    // Wine reuses process ids, and a run that was killed leaves its folders:
    // a name that exists already is never taken over, with what it holds.
    do {
        path = std::string(temp) + "trawlix-test-" + std::to_string(GetCurrentProcessId()) + "-" +
               std::to_string(++serial);
    } while (!CreateDirectoryA(path.c_str(), nullptr) && GetLastError() == ERROR_ALREADY_EXISTS);
}

namespace {

// Removes a tree through the long-path prefix, so that names past 260
// characters go too. The shell's delete is not used: given such a tree it
// has been seen to fall back on the current directory and empty that.
void removeTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring path = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeTree(path);
            } else {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(find, &found));
        FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
}

}  // namespace

TempFolder::~TempFolder() {
    // The temporary folder's path is plain ASCII here, so widening it byte
    // by byte is exact.
    std::wstring wide = L"\\\\?\\";
    for (char ch : path) wide += static_cast<wchar_t>(static_cast<unsigned char>(ch));
    removeTree(wide);
}

bool writeFile(const std::string& path, const std::vector<unsigned char>& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

bool writeFile(const std::string& path, const std::string& text) {
    return writeFile(path, std::vector<unsigned char>(text.begin(), text.end()));
}

std::string readFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD got = 0;
    ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(file);
    bytes.resize(got);
    return bytes;
}

std::map<std::string, std::string> folderFiles(const std::string& folder) {
    std::map<std::string, std::string> files;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return files;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            files[found.cFileName] = readFile(folder + "\\" + found.cFileName);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return files;
}

std::vector<ModernPicture> modernPictures() {
    std::vector<ModernPicture> pictures;
    const std::string sizes = readFile(buildFolder("testpictures") + "modern\\sizes.txt");
    char name[64], corners[8];
    unsigned width = 0, height = 0;
    int used = 0;
    for (const char* line = sizes.c_str();
         sscanf(line, "%63s %u %u %7s%n", name, &width, &height, corners, &used) == 4; line += used)
        pictures.push_back(ModernPicture{name, width, height, corners});
    return pictures;
}

bool loadTestPlugins(std::vector<std::unique_ptr<TempFolder>>& folders, std::initializer_list<const char*> names) {
    for (const char* name : names) {
        folders.emplace_back(new TempFolder);
        std::string file = std::string(name) + TRAWLIX_PLUGIN_EXTENSION;
        std::string from = buildFolder(std::string(name) == "wic" ? "plugins" : "testplugins") + file;
        if (!CopyFileA(from.c_str(), (folders.back()->path + "\\" + file).c_str(), FALSE)) return false;
        if (!spiLoadAll(folders.back()->path.c_str())) return false;
    }
    return true;
}

std::vector<unsigned char> bmpFile(uint32_t width, uint32_t height, bool withPixels) {
    const uint32_t imageSize = withPixels ? (width * 3 + 3) / 4 * 4 * height : 0;
    std::vector<unsigned char> bytes(54 + imageSize, 0);
    auto put = [&](size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put(2, 54 + imageSize);
    put(10, 54);
    put(14, 40);
    put(18, width);
    put(22, height);
    bytes[26] = 1;   // planes
    bytes[28] = 24;  // bits per pixel
    return bytes;
}
