#include "app/resstring.h"

#include <stdarg.h>
#include <stdio.h>

#include <atomic>
#include <new>

#include "app/text.h"

namespace {

// Entries are only ever appended, with a compare-and-swap on the link that
// ends the list, so a worker and the window thread may load texts at once.
struct StringCacheEntry {
    int id;
    char* text;
    std::atomic<StringCacheEntry*> next;
};

std::atomic<StringCacheEntry*> cacheHead{nullptr};

constexpr int kLoadStep = 256;

// Loads id into a fresh heap buffer, growing it while the loader may have cut
// the text (it copies at most size - 1 bytes). Returns none when the heap refuses.
char* loadWhole(HINSTANCE instance, int id) {
    int size = kLoadStep;
    char* buffer = static_cast<char*>(textAlloc(size));
    while (buffer) {
        int copied = LoadStringA(instance, id, buffer, size);
        if (copied < size - 1) return buffer;
        size += kLoadStep;
        char* grown = static_cast<char*>(
            HeapReAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, buffer, size));
        if (!grown) textFree(buffer);
        buffer = grown;
    }
    return nullptr;
}

}  // namespace

const char* resString(int id) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    char probe[3];
    if (LoadStringA(instance, id, probe, sizeof probe) <= 0) return nullptr;

    std::atomic<StringCacheEntry*>* link = &cacheHead;
    for (StringCacheEntry* e = link->load(); e; e = e->next.load()) {
        if (e->id == id) return e->text;
        link = &e->next;
    }

    char* text = loadWhole(instance, id);
    if (!text) return nullptr;
    void* block = textAlloc(sizeof(StringCacheEntry));
    if (!block) {
        textFree(text);
        return nullptr;
    }
    StringCacheEntry* entry = new (block) StringCacheEntry{id, text, {nullptr}};

    // Append at the tail; another thread may have appended meanwhile, perhaps
    // this very id, in which case its text is the one every caller gets.
    for (;;) {
        StringCacheEntry* expected = nullptr;
        if (link->compare_exchange_strong(expected, entry)) return text;
        if (expected->id == id) {
            textFree(text);
            textFree(entry);
            return expected->text;
        }
        link = &expected->next;
    }
}

void resStringRelease() {
    StringCacheEntry* e = cacheHead.exchange(nullptr);
    while (e) {
        StringCacheEntry* next = e->next.load();
        textFree(e->text);
        textFree(e);
        e = next;
    }
}

size_t resStringCachedCount() {
    size_t count = 0;
    for (StringCacheEntry* e = cacheHead.load(); e; e = e->next.load()) ++count;
    return count;
}

int resMessageBox(HWND owner, int textId, int captionId, UINT type) {
    const char* text = resString(textId);
    const char* caption = resString(captionId);
    if (!text || !caption) return 0;
    return MessageBoxA(owner, text, caption, type);
}

int resMessageBoxFormat(HWND owner, int formatId, int captionId, UINT type, ...) {
    const char* format = resString(formatId);
    if (!format) return 0;
    va_list arguments;
    va_start(arguments, type);
    va_list measuring;
    va_copy(measuring, arguments);
    int length = vsnprintf(nullptr, 0, format, measuring);
    va_end(measuring);
    char* text = length >= 0 ? static_cast<char*>(textAlloc(static_cast<size_t>(length) + 1)) : nullptr;
    if (text) vsnprintf(text, static_cast<size_t>(length) + 1, format, arguments);
    va_end(arguments);
    int answer = text ? resMessageBoxText(owner, text, captionId, type) : 0;
    textFree(text);
    return answer;
}

int resMessageBoxText(HWND owner, const char* text, int captionId, UINT type) {
    return MessageBoxA(owner, text, resString(captionId), type);
}
