#include "app/charstep.h"

#include "app/platform.h"

#ifdef _WIN32

const char* charNext(const char* p) {
    return CharNextA(p);
}

#else

// Lead bytes of code page 932 (Shift-JIS): a lead byte and the byte after it
// form one character, unless the text ends after the lead byte.
static bool isLeadByte932(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

const char* charNext(const char* p) {
    if (*p == '\0') return p;
    if (isLeadByte932(static_cast<unsigned char>(*p)) && p[1] != '\0') return p + 2;
    return p + 1;
}

#endif

char* charNext(char* p) {
    return const_cast<char*>(charNext(static_cast<const char*>(p)));
}
