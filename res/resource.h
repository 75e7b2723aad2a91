// Ids of the executable's resources, shared by the resource scripts and the
// code: every number is written here once.
#pragma once

// Icon, toolbar image strip, manifest.
#define IDI_APP 101
#define IDB_TOOLBAR 102

// Strings: start-up and settings failures.
#define IDS_REGISTER_FAILED 1
#define IDS_CREATE_FAILED 2
#define IDS_MAIN_TITLE 3
#define IDS_DIVIDER_INIT_FAILED 4
#define IDS_TOOLIST_INIT_FAILED 5
#define IDS_PLUGIN_CWD_FAILED 6
#define IDS_NO_PLUGIN 7
#define IDS_PIKTURE_INIT_FAILED 8
#define IDS_CORRUPT_SET 9
// Message-box captions.
#define IDS_CAPTION_FATAL 1000
#define IDS_CAPTION_ERROR 1001
#define IDS_CAPTION_WARNING 1002
#define IDS_CAPTION_CONFIRM 1003
// List-view column headings.
#define IDS_COL_FILENAME 2000
#define IDS_COL_PICTURESIZE 2001
#define IDS_COL_FILESIZE 2002
#define IDS_COL_FULLPATH 2003
#define IDS_COL_CONDITION 2004
#define IDS_COL_EXCLUDEPATH 2005
#define IDS_COL_HANDLEDBY 2006
#define IDS_COL_PLUGIN_FILENAME 2007
#define IDS_COL_DESCRIPTION 2008
// Prompts, confirmations and failures of the commands.
#define IDS_PROMPT_SEARCH 3000
#define IDS_SELECT_DIRECTORY 3001
#define IDS_PROMPT_COPY 3003
#define IDS_PROMPT_MOVE 3004
#define IDS_CONFIRM_COPY 3005
#define IDS_CONFIRM_MOVE 3006
#define IDS_NO_CHECKED 3007
#define IDS_CONFIRM_DELETE_SET 3008
#define IDS_NO_CONDITIONS_TO_SAVE 3009
#define IDS_FOUND_SUMMARY 3010
#define IDS_ADD_CONDITION_FIRST 3011
#define IDS_NO_MATCH 3012
#define IDS_NO_FRAME 3013
#define IDS_NO_HELP 3014
#define IDS_CONFIRM_TRASH 3015
#define IDS_CONFIRM_DELETE 3016
#define IDS_SELECT_WALLPAPER 3017
#define IDS_WALLPAPER_WRITE_FAILED 3018
#define IDS_WALLPAPER_FILEHEADER_FAILED 3019
#define IDS_WALLPAPER_INFOHEADER_FAILED 3020
#define IDS_WALLPAPER_IMAGE_FAILED 3021
#define IDS_CREATE_DESTINATION 3022
#define IDS_DESTINATION_FAILED 3023
#define IDS_INPUT_DIRECTORY 3024
#define IDS_PROMPT_PLUGIN_DIR 3025
#define IDS_PATH_TOO_LONG 3026
#define IDS_SEARCH_DIR_FAILED 3027
#define IDS_PLUGIN_FAULTED 3028
#define IDS_ACTION_STOPPED 3029
#define IDS_PLUGIN_HUNG 3030

// Toolbar commands; each button's tooltip is the string of the same id.
#define CMD_ADD_CONDITION 40001
#define CMD_DELETE_CONDITIONS 40002
#define CMD_ADD_EXCLUDE 40003
#define CMD_DELETE_EXCLUDES 40004
#define CMD_CONDITION_SETS 40005
#define CMD_FIND 40006
#define CMD_STOP 40007
#define CMD_COPY 40008
#define CMD_MOVE 40009
#define CMD_HELP 40010
#define CMD_CHECK_STATE 40011
#define CMD_SETTINGS 40022
#define CMD_TRASH 40041
#define CMD_WALLPAPER 40044

// Drop-down menu items.
#define IDM_FIRST 1
#define IDM_RECENT_FIRST 2  // the recent entries and stored sets appended to a menu: 2, 3, ...
#define IDM_RECENT_HEADER 40015
#define IDM_CHECK_ALL 40016
#define IDM_UNCHECK_ALL 40017
#define IDM_CHECK_INVERT 40018
#define IDM_HELP_CONTENTS 40020
#define IDM_ABOUT 40021
#define IDM_TRASH_RECYCLE 40042
#define IDM_TRASH_ERASE 40043
#define IDM_WALL_CENTER 40045
#define IDM_WALL_TILE 40046
#define IDM_WALL_STRETCH 40047
#define IDM_WALL_NONE 40048

