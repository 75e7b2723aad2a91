#include "search/sizestore.h"

#include <string.h>

#include <algorithm>

#include "app/text.h"

// A directory's block in the new store, or one carried over from the last.
struct SizeDirRecord {
    const char* path;  // into the last store, or a heap copy (owned)
    uint32_t pathLength;
    bool owned;
    uint64_t offset, length;  // in the new store
    uint64_t searchedAt;
    uint32_t count;
    uint32_t oldIndex;  // a carried block's place in the last store's table
};

struct SizeEntry {
    uint64_t size, time, reader;
    uint32_t nameOffset;
    uint16_t nameLength;
    SizeFacts facts;
};

namespace {

// The file: header, blocks, table (all numbers little-endian).
//   header  magic[8] version:4 directories:4 entries:8 table:8 length:8 checksum:8
//   block   searchedAt:8 count:4 poolBytes:4 pathLength:4 0:4, the path,
//           padding to 8, count entries, the names' pool, padding to 8
//   entry   size:8 time:8 reader:8 nameOffset:4 nameLength:2 known:1
//           plugin:1 width:4 height:4 asked:1 0:7
//   table   per block, sorted by path: offset:8 length:8
const char kMagic[8] = {'T', 'R', 'W', 'X', 'S', 'I', 'Z', 'E'};
constexpr uint32_t kVersion = 1;
constexpr uint64_t kHeaderSize = 48;
constexpr uint64_t kBlockHead = 24;
constexpr uint64_t kEntrySize = 48;
constexpr uint64_t kTableEntry = 16;
constexpr size_t kOutputBuffer = 1 << 20;
constexpr uint32_t kNameMax = 0xFFFF;

uint32_t rd32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

uint64_t rd64(const unsigned char* p) {
    return static_cast<uint64_t>(rd32(p)) | static_cast<uint64_t>(rd32(p + 4)) << 32;
}

void wr32(unsigned char* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

void wr64(unsigned char* p, uint64_t v) {
    wr32(p, static_cast<uint32_t>(v));
    wr32(p + 4, static_cast<uint32_t>(v >> 32));
}

uint64_t pad8(uint64_t n) {
    return (n + 7) & ~7ull;
}

uint64_t fnv(uint64_t hash, const unsigned char* bytes, size_t length) {
    for (size_t i = 0; i < length; ++i) hash = (hash ^ bytes[i]) * 0x100000001b3ull;
    return hash;
}
constexpr uint64_t kFnvStart = 0xcbf29ce484222325ull;

// The header's checksum: of its other fields, then of the body's checksum.
uint64_t headerChecksum(const unsigned char* head, uint64_t body) {
    unsigned char bytes[8];
    wr64(bytes, body);
    return fnv(fnv(kFnvStart, head, 40), bytes, sizeof bytes);
}

// Paths and names order by their bytes, a shorter one first on a tie.
int compareBytes(const void* a, size_t aLength, const void* b, size_t bLength) {
    int c = memcmp(a, b, aLength < bLength ? aLength : bLength);
    if (c) return c;
    return aLength < bLength ? -1 : aLength > bLength ? 1 : 0;
}

// One block of the last store, checked against the store's bounds.
struct BlockView {
    uint64_t searchedAt;
    uint32_t count, poolBytes, pathLength;
    const unsigned char* path;
    const unsigned char* entries;
    const unsigned char* pool;
    uint64_t offset, length;
};

// The block the table's index-th row names, when its head fits where blocks
// may lie; names are checked by blockSound.
bool blockAt(const SizeStore& s, uint32_t index, BlockView& b) {
    const unsigned char* row = s.old + s.oldTable + kTableEntry * index;
    b.offset = rd64(row);
    b.length = rd64(row + 8);
    if (b.offset < kHeaderSize || b.offset > s.oldTable || b.length > s.oldTable - b.offset || b.length < kBlockHead)
        return false;
    const unsigned char* h = s.old + b.offset;
    b.searchedAt = rd64(h);
    b.count = rd32(h + 8);
    b.poolBytes = rd32(h + 12);
    b.pathLength = rd32(h + 16);
    const uint64_t need = kBlockHead + pad8(b.pathLength) + kEntrySize * b.count + pad8(b.poolBytes);
    if (need != b.length) return false;
    b.path = h + kBlockHead;
    b.entries = b.path + pad8(b.pathLength);
    b.pool = b.entries + kEntrySize * b.count;
    return true;
}

// Every entry's name lies in the block's pool.
bool blockSound(const BlockView& b) {
    for (uint32_t i = 0; i < b.count; ++i) {
        const unsigned char* e = b.entries + kEntrySize * i;
        if (static_cast<uint64_t>(rd32(e + 24)) + (e[28] | e[29] << 8) > b.poolBytes) return false;
    }
    return true;
}

// The last store's block of path, by the sorted table; -1 when none.
int64_t findBlock(const SizeStore& s, const char* path, size_t length, BlockView& found) {
    uint32_t low = 0, high = s.oldDirectories;
    while (low < high) {
        uint32_t middle = low + (high - low) / 2;
        BlockView b;
        if (!blockAt(s, middle, b)) return -1;
        int c = compareBytes(path, length, b.path, b.pathLength);
        if (c == 0) {
            found = b;
            return middle;
        }
        if (c < 0) {
            high = middle;
        } else {
            low = middle + 1;
        }
    }
    return -1;
}

// The new store's bytes go out through a buffer: the sink is a file write.
// Only while writing: the first failure ends it.
void flush(SizeStore& s) {
    if (!s.sink.write(s.sink.context, s.written - s.buffered, s.buffer, s.buffered)) s.writing = false;
    s.buffered = 0;
}

void emit(SizeStore& s, const void* bytes, size_t length) {
    if (!s.writing) return;
    const unsigned char* p = static_cast<const unsigned char*>(bytes);
    s.checksum = fnv(s.checksum, p, length);
    while (length) {
        size_t room = kOutputBuffer - s.buffered;
        size_t part = length < room ? length : room;
        memcpy(s.buffer + s.buffered, p, part);
        s.buffered += part;
        s.written += part;
        p += part;
        length -= part;
        if (s.buffered == kOutputBuffer) flush(s);
        if (!s.writing) return;
    }
}

void emitPadding(SizeStore& s, uint64_t length) {
    static const unsigned char zeros[8] = {};
    emit(s, zeros, static_cast<size_t>(pad8(length) - length));
}

bool recordAdd(SizeStore& s, const SizeDirRecord& r) {
    if (s.walkedCount == s.walkedCapacity) {
        uint32_t capacity = s.walkedCapacity ? s.walkedCapacity * 2 : 256;
        SizeDirRecord* grown = static_cast<SizeDirRecord*>(textAlloc(sizeof(SizeDirRecord) * capacity));
        if (!grown) return false;  // fuzz: unreachable (the heap refused)
        if (s.walkedCount) memcpy(grown, s.walked, sizeof(SizeDirRecord) * s.walkedCount);
        textFree(s.walked);
        s.walked = grown;
        s.walkedCapacity = capacity;
    }
    s.walked[s.walkedCount++] = r;
    return true;
}

void storeFree(SizeStore& s) {
    for (uint32_t i = 0; i < s.walkedCount; ++i)
        if (s.walked[i].owned) textFree(const_cast<char*>(s.walked[i].path));
    textFree(s.walked);
    textFree(s.buffer);
    s.buffer = nullptr;
    s.buffered = 0;
    s.walked = nullptr;
    s.walkedCount = s.walkedCapacity = 0;
    s.writing = false;
}

bool pathLess(const SizeDirRecord& a, const SizeDirRecord& b) {
    return compareBytes(a.path, a.pathLength, b.path, b.pathLength) < 0;
}

// Whether path is among the first count records (sorted by path).
bool walkedHas(const SizeStore& s, uint32_t count, const unsigned char* path, uint32_t length) {
    SizeDirRecord key = {reinterpret_cast<const char*>(path), length, false, 0, 0, 0, 0, 0};
    return std::binary_search(s.walked, s.walked + count, key, pathLess);
}

}  // namespace

void sizeStoreOpen(SizeStore& s, const unsigned char* old, uint64_t oldLength, SizeSink sink, uint64_t now,
                   uint64_t entryLimit) {
    s = {};
    s.now = now;
    s.entryLimit = entryLimit;
    if (old && oldLength >= kHeaderSize && memcmp(old, kMagic, sizeof kMagic) == 0 && rd32(old + 8) == kVersion &&
        rd64(old + 32) == oldLength) {
        const uint32_t directories = rd32(old + 12);
        const uint64_t table = rd64(old + 24);
        if (table >= kHeaderSize && table <= oldLength && (oldLength - table) / kTableEntry == directories &&
            (oldLength - table) % kTableEntry == 0 &&
            headerChecksum(old, fnv(kFnvStart, old + kHeaderSize, oldLength - kHeaderSize)) == rd64(old + 40)) {
            s.old = old;
            s.oldLength = oldLength;
            s.oldDirectories = directories;
            s.oldTable = table;
        }
    }
    s.sink = sink;
    s.buffer = sink.write ? static_cast<unsigned char*>(textAlloc(kOutputBuffer)) : nullptr;
    s.writing = s.buffer != nullptr;
    s.written = kHeaderSize;  // the header goes in last
    s.checksum = kFnvStart;
}

bool sizeStoreHasOld(const SizeStore& s) {
    return s.old != nullptr;
}

void sizeDirOpen(SizeStore& s, SizeDir& dir, const char* path) {
    dir = {};
    dir.path = strDupExtra(path, 0);
    BlockView b;
    if (s.old && findBlock(s, path, strlen(path), b) >= 0 && blockSound(b)) {
        dir.oldBlock = s.old + b.offset;
        dir.oldCount = b.count;
    }
}

bool sizeDirFind(const SizeDir& dir, const char* name, uint64_t size, uint64_t time,
                 uint64_t reader, SizeFacts& facts) {
    if (!dir.oldBlock) return false;
    const uint64_t searchedAt = rd64(dir.oldBlock);
    const uint32_t pathLength = rd32(dir.oldBlock + 16);
    const unsigned char* entries = dir.oldBlock + kBlockHead + pad8(pathLength);
    const unsigned char* pool = entries + kEntrySize * dir.oldCount;
    const size_t length = strlen(name);
    uint32_t low = 0, high = dir.oldCount;
    while (low < high) {
        uint32_t middle = low + (high - low) / 2;
        const unsigned char* e = entries + kEntrySize * middle;
        int c = compareBytes(name, length, pool + rd32(e + 24), e[28] | e[29] << 8);
        if (c < 0) {
            high = middle;
        } else if (c > 0) {
            low = middle + 1;
        } else {
            // Read too close to its last write, it may have changed unseen.
            if (rd64(e) != size || rd64(e + 8) != time || rd64(e + 16) != reader || time > searchedAt ||
                searchedAt - time < kSizeTrustMargin)
                return false;
            facts.known = e[30] != 0;
            facts.plugin = e[31];
            facts.width = rd32(e + 32);
            facts.height = rd32(e + 36);
            facts.asked = e[40];
            return true;
        }
    }
    return false;
}

void sizeDirRemember(SizeDir& dir, const char* name, uint64_t size, uint64_t time, uint64_t reader,
                     const SizeFacts& facts) {
    const size_t length = strlen(name);
    if (length > kNameMax) return;  // fuzz: unreachable (a listing's names are shorter)
    if (dir.count == dir.capacity) {
        uint32_t capacity = dir.capacity ? dir.capacity * 2 : 64;
        SizeEntry* grown = static_cast<SizeEntry*>(textAlloc(sizeof(SizeEntry) * capacity));
        if (!grown) return;  // fuzz: unreachable (the heap refused)
        if (dir.count) memcpy(grown, dir.entries, sizeof(SizeEntry) * dir.count);
        textFree(dir.entries);
        dir.entries = grown;
        dir.capacity = capacity;
    }
    if (dir.poolUsed + length > dir.poolCapacity) {
        uint32_t capacity = dir.poolCapacity ? dir.poolCapacity : 4096;
        while (capacity < dir.poolUsed + length) capacity *= 2;
        char* grown = static_cast<char*>(textAlloc(capacity));
        if (!grown) return;  // fuzz: unreachable (the heap refused)
        if (dir.poolUsed) memcpy(grown, dir.pool, dir.poolUsed);
        textFree(dir.pool);
        dir.pool = grown;
        dir.poolCapacity = capacity;
    }
    memcpy(dir.pool + dir.poolUsed, name, length);
    dir.entries[dir.count++] = SizeEntry{size, time, reader, dir.poolUsed, static_cast<uint16_t>(length), facts};
    dir.poolUsed += static_cast<uint32_t>(length);
}

void sizeDirClose(SizeStore& s, SizeDir& dir, bool complete) {
    const size_t pathLength = dir.path ? strlen(dir.path) : 0;  // fuzz: unreachable (none: the heap refused)
    if (complete && dir.path && s.writing) {  // fuzz: unreachable (no path: the heap refused)
        const char* pool = dir.pool;
        std::sort(dir.entries, dir.entries + dir.count, [pool](const SizeEntry& a, const SizeEntry& b) {
            return compareBytes(pool + a.nameOffset, a.nameLength, pool + b.nameOffset, b.nameLength) < 0;
        });
        SizeDirRecord r = {dir.path, static_cast<uint32_t>(pathLength), true, s.written, 0, s.now, dir.count, 0};
        unsigned char head[kBlockHead] = {};
        wr64(head, s.now);
        wr32(head + 8, dir.count);
        wr32(head + 12, dir.poolUsed);
        wr32(head + 16, static_cast<uint32_t>(pathLength));
        emit(s, head, sizeof head);
        emit(s, dir.path, pathLength);
        emitPadding(s, pathLength);
        for (uint32_t i = 0; i < dir.count; ++i) {
            const SizeEntry& e = dir.entries[i];
            unsigned char bytes[kEntrySize] = {};
            wr64(bytes, e.size);
            wr64(bytes + 8, e.time);
            wr64(bytes + 16, e.reader);
            wr32(bytes + 24, e.nameOffset);
            bytes[28] = static_cast<unsigned char>(e.nameLength);
            bytes[29] = static_cast<unsigned char>(e.nameLength >> 8);
            bytes[30] = e.facts.known;
            bytes[31] = e.facts.plugin;
            wr32(bytes + 32, e.facts.width);
            wr32(bytes + 36, e.facts.height);
            bytes[40] = e.facts.asked;
            emit(s, bytes, sizeof bytes);
        }
        emit(s, dir.pool, dir.poolUsed);
        emitPadding(s, dir.poolUsed);
        r.length = s.written - r.offset;
        if (recordAdd(s, r)) {  // fuzz: unreachable (false: the heap refused)
            s.entries += dir.count;
            dir.path = nullptr;  // the record owns it now
        } else {
            s.writing = false;
        }
    }
    textFree(dir.path);
    textFree(dir.entries);
    textFree(dir.pool);
    dir = {};
}

bool sizeStoreFinish(SizeStore& s) {
    if (!s.writing) {
        storeFree(s);
        return false;
    }
    std::sort(s.walked, s.walked + s.walkedCount, pathLess);
    // The last store's blocks of directories this walk did not enter, the
    // most recently searched first while they fit under the limit.
    const uint32_t walked = s.walkedCount;
    for (uint32_t i = 0; i < s.oldDirectories; ++i) {
        BlockView b;
        if (!blockAt(s, i, b) || !blockSound(b) || walkedHas(s, walked, b.path, b.pathLength)) continue;
        SizeDirRecord r = {reinterpret_cast<const char*>(b.path), b.pathLength, false, 0, b.length, b.searchedAt,
                           b.count, i};
        if (!recordAdd(s, r)) break;  // fuzz: unreachable (the heap refused)
    }
    std::sort(s.walked + walked, s.walked + s.walkedCount,
              [](const SizeDirRecord& a, const SizeDirRecord& b) { return a.searchedAt > b.searchedAt; });
    uint32_t kept = walked;
    for (uint32_t i = walked; i < s.walkedCount; ++i) {
        SizeDirRecord& r = s.walked[i];
        if (s.entries + r.count > s.entryLimit) continue;
        BlockView b;
        blockAt(s, r.oldIndex, b);
        r.offset = s.written;
        emit(s, s.old + b.offset, static_cast<size_t>(b.length));
        s.entries += r.count;
        s.walked[kept++] = r;
    }
    s.walkedCount = kept;
    std::sort(s.walked, s.walked + s.walkedCount, pathLess);
    const uint64_t table = s.written;
    for (uint32_t i = 0; i < s.walkedCount; ++i) {
        unsigned char row[kTableEntry];
        wr64(row, s.walked[i].offset);
        wr64(row + 8, s.walked[i].length);
        emit(s, row, sizeof row);
    }
    if (s.writing) flush(s);
    unsigned char head[kHeaderSize] = {};
    memcpy(head, kMagic, sizeof kMagic);
    wr32(head + 8, kVersion);
    wr32(head + 12, s.walkedCount);
    wr64(head + 16, s.entries);
    wr64(head + 24, table);
    wr64(head + 32, s.written);
    wr64(head + 40, headerChecksum(head, s.checksum));
    bool done = s.writing && s.sink.write(s.sink.context, 0, head, sizeof head);
    storeFree(s);
    return done;
}

void sizeStoreAbandon(SizeStore& s) {
    storeFree(s);
}
