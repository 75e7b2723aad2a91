// A general-purpose Susie import filter on the Windows Imaging Component:
// PNG, JPEG, GIF, BMP, TIFF and ICO, chosen by the file's signature; WebP,
// AVIF, HEIC/HEIF and JPEG XL sized from their headers and decoded by the
// libraries linked in (canvas.h), which the system may not have. Callable
// from any thread:
// it brings up COM for the call where the thread has none and leaves the
// thread's COM state as it found it.
#include <windows.h>
#include <wincodec.h>

#include <string.h>

#include "headers.h"
#include "canvas.h"
#include "spi/susie.h"

namespace {

const char* const kPluginInfo[] = {
    "00IN",
    "Trawlix WIC decoder 1.1 (Windows Imaging Component, libwebp, libheif, libjxl)",
    "*.png", "PNG",
    "*.jpg;*.jpeg;*.jpe;*.jfif", "JPEG",
    "*.gif", "GIF",
    "*.bmp;*.dib", "BMP",
    "*.tif;*.tiff", "TIFF",
    "*.ico", "Icon",
    "*.webp", "WebP",
    "*.avif", "AVIF",
    "*.heic;*.heif", "HEIF",
    "*.jxl", "JPEG XL",
};
constexpr int kPluginInfoCount = sizeof kPluginInfo / sizeof kPluginInfo[0];

// Bytes of one output pixel (24-bit BGR) and rows converted per WIC call.
constexpr UINT kOutputBytes = 3;
constexpr UINT kRowsPerBatch = 64;
// Largest picture decoded: what a 32-bit process can hold twice over.
constexpr UINT64 kMaxOutputBytes = 512u * 1024 * 1024;

bool startsWith(const unsigned char* head, const char* signature, size_t length) {
    return memcmp(head, signature, length) == 0;
}

// h holds the file's first kSusieHeaderSize bytes.
bool signatureKnown(const unsigned char* h) {
    if (containerFormatOfHead(h, kSusieHeaderSize) != ContainerFormat::None) return true;
    if (startsWith(h, "\x89PNG\r\n\x1a\n", 8)) return true;
    if (h[0] == 0xFF && h[1] == 0xD8 && h[2] == 0xFF) return true;
    if (startsWith(h, "GIF87a", 6) || startsWith(h, "GIF89a", 6)) return true;
    if (startsWith(h, "BM", 2) && h[14] >= 12) return true;  // plus a sane info-header size
    if (startsWith(h, "II*\0", 4) || startsWith(h, "MM\0*", 4)) return true;
    // Icon directory: reserved 0, type 1, at least one entry with reserved byte 0.
    return h[0] == 0 && h[1] == 0 && h[2] == 1 && h[3] == 0 && (h[4] | h[5]) != 0 && h[9] == 0;
}

// COM for the length of one call, unless the thread already has it.
struct ComScope {
    bool owned;
    bool usable;
    ComScope() {
        HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        owned = SUCCEEDED(hr);
        usable = owned || hr == RPC_E_CHANGED_MODE;
    }
    ~ComScope() {
        if (owned) CoUninitialize();
    }
};

template <typename T>
void release(T*& object) {
    if (object) object->Release();
    object = nullptr;
}

// What one call holds of WIC, released in reverse order.
struct Decoding {
    IWICImagingFactory* factory = nullptr;
    IWICStream* file = nullptr;
    IWICStream* stream = nullptr;
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    ~Decoding() {
        release(frame);
        release(decoder);
        release(stream);
        release(file);
        release(factory);
    }
};

// Opens the first frame of the picture: a file read from an offset, or a
// memory block of the given length. Returns a Susie result.
int openFrame(LPCSTR source, LONG_PTR offsetOrLength, UINT flag, Decoding& d) {
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, reinterpret_cast<void**>(&d.factory))))
        return kSusieInternalError;
    if (FAILED(d.factory->CreateStream(&d.stream))) return kSusieNoMemory;

    if ((flag & kSusieInputMask) == kSusieInputMemory) {
        if (!source || offsetOrLength <= 0) return kSusieReadError;
        if (FAILED(d.stream->InitializeFromMemory(
                reinterpret_cast<BYTE*>(const_cast<char*>(source)), offsetOrLength)))
            return kSusieReadError;
    } else {
        WCHAR path[MAX_PATH * 2];
        if (!source || offsetOrLength < 0 ||
            !MultiByteToWideChar(CP_ACP, 0, source, -1, path, MAX_PATH * 2))
            return kSusieReadError;
        if (offsetOrLength == 0) {
            if (FAILED(d.stream->InitializeFromFilename(path, GENERIC_READ))) return kSusieReadError;
        } else {
            ULARGE_INTEGER offset, rest;
            offset.QuadPart = static_cast<ULONGLONG>(offsetOrLength);
            rest.QuadPart = ~0ull - offset.QuadPart;
            if (FAILED(d.factory->CreateStream(&d.file)) ||
                FAILED(d.file->InitializeFromFilename(path, GENERIC_READ)) ||
                FAILED(d.stream->InitializeFromIStreamRegion(d.file, offset, rest)))
                return kSusieReadError;
        }
    }
    if (FAILED(d.factory->CreateDecoderFromStream(d.stream, nullptr, WICDecodeMetadataCacheOnDemand,
                                                  &d.decoder)))
        return kSusieUnknownFormat;
    if (FAILED(d.decoder->GetFrame(0, &d.frame))) return kSusieCorrupt;
    return kSusieOk;
}

