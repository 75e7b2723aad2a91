// The settings drop-down: one popup that shows and changes every option of
// AppSettings, and opens the plug-in dialog or writes the settings file.
#pragma once

#include "app/platform.h"
#include "ui/mainstate.h"

// Checks the items of a copy of the settings menu whose option holds the
// value they stand for; other state bits (grayed) stay as they are.
void settingsMenuMarks(HMENU menu);

// Carries out the settings item chosen for the main window. Ids that are
// not settings items do nothing.
void settingsMenuApply(MainWindowState& s, int id);
