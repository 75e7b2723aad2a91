// The remembered sizes' store over bytes in memory: what it gives back and
// what it refuses, what a walk carries over or drops, and stores that are
// cut, flipped or foreign, which are never trusted.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "search/sizestore.h"

namespace {

constexpr uint64_t kNow = 100000ull * 10000000ull;  // the first walk's start
constexpr uint64_t kOld = kNow - 3600ull * 10000000ull;  // written an hour before it
constexpr uint64_t kReader = kSizeReaderFast;

bool writeTo(void* context, uint64_t offset, const void* bytes, size_t length) {
    std::string& out = *static_cast<std::string*>(context);
    if (out.size() < offset + length) out.resize(offset + length);
    memcpy(&out[offset], bytes, length);
    return true;
}

struct File {
    const char* name;
    uint64_t size, time;
    SizeFacts facts;
};
struct Directory {
    const char* path;
    std::vector<File> files;
    bool complete;
};

// A walk over old (none: the first) that enters directories in order and
// remembers their files; returns the new store.
std::string walk(const std::string& old, const std::vector<Directory>& directories, uint64_t now = kNow,
                 uint64_t limit = 1000) {
    std::string out;
    SizeStore store;
    sizeStoreOpen(store, reinterpret_cast<const unsigned char*>(old.data()), old.size(), SizeSink{writeTo, &out}, now,
                  limit);
    for (const Directory& d : directories) {
        SizeDir dir;
        sizeDirOpen(store, dir, d.path);
        for (const File& f : d.files) sizeDirRemember(dir, f.name, f.size, f.time, kReader, f.facts);
        sizeDirClose(store, dir, d.complete);
    }
    EXPECT_TRUE(sizeStoreFinish(store));
    return out;
}

// What store says of path\name (size, time, reader), "-" when nothing.
std::string find(const std::string& bytes, const char* path, const char* name, uint64_t size, uint64_t time,
                 uint64_t reader = kReader) {
    SizeStore store;
    sizeStoreOpen(store, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), SizeSink{}, kNow, 1000);
    SizeDir dir;
    sizeDirOpen(store, dir, path);
    SizeFacts f = {};
    const bool found = sizeDirFind(dir, name, size, time, reader, f);
    sizeDirClose(store, dir, false);
    sizeStoreAbandon(store);
    if (!found) return "-";
    return std::to_string(f.width) + "x" + std::to_string(f.height) + (f.known ? "" : "?") + " p" +
           std::to_string(f.plugin) + "/" + std::to_string(f.asked);
}

bool trusted(const std::string& bytes) {
    SizeStore store;
    sizeStoreOpen(store, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), SizeSink{}, kNow, 1000);
    const bool has = sizeStoreHasOld(store);
    sizeStoreAbandon(store);
    return has;
}

const SizeFacts kWide = {1920, 1080, 1, 0xFF, 0};
const SizeFacts kNone = {0, 0, 0, 0xFF, 0};
const SizeFacts kByPlugin = {800, 600, 1, 1, 2};

std::string firstStore() {
    return walk("", {{"C:\\pics", {{"b.jpg", 10, kOld, kWide}, {"a.png", 20, kOld, kByPlugin}, {"notes.txt", 5, kOld, kNone}},
                      true},
                     {"C:\\pics\\sub", {{"c.jpg", 30, kOld, kWide}}, true}});
}