// Opens the first frame and reads its size; a Susie result.
int openSizedFrame(LPCSTR source, LONG_PTR offsetOrLength, UINT flag, Decoding& d, UINT& width, UINT& height) {
    int result = openFrame(source, offsetOrLength, flag, d);
    if (result != kSusieOk) return result;
    if (FAILED(d.frame->GetSize(&width, &height)) || width == 0 || height == 0) return kSusieCorrupt;
    return kSusieOk;
}

SHORT bitsPerPixel(Decoding& d) {
    WICPixelFormatGUID format;
    IWICComponentInfo* component = nullptr;
    IWICPixelFormatInfo* info = nullptr;
    UINT bits = 0;
    if (SUCCEEDED(d.frame->GetPixelFormat(&format)) &&
        SUCCEEDED(d.factory->CreateComponentInfo(format, &component)) &&
        SUCCEEDED(component->QueryInterface(IID_IWICPixelFormatInfo,
                                            reinterpret_cast<void**>(&info))))
        info->GetBitsPerPixel(&bits);
    release(info);
    release(component);
    return static_cast<SHORT>(bits);
}

// Blends one row of four-byte pixels (alpha last; red at index red, blue at
// 2 - red) over white into BGR.
void blendRow(const BYTE* from, BYTE* to, UINT width, int red = 2) {
    const int blue = 2 - red;
    for (UINT x = 0; x < width; ++x, from += 4, to += kOutputBytes) {
        const UINT alpha = from[3], white = 255 * (255 - alpha);
        to[0] = static_cast<BYTE>((from[blue] * alpha + white) / 255);
        to[1] = static_cast<BYTE>((from[1] * alpha + white) / 255);
        to[2] = static_cast<BYTE>((from[red] * alpha + white) / 255);
    }
}

// One row of a decoded canvas into BGR: alpha blended over white, red and
// blue swapped where red comes first.
void canvasRow(const Canvas& canvas, const BYTE* from, BYTE* to) {
    const int red = canvas.redFirst ? 0 : 2, blue = 2 - red;
    if (canvas.channels == 4) {
        blendRow(from, to, canvas.width, red);
        return;
    }
    for (UINT x = 0; x < canvas.width; ++x, from += 3, to += kOutputBytes) {
        to[0] = from[blue];
        to[1] = from[1];
        to[2] = from[red];
    }
}

