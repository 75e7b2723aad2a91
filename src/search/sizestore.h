// Picture sizes remembered between searches, so that a file whose path,
// size and time stamp are unchanged is not opened again. The store is a
// file of our own beside the settings file: one block per directory
// searched (its files' sizes, time stamps and what the reader made of
// them), a table of the blocks sorted by directory, and a header with a
// checksum of everything after it. A search reads the last store (whole, as
// bytes: a mapped file) and writes a new one as it walks: each directory it
// walked whole gets a new block, the blocks of the directories it did not
// walk are carried over, the ones searched longest ago left out past the
// entry limit. A store that is damaged, cut, foreign or from a newer
// version is not used at all. Window-free: the caller does the file work.
#pragma once

#include <stddef.h>
#include <stdint.h>

// Who read a size: the built-in reader (this id; a new reader version gets
// a new one) or the enabled plug-ins, by an id of their ordered set.
constexpr uint64_t kSizeReaderFast = 0x4641535452454431ull;  // "FASTRED1"

// What a reader made of one file.
struct SizeFacts {
    uint32_t width;
    uint32_t height;
    uint8_t known;   // 1: width and height hold; 0: no reader could size it
    uint8_t plugin;  // the enabled plug-in, by its place in the set, that knew it; 0xFF none
    uint8_t asked;   // plug-ins asked in order (the rest were not), 0 for the built-in reader
};

// An entry is trusted only when the file's time stamp lies this far (in
// 100-ns units) before the moment it was read: a file system with 2-second
// times, or a file still being written, could change without a new one.
constexpr uint64_t kSizeTrustMargin = 2ull * 10000000ull;

// Where the new store goes: writes length bytes at offset; false when it
// could not (the new store is then dropped).
struct SizeSink {
    bool (*write)(void* context, uint64_t offset, const void* bytes, size_t length);
    void* context;
};

struct SizeDirRecord;

struct SizeStore {
    // The last store, or none when it is absent or not to be trusted.
    const unsigned char* old;
    uint64_t oldLength;
    uint32_t oldDirectories;
    uint64_t oldTable;
    // The new store; writing stops at the first failure.
    SizeSink sink;
    bool writing;
    unsigned char* buffer;  // the new store's bytes on their way to the sink, heap
    size_t buffered;
    uint64_t written;   // bytes so far, the header's room included
    uint64_t checksum;  // of the bytes after the header so far
    uint64_t entries;   // in the blocks written
    uint64_t now;       // the search's start (FILETIME): when what it reads was made
    uint64_t entryLimit;
    SizeDirRecord* walked;  // the blocks written, heap
    uint32_t walkedCount, walkedCapacity;
};

struct SizeEntry;

// One directory as the walk goes through it: its block in the last store,
// and the entries it gains. Zero-filled is none.
struct SizeDir {
    const unsigned char* oldBlock;  // none when the last store has no (sound) block for it
    uint32_t oldCount;
    SizeEntry* entries;  // heap
    uint32_t count, capacity;
    char* pool;  // the names, heap
    uint32_t poolUsed, poolCapacity;
    char* path;  // heap copy
};

// Opens a walk: old (oldLength bytes, none) is the last store, checked
// whole; sink (write none: no new store) receives the new one. now: the
// search's start as a FILETIME; entryLimit: most entries kept.
void sizeStoreOpen(SizeStore& store, const unsigned char* old, uint64_t oldLength, SizeSink sink, uint64_t now,
                   uint64_t entryLimit);
// Whether the last store was sound (and so used).
bool sizeStoreHasOld(const SizeStore& store);

// Enters directory path for the walk.
void sizeDirOpen(SizeStore& store, SizeDir& dir, const char* path);
// What the last store knows of the file name (size bytes, last written at
// time) as reader read it, when that can be trusted.
bool sizeDirFind(const SizeDir& dir, const char* name, uint64_t size, uint64_t time,
                 uint64_t reader, SizeFacts& facts);
// Remembers what reader made of the file in the new store.
void sizeDirRemember(SizeDir& dir, const char* name, uint64_t size, uint64_t time, uint64_t reader,
                     const SizeFacts& facts);
// Leaves the directory: walked whole (complete), its new block replaces the
// old one; otherwise the old one stays. Frees what dir holds.
void sizeDirClose(SizeStore& store, SizeDir& dir, bool complete);

// Ends the walk: carries the blocks it did not walk over and writes the
// table and the header. Returns true when the whole new store was written;
// frees what the store holds either way.
bool sizeStoreFinish(SizeStore& store);
// Drops the new store (a walk that could not finish it).
void sizeStoreAbandon(SizeStore& store);
