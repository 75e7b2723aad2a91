// Rows for the result store as the search worker hands them over.
#pragma once

#include <string.h>

#include <string>

#include "ui/results.h"

// Puts text into batch's pool; returns its offset, 0 (the empty text) for "".
inline uint32_t batchText(RowBatch& batch, const std::string& text) {
    if (text.empty()) return 0;
    uint32_t at = batch.used;
    memcpy(batch.pool + at, text.c_str(), text.size() + 1);
    batch.used += static_cast<uint32_t>(text.size() + 1);
    return at;
}