// Converts the frame into bottom-up 24-bit rows in bits, reporting progress.
int convertPixels(Decoding& d, UINT width, UINT height, BYTE* bits, UINT stride,
                  SusieProgress progress, LONG_PTR data) {
    IWICFormatConverter* converter = nullptr;
    BYTE* batch = nullptr;
    int result = kSusieInternalError;
    const UINT batchStride = width * 4;
    if (SUCCEEDED(d.factory->CreateFormatConverter(&converter)) &&
        SUCCEEDED(converter->Initialize(d.frame, GUID_WICPixelFormat32bppBGRA,
                                        WICBitmapDitherTypeNone, nullptr, 0,
                                        WICBitmapPaletteTypeCustom)) &&
        (batch = static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), 0, batchStride * kRowsPerBatch)))) {
        result = kSusieOk;
        for (UINT top = 0; top < height && result == kSusieOk; top += kRowsPerBatch) {
            if (progress && progress(static_cast<int>(top), static_cast<int>(height), data)) {
                result = kSusieCanceled;
                break;
            }
            UINT rows = height - top < kRowsPerBatch ? height - top : kRowsPerBatch;
            WICRect rect = {0, static_cast<INT>(top), static_cast<INT>(width), static_cast<INT>(rows)};
            if (FAILED(converter->CopyPixels(&rect, batchStride, batchStride * rows, batch))) {
                result = kSusieCorrupt;
                break;
            }
            for (UINT r = 0; r < rows; ++r) {
                blendRow(batch + r * batchStride, bits + (height - 1 - top - r) * stride, width);
            }
        }
        if (result == kSusieOk && progress) progress(static_cast<int>(height), static_cast<int>(height), data);
    }
    if (batch) HeapFree(GetProcessHeap(), 0, batch);
    release(converter);
    return result;
}

// The picture GetPicture hands over: a BITMAPINFO and bottom-up 24-bit rows.
struct OutputPicture {
    HLOCAL infoHandle = nullptr;
    HLOCAL bitsHandle = nullptr;
    BITMAPINFO* info = nullptr;
    BYTE* bits = nullptr;
    UINT stride = 0;
};

// Takes the memory of a width x height picture and fills in its header; a
// Susie result. finishOutput ends it either way.
int startOutput(UINT width, UINT height, OutputPicture& out) {
    const UINT64 stride64 = (static_cast<UINT64>(width) * kOutputBytes + 3) & ~3ull;
    if (stride64 * height > kMaxOutputBytes || static_cast<UINT64>(width) * 4 * kRowsPerBatch > kMaxOutputBytes)
        return kSusieNoMemory;
    out.stride = static_cast<UINT>(stride64);
    out.infoHandle = LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, sizeof(BITMAPINFO));
    out.bitsHandle = LocalAlloc(LMEM_MOVEABLE, static_cast<SIZE_T>(out.stride) * height);
    out.info = out.infoHandle ? static_cast<BITMAPINFO*>(LocalLock(out.infoHandle)) : nullptr;
    out.bits = out.bitsHandle ? static_cast<BYTE*>(LocalLock(out.bitsHandle)) : nullptr;
    if (!out.info || !out.bits) return kSusieNoMemory;
    BITMAPINFOHEADER& h = out.info->bmiHeader;
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = static_cast<LONG>(width);
    h.biHeight = static_cast<LONG>(height);
    h.biPlanes = 1;
    h.biBitCount = 24;
    h.biCompression = BI_RGB;
    h.biSizeImage = out.stride * height;
    // The padding bytes of each row are zeroed so the output is the same every time.
    for (UINT y = 0; y < height; ++y)
        memset(out.bits + y * out.stride + width * kOutputBytes, 0, out.stride - width * kOutputBytes);
    return kSusieOk;
}

// Hands the picture to the caller when result is kSusieOk, else frees it;
// returns result.
int finishOutput(OutputPicture& out, int result, HLOCAL* infoOut, HLOCAL* bitsOut) {
    if (out.bits) LocalUnlock(out.bitsHandle);
    if (out.info) LocalUnlock(out.infoHandle);
    if (result != kSusieOk) {
        if (out.bitsHandle) LocalFree(out.bitsHandle);
        if (out.infoHandle) LocalFree(out.infoHandle);
        return result;
    }
    *infoOut = out.infoHandle;
    *bitsOut = out.bitsHandle;
    return kSusieOk;
}

int decodePicture(LPCSTR source, LONG_PTR offsetOrLength, UINT flag, HLOCAL* infoOut, HLOCAL* bitsOut,
                  SusieProgress progress, LONG_PTR data) {
    ComScope com;
    if (!com.usable) return kSusieInternalError;
    Decoding d;
    UINT width = 0, height = 0;
    int result = openSizedFrame(source, offsetOrLength, flag, d, width, height);
    if (result != kSusieOk) return result;
    OutputPicture out;
    result = startOutput(width, height, out);
    if (result == kSusieOk) result = convertPixels(d, width, height, out.bits, out.stride, progress, data);
    return finishOutput(out, result, infoOut, bitsOut);
}

