// What the search worker hands the window: found rows in batches, their
// texts in one pool, by result column.
#pragma once

#include <stdint.h>

// Result-list columns.
constexpr int kResultColumnFileName = 0;
constexpr int kResultColumnPictureSize = 1;
constexpr int kResultColumnFileSize = 2;
constexpr int kResultColumnFullPath = 3;
constexpr int kResultColumnHandledBy = 4;
constexpr int kResultColumnCount = 5;

// Rows found by the worker and not yet in the store. Texts live in pool; a
// row names them by offset, 0 being the empty text. Filled on the worker
// thread, appended on the window thread while the worker waits.
constexpr uint32_t kBatchRows = 4096;
constexpr uint32_t kBatchPool = 1024 * 1024;
struct FoundRow {
    uint32_t text[kResultColumnCount];  // offsets into pool, by column
    // The FileName's sort key (a ResultKeyFn's), made by the worker so a
    // sort by name need not: offset into pool and length; 0, 0 for none.
    uint32_t nameKey;
    uint32_t nameKeyLength;
};
struct RowBatch {
    uint32_t count;
    uint32_t used;       // bytes of pool in use; offset 0 is the empty text
    uint32_t directory;  // offset of the current directory's text, 0 when not copied yet
    FoundRow rows[kBatchRows];
    char pool[kBatchPool];
};
