#include "app/settings.h"

#include <stdio.h>
#include <string.h>

#include <commctrl.h>

#include "app/resstring.h"
#include "spi/plugins.h"

AppSettings appSettings;
ConditionSet* conditionSets = nullptr;

const char kIniSection[] = "trawlix";
const char kIniPluginSection[] = "plugins";

namespace {

constexpr int kStringCorruptSet = 9;
constexpr size_t kKeySize = 64;

struct IntKey {
    const char* key;
    int32_t AppSettings::*field;
    int32_t fallback;
};

// The integer keys in the order they are read and written.
constexpr IntKey kIntKeys[] = {
    {"UsePreviewPane", &AppSettings::UsePreviewPane, 1},
    {"KeepAspectRatio", &AppSettings::KeepAspectRatio, 1},
    {"PreviewStretchMode", &AppSettings::PreviewStretchMode, 4},
    {"KeepPreviewWindowPos", &AppSettings::KeepPreviewWindowPos, 1},
    {"UncheckWhenFOPSuccessful", &AppSettings::UncheckWhenFOPSuccessful, 1},
    {"HowtoWhenAlreadyExist", &AppSettings::HowtoWhenAlreadyExist, 2},
    {"ListupAllFiles", &AppSettings::ListupAllFiles, 0},
    {"FastScan", &AppSettings::FastScan, 0},
    {"OldEnterOperation", &AppSettings::OldEnterOperation, 0},
    {"TBFindAlwaysAsk", &AppSettings::TBFindAlwaysAsk, 0},
    {"TBCopyAlwaysAsk", &AppSettings::TBCopyAlwaysAsk, 0},
    {"TBMoveAlwaysAsk", &AppSettings::TBMoveAlwaysAsk, 0},
    {"TBTrashIsDelete", &AppSettings::TBTrashIsDelete, 0},
    {"TBWallDefaultStyle", &AppSettings::TBWallDefaultStyle, 2},
    {"reShowSetting", &AppSettings::reShowSetting, 0},
    {"recentScandirItems", &AppSettings::recentScandirItems, 5},
    {"recentCopydirItems", &AppSettings::recentCopydirItems, 5},
    {"recentMovedirItems", &AppSettings::recentMovedirItems, 5},
    {"RememberSizes", &AppSettings::RememberSizes, 1},
};
static_assert(sizeof kIntKeys / sizeof kIntKeys[0] == 19, "nineteen integer keys");

struct RecentList {
    const char* key;            // "%d" takes the entry's index
    const char* recurseKey;     // none for lists without a recurse flag
    RecentDir* AppSettings::*head;
};

constexpr RecentList kRecentLists[] = {
    {"recentScandir%d", "recentScandirRecurse%d", &AppSettings::recentScandir},
    {"recentCopydir%d", nullptr, &AppSettings::recentCopydir},
    {"recentMovedir%d", nullptr, &AppSettings::recentMovedir},
};

// The text of key as a heap text of any length, or none when the key is
// absent or empty.
char* iniReadText(const char* section, const char* key, const char* iniPath) {
    DWORD size = 256;
    for (;;) {
        char* text = static_cast<char*>(textAlloc(size));
        if (!text) return nullptr;
        DWORD got = GetPrivateProfileStringA(section, key, "", text, size, iniPath);
        if (got == 0) {
            textFree(text);
            return nullptr;
        }
        if (got < size - 1) return text;
        textFree(text);  // may have been cut: read again with more room
        size *= 2;
    }
}

int32_t iniReadInt(const char* section, const char* key, int32_t fallback, const char* iniPath) {
    return static_cast<int32_t>(GetPrivateProfileIntA(section, key, fallback, iniPath));
}

void iniDelete(const char* section, const char* key, const char* iniPath) {
    WritePrivateProfileStringA(section, key, nullptr, iniPath);
}

// A list key for index n (and k).
void keyOf(char* key, const char* format, int n, int k = 0) {
    snprintf(key, kKeySize, format, n, k);
}

void loadRecentList(const RecentList& list, const char* iniPath) {
    RecentDir** tail = &(appSettings.*list.head);
    *tail = nullptr;
    char key[kKeySize];
    for (int n = 0;; ++n) {
        keyOf(key, list.key, n);
        char* path = iniReadText(kIniSection, key, iniPath);
        if (!path) return;
        // A path too long for a path buffer is dropped, never cut into
        // another directory's name.
        if (strlen(path) >= kPathSize) {
            textFree(path);
            continue;
        }
        RecentDir* node = static_cast<RecentDir*>(textAlloc(sizeof(RecentDir)));
        if (!node) {
            textFree(path);
            return;
        }
        node->path = path;
        if (list.recurseKey) {
            keyOf(key, list.recurseKey, n);
            node->recurse = iniReadInt(kIniSection, key, 0, iniPath);
        }
        *tail = node;
        tail = &node->next;
    }
}

// Reads set n, or returns none at the end of the sets. corrupt is set when
// the set has a name but no condition.
ConditionSet* loadConditionSet(int n, const char* iniPath, bool& corrupt) {
    char key[kKeySize];
    keyOf(key, "ConditionSet%d.Name", n);
    char* name = iniReadText(kIniSection, key, iniPath);
    if (!name) return nullptr;
    uint32_t count = 0;
    for (;; ++count) {
        keyOf(key, "ConditionSet%d.%d.width", n, static_cast<int>(count));
        char value[16];
        if (GetPrivateProfileStringA(kIniSection, key, "", value, sizeof value, iniPath) == 0) break;
    }
    if (count == 0) {
        textFree(name);
        corrupt = true;
        return nullptr;
    }
    ConditionSet* set = static_cast<ConditionSet*>(textAlloc(sizeof(ConditionSet)));
    Condition** items = static_cast<Condition**>(textAlloc(count * sizeof(Condition*)));
    if (!set || !items) {
        textFree(items);
        textFree(set);
        textFree(name);
        return nullptr;
    }
    set->name = name;
    set->items = items;
    for (uint32_t k = 0; k < count; ++k) {
        Condition* c = static_cast<Condition*>(textAlloc(sizeof(Condition)));
        if (!c) break;
        int kk = static_cast<int>(k);
        keyOf(key, "ConditionSet%d.%d.width", n, kk);
        c->width = static_cast<uint32_t>(iniReadInt(kIniSection, key, 0, iniPath));
        keyOf(key, "ConditionSet%d.%d.height", n, kk);
        c->height = static_cast<uint32_t>(iniReadInt(kIniSection, key, 0, iniPath));
        keyOf(key, "ConditionSet%d.%d.cond", n, kk);
        c->cond = iniReadInt(kIniSection, key, 0, iniPath);
        items[k] = c;
        set->itemCount = k + 1;
    }
    return set;
}

// Frees a set's conditions and their array; the set keeps its name.
void freeConditions(ConditionSet& set) {
    for (uint32_t k = 0; k < set.itemCount; ++k) textFree(set.items[k]);
    textFree(set.items);
    set.items = nullptr;
    set.itemCount = 0;
}

// The sort key of a plug-in: its stored order, every negative one as first.
int32_t orderKey(const SusiePlugin& plugin) {
    return plugin.order < 0 ? INT32_MIN : plugin.order;
}

// The plug-in's key: its file name in lower case.
void pluginKey(const SusiePlugin& plugin, char* key) {
    strCopyFit(key, kPathSize, plugin.fileName);
    strLowerAscii(key);
}

// Stable sort of spiList by ascending order. Negative orders, which only a
// hand-edited file holds, all count as "first" and keep discovery order.
void sortPlugins() {
    SusiePlugin* sorted = nullptr;
    SusiePlugin** tail = &sorted;
    while (spiList) {
        // Take the smallest key left, with every record of that key in list order.
        int32_t smallest = INT32_MAX;
        for (SusiePlugin* p = spiList; p; p = p->next) {
            if (orderKey(*p) < smallest) smallest = orderKey(*p);
        }
        for (SusiePlugin** link = &spiList; *link;) {
            SusiePlugin* p = *link;
            if (orderKey(*p) != smallest) {
                link = &p->next;
                continue;
            }
            *link = p->next;
            p->next = nullptr;
            *tail = p;
            tail = &p->next;
        }
    }
    spiList = sorted;
}

void loadPluginFlags(const char* iniPath) {
    char key[kPathSize];
    for (SusiePlugin* p = spiList; p; p = p->next) {
        pluginKey(*p, key);
        int32_t value = iniReadInt(kIniPluginSection, key, 1, iniPath);
        p->enabled = value & 1;
        p->order = value >> 1;
    }
    sortPlugins();
}

void saveRecentList(const RecentList& list, const char* iniPath, int release) {
    RecentDir*& head = appSettings.*list.head;
    char key[kKeySize];
    int n = 0;
    for (RecentDir* node = head; node; ++n) {
        RecentDir* next = node->next;
        keyOf(key, list.key, n);
        WritePrivateProfileStringA(kIniSection, key, node->path, iniPath);
        if (list.recurseKey) {
            keyOf(key, list.recurseKey, n);
            iniWriteInt(kIniSection, key, node->recurse, iniPath);
        }
        if (release) recentDirFree(node);
        node = next;
    }
    keyOf(key, list.key, n);
    iniDelete(kIniSection, key, iniPath);
    if (release) head = nullptr;
}

void saveConditionSets(const char* iniPath, int release) {
    char key[kKeySize];
    int n = 0;
    for (ConditionSet* set = conditionSets; set; set = set->next) {
        // An empty name would end the list when it is read back, losing
        // every later set: such a set is not written.
        if (set->name[0] == '\0') continue;
        keyOf(key, "ConditionSet%d.Name", n);
        WritePrivateProfileStringA(kIniSection, key, set->name, iniPath);
        for (uint32_t k = 0; k < set->itemCount; ++k) {
            const Condition& c = *set->items[k];
            int kk = static_cast<int>(k);
            keyOf(key, "ConditionSet%d.%d.width", n, kk);
            iniWriteInt(kIniSection, key, static_cast<int32_t>(c.width), iniPath);
            keyOf(key, "ConditionSet%d.%d.height", n, kk);
            iniWriteInt(kIniSection, key, static_cast<int32_t>(c.height), iniPath);
            keyOf(key, "ConditionSet%d.%d.cond", n, kk);
            iniWriteInt(kIniSection, key, c.cond, iniPath);
        }
        keyOf(key, "ConditionSet%d.%d.width", n, static_cast<int>(set->itemCount));
        iniDelete(kIniSection, key, iniPath);
        ++n;
    }
    keyOf(key, "ConditionSet%d.Name", n);
    iniDelete(kIniSection, key, iniPath);
    if (!release) return;
    while (conditionSets) {
        ConditionSet* next = conditionSets->next;
        conditionSetFree(conditionSets);
        conditionSets = next;
    }
}

// The comparison form of a directory: lower-case ASCII, one trailing
// backslash. A heap text the caller frees, or none.
char* directoryKey(const char* path) {
    char* key = strDupExtra(path, 1);
    if (!key) return nullptr;
    strLowerAscii(key);
    pathAddBackslash(key, strlen(key) + 2);
    return key;
}

}  // namespace