// The head IsSupported was last shown on this thread, and the full path of
// its file. A host asks IsSupported and then GetPictureInfo about the same
// file: the header is then read from here instead of opening the file again,
// which costs a search as much as its own open did.
struct RememberedHead {
    bool valid;
    char path[MAX_PATH];
    unsigned char bytes[kSusieHeaderSize];
};
thread_local RememberedHead rememberedHead;

void rememberHead(LPCSTR fileName, const unsigned char* head) {
    RememberedHead& r = rememberedHead;
    DWORD got = fileName ? GetFullPathNameA(fileName, MAX_PATH, r.path, nullptr) : 0;
    r.valid = got > 0 && got < MAX_PATH;
    if (r.valid) memcpy(r.bytes, head, kSusieHeaderSize);
}

// The remembered head of fileName, used once; none when it is another file's.
const unsigned char* takeHead(LPCSTR fileName) {
    RememberedHead& r = rememberedHead;
    if (!r.valid) return nullptr;
    r.valid = false;
    char path[MAX_PATH];
    DWORD got = GetFullPathNameA(fileName, MAX_PATH, path, nullptr);
    return got > 0 && got < MAX_PATH && strcmp(path, r.path) == 0 ? r.bytes : nullptr;
}

// The picture behind GetPictureInfo's arguments as a HeaderSource: a file
// read from an offset, or a memory block.
struct SourceBytes {
    HANDLE file = INVALID_HANDLE_VALUE;
    uint64_t base = 0;
    const unsigned char* memory = nullptr;
    uint64_t length = 0;
    ~SourceBytes() {
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    }
};

uint32_t readSource(void* context, uint64_t position, void* buffer, uint32_t count) {
    SourceBytes* s = static_cast<SourceBytes*>(context);
    if (s->memory) {
        if (position >= s->length) return 0;
        uint64_t left = s->length - position;
        uint32_t n = left < count ? static_cast<uint32_t>(left) : count;
        memcpy(buffer, s->memory + position, n);
        return n;
    }
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(s->base + position);
    DWORD got = 0;
    if (!SetFilePointerEx(s->file, at, nullptr, FILE_BEGIN) ||
        !ReadFile(s->file, buffer, count, &got, nullptr))
        return 0;
    return got;
}

// The size from a remembered head of the file, of which only the bytes the
// file holds are read (a short file's head is padded): a header that goes
// on past the head reads as cut, and the file is asked instead. Asking the
// file's length costs no handle.
bool factsFromHead(LPCSTR fileName, const unsigned char* head, HeaderFacts& facts) {
    WIN32_FILE_ATTRIBUTE_DATA file;
    if (!GetFileAttributesExA(fileName, GetFileExInfoStandard, &file)) return false;
    const uint64_t size = static_cast<uint64_t>(file.nFileSizeHigh) << 32 | file.nFileSizeLow;
    SourceBytes bytes;
    bytes.memory = head;
    bytes.length = size < kSusieHeaderSize ? size : kSusieHeaderSize;
    return headerFacts(HeaderSource{&bytes, readSource}, facts);
}

