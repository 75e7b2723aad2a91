#include "ui/results.h"

#include <string.h>

#include <algorithm>

#include "app/charstep.h"
#include "app/text.h"

// One batch's pool, copied whole: the rows of that batch point into data.
struct ResultBlock {
    ResultBlock* next;
    char data[1];
};

namespace {

constexpr uint32_t kFirstCapacity = 4096;
// Texts compare by at most this many leading bytes, a double-byte character
// never cut in two.
constexpr size_t kSortTextBytes = 29;
// Sort keys are made in this much room; a key that needs more counts as empty.
constexpr size_t kKeyRoom = 512;
// Sort keys are kept in chunks of this size while a column is ranked.
constexpr size_t kKeyChunk = 1024 * 1024;

bool reserve(ResultStore& store, uint32_t extra) {
    if (store.count + extra <= store.capacity) return true;
    uint32_t capacity = store.capacity ? store.capacity : kFirstCapacity;
    while (capacity < store.count + extra) capacity *= 2;
    ResultRow* rows = static_cast<ResultRow*>(textAlloc(sizeof(ResultRow) * capacity));
    if (!rows) return false;
    if (store.count) memcpy(rows, store.rows, sizeof(ResultRow) * store.count);
    textFree(store.rows);
    store.rows = rows;
    store.capacity = capacity;
    return true;
}

void ranksFree(ResultStore& store) {
    for (uint32_t*& ranks : store.ranks) {
        textFree(ranks);
        ranks = nullptr;
    }
}

size_t sortTextLength(const char* text) {
    const char* end = text;
    while (*end) {
        const char* next = charNext(end);
        if (static_cast<size_t>(next - text) > kSortTextBytes) break;
        end = next;
    }
    return static_cast<size_t>(end - text);
}

// Sort keys of one column's distinct texts, in chunks freed together.
struct KeyChunk {
    KeyChunk* next;
    size_t used;
    unsigned char data[kKeyChunk];
};

struct TextKey {
    const char* text;
    const unsigned char* key;
    uint32_t length;
    uint32_t rank;
};

const unsigned char* keyKeep(KeyChunk*& chunks, const unsigned char* key, size_t length) {
    if (!chunks || chunks->used + length > kKeyChunk) {
        KeyChunk* chunk = static_cast<KeyChunk*>(textAlloc(sizeof(KeyChunk)));
        if (!chunk) return nullptr;
        chunk->next = chunks;
        chunks = chunk;
    }
    unsigned char* at = chunks->data + chunks->used;
    memcpy(at, key, length);
    chunks->used += length;
    return at;
}

bool keyLess(const TextKey& a, const TextKey& b) {
    int order = memcmp(a.key, b.key, std::min(a.length, b.length));
    return order < 0 || (order == 0 && a.length < b.length);
}

bool keyEqual(const TextKey& a, const TextKey& b) {
    return a.length == b.length && memcmp(a.key, b.key, a.length) == 0;
}

// Leaves texts[0..distinctCount) the distinct texts in pointer order, each
// with its rank in collation order (equal texts equal ranks). Rows of one
// batch share their directory's text: its key is made once.
bool rankTexts(TextKey* texts, uint32_t count, ResultKeyFn keyFn, KeyChunk*& chunks, uint32_t& distinctCount) {
    std::sort(texts, texts + count, [](const TextKey& a, const TextKey& b) { return a.text < b.text; });
    TextKey* distinct = texts;  // first of each run of one text
    distinctCount = 0;
    for (uint32_t i = 0; i < count; ++i) {
        if (distinctCount && distinct[distinctCount - 1].text == texts[i].text) continue;
        distinct[distinctCount++].text = texts[i].text;
    }
    unsigned char scratch[kKeyRoom];
    for (uint32_t i = 0; i < distinctCount; ++i) {
        const char* text = distinct[i].text;
        size_t length = keyFn(text, sortTextLength(text), scratch, sizeof scratch);
        distinct[i].key = keyKeep(chunks, scratch, length);
        if (!distinct[i].key) return false;
        distinct[i].length = static_cast<uint32_t>(length);
    }
    std::sort(distinct, distinct + distinctCount, keyLess);
    uint32_t rank = 0;
    for (uint32_t i = 0; i < distinctCount; ++i) {
        if (i && !keyEqual(distinct[i - 1], distinct[i])) ++rank;
        distinct[i].rank = rank;
    }
    // Back in text order, for the rows to look their text up.
    std::sort(distinct, distinct + distinctCount, [](const TextKey& a, const TextKey& b) { return a.text < b.text; });
    return true;
}

uint32_t* rankColumn(const ResultStore& store, int column, ResultKeyFn keyFn) {
    uint32_t* ranks = static_cast<uint32_t*>(textAlloc(sizeof(uint32_t) * (store.appended ? store.appended : 1)));
    TextKey* texts = static_cast<TextKey*>(textAlloc(sizeof(TextKey) * (store.count ? store.count : 1)));
    KeyChunk* chunks = nullptr;
    bool ranked = false;
    if (ranks && texts) {
        for (uint32_t i = 0; i < store.count; ++i) texts[i].text = store.rows[i].text[column];
        uint32_t distinctCount = 0;
        ranked = rankTexts(texts, store.count, keyFn, chunks, distinctCount);
        for (uint32_t i = 0; ranked && i < store.count; ++i) {
            const ResultRow& row = store.rows[i];
            const TextKey* at = std::lower_bound(texts, texts + distinctCount, row.text[column],
                                                 [](const TextKey& k, const char* t) { return k.text < t; });
            ranks[row.insertIndex] = at->rank;
        }
    }
    while (chunks) {
        KeyChunk* next = chunks->next;
        textFree(chunks);
        chunks = next;
    }
    textFree(texts);
    if (!ranked) {
        textFree(ranks);
        return nullptr;
    }
    return ranks;
}

// Puts the rows in the order order gives: order[i]'s low 32 bits are the
// position the row now at i comes from. Cycles are followed in place, bit 32
// marking the places done, so no second row array is needed.
void permute(ResultStore& store, uint64_t* order) {
    constexpr uint64_t kDone = 1ull << 32;
    for (uint32_t i = 0; i < store.count; ++i) order[i] &= 0xFFFFFFFFu;
    for (uint32_t start = 0; start < store.count; ++start) {
        if (order[start] & kDone) continue;
        ResultRow first = store.rows[start];
        uint32_t at = start;
        for (;;) {
            uint32_t from = static_cast<uint32_t>(order[at]);
            order[at] |= kDone;
            if (from == start) {
                store.rows[at] = first;
                break;
            }
            store.rows[at] = store.rows[from];
            at = from;
        }
    }
}

}  // namespace