int settingsIniPath(char* path) {
    char module[kPathSize];
    DWORD got = GetModuleFileNameA(nullptr, module, sizeof module);
    if (got == 0 || got >= sizeof module) return 0;
    return settingsIniPathFor(module, path);
}

int settingsSizesPath(char* path) {
    if (!settingsIniPath(path)) return 0;
    // "trawlix.ini" becomes "trawlix.sizes": the same name, beside it.
    char* dot = strLastChar(pathFileName(path), '.');
    if (!dot) return 0;
    *dot = '\0';
    return strAppendFit(path, kPathSize, ".sizes");
}

int settingsIniPathFor(const char* modulePath, char* path) {
    const char* name = pathFileName(modulePath);
    // Only a dot in the file name starts the extension, never one in a folder's name.
    const char* dot = strLastChar(name, '.');
    size_t length = dot ? static_cast<size_t>(dot - modulePath) : strlen(modulePath);
    if (length + sizeof ".ini" > kPathSize) return 0;
    memcpy(path, modulePath, length);
    memcpy(path + length, ".ini", sizeof ".ini");
    return 1;
}

void iniWriteInt(const char* section, const char* key, int32_t value, const char* iniPath) {
    char text[16];
    wsprintfA(text, "%d", value);
    WritePrivateProfileStringA(section, key, text, iniPath);
}