TEST(SizeStore, GivesBackWhatWasRememberedOnlyForTheSameFileAndReader) {
    const std::string store = firstStore();
    struct Case {
        const char* path;
        const char* name;
        uint64_t size, time, reader;
        const char* want;
    } cases[] = {
        {"C:\\pics", "b.jpg", 10, kOld, kReader, "1920x1080 p255/0"},
        {"C:\\pics", "a.png", 20, kOld, kReader, "800x600 p1/2"},
        {"C:\\pics", "notes.txt", 5, kOld, kReader, "0x0? p255/0"},
        {"C:\\pics\\sub", "c.jpg", 30, kOld, kReader, "1920x1080 p255/0"},
        {"C:\\pics", "b.jpg", 11, kOld, kReader, "-"},       // another size
        {"C:\\pics", "b.jpg", 10, kOld + 1, kReader, "-"},   // another time stamp
        {"C:\\pics", "b.jpg", 10, kOld, 12345, "-"},         // another reader (plug-in set)
        {"C:\\pics", "B.jpg", 10, kOld, kReader, "-"},       // another name
        {"C:\\pics\\sub", "b.jpg", 10, kOld, kReader, "-"},  // another folder
        {"C:\\other", "b.jpg", 10, kOld, kReader, "-"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(find(store, c.path, c.name, c.size, c.time, c.reader), c.want) << c.path << "\\" << c.name;
}

// A file written within two seconds of the walk that read it could have
// changed unseen: it is read again.
TEST(SizeStore, AFileWrittenCloseToItsReadingIsNotTrusted) {
    struct Case {
        uint64_t time;
        bool trusted;
    } cases[] = {{kNow - kSizeTrustMargin, true}, {kNow - kSizeTrustMargin + 1, false}, {kNow, false},
                 {kNow + 10000000, false}};
    for (const Case& c : cases) {
        const std::string store = walk("", {{"C:\\pics", {{"new.jpg", 10, c.time, kWide}}, true}});
        EXPECT_EQ(find(store, "C:\\pics", "new.jpg", 10, c.time) != "-", c.trusted) << c.time;
    }
}

// A later walk replaces the folders it walked whole, keeps the others, and
// past the limit drops the folders searched longest ago.
TEST(SizeStore, AWalkKeepsWhatItDidNotWalkAndDropsTheOldestPastTheLimit) {
    const std::string first = firstStore();
    // Only the subfolder again: c.jpg is gone, d.jpg came; the folder above stays.
    const std::string second = walk(first, {{"C:\\pics\\sub", {{"d.jpg", 40, kOld, kWide}}, true}}, kNow + 100);
    EXPECT_EQ(find(second, "C:\\pics\\sub", "c.jpg", 30, kOld), "-");
    EXPECT_NE(find(second, "C:\\pics\\sub", "d.jpg", 40, kOld), "-");
    EXPECT_NE(find(second, "C:\\pics", "b.jpg", 10, kOld), "-");
    // A walk stopped inside a folder leaves what was remembered of it.
    const std::string stopped = walk(second, {{"C:\\pics", {{"b.jpg", 10, kOld, kNone}}, false}}, kNow + 200);
    EXPECT_EQ(find(stopped, "C:\\pics", "b.jpg", 10, kOld), "1920x1080 p255/0");
    EXPECT_NE(find(stopped, "C:\\pics", "a.png", 20, kOld), "-");
    // Room for two entries beside the new one: the folder searched longest
    // ago (C:\pics, three entries) goes, the newer subfolder stays.
    const std::string limited = walk(second, {{"D:\\new", {{"e.jpg", 1, kOld, kWide}}, true}}, kNow + 300, 2);
    EXPECT_NE(find(limited, "D:\\new", "e.jpg", 1, kOld), "-");
    EXPECT_NE(find(limited, "C:\\pics\\sub", "d.jpg", 40, kOld), "-");
    EXPECT_EQ(find(limited, "C:\\pics", "b.jpg", 10, kOld), "-");
}

// A store cut at any length, with any byte flipped, from a newer version
// or of another program is not used: every lookup misses, nothing crashes,
// and a walk over it writes a sound store of its own.
TEST(SizeStore, ADamagedStoreIsNeverTrusted) {
    const std::string store = firstStore();
    ASSERT_TRUE(trusted(store));
    for (size_t length = 0; length < store.size(); ++length) {
        const std::string cut = store.substr(0, length);
        EXPECT_FALSE(trusted(cut)) << length;
        EXPECT_EQ(find(cut, "C:\\pics", "b.jpg", 10, kOld), "-");
    }
    for (size_t at = 0; at < store.size(); ++at) {
        std::string flipped = store;
        flipped[at] = static_cast<char>(flipped[at] ^ 0x5A);
        EXPECT_FALSE(trusted(flipped)) << at;
        const std::string rewritten = walk(flipped, {{"C:\\x", {{"f.jpg", 1, kOld, kWide}}, true}});
        EXPECT_TRUE(trusted(rewritten)) << at;
        EXPECT_EQ(find(rewritten, "C:\\pics", "b.jpg", 10, kOld), "-") << at;
    }
    std::string newer = store;
    newer[8] = 2;  // the version
    EXPECT_FALSE(trusted(newer));
    EXPECT_FALSE(trusted(std::string(store.size(), 'x')));
}

}  // namespace