void resultsClear(ResultStore& store) {
    while (store.blocks) {
        ResultBlock* next = store.blocks->next;
        textFree(store.blocks);
        store.blocks = next;
    }
    ranksFree(store);
    textFree(store.rows);
    store = ResultStore{};
}

int resultsAppend(ResultStore& store, const RowBatch& batch) {
    if (batch.count == 0) return 1;
    if (batch.count > kBatchRows || batch.used > kBatchPool || !reserve(store, batch.count)) return 0;
    ResultBlock* block = static_cast<ResultBlock*>(textAlloc(sizeof(ResultBlock) + batch.used));
    if (!block) return 0;
    memcpy(block->data, batch.pool, batch.used);
    block->data[0] = '\0';
    block->data[batch.used] = '\0';  // a last text left open ends at the block's end
    block->next = store.blocks;
    store.blocks = block;
    // Ranks cover the rows they were made for; a later sort makes them anew.
    ranksFree(store);
    for (uint32_t i = 0; i < batch.count; ++i) {
        ResultRow& row = store.rows[store.count++];
        for (int c = 0; c < kResultColumnCount; ++c) {
            uint32_t offset = batch.rows[i].text[c];
            row.text[c] = block->data + (offset < batch.used ? offset : 0);
        }
        row.insertIndex = store.appended++;
        row.fileSize = static_cast<uint32_t>(parseDigits(row.text[kResultColumnFileSize]));
        row.check = kCheckImageUnchecked;
        row.removed = 0;
    }
    return 1;
}

