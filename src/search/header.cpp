#include "search/header.h"

#include <string.h>

#include "app/charstep.h"
#include "app/text.h"

#ifdef _WIN32
#include "app/resstring.h"
#endif

namespace {

enum class HeaderFormat { None, Bmp, Gif, Png, Jpeg, Container };

// At most the first 4 characters after the last ".", lower-cased, must name
// one of the formats exactly: photo.jpegx reads as JPEG, photo.jpe as nothing.
// container says which of the formats in chunks or boxes it is.
HeaderFormat formatOfName(const char* name, ContainerFormat& container) {
    const char* dot = strLastChar(name, '.');
    if (!dot) return HeaderFormat::None;
    char extension[16];  // 4 characters; a longer text cannot name a format
    size_t used = 0;
    const char* p = dot + 1;
    for (int taken = 0; taken < 4 && *p; ++taken) {
        const char* next = charNext(p);
        size_t width = static_cast<size_t>(next - p);
        // Only a code page with characters over 3 bytes could fill it.
        if (used + width >= sizeof extension) return HeaderFormat::None;  // fuzz: unreachable on the host
        memcpy(extension + used, p, width);
        used += width;
        p = next;
    }
    extension[used] = '\0';
    strLowerAscii(extension);
    if (strcmp(extension, "bmp") == 0) return HeaderFormat::Bmp;
    if (strcmp(extension, "gif") == 0) return HeaderFormat::Gif;
    if (strcmp(extension, "png") == 0) return HeaderFormat::Png;
    if (strcmp(extension, "jpg") == 0 || strcmp(extension, "jpeg") == 0) return HeaderFormat::Jpeg;
    container = containerFormatOfExtension(extension);
    return container == ContainerFormat::None ? HeaderFormat::None : HeaderFormat::Container;
}

uint32_t littleEndian32(const unsigned char* b) {
    return b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24;
}

uint32_t littleEndian16(const unsigned char* b) {
    return b[0] | b[1] << 8;
}

uint32_t bigEndian32(const unsigned char* b) {
    return static_cast<uint32_t>(b[0]) << 24 | b[1] << 16 | b[2] << 8 | b[3];
}

uint32_t bigEndian16(const unsigned char* b) {
    return b[0] << 8 | b[1];
}

// Every read lands at the start of the probe's buffer. A short read leaves
// the rest as it was, so bytes past the end of a file read as zeros only
// when nothing was read before.
void readAt(const ProbeFile& file, uint64_t position, unsigned char* buffer, uint32_t count) {
    if (file.seek(file.context, position)) file.read(file.context, buffer, count);
}

uint32_t readFromProbe(void* context, uint64_t position, void* buffer, uint32_t count) {
    const ProbeFile& file = *static_cast<const ProbeFile*>(context);
    return file.seek(file.context, position) ? file.read(file.context, buffer, count) : 0;
}

bool finish(PictureSize& size, uint32_t width, uint32_t height) {
    size.width = width;
    size.height = height;
    return width != 0 && height != 0;
}

int jpegWalk(const ProbeFile& file, HWND owner, unsigned char* buffer, PictureSize& size) {
    constexpr uint32_t kStepRead = 4;
    // Asked once: each question is a system call, and the file stays as it is.
    const uint32_t fileLength = file.length(file.context);
    uint64_t position = 2;
    for (;;) {
        if (position >= fileLength) return 0;
        uint64_t start = position;
        readAt(file, start, buffer, kStepRead);
        position = start + kStepRead;
        uint32_t code = bigEndian16(buffer);
        if (code == 0x0D0A) {
            position += 2;
            continue;
        }
        if (code == 0xFFD9) {
            probeShowNoFrame(owner);
            return 0;
        }
        if (code == 0xFFC0 || code == 0xFFC2) {
            readAt(file, position + 1, buffer, kStepRead);  // past the precision byte
            return finish(size, bigEndian16(buffer + 2), bigEndian16(buffer)) ? 1 : 0;
        }
        // The segment length counts its own two bytes; 0 and 1 step back, but
        // every step still moves at least 2 bytes on, so the walk ends.
        uint32_t length = bigEndian16(buffer + 2);
        position = position + length - 2;
    }
}

}  // namespace

ByteSource probeByteSource(const ProbeFile& file) {
    return ByteSource{const_cast<ProbeFile*>(&file), readFromProbe};
}

int probeJpegSize(const ProbeFile& file, HWND owner, PictureSize& size) {
    unsigned char buffer[kProbeBufferSize] = {};
    size = {0, 0};
    return jpegWalk(file, owner, buffer, size);
}

int probeHeaderSize(const ProbeFile& file, const char* name, HWND owner, PictureSize& size) {
    size = {0, 0};
    ContainerFormat container = ContainerFormat::None;
    HeaderFormat format = formatOfName(name, container);

    unsigned char buffer[kProbeBufferSize] = {};
    switch (format) {  // fuzz: unreachable (the default of a switch with every format)
    case HeaderFormat::Bmp:
        readAt(file, 18, buffer, 8);
        return finish(size, littleEndian32(buffer), littleEndian32(buffer + 4)) ? 1 : 0;
    case HeaderFormat::Gif:
        readAt(file, 6, buffer, 4);
        return finish(size, littleEndian16(buffer), littleEndian16(buffer + 2)) ? 1 : 0;
    case HeaderFormat::Png:
        readAt(file, 16, buffer, 8);
        return finish(size, bigEndian32(buffer), bigEndian32(buffer + 4)) ? 1 : 0;
    case HeaderFormat::Jpeg:
        return jpegWalk(file, owner, buffer, size);
    case HeaderFormat::Container: {
        ContainerFacts facts;
        if (!containerFacts(probeByteSource(file), container, facts)) return 0;
        size = {facts.width, facts.height};
        return 1;
    }
    case HeaderFormat::None:
        break;
    }
    return 0;
}

#ifdef _WIN32

namespace {

uint32_t handleLength(void* context) {
    return GetFileSize(*static_cast<HANDLE*>(context), nullptr);
}

bool handleSeek(void* context, uint64_t position) {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(position);
    return SetFilePointerEx(*static_cast<HANDLE*>(context), to, nullptr, FILE_BEGIN) != 0;
}

uint32_t handleRead(void* context, void* buffer, uint32_t count) {
    DWORD got = 0;
    if (!ReadFile(*static_cast<HANDLE*>(context), buffer, count, &got, nullptr)) return 0;
    return got;
}

}  // namespace

ProbeFile probeFileFromHandle(HANDLE* file) {
    return ProbeFile{file, handleLength, handleSeek, handleRead};
}

void probeShowNoFrame(HWND owner) {
    resMessageBox(owner, 3013, kCaptionError, MB_OK | MB_ICONERROR);
}

#endif
