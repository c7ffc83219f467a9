#include <windows.h>

#include "mgtapp.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    mgtApp& application = TheMgtApp();
    application.RunApplication();
    return application.ExitCode();
}