// The picture behind the arguments of GetPictureInfo and GetPicture, with
// the head IsSupported left for a file read from its start.
bool openSource(LPCSTR source, LONG_PTR offsetOrLength, UINT flag, SourceBytes& bytes) {
    if (!source) return false;
    if ((flag & kSusieInputMask) == kSusieInputMemory) {
        if (offsetOrLength <= 0) return false;
        bytes.memory = reinterpret_cast<const unsigned char*>(source);
        bytes.length = static_cast<uint64_t>(offsetOrLength);
        return true;
    }
    if (offsetOrLength < 0) return false;
    bytes.file = CreateFileA(source, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    bytes.base = static_cast<uint64_t>(offsetOrLength);
    return bytes.file != INVALID_HANDLE_VALUE;
}

// The header facts behind GetPictureInfo's arguments.
bool readFacts(LPCSTR source, LONG_PTR offsetOrLength, UINT flag, HeaderFacts& facts) {
    if (source && (flag & kSusieInputMask) == kSusieInputFile && offsetOrLength == 0) {
        const unsigned char* head = takeHead(source);
        if (head && factsFromHead(source, head, facts)) return true;
    }
    SourceBytes bytes;
    return openSource(source, offsetOrLength, flag, bytes) && headerFacts(HeaderSource{&bytes, readSource}, facts);
}

// Largest file read whole for a library's decoder: twice what a lossless one
// of the largest picture decoded could take.
constexpr uint64_t kMaxWholeFileBytes = kMaxOutputBytes / 2;

// A picture read whole into memory of its own (freed with it), or the
// caller's block.
struct WholePicture {
    const unsigned char* bytes = nullptr;
    size_t length = 0;
    unsigned char* owned = nullptr;
    ~WholePicture() {
        if (owned) HeapFree(GetProcessHeap(), 0, owned);
    }
};

int readWhole(SourceBytes& source, WholePicture& whole) {
    if (source.memory) {
        whole.bytes = source.memory;
        whole.length = static_cast<size_t>(source.length);
        return kSusieOk;
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(source.file, &size) || static_cast<uint64_t>(size.QuadPart) <= source.base)
        return kSusieReadError;
    const uint64_t length = static_cast<uint64_t>(size.QuadPart) - source.base;
    if (length > kMaxWholeFileBytes) return kSusieNoMemory;
    whole.owned = static_cast<unsigned char*>(HeapAlloc(GetProcessHeap(), 0, static_cast<SIZE_T>(length)));
    if (!whole.owned) return kSusieNoMemory;
    if (readSource(&source, 0, whole.owned, static_cast<uint32_t>(length)) != length) return kSusieReadError;
    whole.bytes = whole.owned;
    whole.length = static_cast<size_t>(length);
    return kSusieOk;
}

using CanvasOpener = bool (*)(const unsigned char*, size_t, uint64_t, Canvas&);

// Decodes the picture with a library's decoder into the same output as
// every other format. A picture the decoder refuses is of no format this
// plug-in knows, as far as the caller need care.
int decodeCanvas(SourceBytes& source, CanvasOpener open, HLOCAL* infoOut, HLOCAL* bitsOut, SusieProgress progress,
                 LONG_PTR data) {
    WholePicture whole;
    int result = readWhole(source, whole);
    if (result != kSusieOk) return result;
    Canvas canvas;
    if (!open(whole.bytes, whole.length, kMaxOutputBytes, canvas)) return kSusieUnknownFormat;
    OutputPicture out;
    const UINT height = canvas.height;
    result = startOutput(canvas.width, height, out);
    for (UINT y = 0; y < height && result == kSusieOk; ++y) {
        if (progress && y % kRowsPerBatch == 0 && progress(static_cast<int>(y), static_cast<int>(height), data)) {
            result = kSusieCanceled;
            break;
        }
        canvasRow(canvas, canvas.pixels + canvas.stride * y, out.bits + (height - 1 - y) * out.stride);
    }
    if (result == kSusieOk && progress) progress(static_cast<int>(height), static_cast<int>(height), data);
    canvasClose(canvas);
    return finishOutput(out, result, infoOut, bitsOut);
}

// The linked-in decoder of a container format.
CanvasOpener openerOf(ContainerFormat format) {
    switch (format) {
    case ContainerFormat::WebP:
        return webpOpen;
    case ContainerFormat::Heif:
        return heifOpen;
    case ContainerFormat::JpegXl:
        return jxlOpen;
    default:
        return nullptr;
    }
}

// The container formats go to the libraries; everything else to the
// system's codecs. The libraries are C++: what they throw (memory running
// out, say) ends here, not in the caller.
int decodeAny(LPCSTR source, LONG_PTR offsetOrLength, UINT flag, HLOCAL* infoOut, HLOCAL* bitsOut,
              SusieProgress progress, LONG_PTR data) {
    try {
        SourceBytes bytes;
        unsigned char head[16] = {};
        if (openSource(source, offsetOrLength, flag, bytes)) {
            if (CanvasOpener open = openerOf(containerFormatOfHead(head, readSource(&bytes, 0, head, sizeof head))))
                return decodeCanvas(bytes, open, infoOut, bitsOut, progress, data);
        }
    } catch (...) {
        return kSusieNoMemory;
    }
    return decodePicture(source, offsetOrLength, flag, infoOut, bitsOut, progress, data);
}

// Size and depth from the header of the formats whose codecs would decode
// every pixel just to open the picture. False leaves the question to WIC.
bool factsFromHeader(LPCSTR source, LONG_PTR offsetOrLength, UINT flag, SusiePictureInfo* info) {
    HeaderFacts facts;
    if (!readFacts(source, offsetOrLength, flag, facts) || facts.width > 0x7FFFFFFF ||
        facts.height > 0x7FFFFFFF)
        return false;
    info->left = 0;
    info->top = 0;
    info->width = static_cast<LONG>(facts.width);
    info->height = static_cast<LONG>(facts.height);
    info->xDensity = 0;
    info->yDensity = 0;
    info->colorDepth = static_cast<SHORT>(facts.depth);
    info->hInfo = nullptr;
    return true;
}

}  // namespace

