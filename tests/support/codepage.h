// Which code page the text under test is in.
#pragma once

#include "app/platform.h"

// True when text steps in double-byte characters: always on the host (its
// stepping layer follows code page 932), on Windows when the ANSI code page
// is a double-byte one such as 932.
inline bool doubleByteCodePage() {
#ifdef _WIN32
    return IsDBCSLeadByte(0x95) != 0;
#else
    return true;
#endif
}
