#include "app/text.h"

#include <string.h>

#include "app/charstep.h"
#include "app/platform.h"

#ifndef _WIN32
#include <stdlib.h>
#endif

void zeroFill(void* buffer, size_t count) {
    memset(buffer, 0, count);
}

void* textAlloc(size_t size) {
#ifdef _WIN32
    return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size);
#else
    return calloc(1, size);
#endif
}

void textFree(void* block) {
    if (!block) return;
#ifdef _WIN32
    HeapFree(GetProcessHeap(), 0, block);
#else
    free(block);
#endif
}

const char* pathFileName(const char* path) {
    const char* name = path;
    for (const char* p = path; *p; p = charNext(p)) {
        if (*p == '\\') name = p + 1;
    }
    return name;
}

char* pathFileName(char* path) {
    return const_cast<char*>(pathFileName(static_cast<const char*>(path)));
}

// Start of the last character of text, or none when text is empty.
static char* lastCharStart(char* text) {
    char* last = nullptr;
    for (char* p = text; *p; p = charNext(p)) last = p;
    return last;
}

int pathAddBackslash(char* text, size_t size) {
    char* last = lastCharStart(text);
    if (!last || *last == '\\') return 0;
    size_t length = strlen(text);
    if (length + 2 > size) return 0;
    text[length] = '\\';
    text[length + 1] = '\0';
    return 1;
}

int pathStripBackslash(char* text) {
    char* last = lastCharStart(text);
    if (!last || *last != '\\') return 0;
    *last = '\0';
    return 1;
}

// True when pattern's characters stand at text, compared one whole character
// at a time: a double-byte character never matches half of another.
static bool matchesAt(const char* text, const char* pattern) {
    while (*pattern) {
        const char* nextText = charNext(text);
        const char* nextPattern = charNext(pattern);
        size_t width = static_cast<size_t>(nextPattern - pattern);
        if (static_cast<size_t>(nextText - text) != width) return false;
        if (memcmp(text, pattern, width) != 0) return false;
        text = nextText;
        pattern = nextPattern;
    }
    return true;
}

const char* strFind(const char* text, const char* pattern) {
    for (const char* p = text; *p; p = charNext(p)) {
        if (matchesAt(p, pattern)) return p;
    }
    return nullptr;
}

char* strLowerAscii(char* text) {
    for (char* p = text; *p; p = charNext(p)) {
        if (*p >= 'A' && *p <= 'Z') *p = static_cast<char>(*p - 'A' + 'a');
    }
    return text;
}

char* strDupExtra(const char* text, size_t extra) {
    size_t length = strlen(text);
    char* copy = static_cast<char*>(textAlloc(length + extra + 1));
    if (copy) memcpy(copy, text, length + 1);
    return copy;
}

const char* strLastChar(const char* text, char byte) {
    const char* found = nullptr;
    for (const char* p = text; *p; p = charNext(p)) {
        if (*p == byte) found = p;
    }
    return found;
}

char* strLastChar(char* text, char byte) {
    return const_cast<char*>(strLastChar(static_cast<const char*>(text), byte));
}

const char* strFirstChar(const char* text, char byte) {
    const char* p = text;
    for (; *p; p = charNext(p)) {
        if (*p == byte) return p;
    }
    return byte == '\0' ? p : nullptr;
}

char* strFirstChar(char* text, char byte) {
    return const_cast<char*>(strFirstChar(static_cast<const char*>(text), byte));
}

int32_t parseDigits(const char* text) {
    uint32_t value = 0;
    for (const char* p = text; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10u + static_cast<uint32_t>(*p - '0');
    }
    return static_cast<int32_t>(value);
}

int strCopyFit(char* dst, size_t size, const char* src) {
    size_t length = strlen(src);
    if (length >= size) return 0;
    memcpy(dst, src, length + 1);
    return 1;
}

int strAppendFit(char* dst, size_t size, const char* src) {
    size_t used = strlen(dst);
    return used < size ? strCopyFit(dst + used, size - used, src) : 0;
}

#ifdef _WIN32

int pathMakeDirs(const char* path) {
    char saved[kPathSize];
    DWORD got = GetCurrentDirectoryA(sizeof saved, saved);
    if (got == 0 || got >= sizeof saved) return 0;

    char work[kPathSize];
    if (!strCopyFit(work, sizeof work, path)) return 0;
    pathAddBackslash(work, sizeof work);
    char* last = lastCharStart(work);
    if (!last || *last != '\\') return 0;  // no room for the backslash

    for (char* p = work; *p; p = charNext(p)) {
        if (*p != '\\') continue;
        char kept = p[1];
        p[1] = '\0';
        CreateDirectoryA(work, nullptr);
        p[1] = kept;
    }
    return SetCurrentDirectoryA(saved) ? 1 : 0;
}

#endif
