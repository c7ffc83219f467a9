#include <windows.h>

#include "librarysearch.h"
#include "mgtapp.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    KeepLibrariesInSystemFolder();
    mgtApp& application = TheMgtApp();
    application.RunApplication();
    return application.ExitCode();
}