int settingsLoad() {
    char iniPath[kPathSize];
    if (!settingsIniPath(iniPath)) iniPath[0] = '\0';
    return settingsLoadFrom(iniPath);
}

int settingsLoadFrom(const char* iniPath) {
    char dir[kPathSize + 1];
    DWORD got = GetPrivateProfileStringA(kIniSection, "SPIDir", ".", dir, sizeof dir, iniPath);
    strCopyFit(appSettings.SPIDir, sizeof appSettings.SPIDir, got < kPathSize ? dir : ".");

    for (const IntKey& k : kIntKeys) {
        appSettings.*k.field = iniReadInt(kIniSection, k.key, k.fallback, iniPath);
    }
    for (const RecentList& list : kRecentLists) loadRecentList(list, iniPath);

    ConditionSet** tail = &conditionSets;
    while (*tail) tail = &(*tail)->next;
    for (int n = 0;; ++n) {
        bool corrupt = false;
        ConditionSet* set = loadConditionSet(n, iniPath, corrupt);
        if (corrupt) {
            resMessageBox(nullptr, kStringCorruptSet, kCaptionFatal, MB_OK | MB_ICONERROR);
            return 0;
        }
        if (!set) break;
        *tail = set;
        tail = &set->next;
    }
    loadPluginFlags(iniPath);
    return 1;
}

