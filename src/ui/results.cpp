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
// Sort keys are kept in chunks of this size while a column is ranked.
constexpr size_t kKeyChunk = 1024 * 1024;

// Moves the rows after the gap up to its start.
void closeGap(ResultStore& store) {
    if (!store.gap) return;
    memmove(store.rows + store.gapAt, store.rows + store.gapAt + store.gap,
            sizeof(ResultRow) * (store.count - store.gapAt));
    store.gap = 0;
    store.gapAt = 0;
}

bool reserve(ResultStore& store, uint32_t extra) {
    closeGap(store);
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


// Sort keys of one column's texts, in chunks freed together.
struct KeyChunk {
    KeyChunk* next;
    size_t used;
    unsigned char data[kKeyChunk];
};

// A row's key: eight of its bytes as a number (after what every key
// shares) decide most comparisons.
struct RowKey {
    uint64_t head;
    const unsigned char* key;
    uint32_t length;
    uint32_t insertIndex;
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

uint64_t keyHead(const unsigned char* key, size_t length) {
    uint64_t head = 0;
    for (size_t i = 0; i < 8; ++i) head = head << 8 | (i < length ? key[i] : 0);
    return head;
}

int keyOrder(const RowKey& a, const RowKey& b) {
    if (a.head != b.head) return a.head < b.head ? -1 : 1;
    int order = memcmp(a.key, b.key, std::min(a.length, b.length));
    return order ? order : a.length < b.length ? -1 : a.length > b.length ? 1 : 0;
}

// Each row's key, made once per text: the rows of a batch share their
// folder's text, and consecutive rows reuse the key of the one before.
bool rowKeys(const ResultStore& store, int column, ResultKeyFn keyFn, RowKey* keys, KeyChunk*& chunks) {
    unsigned char scratch[kSortKeyRoom];
    for (uint32_t i = 0; i < store.count; ++i) {
        const ResultRow& row = store.rows[i];
        const char* text = row.text[column];
        keys[i].insertIndex = row.insertIndex;
        if (column == kResultColumnFileName && row.nameKey) {
            keys[i].key = row.nameKey;
            keys[i].length = row.nameKeyLength;
            continue;
        }
        if (i && text == store.rows[i - 1].text[column]) {
            keys[i].key = keys[i - 1].key;
            keys[i].length = keys[i - 1].length;
            continue;
        }
        size_t length = keyFn(text, resultsSortTextLength(text), scratch, sizeof scratch);
        keys[i].key = keyKeep(chunks, scratch, length);
        if (!keys[i].key) return false;
        keys[i].length = static_cast<uint32_t>(length);
    }
    return true;
}

// The rank of each row's text by insertIndex, in collation order, equal texts
// equal ranks; none when the heap refuses.
uint32_t* rankColumn(const ResultStore& store, int column, ResultKeyFn keyFn) {
    uint32_t* ranks = static_cast<uint32_t*>(textAlloc(sizeof(uint32_t) * (store.appended ? store.appended : 1)));
    RowKey* keys = static_cast<RowKey*>(textAlloc(sizeof(RowKey) * (store.count ? store.count : 1)));
    KeyChunk* chunks = nullptr;
    bool ranked = ranks && keys && rowKeys(store, column, keyFn, keys, chunks);
    if (ranked) {
        // Names of one camera share their first characters: the heads are
        // taken after what every key shares, so most comparisons stay
        // between two numbers.
        size_t common = store.count ? keys[0].length : 0;
        for (uint32_t i = 1; i < store.count && common; ++i) {
            size_t limit = std::min<size_t>(common, keys[i].length);
            size_t same = 0;
            while (same < limit && keys[i].key[same] == keys[0].key[same]) ++same;
            common = same;
        }
        for (uint32_t i = 0; i < store.count; ++i) keys[i].head = keyHead(keys[i].key + common, keys[i].length - common);
        std::sort(keys, keys + store.count, [](const RowKey& a, const RowKey& b) { return keyOrder(a, b) < 0; });
        uint32_t rank = 0;
        for (uint32_t i = 0; i < store.count; ++i) {
            if (i && keyOrder(keys[i - 1], keys[i]) != 0) ++rank;
            ranks[keys[i].insertIndex] = rank;
        }
    }
    while (chunks) {
        KeyChunk* next = chunks->next;
        textFree(chunks);
        chunks = next;
    }
    textFree(keys);
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
        const FoundRow& found = batch.rows[i];
        bool keyed = found.nameKeyLength && found.nameKey + static_cast<uint64_t>(found.nameKeyLength) <= batch.used;
        row.nameKey = keyed ? reinterpret_cast<const unsigned char*>(block->data + found.nameKey) : nullptr;
        row.nameKeyLength = keyed ? found.nameKeyLength : 0;
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
    const ResultRow& r = resultsRow(store, row);
    if (!strCopyFit(path, size, r.text[kResultColumnFullPath])) return 0;
    pathAddBackslash(path, size);
    if (!strAppendFit(path, size, r.text[kResultColumnFileName])) {
        path[0] = '\0';
        return 0;
    }
    return 1;
}

void resultsCheckAll(ResultStore& store, uint8_t image) {
    for (uint32_t i = 0; i < store.count; ++i) resultsRow(store, i).check = image;
}

void resultsCheckInvert(ResultStore& store) {
    for (uint32_t i = 0; i < store.count; ++i) resultsCheckToggle(store, i);
}

void resultsCheckToggle(ResultStore& store, uint32_t row) {
    if (row >= store.count) return;
    uint8_t& check = resultsRow(store, row).check;
    check = check == kCheckImageUnchecked ? kCheckImageChecked : kCheckImageUnchecked;
}

uint32_t resultsCheckedCount(const ResultStore& store) {
    uint32_t checked = 0;
    for (uint32_t i = 0; i < store.count; ++i) checked += resultsRow(store, i).check != kCheckImageUnchecked;
    return checked;
}

int32_t resultsNextChecked(const ResultStore& store, uint32_t from) {
    for (uint32_t i = from; i < store.count; ++i) {
        const ResultRow& row = resultsRow(store, i);
        if (!row.removed && row.check != kCheckImageUnchecked) return static_cast<int32_t>(i);
    }
    return -1;
}

void resultsMarkRemoved(ResultStore& store, uint32_t row) {
    if (row >= store.count || resultsRow(store, row).removed) return;
    resultsRow(store, row).removed = 1;
    ++store.marked;
}

uint32_t resultsCompactTo(ResultStore& store, uint32_t upTo) {
    if (upTo > store.count) upTo = store.count;
    if (upTo <= store.gapAt) return 0;
    // The rows from the gap's end to upTo: kept ones move up to the gap's
    // start, removed ones widen it.
    const uint32_t end = upTo + store.gap;
    uint32_t gone = 0;
    for (uint32_t read = store.gapAt + store.gap; read < end; ++read) {
        if (store.rows[read].removed) {
            ++store.gap;
            ++gone;
            continue;
        }
        store.rows[store.gapAt++] = store.rows[read];
    }
    store.count -= gone;
    store.marked -= gone < store.marked ? gone : store.marked;
    return gone;
}

uint32_t resultsCompact(ResultStore& store) {
    uint32_t gone = resultsCompactTo(store, store.count);
    closeGap(store);
    store.marked = 0;
    return gone;
}

int resultsSort(ResultStore& store, int column, bool descending, ResultKeyFn keyFn) {
    closeGap(store);
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
        if (resultsRow(store, i).insertIndex == index) return static_cast<int32_t>(i);
    }
    return -1;
}
