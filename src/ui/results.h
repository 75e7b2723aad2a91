// The result store: every row a search found, kept by the main window and
// touched only on its thread; the owner-data result list shows it row by row
// on demand. The rows' texts come from the search worker in batches and stay
// in the batch's own pool block until the store is emptied.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "search/rowbatch.h"
#include "search/sortkey.h"

// Check-box state images of a row.
constexpr uint8_t kCheckImageUnchecked = 1;
constexpr uint8_t kCheckImageChecked = 2;

struct ResultRow {
    const char* text[kResultColumnCount];  // into the store's blocks; never null
    const unsigned char* nameKey;          // the batch's sort key of FileName, or null
    uint32_t nameKeyLength;
    uint32_t insertIndex;  // rows appended before it in this search: unique, never changes
    uint32_t fileSize;     // the number the FileSize text begins with
    uint8_t check;         // state image; every image but kCheckImageUnchecked counts as checked
    uint8_t removed;       // marked by resultsMarkRemoved, gone at the next resultsCompact
};

struct ResultBlock;

// Zero-filled is empty. The rows in the order shown are rows[0..gapAt) and
// rows[gapAt + gap..gap + count): while a file action removes rows from the
// top down, the places of the rows gone so far form a gap that moves down
// with it, so no removal moves the rows below it; resultsCompact closes it.
// Read a row by its place in the list with resultsRow.
struct ResultStore {
    ResultRow* rows;
    uint32_t count;  // rows shown
    uint32_t capacity;
    uint32_t gapAt;
    uint32_t gap;
    uint32_t appended;  // the next insertIndex
    uint32_t marked;    // rows marked removed and not yet compacted
    ResultBlock* blocks;  // the batches' pools, newest first
    // Collation rank of each text column by insertIndex, made by the first
    // sort on that column and kept until the store is emptied; null till then.
    uint32_t* ranks[kResultColumnCount];
};

// Frees every row and text; the store is then empty.
void resultsClear(ResultStore& store);

// Appends the batch's rows in order, each unchecked, copying its pool once.
// Returns 1; 0 (nothing appended) when the heap refuses.
int resultsAppend(ResultStore& store, const RowBatch& batch);

// The full path of row: FullPath, a backslash unless it ends in one, then
// FileName, into path (size bytes). 1, or 0 (path empty) when it does not
// fit whole.
int resultsRowPath(const ResultStore& store, uint32_t row, char* path, size_t size);

// Sets every row's check image to image; inverts (1 to 2, all else to 1).
void resultsCheckAll(ResultStore& store, uint8_t image);
void resultsCheckInvert(ResultStore& store);
void resultsCheckToggle(ResultStore& store, uint32_t row);
uint32_t resultsCheckedCount(const ResultStore& store);

// The first checked row at or after from that is not marked removed; -1 when none.
int32_t resultsNextChecked(const ResultStore& store, uint32_t from);

// The row shown at place row (< count).
inline ResultRow& resultsRow(ResultStore& store, uint32_t row) {
    return store.rows[row < store.gapAt ? row : row + store.gap];
}
inline const ResultRow& resultsRow(const ResultStore& store, uint32_t row) {
    return store.rows[row < store.gapAt ? row : row + store.gap];
}

// Marks row to leave the store at the next compaction.
void resultsMarkRemoved(ResultStore& store, uint32_t row);
// Drops the marked rows, keeping the others in order; returns how many went.
// The marked rows must all lie before place upTo: only the rows from the
// gap down to there move, each once however often this runs.
uint32_t resultsCompactTo(ResultStore& store, uint32_t upTo);
// Drops every marked row and closes the gap; returns how many rows went.
uint32_t resultsCompact(ResultStore& store);

// Orders the rows by column, ascending or descending, rows that compare equal
// keeping their order: FileName, FullPath and Handled by by the collation of
// their first 29 characters, FileSize by its number; PictureSize leaves the
// order as it is. column < 0 restores the order rows were appended in.
// Returns 1; 0 (order unchanged) when the heap refuses.
int resultsSort(ResultStore& store, int column, bool descending, ResultKeyFn key);

// The row whose insertIndex is index, -1 when none: O(rows).
int32_t resultsFindInsertIndex(const ResultStore& store, uint32_t index);
