#include "support/testdirs.h"

#include <windows.h>
#include <shellapi.h>

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

TempFolder::TempFolder() {
    static int serial = 0;
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    path = std::string(temp) + "trawlix-test-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(++serial);
    CreateDirectoryA(path.c_str(), nullptr);
}

TempFolder::~TempFolder() {
    std::string from = path + '\0';
    SHFILEOPSTRUCTA op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationA(&op);
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