extern "C" {

__declspec(dllexport) int WINAPI GetPluginInfo(int infoNumber, LPSTR buffer, int bufferLength) {
    if (infoNumber < 0 || infoNumber >= kPluginInfoCount || !buffer || bufferLength <= 0) return 0;
    lstrcpynA(buffer, kPluginInfo[infoNumber], bufferLength);
    return lstrlenA(buffer);
}

// source is the address of the file's first 2048 bytes, or (high word 0) an
// open file handle to read them from.
__declspec(dllexport) int WINAPI IsSupported(LPCSTR fileName, DWORD_PTR source) {
    if ((source & ~static_cast<DWORD_PTR>(0xFFFF)) == 0) {
        unsigned char read[kSusieHeaderSize] = {};
        DWORD got = 0;
        if (!ReadFile(reinterpret_cast<HANDLE>(source), read, sizeof read, &got, nullptr)) return 0;
        return signatureKnown(read) ? 1 : 0;
    }
    const unsigned char* head = reinterpret_cast<const unsigned char*>(source);
    if (!signatureKnown(head)) return 0;
    rememberHead(fileName, head);
    return 1;
}

// Reads the size and depth from the picture's header; no pixel is decoded.
__declspec(dllexport) int WINAPI GetPictureInfo(LPCSTR source, LONG_PTR offsetOrLength, UINT flag,
                                                SusiePictureInfo* info) {
    if (!info) return kSusieInternalError;
    if (factsFromHeader(source, offsetOrLength, flag, info)) return kSusieOk;
    ComScope com;
    if (!com.usable) return kSusieInternalError;
    Decoding d;
    UINT width = 0, height = 0;
    int result = openSizedFrame(source, offsetOrLength, flag, d, width, height);
    if (result != kSusieOk) return result;
    double dpiX = 0, dpiY = 0;
    d.frame->GetResolution(&dpiX, &dpiY);
    info->left = 0;
    info->top = 0;
    info->width = static_cast<LONG>(width);
    info->height = static_cast<LONG>(height);
    info->xDensity = static_cast<WORD>(dpiX + 0.5);
    info->yDensity = static_cast<WORD>(dpiY + 0.5);
    info->colorDepth = bitsPerPixel(d);
    info->hInfo = nullptr;
    return kSusieOk;
}

__declspec(dllexport) int WINAPI GetPicture(LPCSTR source, LONG_PTR offsetOrLength, UINT flag,
                                            HLOCAL* bitmapInfo, HLOCAL* bits,
                                            SusieProgress progress, LONG_PTR data) {
    if (!bitmapInfo || !bits) return kSusieInternalError;
    *bitmapInfo = nullptr;
    *bits = nullptr;
    return decodeAny(source, offsetOrLength, flag, bitmapInfo, bits, progress, data);
}

__declspec(dllexport) int WINAPI ConfigurationDlg(HWND parent, int function) {
    if (function != 0) return kSusieNoDialog;
    MessageBoxA(parent, kPluginInfo[1], "About", MB_OK | MB_ICONINFORMATION);
    return 0;
}

}  // extern "C"