int resultsRowPath(const ResultStore& store, uint32_t row, char* path, size_t size) {
    if (size == 0) return 0;
    path[0] = '\0';
    if (row >= store.count) return 0;
    const ResultRow& r = store.rows[row];
    if (!strCopyFit(path, size, r.text[kResultColumnFullPath])) return 0;
    pathAddBackslash(path, size);
    if (!strAppendFit(path, size, r.text[kResultColumnFileName])) {
        path[0] = '\0';
        return 0;
    }
    return 1;
}

void resultsCheckAll(ResultStore& store, uint8_t image) {
    for (uint32_t i = 0; i < store.count; ++i) store.rows[i].check = image;
}

void resultsCheckInvert(ResultStore& store) {
    for (uint32_t i = 0; i < store.count; ++i) resultsCheckToggle(store, i);
}

void resultsCheckToggle(ResultStore& store, uint32_t row) {
    if (row >= store.count) return;
    uint8_t& check = store.rows[row].check;
    check = check == kCheckImageUnchecked ? kCheckImageChecked : kCheckImageUnchecked;
}

uint32_t resultsCheckedCount(const ResultStore& store) {
    uint32_t checked = 0;
    for (uint32_t i = 0; i < store.count; ++i) checked += store.rows[i].check != kCheckImageUnchecked;
    return checked;
}

int32_t resultsNextChecked(const ResultStore& store, uint32_t from) {
    for (uint32_t i = from; i < store.count; ++i) {
        if (!store.rows[i].removed && store.rows[i].check != kCheckImageUnchecked) return static_cast<int32_t>(i);
    }
    return -1;
}

void resultsMarkRemoved(ResultStore& store, uint32_t row) {
    if (row >= store.count || store.rows[row].removed) return;
    store.rows[row].removed = 1;
    ++store.marked;
}

uint32_t resultsCompact(ResultStore& store) {
    if (!store.marked) return 0;
    uint32_t kept = 0;
    for (uint32_t i = 0; i < store.count; ++i) {
        if (store.rows[i].removed) continue;
        if (kept != i) store.rows[kept] = store.rows[i];
        ++kept;
    }
    uint32_t gone = store.count - kept;
    store.count = kept;
    store.marked = 0;
    return gone;
}

int resultsSort(ResultStore& store, int column, bool descending, ResultKeyFn keyFn) {
    bool text = column == kResultColumnFileName || column == kResultColumnFullPath || column == kResultColumnHandledBy;
    if (store.count < 2 || (column >= 0 && column != kResultColumnFileSize && !text)) return 1;
    if (text && !store.ranks[column]) {
        store.ranks[column] = rankColumn(store, column, keyFn);
        if (!store.ranks[column]) return 0;
    }
    uint64_t* order = static_cast<uint64_t*>(textAlloc(sizeof(uint64_t) * store.count));
    if (!order) return 0;
    // Each row's key above its present position: equal keys keep their order.
    for (uint32_t i = 0; i < store.count; ++i) {
        const ResultRow& row = store.rows[i];
        uint32_t key = column < 0 ? row.insertIndex : text ? store.ranks[column][row.insertIndex] : row.fileSize;
        if (descending) key = ~key;
        order[i] = static_cast<uint64_t>(key) << 32 | i;
    }
    std::sort(order, order + store.count);
    permute(store, order);
    textFree(order);
    return 1;
}

int32_t resultsFindInsertIndex(const ResultStore& store, uint32_t index) {
    for (uint32_t i = 0; i < store.count; ++i) {
        if (store.rows[i].insertIndex == index) return static_cast<int32_t>(i);
    }
    return -1;
}
