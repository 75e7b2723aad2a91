// Sort keys of result texts: byte strings that memcmp orders as the result
// list's comparison of the texts (lstrcmpA) does. The search worker makes
// each name's key as it finds the row; the result store ranks by them.
#pragma once

#include <stddef.h>

// Writes a memcmp-comparable sort key of text (length bytes, no terminator)
// to key (keySize bytes); returns its length, 0 when it does not fit. Keys
// order texts as the list's comparison of texts does.
typedef size_t (*ResultKeyFn)(const char* text, size_t length, unsigned char* key, size_t keySize);
// Room enough for the key of any text a sort compares.
constexpr size_t kSortKeyRoom = 512;

// The bytes of text a sort compares: at most the first 29, a double-byte
// character never cut in two.
size_t resultsSortTextLength(const char* text);

#ifdef _WIN32
// The sort key of a text as lstrcmpA orders texts (a ResultKeyFn).
size_t resultSortKey(const char* text, size_t length, unsigned char* key, size_t keySize);
#endif
