// libFuzzer target: the remembered sizes' store read from arbitrary bytes.
// The first byte's bit 0 makes the harness put the header's length and
// checksum right (so the fuzzer gets past them to the blocks and the
// table); bit 1 makes the walk large (hundreds of folders of many long
// names, past every buffer's first size); bits 2-7 pick where writing the
// new store fails (0: never). The rest is the store; one over 64 KiB is
// carried over whole (the entry limit is 12 for smaller ones). A walk then looks up
// and remembers files and finishes; its contract is checked: a store it
// wrote whole is sound, and gives back what was remembered.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "search/sizestore.h"

namespace {

uint64_t fnv(uint64_t hash, const unsigned char* bytes, size_t length) {
    for (size_t i = 0; i < length; ++i) hash = (hash ^ bytes[i]) * 0x100000001b3ull;
    return hash;
}

void put64(unsigned char* p, uint64_t v) {
    for (int i = 0; i < 8; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

// The header's length and checksum as the store writes them.
void seal(std::string& store) {
    if (store.size() < 48) return;
    unsigned char* p = reinterpret_cast<unsigned char*>(&store[0]);
    put64(p + 32, store.size());
    unsigned char body[8];
    put64(body, fnv(0xcbf29ce484222325ull, p + 48, store.size() - 48));
    put64(p + 40, fnv(fnv(0xcbf29ce484222325ull, p, 40), body, sizeof body));
}

struct Sink {
    std::string bytes;
    uint64_t failAt;  // the write that crosses this place fails; 0: none does
};

bool writeTo(void* context, uint64_t offset, const void* bytes, size_t length) {
    Sink& sink = *static_cast<Sink*>(context);
    if (offset < sink.failAt && offset + length > sink.failAt) return false;
    if (sink.bytes.size() < offset + length) sink.bytes.resize(offset + length);
    memcpy(&sink.bytes[offset], bytes, length);
    return true;
}

constexpr uint64_t kNow = 200000ull * 10000000ull;
const char* const kPaths[] = {"C:\\pics", "C:\\pics\\sub", "a", ""};
const char* const kNames[] = {"b.jpg", "a.png", "x"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::string old(reinterpret_cast<const char*>(data + 1), size - 1);
    if (data[0] & 1) seal(old);
    const uint64_t failAt = static_cast<uint64_t>(data[0] >> 2) * (data[0] >> 2) * 8;
    Sink sink = {std::string(), failAt};
    SizeStore store;
    sizeStoreOpen(store, old.empty() ? nullptr : reinterpret_cast<const unsigned char*>(old.data()), old.size(),
                  SizeSink{writeTo, &sink}, kNow, old.size() > 65536 ? 100000 : 12);
    const SizeFacts remembered = {640, 480, 1, 0xFF, 0};
    auto walkFolder = [&](const std::string& path, const std::string* names, size_t count, bool complete) {
        SizeDir dir;
        sizeDirOpen(store, dir, path.c_str());
        for (size_t i = 0; i < count; ++i) {
            // As the walk does: what was found is kept, what was not is read.
            SizeFacts facts = remembered;
            sizeDirFind(dir, names[i].c_str(), 54, 1, kSizeReaderFast, facts);
            sizeDirRemember(dir, names[i].c_str(), 54, 1, kSizeReaderFast, facts);
        }
        sizeDirClose(store, dir, complete);
    };
    const std::string small[] = {kNames[0], kNames[1], kNames[2]};
    for (const char* path : kPaths) walkFolder(path, small, 3, path[0] != 'a');
    if (data[0] & 2) {
        static std::string many[70];
        for (int i = 0; i < 70; ++i) many[i] = "picture-" + std::string(60, static_cast<char>('a' + i % 26)) + std::to_string(i);
        for (int folder = 0; folder < 300; ++folder) walkFolder("D:\\" + std::to_string(folder), many, 70, true);
    }
    if (!sizeStoreFinish(store)) return 0;
    // What was written whole is sound and gives back what was remembered.
    SizeStore again;
    sizeStoreOpen(again, reinterpret_cast<const unsigned char*>(sink.bytes.data()), sink.bytes.size(), SizeSink{},
                  kNow + 1, 3);
    if (!sizeStoreHasOld(again)) abort();
    SizeDir dir;
    sizeDirOpen(again, dir, "C:\\pics");
    SizeFacts facts;
    if (!sizeDirFind(dir, "b.jpg", 54, 1, kSizeReaderFast, facts)) abort();
    sizeDirClose(again, dir, false);
    sizeStoreAbandon(again);
    return 0;
}
