// Entry point: hands the process to the one application object.
#include "app/CleanerApp.h"

namespace {
corvale::CCleanerApp theApp;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    return theApp.Run(instance, commandLine);
}
