#include "ui/settingsmenu.h"

#include "app/settings.h"
#include "resource.h"
#include "spi/spidialog.h"

namespace {

using Field = int32_t AppSettings::*;

// An on/off option: checked while on; choosing it turns it over. A value
// other than 0 or 1 (a hand-edited file) counts as on, as the program
// treats it.
struct Toggle {
    int id;
    Field field;
    bool repaint;  // the preview draws with it
};
constexpr Toggle kToggles[] = {
    {IDM_FIND_ALWAYS_ASKS, &AppSettings::TBFindAlwaysAsk, false},
    {IDM_COPY_ALWAYS_ASKS, &AppSettings::TBCopyAlwaysAsk, false},
    {IDM_MOVE_ALWAYS_ASKS, &AppSettings::TBMoveAlwaysAsk, false},
    {IDM_TRASH_IS_DELETE, &AppSettings::TBTrashIsDelete, false},
    {IDM_FAST_SCAN, &AppSettings::FastScan, false},
    {IDM_LIST_ALL_FILES, &AppSettings::ListupAllFiles, false},
    {IDM_USE_PREVIEW_PANE, &AppSettings::UsePreviewPane, false},
    {IDM_KEEP_ASPECT, &AppSettings::KeepAspectRatio, true},
    {IDM_KEEP_PREVIEW_POS, &AppSettings::KeepPreviewWindowPos, false},
    {IDM_UNCHECK_ON_SUCCESS, &AppSettings::UncheckWhenFOPSuccessful, false},
    {IDM_RESHOW_SETTINGS, &AppSettings::reShowSetting, false},
};

// One choice of a group: checked while the option holds value; choosing it
// sets value.
struct Choice {
    int id;
    Field field;
    int32_t value;
    bool repaint;
};
constexpr Choice kChoices[] = {
    {IDM_WALL_DEFAULT_STRETCH, &AppSettings::TBWallDefaultStyle, 2, false},
    {IDM_WALL_DEFAULT_TILE, &AppSettings::TBWallDefaultStyle, 1, false},
    {IDM_WALL_DEFAULT_CENTER, &AppSettings::TBWallDefaultStyle, 0, false},
    {IDM_STRETCH_BLACKONWHITE, &AppSettings::PreviewStretchMode, 1, true},
    {IDM_STRETCH_WHITEONBLACK, &AppSettings::PreviewStretchMode, 2, true},
    {IDM_STRETCH_COLORONCOLOR, &AppSettings::PreviewStretchMode, 3, true},
    {IDM_STRETCH_HALFTONE, &AppSettings::PreviewStretchMode, 4, true},
    {IDM_ENTER_OPENS, &AppSettings::OldEnterOperation, 0, false},
    {IDM_EXIST_RENAME, &AppSettings::HowtoWhenAlreadyExist, 0, false},
    {IDM_EXIST_OVERWRITE, &AppSettings::HowtoWhenAlreadyExist, 1, false},
    {IDM_EXIST_SKIP, &AppSettings::HowtoWhenAlreadyExist, 2, false},
};

void markIf(HMENU menu, int id, bool checked) {
    MENUITEMINFOA item = {};
    item.cbSize = sizeof item;
    item.fMask = MIIM_STATE;
    if (!GetMenuItemInfoA(menu, id, FALSE, &item)) return;
    if (checked) item.fState |= MFS_CHECKED;
    SetMenuItemInfoA(menu, id, FALSE, &item);
}

// The preview redraws with the new value at its next paint.
void repaintPreview(const MainWindowState& s) {
    InvalidateRect(s.pikture, nullptr, FALSE);
}

}  // namespace

void settingsMenuMarks(HMENU menu) {
    for (const Toggle& t : kToggles) markIf(menu, t.id, appSettings.*t.field != 0);
    for (const Choice& c : kChoices) markIf(menu, c.id, appSettings.*c.field == c.value);
    // Any non-zero value is the old-style Enter.
    markIf(menu, IDM_ENTER_TOGGLES_CHECK, appSettings.OldEnterOperation != 0);
}

void settingsMenuApply(MainWindowState& s, int id) {
    for (const Toggle& t : kToggles) {
        if (t.id != id) continue;
        appSettings.*t.field = appSettings.*t.field == 0 ? 1 : 0;
        if (t.repaint) repaintPreview(s);
        return;
    }
    for (const Choice& c : kChoices) {
        if (c.id != id) continue;
        appSettings.*c.field = c.value;
        if (c.repaint) repaintPreview(s);
        return;
    }
    switch (id) {
    case IDM_ENTER_TOGGLES_CHECK:
        appSettings.OldEnterOperation = 1;
        break;
    case IDM_PLUGIN_SETTINGS:
        spiSettingsRun(s.window);
        break;
    case IDM_WRITE_NOW:
        settingsSave(0);
        break;
    }
}
