// Runs the install as the Install button does; the program ends with the closing message.
#include <windows.h>

#include "ModInstaller.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { tessaline::RunInstall(); }
