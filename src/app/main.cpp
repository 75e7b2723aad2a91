// Entry point of trawlix.exe: no command line is read.
#include "app/startup.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    appMain();
}
