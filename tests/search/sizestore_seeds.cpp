// Writes the seed stores of the size store's fuzz target into a folder: a
// store with no folder, with one, with two and with three, each walk
// carrying the folders before over; each as written (first byte 0) and to
// be sealed by the harness (first byte 1).
#include <stdio.h>
#include <string.h>

#include <string>

#include "search/sizestore.h"

namespace {

bool writeTo(void* context, uint64_t offset, const void* bytes, size_t length) {
    std::string& out = *static_cast<std::string*>(context);
    if (out.size() < offset + length) out.resize(offset + length);
    memcpy(&out[offset], bytes, length);
    return true;
}

std::string walk(const std::string& old, const char* path, uint64_t now) {
    std::string out;
    SizeStore store;
    sizeStoreOpen(store, reinterpret_cast<const unsigned char*>(old.data()), old.size(), SizeSink{writeTo, &out}, now,
                  1000);
    if (path) {
        SizeDir dir;
        sizeDirOpen(store, dir, path);
        sizeDirRemember(dir, "b.jpg", 54, 1, kSizeReaderFast, SizeFacts{640, 480, 1, 0xFF, 0});
        sizeDirRemember(dir, "a.png", 20, 1, 77, SizeFacts{800, 600, 1, 1, 2});
        sizeDirRemember(dir, "x", 5, 1, kSizeReaderFast, SizeFacts{0, 0, 0, 0xFF, 0});
        sizeDirClose(store, dir, true);
    }
    sizeStoreFinish(store);
    return out;
}

// A store of hundreds of folders of many long names: carried over whole by
// the harness's walk, more than its output buffer holds.
std::string many(uint64_t now) {
    std::string out;
    SizeStore store;
    sizeStoreOpen(store, nullptr, 0, SizeSink{writeTo, &out}, now, 100000);
    for (int folder = 0; folder < 300; ++folder) {
        SizeDir dir;
        sizeDirOpen(store, dir, ("E:\\" + std::to_string(folder)).c_str());
        for (int i = 0; i < 70; ++i) {
            const std::string name = "picture-" + std::string(60, static_cast<char>('a' + i % 26)) + std::to_string(i);
            sizeDirRemember(dir, name.c_str(), 54, 1, kSizeReaderFast, SizeFacts{640, 480, 1, 0xFF, 0});
        }
        sizeDirClose(store, dir, true);
    }
    sizeStoreFinish(store);
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const uint64_t now = 200000ull * 10000000ull;
    const std::string empty = walk("", nullptr, now);
    const std::string one = walk("", "C:\\pics", now);
    const std::string two = walk(one, "C:\\pics\\sub", now + 1);
    // A folder the harness's walk does not enter, so its block is carried.
    const std::string three = walk(two, "D:\\kept", now + 2);
    const std::string large = many(now);
    const std::string* stores[] = {&empty, &one, &two, &three, &large};
    int n = 0;
    // As written, sealed, sealed with a large walk, and with the new
    // store's writing failing in its header, its blocks and its table.
    const unsigned char flags[] = {0, 1, 3, 1 | 1 << 2, 1 | 2 << 2, 1 | 5 << 2, 1 | 40 << 2, 3 | 40 << 2};
    for (const std::string* store : stores) {
        for (unsigned char flag : flags) {
            std::string path = std::string(argv[1]) + "/store" + std::to_string(n++) + ".seed";
            FILE* f = fopen(path.c_str(), "wb");
            if (!f) return 1;
            fwrite(&flag, 1, 1, f);
            fwrite(store->data(), 1, store->size(), f);
            fclose(f);
        }
    }
    return 0;
}
