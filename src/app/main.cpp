// Entry point of trawlix.exe. The window and its start-up come with the main
// window module; until then the program starts and ends cleanly.
#include "app/platform.h"
#include "app/resstring.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    resStringRelease();
    return 0;
}
