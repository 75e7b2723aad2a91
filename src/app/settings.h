// The settings file beside the executable and what lives from one run to the
// next: the option flags, the plug-in directory, three recent-directory
// lists, the named condition sets and every plug-in's flag and position.
// Loaded once at start-up; nothing is written until settingsSave.
#pragma once

#include <stdint.h>

#include "app/platform.h"
#include "app/text.h"
#include "search/condition.h"

// One entry of a recent-directory list, most recent first. The node owns
// path; recurse matters for the search list only (non-zero: with
// subdirectories) and is written back exactly as held.
struct RecentDir {
    char* path;
    int32_t recurse;
    RecentDir* next;
};

// A named copy of the condition list. The set owns name, the items array
// and every Condition in it; itemCount is at least 1.
struct ConditionSet {
    char* name;
    uint32_t itemCount;
    Condition** items;
    ConditionSet* next;
};

// Every field is named after its key in the "trawlix" section.
struct AppSettings {
    char SPIDir[kPathSize];
    int32_t UsePreviewPane;
    int32_t KeepAspectRatio;
    int32_t PreviewStretchMode;
    int32_t KeepPreviewWindowPos;
    int32_t UncheckWhenFOPSuccessful;
    int32_t HowtoWhenAlreadyExist;
    int32_t ListupAllFiles;
    int32_t FastScan;
    int32_t OldEnterOperation;
    int32_t TBFindAlwaysAsk;
    int32_t TBCopyAlwaysAsk;
    int32_t TBMoveAlwaysAsk;
    int32_t TBTrashIsDelete;
    int32_t TBWallDefaultStyle;
    int32_t reShowSetting;
    int32_t recentScandirItems;
    int32_t recentCopydirItems;
    int32_t recentMovedirItems;
    // 1: picture sizes are remembered between searches (sizesPath), so an
    // unchanged file is not opened again.
    int32_t RememberSizes;
    RecentDir* recentScandir;
    RecentDir* recentCopydir;
    RecentDir* recentMovedir;
};

extern AppSettings appSettings;
// Most recently stored or used first.
extern ConditionSet* conditionSets;

// Section names of the settings file.
extern const char kIniSection[];
extern const char kIniPluginSection[];

// The executable's path with its extension replaced by ".ini" (appended when
// the file name has none), into path (kPathSize bytes). 1, or 0 when the
// path does not fit.
int settingsIniPath(char* path);
// The remembered picture sizes' file beside the settings file, into path
// (kPathSize bytes); 0 when it does not fit.
int settingsSizesPath(char* path);
// The same rule for the executable at modulePath.
int settingsIniPathFor(const char* modulePath, char* path);

// Writes value as "%d" under key.
void iniWriteInt(const char* section, const char* key, int32_t value, const char* iniPath);

// Loads everything from the settings file (defaults where keys are absent)
// and re-orders spiList by the stored plug-in positions. Returns 1, or 0
// after telling the user that a condition set is corrupt (the program then
// ends without saving).
int settingsLoad();
int settingsLoadFrom(const char* iniPath);

// Writes everything but SPIDir. With release 1 every recent node, set and
// condition is freed as soon as it is written, leaving all lists empty.
void settingsSave(int release);
void settingsSaveTo(const char* iniPath, int release);

// Puts path at the head of list unless an entry names the same directory
// (compared ignoring ASCII case and a trailing backslash). Returns 1 when
// added: the node then owns path. Returns 0 when not: path stays the caller's.
int recentDirPush(RecentDir*& list, char* path, int32_t recurse);

// Frees one node and its path.
void recentDirFree(RecentDir* node);

// Stores the rows of the condition list view as the set called name, at the
// front of conditionSets; a set of that name already stored is replaced in
// place of its conditions and keeps its own name text. Takes ownership of
// name only when it creates a new set. Returns 1.
int conditionSetStore(HWND list, char* name);

// Frees a set with its name, conditions and array.
void conditionSetFree(ConditionSet* set);
