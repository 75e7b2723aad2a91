#include "search/sortkey.h"

#include "app/charstep.h"
#include "app/platform.h"

namespace {

// Texts compare by at most this many leading bytes, a double-byte character
// never cut in two.
constexpr size_t kSortTextBytes = 29;
}  // namespace

size_t resultsSortTextLength(const char* text) {
    const char* end = text;
    while (*end) {
        const char* next = charNext(end);
        if (static_cast<size_t>(next - text) > kSortTextBytes) break;
        end = next;
    }
    return static_cast<size_t>(end - text);
}

#ifdef _WIN32
// A sort key of up to 29 characters fits easily in this many bytes.
constexpr int kWideSortText = 64;

size_t resultSortKey(const char* text, size_t length, unsigned char* key, size_t keySize) {
    // lstrcmpA compares in the thread's locale after converting from the ANSI
    // code page; a key made the same way orders texts the same way.
    WCHAR wide[kWideSortText];
    int count = MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), wide, kWideSortText);
    if (count <= 0) return 0;
    int got = LCMapStringW(GetThreadLocale(), LCMAP_SORTKEY, wide, count, reinterpret_cast<WCHAR*>(key),
                           static_cast<int>(keySize));
    return got > 0 ? static_cast<size_t>(got) : 0;
}
#endif