// Settings menu items.
#define IDM_KEEP_PREVIEW_POS 40023
#define IDM_EXIST_RENAME 40024
#define IDM_EXIST_OVERWRITE 40025
#define IDM_EXIST_SKIP 40026
#define IDM_PLUGIN_SETTINGS 40027
#define IDM_USE_PREVIEW_PANE 40028
#define IDM_UNCHECK_ON_SUCCESS 40029
#define IDM_KEEP_ASPECT 40030
#define IDM_LIST_ALL_FILES 40031
#define IDM_STRETCH_BLACKONWHITE 40032
#define IDM_STRETCH_WHITEONBLACK 40034
#define IDM_STRETCH_COLORONCOLOR 40035
#define IDM_STRETCH_HALFTONE 40036
#define IDM_FAST_SCAN 40038
#define IDM_WRITE_NOW 40039
#define IDM_ENTER_TOGGLES_CHECK 40049
#define IDM_ENTER_OPENS 40050
#define IDM_FIND_ALWAYS_ASKS 40051
#define IDM_COPY_ALWAYS_ASKS 40052
#define IDM_MOVE_ALWAYS_ASKS 40053
#define IDM_TRASH_IS_DELETE 40054
#define IDM_WALL_DEFAULT_STRETCH 40055
#define IDM_WALL_DEFAULT_TILE 40056
#define IDM_WALL_DEFAULT_CENTER 40057
#define IDM_KEEP_HIERARCHY 40058
#define IDM_RESHOW_SETTINGS 40059

// Menus.
#define IDR_MENU_BAR 104
#define IDR_MENU_SEARCH 107
#define IDR_MENU_CHECK 109
#define IDR_MENU_COPY 110
#define IDR_MENU_MOVE 111
#define IDR_MENU_HELP 112
#define IDR_MENU_SETTINGS 114
#define IDR_MENU_SETS 122
#define IDR_MENU_TRASH 124
#define IDR_MENU_WALLPAPER 125

// Dialogs and their controls.
#define IDD_ABOUT 113
#define IDD_DIRECTORY 115
#define IDD_CONDITION_STRIP 116
#define IDD_EXCLUDE_STRIP 120
#define IDD_PLUGINS 121
#define IDD_SET_NAME_STRIP 122

#define IDC_VERSION_TEXT 1000
#define IDC_PROMPT_TEXT 1001
#define IDC_PATH_EDIT 1002
#define IDC_BROWSE 1003
#define IDC_WIDTH_EDIT 1004
#define IDC_HEIGHT_EDIT 1005
#define IDC_OPERATOR_COMBO 1006
#define IDC_ABOUT_ICON 1007
#define IDC_PLUGIN_LIST 1010
#define IDC_PLUGIN_APPLY 1011
#define IDC_PLUGIN_UP 1012
#define IDC_PLUGIN_DOWN 1013
#define IDC_SET_NAME_EDIT 1014
#define IDC_RECURSE_CHECK 1015

// Private window messages: one range for each window class, none shared.
// The main window (0x8001-0x80FF):
#define WMU_SCAN_ROWS 0x8001  // WM_APP + 1: lParam a RowBatch the search worker hands over, wParam 1 the last
// The result store, asked by the workers (ui/resultlist.h):
#define WMU_RESULTS_NEXT 0x8003     // wParam a row, lParam a ResultRequest: the next checked row
#define WMU_RESULTS_COMPACT 0x8005  // wParam a row: rows settled as removed before it leave now
// The running worker (app/worker.h):
#define WMU_WORKER_STATUS 0x8006  // wParam what (kStatus*), lParam a text for the status bar
#define WMU_WORKER_DONE 0x8007    // posted last, wParam the run's serial
// The divider (0x8100-0x81FF), the toolist (0x8200-0x82FF), the preview (0x8300-0x83FF):
#define WMU_DIVIDER_PANE 0x8101   // operation and pane in wParam (ui/divider.h), lParam a window to set
#define WMU_TOOLIST_PART 0x8201   // wParam a part (ui/toolist.h), lParam a value to store
#define WMU_PIKTURE_SHOW 0x8301   // lParam a full path to show, 0 to show nothing
// Subclass procedures (0x8400-0x84FF): sent through one, it installs itself.
#define WMU_SUBCLASS_INSTALL 0x8401

// Timers of the main window.
#define IDT_RESULT_COUNT 1  // the result list learns the rows handed over since (ui/resultlist.h)
