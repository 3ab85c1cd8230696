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
    // Character by character: in a double-byte code page the second byte of a character
    // may be 0x5C, as in ソ (0x83 0x5C), and is no separator then.
    const char* name = path;
    for (const char* p = path; *p != '\0'; p = CharNextA(p)) {
        if (*p == '\\' || *p == '/' || *p == ':')
            name = p + 1;
    }
    std::strcpy(theAppName, name);
    if (char* dot = std::strrchr(theAppName, '.'))
        *dot = '\0';
}

// A carrier is usually started from a downloads folder, where a planted DLL would be found
// before the system's own: search the system folder alone for DLLs loaded at run time.
// SetDefaultDllDirectories is looked up, since older systems lack it.
void RestrictDllSearch()
{
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    const auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (setDefault != nullptr)
        setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    SetDllDirectoryA("");
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
    RestrictDllSearch();
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