void settingsSave(int release) {
    char iniPath[kPathSize];
    if (!settingsIniPath(iniPath)) return;
    settingsSaveTo(iniPath, release);
}

void settingsSaveTo(const char* iniPath, int release) {
    for (const IntKey& k : kIntKeys) iniWriteInt(kIniSection, k.key, appSettings.*k.field, iniPath);
    for (const RecentList& list : kRecentLists) saveRecentList(list, iniPath, release);
    saveConditionSets(iniPath, release);

    char key[kPathSize];
    int32_t position = 0;
    for (SusiePlugin* p = spiList; p; p = p->next, ++position) {
        pluginKey(*p, key);
        iniWriteInt(kIniPluginSection, key, position << 1 | (p->enabled & 1), iniPath);
    }
}

int recentDirPush(RecentDir*& list, char* path, int32_t recurse) {
    char* key = directoryKey(path);
    if (!key) return 0;
    for (RecentDir* node = list; node; node = node->next) {
        char* other = directoryKey(node->path);
        bool same = other && lstrcmpA(key, other) == 0;
        textFree(other);
        if (same) {
            textFree(key);
            return 0;
        }
    }
    textFree(key);
    RecentDir* node = static_cast<RecentDir*>(textAlloc(sizeof(RecentDir)));
    if (!node) return 0;
    node->path = path;
    node->recurse = recurse;
    node->next = list;
    list = node;
    return 1;
}

void recentDirFree(RecentDir* node) {
    textFree(node->path);
    textFree(node);
}

void conditionSetFree(ConditionSet* set) {
    freeConditions(*set);
    textFree(set->name);
    textFree(set);
}

int conditionSetStore(HWND list, char* name) {
    ConditionSet* set = nullptr;
    for (ConditionSet** link = &conditionSets; *link; link = &(*link)->next) {
        if (lstrcmpA((*link)->name, name) == 0) {
            set = *link;
            *link = set->next;
            break;
        }
    }
    if (set) {
        freeConditions(*set);
    } else {
        set = static_cast<ConditionSet*>(textAlloc(sizeof(ConditionSet)));
        if (!set) return 1;
        set->name = name;
    }
    int rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    set->itemCount = 0;
    set->items = static_cast<Condition**>(textAlloc((rows > 0 ? rows : 1) * sizeof(Condition*)));
    for (int row = 0; set->items && row < rows; ++row) {
        const Condition* from = conditionListItem(list, row);
        Condition* copy = static_cast<Condition*>(textAlloc(sizeof(Condition)));
        if (!from || !copy) {
            textFree(copy);
            continue;
        }
        *copy = *from;
        set->items[set->itemCount++] = copy;
    }
    set->next = conditionSets;
    conditionSets = set;
    return 1;
}
