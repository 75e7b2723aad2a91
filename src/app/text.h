// Text and path routines over zero-terminated ANSI multi-byte text. A
// character is what one charNext step passes over; a character "is" an ASCII
// byte when its first byte equals it. Heap texts come from the process heap
// (textAlloc/textFree) and belong to whoever receives them.
#pragma once

#include <stddef.h>
#include <stdint.h>

// Size of every path buffer: 259 characters and the terminator.
constexpr size_t kPathSize = 260;

void zeroFill(void* buffer, size_t count);

// Points just after the last backslash character, or at path when there is
// none; at the terminator when path ends in a backslash.
const char* pathFileName(const char* path);
char* pathFileName(char* path);

// Appends one backslash to text (a buffer of size bytes) unless text is empty,
// already ends in a backslash character, or the backslash would not fit.
// Returns 1 when appended, else 0.
int pathAddBackslash(char* text, size_t size);

// Ends text in place of a final backslash character. Returns 1 when removed.
int pathStripBackslash(char* text);

// First character position of text at which pattern begins, comparing whole
// characters; none when it occurs nowhere or text is empty. An empty pattern
// finds the start of a non-empty text.
const char* strFind(const char* text, const char* pattern);

// Lower-cases the ASCII letters A to Z in place, never a second byte; returns text.
char* strLowerAscii(char* text);

// Returns a heap copy of text with room for extra more bytes, or none when the
// heap refuses. The caller frees it with textFree.
char* strDupExtra(const char* text, size_t extra);

// Last / first character of text that is byte; strFirstChar with byte 0
// returns the terminator. None when there is no such character.
const char* strLastChar(const char* text, char byte);
char* strLastChar(char* text, char byte);
const char* strFirstChar(const char* text, char byte);
char* strFirstChar(char* text, char byte);

// Value of the run of digits at the start of text, 0 when there is none. No
// sign; a run too long for 32 bits wraps.
int32_t parseDigits(const char* text);

// Copies src into dst (size bytes) when it fits whole with its terminator.
// Returns 1 when copied; 0 leaves dst untouched: a text is never cut silently.
int strCopyFit(char* dst, size_t size, const char* src);
// Appends src to the text in dst (size bytes) on the same terms.
int strAppendFit(char* dst, size_t size, const char* src);

// Process-heap blocks, zero-filled; textFree takes none too.
void* textAlloc(size_t size);
void textFree(void* block);

#ifdef _WIN32
// Creates every directory along path, from the root down, ignoring levels
// that exist. Returns 1 when the current directory was saved and restored;
// 0 (nothing created) when it could not be saved or path with a trailing
// backslash does not fit a path buffer. Whether the last level exists
// afterwards is for the caller to check.
int pathMakeDirs(const char* path);
#endif
