// The desktop wallpaper: a picture decoded by the plug-ins, written as a BMP
// file and handed to the system with its style, or the wallpaper removed.
#pragma once

#include <stdint.h>

#include "app/platform.h"

// Styles (the setting TBWallDefaultStyle); any other value records none.
constexpr int32_t kWallCenter = 0;
constexpr int32_t kWallTile = 1;
constexpr int32_t kWallStretch = 2;

// Makes the picture at path the wallpaper in style, or removes the wallpaper
// when path is none; the style is recorded in the user's desktop settings
// either way. Runs on the window thread; owner owns the message boxes that
// report failures. Returns 1.
int wallpaperSet(const char* path, int32_t style, HWND owner);

// The BMP file's path: "Microsoft\Wallpaper1.bmp" in the user's local
// application-data folder, or "Wallpaper1.bmp" in the temporary folder or
// beside the executable when that folder is unknown. Returns 1, or 0 when no
// such path fits path (kPathSize bytes).
int wallpaperFilePath(char* path);
