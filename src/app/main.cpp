#include <windows.h>

#include "app/StartUp.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) { return app::RunProgram(instance); }
