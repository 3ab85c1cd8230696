#include "WinApp.h"

#include <mbctype.h>

#include <cstring>

namespace {

CWinApp* theOnlyApp = nullptr;
HINSTANCE theInstance = nullptr;
char theAppName[MAX_PATH] = {};

void DeriveAppName()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const char* name = path;
    for (const char* p = path; *p != '\0'; ++p) {
        if (*p == '\\' || *p == '/' || *p == ':')
            name = p + 1;
    }
    std::strcpy(theAppName, name);
    if (char* dot = std::strrchr(theAppName, '.'))
        *dot = '\0';
}

}  // namespace

CWinApp::CWinApp()
{
    // Multibyte text follows the system's ANSI code page before anything else runs.
    _setmbcp(_MB_CP_ANSI);
    theOnlyApp = this;
}

CWinApp* AfxGetApp()
{
    return theOnlyApp;
}

const char* AfxGetAppName()
{
    return theAppName;
}

HINSTANCE AfxFindResourceHandle()
{
    return theInstance;
}

int AfxWinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    theInstance = instance;
    DeriveAppName();
    // There is no message loop of our own: the application lives inside InitInstance.
    theOnlyApp->InitInstance();
    return 0;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand)
{
    return AfxWinMain(instance, previous, commandLine, showCommand);
}
